// The frames of the effect-driving groups on an image object: loading shows the group's values,
// a user change writes the group, repaints and records one undo step of the frame's kind, and
// undo brings the old values back into the frame. Then what each frame adds to its editors.
#include "FrameTestServices.h"
#include "core/IKAnimation.h"
#include "core/UREditorServices.h"
#include "core/URProject.h"
#include "core/URSettings.h"
#include "core/ui/URColorButton.h"
#include "core/ui/URDial.h"
#include "core/ui/URGPEditEx.h"
#include "core/ui/URGPPanelEx.h"
#include "graphics/URPropBlur.h"
#include "graphics/URPropChromaKey.h"
#include "graphics/URPropColorAdjust.h"
#include "graphics/URPropEffect.h"
#include "graphics/URPropFlipOpacity.h"
#include "graphics/URPropReflection.h"
#include "graphics/URPropShadow.h"
#include "graphics/URPropZoomAndPan.h"
#include "objects/URObjectsRegistry.h"
#include "properties/ui/UFramePropBlur.h"
#include "properties/ui/UFramePropChromaKey.h"
#include "properties/ui/UFramePropEffect.h"
#include "properties/ui/UFramePropFlipOpacity.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct RegisteredGroups {
    RegisteredGroups() {
        SetDefaultSettings(SettingsRecord);
        RegisterEngineKinds();
        RegisterPropertyFrames();
    }
};

class EffectFrames : public ::testing::Test, private RegisteredGroups {
protected:
    void SetUp() override {
        IKSetClock([this] { return now_; });
        services_.project = &project_;
        InstallEditorServices(&services_);
        project_.History_Init();
        object_ = project_.AddObject(CreateObjectOfType(&project_, otImage));
        ASSERT_NE(object_, nullptr);
        project_.History_AddInsertDelete(object_, undoInsert, undoIncrement);
    }
    void TearDown() override {
        Advance(1);
        InstallEditorServices(nullptr);
        InstallColorPick(nullptr);
        IKSetClock(nullptr);
    }
    void Advance(double seconds) {
        now_ += seconds;
        IKAnimationTick();
    }
    std::size_t Records() { return project_.History().Records().size(); }
    // A registered frame showing the object's group of `type`, expanded.
    std::unique_ptr<TFramePropBase> Shown(TRPropertyType type) {
        std::unique_ptr<TFramePropBase> frame(CreatePropertyFrame(type, nullptr));
        TRPropBase* group = object_->GetProperty(type, true);
        EXPECT_NE(group, nullptr);
        group->SetChecked(true);
        group->SetExpanded(true);
        frame->ShowProperties(object_, group);
        frame->show();
        Advance(0.5);
        return frame;
    }
    void ExpectOneRecord(std::size_t before, TUndoType type) {
        ASSERT_EQ(Records(), before + 1);
        EXPECT_EQ(project_.History().Records().back().UType, type);
    }

    double now_ = 50.0;
    TestServices services_;
    TRProject project_;
    TRObject* object_ = nullptr;
};

// An editor of each frame: the value loaded, a drag writing the field, the undo kind.
struct EditorCase {
    TRPropertyType type;
    const char* editor;
    std::function<float&(TRPropBase&)> field;
    float stored;  // the group's value
    double shown;  // what the editor shows for it
    int dragged;   // the track bar's new position
    float written; // what the drag stores
    TUndoType undo;
};

template <class G> std::function<float&(TRPropBase&)> F(float G::*member) {
    return [member](TRPropBase& g) -> float& { return static_cast<G&>(g).*member; };
}

