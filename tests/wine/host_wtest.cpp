// The host layer against real windows: what a host's main window receives for
// a jump, the About box's ways of closing and its modal loop, the clipboard.
// The payload bytes and the choice of mode are proven natively.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "host/about_win.h"
#include "host/jump_win.h"
#include "tests/support/plugin_host_win.h"
#include "win/clipboard_win.h"

namespace {

// What the stand-in for the host's main window received: its commands
// (WM_USER + 51) and copy-data records in order ("107 CD 4001"; "CD?" for a
// record not from the panel or not tagged as a CD command), and the last record.
std::string g_sequence, g_payload;
HWND g_panel, g_quickView;  // the second destroyed when the host is told to close it (107)
std::u16string g_record;    // the path as it sits in the panel's record, freed with it

LRESULT CALLBACK fakeHostProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_USER + 51 && msg != WM_COPYDATA) return DefWindowProcW(window, msg, wParam, lParam);
  auto* cd = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  const bool record = msg == WM_COPYDATA, fromPanel = record && wParam == WPARAM(g_panel) && cd->dwData == 0x4443;
  g_sequence += (g_sequence.empty() ? "" : " ") + (!record ? std::to_string(wParam) : fromPanel ? "CD" : "CD?");
  if (record) g_payload.assign(static_cast<const char*>(cd->lpData), cd->cbData);
  // Closing the quick view destroys the panel and its record while the jump runs.
  if (!record && wParam == 107) DestroyWindow(g_quickView), g_record.assign(g_record.size(), u'Z');
  return record;
}

HWND makeWindow(const wchar_t* className, DWORD style, HWND parent, RECT at) {
  return CreateWindowExW(0, className, L"", style, at.left, at.top, at.right - at.left, at.bottom - at.top, parent,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
}

// The mode's choice and the payload's bytes are proven natively; here the real
// windows' rectangles and ownership decide, the real messages arrive, and what
// follows the quick view's closing comes from copies. The viewer's test shows a
// jump to the other pane.
TEST(Jump, EachJumpSendsTheHostItsCommandsAndRecordOrNothing) {
  const wchar_t *tc = L"TTOTAL_CMD", *other = L"MorvaneTestRootOwner";
  const std::u16string path = u"C:\\Gr\u00FC\u00DFe \u20AC";
  const std::string bom = "\xEF\xBB\xBF", utf8 = bom + u8"C:\\Gr\u00FC\u00DFe \u20AC\r", same("\0A\0", 3),
                    otherPane = bom + std::string("\0SA\0", 4);
  for (const wchar_t* name : {tc, other}) {
    const WNDCLASSW wc = {0, fakeHostProc, 0, 0, GetModuleHandleW(nullptr), nullptr, nullptr, nullptr, nullptr, name};
    RegisterClassW(&wc);
  }
  const struct {
    const wchar_t* hostClass;
    bool samePane, separateLister, panelGone;
    std::u16string path;
    const char* sequence;
    std::string payload;
  } cases[] = {
      {tc, true, false, false, path, "107 CD 4001", utf8 + same},  // the panel in the host's left half
      {tc, true, true, false, path, "CD", utf8 + otherPane},       // a separate lister window
      // Without a "TTOTAL_CMD" window the panel's root owner takes it; a destroyed panel has none.
      {other, true, false, false, path, "107 CD 4001", utf8 + same},
      {other, false, false, true, path, "", ""},
      // Paths without an exact UTF-8 form, whose stand-in character or cut
      // could name another item, are refused; the longest path field is not.
      {tc, false, false, false, u"C:\\a\xD800" u"b", "", ""},
      {tc, false, false, false, std::u16string(2048, u'a'), "", ""},
      {tc, false, false, false, std::u16string(2047, u'a'), "CD", bom + std::string(2047, 'a') + "\r" + otherPane},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "row " << &c - cases);
    g_sequence.clear(), g_payload.clear();
    HWND main = makeWindow(c.hostClass, WS_POPUP, nullptr, {0, 0, 1000, 700});
    g_quickView = c.separateLister ? createHostWindow(400, 300) : makeWindow(L"STATIC", WS_CHILD, main, {0, 40, 499, 600});
    g_panel = makeWindow(L"STATIC", WS_CHILD, g_quickView, {0, 0, 100, 100});
    if (c.panelGone) DestroyWindow(g_panel);
    g_record = c.path;
    EXPECT_EQ(jumpToPane(g_panel, g_record.c_str(), c.samePane), *c.sequence != 0);
    EXPECT_EQ(g_sequence, c.sequence);
    EXPECT_EQ(g_payload, c.payload);
    DestroyWindow(g_quickView), DestroyWindow(main);  // the first may be gone already
  }
}

