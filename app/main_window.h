// MainWindow: the one window of the program, with the entry box Book and the three search
// buttons bxwx1, feiku and bxwx (created in that order, which is also the tab order).
//
// The entry box keeps the placeholder "请输入小说名字" as real content while it is empty and
// unfocused: gaining the focus empties a box that holds exactly the placeholder; losing it puts
// the placeholder into a box that is exactly empty. A box holding " " keeps the blank, and
// "请输入小说名字abc" keeps its text.
//
// Closing the window hides it at once, but the object lives on while a button's handler is
// still running (handlers run nested event loops, through which the reader may close the
// window). When the window is closed and no handler is running, whenClosedAndIdle runs once
// (by default it ends the application's event loop). Reading Book from a closed window gives
// what it last held.
#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <functional>
#include <optional>
#include <span>

#include "text/text.h"

class QLineEdit;
class QPushButton;

namespace pagewick {

// What each button starts; by default the site searches of sites/handlers.h.
struct ButtonHandlers {
  std::function<void()> bxwx1;
  std::function<void()> feiku;
  std::function<void()> bxwx;
  static ButtonHandlers SiteSearches();
};

// The outer size of the window, frame and caption bar included.
inline constexpr QSize kWindowOuterSize{303, 63};

// The client size that gives the window its outer size around the frame the window system
// reports. Where it reports none (all margins 0), the frame of the classic desktop the layout
// was drawn for is assumed (3 px borders and a 19 px caption bar): 297 x 38. The client area
// never shrinks below what holds the controls (292 x 34), so a thick title bar cannot cut the
// buttons off.
QSize ClientSizeFor(QMargins frame);

// The outer top-left that centres the window on a screen of the given geometry:
// ((width - 303) / 2, (height - 63) / 2) from the screen's own origin, integer division.
QPoint CentredPosition(QRect screen);

// The focus rule: among the controls that are visible, enabled and tab stops, the lowest
// tab-order value wins; the controls are examined from the last created to the first and only a
// strictly lower value displaces the current choice, so on a tie the control created last wins.
// Gives the index (in creation order) of the chosen control, or -1 when there is none.
struct FocusCandidate {
  bool visible = true;
  bool enabled = true;
  bool tabStop = true;
  int tabOrder = 0;
};
int ChooseFocusControl(std::span<const FocusCandidate> controls);

class MainWindow : public QWidget {
 public:
  explicit MainWindow(ButtonHandlers handlers = ButtonHandlers::SiteSearches(),
                      std::function<void()> whenClosedAndIdle = QuitApplication);
  ~MainWindow() override;

  // Centres the window on the primary screen, shows it and fixes its size to the frame.
  void ShowAtStart();
  // Measures the frame the window system reports and fixes the client size to it; once a real
  // frame has been measured, the size stays fixed.
  void FitToFrame();

  // What Book shows, as GBK; an empty box gives the empty text.
  Text BookText() const;
  // Replaces the whole content of Book; raises no focus event.
  void SetBookText(const Text& text);

  int HandlerDepth() const { return handlerDepth_; }
  bool IsClosed() const { return closed_; }

  static void QuitApplication();

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BookGotFocus();
  void BookLostFocus();
  void FocusChosenControl();
  void RunHandler(const std::function<void()>& handler);

  ButtonHandlers handlers_;
  std::function<void()> whenClosedAndIdle_;
  QPushButton* bxwx1_ = nullptr;
  QLineEdit* book_ = nullptr;
  QPushButton* feiku_ = nullptr;
  QPushButton* bxwx_ = nullptr;
  int handlerDepth_ = 0;
  bool closed_ = false;
  bool frameMeasured_ = false;
  std::optional<QPoint> startPosition_;  // the frame's top-left, centred
};

// Between GBK texts and Qt's strings.
QString ToQString(const Text& text);
Text FromQString(const QString& text);

}  // namespace pagewick
