// A gallery window of every shared widget in both of its states, in the program's dark style,
// rendered on the X server at device pixel ratios 1 and 2 and compared with golden images that
// were looked at.
#include "core/IKAnimation.h"
#include "core/ui/URColorButton.h"
#include "core/ui/URDial.h"
#include "core/ui/URGPEditEx.h"
#include "core/ui/URGPPanelEx.h"
#include "core/ui/URGlyphButton.h"
#include "core/ui/URGlyphs.h"
#include "core/ui/URGradientBar.h"
#include "core/ui/URStyle.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/SourcePaths.h"
#include "tests/support/StyleScope.h"

#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

QLabel* Label(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setStyleSheet("color: #7D848C;");
    return label;
}

TRGPPanelEx* Panel(const QString& caption, bool expanded, bool useCheckBox, QWidget* parent) {
    auto* panel = new TRGPPanelEx(parent);
    panel->setFixedWidth(Scaled(300, panel));
    panel->SetCaption(caption);
    panel->SetHeightExpanded(Scaled(60, panel));
    panel->SetUseCheckBox(useCheckBox);
    panel->SetChecked(true);
    if (useCheckBox && !expanded)
        panel->SetChecked(false);
    panel->SetOnRefresh([] {});
    panel->SetExpanded(expanded);
    return panel;
}

TRGPEditEx* Edit(const QString& caption, double value, const QString& unit, QWidget* parent) {
    auto* edit = new TRGPEditEx(parent);
    edit->setFixedSize(Scaled(300, edit), Scaled(25, edit));
    edit->SetAnimate(false);
    edit->SetCaption(caption);
    edit->SetMinMaxValues(0, 5000);
    edit->SetUM(unit);
    edit->SetValue(value);
    return edit;
}

// Every widget of the kit, the left column in its normal or off state, the right column in its
// other state.
std::unique_ptr<QWidget> BuildGallery() {
    auto window = std::make_unique<QWidget>();
    window->setWindowTitle("Widget gallery");
    window->setAutoFillBackground(true);
    auto* grid = new QGridLayout(window.get());
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(8);
    QWidget* w = window.get();
    int row = 0;
    auto add = [&](const QString& name, QWidget* left, QWidget* right) {
        grid->addWidget(Label(name, w), row, 0);
        grid->addWidget(left, row, 1, Qt::AlignLeft | Qt::AlignVCenter);
        grid->addWidget(right, row, 2, Qt::AlignLeft | Qt::AlignVCenter);
        ++row;
    };
    add("Group panel", Panel("Shadow", false, true, w), Panel("Placement", true, true, w));
    add("Panel without switch", Panel("Project Size", false, false, w),
        Panel("Project Size", true, false, w));
    auto* disabled = Edit("Opacity", 35, "%", w);
    disabled->setEnabled(false);
    add("Value editor", Edit("Fade In", 1250.5, "ms", w), disabled);

    auto* dialA = new TRDial(w);
    auto* dialB = new TRDial(w);
    dialB->SetValue(135);
    dialB->setEnabled(false);
    add("Dial", dialA, dialB);

    auto* colorA = new TRColorButton(w);
    colorA->SetColor(QColor(0x00A1A1));
    auto* colorB = new TRColorButton(w);
    colorB->SetColor(QColor(0xFFC000));
    colorB->setEnabled(false);
    add("Colour button", colorA, colorB);

    auto* gradient = new TRGradientBar(w);
    gradient->SetColors(QColor(0x00A1A1), Qt::white);
    gradient->SetPosition(0, 20);
    gradient->SetPosition(1, 80);
    auto* solid = new TRGradientBar(w);
    solid->SetColors(QColor(0xED7D31), Qt::white);
    solid->SetGradient(false);
    add("Gradient track", gradient, solid);

    auto* toggles = new QWidget(w);
    auto* toggleRow = new QHBoxLayout(toggles);
    toggleRow->setContentsMargins(0, 0, 0, 0);
    for (int glyph : {GlyphBold, GlyphItalic, GlyphUnderline, GlyphVisible, GlyphLink}) {
        auto* button = new TRGlyphButton(glyph, toggles);
        button->setChecked(glyph == GlyphBold || glyph == GlyphLink);
        toggleRow->addWidget(button);
    }
    auto* align = new QWidget(w);
    auto* alignRow = new QHBoxLayout(align);
    alignRow->setContentsMargins(0, 0, 0, 0);
    auto* horizontal = new TRAlignGlyphs(TRAlignGlyphs::Horizontal, align);
    horizontal->SetValue(1);
    auto* vertical = new TRAlignGlyphs(TRAlignGlyphs::Vertical, align);
    vertical->SetValue(2);
    alignRow->addWidget(horizontal);
    alignRow->addWidget(vertical);
    add("Glyph toggles / align", toggles, align);

    auto* glyphs = new QWidget(w);
    auto* glyphRow = new QHBoxLayout(glyphs);
    glyphRow->setContentsMargins(0, 0, 0, 0);
    glyphRow->setSpacing(4);
    for (int index : GlyphIndexes()) {
        auto* image = new TRGlyphImage(index, glyphs);
        image->setFixedSize(Scaled(18, image), Scaled(18, image));
        image->setToolTip(QString::number(index));
        glyphRow->addWidget(image);
    }
    grid->addWidget(Label("Glyphs", w), row, 0);
    grid->addWidget(glyphs, row, 1, 1, 2, Qt::AlignLeft);
    window->adjustSize();
    return window;
}

TEST(WidgetGalleryTest, EveryWidgetInBothStatesAtRatiosOneAndTwo) {
    StyleScope style;
    auto window = BuildGallery();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const QString folder = QString::fromUtf8(kTestsSourceDir) + "/core/golden";
    for (qreal ratio : {1.0, 2.0}) {
        const QImage image = RenderWidget(*window, ratio);
        // The dark style: the corners are the window colour.
        EXPECT_EQ(QColor(image.pixel(1, 1)), QColor(TRStyleColors::Window));
        ExpectGolden(image, folder, QString("widget_gallery_%1x.png").arg(int(ratio)));
    }
}

// Nothing in the gallery is cut off: every widget lies inside the window and no widget's size
// is below what it asks for.
TEST(WidgetGalleryTest, NothingIsClipped) {
    StyleScope style;
    auto window = BuildGallery();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (!child->isVisible() || child->parentWidget() != window.get())
            continue;
        EXPECT_TRUE(window->rect().contains(child->geometry())) << child->metaObject()->className();
        if (auto* label = qobject_cast<QLabel*>(child)) {
            EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
        }
    }
    for (auto* edit : window->findChildren<TRGPEditEx*>()) {
        const QFontMetrics metrics(edit->Edit()->font());
        EXPECT_GT(edit->Edit()->width(), metrics.horizontalAdvance(edit->Edit()->text()) + 6)
            << edit->Edit()->text().toStdString();
    }
}

} // namespace
