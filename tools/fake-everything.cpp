// A stand-in for the Everything search engine, for the tests: a window of
// Everything's IPC class that answers the "database loaded?" question and the
// plugin's three queries, computed from the real folders on disk, with options
// to misbehave in the ways a real engine (or an impostor) might.
//
//   fake-everything.exe [options]
//     --log=FILE            append every query's search text (UTF-8, one a line)
//     --not-loaded          answer 0 to the database question
//     --no-answer=KINDS     never answer these queries
//     --wrong-id-first      send each answer first with identifier 17, then 18
//     --short-reply=KINDS   answer these with a 12-byte block
//     --empty=KINDS         answer these with a header and no items
//     --truncate-counts     the file-count answer carries half its items (num < tot)
//     --zero-size=A,B       give these folders size 0
//     --omit=A,B            leave these folders out of the folder table
//     --slow=MS             answer MS milliseconds after the query
//     --garbage=KINDS       mix broken items (bad offsets, huge lengths) into the answers
//     --inline              answer from inside the query's WM_COPYDATA handler
//     --repeat=MS           send every answer a second time MS milliseconds later
//     --files-as-folders    also list files in the folder table, without the folder bit
//     --block-send=MS       sleep MS milliseconds inside the query's WM_COPYDATA handler
//                           (a hung engine) and never answer
//     --parent=PID          quit when that process ends (a crashed test leaves no engine)
//   KINDS is a comma list of folders, top, counts or all.
// The program runs until its window gets WM_CLOSE.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "format/text.h"
#include "tests/support/everything_replies.h"

