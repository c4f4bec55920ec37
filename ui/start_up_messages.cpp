// SPDX-License-Identifier: MIT
#include "ui/start_up_messages.h"

#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

#include "ui/utility_app.h"

namespace lq3860 {

namespace {

void PrintQtLines(const QString& text) {
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts))
        std::fprintf(stderr, "%s: Qt: %s\n", APPLICATION_NAME, qPrintable(line));
}

}  // namespace

void StartUpMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    // Qt's message handler takes no context of its own, so what the plugins
    // said waits here; only the application object's start fills it.
    static QString pluginMessages;
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s: no display could be opened (set DISPLAY or WAYLAND_DISPLAY, or QT_QPA_PLATFORM)\n",
                     APPLICATION_NAME);
        PrintQtLines(pluginMessages);
        PrintQtLines(message);
        std::_Exit(EXIT_FAILURE);
    }
    if (context.category != nullptr && QString::fromLatin1(context.category).startsWith("qt.qpa")) {
        pluginMessages += message + u'\n';
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

}  // namespace lq3860
