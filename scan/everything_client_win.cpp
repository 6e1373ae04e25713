#include "scan/everything_client_win.h"

#include <cstdlib>

#include "format/text.h"
#include "win/module_win.h"
#include "win/wide_win.h"
#include "win/window_class_win.h"

#ifndef MSGFLT_ALLOW
#define MSGFLT_ALLOW 1
#endif

namespace {

constexpr DWORD kLoadedQuestionWaitMs = 5000;

// The module whose procedures the classes point at: the plugin when it is the
// DLL, the program itself when the code is linked into a tool or a test.
HINSTANCE ownModule() {
  HMODULE m = pluginModule();
  if (m) return m;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ownModule), &m);
  return m;
}

// The body of the three reply procedures. A message is answered TRUE and
// otherwise ignored when no query of the expected kind is pending: no state, no
// data record, another identifier, or an answer already taken.
LRESULT takeReply(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, EverythingQuery kind) {
  if (msg != WM_COPYDATA) return DefWindowProcW(window, msg, wParam, lParam);
  const COPYDATASTRUCT* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  ReplyState* s = reinterpret_cast<ReplyState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!cds || !s || cds->dwData != kEverythingReplyId || s->kind != kind) return TRUE;
  // The first answer wins: a second one in the same wait would count files twice.
  if (s->received) return TRUE;
  const uint8_t* data = static_cast<const uint8_t*>(cds->lpData);
  size_t length = cds->cbData;
  s->ok = 0;
  s->stored = 0;
  int stored = 0;
  bool ok = false;
  switch (kind) {
    case EverythingQuery::FolderSizes:
      ok = everythingParseFolderSizes(data, length, s->table, s->capacity, &stored, &s->tot, &s->num);
      break;
    case EverythingQuery::TopFiles:
      ok = everythingParseTopFiles(data, length, s->topFiles, s->capacity, &stored);
      break;
    case EverythingQuery::FileCounts:
      ok = everythingParseFileCounts(data, length, s->counts, &s->tot, &s->num);
      break;
  }
  s->stored = stored;
  s->ok = ok ? 1 : 0;
  s->received = 1;
  return TRUE;
}

// WPARAM-sized handles travel as 32 bits in the query block.
uint32_t handleBits(HWND window) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
}

const wchar_t* helperClass(SearchHelper which) {
  switch (which) {
    case SearchHelper::Folder:
      return W(everythingQueryShape(EverythingQuery::FolderSizes).replyClass);
    case SearchHelper::TopFiles:
      return W(everythingQueryShape(EverythingQuery::TopFiles).replyClass);
    case SearchHelper::FileCount:
      break;
  }
  return W(everythingQueryShape(EverythingQuery::FileCounts).replyClass);
}

WNDPROC helperProc(SearchHelper which) {
  switch (which) {
    case SearchHelper::Folder:
      return everythingFolderReplyProc;
    case SearchHelper::TopFiles:
      return everythingTopFilesReplyProc;
    case SearchHelper::FileCount:
      break;
  }
  return everythingFileCountReplyProc;
}

bool cancelled(const std::atomic<uint32_t>* cancel) {
  return cancel && cancel->load(std::memory_order_relaxed) != 0;
}

}  // namespace

HWND createHelperWindow(const wchar_t* className, WNDPROC proc) {
  HINSTANCE instance = ownModule();
  // A class left behind by an earlier load of the plugin at another address
  // would send our answers into unmapped code; ensureWindowClass replaces it.
  if (!ensureWindowClass(instance, className, proc, 0, nullptr)) return nullptr;
  HWND window = CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                                nullptr);
  if (!window) return nullptr;
  ChangeWindowMessageFilterEx(window, WM_COPYDATA, MSGFLT_ALLOW, nullptr);
  return window;
}

LRESULT CALLBACK everythingFolderReplyProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  return takeReply(window, msg, wParam, lParam, EverythingQuery::FolderSizes);
}

LRESULT CALLBACK everythingTopFilesReplyProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  return takeReply(window, msg, wParam, lParam, EverythingQuery::TopFiles);
}

LRESULT CALLBACK everythingFileCountReplyProc(HWND window, UINT msg, WPARAM wParam,
                                              LPARAM lParam) {
  return takeReply(window, msg, wParam, lParam, EverythingQuery::FileCounts);
}

