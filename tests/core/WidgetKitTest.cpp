// The shared widgets of the inspector offscreen, driven by QTest input and an injected
// animation clock: the group panel, the value editor, the dial, the colour button, the gradient
// track bar, the glyph buttons, the dimmer, the glyph table and the file-filter converter.
#include "core/IKAnimation.h"
#include "core/URFileFilter.h"
#include "core/ui/URColorButton.h"
#include "core/ui/URDial.h"
#include "core/ui/URDimmer.h"
#include "core/ui/URGPEditEx.h"
#include "core/ui/URGPPanelEx.h"
#include "core/ui/URGlyphButton.h"
#include "core/ui/URGlyphs.h"
#include "core/ui/URGradientBar.h"
#include "core/ui/URStyle.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class WidgetKitTest : public ::testing::Test {
protected:
    void SetUp() override {
        IKSetClock([this] { return now_; });
    }
    void TearDown() override {
        Advance(1); // lets every animation end
        Advance(0);
        EXPECT_EQ(IKAnimationRunCount(), 0);
        IKSetClock(nullptr);
    }
    void Advance(double seconds) {
        now_ += seconds;
        IKAnimationTick();
    }

    double now_ = 1000.0;
};

// ---- the group panel ----

class PanelTest : public WidgetKitTest {
protected:
    void SetUp() override {
        WidgetKitTest::SetUp();
        panel_.resize(300, 25);
        panel_.SetHeightCompact(25);
        panel_.SetHeightExpanded(160);
        panel_.SetChecked(true);
        panel_.SetExpanded(false);
        panel_.show();
    }
    void ClickGlyph() { QTest::mouseClick(panel_.ExpandButton(), Qt::LeftButton); }

    TRGPPanelEx panel_;
    QSignalSpy changed_{&panel_, &TRGPPanelEx::Changed};
};

TEST_F(PanelTest, WithoutSwitchTheGroupIsAlwaysChecked) {
    panel_.SetUseCheckBox(false);
    panel_.SetChecked(false);
    EXPECT_TRUE(panel_.Checked());
    EXPECT_FALSE(panel_.CheckBox()->isVisibleTo(&panel_));
    EXPECT_TRUE(panel_.CheckBox()->isChecked());
    EXPECT_TRUE(panel_.ExpandButton()->isVisibleTo(&panel_));
    EXPECT_EQ(changed_.count(), 0);
}

TEST_F(PanelTest, AnUncheckedGroupNeverExpands) {
    panel_.SetChecked(false);
    panel_.SetExpanded(true);
    EXPECT_FALSE(panel_.Expanded());
    EXPECT_EQ(panel_.height(), 25);
    EXPECT_EQ(panel_.ExpandButton()->RotationAngle(), 0);
    EXPECT_FALSE(panel_.ExpandButton()->isVisibleTo(&panel_));
}

TEST_F(PanelTest, SetExpandedJumpsWithoutReport) {
    panel_.SetExpanded(true);
    EXPECT_EQ(panel_.height(), 160);
    EXPECT_EQ(panel_.ExpandButton()->RotationAngle(), 90);
    EXPECT_EQ(changed_.count(), 0);
    EXPECT_EQ(IKAnimationRunCount(), 0);
}

TEST_F(PanelTest, AClickOnTheGlyphReportsAtOnceAndGrowsWithEaseOut) {
    ClickGlyph();
    ASSERT_EQ(changed_.count(), 1);
    EXPECT_TRUE(panel_.Expanded());
    Advance(0.125); // half the time: ease-out is past half the way, the glyph exactly half
    EXPECT_GT(panel_.height(), 25 + (160 - 25) / 2);
    EXPECT_LT(panel_.height(), 160);
    EXPECT_NEAR(panel_.ExpandButton()->RotationAngle(), 45, 1);
    Advance(0.2);
    EXPECT_EQ(panel_.height(), 160);
    EXPECT_EQ(panel_.ExpandButton()->RotationAngle(), 90);
    EXPECT_TRUE(panel_.Expanded());
    EXPECT_EQ(changed_.count(), 1);
}

