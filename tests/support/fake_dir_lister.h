// An in-memory folder tree behind the DirLister interface, for the walker and
// scan tests. A pattern is matched exactly (C:\T is listed by "C:\T\*" or
// "\\?\C:\T\*"), so a doubled or missing backslash finds nothing; folders can
// refuse listing with any error and entries carry any reparse tag.
#pragma once
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "format/text.h"
#include "scan/dir_lister.h"
#include "scan/scan_model.h"

class FakeDirLister final : public DirLister {
 public:
  static constexpr int kRoot = 0;
  // rootPath is the target folder as the scan gets it (e.g. u"C:\\T", u"C:\\").
  explicit FakeDirLister(std::u16string rootPath) {
    if (rootPath.back() != u'\\') rootPath += u'\\';
    nodes_.push_back(Node{DirEntry{kAttrDirectory, {}, 0, 0, {}, {}, {}}, rootPath, 0, {}});
    folders_[rootPath] = kRoot;
  }
  int addFolder(int parent, const std::u16string& name) { return add(parent, name, kAttrDirectory, 0); }
  int addFile(int parent, const std::u16string& name, uint64_t size) { return add(parent, name, 0, size); }
  // Opening this folder fails with the given error (5 access denied, 3 path not found, ...).
  void refuse(int folder, uint32_t error) { nodes_[folder].refuseError = error; }
  void setReparseTag(int node, uint32_t tag) {
    nodes_[node].entry.attributes |= kAttrReparsePoint;
    nodes_[node].entry.reserved[0] = tag;
  }
  bool refuseLongForm = false;    // "\\?\" patterns fail with error 3
  std::function<void()> onEntry;  // called before every entry handed out
  int openListings() const { return open_.load(); }

  DirListing open(const char16_t* pattern, DirEntry* first, uint32_t* error) override {
    std::u16string p = pattern;
    bool longForm = p.compare(0, 4, u"\\\\?\\") == 0;
    auto found = folders_.find(p.substr(longForm ? 4 : 0, p.size() - (longForm ? 5 : 1)));  // no prefix, no '*'
    bool missing = (longForm && refuseLongForm) || found == folders_.end() || p.back() != u'*';
    *error = missing ? kErrorPathNotFound : nodes_[found->second].refuseError;
    if (*error) return nullptr;
    ++open_;
    Cursor* c = new Cursor{found->second, 0};
    next(c, first);  // a folder always has at least its dots
    return c;
  }
  bool next(DirListing listing, DirEntry* entry) override {
    Cursor& c = *static_cast<Cursor*>(listing);
    const std::vector<int>& children = nodes_[c.first].children;
    if (c.second >= children.size() + 2) return false;
    if (onEntry) onEntry();
    *entry = nodes_[c.second < 2 ? kRoot : children[c.second - 2]].entry;
    if (c.second < 2) textCopy(entry->name, kNameUnits, c.second ? u".." : u".");
    ++c.second;
    return true;
  }
  void close(DirListing listing) override {
    delete static_cast<Cursor*>(listing);
    --open_;
  }

 private:
  struct Node {
    DirEntry entry;
    std::u16string path;  // a folder's ends with a backslash
    uint32_t refuseError;
    std::vector<int> children;
  };
  using Cursor = std::pair<int, size_t>;  // the folder, then 0 ".", 1 "..", 2 its first child...
  int add(int parent, const std::u16string& name, uint32_t attributes, uint64_t size) {
    DirEntry entry{attributes, {}, static_cast<uint32_t>(size >> 32), static_cast<uint32_t>(size), {}, {}, {}};
    nodes_.push_back(Node{entry, nodes_[parent].path + name + (attributes ? u"\\" : u""), 0, {}});
    textCopy(nodes_.back().entry.name, kNameUnits, name.c_str());
    int index = static_cast<int>(nodes_.size()) - 1;
    nodes_[parent].children.push_back(index);
    if (attributes) folders_[nodes_.back().path] = index;
    return index;
  }
  std::vector<Node> nodes_;
  std::map<std::u16string, int> folders_;  // folder path -> node
  std::atomic<int> open_{0};
};

// The window side of a scan in tests: counts repaints and finished notices and
// starts walker threads; its clock stands still.
struct FakeScanHost final : ScanHost {
  std::atomic<int> repaints{0}, finished{0}, workersStarted{0};
  std::vector<std::thread> workers;
  void requestRepaint() override { repaints.fetch_add(1); }
  void scanFinished() override { finished.fetch_add(1); }
  uint32_t tickCount() override { return 1000; }
  bool startWorker(void (*run)(void*), void* arg) override {
    workers.emplace_back(run, arg);
    workersStarted.fetch_add(1);
    return true;
  }
  void joinWorkers() override {
    for (auto& t : workers) t.join();
    workers.clear();
  }
};

// A model ready for a scan of the lister's root: zeroed, initialised, pointers set.
inline void prepareTestModel(ScanModel& m, const std::u16string& target, ScanHost* host, DirLister* lister) {
  initScanModel(m);
  textCopy(m.targetPath, kPathUnits, target.c_str());
  m.host = host;
  m.lister = lister;
}

// A scan model (large, so on the heap) with its host, ready for a scan of
// `target` through `lister`, released at the end.
struct TestScan {
  FakeScanHost host;
  std::unique_ptr<ScanModel> model{new ScanModel()};
  ScanModel& m = *model;
  TestScan(const std::u16string& target, DirLister* lister) { prepareTestModel(m, target, &host, lister); }
  ~TestScan() { releaseScanModel(m); }
};

// What the view reads of a scan: the rows in their order as name:size:files:FLDE
// (folder, link, access-denied and from-engine flags), the total and the live
// counters, how many files were kept and the largest of them.
inline std::string scanText(const ScanModel& m) {
  std::string out;
  for (int i = 0; i < m.rowCount; ++i) {
    const ScanItem& r = m.rows[i];
    out += textToUtf8(r.name) + ":" + std::to_string(r.size) + ":" + std::to_string(r.fileCount) + ":" +
           std::to_string(r.isFolder) + std::to_string(r.isLink) + std::to_string(r.accessDenied) +
           std::to_string(r.fromEverything) + " ";
  }
  return out + "| " + std::to_string(m.totalSize) + " bytes " + std::to_string(m.filesCounted.load()) +
         " files " + std::to_string(m.foldersCounted.load()) + " folders, " + std::to_string(m.fileListCount) +
         " kept" + (m.fileListCount ? " " + textToUtf8(m.fileList[0].fullPath) : "");
}