std::u16string clipboardText() {
  HANDLE data = OpenClipboard(nullptr) ? GetClipboardData(CF_UNICODETEXT) : nullptr;
  std::u16string text = data ? static_cast<const char16_t*>(GlobalLock(data)) : u"<none>";
  if (data) GlobalUnlock(data);
  return CloseClipboard(), text;
}

// What the test does to the open box, from a timer whose first tick comes in
// the box's own loop once the box is up. The close box is clicked after two
// right clicks: beside the link line and on it.
enum class Act { Escape, Enter, OkButton, CloseBox, Quit } g_act;
int g_ticks;
std::string g_seen;             // what the act found, and whether a later tick found the box still open
std::u16string g_clipboard[2];  // after the right click beside the link line, and on it

void CALLBACK actOnBox(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = FindWindowW(kAboutClassName, nullptr), ok = GetDlgItem(box, kAboutOkId), focus = GetFocus();
  // A later tick closes a box the act left open, so a fault fails the test instead of hanging it.
  if (g_ticks++ > 0 || !box) {
    if (box) g_seen += ", left open", DestroyWindow(box);
    return;
  }
  g_seen = std::string(ok && focus == ok ? "focus on OK" : "focus elsewhere") +
           (IsWindowEnabled(GetWindow(box, GW_OWNER)) ? ", owner enabled" : ", owner disabled");
  const Rect& link = reinterpret_cast<AboutRecord*>(GetWindowLongPtrW(box, GWLP_USERDATA))->layout.link;
  switch (g_act) {
    case Act::Escape: PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001); break;  // as a keypress arrives
    case Act::Enter: PostMessageW(focus, WM_KEYDOWN, VK_RETURN, 0x001C0001); break;
    case Act::OkButton: SendMessageW(ok, BM_CLICK, 0, 0); break;
    case Act::CloseBox:
      SendMessageW(box, WM_RBUTTONUP, 0, MAKELPARAM(link.left - 1, link.top));
      g_clipboard[0] = clipboardText();
      SendMessageW(box, WM_RBUTTONUP, 0, MAKELPARAM(link.left, link.bottom - 1));
      g_clipboard[1] = clipboardText();
      PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
    case Act::Quit: PostQuitMessage(7); break;
  }
}

TEST(AboutBox, EveryWayOfClosingReturnsWithTheOwnerAsItWasAndOnlyTheLinkCopies) {
  HWND owner = createHostWindow(600, 400);
  const char16_t* before = u"Gr\u00FC\u00DFe \U0001F600";
  ASSERT_TRUE(copyTextToClipboard(owner, before));
  const struct { Act act; bool disabledBefore; } cases[] = {
      {Act::Escape, false}, {Act::Enter, false}, {Act::OkButton, false}, {Act::CloseBox, false}, {Act::Escape, true},
      {Act::Quit, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "act " << int(c.act) << (c.disabledBefore ? ", owner disabled" : ""));
    EnableWindow(owner, !c.disabledBefore);
    g_act = c.act, g_ticks = 0, g_seen.clear();
    UINT_PTR timer = SetTimer(nullptr, 0, 0, actOnBox);
    showAboutBox(owner);
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_seen, "focus on OK, owner disabled");
    EXPECT_EQ(IsWindowEnabled(owner) != FALSE, !c.disabledBefore);
    MSG msg;  // a quit ends the box and still reaches the caller's loop
    EXPECT_EQ(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && msg.wParam == 7, c.act == Act::Quit);
  }
  EXPECT_EQ(g_clipboard[0], before);
  EXPECT_EQ(g_clipboard[1], kAboutLinkText);
  DestroyWindow(owner);
}

}  // namespace
