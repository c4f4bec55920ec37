// SPDX-License-Identifier: MIT
#include "ui/qt_user_services.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include <utility>

namespace lq3860 {

namespace {

void ShowMessage(const QString& caption, const std::string& text, QMessageBox::Icon icon) {
    QMessageBox box(icon, caption, QString::fromLocal8Bit(text.c_str()), QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

// Both dialogs hide the read-only box (Qt has none) and never ask before
// replacing a file: the save procedure writes atomically anyway. The chosen
// path goes out as UTF-8, which the file storage of every platform takes (on
// Windows the local 8-bit code page would lose most names).
QFileDialog::Options FileDialogOptions() {
    return QFileDialog::DontConfirmOverwrite;
}

}  // namespace

QtUserServices::QtUserServices(QString caption) : caption_(std::move(caption)) {}

void QtUserServices::WindowMessage(const std::string& text) {
    ShowMessage(caption_, text, QMessageBox::NoIcon);
}

void QtUserServices::ApplicationMessage(const std::string& text, bool errorIcon) {
    ShowMessage(caption_, text, errorIcon ? QMessageBox::Critical : QMessageBox::NoIcon);
}

std::string QtUserServices::AskOpenFileName(const std::string& filter) {
    const QString path = QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(), QString(),
                                                      QString::fromStdString(filter), nullptr, FileDialogOptions());
    return path.toUtf8().toStdString();
}

std::string QtUserServices::AskSaveFileName(const std::string& filter, const std::string& defaultSuffix) {
    QFileDialog dialog(QApplication::activeWindow(), QString(), QString(), QString::fromStdString(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOptions(FileDialogOptions());
    dialog.setDefaultSuffix(QString::fromStdString(defaultSuffix));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::string();
    return dialog.selectedFiles().constFirst().toUtf8().toStdString();
}

}  // namespace lq3860
