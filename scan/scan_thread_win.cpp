#include "scan/scan_thread_win.h"

#include <new>

#include "scan/dir_lister_win.h"
#include "scan/everything_client_win.h"
#include "scan/scan_driver.h"

namespace {

// A walker's stack holds one walk (about 20 KB of frames, path and entry);
// a small reservation keeps a 32-bit host's address space for itself.
constexpr SIZE_T kWorkerStackBytes = 256 * 1024;

struct WorkerStart {
  void (*run)(void*);
  void* arg;
};

DWORD WINAPI workerProc(void* arg) {
  WorkerStart* start = static_cast<WorkerStart*>(arg);
  start->run(start->arg);
  return 0;
}

struct WindowScanHost final : ScanHost {
  HWND window = nullptr;
  HANDLE workers[kMaxScanThreads] = {};
  WorkerStart starts[kMaxScanThreads] = {};
  int32_t workerCount = 0;

  void requestRepaint() override { InvalidateRect(window, nullptr, FALSE); }
  void scanFinished() override { PostMessageW(window, WM_SCAN_FINISHED, 0, 0); }
  uint32_t tickCount() override { return GetTickCount(); }
  // Walkers run the plugin's code; the scan thread joins them before its own
  // end, so the module reference it holds covers them too.
  bool startWorker(void (*run)(void*), void* arg) override {
    if (workerCount >= kMaxScanThreads) return false;
    starts[workerCount] = WorkerStart{run, arg};
    HANDLE h = CreateThread(nullptr, kWorkerStackBytes, workerProc, &starts[workerCount],
                            STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!h) return false;
    workers[workerCount++] = h;
    return true;
  }
  void joinWorkers() override {
    for (int32_t i = 0; i < workerCount; ++i) {
      WaitForSingleObject(workers[i], INFINITE);
      CloseHandle(workers[i]);
      workers[i] = nullptr;
    }
    workerCount = 0;
  }
  int32_t processorCount() override {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return static_cast<int32_t>(info.dwNumberOfProcessors);
  }
};

// Everything the thread uses besides the model; it owns this and frees it.
struct ScanThreadContext {
  WindowScanHost host;
  Win32DirLister lister;
  EverythingClient engine;
  ScanModel* model = nullptr;
  void (*onEnd)(void*) = nullptr;
  void* owner = nullptr;
  HMODULE module = nullptr;
};

DWORD WINAPI scanThreadProc(void* arg) {
  ScanThreadContext* ctx = static_cast<ScanThreadContext*>(arg);
  scanThreadMain(*ctx->model);
  void (*onEnd)(void*) = ctx->onEnd;
  void* owner = ctx->owner;
  HMODULE module = ctx->module;
  delete ctx;  // the engine's helper windows go with it, on this thread
  if (onEnd) onEnd(owner);
  // The host may unload the plugin while a scan outlives its panel; the
  // reference taken at start keeps this code mapped until the thread is out.
  if (module) FreeLibraryAndExitThread(module, 0);
  return 0;
}

}  // namespace

HANDLE startScanThread(ScanModel* model, HWND window, void (*onEnd)(void*), void* owner) {
  if (!model) return nullptr;
  ScanThreadContext* ctx = new (std::nothrow) ScanThreadContext();
  if (!ctx) return nullptr;
  ctx->host.window = window;
  ctx->model = model;
  ctx->onEnd = onEnd;
  ctx->owner = owner;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                     reinterpret_cast<LPCWSTR>(&scanThreadProc), &ctx->module);
  model->host = &ctx->host;
  model->lister = &ctx->lister;
  model->search = model->scanUseEverything ? static_cast<SearchClient*>(&ctx->engine) : nullptr;
  HANDLE thread = CreateThread(nullptr, 0, scanThreadProc, ctx, 0, nullptr);
  if (!thread) {
    model->host = nullptr;
    model->lister = nullptr;
    model->search = nullptr;
    if (ctx->module) FreeLibrary(ctx->module);
    delete ctx;
  }
  return thread;
}