const EditorCase EditorCases[] = {
    {ptShadow, "edShadowOpacity", F(&TRPropShadow::FOpacity), 0.5f, 50, 62, 0.62f, undoShadow},
    {ptShadow, "edShadowAngle", F(&TRPropShadow::FAngle), -135, -135, 45, 45, undoShadow},
    {ptReflection, "edReflectionOpacity", F(&TRPropReflection::FOpacity), 0.75f, 75, 38, 0.38f,
     undoReflection},
    {ptReflection, "edReflectionHeight", F(&TRPropReflection::FHeight), 50, 50, 25, 25,
     undoReflection},
    {ptFlipOpacity, "edOpacity", F(&TRPropFlipOpacity::FOpacity), 1, 100, 40, 0.4f,
     undoFlipOpacity},
    {ptZoomAndPan, "edZoom", F(&TRPropZoomAndPan::FZoom), 2, 200, 300, 3, undoZoomAndPan},
    {ptZoomAndPan, "edZoomLeft", F(&TRPropZoomAndPan::FZoomLeft), -0.5f, -50, 25, 0.25f,
     undoZoomAndPan},
    {ptColorAdjust, "edContrast", F(&TRPropColorAdjust::FContrast), 1.5f, 150, -25, -0.25f,
     undoColorAdjust},
    {ptColorAdjust, "edSaturation", F(&TRPropColorAdjust::FSaturation), 1, 100, 0, 0,
     undoColorAdjust},
    {ptChromaKey, "edTolerance", F(&TRPropChromaKey::FTolerance), 10, 10, 55, 55, undoChromaKey},
    {ptEffect, "edintensity", F(&TRPropEffect::FIntensity), 0.1f, 10, 70, 0.7f, undoEffect},
};

TEST_F(EffectFrames, EditorsLoadWriteRecordAndUndo) {
    for (const EditorCase& c : EditorCases) {
        SCOPED_TRACE(c.editor);
        c.field(*object_->GetProperty(c.type, true)) = c.stored;
        project_.History_Init(); // the object as stored is what undo goes back to
        project_.History_AddInsertDelete(object_, undoInsert, undoIncrement);
        auto frame = Shown(c.type);
        auto* editor = frame->findChild<TRGPEditEx*>(c.editor);
        ASSERT_NE(editor, nullptr);
        EXPECT_DOUBLE_EQ(editor->Value(), c.shown);
        const auto before = Records();
        const int repaints = services_.repaints;
        editor->TrackBar()->setValue(c.dragged);
        TRPropBase* group = object_->GetProperty(c.type, true);
        EXPECT_FLOAT_EQ(c.field(*group), c.written);
        EXPECT_EQ(services_.repaints, repaints + 1);
        ExpectOneRecord(before, c.undo);
        project_.History_Undo();
        group = object_->GetProperty(c.type, true);
        EXPECT_FLOAT_EQ(c.field(*group), c.stored);
        frame->ShowProperties(object_, group);
        EXPECT_DOUBLE_EQ(editor->Value(), c.shown);
    }
}

TEST_F(EffectFrames, TheReflectionRecordsAreNotMergedWithTheShadow) {
    auto shadow = Shown(ptShadow);
    auto reflection = Shown(ptReflection);
    const auto before = Records();
    shadow->findChild<TRGPEditEx*>("edShadowOffset")->TrackBar()->setValue(30);
    reflection->findChild<TRGPEditEx*>("edReflectionOffset")->TrackBar()->setValue(40);
    ASSERT_EQ(Records(), before + 2);
    EXPECT_EQ(project_.History().Records().back().UType, undoReflection);
}

TEST_F(EffectFrames, MediaFrameFlipsAndScaleWithoutSwitch) {
    auto frame = Shown(ptFlipOpacity);
    auto* media = static_cast<TFramePropFlipOpacity*>(frame.get());
    EXPECT_FALSE(media->Panel()->CheckBox()->isVisibleTo(media->Panel()));
    EXPECT_TRUE(media->ScaleBox()->isChecked());
    auto* group = object_->Get<TRPropFlipOpacity>(ptFlipOpacity, true);
    const auto before = Records();
    QTest::mouseClick(media->FlipH(), Qt::LeftButton);
    EXPECT_TRUE(group->FFlipH);
    EXPECT_FALSE(group->FFlipV);
    ExpectOneRecord(before, undoFlipOpacity);
    media->ScaleBox()->click();
    EXPECT_FALSE(group->FScale);
}

