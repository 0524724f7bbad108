#include "app/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QFont>
#include <QGuiApplication>
#include <QIcon>
#include <QLineEdit>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <array>
#include <string>

#include "app/icon.h"
#include "sites/handlers.h"
#include "text/gbk.h"

namespace pagewick {
namespace {

const Text& Placeholder() { return "请输入小说名字"_gbk; }

// The frame of the classic desktop the layout was drawn for.
constexpr QMargins kAssumedFrame{3, 3 + 19, 3, 3};
// The lowest right and bottom edges of the controls.
constexpr QSize kControlsExtent{232 + 60, 8 + 26};
// Every control carries the tab-order value 0.
constexpr int kTabOrderValue = 0;

QPushButton* MakeButton(QWidget* parent, const char* name, QRect geometry, const Text& caption) {
  auto* button = new QPushButton(ToQString(caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(geometry);
  button->setAutoDefault(false);
  button->setDefault(false);
  button->setFocusPolicy(Qt::StrongFocus);
  QFont font(ToQString("方正宋三简体"_gbk));
  font.setPixelSize(13);
  font.setWeight(QFont::Normal);
  font.setItalic(false);
  font.setUnderline(false);
  font.setStrikeOut(false);
  font.setStyleStrategy(QFont::PreferQuality);
  button->setFont(font);
  return button;
}

QLineEdit* MakeBook(QWidget* parent) {
  auto* book = new QLineEdit(parent);
  book->setObjectName(QStringLiteral("Book"));
  book->setGeometry(8, 8, 90, 24);
  book->setText(ToQString(Placeholder()));
  book->setFrame(true);
  book->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  book->setEchoMode(QLineEdit::Normal);
  book->setReadOnly(false);
  book->setFocusPolicy(Qt::StrongFocus);
  QPalette palette = book->palette();
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::Base, Qt::white);
    palette.setColor(group, QPalette::Text, Qt::black);
  }
  // The selection is hidden while the box does not have the focus.
  palette.setColor(QPalette::Inactive, QPalette::Highlight, Qt::white);
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
  book->setPalette(palette);
  return book;
}

}  // namespace

ButtonHandlers ButtonHandlers::SiteSearches() {
  return ButtonHandlers{BxwxFormSearch, FeikuSearch, BxwxTableSearch};
}

QSize ClientSizeFor(QMargins frame) {
  if (frame.isNull()) frame = kAssumedFrame;
  const int width = kWindowOuterSize.width() - frame.left() - frame.right();
  const int height = kWindowOuterSize.height() - frame.top() - frame.bottom();
  return QSize(std::max(width, kControlsExtent.width()),
               std::max(height, kControlsExtent.height()));
}

QPoint CentredPosition(QRect screen) {
  return QPoint(screen.x() + (screen.width() - kWindowOuterSize.width()) / 2,
                screen.y() + (screen.height() - kWindowOuterSize.height()) / 2);
}

int ChooseFocusControl(std::span<const FocusCandidate> controls) {
  int chosen = -1;
  for (int i = static_cast<int>(controls.size()) - 1; i >= 0; --i) {
    const FocusCandidate& c = controls[i];
    if (!c.visible || !c.enabled || !c.tabStop) continue;
    if (chosen == -1 || c.tabOrder < controls[chosen].tabOrder) chosen = i;
  }
  return chosen;
}

QString ToQString(const Text& text) { return QString::fromStdString(TextToUtf8(text)); }

Text FromQString(const QString& text) { return TextFromUtf8(text.toStdString()); }

void MainWindow::QuitApplication() { QCoreApplication::quit(); }

MainWindow::MainWindow(ButtonHandlers handlers, std::function<void()> whenClosedAndIdle)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      handlers_(std::move(handlers)),
      whenClosedAndIdle_(std::move(whenClosedAndIdle)) {
  setObjectName(QStringLiteral("MainWindow"));
  setWindowTitle(QStringLiteral("Pagewick"));
  setWindowIcon(QIcon(QPixmap::fromImage(DrawIcon())));
  setFixedSize(ClientSizeFor(QMargins()));

  // The background is the button face.
  QPalette palette = this->palette();
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::Window, palette.color(group, QPalette::Button));
  }
  setPalette(palette);
  setAutoFillBackground(true);

  // Creation order is stacking order and tab order.
  bxwx1_ = MakeButton(this, "bxwx1", QRect(232, 7, 60, 26), "笔下文学"_gbk);
  book_ = MakeBook(this);
  feiku_ = MakeButton(this, "feiku", QRect(103, 8, 60, 26), "飞库网"_gbk);
  bxwx_ = MakeButton(this, "bxwx", QRect(168, 8, 60, 26), "笔下文学"_gbk);

  connect(bxwx1_, &QPushButton::clicked, this, [this] { RunHandler(handlers_.bxwx1); });
  connect(feiku_, &QPushButton::clicked, this, [this] { RunHandler(handlers_.feiku); });
  connect(bxwx_, &QPushButton::clicked, this, [this] { RunHandler(handlers_.bxwx); });
  book_->installEventFilter(this);

  // Nothing is remembered yet: the rule chooses the control that gets the focus on activation.
  FocusChosenControl();
}

