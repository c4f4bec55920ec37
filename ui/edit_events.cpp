// SPDX-License-Identifier: MIT
#include "ui/edit_events.h"

#include <QEvent>
#include <QLineEdit>
#include <QValidator>

#include <algorithm>
#include <utility>

namespace lq3860 {

namespace {

class Latin1Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        const bool latin1 = std::all_of(input.cbegin(), input.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
        return latin1 ? Acceptable : Invalid;
    }
};

}  // namespace

FocusLostFilter::FocusLostFilter(QObject* watched, std::function<void()> handler)
    : QObject(watched), handler_(std::move(handler)) {
    watched->installEventFilter(this);
}

bool FocusLostFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !running_) {
        running_ = true;
        handler_();
        running_ = false;
    }
    return QObject::eventFilter(watched, event);
}

void LimitTyping(QLineEdit* edit, int limit) {
    edit->setValidator(new Latin1Validator(edit));
    edit->setMaxLength(limit);
    // After the user's own change the cap is the limit, or the present
    // length while a longer program text is being shortened.
    // Qt sets the text anew on every change of the cap, which puts the
    // cursor at the end: the cap changes only while a long text shrinks,
    // and the cursor is put back where the user left it.
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, limit](const QString& text) {
        const int cap = std::max(limit, static_cast<int>(text.size()));
        if (edit->maxLength() == cap) return;
        const int cursor = edit->cursorPosition();
        edit->setMaxLength(cap);
        edit->setCursorPosition(cursor);
    });
}

void SetProgramText(QLineEdit* edit, const QString& text, int limit) {
    // Qt cuts a text at the maximum length, so the cap is lifted first.
    edit->setMaxLength(std::max(limit, static_cast<int>(text.size())));
    edit->setText(text);
}

}  // namespace lq3860
