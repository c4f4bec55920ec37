// SPDX-License-Identifier: MIT
#pragma once
// Edit behaviour the main window's rules rely on: a focus-lost event, and a
// typing limit that does not cut a longer text the program itself puts in.
#include <QObject>
#include <QString>

#include <functional>

class QLineEdit;

namespace lq3860 {

// Calls `handler` whenever the watched widget loses the keyboard focus: to
// another control, a menu or another window (a file dialog, another
// program). A message box that the handler itself opens takes the focus as
// well; that loss does not run the handler again, which would open the box
// again and again.
class FocusLostFilter : public QObject {
    Q_OBJECT
public:
    FocusLostFilter(QObject* watched, std::function<void()> handler);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> handler_;
    bool running_ = false;
};

// Caps typing in `edit` at `limit` characters and lets it hold only
// Latin-1 characters (the texts travel as 8-bit text).
void LimitTyping(QLineEdit* edit, int limit);
// Sets the program's text whole, even when it is longer than the typing
// limit; the user can then shorten it but not lengthen it.
void SetProgramText(QLineEdit* edit, const QString& text, int limit);

}  // namespace lq3860
