#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include "e2e/e2e_support.h"

namespace {

using e2e::TolvaneProcess;

struct CtlResult {
  int exitCode = -1;
  QByteArray out;
  QByteArray err;
};

// tolvanectl with the runtime folder `runtimeDir`, `input` on its standard input.
void StartCtl(QProcess& process, const QString& runtimeDir, const QStringList& arguments) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
  process.setProcessEnvironment(env);
  process.start(QStringLiteral(TOLVANECTL_BINARY), arguments);
}

CtlResult RunCtl(const QString& runtimeDir, const QStringList& arguments,
                 const QByteArray& input = {}) {
  QProcess process;
  StartCtl(process, runtimeDir, arguments);
  CtlResult result;
  if (!process.waitForStarted(e2e::kWaitMs)) return result;
  process.write(input);
  process.closeWriteChannel();
  // The program may need our event loop (we may own the clipboard it reads).
  if (e2e::WaitUntil([&] { return process.state() == QProcess::NotRunning; }) &&
      process.exitStatus() == QProcess::NormalExit) {
    result.exitCode = process.exitCode();
  } else {
    process.kill();
    process.waitForFinished();
  }
  result.out = process.readAllStandardOutput();
  result.err = process.readAllStandardError();
  return result;
}

TEST(CtlE2ETest, ScriptsReadAndChangeTheActiveList) {
  TolvaneProcess program;
  ASSERT_TRUE(program.Start());
  ASSERT_FALSE(program.WaitForWindow().isEmpty()) << program.Output().toStdString();
  const QString runtime = program.RuntimeDir();

  CtlResult count = RunCtl(runtime, {QStringLiteral("count")});
  EXPECT_EQ(count.exitCode, 0) << count.err.toStdString();
  const int before = count.out.trimmed().toInt();

  const QByteArray twoLines = "first line\nsecond\tline";
  CtlResult add = RunCtl(runtime, {QStringLiteral("add")}, twoLines);
  EXPECT_EQ(add.exitCode, 0) << add.err.toStdString();
  ASSERT_EQ(RunCtl(runtime, {QStringLiteral("add")}, "other").exitCode, 0);
  EXPECT_EQ(RunCtl(runtime, {QStringLiteral("count")}).out, QByteArray::number(before + 2) + "\n");

  const CtlResult list = RunCtl(runtime, {QStringLiteral("list")});
  EXPECT_TRUE(list.out.startsWith("0\tother\n1\tfirst line\\nsecond\tline\n")) << list.out.toStdString();
  EXPECT_EQ(RunCtl(runtime, {QStringLiteral("read"), QStringLiteral("1")}).out, twoLines);

  // Item 1 onto the clipboard; the capture that follows brings it to the head.
  ASSERT_EQ(RunCtl(runtime, {QStringLiteral("copy"), QStringLiteral("1")}).exitCode, 0);
  QByteArray last;
  EXPECT_TRUE(e2e::WaitForClipboardText(twoLines, &last)) << last.toStdString();
  EXPECT_TRUE(e2e::WaitUntil([&] {
    return RunCtl(runtime, {QStringLiteral("read"), QStringLiteral("0")}).out == twoLines;
  }));

  // A watcher sees a text that another program copies.
  QProcess watch;
  StartCtl(watch, runtime, {QStringLiteral("watch")});
  ASSERT_TRUE(watch.waitForStarted(e2e::kWaitMs));
  // The watcher subscribes at some point after its start: copies go on until it has
  // seen one.
  QByteArray seen;
  bool watched = false;
  for (int attempt = 0; attempt < 5 && !watched; ++attempt) {
    const QByteArray text = "watched text " + QByteArray::number(attempt);
    ASSERT_NE(e2e::ClipboardOwner::Copy(text), nullptr);
    watched = e2e::WaitUntil(
        [&] {
          seen += watch.readAllStandardOutput();
          return seen.contains(text + "\n");
        },
        1000);
  }
  EXPECT_TRUE(watched) << seen.toStdString();
  watch.kill();
  watch.waitForFinished();

  const struct {
    QStringList arguments;
    int exitCode;
  } failures[] = {
      {{QStringLiteral("read"), QStringLiteral("99999")}, 1},
      {{QStringLiteral("read"), QStringLiteral("-1")}, 2},
      {{QStringLiteral("read")}, 2},
      {{QStringLiteral("frobnicate")}, 2},
  };
  for (const auto& f : failures) {
    const CtlResult result = RunCtl(runtime, f.arguments);
    EXPECT_EQ(result.exitCode, f.exitCode) << f.arguments.join(' ').toStdString();
    EXPECT_FALSE(result.err.isEmpty()) << f.arguments.join(' ').toStdString();
  }
  e2e::ClipboardOwner::KillAll();
  EXPECT_EQ(program.Terminate(), 0) << program.Output().toStdString();

  // Nobody listens any more.
  const CtlResult alone = RunCtl(runtime, {QStringLiteral("count")});
  EXPECT_EQ(alone.exitCode, 1);
  EXPECT_FALSE(alone.err.isEmpty());
}

// Scripts speak UTF-8 whatever the items' code page: an added text is stored as a capture
// stores it, and Copy puts it back as it came.
TEST(CtlE2ETest, ScriptTextsAreConvertedToTheListsCodePage) {
  TolvaneProcess program;
  QFile ini(program.ConfigHome() + QStringLiteral("/tolvane.INI"));
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write("[Settings]\nCodePage=CP932\n");
  ini.close();
  ASSERT_TRUE(program.Start());
  ASSERT_FALSE(program.WaitForWindow().isEmpty()) << program.Output().toStdString();
  const QString runtime = program.RuntimeDir();
  const QByteArray pon = "\xE3\x83\x9D\xE3\x83\xB3";  // "ポン"
  ASSERT_EQ(RunCtl(runtime, {QStringLiteral("add")}, pon).exitCode, 0);
  EXPECT_EQ(RunCtl(runtime, {QStringLiteral("read"), QStringLiteral("0")}).out, pon);
  ASSERT_EQ(RunCtl(runtime, {QStringLiteral("copy"), QStringLiteral("0")}).exitCode, 0);
  QByteArray last;
  EXPECT_TRUE(e2e::WaitForClipboardText(pon, &last)) << last.toStdString();
  EXPECT_EQ(program.Terminate(), 0) << program.Output().toStdString();
}

}  // namespace