TEST_F(PanelTest, ASecondClickReversesAndTheGroupEndsAsAsked) {
    panel_.SetExpanded(true);
    ClickGlyph(); // collapse
    Advance(0.1);
    ClickGlyph(); // and open again before the collapse ends
    ASSERT_EQ(changed_.count(), 2);
    EXPECT_TRUE(panel_.Expanded());
    Advance(0.3);
    EXPECT_EQ(panel_.height(), 160);
    EXPECT_TRUE(panel_.Expanded());
    EXPECT_EQ(changed_.count(), 2);
}

TEST_F(PanelTest, UntickingTheSwitchClosesTheGroup) {
    panel_.SetExpanded(true);
    QTest::mouseClick(panel_.CheckBox(), Qt::LeftButton);
    ASSERT_EQ(changed_.count(), 1);
    EXPECT_FALSE(panel_.Expanded());
    EXPECT_FALSE(panel_.Checked());
    EXPECT_FALSE(panel_.ExpandButton()->isVisibleTo(&panel_));
    Advance(0.3);
    EXPECT_EQ(panel_.height(), 25);
}

TEST_F(PanelTest, SettingCheckedNeverReportsNorAnimates) {
    panel_.SetChecked(false);
    panel_.SetChecked(true);
    EXPECT_EQ(changed_.count(), 0);
    EXPECT_EQ(IKAnimationRunCount(), 0);
}

TEST_F(PanelTest, ResetShowsWithAHandlerOnAnOpenGroupAndTurns) {
    int resets = 0;
    EXPECT_FALSE(panel_.RefreshButton()->isVisibleTo(&panel_));
    panel_.SetOnRefresh([&resets] { ++resets; });
    EXPECT_FALSE(panel_.RefreshButton()->isVisibleTo(&panel_)); // collapsed
    panel_.SetExpanded(true);
    ASSERT_TRUE(panel_.RefreshButton()->isVisibleTo(&panel_));
    QTest::mouseClick(panel_.RefreshButton(), Qt::LeftButton);
    Advance(0.05);
    QTest::mouseClick(panel_.RefreshButton(), Qt::LeftButton);
    EXPECT_EQ(resets, 2);
    EXPECT_EQ(IKAnimationRunCount(), 2);
    Advance(0.3);
    EXPECT_EQ(panel_.RefreshButton()->RotationAngle(), 0);
}

TEST_F(PanelTest, ScalingRoundsToNearest) {
    panel_.ChangeScale(144, 96);
    EXPECT_EQ(panel_.HeightCompact(), 38);
    EXPECT_EQ(panel_.HeightExpanded(), 240);
}

// ---- the value editor ----

class EditTest : public WidgetKitTest {
protected:
    void SetUp() override {
        WidgetKitTest::SetUp();
        edit_.resize(300, 25);
        edit_.show();
    }
    void SetSnaps(const QList<int>& values, int delta) {
        edit_.SetSnapDelta(delta);
        edit_.SetSnapValues(values);
    }

    TRGPEditEx edit_;
    QSignalSpy changed_{&edit_, &TRGPEditEx::Changed};
};

TEST_F(EditTest, SettingTheSameValueDoesNothing) {
    edit_.SetValue(50);
    EXPECT_EQ(IKAnimationRunCount(), 0);
    EXPECT_EQ(changed_.count(), 0);
}

TEST_F(EditTest, AProgramSetSlidesAndKeepsTheExactValue) {
    edit_.SetValue(12.7);
    Advance(0.1);
    EXPECT_LT(edit_.TrackBar()->value(), 50);
    EXPECT_GT(edit_.TrackBar()->value(), 12);
    Advance(0.3);
    EXPECT_EQ(edit_.TrackBar()->value(), 12);
    EXPECT_EQ(edit_.Value(), 12.7);
    EXPECT_DOUBLE_EQ(edit_.Edit()->value(), 12.7);
    EXPECT_EQ(changed_.count(), 0);
}

