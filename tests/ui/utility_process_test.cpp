// SPDX-License-Identifier: MIT
// lq3860-utility as a process: its options, and the debug texts that -v and
// the README's logging rule bring to stderr (the first tick lists the
// simulated module's name, about a second after start).
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
    QString out, err;
};

// Runs the built program off-screen; with untilErr it is stopped once its
// stderr holds that text (or after 30 s).
UtilityRun RunUtility(const QStringList& arguments, const QString& loggingRules = {}, const QString& untilErr = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.remove("QT_MESSAGE_PATTERN");
    environment.remove("QT_LOGGING_RULES");
    if (!loggingRules.isEmpty()) environment.insert("QT_LOGGING_RULES", loggingRules);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(LQ3860_UTILITY_PATH, arguments);
    UtilityRun run;
    if (!untilErr.isEmpty()) {
        process.setReadChannel(QProcess::StandardError);
        const QDeadlineTimer deadline(30000);
        while (!run.err.contains(untilErr) && process.waitForReadyRead(int(deadline.remainingTime())))
            run.err += process.readAllStandardError();
        process.kill();
    }
    process.waitForFinished(30000);
    if (process.exitStatus() == QProcess::NormalExit) run.status = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err += process.readAllStandardError();
    return run;
}

QString ReadmeLoggingRules() {
    QFile readme(LQ3860_README);
    EXPECT_TRUE(readme.open(QIODevice::ReadOnly));
    const QRegularExpressionMatch rule =
        QRegularExpression(R"(QT_LOGGING_RULES="([^"]+)\")").match(QString::fromUtf8(readme.readAll()));
    EXPECT_TRUE(rule.hasMatch()) << "the README names no logging rule";
    return rule.captured(1);
}

TEST(UtilityProcess, TakesTheSameOptionsAsTheOtherTools) {
    const UtilityRun help = RunUtility({"--help"});
    for (const char* option : {"-h, --help", "-V, --version", "-v, --verbose", "--simulate", "--screenshot <file>"})
        EXPECT_TRUE(help.out.contains(option)) << option;
    const std::string version = "lq3860-utility " LQ3860_VERSION "\n";
    const std::tuple<const char*, int, std::string, std::string> runs[] = {
        // status, stdout, stderr
        {"--help", 0, help.out.toStdString(), ""},
        {"-h", 0, help.out.toStdString(), ""},
        {"-V", 0, version, ""},
        {"--version", 0, version, ""},
        {"--versoin", 1, "", "lq3860-utility: Unknown option 'versoin'.\n"}};
    for (const auto& [option, status, out, err] : runs) {
        const UtilityRun run = RunUtility({option});
        EXPECT_EQ(std::tuple(run.status, run.out.toStdString(), run.err.toStdString()), std::tuple(status, out, err))
            << option;
    }

    QTemporaryDir folder;
    const QString separate = QDir(folder.path()).filePath("separate.png"),
                  joined = QDir(folder.path()).filePath("joined.png");
    EXPECT_EQ(RunUtility({"--simulate", "--screenshot", separate}).status, 0);
    EXPECT_EQ(RunUtility({"--screenshot=" + joined, "--simulate"}).status, 0);
    for (const QString& path : {separate, joined}) {
        QFile png(path);
        EXPECT_TRUE(png.open(QIODevice::ReadOnly) && png.read(4) == "\x89PNG") << path.toStdString();
    }
}

TEST(UtilityProcess, DebugTextsReachStderrWithVerboseAndWithTheReadmesLoggingRule) {
    EXPECT_FALSE(lq3860Link().isDebugEnabled()) << "off by default";
    const QString name = "LQ-3860 (simulated)";
    const UtilityRun verbose = RunUtility({"--simulate", "-v"}, {}, name);
    EXPECT_TRUE(verbose.err.split('\n').contains("lq3860-utility: " + name)) << verbose.err.toStdString();
    const UtilityRun logged = RunUtility({"--simulate"}, ReadmeLoggingRules(), name);
    EXPECT_TRUE(logged.err.contains(name)) << logged.err.toStdString();
}

}  // namespace

}  // namespace lq3860
