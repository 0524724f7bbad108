#include "app/windows/main_window.h"

#include <climits>
#include <string>

#include "app/windows/controls.h"
#include "sites/handlers.h"
#include "text/gbk.h"

namespace pagewick::win32 {
namespace {

constexpr int kWindowWidth = 303;
constexpr int kWindowHeight = 63;
constexpr int kIconId = 1;

struct ControlLayout {
  int id;
  const char* windowClass;
  DWORD style;
  DWORD extendedStyle;
  int left, top, width, height;
  int tabOrder;
};

constexpr DWORD kButtonStyle =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE;
// No ES_NOHIDESEL: the selection is hidden while the box does not have the focus.
constexpr DWORD kBookStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;

constexpr ControlLayout kControls[4] = {
    {kBxwx1Id, "BUTTON", kButtonStyle, 0, 232, 7, 60, 26, 0},
    {kBookId, "EDIT", kBookStyle, WS_EX_CLIENTEDGE, 8, 8, 90, 24, 0},
    {kFeikuId, "BUTTON", kButtonStyle, 0, 103, 8, 60, 26, 0},
    {kBxwxId, "BUTTON", kButtonStyle, 0, 168, 8, 60, 26, 0},
};

const Text& Placeholder() { return "请输入小说名字"_gbk; }

const Text& Caption(int id) {
  switch (id) {
    case kBookId:
      return Placeholder();
    case kFeikuId:
      return "飞库网"_gbk;
    default:
      return "笔下文学"_gbk;
  }
}

Text WindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  if (length <= 0) return Text();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int got = GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(got < 0 ? 0 : got));
  return Text(std::move(text));
}

bool RegisterMainWindowClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(instance, kMainWindowClass, &existing)) return true;
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kMainWindowClass;
  windowClass.hIcon = static_cast<HICON>(
      LoadImageA(instance, MAKEINTRESOURCEA(kIconId), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
  windowClass.hIconSm = static_cast<HICON>(
      LoadImageA(instance, MAKEINTRESOURCEA(kIconId), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                 GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  return RegisterClassExA(&windowClass) != 0;
}

}  // namespace

ButtonHandlers SearchHandlers() { return {FeikuSearch, BxwxTableSearch, BxwxFormSearch}; }

MainWindow::MainWindow(ButtonHandlers handlers) : handlers_(std::move(handlers)) {}

MainWindow::~MainWindow() {
  quitWhenDestroyed_ = false;
  if (window_ != nullptr) DestroyWindow(window_);
  if (buttonFont_ != nullptr) DeleteObject(buttonFont_);
}

bool MainWindow::Create(HINSTANCE instance, int showCommand) {
  if (!RegisterMainWindowClass(instance, &MainWindow::Procedure)) return false;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - kWindowWidth) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - kWindowHeight) / 2;
  // Fixed frame, caption with system menu and close box; no minimise or maximise box.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  window_ = CreateWindowExA(WS_EX_CONTROLPARENT, kMainWindowClass, kMainWindowCaption, style, left,
                            top, kWindowWidth, kWindowHeight, nullptr, nullptr, instance, this);
  if (window_ == nullptr) return false;
  SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);

  buttonFont_ =
      CreateFontA(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH, "方正宋三简体"_gbk.c_str());
  for (size_t i = 0; i < 4; ++i) {
    const ControlLayout& layout = kControls[i];
    controls_[i] = CreateWindowExA(
        layout.extendedStyle, layout.windowClass, Caption(layout.id).c_str(), layout.style,
        layout.left, layout.top, layout.width, layout.height, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)), instance, nullptr);
    if (controls_[i] == nullptr) {
      DestroyWindow(window_);
      return false;
    }
    const bool isBook = layout.id == kBookId;
    HGDIOBJ font =
        isBook || buttonFont_ == nullptr ? GetStockObject(DEFAULT_GUI_FONT) : buttonFont_;
    SendMessageA(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (isBook) SendMessageA(controls_[i], EM_SETLIMITTEXT, 0, 0);  // the largest a box holds
  }
  ShowWindow(window_, showCommand);
  UpdateWindow(window_);
  return true;
}

HWND MainWindow::control(int id) const {
  for (size_t i = 0; i < 4; ++i) {
    if (kControls[i].id == id) return controls_[i];
  }
  return nullptr;
}

Text MainWindow::BookText() const {
  HWND book = control(kBookId);
  return book != nullptr ? WindowText(book) : lastBookText_;
}

void MainWindow::SetBookText(const Text& text) {
  HWND book = control(kBookId);
  if (book != nullptr) {
    SetWindowTextA(book, text.c_str());
  } else {
    lastBookText_ = text;
  }
}

LRESULT CALLBACK MainWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return self->Handle(message, wParam, lParam);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (lParam != 0) OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window_, focus)) rememberedFocus_ = focus;
      } else if (HIWORD(wParam) == 0) {  // not minimised
        SetFocus(window_);
      }
      return 0;
    case WM_SETFOCUS: {
      HWND target = rememberedFocus_ != nullptr && IsWindow(rememberedFocus_)
                        ? rememberedFocus_
                        : ChooseFocusControl();
      if (target != nullptr) SetFocus(target);
      return 0;
    }
    case WM_DESTROY: {
      HWND window = window_;
      lastBookText_ = WindowText(control(kBookId));
      for (HWND& c : controls_) c = nullptr;
      rememberedFocus_ = nullptr;
      window_ = nullptr;
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      if (quitWhenDestroyed_) PostQuitMessage(0);
      return 0;
    }
    default:
      return DefWindowProcA(window_, message, wParam, lParam);
  }
}

void MainWindow::OnCommand(int id, int notification) {
  if (id == kBookId) {
    if (notification == EN_SETFOCUS) BookGotFocus();
    if (notification == EN_KILLFOCUS) BookLostFocus();
    return;
  }
  if (notification != BN_CLICKED) return;
  const std::function<void()>* handler = id == kFeikuId   ? &handlers_.feiku
                                         : id == kBxwxId  ? &handlers_.bxwx
                                         : id == kBxwx1Id ? &handlers_.bxwx1
                                                          : nullptr;
  if (handler != nullptr && *handler) (*handler)();
}

void MainWindow::BookGotFocus() {
  const bool placeholder = TextCompare(BookText(), Placeholder()) == 0;
  if (placeholder) SetBookText(Text());
}

void MainWindow::BookLostFocus() {
  const bool empty = TextCompare(BookText(), Text()) == 0;
  if (empty) SetBookText(Placeholder());
}

HWND MainWindow::ChooseFocusControl() const {
  HWND chosen = nullptr;
  int lowest = INT_MAX;
  for (int i = 3; i >= 0; --i) {
    HWND c = controls_[i];
    if (c == nullptr) continue;
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(c, GWL_STYLE));
    if ((style & WS_VISIBLE) == 0 || (style & WS_DISABLED) != 0 || (style & WS_TABSTOP) == 0) {
      continue;
    }
    if (kControls[i].tabOrder < lowest) {
      lowest = kControls[i].tabOrder;
      chosen = c;
    }
  }
  return chosen;
}

}  // namespace pagewick::win32
