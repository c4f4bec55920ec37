// SPDX-License-Identifier: MIT
// The windows' own texts fit their controls and the controls sit inside
// their group boxes' frames, in the fonts a desktop may give: a normal and
// larger sizes and other faces here, scale factor 2 in a second run by ctest.
#include "ui/about_dlg.h"
#include "ui/get_mac_dialog.h"
#include "ui/template_layout.h"
#include "window_fixture.h"

namespace lq3860 {

const auto InWindow = [](const QWidget* w) { return QRect(w->mapTo(w->window(), QPoint()), w->size()); };

// Label texts within the label, button texts within the style's contents
// area, group titles within their box with a character to spare each side.
void ExpectTextsFit(const QWidget& window) {
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        const QSize text(label->fontMetrics().horizontalAdvance(label->text()), label->fontMetrics().height());
        EXPECT_TRUE(label->text().isEmpty() || label->contentsRect().size().boundedTo(text) == text)
            << label->text().toStdString();
    }
    for (const QPushButton* button : window.findChildren<QPushButton*>()) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), room.width())
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
            const std::string where = control->objectName().toStdString() + " in " + box->title().toStdString();
            EXPECT_TRUE(frame.contains(geometry)) << where << ": outside the frame";
            EXPECT_FALSE(title.intersects(geometry)) << where << ": over the title";
        }
    }
    for (const QWidget* a : controls) {
        EXPECT_TRUE(canvas.rect().contains(a->geometry())) << a->objectName().toStdString();
        for (const QWidget* b : controls)
            EXPECT_TRUE(a == b || !InWindow(a).intersects(InWindow(b)))
                << a->objectName().toStdString() << " / " << b->objectName().toStdString();
    }
}

using FontCase = std::pair<std::string, int>;  // family, points: stable test names

class WindowLayoutTest : public WindowTest, public ::testing::WithParamInterface<FontCase> {
protected:
    void SetUp() override {
        QApplication::setFont(QFont(QString::fromStdString(GetParam().first), GetParam().second));
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
    const QFont desktopFont_ = QApplication::font();
};

// The lookup dialog with the longest status its line can show.
TEST_P(WindowLayoutTest, TextsFitAndControlsSitInsideTheirFrames) {
    // The window follows a larger desktop font.
    EXPECT_GE(window->font().pointSize(), GetParam().second);
    Check(*window, "main", Control(id::SELECT_DEVICE)->parentWidget());
    CAboutDlg about;
    Check(about, "about");
    const auto adapters = [] { return std::vector<AdapterRecord>{{"", "enp0s31f6", 2}}; };
    CGetMacDlg lookup(session.MacHandOff, services, {adapters, [](auto&&...) { return GetMacOutcome::NoPermission; }});
    QTest::mouseClick(lookup.findChild<QPushButton*>(QString::number(id::GETMAC_GET)), Qt::LeftButton);
    Check(lookup, "getmac");
}

INSTANTIATE_TEST_SUITE_P(Fonts, WindowLayoutTest,
                         ::testing::Values(FontCase{"DejaVu Sans", 9}, FontCase{"DejaVu Sans", 16},
                                           FontCase{"DejaVu Serif", 13}, FontCase{"DejaVu Sans Mono", 12}));

}  // namespace lq3860
