// The transport of the Everything exchange: hidden reply windows on the scan
// thread, the query sent with WM_COPYDATA and the wait for the answer. The
// bytes themselves are built and read by scan/everything_codec.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "scan/everything_codec.h"
#include "scan/search_client.h"

// Everything's IPC window class and its "is the database loaded?" question.
constexpr const wchar_t* kEverythingWindowClass = L"EVERYTHING_TASKBAR_NOTIFICATION";

// How often a query wait looks at the cancel flag. Teardown waits 2000 ms for
// the scan thread, so a cancelled query must let go well within that.
constexpr DWORD kCancelPollMs = 50;

// Registers className (pointing at proc, in this module) when needed and
// creates a message-only window of it that accepts WM_COPYDATA from processes
// of lower integrity. Null when the window cannot be created.
HWND createHelperWindow(const wchar_t* className, WNDPROC proc);

// The three reply procedures, one per reply window class.
LRESULT CALLBACK everythingFolderReplyProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK everythingTopFilesReplyProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK everythingFileCountReplyProc(HWND window, UINT msg, WPARAM wParam,
                                              LPARAM lParam);

// Attached to a reply window (GWLP_USERDATA) only while its query waits.
struct ReplyState {
  EverythingQuery kind;
  uint32_t received;
  uint32_t ok;
  int32_t stored;
  FolderSizeEntry* table;
  TopFileEntry* topFiles;
  int32_t capacity;
  uint32_t tot;
  uint32_t num;
  FileCountTarget counts;
};

// Sends one query and waits for its answer, its wait limit or the cancel flag.
// True when an answer with identifier 18 arrived and was readable. queryText
// (optional, kQueryTextUnits) receives the search text sent.
bool everythingRunQuery(HWND engine, HWND reply, EverythingQuery kind, const char16_t* targetPath,
                        int maxTopFiles, uint32_t maxResults, ReplyState* state,
                        char16_t* queryText, const std::atomic<uint32_t>* cancel);

// The SearchClient the scan driver uses when the setting asks for Everything.
// All of it runs on the scan thread: the reply windows belong to that thread.
class EverythingClient final : public SearchClient {
 public:
  ~EverythingClient() override;
  bool findWindow() override;
  bool isDatabaseLoaded() override;
  bool createHelper(SearchHelper which) override;
  void destroyHelper(SearchHelper which) override;
  bool queryFolderSizes(const char16_t* targetPath, FolderSizeEntry* table, int capacity,
                        char16_t* queryText, int* stored, uint32_t* tot, uint32_t* num,
                        const std::atomic<uint32_t>* cancel) override;
  bool queryTopFiles(const char16_t* targetPath, TopFileEntry* buffer, int maxTopFiles, int* stored,
                     const std::atomic<uint32_t>* cancel) override;
  bool queryFileCounts(const char16_t* targetPath, ScanItem* rows, int rowCount,
                       uint32_t maxResults, uint32_t* tot, uint32_t* num,
                       const std::atomic<uint32_t>* cancel) override;

 private:
  HWND engine_ = nullptr;
  HWND helpers_[3] = {};
};
