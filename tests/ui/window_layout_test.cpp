// SPDX-License-Identifier: MIT
// The windows' described texts fit their controls and the controls sit inside
// their group boxes' frames, in the fonts a desktop may give: a normal and
// larger sizes and other faces here, scale factor 2 in a second run by ctest.
#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionButton>

#include "ui/about_dlg.h"
#include "ui/get_mac_dialog.h"
#include "ui/template_layout.h"
#include "window_fixture.h"

namespace lq3860 {

namespace {

QRect InWindow(const QWidget* widget) {
    return QRect(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
}

// Label texts within the label, button texts within the style's contents
// area, group titles within their box with a character to spare each side.
void ExpectTextsFit(const QWidget& window) {
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        const QRect room = label->contentsRect();
        const QFontMetrics metrics = label->fontMetrics();
        EXPECT_TRUE(label->text().isEmpty() ||
                    (metrics.horizontalAdvance(label->text()) <= room.width() && metrics.height() <= room.height()))
            << label->text().toStdString();
    }
    for (const QPushButton* button : window.findChildren<QPushButton*>()) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QRect contents = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), contents.width())
            << button->text().toStdString();
    }
    for (const QGroupBox* box : window.findChildren<QGroupBox*>())
        EXPECT_LE(box->fontMetrics().horizontalAdvance(box->title() + "xx"), box->width())
            << box->title().toStdString();
}

// On the widget that holds a window's controls: every control lies inside
// it, and where its centre lies in a group box's rectangle, inside the
// frame's lines and below the title; no two controls overlap.
void ExpectControlsInsideFramesAndApart(const QWidget& canvas) {
    const QList<TemplateGroupBox*> boxes = canvas.findChildren<TemplateGroupBox*>();
    EXPECT_EQ(boxes.size(), canvas.findChildren<QGroupBox*>().size()) << "every frame drawn as the template draws it";
    QList<QWidget*> controls;
    for (QWidget* child : canvas.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!qobject_cast<QGroupBox*>(child)) controls << child;
    for (const TemplateGroupBox* box : boxes) {
        const QRect frame = box->FrameRect().translated(InWindow(box).topLeft()).adjusted(2, 2, -2, -2);
        const QRect title = QRect(InWindow(box).topLeft(), QSize(box->width(), box->fontMetrics().height()));
        for (const QWidget* control : controls) {
            const QRect geometry = InWindow(control);
            if (!InWindow(box).contains(geometry.center())) continue;
            EXPECT_TRUE(frame.contains(geometry) && !title.intersects(geometry))
                << control->objectName().toStdString() << " in " << box->title().toStdString();
        }
    }
    for (const QWidget* a : controls) {
        EXPECT_TRUE(canvas.rect().contains(a->geometry())) << a->objectName().toStdString();
        for (const QWidget* b : controls)
            EXPECT_TRUE(a == b || !InWindow(a).intersects(InWindow(b)))
                << a->objectName().toStdString() << " / " << b->objectName().toStdString();
    }
}

using FontCase = std::pair<const char*, int>;  // family, points

class WindowLayoutTest : public WindowTest, public ::testing::WithParamInterface<FontCase> {
protected:
    void SetUp() override {
        QApplication::setFont(QFont(GetParam().first, GetParam().second));
        WindowTest::SetUp();  // the window is built in that font
    }
    void TearDown() override { QApplication::setFont(desktopFont_); }

    // canvas: the widget that holds the controls, by default the window itself.
    void Check(QWidget& shown, const char* name, const QWidget* canvas = nullptr) {
        shown.show();
        SCOPED_TRACE(name);
        ExpectTextsFit(shown);
        ExpectControlsInsideFramesAndApart(canvas ? *canvas : shown);
    }

private:
    const QFont desktopFont_ = QApplication::font();
};

// The lookup dialog with the longest status its line can show.
TEST_P(WindowLayoutTest, TextsFitAndControlsSitInsideTheirFrames) {
    EXPECT_GE(window->font().pointSize(), GetParam().second);  // the window follows a larger desktop font
    Check(*window, "main", Control(control_id::SELECT_DEVICE)->parentWidget());
    CAboutDlg about;
    Check(about, "about");
    CGetMacDlg lookup(
        session.MacHandOff, services,
        {[] {
             return std::vector<AdapterRecord>{{"", "enp0s31f6", 2}};
         },
         [](const std::string&, std::optional<int>, const ReaderMessage&) { return GetMacOutcome::NoPermission; }});
    QTest::mouseClick(lookup.findChild<QPushButton*>(QString::number(control_id::GETMAC_GET)), Qt::LeftButton);
    Check(lookup, "getmac");
}

INSTANTIATE_TEST_SUITE_P(
    Fonts, WindowLayoutTest,
    ::testing::Values(FontCase{"DejaVu Sans", 9}, FontCase{"DejaVu Sans", 16}, FontCase{"DejaVu Serif", 13},
                      FontCase{"DejaVu Sans Mono", 12}),
    [](const auto& font) {
        return QString("%1_%2").arg(font.param.first).arg(font.param.second).remove(' ').toStdString();
    });

}  // namespace

}  // namespace lq3860
