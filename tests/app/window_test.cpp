#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QMessageBox>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <array>

#include "app/prompts.h"
#include "tests/app/window_fixture.h"
#include "text/gbk.h"

namespace pagewick {
namespace {

const QString kPlaceholder = QStringLiteral("请输入小说名字");

TEST(WindowGeometry, ClientSizeKeepsTheOuterSizeAroundTheFrame) {
  struct Case {
    QMargins frame;
    QSize client;
  };
  const Case cases[] = {
      {QMargins(), QSize(297, 38)},                // nothing reported: the classic frame
      {QMargins(2, 2, 2, 2), QSize(299, 59)},      // a thin frame
      {QMargins(3, 22, 3, 3), QSize(297, 38)},     // the classic frame, reported
      {QMargins(1, 30, 1, 1), QSize(301, 34)},     // a thick caption bar: the controls stay whole
      {QMargins(10, 40, 10, 10), QSize(292, 34)},  // a very thick frame
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.frame.left() << "," << c.frame.top() << ","
                                    << c.frame.right() << "," << c.frame.bottom());
    EXPECT_EQ(ClientSizeFor(c.frame), c.client);
  }
}

TEST(WindowGeometry, CentredOnTheScreenByIntegerDivision) {
  EXPECT_EQ(CentredPosition(QRect(0, 0, 800, 600)), QPoint(248, 268));
  EXPECT_EQ(CentredPosition(QRect(0, 0, 1366, 768)), QPoint(531, 352));
  EXPECT_EQ(CentredPosition(QRect(1920, 100, 1280, 1024)), QPoint(1920 + 488, 100 + 480));
}

TEST(FocusRule, LowestTabOrderWinsAndTiesGoToTheControlCreatedLast) {
  struct Case {
    const char* name;
    std::array<FocusCandidate, 4> controls;
    int chosen;
  };
  const FocusCandidate plain{};
  const FocusCandidate hidden{false, true, true, 0};
  const FocusCandidate disabled{true, false, true, 0};
  const FocusCandidate noTab{true, true, false, 0};
  auto order = [](int value) { return FocusCandidate{true, true, true, value}; };
  const Case cases[] = {
      {"all equal: the last created", {plain, plain, plain, plain}, 3},
      {"the last one hidden", {plain, plain, plain, hidden}, 2},
      {"the last one disabled", {plain, plain, disabled, disabled}, 1},
      {"the last one no tab stop", {plain, plain, plain, noTab}, 2},
      {"a lower value wins", {order(1), order(0), order(1), order(1)}, 1},
      {"only strictly lower displaces", {order(0), order(-1), order(-1), order(5)}, 2},
      {"none eligible", {hidden, disabled, noTab, hidden}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ChooseFocusControl(c.controls), c.chosen);
  }
}

TEST_F(WindowTest, LooksAsLaidOut) {
  EXPECT_EQ(window_->windowTitle(), QStringLiteral("Pagewick"));
  const Qt::WindowFlags flags = window_->windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_EQ(window_->minimumSize(), window_->maximumSize()) << "the window cannot be resized";

  // The offscreen platform reports a frame: the outer size is the fixed one, centred.
  ASSERT_FALSE(Handle()->frameMargins().isNull());
  EXPECT_EQ(window_->frameGeometry().size(), kWindowOuterSize);
  EXPECT_EQ(window_->frameGeometry().topLeft(),
            CentredPosition(QGuiApplication::primaryScreen()->geometry()));

  EXPECT_TRUE(window_->autoFillBackground());
  EXPECT_EQ(window_->palette().color(QPalette::Window), window_->palette().color(QPalette::Button));

  const QImage icon = window_->windowIcon().pixmap(32, 32).toImage();
  EXPECT_EQ(icon.size(), QSize(32, 32));
  EXPECT_TRUE(icon.hasAlphaChannel());
  EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << "the corners are transparent";
  EXPECT_EQ(qAlpha(icon.pixel(16, 12)), 255);
}

TEST_F(WindowTest, ControlsInCreationOrderWithTheirSettings) {
  struct Control {
    const char* name;
    bool button;
    QRect geometry;
    QString text;
  };
  const Control controls[] = {
      {"bxwx1", true, QRect(232, 7, 60, 26), QStringLiteral("笔下文学")},
      {"Book", false, QRect(8, 8, 90, 24), kPlaceholder},
      {"feiku", true, QRect(103, 8, 60, 26), QStringLiteral("飞库网")},
      {"bxwx", true, QRect(168, 8, 60, 26), QStringLiteral("笔下文学")},
  };

  // Creation order is the order of the children (stacking) and of the focus chain.
  QList<QWidget*> children = window_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  ASSERT_EQ(children.size(), 4);
  QWidget* chained = children.front();
  for (size_t i = 0; i < std::size(controls); ++i) {
    const Control& c = controls[i];
    SCOPED_TRACE(c.name);
    QWidget* widget = children[static_cast<int>(i)];
    EXPECT_EQ(widget->objectName(), QString::fromLatin1(c.name));
    EXPECT_EQ(chained, widget);
    chained = chained->nextInFocusChain();
    EXPECT_EQ(widget->geometry(), c.geometry);
    EXPECT_TRUE(widget->isVisible());
    EXPECT_TRUE(widget->isEnabled());
    EXPECT_TRUE(widget->focusPolicy() & Qt::TabFocus);
    if (c.button) {
      auto* button = qobject_cast<QPushButton*>(widget);
      ASSERT_NE(button, nullptr);
      EXPECT_EQ(button->text(), c.text);
      EXPECT_FALSE(button->isDefault());
      EXPECT_FALSE(button->autoDefault());
      EXPECT_TRUE(button->icon().isNull());
      const QFont font = button->font();
      EXPECT_EQ(font.family(), QStringLiteral("方正宋三简体"));
      EXPECT_EQ(font.pixelSize(), 13);
      EXPECT_EQ(font.weight(), QFont::Normal);
      EXPECT_FALSE(font.italic() || font.underline() || font.strikeOut());
    } else {
      auto* book = qobject_cast<QLineEdit*>(widget);
      ASSERT_NE(book, nullptr);
      EXPECT_EQ(book->text(), c.text);
      EXPECT_TRUE(book->hasFrame());
      EXPECT_FALSE(book->isReadOnly());
      EXPECT_EQ(book->echoMode(), QLineEdit::Normal);
      EXPECT_EQ(book->font(), window_->font()) << "the window's own font";
      const QPalette palette = book->palette();
      EXPECT_EQ(palette.color(QPalette::Active, QPalette::Base), QColor(Qt::white));
      EXPECT_EQ(palette.color(QPalette::Active, QPalette::Text), QColor(Qt::black));
      EXPECT_EQ(palette.color(QPalette::Inactive, QPalette::Highlight), QColor(Qt::white))
          << "the selection is hidden without the focus";
    }
  }
  EXPECT_EQ(chained, window_.get()) << "the chain closes after the last control";
}

TEST_F(WindowTest, AfterStartUpTheFocusIsOnBxwxAndBookShowsThePlaceholder) {
  EXPECT_EQ(FocusName(), QStringLiteral("bxwx"));
  EXPECT_EQ(Book()->text(), kPlaceholder);
  EXPECT_TRUE(runs_.empty());
}

TEST_F(WindowTest, TabFollowsTheCreationOrder) {
  QStringList visited;
  for (int i = 0; i < 4; ++i) {
    Key(Qt::Key_Tab);
    visited << FocusName();
  }
  EXPECT_EQ(visited, (QStringList{"bxwx1", "Book", "feiku", "bxwx"}));
  EXPECT_EQ(Book()->text(), kPlaceholder) << "passing through an untouched box keeps it";
}

TEST_F(WindowTest, ThePlaceholderGoesAndComesBackOnlyOnExactMatches) {
  enum Action { kClickBook, kTab, kBacktab, kType, kClearAll, kExpect };
  struct Step {
    Action action;
    QString text;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
  };
  const QString name = QStringLiteral("斗破苍穹");
  const Case cases[] = {
      {"clicking in empties the placeholder; leaving the box empty puts it back",
       {{kClickBook, {}}, {kExpect, QString()}, {kTab, {}}, {kExpect, kPlaceholder}}},
      {"the typed placeholder is emptied when the focus returns",
       {{kClickBook, {}},
        {kType, kPlaceholder},
        {kTab, {}},
        {kExpect, kPlaceholder},
        {kBacktab, {}},
        {kExpect, QString()}}},
      {"a single blank stays",
       {{kClickBook, {}},
        {kType, QStringLiteral(" ")},
        {kTab, {}},
        {kExpect, QStringLiteral(" ")}}},
      {"a name that begins with the placeholder stays",
       {{kClickBook, {}},
        {kType, kPlaceholder + "abc"},
        {kTab, {}},
        {kClickBook, {}},
        {kExpect, kPlaceholder + "abc"}}},
      {"a typed name stays; emptied by hand it becomes the placeholder",
       {{kClickBook, {}},
        {kType, name},
        {kTab, {}},
        {kExpect, name},
        {kBacktab, {}},
        {kExpect, name},
        {kClearAll, {}},
        {kTab, {}},
        {kExpect, kPlaceholder}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    for (const Step& step : c.steps) {
      switch (step.action) {
        case kClickBook:
          Click("Book");
          EXPECT_EQ(FocusName(), QStringLiteral("Book"));
          break;
        case kTab:
          Key(Qt::Key_Tab);
          EXPECT_NE(FocusName(), QStringLiteral("Book"));
          break;
        case kBacktab:
          Key(Qt::Key_Backtab, Qt::ShiftModifier);
          EXPECT_EQ(FocusName(), QStringLiteral("Book"));
          break;
        case kType:
          Type(step.text);
          break;
        case kClearAll:
          Key(Qt::Key_A, Qt::ControlModifier);
          Key(Qt::Key_Backspace);
          EXPECT_EQ(Book()->text(), QString());
          break;
        case kExpect:
          EXPECT_EQ(Book()->text(), step.text);
          break;
      }
    }
  }
}

TEST_F(WindowTest, AButtonTakesTheFocusBeforeItsHandlerReadsBook) {
  struct Case {
    const char* button;
    QString typed;
    Text read;
  };
  const Case cases[] = {
      {"feiku", QString(), "请输入小说名字"_gbk},
      {"bxwx", QString(), "请输入小说名字"_gbk},
      {"bxwx1", QString(), "请输入小说名字"_gbk},
      {"bxwx", QStringLiteral("斗破苍穹"), "斗破苍穹"_gbk},
      {"bxwx1", QStringLiteral(" "), Text(" ")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.button << " after typing '" << c.typed.toStdString() << "'");
    TearDown();
    SetUp();
    Click("Book");
    ASSERT_EQ(Book()->text(), QString());
    Type(c.typed);
    Click(c.button);
    ASSERT_EQ(runs_.size(), 1u);
    EXPECT_EQ(runs_[0].button, c.button);
    EXPECT_EQ(runs_[0].book, c.read) << "an emptied box reads as the placeholder";
    EXPECT_EQ(runs_[0].depth, 1);
    EXPECT_EQ(FocusName(), QString::fromLatin1(c.button));
  }
}

TEST_F(WindowTest, EnterStartsNothing) {
  Key(Qt::Key_Return);  // on bxwx, which has the focus after start-up
  Key(Qt::Key_Enter);
  Click("Book");
  Type(QStringLiteral("斗破苍穹"));
  Key(Qt::Key_Return);
  Key(Qt::Key_Enter);
  EXPECT_TRUE(runs_.empty());
  EXPECT_EQ(FocusName(), QStringLiteral("Book"));
  EXPECT_EQ(Book()->text(), QStringLiteral("斗破苍穹"));
}

TEST_F(WindowTest, ActivatedAgainTheWindowReturnsTheFocusToTheControlThatHadIt) {
  struct Case {
    const char* control;
    QString typed;
    QString whileAway;
    QString back;
  };
  const Case cases[] = {
      {"bxwx", QString(), kPlaceholder, kPlaceholder},
      {"feiku", QString(), kPlaceholder, kPlaceholder},
      {"Book", QStringLiteral("斗破"), QStringLiteral("斗破"), QStringLiteral("斗破")},
      {"Book", QString(), kPlaceholder, QString()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.control << " '" << c.typed.toStdString() << "'");
    TearDown();
    SetUp();
    Click(c.control);
    Type(c.typed);
    QWidget other;
    other.setWindowTitle(QStringLiteral("another application"));
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(window_->isActiveWindow());
    EXPECT_EQ(Book()->text(), c.whileAway);
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    EXPECT_EQ(FocusName(), QString::fromLatin1(c.control));
    EXPECT_EQ(Book()->text(), c.back);
  }
}

TEST_F(WindowTest, ClosingWhileIdleEndsAtOnce) {
  window_->close();
  EXPECT_TRUE(window_->IsClosed());
  EXPECT_FALSE(window_->isVisible());
  EXPECT_EQ(endings_, 1);
}

// The reader closes the window while a handler waits in a system-modal question: the window
// goes, the handler goes on (its later boxes still wait for their answers, Book reads what it
// last held), and the program ends only once the handler has returned.
TEST_F(WindowTest, ClosingWhileAHandlerRunsEndsWhenTheHandlerReturns) {
  std::vector<int32_t> answers;
  std::vector<Text> booksRead;
  bool answeredAfterClose = false;
  whileHandling_ = [&](const std::string&) {
    OnNextMessageShown([&](QMessageBox& box) {
      window_->close();
      EXPECT_FALSE(window_->isVisible());
      EXPECT_EQ(endings_, 0) << "a handler is still running";
      QTest::mouseClick(box.button(QMessageBox::Yes), Qt::LeftButton);
    });
    answers.push_back(ShowMessage("是否下载"_gbk, kMessageYesNoSystemModal, "是否下载"_gbk));
    booksRead.push_back(CurrentDesk().BookText());
    OnNextMessageShown([&](QMessageBox& box) {
      answeredAfterClose = true;
      QTest::mouseClick(box.button(QMessageBox::Ok), Qt::LeftButton);
    });
    answers.push_back(ShowMessage(Text("saved"), kMessageOk));
    EXPECT_EQ(endings_, 0);
  };
  Click("Book");
  Type(QStringLiteral("斗破苍穹"));
  Click("bxwx");
  EXPECT_EQ(answers, (std::vector<int32_t>{kResultYes, kResultOk}));
  EXPECT_TRUE(answeredAfterClose) << "the box after the close waited for its answer";
  EXPECT_EQ(booksRead, std::vector<Text>{"斗破苍穹"_gbk});
  EXPECT_EQ(window_->HandlerDepth(), 0);
  EXPECT_EQ(endings_, 1);
}

// The same in the application's own event loop, where the reader's close must not end the loop
// (and with it every wait) while the handler still runs, even when its box is the last window.
TEST(MainLoop, EndsOnlyAfterTheLastHandlerHasReturned) {
  std::unique_ptr<MainWindow> window;
  bool laterBoxWaited = false;
  bool handlerReturned = false;
  auto handler = [&] {
    OnNextMessageShown([&](QMessageBox& box) {
      window->close();
      QTest::mouseClick(box.button(QMessageBox::Yes), Qt::LeftButton);
    });
    EXPECT_EQ(ShowMessage("是否下载"_gbk, kMessageYesNoSystemModal, "是否下载"_gbk), kResultYes);
    OnNextMessageShown([&](QMessageBox& box) {
      laterBoxWaited = true;
      QTest::mouseClick(box.button(QMessageBox::Ok), Qt::LeftButton);
    });
    ShowMessage(Text("saved"), kMessageSystemModal);
    handlerReturned = true;
  };
  window = std::make_unique<MainWindow>(ButtonHandlers{nullptr, nullptr, handler});
  window->ShowAtStart();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  QTimer::singleShot(0, window.get(), [&] {
    QPushButton* bxwx = window->findChild<QPushButton*>(QStringLiteral("bxwx"));
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, bxwx->geometry().center());
  });
  QTimer::singleShot(30000, [] {
    ADD_FAILURE() << "the loop did not end";
    QCoreApplication::exit(2);
  });
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_TRUE(handlerReturned);
  EXPECT_TRUE(laterBoxWaited) << "the box after the close waited for its answer";
  EXPECT_TRUE(window->IsClosed());
}

TEST_F(WindowTest, Screenshots) {
  // As started, then with a name typed and the focus moved on; written into the build folder.
  const QDir folder(QStringLiteral(PAGEWICK_TEST_OUTPUT_DIR));
  const QPixmap started = window_->grab();
  EXPECT_EQ(started.size(), window_->size());
  EXPECT_TRUE(started.save(folder.filePath(QStringLiteral("main_window.png"))));
  Click("Book");
  Type(QStringLiteral("斗破苍穹"));
  Key(Qt::Key_Tab);
  EXPECT_TRUE(window_->grab().save(folder.filePath(QStringLiteral("main_window_typed.png"))));
}

}  // namespace
}  // namespace pagewick
