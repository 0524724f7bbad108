// The Win32 window's names that other programs may look for: the window class and caption,
// and the control identifiers. The test driver finds the window and its controls by them.
#pragma once

namespace pagewick::win32 {

inline constexpr char kMainWindowClass[] = "PagewickMainWindow";
inline constexpr char kMainWindowCaption[] = "Pagewick";

// Control identifiers, in creation order. None is IDOK (1) or IDCANCEL (2), so Enter and Escape
// reach no control through the dialog keyboard handling.
inline constexpr int kBxwx1Id = 101;
inline constexpr int kBookId = 102;
inline constexpr int kFeikuId = 103;
inline constexpr int kBxwxId = 104;

}  // namespace pagewick::win32
