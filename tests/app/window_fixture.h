// A real MainWindow on the offscreen platform, with recording button handlers and the window's
// own desk, driven through its QWindow as the window system would.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/window_desk.h"
#include "sites/desk.h"
#include "text/text.h"

namespace pagewick {

class WindowTest : public ::testing::Test {
 protected:
  // One run of a button's handler: which button, what Book read, how deep the handlers were.
  struct Run {
    std::string button;
    Text book;
    int depth = 0;
  };

  void SetUp() override {
    runs_.clear();
    endings_ = 0;
    whileHandling_ = nullptr;
    window_ = std::make_unique<MainWindow>(
        ButtonHandlers{[this] { Record("bxwx1"); }, [this] { Record("feiku"); },
                       [this] { Record("bxwx"); }},
        [this] { ++endings_; });
    desk_ = std::make_unique<WindowDesk>(*window_);
    SetDesk(desk_.get());
    window_->ShowAtStart();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  }

  void TearDown() override {
    SetDesk(nullptr);
    window_.reset();
  }

  QPushButton* Button(const char* name) const {
    return window_->findChild<QPushButton*>(QString::fromLatin1(name));
  }
  QLineEdit* Book() const { return window_->findChild<QLineEdit*>(QStringLiteral("Book")); }
  QWindow* Handle() const { return window_->windowHandle(); }

  // A click of the left button on a control, delivered to the window as the window system
  // would (modal blocking and the focus change included).
  void Click(const char* name) {
    QWidget* control = window_->findChild<QWidget*>(QString::fromLatin1(name));
    ASSERT_NE(control, nullptr) << name;
    QTest::mouseClick(Handle(), Qt::LeftButton, Qt::NoModifier, control->geometry().center());
  }
  // Typed text, Chinese included (keyClicks cannot type it).
  void Type(const QString& text) {
    QTest::sendKeyEvent(QTest::Click, Handle(), Qt::Key_unknown, text, Qt::NoModifier);
  }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(Handle(), key, modifiers);
  }
  QString FocusName() const {
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QString();
  }

  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<WindowDesk> desk_;
  std::vector<Run> runs_;
  int endings_ = 0;
  // Runs inside a button's handler, after it has read Book.
  std::function<void(const std::string&)> whileHandling_;

 private:
  void Record(const std::string& button) {
    runs_.push_back(Run{button, CurrentDesk().BookText(), window_->HandlerDepth()});
    if (whileHandling_) whileHandling_(button);
  }
};

}  // namespace pagewick

// Readable QStrings in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