TEST_F(EffectFrames, ChromaKeyPickAcceptsBlackAndIgnoresNoPick) {
    auto frame = Shown(ptChromaKey);
    auto* key = static_cast<TFramePropChromaKey*>(frame.get());
    auto* group = object_->Get<TRPropChromaKey>(ptChromaKey, true);
    EXPECT_EQ(key->ColorButton()->Color(), QColor(0, 255, 0));
    InstallColorPick([](QWidget*) -> std::int64_t { return -1; });
    QTest::mouseClick(key->PickerButton(), Qt::LeftButton);
    EXPECT_EQ(group->FColor, 0x00FF00u);
    EXPECT_FALSE(key->PickerButton()->isChecked());
    const auto before = Records();
    InstallColorPick([](QWidget*) -> std::int64_t { return 0; }); // black
    QTest::mouseClick(key->PickerButton(), Qt::LeftButton);
    EXPECT_EQ(group->FColor, 0u);
    ExpectOneRecord(before, undoChromaKey);
    QTest::mouseClick(key->InvertButton(), Qt::LeftButton);
    EXPECT_TRUE(group->FInvert);
}

TEST_F(EffectFrames, EffectKindsPerObjectTypeAndKindControls) {
    TFramePropEffect frame;
    frame.Init();
    frame.SetObjectType(otZoomArea);
    EXPECT_EQ(frame.NameBox()->count(), 10);
    EXPECT_EQ(frame.NameBox()->findText("Genie"), -1);
    EXPECT_TRUE(frame.InvertBox()->parentWidget()->isHidden());
    frame.SetObjectType(otShape);
    EXPECT_EQ(frame.NameBox()->count(), 14);
    EXPECT_EQ(frame.NameBox()->findText("Magnify"), -1);
    EXPECT_EQ(frame.InvertLabel()->text(), "Border");
    frame.SetObjectType(otBlur);
    EXPECT_EQ(frame.InvertLabel()->text(), "Invert");
    EXPECT_FALSE(frame.Panel()->UseCheckBox());
}

TEST_F(EffectFrames, EffectFrameKeepsAnUnlistedKindAndSetsTheAngle) {
    auto frame = Shown(ptEffect);
    auto* effect = static_cast<TFramePropEffect*>(frame.get());
    auto* group = object_->Get<TRPropEffect>(ptEffect, true);
    group->FEffectName = "Zoom Blur"; // not a kind the list offers
    effect->ShowProperties(object_, group);
    EXPECT_EQ(effect->NameBox()->currentIndex(), 0);
    effect->findChild<TRGPEditEx*>("edintensity")->TrackBar()->setValue(40);
    EXPECT_EQ(group->FEffectName, "Zoom Blur");
    // Picking a kind replaces it; the angle dial shows for the directional blur.
    effect->NameBox()->setCurrentIndex(1);
    Q_EMIT effect->NameBox()->activated(1);
    EXPECT_EQ(group->FEffectName, "Directional Blur");
    EXPECT_TRUE(effect->AngleDial()->isVisibleTo(effect));
    EXPECT_FALSE(effect->ColorButton()->isVisibleTo(effect));
    const auto before = Records();
    effect->AngleDial()->PresetMenu()->actions().at(1)->trigger(); // 45º
    EXPECT_FLOAT_EQ(group->FAngle, 45);
    EXPECT_EQ(Records(), before); // merged with the previous effect edit
}

TEST_F(EffectFrames, BlurFrameWritesWithoutUndo) {
    TRPropBlur blur;
    blur.SetChecked(true);
    blur.SetExpanded(true);
    std::unique_ptr<TFramePropBase> frame(CreatePropertyFrame(ptBlur, nullptr));
    auto* blurFrame = static_cast<TFramePropBlur*>(frame.get());
    frame->ShowProperties(object_, &blur);
    Advance(0.5);
    EXPECT_TRUE(blurFrame->BorderBox()->isChecked());
    const auto before = Records();
    project_.SetModified(false);
    blurFrame->BorderBox()->click();
    frame->findChild<TRGPEditEx*>("edBlur")->TrackBar()->setValue(20);
    EXPECT_FALSE(blur.FBorder);
    EXPECT_FLOAT_EQ(blur.FSize, 20);
    EXPECT_EQ(Records(), before);
    EXPECT_TRUE(project_.Modified());
}

} // namespace
