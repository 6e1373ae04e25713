// Scan speed against the bare listing loop, on real folder trees (run under
// Wine or on Windows). Builds two deterministic trees once (kept between
// runs): an even one and a skewed one whose first child holds 90 % of the
// folders and files. On each it alternates a single-thread
// FindFirstFileW/FindNextFileW walk with the full scan (scan thread start to
// finished message, search engine off) with one walker and with the default
// pool. Prints medians, files per second, peak private bytes, the ratios
// "scan/raw ratio (1 thread): X.XX", "skewed scan/raw ratio (1 thread): X.XX",
// "skewed scan/raw ratio: X.XX" and last "scan/raw ratio: X.XX" (default pool,
// even tree).
//   bench-scan [--tree DIR] [--files N] [--folders N] [--depth N] [--runs N] [--threads N]
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "format/text.h"
#include "win/wide_win.h"
#include "scan/scan_model.h"
#include "scan/scan_thread_win.h"

namespace {

struct Options {
  std::wstring tree = L"bench-tree";
  long files = 200000;
  long folders = 20000;
  int depth = 8;
  int runs = 5;
  int threads = 0;  // the pool: 0 = the scan's default (one per processor, at most 4)
};

// A fixed 64-bit LCG: the same tree on every machine.
struct Lcg {
  uint64_t s;
  uint32_t next() {
    s = s * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(s >> 33);
  }
};

double nowMs() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart * 1000.0 / freq.QuadPart;
}

bool fileExists(const std::wstring& p) { return GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Sizes come from the file length alone (no data written: the files are sparse).
bool makeSizedFile(const std::wstring& path, uint64_t size) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(size);
  bool ok = !size || (SetFilePointerEx(f, at, nullptr, FILE_BEGIN) && SetEndOfFile(f));
  CloseHandle(f);
  return ok;
}