TEST_F(EditTest, TwoProgramSetsWithinASlideNeverReport) {
    SetSnaps({0, 25, 50, 75, 100}, 5);
    edit_.SetValue(20);
    Advance(0.1);
    edit_.SetValue(90);
    for (int i = 0; i < 30; ++i)
        Advance(0.016);
    EXPECT_EQ(changed_.count(), 0);
    EXPECT_EQ(edit_.TrackBar()->value(), 90);
    EXPECT_EQ(edit_.Value(), 90);
}

TEST_F(EditTest, WithoutAnimationTheTrackBarJumps) {
    edit_.SetAnimate(false);
    edit_.SetMinMaxValues(-10, 10);
    edit_.SetValue(-3.5);
    EXPECT_EQ(edit_.TrackBar()->value(), -3);
    EXPECT_EQ(edit_.Value(), -3.5);
    EXPECT_EQ(changed_.count(), 0);
}

TEST_F(EditTest, DraggingSnapsToTheFirstFavouriteInReach) {
    const struct {
        QList<int> favourites;
        int drag;
        int value;
    } cases[] = {
        {{0, 25, 50, 75, 100}, 47, 50},
        {{0, 25, 50, 75, 100}, 44, 44},
        {{0, 5}, 5, 0},
    };
    for (const auto& c : cases) {
        TRGPEditEx edit;
        QSignalSpy changed(&edit, &TRGPEditEx::Changed);
        edit.SetSnapDelta(5);
        edit.SetSnapValues(c.favourites);
        edit.TrackBar()->setValue(c.drag); // what a drag does to the track bar
        EXPECT_EQ(edit.Value(), c.value) << c.drag;
        EXPECT_EQ(edit.TrackBar()->value(), c.value);
        EXPECT_EQ(edit.Edit()->value(), c.value);
        EXPECT_EQ(changed.count(), 1);
    }
}

TEST_F(EditTest, TheMenuOffersTheFavouritesAndSnapsItsPick) {
    edit_.SetUM("%");
    edit_.SetDefaultValue(4.6);
    SetSnaps({0, 5}, 5);
    const auto actions = edit_.PopupMenu()->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->text(), "0 %");
    EXPECT_EQ(edit_.PopupMenu()->defaultAction(), actions[1]);
    actions[1]->trigger();
    EXPECT_EQ(edit_.Value(), 0); // 5 lies within reach of 0, the first favourite
    EXPECT_EQ(changed_.count(), 1);

    TRGPEditEx plain;
    plain.SetSnapValues({10});
    EXPECT_EQ(plain.PopupMenu()->actions()[0]->text(), "10 ");
}

TEST_F(EditTest, TypingReportsEachChangeOnceAndEnterAddsNothing) {
    edit_.Edit()->setFocus();
    edit_.Edit()->selectAll();
    QTest::keyClicks(edit_.Edit(), "33.5");
    const auto typed = changed_.count();
    EXPECT_GE(typed, 1);
    EXPECT_EQ(edit_.Value(), 33.5);
    EXPECT_EQ(edit_.TrackBar()->value(), 33);
    QTest::keyClick(edit_.Edit(), Qt::Key_Return);
    EXPECT_EQ(changed_.count(), typed);
}

TEST_F(EditTest, TrackBarWidthFollowsTheEditorsName) {
    const struct {
        const char* name;
        int width;
    } cases[] = {{"edVideoSpeed", 95},
                 {"edAudioLoudness", 95},
                 {"edvideospeed", 111},
                 {"EdZoomCanvas", 75},
                 {"edOpacity", 111}};
    for (const auto& c : cases) {
        TRGPEditEx edit;
        edit.setObjectName(c.name);
        edit.resize(320, 25);
        edit.show();
        EXPECT_EQ(edit.TrackBar()->width(), Scaled(c.width, &edit)) << c.name;
        EXPECT_GE(edit.Caption()->x(), 0);
    }
}

