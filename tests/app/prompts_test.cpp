#include <QAbstractButton>
#include <QLocale>
#include <QMessageBox>

#include "app/prompts.h"
#include "tests/app/window_fixture.h"
#include "text/gbk.h"

namespace pagewick {
namespace {

using Button = QMessageBox::StandardButton;

// Shows a box and presses one of its buttons once it waits.
int32_t ShowAndPress(const Text& message, int32_t flags, const std::optional<Text>& title,
                     Button press, QMessageBox::StandardButtons* shownButtons = nullptr) {
  OnNextMessageShown([press, shownButtons](QMessageBox& box) {
    if (shownButtons) *shownButtons = box.standardButtons();
    QAbstractButton* button = box.button(press);
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
  });
  return ShowMessage(message, flags, title);
}

TEST(ShowMessage, TheLowBitsChooseTheButtonsAndEachButtonItsResult) {
  struct Case {
    int32_t flags;
    QMessageBox::StandardButtons buttons;
    Button press;
    int32_t result;
  };
  const auto okCancel = QMessageBox::Ok | QMessageBox::Cancel;
  const auto abortRetryIgnore = QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
  const auto yesNoCancel = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  const auto yesNo = QMessageBox::Yes | QMessageBox::No;
  const auto retryCancel = QMessageBox::Retry | QMessageBox::Cancel;
  const Case cases[] = {
      {0, QMessageBox::Ok, QMessageBox::Ok, 0},
      {1, okCancel, QMessageBox::Ok, 0},
      {1, okCancel, QMessageBox::Cancel, 1},
      {2, abortRetryIgnore, QMessageBox::Abort, 2},
      {2, abortRetryIgnore, QMessageBox::Retry, 3},
      {2, abortRetryIgnore, QMessageBox::Ignore, 4},
      {3, yesNoCancel, QMessageBox::Yes, 5},
      {3, yesNoCancel, QMessageBox::No, 6},
      {3, yesNoCancel, QMessageBox::Cancel, 1},
      {4, yesNo, QMessageBox::Yes, 5},
      {4, yesNo, QMessageBox::No, 6},
      {5, retryCancel, QMessageBox::Retry, 3},
      {5, retryCancel, QMessageBox::Cancel, 1},
      {6, QMessageBox::Ok, QMessageBox::Ok, 0},  // no such set: OK alone
      {4096, QMessageBox::Ok, QMessageBox::Ok, 0},
      {4100, yesNo, QMessageBox::Yes, 5},
      {4100, yesNo, QMessageBox::No, 6},
      {4100 | 0x20, yesNo, QMessageBox::No, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "flags " << c.flags << ", pressing " << c.press);
    QMessageBox::StandardButtons shown;
    EXPECT_EQ(ShowAndPress(Text("question"), c.flags, std::nullopt, c.press, &shown), c.result);
    EXPECT_EQ(shown, c.buttons);
  }
}

TEST(ShowMessage, TitleMessageAndLookOfTheBox) {
  struct Case {
    const char* name;
    Text message;
    int32_t flags;
    std::optional<Text> title;
    QString shownTitle;
    QString shownText;
    QMessageBox::Icon icon;
    Button defaultButton;
  };
  const Case cases[] = {
      {"no title: the default one", "网络错误"_gbk, 0, std::nullopt, QStringLiteral("信息："),
       QStringLiteral("网络错误"), QMessageBox::NoIcon, QMessageBox::Ok},
      {"the download question", "斗破苍穹 - 天蚕土豆"_gbk, 4100, "是否下载"_gbk,
       QStringLiteral("是否下载"), QStringLiteral("斗破苍穹 - 天蚕土豆"), QMessageBox::NoIcon,
       QMessageBox::Yes},
      {"no message: an empty box", Text(), 4096, std::nullopt, QStringLiteral("信息："), QString(),
       QMessageBox::NoIcon, QMessageBox::Ok},
      {"markup is shown as it is", Text("<b>x</b> & <a href=y>z</a>"), 0, std::nullopt,
       QStringLiteral("信息："), QStringLiteral("<b>x</b> & <a href=y>z</a>"), QMessageBox::NoIcon,
       QMessageBox::Ok},
      {"second button default, question icon", Text("q"), 4 | 0x100 | 0x20, std::nullopt,
       QStringLiteral("信息："), QStringLiteral("q"), QMessageBox::Question, QMessageBox::No},
      {"third button default, stop icon", Text("q"), 3 | 0x200 | 0x10, std::nullopt,
       QStringLiteral("信息："), QStringLiteral("q"), QMessageBox::Critical, QMessageBox::Cancel},
      {"no fourth button: the first", Text("q"), 1 | 0x300 | 0x40, std::nullopt,
       QStringLiteral("信息："), QStringLiteral("q"), QMessageBox::Information, QMessageBox::Ok},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bool shown = false;
    OnNextMessageShown([&](QMessageBox& box) {
      shown = true;
      EXPECT_EQ(box.windowTitle(), c.shownTitle);
      EXPECT_EQ(box.text(), c.shownText);
      EXPECT_EQ(box.textFormat(), Qt::PlainText);
      EXPECT_EQ(box.icon(), c.icon);
      EXPECT_EQ(box.standardButton(box.defaultButton()), c.defaultButton);
      EXPECT_EQ(box.parentWidget(), nullptr) << "no owner window";
      box.defaultButton()->click();
    });
    ShowMessage(c.message, c.flags, c.title);
    EXPECT_TRUE(shown);
    const std::optional<MessageRecord> last = LastMessage();
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->message, c.message);
    EXPECT_EQ(last->title, c.title ? *c.title : "信息："_gbk);
    EXPECT_EQ(last->flags, c.flags);
  }
  EXPECT_EQ("信息："_gbk.view().substr(4), "\xA3\xBA") << "a full-width colon";
}

TEST(ShowMessage, ClosedWithoutAButtonGivesZero) {
  OnNextMessageShown([](QMessageBox& box) { box.close(); });
  EXPECT_EQ(ShowMessage(Text("q"), 3), 1) << "Cancel is the box's escape";
  OnNextMessageShown([](QMessageBox& box) { box.done(12345); });
  EXPECT_EQ(ShowMessage(Text("q"), 4100), 0);
}

TEST(ShowMessage, TheAnswerHookAnswersTheNextBoxOnly) {
  AnswerNextMessage(kResultNo);
  EXPECT_EQ(ShowMessage("是否下载"_gbk, 4100, "是否下载"_gbk), kResultNo);
  EXPECT_EQ(LastMessage()->title, "是否下载"_gbk);
  EXPECT_EQ(ShowAndPress(Text("again"), 4100, std::nullopt, QMessageBox::Yes), kResultYes);
}

TEST(ShowMessage, SpeaksTheReadersLanguage) {
  QTranslator* translator = InstallQtTranslations(QLocale(QLocale::Chinese, QLocale::China));
  ASSERT_NE(translator, nullptr) << "qt6-translations-l10n provides qtbase_zh_CN.qm";
  QString yes;
  QString no;
  OnNextMessageShown([&](QMessageBox& box) {
    yes = box.button(QMessageBox::Yes)->text();
    no = box.button(QMessageBox::No)->text();
    box.button(QMessageBox::Yes)->click();
  });
  ShowMessage("是否下载"_gbk, 4100, "是否下载"_gbk);
  QCoreApplication::removeTranslator(translator);
  delete translator;
  EXPECT_TRUE(yes.contains(QStringLiteral("是"))) << yes.toStdString();
  EXPECT_TRUE(no.contains(QStringLiteral("否"))) << no.toStdString();
}

// Modality, checked by clicking through the window system: a task-modal box blocks the
// window's buttons, a system-modal one lets a search start and run to its end meanwhile.
TEST_F(WindowTest, OnlyASystemModalBoxLeavesTheWindowUsable) {
  struct Case {
    int32_t flags;
    bool windowUsable;
  };
  const Case cases[] = {{0, false}, {1, false}, {4, false}, {4096, true}, {4100, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "flags " << c.flags);
    TearDown();
    SetUp();
    size_t runsWhileWaiting = 0;
    OnNextMessageShown([&](QMessageBox& box) {
      EXPECT_EQ(box.windowModality(), c.windowUsable ? Qt::NonModal : Qt::ApplicationModal);
      EXPECT_EQ(box.windowHandle()->transientParent(), nullptr) << "no owner window";
      Click("feiku");
      runsWhileWaiting = runs_.size();
      QTest::mouseClick(box.defaultButton(), Qt::LeftButton);
    });
    ShowMessage(Text("waiting"), c.flags);
    EXPECT_EQ(runsWhileWaiting, c.windowUsable ? 1u : 0u);
    // Answered, the box lets the window go again.
    Click("bxwx");
    EXPECT_EQ(runs_.size(), runsWhileWaiting + 1);
  }
}

// A search started from a waiting system-modal question runs to its end inside the waiting call.
TEST_F(WindowTest, ASearchStartedFromAWaitingQuestionRunsInsideIt) {
  std::vector<std::string> order;
  whileHandling_ = [&](const std::string& button) {
    order.push_back(button + " starts");
    if (button == "bxwx") {
      OnNextMessageShown([&](QMessageBox& box) {
        Click("feiku");
        QTest::mouseClick(box.button(QMessageBox::No), Qt::LeftButton);
      });
      EXPECT_EQ(ShowMessage("是否下载"_gbk, 4100, "是否下载"_gbk), kResultNo);
    }
    order.push_back(button + " ends");
  };
  Click("bxwx");
  EXPECT_EQ(order,
            (std::vector<std::string>{"bxwx starts", "feiku starts", "feiku ends", "bxwx ends"}));
  ASSERT_EQ(runs_.size(), 2u);
  EXPECT_EQ(runs_[1].depth, 2);
  EXPECT_EQ(window_->HandlerDepth(), 0);
}

}  // namespace
}  // namespace pagewick