bool everythingRunQuery(HWND engine, HWND reply, EverythingQuery kind, const char16_t* targetPath,
                        int maxTopFiles, uint32_t maxResults, ReplyState* state,
                        char16_t* queryText, const std::atomic<uint32_t>* cancel) {
  if (queryText) queryText[0] = 0;
  if (!engine || !reply || !state || !targetPath) return false;
  const EverythingQueryShape& shape = everythingQueryShape(kind);

  size_t textCap = textLength(targetPath) + shape.textExtraUnits;
  char16_t* text = static_cast<char16_t*>(std::malloc(textCap * sizeof(char16_t)));
  if (!text) return false;
  size_t n = everythingSearchText(kind, targetPath, maxTopFiles, text, textCap);
  if (queryText) textCopy(queryText, kQueryTextCopyUnits, text);
  if (cancelled(cancel)) {  // a closing panel asks nothing more of the engine
    std::free(text);
    return false;
  }

  size_t blockLength = static_cast<size_t>(everythingQueryBlockLength(n));
  uint8_t* block = static_cast<uint8_t*>(std::malloc(blockLength));
  if (!block) {
    std::free(text);
    return false;
  }
  everythingBuildQuery(block, blockLength, handleBits(reply), maxResults, shape.properties,
                       shape.sortOrder, text, n);
  std::free(text);

  state->kind = kind;
  state->received = 0;
  state->ok = 0;
  state->stored = 0;
  state->tot = 0;
  state->num = 0;
  SetWindowLongPtrW(reply, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));

  COPYDATASTRUCT cds;
  cds.dwData = kEverythingReplyId;
  cds.cbData = static_cast<DWORD>(blockLength);
  cds.lpData = block;
  // A timed send rather than a plain one: an engine that stopped pumping
  // messages must not hold the scan thread (and the panel's teardown) forever.
  // SMTO_NORMAL keeps our own reply window answerable while we wait here, for
  // an engine that answers from inside its handler.
  DWORD_PTR ignored = 0;
  DWORD t0 = GetTickCount();
  SendMessageTimeoutW(engine, WM_COPYDATA, reinterpret_cast<WPARAM>(reply),
                      reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL | SMTO_ABORTIFHUNG, shape.waitMs,
                      &ignored);
  std::free(block);

  // Poll the cancel flag at least every kCancelPollMs so that a closing panel
  // never waits out the 5 or 20 seconds of an engine that stays silent.
  while (!state->received) {
    DWORD elapsed = GetTickCount() - t0;
    if (elapsed >= shape.waitMs || cancelled(cancel)) break;
    DWORD slice = shape.waitMs - elapsed;
    if (slice > kCancelPollMs) slice = kCancelPollMs;
    MsgWaitForMultipleObjectsEx(0, nullptr, slice, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG msg;
    while (!state->received && PeekMessageW(&msg, reply, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  SetWindowLongPtrW(reply, GWLP_USERDATA, 0);
  return state->received == 1 && state->ok == 1;
}

EverythingClient::~EverythingClient() {
  for (HWND& w : helpers_) {
    if (w) DestroyWindow(w);
    w = nullptr;
  }
}

bool EverythingClient::findWindow() {
  engine_ = FindWindowW(kEverythingWindowClass, nullptr);
  return engine_ != nullptr;
}

bool EverythingClient::isDatabaseLoaded() {
  if (!engine_) return false;
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(engine_, WM_USER, kEverythingLoadedQuestion, 0,
                           SMTO_NORMAL | SMTO_ABORTIFHUNG, kLoadedQuestionWaitMs, &answer))
    return false;
  return answer != 0;
}

bool EverythingClient::createHelper(SearchHelper which) {
  HWND& slot = helpers_[static_cast<int>(which)];
  if (slot) DestroyWindow(slot);
  slot = createHelperWindow(helperClass(which), helperProc(which));
  return slot != nullptr;
}

void EverythingClient::destroyHelper(SearchHelper which) {
  HWND& slot = helpers_[static_cast<int>(which)];
  if (slot) DestroyWindow(slot);
  slot = nullptr;
}

bool EverythingClient::queryFolderSizes(const char16_t* targetPath, FolderSizeEntry* table,
                                        int capacity, char16_t* queryText, int* stored,
                                        uint32_t* tot, uint32_t* num,
                                        const std::atomic<uint32_t>* cancel) {
  ReplyState state = {};
  state.table = table;
  state.capacity = table ? capacity : 0;
  bool ok = everythingRunQuery(engine_, helpers_[static_cast<int>(SearchHelper::Folder)],
                               EverythingQuery::FolderSizes, targetPath, 0,
                               static_cast<uint32_t>(capacity > 0 ? capacity : 0), &state,
                               queryText, cancel);
  if (stored) *stored = ok ? state.stored : 0;
  if (tot) *tot = state.tot;
  if (num) *num = state.num;
  return ok;
}

bool EverythingClient::queryTopFiles(const char16_t* targetPath, TopFileEntry* buffer,
                                     int maxTopFiles, int* stored,
                                     const std::atomic<uint32_t>* cancel) {
  ReplyState state = {};
  state.topFiles = buffer;
  state.capacity = buffer ? maxTopFiles : 0;
  bool ok = everythingRunQuery(engine_, helpers_[static_cast<int>(SearchHelper::TopFiles)],
                               EverythingQuery::TopFiles, targetPath, maxTopFiles,
                               static_cast<uint32_t>(maxTopFiles > 0 ? maxTopFiles : 0), &state,
                               nullptr, cancel);
  if (stored) *stored = ok ? state.stored : 0;
  return ok;
}

bool EverythingClient::queryFileCounts(const char16_t* targetPath, ScanItem* rows, int rowCount,
                                       uint32_t maxResults, uint32_t* tot, uint32_t* num,
                                       const std::atomic<uint32_t>* cancel) {
  ReplyState state = {};
  ChildNameIndex index = {};
  childIndexBuild(&index, rows, rowCount);  // on failure lookups walk the rows
  state.counts.targetPath = targetPath;
  state.counts.trimmedLength = targetPath ? everythingTrimmedLength(targetPath) : 0;
  state.counts.rows = rows;
  state.counts.rowCount = rows ? rowCount : 0;
  state.counts.maxResults = maxResults;
  state.counts.index = &index;
  bool ok = everythingRunQuery(engine_, helpers_[static_cast<int>(SearchHelper::FileCount)],
                               EverythingQuery::FileCounts, targetPath, 0, maxResults, &state,
                               nullptr, cancel);
  childIndexRelease(&index);
  if (tot) *tot = state.tot;
  if (num) *num = state.num;
  return ok;
}