// ---- dial, colour button, gradient bar, glyph buttons ----

TEST_F(WidgetKitTest, DialTurnsResetsAndOffersPresets) {
    TRDial dial;
    dial.SetDefaultValue(0);
    dial.SetPresets({0, 45, 90});
    dial.show();
    QSignalSpy changed(&dial, &TRDial::Changed);
    const QRectF face = dial.rect();
    EXPECT_EQ(dial.ValueAt({face.center().x(), 0}), 0);
    EXPECT_EQ(dial.ValueAt({face.right(), face.center().y()}), 90);
    EXPECT_EQ(dial.ValueAt({face.center().x(), face.bottom()}), 180);
    QTest::mouseClick(&dial, Qt::LeftButton, {}, QPoint(dial.width() - 1, dial.height() / 2));
    EXPECT_EQ(dial.Value(), 90);
    QTest::mouseDClick(&dial, Qt::LeftButton, {}, QPoint(dial.width() - 1, dial.height() / 2));
    EXPECT_EQ(dial.Value(), 0);
    ASSERT_EQ(dial.PresetMenu()->actions().size(), 3);
    EXPECT_EQ(dial.PresetMenu()->actions()[1]->text(), QString("45") + QChar(0xBA));
    dial.PresetMenu()->actions()[1]->trigger();
    EXPECT_EQ(dial.Value(), 45);
    EXPECT_GE(changed.count(), 3);
    dial.SetValue(400);
    EXPECT_EQ(dial.Value(), 360);
}

TEST_F(WidgetKitTest, ColorButtonGalleryAndSharedDialog) {
    TRColorButton button;
    button.SetAutomaticColor(Qt::black);
    button.SetColor(Qt::red);
    QSignalSpy changed(&button, &TRColorButton::Changed);
    QList<QAction*> actions = button.Gallery()->actions();
    ASSERT_EQ(actions.first()->text(), "Automatic");
    ASSERT_EQ(actions.last()->text(), "More colors...");
    actions.first()->trigger();
    EXPECT_EQ(button.Color(), QColor(Qt::black));
    QColor offered;
    InstallColorChooser([&offered](const QColor& initial, QWidget*) {
        offered = initial;
        return QColor(0x123456);
    });
    actions.last()->trigger();
    EXPECT_EQ(offered, QColor(Qt::black));
    EXPECT_EQ(button.Color(), QColor(0x123456));
    InstallColorChooser([](const QColor&, QWidget*) { return QColor(); }); // cancelled
    button.MoreColors();
    EXPECT_EQ(button.Color(), QColor(0x123456));
    InstallColorChooser(nullptr);
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(TRColorButton::GalleryColors().size() % 8, 0);
}

TEST_F(WidgetKitTest, GradientBarDragsClicksAndMenus) {
    TRGradientBar bar;
    bar.resize(200, 20);
    bar.show();
    QSignalSpy changed(&bar, &TRGradientBar::Changed);
    QSignalSpy clicked(&bar, &TRGradientBar::ThumbClicked);
    QSignalSpy menu(&bar, &TRGradientBar::ThumbMenuRequested);
    const QPoint second = bar.ThumbCentre(1).toPoint();
    EXPECT_EQ(bar.ThumbAt(second), 1);
    QTest::mousePress(&bar, Qt::LeftButton, {}, second);
    QTest::mouseMove(&bar, bar.ThumbCentre(0).toPoint() + QPoint(90, 0));
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, bar.ThumbCentre(0).toPoint() + QPoint(90, 0));
    EXPECT_NEAR(bar.Position(1), 50, 2);
    EXPECT_EQ(clicked.count(), 0);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, bar.ThumbCentre(0).toPoint());
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked[0][0].toInt(), 0);
    QTest::mousePress(&bar, Qt::RightButton, {}, bar.ThumbCentre(1).toPoint());
    ASSERT_EQ(menu.count(), 1);
    EXPECT_EQ(menu[0][0].toInt(), 1);
    bar.SetGradient(false);
    EXPECT_EQ(bar.ThumbAt(bar.ThumbCentre(1).toPoint()), -1);
    bar.SetPosition(0, 150);
    EXPECT_EQ(bar.Position(0), 100);
    EXPECT_GE(changed.count(), 2);
}

