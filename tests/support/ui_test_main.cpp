// SPDX-License-Identifier: MIT
// The window tests run without a display, on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("lq3860-utility"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
