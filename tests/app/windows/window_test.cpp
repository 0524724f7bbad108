// MainWindow on the Win32 API, under a real window system: its frame, controls, fonts, the
// placeholder and focus rules, and what closing leaves behind.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/windows/controls.h"
#include "app/windows/event_pump.h"
#include "app/windows/main_window.h"
#include "text/gbk.h"

namespace pagewick::win32 {
namespace {

std::string Utf8Of(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return TextToUtf8(Text(text));
}

void Drain() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message != WM_QUIT) DeliverMessage(message);
  }
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ButtonHandlers handlers;
    handlers.feiku = [this] { Record("feiku"); };
    handlers.bxwx = [this] { Record("bxwx"); };
    handlers.bxwx1 = [this] { Record("bxwx1"); };
    window_ = std::make_unique<MainWindow>(handlers);
    ASSERT_TRUE(window_->Create(GetModuleHandleA(nullptr)));
    SetDialogWindow(window_->handle());
    SetForegroundWindow(window_->handle());
    Drain();
  }
  void TearDown() override {
    SetDialogWindow(nullptr);
    window_.reset();
    Drain();
  }
  void Record(const char* button) {
    clicks_.push_back(std::string(button) + ":" + TextToUtf8(window_->BookText()));
  }
  HWND Control(int id) const { return window_->control(id); }
  std::string Book() const { return TextToUtf8(window_->BookText()); }
  void SetBook(const char* utf8) { window_->SetBookText(TextFromUtf8(utf8)); }

  std::unique_ptr<MainWindow> window_;
  std::vector<std::string> clicks_;
};

TEST_F(WindowTest, FixedFrameOf303By63CentredWithCloseBoxOnly) {
  HWND main = window_->handle();
  RECT frame{};
  GetWindowRect(main, &frame);
  EXPECT_EQ(frame.right - frame.left, 303);
  EXPECT_EQ(frame.bottom - frame.top, 63);
  EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - 303) / 2);
  EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - 63) / 2);
  const auto style = static_cast<DWORD>(GetWindowLongPtrA(main, GWL_STYLE));
  EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_EQ(Utf8Of(main), "Pagewick");
  EXPECT_EQ(GetClassLongPtrA(main, GCLP_HBRBACKGROUND), static_cast<ULONG_PTR>(COLOR_BTNFACE + 1));
  EXPECT_NE(GetClassLongPtrA(main, GCLP_HICON), 0u);
}

TEST_F(WindowTest, FourControlsInCreationOrderWithTheirPlacesAndStyles) {
  struct Expected {
    int id;
    const char* windowClass;
    const char* text;
    RECT place;  // left, top, right, bottom in the client area
  };
  const Expected expected[] = {
      {kBxwx1Id, "Button", "笔下文学", {232, 7, 292, 33}},
      {kBookId, "Edit", "请输入小说名字", {8, 8, 98, 32}},
      {kFeikuId, "Button", "飞库网", {103, 8, 163, 34}},
      {kBxwxId, "Button", "笔下文学", {168, 8, 228, 34}},
  };
  HWND child = GetWindow(window_->handle(), GW_CHILD);
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.id);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetDlgCtrlID(child), e.id);  // creation order is the stacking order
    char windowClass[32] = {};
    GetClassNameA(child, windowClass, sizeof windowClass);
    EXPECT_EQ(lstrcmpiA(windowClass, e.windowClass), 0) << windowClass;
    EXPECT_EQ(Utf8Of(child), e.text);
    RECT place{};
    GetWindowRect(child, &place);
    MapWindowPoints(HWND_DESKTOP, window_->handle(), reinterpret_cast<POINT*>(&place), 2);
    EXPECT_EQ(place.left, e.place.left);
    EXPECT_EQ(place.top, e.place.top);
    EXPECT_EQ(place.right, e.place.right);
    EXPECT_EQ(place.bottom, e.place.bottom);
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(child, GWL_STYLE));
    EXPECT_TRUE(style & WS_TABSTOP);
    EXPECT_TRUE(IsWindowVisible(child));
    EXPECT_TRUE(IsWindowEnabled(child));
    if (e.id == kBookId) {
      EXPECT_TRUE(GetWindowLongPtrA(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
      EXPECT_TRUE(style & ES_AUTOHSCROLL);
      EXPECT_FALSE(style & (ES_MULTILINE | ES_NOHIDESEL | ES_READONLY | ES_PASSWORD | ES_UPPERCASE |
                            ES_LOWERCASE | ES_CENTER | ES_RIGHT));
      EXPECT_GT(SendMessageA(child, EM_GETLIMITTEXT, 0, 0), 30000);  // beyond the default
    } else {
      EXPECT_EQ(style & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON));  // never the default
      EXPECT_EQ(style & (BS_CENTER | BS_VCENTER), static_cast<DWORD>(BS_CENTER | BS_VCENTER));
      EXPECT_TRUE(style & BS_MULTILINE);
    }
    child = GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr);
}