namespace {

enum Kind { kFolders = 1, kTop = 2, kCounts = 4 };

struct Options {
  std::wstring log;
  bool notLoaded = false;
  int noAnswer = 0, shortReply = 0, empty = 0, garbage = 0;
  bool wrongIdFirst = false, truncateCounts = false, inlineAnswer = false, filesAsFolders = false;
  DWORD slowMs = 0, repeatMs = 0, blockSendMs = 0;
  std::vector<std::u16string> zeroSize, omit;
};

struct Pending {
  HWND reply;
  int kind;
  std::u16string path;  // target without the trailing backslash
  uint32_t maxResults;
  DWORD due;
  int sends;            // answers still to send (2 with --repeat)
};

Options g_opt;
HANDLE g_parent = nullptr;
std::vector<Pending> g_pending;
HWND g_window = nullptr;

std::u16string lower(std::u16string s) {
  for (auto& c : s) c = textFoldCase(c);
  return s;
}

int parseKinds(const std::wstring& v) {
  int k = 0;
  if (v.find(L"folders") != std::wstring::npos) k |= kFolders;
  if (v.find(L"top") != std::wstring::npos) k |= kTop;
  if (v.find(L"counts") != std::wstring::npos) k |= kCounts;
  if (v.find(L"all") != std::wstring::npos) k |= kFolders | kTop | kCounts;
  return k;
}

std::vector<std::u16string> parseNames(const std::wstring& v) {
  std::vector<std::u16string> out;
  size_t start = 0;
  while (start <= v.size()) {
    size_t comma = v.find(L',', start);
    if (comma == std::wstring::npos) comma = v.size();
    if (comma > start)
      out.push_back(lower(std::u16string(reinterpret_cast<const char16_t*>(v.c_str()) + start,
                                         comma - start)));
    start = comma + 1;
  }
  return out;
}

bool listed(const std::vector<std::u16string>& names, const std::u16string& name) {
  return std::find(names.begin(), names.end(), lower(name)) != names.end();
}

struct FileFound {
  std::u16string name, path;
  uint64_t size;
};
struct FolderFound {
  std::u16string name, path;
  uint64_t size;
};

// Walks dir, adding every file and every folder (with its total size) beneath it.
uint64_t walk(const std::u16string& dir, std::vector<FileFound>& files,
              std::vector<FolderFound>& folders) {
  uint64_t total = 0;
  std::u16string pattern = dir + u"\\*";
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(reinterpret_cast<const wchar_t*>(pattern.c_str()), &fd);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do {
    std::u16string name(reinterpret_cast<const char16_t*>(fd.cFileName));
    if (name == u"." || name == u"..") continue;
    std::u16string full = dir + u"\\" + name;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
      size_t at = folders.size();
      folders.push_back({name, full, 0});
      uint64_t size = walk(full, files, folders);
      folders[at].size = size;
      total += size;
    } else {
      uint64_t size = (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
      files.push_back({name, full, size});
      total += size;
    }
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return total;
}

void appendGarbage(std::vector<evreply::Item>& items) {
  evreply::Bytes hugeName;
  evreply::put32(hugeName, 0xFFFFFFFFu);
  evreply::put32(hugeName, 0x00410041u);
  // Front: a name of 4 G characters, and an item whose offset is set outside
  // the block after layout (breakOffsets).
  items.insert(items.begin(), {1, evreply::Bytes(8, 0)});
  items.insert(items.begin(), {1, hugeName});
  evreply::Bytes longLen;
  evreply::put32(longLen, 0x7FFFFFFFu);
  items.push_back({1, longLen});
  items.push_back({1, evreply::Bytes{1, 2, 3}});
}

// Garbage items get offsets that point outside the block, after layout.
void breakOffsets(evreply::Bytes& b, size_t itemCount) {
  if (itemCount < 2) return;
  evreply::set32(b, evreply::entryAt(1) + 4, 0xFFFFFFF0u);
  evreply::set32(b, evreply::entryAt(itemCount - 1) + 4, static_cast<uint32_t>(b.size() - 1));
}

evreply::Bytes answerFor(const Pending& p) {
  if (g_opt.shortReply & p.kind) return evreply::Bytes(12, 0);
  if (g_opt.empty & p.kind) return evreply::reply(0, {});
  std::vector<FileFound> files;
  std::vector<FolderFound> folders;
  walk(p.path, files, folders);
  std::vector<evreply::Item> items;
  uint32_t tot = 0;
  if (p.kind == kFolders) {
    std::vector<FolderFound> kept;
    for (auto& f : folders) {
      if (listed(g_opt.omit, f.name)) continue;
      kept.push_back({f.name, f.path, listed(g_opt.zeroSize, f.name) ? 0 : f.size});
    }
    // Name order, and path order among equal names, as the engine's sort 1 gives.
    std::sort(kept.begin(), kept.end(), [](const FolderFound& a, const FolderFound& b) {
      std::u16string x = lower(a.name), y = lower(b.name);
      return x != y ? x < y : lower(a.path) < lower(b.path);
    });
    for (auto& f : kept) items.push_back({1, evreply::folderItem(f.name, f.size)});
    if (g_opt.filesAsFolders)
      for (auto& f : files) items.push_back({0, evreply::folderItem(f.name, f.size + 1)});
  } else if (p.kind == kTop) {
    std::stable_sort(files.begin(), files.end(),
                     [](const FileFound& a, const FileFound& b) { return a.size > b.size; });
    for (auto& f : files) {
      if (items.size() >= p.maxResults) break;
      items.push_back({0, evreply::topFileItem(f.name, f.path, f.size)});
    }
  } else {
    for (auto& f : files) {
      if (items.size() >= p.maxResults) break;
      items.push_back({0, evreply::countItem(f.path)});
    }
  }
  tot = static_cast<uint32_t>(items.size());
  if (p.kind == kCounts && g_opt.truncateCounts) {
    tot = static_cast<uint32_t>(files.size());
    items.resize(items.size() / 2);
  }
  bool garbage = (g_opt.garbage & p.kind) != 0;
  if (garbage) appendGarbage(items);
  evreply::Bytes b = evreply::replyWithNum(tot, static_cast<uint32_t>(items.size()), items);
  if (garbage) breakOffsets(b, items.size());
  return b;
}

void sendAnswer(const Pending& p) {
  evreply::Bytes b = answerFor(p);
  COPYDATASTRUCT cds;
  cds.cbData = static_cast<DWORD>(b.size());
  cds.lpData = b.data();
  if (g_opt.wrongIdFirst) {
    cds.dwData = 17;
    SendMessageW(p.reply, WM_COPYDATA, reinterpret_cast<WPARAM>(g_window), reinterpret_cast<LPARAM>(&cds));
  }
  cds.dwData = 18;
  SendMessageW(p.reply, WM_COPYDATA, reinterpret_cast<WPARAM>(g_window), reinterpret_cast<LPARAM>(&cds));
}

void logQuery(const char16_t* text) {
  if (g_opt.log.empty()) return;
  FILE* f = _wfopen(g_opt.log.c_str(), L"ab");
  if (!f) return;
  std::string line = textToUtf8(text) + "\n";
  fwrite(line.data(), 1, line.size(), f);
  fclose(f);
}

bool startsWith(const std::u16string& s, const std::u16string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

// Understands exactly the three texts the plugin sends; anything else is ignored.
bool parseQuery(const std::u16string& text, Pending* p) {
  std::u16string rest;
  if (startsWith(text, u"folder:\"")) {
    p->kind = kFolders;
    rest = text.substr(8);
    if (rest.size() < 3 || rest.compare(rest.size() - 3, 3, u"\\*\"") != 0) return false;
    p->path = rest.substr(0, rest.size() - 3);
    return true;
  }
  if (startsWith(text, u"count:")) {
    size_t q = text.find(u" file:\"");
    if (q == std::u16string::npos) return false;
    p->kind = kTop;
    rest = text.substr(q + 7);
  } else if (startsWith(text, u"file:\"")) {
    p->kind = kCounts;
    rest = text.substr(6);
  } else {
    return false;
  }
  if (rest.size() < 2 || rest.compare(rest.size() - 2, 2, u"\\\"") != 0) return false;
  p->path = rest.substr(0, rest.size() - 2);
  return true;
}

void onQuery(HWND reply, const COPYDATASTRUCT* cds) {
  if (!cds || cds->dwData != 18 || cds->cbData < 30 || !cds->lpData) return;
  const uint8_t* block = static_cast<const uint8_t*>(cds->lpData);
  size_t units = (cds->cbData - 28) / 2;
  std::u16string text(units, 0);
  std::memcpy(&text[0], block + 28, units * 2);
  text.resize(textLengthBounded(text.c_str(), units));
  logQuery(text.c_str());
  Pending p{};
  uint32_t replyBits, maxResults;
  std::memcpy(&replyBits, block, 4);
  std::memcpy(&maxResults, block + 16, 4);
  p.reply = reinterpret_cast<HWND>(static_cast<uintptr_t>(replyBits));
  if (reply && reply != p.reply) p.reply = reply;
  p.maxResults = maxResults;
  if (!parseQuery(text, &p)) return;
  if (g_opt.noAnswer & p.kind) return;
  p.sends = g_opt.repeatMs ? 2 : 1;
  if (g_opt.inlineAnswer && !g_opt.slowMs) {
    sendAnswer(p);
    if (--p.sends == 0) return;
    p.due = GetTickCount() + g_opt.repeatMs;
  } else {
    p.due = GetTickCount() + g_opt.slowMs;
  }
  g_pending.push_back(p);
}

void servePending() {
  DWORD now = GetTickCount();
  for (size_t i = 0; i < g_pending.size();) {
    Pending& p = g_pending[i];
    if (static_cast<int32_t>(now - p.due) < 0) {
      ++i;
      continue;
    }
    Pending copy = p;
    g_pending.erase(g_pending.begin() + i);
    sendAnswer(copy);
    if (--copy.sends > 0) {
      copy.due = GetTickCount() + g_opt.repeatMs;
      g_pending.push_back(copy);
    }
  }
}

LRESULT CALLBACK fakeProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_USER:
      if (wp == 401) return g_opt.notLoaded ? 0 : 1;
      return 0;
    case WM_COPYDATA:
      if (g_opt.blockSendMs) {
        logQuery(u"(blocked)");
        Sleep(g_opt.blockSendMs);
        return TRUE;
      }
      onQuery(reinterpret_cast<HWND>(wp), reinterpret_cast<const COPYDATASTRUCT*>(lp));
      return TRUE;
    case WM_TIMER:
      servePending();
      if (g_parent && WaitForSingleObject(g_parent, 0) == WAIT_OBJECT_0) DestroyWindow(w);
      return 0;
    case WM_CLOSE:
      DestroyWindow(w);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

bool option(const std::wstring& arg, const wchar_t* name, std::wstring* value) {
  size_t n = wcslen(name);
  if (arg.compare(0, n, name) != 0) return false;
  if (arg.size() == n) {
    value->clear();
    return true;
  }
  if (arg[n] != L'=') return false;
  *value = arg.substr(n + 1);
  return true;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; argv && i < argc; ++i) {
    std::wstring a = argv[i], v;
    if (option(a, L"--log", &v)) g_opt.log = v;
    else if (option(a, L"--not-loaded", &v)) g_opt.notLoaded = true;
    else if (option(a, L"--no-answer", &v)) g_opt.noAnswer = parseKinds(v);
    else if (option(a, L"--wrong-id-first", &v)) g_opt.wrongIdFirst = true;
    else if (option(a, L"--short-reply", &v)) g_opt.shortReply = parseKinds(v);
    else if (option(a, L"--empty", &v)) g_opt.empty = parseKinds(v);
    else if (option(a, L"--truncate-counts", &v)) g_opt.truncateCounts = true;
    else if (option(a, L"--zero-size", &v)) g_opt.zeroSize = parseNames(v);
    else if (option(a, L"--omit", &v)) g_opt.omit = parseNames(v);
    else if (option(a, L"--slow", &v)) g_opt.slowMs = static_cast<DWORD>(_wtoi(v.c_str()));
    else if (option(a, L"--garbage", &v)) g_opt.garbage = parseKinds(v);
    else if (option(a, L"--inline", &v)) g_opt.inlineAnswer = true;
    else if (option(a, L"--repeat", &v)) g_opt.repeatMs = static_cast<DWORD>(_wtoi(v.c_str()));
    else if (option(a, L"--files-as-folders", &v)) g_opt.filesAsFolders = true;
    else if (option(a, L"--block-send", &v)) g_opt.blockSendMs = static_cast<DWORD>(_wtoi(v.c_str()));
    else if (option(a, L"--parent", &v))
      g_parent = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(_wtoi(v.c_str())));
    else {
      fwprintf(stderr, L"fake-everything: unknown option %ls\n", a.c_str());
      return 2;
    }
  }
  LocalFree(argv);

  WNDCLASSW wc = {};
  wc.lpfnWndProc = fakeProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"EVERYTHING_TASKBAR_NOTIFICATION";
  RegisterClassW(&wc);
  // A hidden top-level window: FindWindowW does not see message-only windows.
  g_window = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                             wc.hInstance, nullptr);
  if (!g_window) return 1;
  ChangeWindowMessageFilterEx(g_window, WM_COPYDATA, 1, nullptr);
  ChangeWindowMessageFilterEx(g_window, WM_USER, 1, nullptr);
  SetTimer(g_window, 1, 10, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
