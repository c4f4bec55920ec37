// SPDX-License-Identifier: MIT
#include "ui/module_name_text.h"

namespace lq3860 {

QString ModuleNameText(std::string_view utf8Name) {
    QString text = QString::fromUtf8(utf8Name.data(), static_cast<qsizetype>(utf8Name.size()));
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control) c = QChar::ReplacementCharacter;
    }
    return text;
}

}  // namespace lq3860
