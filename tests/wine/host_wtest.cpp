// The host layer against real windows: what a host's main window receives for
// a jump, the About box's ways of closing and its modal loop, the clipboard.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "host/about_win.h"
#include "host/jump_win.h"
#include "tests/support/plugin_host_win.h"
#include "win/clipboard_win.h"

namespace {

// A stand-in for the host's main window: a hidden top-level window (class
// "TTOTAL_CMD" unless told otherwise) that records every host command
// (WM_USER + 51) and copy-data record it receives, in order.
struct HostMessage {
  UINT msg;
  WPARAM wParam;              // command number, or the sending window
  ULONG_PTR dwData;           // copy-data tag
  std::vector<uint8_t> data;  // exactly cbData bytes
};
struct FakeHost {
  HWND window = nullptr;
  std::vector<HostMessage> received;
  std::function<void(WPARAM command)> onCommand;  // e.g. a host closing its quick view
};

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

bool createFakeHost(FakeHost* host, RECT at, const wchar_t* className = L"TTOTAL_CMD") {
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

void destroyFakeHost(FakeHost* host) { DestroyWindow(host->window); }

const std::string kBom = "\xEF\xBB\xBF", kSame = std::string("\0A\0", 3), kOther = std::string("\0SA\0", 4);
const char16_t kPath[] = u"C:\\Gr\u00FC\u00DFe \u20AC\\x.txt";
const std::string kUtf8 = u8"C:\\Gr\u00FC\u00DFe \u20AC\\x.txt";

HWND child(HWND parent, RECT at) {
  return CreateWindowExW(0, L"STATIC", L"", WS_CHILD, at.left, at.top, at.right - at.left, at.bottom - at.top,
                         parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// "207 CD 4002": the commands and records in the order received.
std::string sequence(const FakeHost& host) {
  std::string s;
  for (const HostMessage& m : host.received)
    s += (s.empty() ? "" : " ") + (m.msg == WM_COPYDATA ? std::string("CD") : std::to_string(m.wParam));
  return s;
}

TEST(Jump, MessagesTheHostReceivesInEachMode) {
  struct Case {
    bool samePane, separateLister;
    RECT container;  // in the host window
    const char* sequence;
    std::string payload;
  } cases[] = {
      {true, false, {500, 40, 1000, 600}, "207 CD 4002", "\r" + kBom + kUtf8 + kSame},
      {true, false, {0, 40, 500, 600}, "107 CD 4001", kBom + kUtf8 + "\r" + kSame},
      {false, false, {500, 40, 1000, 600}, "CD", kBom + kUtf8 + "\r" + kBom + kOther},
      {true, true, {0, 0, 400, 300}, "CD", kBom + kUtf8 + "\r" + kBom + kOther},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sequence);
    FakeHost host;
    ASSERT_TRUE(createFakeHost(&host, {0, 0, 1000, 700}));
    HWND lister = c.separateLister ? createHostWindow(400, 300) : child(host.window, c.container);
    HWND panel = child(lister, {0, 0, 100, 100});
    char16_t record[64];  // the path as it sits in the panel's record
    std::copy(std::begin(kPath), std::end(kPath), record);
    // Closing the quick view destroys the panel and its record while the jump
    // runs: what follows must come from copies.
    host.onCommand = [&](WPARAM command) {
      if (command != 107 && command != 207) return;
      DestroyWindow(lister);
      std::fill(std::begin(record), std::end(record), u'Z');
    };
    ASSERT_TRUE(jumpToPane(panel, record, c.samePane));
    EXPECT_EQ(sequence(host), c.sequence);
    for (const HostMessage& m : host.received) {
      if (m.msg != WM_COPYDATA) continue;
      EXPECT_EQ(m.wParam, reinterpret_cast<WPARAM>(panel));
      EXPECT_EQ(m.dwData, 0x4443u);
      EXPECT_EQ(std::string(m.data.begin(), m.data.end()), c.payload);
    }
    if (IsWindow(lister)) DestroyWindow(lister);
    destroyFakeHost(&host);
  }
}

TEST(Jump, NothingSentWithoutAHostOrForAPathWithoutAnExactUtf8Form) {
  // Without a "TTOTAL_CMD" window the panel's root owner takes the jump; a
  // destroyed panel (or none) has no root owner, and nothing goes anywhere.
  FakeHost owner;
  ASSERT_TRUE(createFakeHost(&owner, {0, 0, 800, 600}, L"MorvaneTestRootOwner"));
  HWND panel = child(owner.window, {0, 0, 100, 100}), gone = child(owner.window, {0, 0, 10, 10});
  DestroyWindow(gone);
  EXPECT_TRUE(jumpToPane(panel, u"C:\\x", false));
  EXPECT_FALSE(jumpToPane(gone, u"C:\\x", false));
  EXPECT_FALSE(jumpToPane(nullptr, u"C:\\x", false));
  EXPECT_EQ(sequence(owner), "CD");

  // A lone surrogate has no UTF-8 form, and a replacement character could
  // name another, existing item; a cut path would too.
  FakeHost host;
  ASSERT_TRUE(createFakeHost(&host, {0, 0, 800, 600}));
  struct Case {
    std::u16string path;
    size_t sentBytes;  // 0: refused
  } cases[] = {
      {u"C:\\a\xD800" u"b", 0}, {u"C:\\a\xDC00", 0}, {u"", 0},
      {std::u16string(2048, u'a'), 0}, {u"C:\\\U0001F600", 7 + 11}, {std::u16string(2047, u'a'), 2047 + 11},
  };
  for (const Case& c : cases) {
    host.received.clear();
    EXPECT_EQ(jumpToPane(panel, c.path.c_str(), false), c.sentBytes != 0) << c.path.size();
    EXPECT_EQ(host.received.empty() ? 0 : host.received[0].data.size(), c.sentBytes);
  }
  EXPECT_EQ(sequence(owner), "CD");
  destroyFakeHost(&host);
  destroyFakeHost(&owner);
}

std::u16string clipboardText() {
  std::u16string text = u"<none>";
  if (!OpenClipboard(nullptr)) return u"<unopened>";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const char16_t*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

// What the test does to the open box. Posted before showAboutBox, it runs in
// the box's own loop once the box is up with the focus on OK.
// The close box is clicked after two right clicks: beside the link line and on it.
enum class Act { Escape, Enter, OkButton, CloseBox, Quit };
constexpr UINT kActMessage = WM_APP + 7;
// Queued behind every act but the quit: closes a box the act left open, so a
// fault fails the test instead of hanging it.
constexpr UINT kFallbackMessage = WM_APP + 8;

struct ActResult {
  bool sawBox, focusOnOk, ownerDisabled, fallbackClosed;
  std::u16string afterOutsideClick, afterLinkClick;
} g_act;

LRESULT CALLBACK actorProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND box = FindWindowW(kAboutClassName, nullptr);
  if (msg == kFallbackMessage) {
    g_act.fallbackClosed = box != nullptr;
    if (box) DestroyWindow(box);
    return 0;
  }
  if (msg != kActMessage) return DefWindowProcW(window, msg, wParam, lParam);
  if (!(g_act.sawBox = box != nullptr)) return 0;
  HWND ok = GetDlgItem(box, 500), focus = GetFocus(), owner = GetWindow(box, GW_OWNER);
  g_act.focusOnOk = ok && focus == ok;
  g_act.ownerDisabled = !IsWindowEnabled(owner);
  const Rect& link = reinterpret_cast<AboutRecord*>(GetWindowLongPtrW(box, GWLP_USERDATA))->layout.link;
  switch (Act(wParam)) {
    case Act::Escape: PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001); break;  // as a keypress arrives
    case Act::Enter: PostMessageW(focus, WM_KEYDOWN, VK_RETURN, 0x001C0001); break;
    case Act::OkButton: SendMessageW(ok, BM_CLICK, 0, 0); break;
    case Act::CloseBox:
      SendMessageW(box, WM_RBUTTONUP, 0, MAKELPARAM(link.left - 1, link.top));
      g_act.afterOutsideClick = clipboardText();
      SendMessageW(box, WM_RBUTTONUP, 0, MAKELPARAM(link.left, link.bottom - 1));
      g_act.afterLinkClick = clipboardText();
      PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
    case Act::Quit: PostQuitMessage(7); return 0;
  }
  PostMessageW(window, kFallbackMessage, 0, 0);
  return 0;
}

// Shows the box with act queued; true when the act itself closed the box.
bool runBox(HWND owner, Act act) {
  static HWND actor = nullptr;
  if (!actor) {
    WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = actorProc;
    wc.lpszClassName = L"MorvaneTestActor";
    RegisterClassExW(&wc);
    actor = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  }
  g_act = ActResult();
  PostMessageW(actor, kActMessage, WPARAM(act), 0);
  showAboutBox(owner);
  MSG msg;  // a fallback left unread once the box closed (a peek would take a quit too)
  if (act != Act::Quit)
    while (PeekMessageW(&msg, actor, kFallbackMessage, kFallbackMessage, PM_REMOVE)) DispatchMessageW(&msg);
  return g_act.sawBox && !g_act.fallbackClosed && !FindWindowW(kAboutClassName, nullptr);
}

// Also: the clipboard holds exactly the copied text, and the link line copies only on it.
TEST(AboutBox, EveryWayOfClosingReturnsWithTheOwnerAsItWas) {
  HWND owner = createHostWindow(600, 400);
  const char16_t* before = u"Gr\u00FC\u00DFe \U0001F600";
  ASSERT_TRUE(copyTextToClipboard(owner, before));
  struct Case {
    Act act;
    bool disabledBefore;
  } cases[] = {{Act::Escape, false}, {Act::Enter, false}, {Act::OkButton, false}, {Act::CloseBox, false},
               {Act::Escape, true}, {Act::Quit, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "act " << int(c.act) << (c.disabledBefore ? ", owner disabled" : ""));
    EnableWindow(owner, !c.disabledBefore);
    ASSERT_TRUE(runBox(owner, c.act));
    EXPECT_TRUE(g_act.focusOnOk);
    EXPECT_TRUE(g_act.ownerDisabled);
    EXPECT_EQ(IsWindowEnabled(owner) != FALSE, !c.disabledBefore);
    if (c.act == Act::CloseBox) {
      EXPECT_EQ(g_act.afterOutsideClick, before);
      EXPECT_EQ(g_act.afterLinkClick, kAboutLinkText);
    }
    MSG msg;  // a quit ends the box and still reaches the caller's loop
    EXPECT_EQ(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && msg.wParam == 7, c.act == Act::Quit);
  }
  DestroyWindow(owner);
}

}  // namespace
