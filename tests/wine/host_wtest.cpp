// The host layer against real windows: the messages a host's main window
// receives for a jump, the About box's ways of closing and its modal loop, and
// the clipboard.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "host/about_win.h"
#include "host/jump_win.h"
#include "tests/support/fake_host_win.h"
#include "tests/support/plugin_host_win.h"
#include "win/clipboard_win.h"

namespace {

using Bytes = std::vector<uint8_t>;
const std::string kBom = "\xEF\xBB\xBF";
const char16_t kPath[] = u"C:\\Daten\\Gr\u00FC\u00DFe \u20AC\\x.txt";
const std::string kPathUtf8 = u8"C:\\Daten\\Gr\u00FC\u00DFe \u20AC\\x.txt";

Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

HWND child(HWND parent, RECT at) {
  return CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, at.left, at.top, at.right - at.left,
                         at.bottom - at.top, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

TEST(Jump, MessageSequenceForEachMode) {
  const std::string same = std::string("\0A\0", 3);
  struct Case {
    const char* what;
    bool samePane;
    bool separateLister;  // the panel sits in a lister window of its own
    RECT container;       // in the host's client area
    std::vector<WPARAM> commands;  // host commands before and after the record
    std::string payload;
  } cases[] = {
      {"Same, right", true, false, {500, 40, 1000, 600}, {207, 4002}, "\r" + kBom + kPathUtf8 + same},
      {"Same, left", true, false, {0, 40, 500, 600}, {107, 4001}, kBom + kPathUtf8 + "\r" + same},
      {"Same, centred", true, false, {100, 40, 900, 600}, {207, 4002}, "\r" + kBom + kPathUtf8 + same},
      {"Other", false, false, {500, 40, 1000, 600}, {}, kBom + kPathUtf8 + "\r" + kBom + std::string("\0SA\0", 4)},
      {"Same, separate lister", true, true, {0, 0, 400, 300}, {},
       kBom + kPathUtf8 + "\r" + kBom + std::string("\0SA\0", 4)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeHost host;
    ASSERT_TRUE(createFakeHost(&host, {0, 0, 1000, 700}));
    HWND lister = c.separateLister ? createHostWindow(400, 300) : child(host.window, c.container);
    HWND panel = child(lister, {0, 0, 100, 100});
    ASSERT_TRUE(jumpToPane(panel, kPath, c.samePane));
    size_t expectedCount = c.commands.size() + 1;
    ASSERT_EQ(host.received.size(), expectedCount);
    size_t at = 0;
    if (!c.commands.empty()) {
      EXPECT_EQ(host.received[at].msg, UINT(WM_USER + 51));
      EXPECT_EQ(host.received[at++].wParam, c.commands[0]);
    }
    const HostMessage& cd = host.received[at++];
    EXPECT_EQ(cd.msg, UINT(WM_COPYDATA));
    EXPECT_EQ(cd.wParam, reinterpret_cast<WPARAM>(panel));
    EXPECT_EQ(cd.dwData, 0x4443u);
    EXPECT_EQ(cd.data, bytesOf(c.payload));
    if (!c.commands.empty()) {
      EXPECT_EQ(host.received[at].msg, UINT(WM_USER + 51));
      EXPECT_EQ(host.received[at].wParam, c.commands[1]);
    }
    if (c.separateLister) DestroyWindow(lister);
    destroyFakeHost(&host);
  }
}

// Closing the quick view destroys the panel and frees its record while the
// jump runs: what goes out after that must come from copies.
TEST(Jump, NothingIsReadFromThePanelAfterTheFirstSend) {
  FakeHost host;
  ASSERT_TRUE(createFakeHost(&host, {0, 0, 1000, 700}));
  HWND quickView = child(host.window, {500, 0, 1000, 700});
  HWND panel = child(quickView, {0, 0, 100, 100});
  char16_t record[64];
  std::copy(std::begin(kPath), std::end(kPath), record);
  host.onCommand = [&](WPARAM command) {
    if (command != 207) return;
    DestroyWindow(quickView);
    std::fill(std::begin(record), std::end(record), u'Z');
  };
  ASSERT_TRUE(jumpToPane(panel, record, true));
  ASSERT_EQ(host.received.size(), 3u);
  EXPECT_FALSE(IsWindow(panel));
  EXPECT_EQ(host.received[1].wParam, reinterpret_cast<WPARAM>(panel));
  EXPECT_EQ(host.received[1].data, bytesOf("\r" + kBom + kPathUtf8 + std::string("\0A\0", 3)));
  EXPECT_EQ(host.received[2].wParam, 4002u);
  destroyFakeHost(&host);
}

TEST(Jump, RefusedWithoutHostOrForAPathWithoutAnExactUtf8Form) {
  // No "TTOTAL_CMD" window: the root owner takes the jump; without one nothing goes out.
  FakeHost owner;
  ASSERT_TRUE(createFakeHost(&owner, {0, 0, 800, 600}, L"MorvaneTestRootOwner"));
  HWND panel = child(owner.window, {0, 0, 100, 100});
  EXPECT_EQ(findHostWindow(panel), owner.window);
  EXPECT_TRUE(jumpToPane(panel, u"C:\\x", false));
  EXPECT_EQ(owner.received.size(), 1u);
  HWND gone = child(owner.window, {0, 0, 10, 10});
  DestroyWindow(gone);
  EXPECT_EQ(findHostWindow(nullptr), nullptr);
  EXPECT_FALSE(jumpToPane(nullptr, u"C:\\x", false));
  EXPECT_EQ(findHostWindow(gone), nullptr);
  EXPECT_FALSE(jumpToPane(gone, u"C:\\x", false));

  // With a host: a lone surrogate has no UTF-8 form, and a replacement
  // character could name another, existing item, so nothing is sent; so for an
  // empty path, or one longer than a path field.
  owner.received.clear();
  FakeHost host;
  ASSERT_TRUE(createFakeHost(&host, {0, 0, 800, 600}));
  std::u16string longest(2047, u'a'), tooLong(2048, u'a');
  struct Case {
    std::u16string path;
    bool sent;
  } cases[] = {
      {u"C:\\a\xD800" u"b", false},  // high surrogate without its low half
      {u"C:\\a\xDC00", false},       // low surrogate alone, at the end
      {u"C:\\\xDC00\xD800", false},  // both halves, in the wrong order
      {u"", false},
      {tooLong, false},
      {u"C:\\\U0001F600", true},     // a proper pair: four UTF-8 bytes
      {longest, true},
  };
  for (const Case& c : cases) {
    host.received.clear();
    EXPECT_EQ(jumpToPane(panel, c.path.c_str(), false), c.sent) << c.path.size();
    EXPECT_EQ(host.received.size(), c.sent ? 1u : 0u);
  }
  EXPECT_EQ(host.received[0].data.size(), 2047u + 11);
  EXPECT_TRUE(owner.received.empty());
  destroyFakeHost(&host);
  destroyFakeHost(&owner);
}

std::u16string clipboardText(HWND window) {
  std::u16string text = u"<none>";
  if (!OpenClipboard(window)) return u"<unopened>";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* p = static_cast<const char16_t*>(GlobalLock(data))) {
      text = p;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

TEST(Clipboard, HoldsExactlyTheCopiedText) {
  HWND window = createHostWindow(100, 100);
  for (const char16_t* text : {u"[DEBUG] a | b", u"", u"Gr\u00FC\u00DFe \U0001F600"}) {
    EXPECT_TRUE(copyTextToClipboard(window, text));
    EXPECT_EQ(clipboardText(window), text);
  }
  EXPECT_FALSE(copyTextToClipboard(window, nullptr));
  DestroyWindow(window);
}

// What the test does to the open box: posted before showAboutBox, so it runs
// inside the box's own loop once the box is up and the OK button has the focus.
enum class Act { Escape, Enter, OkButton, CloseBox, Quit, RightClicks };
constexpr UINT kActMessage = WM_APP + 7;
// Queued behind every act but the quit: finds the box still open when the act
// failed to close it, and closes it so a fault fails the test instead of hanging it.
constexpr UINT kFallbackMessage = WM_APP + 8;

struct ActResult {
  bool sawBox = false;
  bool focusOnOk = false;
  bool ownerDisabled = false;
  bool fallbackClosed = false;
  std::u16string afterOutsideClick, afterLinkClick, linkText;
};
ActResult g_act;

LRESULT CALLBACK actorProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND box = FindWindowW(kAboutClassName, nullptr);
  if (msg == kFallbackMessage) {
    g_act.fallbackClosed = box != nullptr;
    if (box) DestroyWindow(box);
    return 0;
  }
  if (msg != kActMessage) return DefWindowProcW(window, msg, wParam, lParam);
  g_act.sawBox = box != nullptr;
  if (!box) return 0;
  HWND owner = GetWindow(box, GW_OWNER);
  g_act.ownerDisabled = owner && !IsWindowEnabled(owner);
  HWND ok = GetDlgItem(box, 500);
  HWND focus = GetFocus();
  g_act.focusOnOk = ok && focus == ok;
  switch (Act(wParam)) {
    case Act::Escape:  // as a keypress arrives: at the focused control
      PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
      break;
    case Act::Enter:
      PostMessageW(focus, WM_KEYDOWN, VK_RETURN, 0x001C0001);
      break;
    case Act::OkButton:
      SendMessageW(ok, BM_CLICK, 0, 0);
      break;
    case Act::CloseBox:
      PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
    case Act::Quit:
      PostQuitMessage(7);
      break;
    case Act::RightClicks: {
      auto* rec = reinterpret_cast<AboutRecord*>(GetWindowLongPtrW(box, GWLP_USERDATA));
      const Rect& link = rec->layout.link;
      g_act.linkText = reinterpret_cast<const char16_t*>(rec->linkText);
      SendMessageW(box, WM_RBUTTONUP, 0, MAKELPARAM(link.left - 1, link.top));
      g_act.afterOutsideClick = clipboardText(box);
      SendMessageW(box, WM_RBUTTONUP, 0, MAKELPARAM(link.left, link.bottom - 1));
      g_act.afterLinkClick = clipboardText(box);
      PostMessageW(box, WM_CLOSE, 0, 0);
      break;
    }
  }
  if (Act(wParam) != Act::Quit) PostMessageW(window, kFallbackMessage, 0, 0);
  return 0;
}

HWND actor() {
  static HWND window = nullptr;
  if (!window) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = actorProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"MorvaneTestActor";
    RegisterClassExW(&wc);
    window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             wc.hInstance, nullptr);
  }
  return window;
}

// Shows the box with act queued; true when the act itself closed the box.
bool runBox(HWND owner, Act act) {
  g_act = ActResult();
  PostMessageW(actor(), kActMessage, WPARAM(act), 0);
  showAboutBox(owner);
  MSG msg;  // a fallback left unread once the box closed by itself (a peek would take a quit too)
  if (act != Act::Quit)
    while (PeekMessageW(&msg, actor(), kFallbackMessage, kFallbackMessage, PM_REMOVE)) DispatchMessageW(&msg);
  return g_act.sawBox && !g_act.fallbackClosed && !FindWindowW(kAboutClassName, nullptr);
}

TEST(AboutBox, EveryWayOfClosingReturnsWithTheOwnerAsItWas) {
  HWND owner = createHostWindow(600, 400);
  struct Case {
    Act act;
    bool disabledBefore;
  } cases[] = {{Act::Escape, false}, {Act::Enter, false}, {Act::OkButton, false},
               {Act::CloseBox, false}, {Act::Escape, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "act " << int(c.act) << (c.disabledBefore ? ", owner disabled" : ""));
    EnableWindow(owner, !c.disabledBefore);
    ASSERT_TRUE(runBox(owner, c.act));
    EXPECT_TRUE(g_act.focusOnOk);
    EXPECT_TRUE(g_act.ownerDisabled);
    EXPECT_EQ(IsWindowEnabled(owner) != FALSE, !c.disabledBefore);
  }
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
  DestroyWindow(owner);
}

TEST(AboutBox, AQuitMessageEndsTheBoxAndReachesTheCallersLoop) {
  HWND owner = createHostWindow(600, 400);
  ASSERT_TRUE(runBox(owner, Act::Quit));
  EXPECT_TRUE(IsWindowEnabled(owner));
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
  DestroyWindow(owner);
}

TEST(AboutBox, RightClickCopiesTheLinkLineOnlyOnIt) {
  HWND owner = createHostWindow(600, 400);
  ASSERT_TRUE(copyTextToClipboard(owner, u"before"));
  ASSERT_TRUE(runBox(owner, Act::RightClicks));
  EXPECT_EQ(g_act.afterOutsideClick, u"before");
  EXPECT_EQ(g_act.afterLinkClick, g_act.linkText);
  EXPECT_EQ(g_act.linkText, kAboutLinkText);
  DestroyWindow(owner);
}

}  // namespace
