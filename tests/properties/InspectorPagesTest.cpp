// The inspector pages: built once per object type, refilled only when the object, its name, its
// keyframe or the project's multi-selection changed, both layouts with the frames' places kept
// exactly, the category tabs of each type; the name header (kind icon, visibility, renames as
// undo steps) and the placement frame (aspect, scale, lock, reset, guides, align commands).
#include "FrameTestServices.h"
#include "core/IKAnimation.h"
#include "core/URProject.h"
#include "core/URPropProjectSize.h"
#include "core/URSettings.h"
#include "core/ui/URAlignButton.h"
#include "core/ui/URDial.h"
#include "core/ui/URGPEditEx.h"
#include "core/ui/URGPPanelEx.h"
#include "core/ui/URGlyphButton.h"
#include "core/ui/URGlyphs.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropPlacement.h"
#include "properties/ui/UFramePropBase.h"
#include "properties/ui/UFramePropName.h"
#include "properties/ui/UFramePropPlacement.h"
#include "properties/ui/UFramePropProjectSize.h"
#include "properties/ui/URPropertiesPages.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <map>

namespace {

struct RegisteredKinds {
    RegisteredKinds() {
        SetDefaultSettings(SettingsRecord);
        RegisterEngineKinds();
        RegisterPropertyFrames();
    }
};

class Inspector : public ::testing::Test, private RegisteredKinds {
protected:
    void SetUp() override {
        IKSetClock([this] { return now_; });
        services_.project = &project_;
        InstallEditorServices(&services_);
        SettingsRecord.PropertiesLayout = 0;
        inspector_.resize(466, 700);
        inspector_.CreatePropertiesPages();
        inspector_.show();
    }
    void TearDown() override {
        Settle();
        InstallEditorServices(nullptr);
        IKSetClock(nullptr);
        SettingsRecord.PropertiesLayout = 0;
    }
    void Settle() {
        now_ += 1;
        IKAnimationTick();
        QApplication::processEvents();
    }
    TRObject* Add(TRObjectType type, int start = 0, int end = 6000) {
        TRObject* object = project_.AddObject(CreateObjectOfType(&project_, type));
        object->SetTimeStartField(start);
        object->SetTimeEnd(end);
        object->SetObjectName(QString("Object %1").arg(project_.Objects().size()));
        return object;
    }
    void Select(TRObject* object) {
        project_.SelectedObject = object;
        inspector_.ShowObjectProperties();
        Settle();
    }
    TFramePropPlacement* Placement(TRObjectType type = otImage) {
        return dynamic_cast<TFramePropPlacement*>(inspector_.Page(type).Frames[ptPlacement]);
    }
    TFramePropName* NameFrame(TRObjectType type) { return inspector_.Page(type).NameFrame; }
    std::size_t Records() { return project_.History().Records().size(); }
    TUndoType LastType() { return project_.History().Records().back().UType; }
    // Types `text` into a spin box as a user does, then Enter.
    static void Type(QSpinBox* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    double now_ = 10.0;
    TestServices services_;
    TRProject project_;
    TRObjectInspector inspector_;
};

// ---- pages ----

TEST_F(Inspector, APageIsBuiltOnceAndRefilledOnlyWhenSomethingShownChanged) {
    EXPECT_TRUE(inspector_.Page(otProject).Created);
    EXPECT_FALSE(inspector_.Page(otImage).Created);
    TRObject* first = Add(otImage);
    TRObject* second = Add(otImage);
    Select(first);
    ASSERT_TRUE(inspector_.Page(otImage).Created);
    TFramePropPlacement* frame = Placement();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(inspector_.currentWidget(), inspector_.Page(otImage).PageProperties);
    Select(second);
    EXPECT_EQ(Placement(), frame) << "the second image refills the same page";
    EXPECT_EQ(frame->ShownObject(), second);

    // Two keyframes: 0..3000 and 3000..6000.
    second->AddNewTransformation(3000);
    auto placementAt = [&](int index) {
        return second->TransformationAt(index).Properties->Get<TRPropPlacement>(ptPlacement);
    };
    const struct {
        const char* what;
        int time;
        const char* name;
        bool refill;
    } steps[] = {
        {"same span", 1500, "Object 2", false},       {"next keyframe", 4000, "Object 2", true},
        {"same span again", 5000, "Object 2", false}, {"a rename", 5000, "Renamed", true},
        {"back to the first", 500, "Renamed", true},
    };
    int shown = frame->XEdit()->value();
    int step = 0;
    for (const auto& s : steps) {
        ++step;
        // Fresh values in both keyframes: a refill shows the current one's.
        placementAt(0)->FPosition = QPointF(100 + step, 0);
        placementAt(1)->FPosition = QPointF(200 + step, 0);
        second->SetTimePosition(s.time);
        second->SetObjectName(s.name);
        inspector_.ShowObjectProperties();
        if (s.refill)
            shown = (second->TransformationsIndex() == 0 ? 100 : 200) + step;
        EXPECT_EQ(frame->XEdit()->value(), shown) << s.what;
    }
}

TEST_F(Inspector, TheProjectPageIsRefilledWhenTheMultiSelectionStartsOrEnds) {
    TRObject* a = Add(otImage);
    TRObject* b = Add(otImage);
    auto* size = project_.Get<TRPropProjectSize>(ptProjectSize, true);
    ASSERT_NE(size, nullptr);
    auto* frame =
        dynamic_cast<TFramePropProjectSize*>(inspector_.Page(otProject).Frames[ptProjectSize]);
    ASSERT_NE(frame, nullptr);
    const struct {
        const char* what;
        int width;
        bool aSelected, bSelected;
        int shown;
    } steps[] = {
        {"first fill", 1280, false, false, 1280},
        {"nothing changed", 1920, false, false, 1280},
        {"multi-selection starts", 1920, true, true, 1920},
        {"still multi-selected", 800, true, true, 1920},
        {"multi-selection ends", 800, true, false, 800},
    };
    project_.SelectedObject = nullptr;
    for (const auto& step : steps) {
        size->Width = step.width;
        a->SetMultiSelect(step.aSelected);
        b->SetMultiSelect(step.bSelected);
        inspector_.ShowObjectProperties();
        EXPECT_EQ(frame->WidthEdit()->value(), step.shown) << step.what;
    }
}

TEST_F(Inspector, EachTypeShowsItsCategoryTabsCentredWithTheFirstPressed) {
    const struct {
        TRObjectType type;
        std::vector<int> tabs;
        int width;
    } cases[] = {
        {otImage, {1, 2, 4, 5, 7, 9, 10}, 36},
        {otVideo, {1, 2, 4, 5, 7, 9, 10, 11}, 36},
        {otScreenRecorder, {1, 2, 3, 4, 5, 7, 9, 10, 11}, 32},
        {otAudio, {}, 36},
    };
    for (const auto& c : cases) {
        inspector_.EnsurePropertiesPage(c.type);
        TFramePropName* name = NameFrame(c.type);
        ASSERT_NE(name, nullptr);
        name->SetLayout(1, 300);
        EXPECT_EQ(name->NrCategories(), int(c.tabs.size())) << c.type;
        std::vector<int> shown;
        int firstLeft = -1;
        for (int category = 1; category <= 11; ++category) {
            TRGlyphButton* button = name->CategoryButton(category);
            if (button->isHidden())
                continue;
            shown.push_back(category);
            if (firstLeft < 0)
                firstLeft = button->x();
            if (c.type != otVideo || category != 11) {
                EXPECT_EQ(button->width(), c.width) << c.type;
            }
        }
        EXPECT_EQ(shown, c.tabs) << c.type;
        if (c.tabs.empty()) {
            EXPECT_TRUE(name->TabStrip()->isHidden()) << "no tabs: the list in both layouts";
            continue;
        }
        EXPECT_TRUE(name->CategoryButton(c.tabs.front())->isChecked()) << c.type;
        const int strip = name->TabStrip()->width();
        if (c.type == otVideo) {
            EXPECT_EQ(name->CategoryButton(11)->geometry().right(), strip - 1);
        } else {
            EXPECT_EQ(firstLeft, (strip - int(c.tabs.size()) * c.width) / 2) << c.type;
        }
    }
}

TEST_F(Inspector, SwitchingLayoutsMovesFramesToTheirTabsAndBackExactly) {
    Select(Add(otImage));
    const TRPropertiesPageRecord& page = inspector_.Page(otImage);
    TFramePropName* name = page.NameFrame;
    EXPECT_EQ(name->height(), 56) << "the list layout: name and time span only";
    std::map<int, QRect> list;
    for (int type = 0; type < PropertyTypeCount; ++type)
        if (page.Frames[type])
            list[type] = QRect(page.Frames[type]->mapTo(page.PageProperties->widget(), QPoint()),
                               page.Frames[type]->size());
    ASSERT_GE(list.size(), 10u);
    for (int layout : {1, 0, 1, 0}) {
        inspector_.ArrangePropertiesPages(layout, otBase);
        inspector_.SetPropertiesPagesHeight(inspector_.height(), otBase);
        Settle();
        if (layout == 1) {
            EXPECT_EQ(name->height(), inspector_.height());
            EXPECT_EQ(page.Frames[ptPlacement]->parentWidget(), name->Category(1)->widget());
            EXPECT_EQ(page.Frames[ptTrOut]->parentWidget(), name->Category(9)->widget());
            EXPECT_EQ(page.Frames[ptMask]->y(),
                      page.Frames[ptPlacement]->y() + page.Frames[ptPlacement]->height());
        }
    }
    for (const auto& [type, rect] : list)
        EXPECT_EQ(QRect(page.Frames[type]->mapTo(page.PageProperties->widget(), QPoint()),
                        page.Frames[type]->size()),
                  rect)
            << type;
}

// ---- the name header ----

TEST_F(Inspector, TheNameHeaderShowsKindNameAndVisibilityByType) {
    const struct {
        TRObjectType type;
        int glyph; // 0: no kind icon
        bool visibility;
        bool readOnly;
    } cases[] = {{otProject, 0, false, true},
                 {otAudio, GlyphKindAudio, false, false},
                 {otImage, GlyphKindImage, true, false},
                 {otText, GlyphKindText, true, false}};
    for (const auto& c : cases) {
        TRObject* object = c.type == otProject ? nullptr : Add(c.type);
        Select(object);
        TFramePropName* name = NameFrame(c.type);
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->NameEdit()->isReadOnly(), c.readOnly) << c.type;
        EXPECT_EQ(!name->KindIcon()->isHidden(), c.glyph != 0) << c.type;
        if (c.glyph) {
            EXPECT_EQ(name->KindIcon()->GlyphIndex(), c.glyph);
        }
        EXPECT_EQ(!name->VisibilityButton()->isHidden(), c.visibility) << c.type;
        EXPECT_TRUE(name->RecordIcon()->isHidden());
        EXPECT_EQ(name->InfoLabel()->text(),
                  (object ? object : &project_)->GetCurrentIndexTimeSpan());
    }
}

TEST_F(Inspector, HidingAndRenamingAreEachOneUndoStep) {
    TRObject* image = Add(otImage);
    project_.History_Init();
    Select(image);
    TFramePropName* name = NameFrame(otImage);
    const auto before = Records();
    QTest::mouseClick(name->VisibilityButton(), Qt::LeftButton);
    EXPECT_FALSE(image->Visibility());
    EXPECT_TRUE(name->NameEdit()->font().strikeOut());
    EXPECT_EQ(name->VisibilityButton()->GlyphIndex(), GlyphHidden);
    EXPECT_TRUE(project_.Modified());
    ASSERT_EQ(Records(), before + 1);
    EXPECT_EQ(LastType(), undoName);
    project_.History_Undo();
    EXPECT_TRUE(project_.FindObjectByUniqueID(image->UniqueID())->Visibility());

    TRObject* other = Add(otImage);
    project_.History_Init();
    Select(other);
    const auto start = Records();
    name->NameEdit()->setFocus();
    name->NameEdit()->selectAll();
    QTest::keyClicks(name->NameEdit(), "Logo");
    EXPECT_EQ(other->ObjectName(), "Logo");
    ASSERT_EQ(Records(), start + 1) << "typing a name is one step";
    EXPECT_EQ(LastType(), undoName);
    const auto repaints = services_.repaints;
    name->ShowProperties(other);
    EXPECT_EQ(Records(), start + 1) << "loading records nothing";
    EXPECT_EQ(services_.repaints, repaints);
}

// ---- the placement frame ----

class PlacementFrames : public Inspector {
protected:
    void SetUp() override {
        Inspector::SetUp();
        image_ = Add(otImage);
        group_ = image_->Get<TRPropPlacement>(ptPlacement, true);
        ASSERT_NE(group_, nullptr);
        project_.History_Init();
    }
    TFramePropPlacement* Show() {
        project_.SelectedObject = nullptr;
        inspector_.ShowObjectProperties();
        Select(image_);
        return Placement();
    }
    // Each case adds exactly one placement record.
    void ExpectOneRecord(std::size_t before, const char* what) {
        ASSERT_EQ(Records(), before + 1) << what;
        EXPECT_EQ(LastType(), undoPlacement) << what;
    }

