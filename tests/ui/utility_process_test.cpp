// SPDX-License-Identifier: MIT
// lq3860-utility as a process: its options, the screenshot it saves, and the
// debug texts that -v and the README's logging rule bring to stderr (the
// first tick lists the simulated module's name, about a second after start).
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "ui/debug_channel.h"

namespace lq3860 {

namespace {

struct UtilityRun {
    int status = -1;  // -1: stopped by the test
    std::string out, err;
};

// Runs the built program on the tests' platform; with untilErr it is stopped once its
// stderr holds that text (or after 30 s).
UtilityRun RunUtility(const QStringList& arguments, const QString& loggingRules = {}, const QString& untilErr = {}) {
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

TEST(UtilityProcess, TakesTheSameOptionsAsTheOtherToolsAndSavesAScreenshot) {
    const UtilityRun help = RunUtility({"--help"});
    for (const char* option : {"-h, --help", "-V, --version", "-v, --verbose", "--simulate", "--screenshot FILE"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    const std::string version = "lq3860-utility " LQ3860_VERSION "\n";
    const std::tuple<const char*, int, std::string> runs[] = {
        // status, stdout and stderr
        {"-h", 0, help.out},
        {"-V", 0, version},
        {"--version", 0, version},
        {"--versoin", 2, "lq3860-utility: unknown option '--versoin'\nlq3860-utility: Try 'lq3860-utility --help'.\n"}};
    for (const auto& [option, status, output] : runs) {
        const UtilityRun run = RunUtility({option});
        EXPECT_EQ(std::pair(run.status, run.out + run.err), std::pair(status, output)) << option;
    }
    QTemporaryDir folder;
    const QString png = QDir(folder.path()).filePath("a.png");
    EXPECT_EQ(RunUtility({"--screenshot=" + png, "--simulate"}).status, 0);
    QFile shot(png);
    EXPECT_TRUE(shot.open(QIODevice::ReadOnly) && shot.read(4) == "\x89PNG");
}

TEST(UtilityProcess, DebugTextsReachStderrWithVerboseAndWithTheReadmesLoggingRule) {
    EXPECT_FALSE(lq3860Link().isDebugEnabled()) << "off by default";
    QFile readme(LQ3860_README);
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
    const QRegularExpressionMatch rule =
        QRegularExpression(R"(QT_LOGGING_RULES="([^"]+)\")").match(QString::fromUtf8(readme.readAll()));
    ASSERT_TRUE(rule.hasMatch()) << "the README names no logging rule";
    const QString name = "LQ-3860 (simulated)";
    const UtilityRun verbose = RunUtility({"--simulate", "-v"}, {}, name);
    EXPECT_NE(("\n" + verbose.err).find("\nlq3860-utility: " + name.toStdString() + "\n"), std::string::npos)
        << verbose.err;
    const UtilityRun logged = RunUtility({"--simulate"}, rule.captured(1), name);
    EXPECT_NE(logged.err.find(name.toStdString()), std::string::npos) << logged.err;
}

}  // namespace

}  // namespace lq3860
