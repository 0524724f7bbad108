// MainWindow on the Win32 API: a fixed frame of 303 x 63 outer pixels, centred on the primary
// screen, with system menu and close box only, the button-face background and the program's
// icon. Its four controls, in creation (and stacking and Tab) order:
//   bxwx1  push button "笔下文学"        232, 7, 60 x 26  -> BxwxFormSearch
//   Book   edit box "请输入小说名字"     8, 8, 90 x 24   focus in / out -> the placeholder rule
//   feiku  push button "飞库网"          103, 8, 60 x 26 -> FeikuSearch
//   bxwx   push button "笔下文学"        168, 8, 60 x 26 -> BxwxTableSearch
// Book has a client edge and the default GUI font, scrolls sideways, hides its selection while
// unfocused and takes as much text as a single-line edit box can hold. The buttons' font is
// "方正宋三简体", height -13, weight 400, default character set, output and clipping
// precision, proof quality and default pitch (the font mapper substitutes where it is missing).
//
// Placeholder: the box holds "请输入小说名字" as real text. Gaining the focus empties it when
// it holds exactly that; losing the focus puts it back when the box is empty.
//
// Focus: when the window itself gets the focus and no control is remembered, the controls that
// are visible, enabled and tab stops are examined from the last created to the first, and only
// a strictly lower tab-order value displaces the choice; all four carry 0, so bxwx wins. On
// deactivation the control with the focus is remembered and gets it back on activation.
//
// Closing the window destroys it and posts WM_QUIT. The object outlives its window: Book's text
// reads as what the box last held.
#pragma once

#include <windows.h>

#include <functional>

#include "text/text.h"

namespace pagewick::win32 {

struct ButtonHandlers {
  std::function<void()> feiku;  // FeikuSearch
  std::function<void()> bxwx;   // BxwxTableSearch
  std::function<void()> bxwx1;  // BxwxFormSearch
};

// The three search handlers of sites/handlers.h.
ButtonHandlers SearchHandlers();

class MainWindow {
 public:
  explicit MainWindow(ButtonHandlers handlers = SearchHandlers());
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window and its controls and shows it; false when the window cannot be made.
  bool Create(HINSTANCE instance, int showCommand = SW_SHOWNORMAL);

  HWND handle() const { return window_; }
  HWND control(int id) const;

  // What Book shows now (what it last held once the window is gone); writing replaces it all
  // and raises no focus event.
  Text BookText() const;
  void SetBookText(const Text& text);

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id, int notification);
  void BookGotFocus();
  void BookLostFocus();
  HWND ChooseFocusControl() const;

  ButtonHandlers handlers_;
  HWND window_ = nullptr;
  HWND controls_[4] = {};  // in creation order
  HWND rememberedFocus_ = nullptr;
  HFONT buttonFont_ = nullptr;
  Text lastBookText_;
  bool quitWhenDestroyed_ = true;  // not when the object itself takes the window down
};

}  // namespace pagewick::win32
