// SPDX-License-Identifier: MIT
#pragma once
// Where the window's debug texts of the link go: the Qt logging category
// "lq3860.link", off by default and turned on by the rule
// QT_LOGGING_RULES="lq3860.link.debug=true" (Qt reads the last ".debug" of a
// rule as the message level), or with --verbose straight to stderr, one
// line per text line, each starting with the program's name.
#include <QLoggingCategory>

#include "types/debug_output.h"

namespace lq3860 {

Q_DECLARE_LOGGING_CATEGORY(lq3860Link)

DebugSink WindowDebugSink(bool verbose);

}  // namespace lq3860
