// An in-memory folder tree behind the DirLister interface, for tests of the
// walker and the scan driver: folders can refuse listing with any error, carry
// the reparse-point attribute, hold long names and nest arbitrarily deep; every
// pattern asked for is recorded.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "scan/dir_lister.h"
#include "scan/scan_model.h"

class FakeDirLister final : public DirLister {
 public:
  // rootPath is the target folder as the scan gets it (e.g. u"C:\\T", u"C:\\").
  explicit FakeDirLister(std::u16string rootPath);

  static constexpr int kRoot = 0;
  int addFolder(int parent, const std::u16string& name, uint32_t extraAttributes = 0);
  int addFile(int parent, const std::u16string& name, uint64_t size, uint32_t extraAttributes = 0);
  void addFiles(int parent, std::initializer_list<std::pair<const char16_t*, uint64_t>> files);
  // Opening this folder fails with the given error (5 access denied, 3 path not found, ...).
  void refuse(int folder, uint32_t error) { nodes_[folder].refuseError = error; }
  // The entry carries the reparse attribute with this tag.
  void setReparseTag(int node, uint32_t tag) {
    nodes_[node].attributes |= kAttrReparsePoint;
    nodes_[node].tag = tag;
  }
  // Long-path ("\\?\") patterns fail with error 3, so only the plain retry works.
  bool refuseLongForm = false;
  // Called before every entry handed out (first and next), e.g. to cancel mid-walk.
  std::function<void()> onEntry;

  DirListing open(const char16_t* pattern, DirEntry* first, uint32_t* error) override;
  bool next(DirListing listing, DirEntry* entry) override;
  void close(DirListing listing) override;

  // Safe to call from several walkers at once; read the records once they are done.
  std::vector<std::u16string> patterns;  // every pattern open() was given
  int openListings() const { return open_.load(); }

 private:
  struct Node {
    std::u16string name;
    uint32_t attributes = 0;
    uint64_t size = 0;
    uint32_t refuseError = 0;
    uint32_t tag = 0;
    std::vector<int> children;
    std::u16string path;  // without a trailing backslash
  };
  struct Cursor {
    int folder;
    size_t position;  // 0 "." 1 ".." then children
  };
  int addNode(int parent, const std::u16string& name, uint32_t attributes, uint64_t size);
  bool fill(Cursor& c, DirEntry* entry);
  std::vector<Node> nodes_;
  std::map<std::u16string, int> folders_;  // folder path -> node
  std::mutex lock_;  // patterns
  std::atomic<int> open_{0};
};

// The window side of a scan in tests: counts repaints and finished notices; the
// clock advances by a fixed step on every reading.
struct FakeScanHost final : ScanHost {
  std::atomic<int> repaints{0};
  std::atomic<int> finished{0};
  std::atomic<uint32_t> clock{1000};
  uint32_t step = 0;
  int32_t processors = 1;  // what the scan's default walker count sees
  std::vector<std::thread> workers;
  std::atomic<int> workersStarted{0};
  void requestRepaint() override { repaints.fetch_add(1); }
  void scanFinished() override { finished.fetch_add(1); }
  uint32_t tickCount() override { return clock.fetch_add(step); }
  bool startWorker(void (*run)(void*), void* arg) override {
    workers.emplace_back(run, arg);
    workersStarted.fetch_add(1);
    return true;
  }
  void joinWorkers() override {
    for (auto& t : workers) t.join();
    workers.clear();
  }
  int32_t processorCount() override { return processors; }
};

// A model ready for a scan of the lister's root: zeroed, initialised, pointers set.
void prepareTestModel(ScanModel& m, const std::u16string& target, ScanHost* host, DirLister* lister);