TEST_F(WindowTest, ButtonsUseTheNamedFaceAndBookTheDefaultGuiFont) {
  for (int id : {kBxwx1Id, kFeikuId, kBxwxId}) {
    SCOPED_TRACE(id);
    auto font = reinterpret_cast<HFONT>(SendMessageA(Control(id), WM_GETFONT, 0, 0));
    LOGFONTA made{};
    ASSERT_EQ(GetObjectA(font, sizeof made, &made), static_cast<int>(sizeof made));
    EXPECT_EQ(made.lfHeight, -13);
    EXPECT_EQ(made.lfWeight, 400);
    EXPECT_FALSE(made.lfItalic || made.lfUnderline || made.lfStrikeOut);
    EXPECT_EQ(made.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(made.lfOutPrecision, OUT_DEFAULT_PRECIS);
    EXPECT_EQ(made.lfClipPrecision, CLIP_DEFAULT_PRECIS);
    EXPECT_EQ(made.lfQuality, PROOF_QUALITY);
    EXPECT_EQ(made.lfPitchAndFamily, DEFAULT_PITCH);
    EXPECT_EQ(TextToUtf8(Text(made.lfFaceName)), "方正宋三简体");
  }
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(Control(kBookId), WM_GETFONT, 0, 0)),
            GetStockObject(DEFAULT_GUI_FONT));
}

TEST_F(WindowTest, StartsWithTheFocusOnBxwxAndThePlaceholderInBook) {
  EXPECT_EQ(GetFocus(), Control(kBxwxId));
  EXPECT_EQ(Book(), "请输入小说名字");
}

TEST_F(WindowTest, PlaceholderComesAndGoesOnlyOnAnExactMatch) {
  struct Case {
    const char* held;     // what the box holds before it gains the focus
    const char* focused;  // what it holds while it has the focus
    const char* left;     // what it holds once the focus has gone again
  };
  const Case cases[] = {
      {"请输入小说名字", "", "请输入小说名字"},
      {"", "", "请输入小说名字"},
      {" ", " ", " "},
      {"请输入小说名字2", "请输入小说名字2", "请输入小说名字2"},
      {"青石巷", "青石巷", "青石巷"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.held);
    SetFocus(Control(kFeikuId));
    SetBook(c.held);
    EXPECT_EQ(Book(), c.held);  // writing raises no focus event
    SetFocus(Control(kBookId));
    EXPECT_EQ(Book(), c.focused);
    SetFocus(Control(kFeikuId));
    EXPECT_EQ(Book(), c.left);
  }
}

TEST_F(WindowTest, AClickMovesTheFocusFirstSoAnEmptiedBoxReadsAsThePlaceholder) {
  const struct {
    int id;
    const char* name;
  } buttons[] = {{kFeikuId, "feiku"}, {kBxwxId, "bxwx"}, {kBxwx1Id, "bxwx1"}};
  for (const auto& button : buttons) {
    SCOPED_TRACE(button.name);
    clicks_.clear();
    SetFocus(Control(kBookId));
    EXPECT_EQ(Book(), "");
    SendMessageA(Control(button.id), BM_CLICK, 0, 0);
    EXPECT_EQ(GetFocus(), Control(button.id));
    ASSERT_EQ(clicks_.size(), 1u);
    EXPECT_EQ(clicks_[0], std::string(button.name) + ":请输入小说名字");
  }
}

TEST_F(WindowTest, EnterInBookStartsNoSearchAndTabFollowsTheCreationOrder) {
  SetFocus(Control(kBookId));
  SetBook("青石巷");
  for (UINT message : {WM_KEYDOWN, WM_CHAR, WM_KEYUP}) {
    MSG enter{
        Control(kBookId), message, message == WM_CHAR ? WPARAM('\r') : WPARAM(VK_RETURN), 0, 0, {}};
    DeliverMessage(enter);
  }
  Drain();
  EXPECT_TRUE(clicks_.empty());
  EXPECT_EQ(Book(), "青石巷");

  const int order[] = {kBookId, kFeikuId, kBxwxId, kBxwx1Id, kBookId};
  for (size_t i = 0; i + 1 < std::size(order); ++i) {
    SCOPED_TRACE(i);
    SetFocus(Control(order[i]));
    MSG tab{Control(order[i]), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    DeliverMessage(tab);
    EXPECT_EQ(GetFocus(), Control(order[i + 1]));
  }
  EXPECT_TRUE(clicks_.empty());
}

TEST_F(WindowTest, SwitchingAwayAndBackReturnsTheFocusToItsControl) {
  SetFocus(Control(kFeikuId));
  HWND other = CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100,
                               100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(other, nullptr);
  SetActiveWindow(other);
  Drain();
  EXPECT_NE(GetActiveWindow(), window_->handle());
  SetActiveWindow(window_->handle());
  Drain();
  EXPECT_EQ(GetFocus(), Control(kFeikuId));
  DestroyWindow(other);
}

TEST_F(WindowTest, ClosingDestroysTheWindowQuitsAndKeepsWhatBookHeld) {
  SetBook("星河夜航");
  HWND main = window_->handle();
  SendMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(main));
  EXPECT_EQ(window_->handle(), nullptr);
  EXPECT_EQ(Book(), "星河夜航");
  MSG quit;
  ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 0u);
}

}  // namespace
}  // namespace pagewick::win32
