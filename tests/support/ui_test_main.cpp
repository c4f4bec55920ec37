// SPDX-License-Identifier: MIT
// The window tests run on LQ_TEST_QPA_PLATFORM: Qt's offscreen platform on
// Linux, the windows platform under Wine. Wine hands no QT_ variable to a
// Windows program, so a test's scale factor comes as LQ_TEST_SCALE_FACTOR.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", LQ_TEST_QPA_PLATFORM);
    if (qEnvironmentVariableIsSet("LQ_TEST_SCALE_FACTOR")) qputenv("QT_SCALE_FACTOR", qgetenv("LQ_TEST_SCALE_FACTOR"));
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("lq3860-utility"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