TEST_F(WidgetKitTest, AlignGlyphsExcludeEachOther) {
    TRAlignGlyphs align(TRAlignGlyphs::Horizontal);
    align.show();
    QSignalSpy changed(&align, &TRAlignGlyphs::Changed);
    EXPECT_EQ(align.Value(), 0);
    QTest::mouseClick(align.Button(2), Qt::LeftButton);
    EXPECT_EQ(align.Value(), 2);
    EXPECT_FALSE(align.Button(0)->isChecked());
    align.SetValue(1);
    EXPECT_EQ(align.Value(), 1);
    EXPECT_EQ(changed.count(), 2);
    TRGlyphButton toggle(GlyphBold);
    QTest::mouseClick(&toggle, Qt::LeftButton);
    EXPECT_TRUE(toggle.isChecked());
    QTest::mouseClick(&toggle, Qt::LeftButton);
    EXPECT_FALSE(toggle.isChecked());
}

TEST_F(WidgetKitTest, DimmerCoversTheClientAreaWhileItLives) {
    QWidget window;
    window.resize(320, 200);
    window.show();
    {
        TRDimmer dimmer(&window);
        ASSERT_NE(dimmer.Overlay(), nullptr);
        EXPECT_EQ(dimmer.Overlay()->geometry(), window.rect());
        window.resize(400, 300);
        EXPECT_EQ(dimmer.Overlay()->geometry(), window.rect());
        EXPECT_TRUE(dimmer.Overlay()->testAttribute(Qt::WA_TransparentForMouseEvents));
    }
    EXPECT_TRUE(window.findChildren<QWidget*>().isEmpty());
    EXPECT_EQ(RunDimmed(&window, [&window] { return window.findChildren<QWidget*>().size(); }), 1);
    TRDimmer nothing(nullptr);
    EXPECT_EQ(nothing.Overlay(), nullptr);
}

// ---- glyphs and file filters ----

TEST(GlyphTableTest, EveryGlyphIsInTheIconFontOrDrawnFromSvg) {
    QFont font(GlyphFontFamily);
    ASSERT_EQ(QFontInfo(font).family(), GlyphFontFamily) << "the icon font is not installed";
    const QFontMetrics metrics(font);
    for (int index : GlyphIndexes()) {
        QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        DrawGlyph(painter, QRectF(0, 0, 32, 32), index, Qt::white);
        painter.end();
        int inked = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                inked += qAlpha(image.pixel(x, y)) > 128;
        EXPECT_GT(inked, 10) << index;
        if (!GlyphIsSvg(index)) {
            EXPECT_TRUE(metrics.inFont(QChar(GlyphCharacter(index)))) << index;
        }
    }
    EXPECT_EQ(GlyphCharacter(218), 0xe5cc); // the expand glyph
}

TEST(FileFilterTest, PairsBecomeQtFilters) {
    const struct {
        const char* descPatterns;
        const char* filter;
    } cases[] = {
        {"Tavrin Project|*.qmb", "Tavrin Project (*.qmb)"},
        {"Images (*.png;*.jpg)|*.png;*.jpg|All files|*.*", "Images (*.png *.jpg);;All files (*.*)"},
        {"Video| *.mp4 ; *.avi |Dangling", "Video (*.mp4 *.avi)"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QtFileFilter(c.descPatterns), c.filter) << c.descPatterns;
    EXPECT_EQ(QtFileFilterIndex("A|*.a|B|*.b", "B (*.b)"), 2);
    EXPECT_EQ(QtFileFilterIndex("A|*.a|B|*.b", "C (*.c)"), 0);
}

} // namespace
