// The Paste Properties dialog: boxes in the target type's inspector order or, for a
// multi-selection, in property-type order; enabled only for what the copy holds; Check All
// touching enabled boxes only; Paste giving exactly the shown, enabled boxes and Cancel nothing.
#include "core/URObject.h"
#include "core/URProject.h"
#include "core/URSettings.h"
#include "core/URUtils.h"
#include "editor/ui/URPasteProperties.h"
#include "objects/URObjectsRegistry.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class PasteProperties : public testing::Test {
protected:
    static void SetUpTestSuite() {
        SetDefaultSettings(SettingsRecord);
        RegisterEngineKinds();
    }
    void TearDown() override { PropertiesClipboard.Reset(); }

    void CopyFrom(TRObjectType type) {
        TRObject source(&project_, type);
        source.CopyCurrentPropertiesToClipBoard();
    }
    // The box standing for `type`, or null when none does.
    QCheckBox* BoxOf(TRPropertyType type) const {
        for (int i = 1; i <= TRPasteProperties::BoxCount; ++i)
            if (dialog_.BoxTag(i) == type && !dialog_.Box(i)->isHidden())
                return dialog_.Box(i);
        return nullptr;
    }
    std::vector<int> ShownTags() const {
        std::vector<int> tags;
        for (int i = 1; i <= TRPasteProperties::BoxCount; ++i)
            if (!dialog_.Box(i)->isHidden())
                tags.push_back(dialog_.BoxTag(i));
        return tags;
    }

    TRProject project_;
    TRPasteProperties dialog_;
    TRPropertiesChecked props_{};
};

TEST_F(PasteProperties, ShapeOntoTextOffersTheTextRowWithWhatTheShapeLacksDisabled) {
    CopyFrom(otShape);
    dialog_.Prepare(otText, props_);
    const TRPropertiesObject& row = ObjectPropertyGroups[otText];
    for (int i = 1; i <= TRPasteProperties::BoxCount; ++i)
        EXPECT_EQ(dialog_.BoxTag(i), row[size_t(i)]) << "box " << i;
    EXPECT_EQ(dialog_.Box(1)->text(), "Placement && Opacity");
    for (TRPropertyType lacking : {ptText, ptTextPath, ptTextAnimation}) {
        ASSERT_NE(BoxOf(lacking), nullptr);
        EXPECT_FALSE(BoxOf(lacking)->isEnabled());
        EXPECT_FALSE(BoxOf(lacking)->isChecked());
    }
    EXPECT_EQ(BoxOf(ptTextPath)->text(), "Text Layout");
    for (TRPropertyType held : {ptTrIn, ptTrOut, ptPlacement}) {
        ASSERT_NE(BoxOf(held), nullptr);
        EXPECT_TRUE(BoxOf(held)->isEnabled());
        EXPECT_TRUE(BoxOf(held)->isChecked());
    }
    // The boxes past the row's end stay hidden.
    const auto shown = ShownTags();
    EXPECT_EQ(std::count(row.begin() + 1, row.end(), ptBase) + int(shown.size()),
              TRPasteProperties::BoxCount);
}

TEST_F(PasteProperties, VideoOntoImageOffersNeitherSpeedNorVolume) {
    CopyFrom(otVideo);
    dialog_.Prepare(otImage, props_);
    EXPECT_EQ(BoxOf(ptMediaSpeed), nullptr);
    EXPECT_EQ(BoxOf(ptAudioV), nullptr);
    ASSERT_NE(BoxOf(ptChromaKey), nullptr);
    EXPECT_TRUE(BoxOf(ptChromaKey)->isEnabled());
}

TEST_F(PasteProperties, CheckAllTouchesOnlyEnabledBoxes) {
    CopyFrom(otShape);
    dialog_.Prepare(otText, props_);
    QTest::mouseClick(dialog_.ckAll, Qt::LeftButton);
    EXPECT_FALSE(dialog_.ckAll->isChecked());
    for (int i = 1; i <= TRPasteProperties::BoxCount; ++i)
        EXPECT_FALSE(dialog_.Box(i)->isChecked()) << "box " << i;
    QTest::mouseClick(dialog_.ckAll, Qt::LeftButton);
    EXPECT_TRUE(BoxOf(ptPlacement)->isChecked());
    EXPECT_FALSE(BoxOf(ptText)->isChecked());
    // A single box leaves Check All alone.
    QTest::mouseClick(BoxOf(ptPlacement), Qt::LeftButton);
    EXPECT_TRUE(dialog_.ckAll->isChecked());
    // The next opening checks Check All and the pasteable boxes again.
    dialog_.Prepare(otText, props_);
    EXPECT_TRUE(BoxOf(ptPlacement)->isChecked());
}

TEST_F(PasteProperties, AMultiSelectionOffersTheCommonGroupsInTypeOrder) {
    CopyFrom(otVideo);
    // The groups a video and a screen recording both have.
    for (TRPropertyType t : ObjectPropertyGroups[otVideo])
        props_[t] = t != ptBase && t != ptName &&
                    std::count(ObjectPropertyGroups[otScreenRecorder].begin(),
                               ObjectPropertyGroups[otScreenRecorder].end(), t);
    dialog_.Prepare(otProject, props_);
    const auto shown = ShownTags();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), ptPlacement);
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_EQ(std::count(shown.begin(), shown.end(), ptCursor), 0);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), ptMediaSpeed), 1);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), ptAudioV), 1);
}

TEST_F(PasteProperties, AMultiSelectionWithMoreGroupsThanBoxesOffersTheFirst) {
    CopyFrom(otScreenRecorder);
    for (int t = 1; t <= 38; ++t)
        props_[size_t(t)] = true;
    dialog_.Prepare(otProject, props_);
    const auto shown = ShownTags();
    ASSERT_EQ(int(shown.size()), TRPasteProperties::BoxCount);
    EXPECT_EQ(shown.front(), 1);
    EXPECT_EQ(shown.back(), TRPasteProperties::BoxCount);
}

TEST_F(PasteProperties, PasteGivesTheShownEnabledBoxesAndCancelLeavesTheMarks) {
    CopyFrom(otShape);
    props_.fill(true);
    QTimer::singleShot(0, &dialog_, [this] {
        QTest::mouseClick(BoxOf(ptTrOut), Qt::LeftButton);
        dialog_.btnPaste->click();
    });
    ASSERT_TRUE(dialog_.Execute(otText, props_));
    EXPECT_EQ(dialog_.Tag, 1);
    EXPECT_TRUE(props_[ptPlacement]);
    EXPECT_TRUE(props_[ptTrIn]);
    EXPECT_FALSE(props_[ptTrOut]);
    EXPECT_FALSE(props_[ptText]);   // disabled
    EXPECT_FALSE(props_[ptCursor]); // not offered for text
    EXPECT_FALSE(props_[ptProjectSize]);

    const TRPropertiesChecked before = props_;
    QTimer::singleShot(0, &dialog_, [this] { dialog_.btnCancel->click(); });
    EXPECT_FALSE(dialog_.Execute(otText, props_));
    EXPECT_EQ(dialog_.Tag, 0);
    EXPECT_EQ(props_, before);
}

} // namespace
