#include "tests/support/fake_host_win.h"

namespace {

LRESULT CALLBACK fakeHostProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* host = reinterpret_cast<FakeHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (host && msg == WM_USER + 51) {
    if (host->onCommand) host->onCommand(wParam);
    host->received.push_back({msg, wParam, 0, {}});
    return 0;
  }
  if (host && msg == WM_COPYDATA) {
    auto* cd = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    const auto* bytes = static_cast<const uint8_t*>(cd->lpData);
    host->received.push_back({msg, wParam, cd->dwData, std::vector<uint8_t>(bytes, bytes + cd->cbData)});
    return 1;
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace

bool createFakeHost(FakeHost* host, RECT at, const wchar_t* className) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = fakeHostProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = className;
  RegisterClassExW(&wc);  // fails harmlessly once registered
  host->window = CreateWindowExW(0, className, L"host", WS_POPUP, at.left, at.top, at.right - at.left,
                                 at.bottom - at.top, nullptr, nullptr, wc.hInstance, nullptr);
  if (host->window) SetWindowLongPtrW(host->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(host));
  return host->window != nullptr;
}

void destroyFakeHost(FakeHost* host) {
  if (host->window) DestroyWindow(host->window);
  host->window = nullptr;
}
