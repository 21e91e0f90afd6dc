// Every property group kind: defaults, a write/read round trip of every value through its
// "Property" element with "." and "," as decimal separator, and deep copies; then the
// placement group's interpolation and XML, and the speech and progress-bar groups.

#include "core/UREasing.h"
#include "core/URProject.h"
#include "core/URSettings.h"
#include "core/URXmlValues.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropAudio.h"
#include "objects/URPropCaption.h"
#include "objects/URPropPlacement.h"
#include "objects/URPropProgressBar.h"

#include <gtest/gtest.h>

namespace {

class AllGroups : public testing::Test {
protected:
    void SetUp() override {
        SetDefaultSettings(SettingsRecord);
        RegisterEngineKinds();
    }
};

// Moves every value a group visits away from its default, differently for each field.
class Mutator final : public TRPropFields {
public:
    void Int(const char*, std::int32_t& value) override { value += 3 + FCount++; }
    void Bool(const char*, bool& value) override { value = !value; }
    void Float(const char*, float& value) override { value += 0.3f + FCount++; }
    void Text(const char*, QString& value) override {
        value += QStringLiteral(" <\"é\"> ") + QString::number(FCount++);
    }
    void Color(const char*, TColor& value) override { value ^= 0x80123456u + FCount++; }
    int FCount = 0;
};

// Integers, such as an enumeration, may only take a few values: keep them in range.
void MutateAll(TRPropBase& group) {
    Mutator mutator;
    group.VisitFields(mutator);
    group.SetUseCheckBox(!group.UseCheckBox());
    group.SetChecked(!group.Checked());
    group.SetExpanded(!group.Expanded());
}

QString Serialised(const TRPropBase& group, const QString& decimal) {
    QDomDocument document = XmlNewDocument("Project");
    document.documentElement().setAttribute("Decimal", decimal);
    group.SaveToXML(document.documentElement());
    return document.toString();
}

std::unique_ptr<TRPropBase> ReadBack(TRPropertyType type, const QString& text) {
    QDomDocument document;
    if (!document.setContent(text))
        return nullptr;
    auto group = CreatePropertyGroup(type);
    group->OpenFromXML(document.documentElement().firstChildElement("Property"), false);
    return group;
}

TEST_F(AllGroups, EveryKindSurvivesAWriteReadRoundTrip) {
    for (int value = ptName; value < ptEnd; ++value) {
        const auto type = static_cast<TRPropertyType>(value);
        SCOPED_TRACE(value);
        auto group = CreatePropertyGroup(type);
        ASSERT_TRUE(group);
        EXPECT_EQ(group->PropType(), type);
        const QString defaults = Serialised(*group, ".");
        MutateAll(*group);
        for (const QString& decimal : {QStringLiteral("."), QStringLiteral(",")}) {
            const QString written = Serialised(*group, decimal);
            EXPECT_NE(written, Serialised(*CreatePropertyGroup(type), decimal));
            const auto read = ReadBack(type, written);
            ASSERT_TRUE(read);
            EXPECT_EQ(Serialised(*read, decimal), written);
        }
        EXPECT_NE(defaults, Serialised(*group, "."));
    }
}

TEST_F(AllGroups, CommaSeparatedNumbersAreWrittenWithAComma) {
    auto audio = CreatePropertyGroup(ptAudio);
    static_cast<TRPropAudio&>(*audio).FVolume = 1.5f;
    EXPECT_NE(Serialised(*audio, ",").indexOf("Volume=\"1,5\""), -1);
}

TEST_F(AllGroups, CopiesAreDeep) {
    for (int value = ptName; value < ptEnd; ++value) {
        const auto type = static_cast<TRPropertyType>(value);
        SCOPED_TRACE(value);
        auto group = CreatePropertyGroup(type);
        MutateAll(*group);
        const auto copy = group->Clone();
        ASSERT_TRUE(copy);
        EXPECT_NE(copy.get(), group.get());
        EXPECT_EQ(Serialised(*copy, "."), Serialised(*group, "."));
        MutateAll(*group);
        EXPECT_NE(Serialised(*copy, "."), Serialised(*group, "."));
    }
}

TEST_F(AllGroups, PlacementDefaultsAndSizes) {
    TRPropPlacement placement;
    EXPECT_EQ(placement.FSize, QSizeF(240, 135));
    EXPECT_EQ(placement.GetScaledSize(), QSizeF(240, 135));
    EXPECT_FALSE(placement.HasRotations());
    EXPECT_TRUE(placement.Checked());
    placement.FRotationZ = 5;
    EXPECT_TRUE(placement.HasRotations());
    placement.FScale = 0.5f;
    placement.SetScaledSize(QSizeF(100, 50));
    EXPECT_EQ(placement.FSize, QSizeF(200, 100));
    EXPECT_EQ(placement.GetBoundsRect(), QRectF(-50, -25, 100, 50));
    EXPECT_EQ(placement.GetZeroBoundsRect(), QRectF(0, 0, 100, 50));
    placement.FScale = 0;
    placement.SetScaledSize(QSizeF(1, 1));
    EXPECT_EQ(placement.FSize, QSizeF(200, 100));
}

TEST_F(AllGroups, PlacementEasesLinearlyAndLocksTheResult) {
    TRPropPlacement from, to, result;
    from.FRotationZ = 170;
    to.FRotationZ = -170;
    from.FPosition = QPointF(0, 10);
    to.FPosition = QPointF(100, -10);
    to.FOpacity = 0;
    to.FAspectRatio = true;
    from.EaseTo(0.5f, &to, &result);
    EXPECT_EQ(result.FRotationZ, 0.0f);
    EXPECT_EQ(result.FPosition, QPointF(50, 0));
    EXPECT_EQ(result.FOpacity, 0.5f);
    EXPECT_FALSE(result.FAspectRatio);
    EXPECT_TRUE(result.FLocked);
    from.EaseTo(0.5f, nullptr, &result); // nothing to do
}

TEST_F(AllGroups, PlacementReadsTheOlderRotationName) {
    QDomDocument document;
    ASSERT_TRUE(document.setContent(QByteArray(
        R"(<Property Type="4"><Rotation>30</Rotation><Position X="5"/><Scale>x</Scale></Property>)")));
    TRPropPlacement placement;
    placement.OpenFromXML(document.documentElement(), false);
    EXPECT_EQ(placement.FRotationZ, 30.0f);
    EXPECT_EQ(placement.FPosition, QPointF(5, 0));
    EXPECT_EQ(placement.FScale, 1.0f);
    ASSERT_TRUE(document.setContent(QByteArray(
        R"(<Property Type="4"><Rotation>30</Rotation><RotationZ>12</RotationZ></Property>)")));
    placement.OpenFromXML(document.documentElement(), false);
    EXPECT_EQ(placement.FRotationZ, 12.0f);
}

TEST_F(AllGroups, PlacementIsSavedWithoutTheIntrinsicFlag) {
    TRPropPlacement placement;
    placement.FIntrinsicRotations = true;
    const auto read = ReadBack(ptPlacement, Serialised(placement, ","));
    EXPECT_FALSE(static_cast<TRPropPlacement&>(*read).FIntrinsicRotations);
}

TEST_F(AllGroups, ObjectInterpolatesItsPlacementWithEasing) {
    TRObject object(nullptr, otShape);
    object.AddNewTransformation(2000);
    TRTransformation& keyframe = object.TransformationAt(1);
    keyframe.Ease = ecCubicIn;
    keyframe.Properties->Get<TRPropPlacement>(ptPlacement)->FPosition = QPointF(80, 0);
    object.SetTimePosition(1750);
    const auto* now = object.Get<TRPropPlacement>(ptPlacement);
    EXPECT_NEAR(now->FPosition.x(), 80 * 0.125, 1e-4);
    EXPECT_TRUE(now->FLocked);
    EXPECT_FALSE(object.Get<TRPropPlacement>(ptPlacement, true)->FLocked);
    EXPECT_TRUE(dynamic_cast<TRPropAudioV*>(object.AudioV()));
}

TEST_F(AllGroups, CursorGroupOfTheSpanHoldingATime) {
    TRObject recording(nullptr, otScreenRecorder);
    recording.AddNewTransformation(2000);
    const auto own = [&](std::size_t keyframe) {
        return recording.Transformations()[keyframe].Properties->GetProperty(ptCursor);
    };
    ASSERT_NE(own(0), own(1));
    EXPECT_EQ(recording.GetCursorPropertyAtTime(-5), own(0));
    EXPECT_EQ(recording.GetCursorPropertyAtTime(1999), own(0));
    EXPECT_EQ(recording.GetCursorPropertyAtTime(2000), own(1));
    EXPECT_EQ(recording.GetCursorPropertyAtTime(99999), own(1));
    EXPECT_EQ(TRObject(nullptr, otShape).GetCursorPropertyAtTime(0), nullptr);
}

TEST_F(AllGroups, CaptionTextKeepsCrLfLinesAndIsNotPasted) {
    QDomDocument document;
    ASSERT_TRUE(document.setContent(
        QByteArray(R"(<Property Type="33" Caption="one&#10;two" Bold="true"/>)")));
    TRPropCaption caption;
    caption.OpenFromXML(document.documentElement(), true);
    EXPECT_EQ(caption.FCaption, "Caption");
    EXPECT_TRUE(caption.FBold);
    caption.OpenFromXML(document.documentElement(), false);
    EXPECT_EQ(caption.FCaption, "one\r\ntwo");
}

TEST_F(AllGroups, NewProjectProgressBarIsRedToWhiteAndOff) {
    TRProject project;
    const auto* bar = project.Get<TRPropProgressBar>(ptProgressBar);
    ASSERT_TRUE(bar);
    EXPECT_FALSE(bar->Checked());
    EXPECT_EQ(bar->FShapeName, "Bottom LR");
    EXPECT_EQ(bar->FColors.GetColor(0).Color, 0x0000FFu);
    EXPECT_EQ(bar->FColors.GetColor(1).Color, 0xFFFFFFu);
    EXPECT_TRUE(project.GetProperty(ptClosedCaptioning)->Checked());
}

} // namespace
