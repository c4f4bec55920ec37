// SPDX-License-Identifier: MIT
#pragma once
// The About box: the program's icon and its name with version.
#include <QDialog>

namespace lq3860 {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace lq3860
