// SPDX-License-Identifier: MIT
// lq3860-utility as a process: the screenshot it saves and the debug texts
// that -v and the README's logging rule bring to stderr (the first tick lists
// the simulated module's name, about a second after start), and its man page
// naming every option. Its options are the shell conventions tests' business.
#include <QtGui>

#include <gtest/gtest.h>

#include "man_page.h"
#include "tool_process.h"
#include "ui/debug_channel.h"
#include "ui/window_options.h"

namespace lq3860 {

// Runs the built program on the tests' platform; with untilErr it is stopped
// once its stderr holds that text (or after 30 s).
ToolRun RunUtility(const QStringList& arguments, const QString& loggingRules = {}, const QString& untilErr = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", LQ_TEST_QPA_PLATFORM);
    // A Windows window program logs to the debugger's channel unless told
    // stderr.
    environment.insert("QT_FORCE_STDERR_LOGGING", "1");
    environment.remove("QT_MESSAGE_PATTERN");
    environment.insert("QT_LOGGING_RULES", loggingRules);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(LQ3860_UTILITY_PATH, arguments, QIODevice::ReadOnly | QIODevice::Text);  // CR LF read as LF
    QString err;
    process.setReadChannel(QProcess::StandardError);
    const QDeadlineTimer deadline(30000);
    while (!untilErr.isEmpty() && !err.contains(untilErr) && process.waitForReadyRead(int(deadline.remainingTime())))
        err += process.readAllStandardError();
    if (!untilErr.isEmpty()) process.kill();
    process.waitForFinished(30000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(), (err + process.readAllStandardError()).toStdString()};
}

// The path as typed, also outside the ANSI code page of a Western Windows.
TEST(UtilityProcess, SavesAScreenshot) {
    const QTemporaryDir folder;
    const QString png = folder.filePath(QString::fromUtf8("café 中文.png"));
    EXPECT_EQ(RunUtility({"--screenshot=" + png, "--simulate"}).status, 0);
    EXPECT_FALSE(QImage(png, "PNG").isNull());
}

TEST(UtilityProcess, DebugTextsReachStderrWithVerboseAndWithTheReadmesLoggingRule) {
    EXPECT_FALSE(lq3860Link().isDebugEnabled()) << "off by default";
    const QRegularExpressionMatch rule = QRegularExpression(R"(QT_LOGGING_RULES="([^"]+)\")")
                                             .match(QString::fromStdString(ReadWholeFile(LQ3860_README)));
    ASSERT_TRUE(rule.hasMatch()) << "the README names no logging rule";
    const QString name = "LQ-3860 (simulated)";
    const ToolRun verbose = RunUtility({"--simulate", "-v"}, {}, name);
    EXPECT_NE(("\n" + verbose.err).find("\nlq3860-utility: " + name.toStdString() + "\n"), std::string::npos)
        << verbose.err;
    const ToolRun logged = RunUtility({"--simulate"}, rule.captured(1), name);
    EXPECT_NE(logged.err.find(name.toStdString()), std::string::npos) << logged.err;
}

TEST(UtilityProcess, TheManPageNamesEveryOption) {
    EXPECT_EQ(OptionsMissingFromManPage(LQ3860_MAN_PAGE, ListOptions(WindowOptions())), std::vector<std::string>{});
}

}  // namespace lq3860