MainWindow::~MainWindow() { book_->removeEventFilter(this); }

void MainWindow::ShowAtStart() {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    startPosition_ = CentredPosition(screen->geometry());
    move(*startPosition_);
  }
  show();
  FitToFrame();
}

void MainWindow::FitToFrame() {
  if (frameMeasured_ || !isVisible()) return;
  QWindow* window = windowHandle();
  const QMargins frame = window ? window->frameMargins() : QMargins();
  const QSize client = ClientSizeFor(frame);
  if (client != size()) setFixedSize(client);
  if (!frame.isNull()) {
    frameMeasured_ = true;
    if (startPosition_ && pos() != *startPosition_) move(*startPosition_);
  }
}

Text MainWindow::BookText() const { return FromQString(book_->text()); }

void MainWindow::SetBookText(const Text& text) { book_->setText(ToQString(text)); }

void MainWindow::BookGotFocus() {
  const bool isPlaceholder = TextCompare(BookText(), Placeholder()) == 0;
  if (isPlaceholder) SetBookText(Text());
}

void MainWindow::BookLostFocus() {
  const bool isEmpty = TextCompare(BookText(), Text()) == 0;
  if (isEmpty) SetBookText(Placeholder());
}

void MainWindow::FocusChosenControl() {
  const std::array<QWidget*, 4> controls{bxwx1_, book_, feiku_, bxwx_};
  std::array<FocusCandidate, 4> candidates;
  for (size_t i = 0; i < controls.size(); ++i) {
    candidates[i] =
        FocusCandidate{!controls[i]->isHidden(), controls[i]->isEnabled(),
                       (controls[i]->focusPolicy() & Qt::TabFocus) != 0, kTabOrderValue};
  }
  const int chosen = ChooseFocusControl(candidates);
  if (chosen >= 0) controls[chosen]->setFocus(Qt::OtherFocusReason);
}

void MainWindow::RunHandler(const std::function<void()>& handler) {
  ++handlerDepth_;
  if (handler) handler();
  --handlerDepth_;
  if (handlerDepth_ == 0 && closed_ && whenClosedAndIdle_) whenClosedAndIdle_();
}

bool MainWindow::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::WindowActivate:
      // The window itself got the focus with no control remembered: hand it on by the rule.
      if (focusWidget() == nullptr) FocusChosenControl();
      break;
    case QEvent::Show:
    case QEvent::Move:
      FitToFrame();
      break;
    default:
      break;
  }
  return QWidget::event(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == book_) {
    // A context menu opening or closing is no change of focus.
    if (event->type() == QEvent::FocusIn &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
      BookGotFocus();
    } else if (event->type() == QEvent::FocusOut &&
               static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
      BookLostFocus();
    }
  }
  return QWidget::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  event->accept();  // no question before closing; the window goes away at once
  if (closed_) return;
  closed_ = true;
  if (handlerDepth_ == 0 && whenClosedAndIdle_) whenClosedAndIdle_();
}

}  // namespace pagewick