// The tree lives in its own folder named after its shape; a marker file says it
// was finished, so an interrupted build is redone and a complete one kept.
// Skewed: the first folder made is a child of the root, and 90 % of the later
// folders and of the files go somewhere beneath it.
bool ensureTree(const Options& o, bool skewed, std::wstring* root, bool* built) {
  CreateDirectoryW(o.tree.c_str(), nullptr);
  *root = o.tree + (skewed ? L"\\s" : L"\\t") + std::to_wstring(o.files) + L"_" + std::to_wstring(o.folders) +
          L"_" + std::to_wstring(o.depth);
  std::wstring marker = *root + L".complete";
  *built = false;
  if (fileExists(marker)) return true;
  CreateDirectoryW(root->c_str(), nullptr);
  Lcg rng{42};
  std::vector<std::wstring> paths{*root};
  std::vector<int> depths{0};
  std::vector<char> inBig{0};
  // A folder (or file) place: any folder, or for a skewed tree one inside or
  // outside the big child as the dice say.
  auto pick = [&](bool forFolder) {
    bool wantBig = skewed && paths.size() > 1 && rng.next() % 10 != 0;
    for (;;) {
      size_t at = rng.next() % paths.size();
      if (forFolder && depths[at] >= o.depth) continue;
      if (skewed && paths.size() > 1 && (inBig[at] != 0) != wantBig) continue;
      return at;
    }
  };
  for (long i = 1; i <= o.folders; ++i) {
    size_t parent = i == 1 ? 0 : pick(true);
    wchar_t name[16];
    swprintf(name, 16, L"\\d%05ld", i);
    paths.push_back(paths[parent] + name);
    depths.push_back(depths[parent] + 1);
    inBig.push_back(skewed && (i == 1 || inBig[parent]));
    if (!CreateDirectoryW(paths.back().c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  for (long j = 0; j < o.files; ++j) {
    size_t folder = pick(false);
    uint64_t size = (static_cast<uint64_t>(rng.next()) % (1u << 20)) * (rng.next() % 4 == 0 ? 64 : 1);
    wchar_t name[20];
    swprintf(name, 20, L"\\f%07ld.dat", j);
    if (!makeSizedFile(paths[folder] + name, size)) return false;
  }
  *built = true;
  return makeSizedFile(marker, 0);
}

// The bare loop: list every folder once, count the files, nothing else.
uint64_t rawWalk(const std::wstring& root) {
  uint64_t files = 0;
  std::vector<std::wstring> stack{root};
  WIN32_FIND_DATAW fd;
  while (!stack.empty()) {
    std::wstring path = std::move(stack.back());
    stack.pop_back();
    HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) continue;
    do {
      if (fd.cFileName[0] == L'.' && (!fd.cFileName[1] || (fd.cFileName[1] == L'.' && !fd.cFileName[2])))
        continue;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) stack.push_back(path + L"\\" + fd.cFileName);
      } else {
        ++files;
      }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  return files;
}

HWND makeReceiver() {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"MorvaneBenchReceiver";
  RegisterClassW(&wc);
  return CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

// The full scan as the panel runs it: thread start to the finished message.
double timedScan(const std::wstring& root, HWND receiver, int threads, uint32_t* files) {
  std::unique_ptr<ScanModel> m(new ScanModel());
  initScanModel(*m);
  textCopy(m->targetPath, kPathUnits, U(root.c_str()));
  m->scanUseEverything = 0;
  m->scanThreads = threads;
  double t0 = nowMs();
  HANDLE thread = startScanThread(m.get(), receiver, nullptr, nullptr);
  if (!thread) return -1;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_SCAN_FINISHED) break;
    DispatchMessageW(&msg);
  }
  double elapsed = nowMs() - t0;
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  *files = m->filesCounted.load();
  releaseScanModel(*m);
  return elapsed;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  Options o;
  for (int i = 1; i + 1 < argc; ++i) {
    std::wstring a = argv[i];
    if (a == L"--tree") o.tree = argv[++i];
    else if (a == L"--files") o.files = std::wcstol(argv[++i], nullptr, 10);
    else if (a == L"--folders") o.folders = std::wcstol(argv[++i], nullptr, 10);
    else if (a == L"--depth") o.depth = static_cast<int>(std::wcstol(argv[++i], nullptr, 10));
    else if (a == L"--runs") o.runs = static_cast<int>(std::wcstol(argv[++i], nullptr, 10));
    else if (a == L"--threads") o.threads = static_cast<int>(std::wcstol(argv[++i], nullptr, 10));
  }
  if (o.files < 1 || o.folders < 1 || o.depth < 1 || o.runs < 1) {
    std::fprintf(stderr, "bench-scan: sizes must be positive\n");
    return 1;
  }
  HWND receiver = makeReceiver();
  // The skewed tree first, then the even one, whose pool gives the last line.
  double ratioOne[2] = {0, 0}, ratioPool[2] = {0, 0};
  for (int skewed = 1; skewed >= 0; --skewed) {
    std::wstring root;
    bool built = false;
    double b0 = nowMs();
    if (!ensureTree(o, skewed != 0, &root, &built)) {
      std::fprintf(stderr, "bench-scan: cannot build the tree under %ls\n", o.tree.c_str());
      return 1;
    }
    std::printf("%s tree: %ls (%ld files, %ld folders, up to %d levels), %s\n", skewed ? "skewed" : "even",
                root.c_str(), o.files, o.folders, o.depth, built ? "built" : "kept from an earlier run");
    if (built) std::printf("built in %.1f s\n", (nowMs() - b0) / 1000);
    rawWalk(root);  // warm the directory cache once, untimed
    std::vector<double> raw, one, pool;
    uint64_t rawFiles = 0;
    uint32_t oneFiles = 0, poolFiles = 0;
    for (int r = 0; r < o.runs; ++r) {
      double t0 = nowMs();
      rawFiles = rawWalk(root);
      raw.push_back(nowMs() - t0);
      one.push_back(timedScan(root, receiver, 1, &oneFiles));
      pool.push_back(timedScan(root, receiver, o.threads, &poolFiles));
      std::printf("run %d: raw %.0f ms, scan 1 thread %.0f ms, scan pool %.0f ms\n", r + 1, raw.back(), one.back(),
                  pool.back());
      std::fflush(stdout);
    }
    if (rawFiles != oneFiles || rawFiles != poolFiles)
      std::printf("warning: the raw walk met %llu files, the scans %u and %u\n",
                  static_cast<unsigned long long>(rawFiles), oneFiles, poolFiles);
    double rawMs = median(raw), oneMs = median(one), poolMs = median(pool);
    std::printf("raw  median: %.0f ms, %.0f files/s\n", rawMs, rawFiles / (rawMs / 1000));
    std::printf("scan median, 1 thread: %.0f ms, %.0f files/s\n", oneMs, oneFiles / (oneMs / 1000));
    std::printf("scan median, pool: %.0f ms, %.0f files/s\n", poolMs, poolFiles / (poolMs / 1000));
    ratioOne[skewed] = oneMs / rawMs;
    ratioPool[skewed] = poolMs / rawMs;
  }
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  PROCESS_MEMORY_COUNTERS_EX pmc = {};
  pmc.cb = sizeof(pmc);
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof(pmc));
  std::printf("processors: %lu; pool: %s\n", static_cast<unsigned long>(info.dwNumberOfProcessors),
              o.threads ? "--threads" : "the default");
  std::printf("peak private bytes: %lu (%.1f MB)\n", static_cast<unsigned long>(pmc.PeakPagefileUsage),
              pmc.PeakPagefileUsage / 1048576.0);
  std::printf("skewed scan/raw ratio (1 thread): %.2f\n", ratioOne[1]);
  std::printf("skewed scan/raw ratio: %.2f\n", ratioPool[1]);
  std::printf("scan/raw ratio (1 thread): %.2f\n", ratioOne[0]);
  std::printf("scan/raw ratio: %.2f\n", ratioPool[0]);
  if (receiver) DestroyWindow(receiver);
  return 0;
}
