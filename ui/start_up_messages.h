// SPDX-License-Identifier: MIT
#pragma once
// Qt's messages while the window's application object starts.
#include <QtGlobal>

namespace lq3860 {

// A Qt message handler for the application object's start. Qt ends the
// process with a fatal message when no platform plugin (no display) can be
// opened: the program then says so in its own words, followed by Qt's own
// reasons, and exits with 1. The platform plugins' complaints are held back
// until then, since a later plugin of the list may still start; other
// messages go to stderr as they come.
void StartUpMessages(QtMsgType type, const QMessageLogContext& context, const QString& message);

}  // namespace lq3860
