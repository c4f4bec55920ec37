// SPDX-License-Identifier: MIT
#include "ui/debug_channel.h"

#include <QString>
#include <QStringList>

#include <cstdio>

#include "ui/utility_app.h"

namespace lq3860 {

Q_LOGGING_CATEGORY(lq3860Link, "lq3860.link", QtWarningMsg)

namespace {

// The text's lines without empty ones: "HID_Open\n" is one line.
QStringList Lines(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).split(u'\n', Qt::SkipEmptyParts);
}

}  // namespace

DebugSink WindowDebugSink(bool verbose) {
    if (verbose) {
        return [](std::string_view text) {
            for (const QString& line : Lines(text))
                std::fprintf(stderr, "%s: %s\n", APPLICATION_NAME, line.toLocal8Bit().constData());
        };
    }
    return [](std::string_view text) {
        if (!lq3860Link().isDebugEnabled()) return;
        for (const QString& line : Lines(text)) qCDebug(lq3860Link).noquote() << line;
    };
}

}  // namespace lq3860