    TRObject* image_ = nullptr;
    TRPropPlacement* group_ = nullptr;
};

TEST_F(PlacementFrames, SizeFieldsKeepTheOriginalProportionsWithTheAspectButton) {
    const struct {
        QSizeF original;
        bool widthField;
        const char* typed;
        QSizeF shown; // width, height afterwards
    } cases[] = {
        {{1920, 1080}, true, "960", {960, 540}},
        {{1920, 1080}, false, "270", {480, 270}},
        // No proportions to keep: the other field stays.
        {{0, 1080}, true, "500", {500, 135}},
        {{1920, 0}, false, "90", {240, 90}},
    };
    for (const auto& c : cases) {
        group_->FSize = QSizeF(240, 135);
        group_->FScale = 1;
        group_->FOriginalSize = c.original;
        group_->FAspectRatio = true;
        project_.History_Init();
        TFramePropPlacement* frame = Show();
        ASSERT_TRUE(frame->AspectButton()->isChecked());
        const auto before = Records();
        Type(c.widthField ? frame->WidthEdit() : frame->HeightEdit(), c.typed);
        EXPECT_EQ(frame->WidthEdit()->value(), c.shown.width()) << c.typed;
        EXPECT_EQ(frame->HeightEdit()->value(), c.shown.height()) << c.typed;
        EXPECT_EQ(group_->GetScaledSize(), c.shown) << c.typed;
        ExpectOneRecord(before, c.typed);
    }
}

TEST_F(PlacementFrames, ScaleChangesTheShownSizeAndKeepsTheStoredOne) {
    group_->FSize = QSizeF(400, 300);
    TFramePropPlacement* frame = Show();
    const auto before = Records();
    frame->ScaleEdit()->TrackBar()->setValue(50);
    EXPECT_EQ(group_->FScale, 0.5f);
    EXPECT_EQ(frame->WidthEdit()->value(), 200);
    EXPECT_EQ(frame->HeightEdit()->value(), 150);
    EXPECT_EQ(group_->FSize, QSizeF(400, 300));
    Type(frame->WidthEdit(), "300");
    EXPECT_EQ(group_->FSize.width(), 600);
    ExpectOneRecord(before, "scale and width merge into the object's placement step");
}

TEST_F(PlacementFrames, LockingDisablesAllButOpacity) {
    TFramePropPlacement* frame = Show();
    auto editable = [&] {
        std::vector<bool> states{
            frame->XEdit()->isEnabled(),         frame->YEdit()->isEnabled(),
            frame->WidthEdit()->isEnabled(),     frame->HeightEdit()->isEnabled(),
            frame->AspectButton()->isEnabled(),  frame->ScaleEdit()->isEnabled(),
            frame->RotationDial(0)->isEnabled(), frame->RotationDial(1)->isEnabled(),
            frame->RotationDial(2)->isEnabled()};
        for (int kind = 1; kind <= 6; ++kind)
            states.push_back(frame->AlignButton(kind)->isEnabled());
        return states;
    };
    const std::vector<bool> all(15, true), none(15, false);
    EXPECT_EQ(editable(), all);
    const auto before = Records();
    QTest::mouseClick(frame->LockButton(), Qt::LeftButton);
    EXPECT_TRUE(group_->FLocked);
    EXPECT_EQ(frame->LockButton()->GlyphIndex(), GlyphLock);
    EXPECT_EQ(editable(), none);
    EXPECT_TRUE(frame->OpacityEdit()->isEnabled());
    ExpectOneRecord(before, "lock");
    QTest::mouseClick(frame->LockButton(), Qt::LeftButton);
    EXPECT_EQ(editable(), all);

    // A video effect never tilts and never changes its opacity.
    TRObject* effect = Add(otBlur);
    Select(effect);
    TFramePropPlacement* effectFrame = Placement(otBlur);
    ASSERT_NE(effectFrame, nullptr);
    EXPECT_FALSE(effectFrame->RotationDial(0)->isEnabled());
    EXPECT_FALSE(effectFrame->RotationDial(1)->isEnabled());
    EXPECT_TRUE(effectFrame->RotationDial(2)->isEnabled());
    EXPECT_FALSE(effectFrame->OpacityEdit()->isEnabled());
}

TEST_F(PlacementFrames, ResetReturnsToTheOriginalInOneStepKeepingLockAndAspect) {
    group_->FPosition = QPointF(120, -40);
    group_->FRotationX = 30;
    group_->FRotationZ = 45;
    group_->FOpacity = 0.3f;
    group_->FScale = 1.5f;
    group_->FOriginalSize = QSizeF(640, 360);
    group_->FAspectRatio = true;
    TFramePropPlacement* frame = Show();
    EXPECT_EQ(frame->OpacityEdit()->Value(), 30);
    EXPECT_EQ(frame->ScaleEdit()->Value(), 150);
    const auto before = Records();
    frame->Reset();
    EXPECT_EQ(group_->FPosition, QPointF(0, 0));
    EXPECT_EQ(group_->FSize, QSizeF(640, 360));
    EXPECT_EQ(group_->FRotationX, 0);
    EXPECT_EQ(group_->FRotationZ, 0);
    EXPECT_EQ(group_->FOpacity, 1);
    EXPECT_EQ(group_->FScale, 1);
    EXPECT_TRUE(group_->FAspectRatio);
    EXPECT_FALSE(group_->FLocked);
    EXPECT_EQ(frame->XEdit()->value(), 0);
    EXPECT_EQ(frame->WidthEdit()->value(), 640);
    EXPECT_EQ(frame->HeightEdit()->value(), 360);
    EXPECT_EQ(frame->RotationDial(0)->Value(), 0);
    EXPECT_EQ(frame->OpacityEdit()->Value(), 100);
    EXPECT_EQ(frame->ScaleEdit()->Value(), 100);
    ExpectOneRecord(before, "reset");
}

TEST_F(PlacementFrames, PositionRotationAndOpacityEditsWriteBackOneStepEach) {
    TFramePropPlacement* frame = Show();
    const struct {
        const char* what;
        std::function<void()> edit;
        std::function<bool()> written;
    } cases[] = {
        {"x", [&] { Type(frame->XEdit(), "-150"); }, [&] { return group_->FPosition.x() == -150; }},
        {"y", [&] { Type(frame->YEdit(), "75"); }, [&] { return group_->FPosition.y() == 75; }},
        {"rotation z", [&] { frame->RotationDial(2)->PresetMenu()->actions().at(12)->trigger(); },
         [&] { return group_->FRotationZ == 90; }},
        {"opacity", [&] { frame->OpacityEdit()->TrackBar()->setValue(40); },
         [&] { return group_->FOpacity == 0.4f; }},
    };
    for (const auto& c : cases) {
        project_.History_Init();
        const auto before = Records();
        const int follows = services_.follows;
        c.edit();
        EXPECT_TRUE(c.written()) << c.what;
        EXPECT_GT(services_.follows, follows) << c.what << ": the handles follow";
        ExpectOneRecord(before, c.what);
    }
}

TEST_F(PlacementFrames, FocusingAPositionFieldShowsTheGuidesAndLeavingItRemovesThem) {
    TFramePropPlacement* frame = Show();
    inspector_.activateWindow();
    EXPECT_EQ(services_.guideRequests, 0);
    frame->XEdit()->setFocus();
    QApplication::processEvents();
    if (!frame->XEdit()->hasFocus())
        GTEST_SKIP() << "no focus without an active window";
    EXPECT_EQ(services_.guideRequests, 1);
    EXPECT_TRUE(services_.guides);
    frame->WidthEdit()->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(services_.guides);
}

TEST_F(PlacementFrames, AlignButtonsRunTheAlignCommandsOneToSix) {
    TFramePropPlacement* frame = Show();
    for (int kind = 1; kind <= 6; ++kind)
        QTest::mouseClick(frame->AlignButton(kind), Qt::LeftButton);
    EXPECT_EQ(services_.aligns, (std::vector<int>{1, 2, 3, 4, 5, 6}));
}

TEST(AlignButtonGlyph, BarsAndBlocksOfEachKind) {
    // A 24 x 20 button: d = 18, d div 2 = 9, the block's top 1 + (18 - 9) div 2 = 5.
    const QRect rect(0, 0, 24, 20);
    const struct {
        int kind;
        QRect bar, block;
    } cases[] = {
        {1, QRect(3, 1, 2, 18), QRect(8, 5, 13, 9)},   {2, QRect(12, 1, 2, 18), QRect(5, 5, 14, 9)},
        {3, QRect(20, 1, 2, 18), QRect(3, 5, 13, 9)},  {4, QRect(3, 1, 18, 2), QRect(7, 5, 10, 9)},
        {5, QRect(3, 10, 18, 2), QRect(7, 3, 10, 11)}, {6, QRect(3, 18, 18, 2), QRect(7, 3, 10, 9)},
    };
    for (const auto& c : cases) {
        QRect bar, block;
        TRAlignButton::GlyphParts(c.kind, rect, bar, block);
        EXPECT_EQ(bar, c.bar) << c.kind;
        EXPECT_EQ(block, c.block) << c.kind;
    }
    TRAlignButton button(1);
    EXPECT_EQ(button.GlyphAlpha(), 150);
    button.setEnabled(false);
    EXPECT_EQ(button.GlyphAlpha(), 50);
}

} // namespace
