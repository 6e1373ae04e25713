// Peak resident memory of a scan over a 1,000,000-file tree. The tree is made
// up on the fly by a lister that computes every listing from its path, so the
// process's peak is the scan's own: model, file list, rows and buffers.
//   bench_scan_memory [--files N]   (default 1000000: 100 x 100 folders x 100 files)
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "format/text.h"
#include "scan/dir_lister.h"
#include "scan/scan_driver.h"

namespace {

// B:\root\cNN\sNN\fNNNNN: top folders, sub-folders, files in each sub-folder.
struct GeneratedLister final : DirLister {
  int top = 100, sub = 100, files = 100;
  struct Cursor {
    int level;  // 0 root, 1 top folder, 2 sub-folder
    int a, b;   // indexes of the folders on the way
    int position;
  };

  static bool parseIndex(const char16_t*& p, char16_t prefix, int* out) {
    if (*p != prefix) return false;
    ++p;
    int v = 0, digits = 0;
    while (*p >= u'0' && *p <= u'9') v = v * 10 + (*p++ - u'0'), ++digits;
    *out = v;
    return digits > 0;
  }
  DirListing open(const char16_t* pattern, DirEntry* first, uint32_t* error) override {
    *error = 3;
    const char16_t* p = pattern;
    if (p[0] == u'\\' && p[1] == u'\\' && p[2] == u'?' && p[3] == u'\\') p += 4;
    const char16_t* root = u"B:\\root";
    size_t n = textLength(root);
    if (std::memcmp(p, root, n * sizeof(char16_t)) != 0) return fail();
    p += n;
    Cursor c{0, 0, 0, 0};
    if (p[0] == u'\\' && p[1] == u'c') {
      ++p;
      if (!parseIndex(p, u'c', &c.a) || c.a >= top) return fail();
      c.level = 1;
      if (p[0] == u'\\' && p[1] == u's') {
        ++p;
        if (!parseIndex(p, u's', &c.b) || c.b >= sub) return fail();
        c.level = 2;
      }
    }
    if (!(p[0] == u'\\' && p[1] == u'*' && p[2] == 0)) return fail();
    Cursor* cursor = new Cursor(c);
    if (!next(cursor, first)) {
      delete cursor;
      return fail();
    }
    return cursor;
  }
  static DirListing fail() { return nullptr; }
  bool next(DirListing listing, DirEntry* e) override {
    Cursor& c = *static_cast<Cursor*>(listing);
    int count = c.level == 0 ? top : c.level == 1 ? sub : files;
    int i = c.position++;
    if (i >= count + 2) return false;
    e->sizeHigh = e->sizeLow = 0;
    if (i < 2) {
      e->attributes = kAttrDirectory;
      textCopy(e->name, 260, i == 0 ? u"." : u"..");
      return true;
    }
    i -= 2;
    if (c.level < 2) {
      e->attributes = kAttrDirectory;
      textFormat(e->name, 260, c.level == 0 ? u"c%d" : u"s%d", i);
    } else {
      e->attributes = 0x20;
      // A deterministic spread of sizes, up to about 4 GB.
      uint64_t h = (static_cast<uint64_t>(c.a) * 1000003u + c.b * 10007u + i) * 0x9E3779B97F4A7C15ull;
      uint64_t size = (h >> 20) & 0xFFFFFFFFull;
      e->sizeHigh = static_cast<uint32_t>(size >> 32);
      e->sizeLow = static_cast<uint32_t>(size);
      textFormat(e->name, 260, u"file-with-a-realistic-name-%05d.dat", i);
    }
    return true;
  }
  void close(DirListing listing) override { delete static_cast<Cursor*>(listing); }
};

struct NoWindow final : ScanHost {
  void requestRepaint() override {}
  void scanFinished() override {}
  uint32_t tickCount() override { return 0; }
};

long peakResidentKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  long files = 1000000;
  for (int i = 1; i + 1 < argc; ++i)
    if (!std::strcmp(argv[i], "--files")) files = std::atol(argv[++i]);
  GeneratedLister lister;
  lister.files = static_cast<int>(files / (lister.top * lister.sub));
  if (lister.files < 1) lister.files = 1;
  long before = peakResidentKb();
  NoWindow host;
  std::unique_ptr<ScanModel> m(new ScanModel());
  initScanModel(*m);
  textCopy(m->targetPath, kPathUnits, u"B:\\root");
  m->host = &host;
  m->lister = &lister;
  auto t0 = std::chrono::steady_clock::now();
  scanThreadMain(*m);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  long peak = peakResidentKb();
  std::printf("files: %u  folders: %u  rows: %d  top files kept: %d  cancelled: %u\n", m->filesCounted.load(),
              m->foldersCounted.load(), m->rowCount, m->fileListCount, m->cancelScan.load());
  std::printf("scan: %.2f s, %.0f files/s\n", seconds, m->filesCounted.load() / (seconds > 0 ? seconds : 1e-9));
  std::printf("peak resident before the scan: %.1f MB, after: %.1f MB\n", before / 1024.0, peak / 1024.0);
  releaseScanModel(*m);
  std::printf("peak MB for 1M files: %ld\n", (peak + 1023) / 1024);
  return 0;
}
