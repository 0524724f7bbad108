#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "app/run_directory.h"
#include "text/gbk.h"

namespace pagewick {
namespace {

TEST(RunDirectory, TheProgramsFolderWhenUsableElseTheDownloadFolder) {
  struct Case {
    const char* program;
    bool usable;
    const char* downloads;
    const char* chosen;
    const char* asked;  // the folder usable() was asked about, if any
  };
  const Case cases[] = {
      {"/opt/pagewick/pagewick", true, "/home/li/Downloads", "/opt/pagewick", "/opt/pagewick"},
      {"/home/li/小说淺乗/pagewick", true, "/x", "/home/li/小说淺乗", "/home/li/小说淺乗"},
      {"/pagewick", true, "/x", "", "/"},
      {"/usr/bin/pagewick", false, "/home/li/下载", "/home/li/下载", "/usr/bin"},
      {"/usr/bin/pagewick", false, "/home/li/下载//", "/home/li/下载", "/usr/bin"},
      {"/usr/bin/pagewick", false, "/", "", "/usr/bin"},
      {"", true, "/home/li/Downloads", "/home/li/Downloads", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program);
    std::vector<std::string> asked;
    bool downloadsAsked = false;
    const std::string chosen = ChooseRunDirectory(
        c.program,
        [&](const std::string& folder) {
          asked.push_back(folder);
          return c.usable;
        },
        [&] {
          downloadsAsked = true;
          return std::string(c.downloads);
        });
    EXPECT_EQ(chosen, c.chosen);
    EXPECT_EQ(asked, *c.asked ? std::vector<std::string>{c.asked} : std::vector<std::string>{});
    EXPECT_EQ(downloadsAsked, !(c.usable && *c.program)) << "the download folder only if needed";
  }
}

TEST(RunDirectory, UsableOnlyWhenItExistsAndItsNameCanBeToldInGbk) {
  QTemporaryDir temp;
  ASSERT_TRUE(temp.isValid());
  const QString chinese = temp.filePath(QStringLiteral("小说淺乗"));
  const QString emoji = temp.filePath(QStringLiteral("书😀"));
  ASSERT_TRUE(QDir().mkpath(chinese));
  ASSERT_TRUE(QDir().mkpath(emoji));
  EXPECT_TRUE(IsUsableRunDirectory(chinese.toStdString()));
  EXPECT_FALSE(IsUsableRunDirectory(emoji.toStdString()));
  EXPECT_FALSE(IsUsableRunDirectory(temp.filePath(QStringLiteral("missing")).toStdString()));
}

// The real program, copied into a folder, run until its window is shown; it reports its run
// directory and ends normally.
struct ProgramRun {
  int exitCode = -1;
  QString runDirectory;
  QString output;
  QString errors;
};

ProgramRun RunProgramIn(const QString& folder, const QString& home,
                        const QString& platform = QStringLiteral("offscreen")) {
  ProgramRun result;
  const QString program = QDir(folder).filePath(QStringLiteral("pagewick"));
  QFile::remove(program);
  if (!QFile::copy(QStringLiteral(PAGEWICK_PROGRAM), program)) return result;
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
  environment.insert(QStringLiteral("PAGEWICK_EXIT_WHEN_SHOWN"), QStringLiteral("1"));
  environment.insert(QStringLiteral("HOME"), home);
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QDir(home).filePath(".config"));
  process.setProcessEnvironment(environment);
  process.setWorkingDirectory(QDir::tempPath());
  process.start(program, {});
  if (!process.waitForFinished(60000)) {
    process.kill();
    process.waitForFinished(5000);
    return result;
  }
  result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
  result.output = QString::fromUtf8(process.readAllStandardOutput());
  result.errors = QString::fromUtf8(process.readAllStandardError());
  for (const QString& line : result.output.split('\n')) {
    if (line.startsWith(QStringLiteral("run_directory="))) result.runDirectory = line.mid(14);
  }
  return result;
}

TEST(RunDirectory, TheRealProgramFromAChineseFolderAndFromAnUnusableOne) {
  QTemporaryDir temp;
  ASSERT_TRUE(temp.isValid());
  const QString home = temp.filePath(QStringLiteral("home"));
  ASSERT_TRUE(QDir().mkpath(home));
  struct Case {
    QString folder;
    QString expected;
  };
  const Case cases[] = {
      // 淺 and 乗 end in the byte 0x5C in GBK, the byte of a backslash.
      {temp.filePath(QStringLiteral("小说淺乗书库")),
       temp.filePath(QStringLiteral("小说淺乗书库"))},
      {temp.filePath(QStringLiteral("书😀")), QDir(home).filePath(QStringLiteral("Downloads"))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder.toStdString());
    ASSERT_TRUE(QDir().mkpath(c.folder));
    const ProgramRun run = RunProgramIn(c.folder, home);
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(run.runDirectory, c.expected) << run.output.toStdString();
    EXPECT_TRUE(QFileInfo(c.expected).isDir());
  }
}

TEST(RunDirectory, AProgramWithoutAWindowSaysSoAndFails) {
  QTemporaryDir temp;
  ASSERT_TRUE(temp.isValid());
  const ProgramRun run = RunProgramIn(temp.path(), temp.path(), QStringLiteral("no-such-platform"));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.errors.contains(QStringLiteral("the window cannot be created")))
      << run.errors.toStdString();
  EXPECT_FALSE(run.output.contains(QStringLiteral("shown_ns")));
}

}  // namespace
}  // namespace pagewick
