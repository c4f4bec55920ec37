// SPDX-License-Identifier: MIT
#include "ui/device_text.h"

namespace lq3860 {

namespace {

QString WithoutControlCharacters(QString text) {
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control) c = QChar::ReplacementCharacter;
    }
    return text;
}

}  // namespace

QString ModuleNameText(std::string_view utf8Name) {
    return WithoutControlCharacters(QString::fromUtf8(utf8Name.data(), static_cast<qsizetype>(utf8Name.size())));
}

QString FirmwareText(std::string_view latin1Text) {
    return WithoutControlCharacters(QString::fromLatin1(latin1Text.data(), static_cast<qsizetype>(latin1Text.size())));
}

}  // namespace lq3860
