// The groups of the objects library: colour stops and their "Color" elements, the brush
// groups' attributes, the text group's paste rule and the new project's fill.

#include "core/URProject.h"
#include "core/URSettings.h"
#include "core/URXmlValues.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropBackgroundBorder.h"
#include "objects/URPropBackgroundFill.h"
#include "objects/URPropMask.h"
#include "objects/URPropText.h"

#include <gtest/gtest.h>

namespace {

class ObjectGroups : public testing::Test {
protected:
    void SetUp() override {
        SetDefaultSettings(SettingsRecord);
        RegisterEngineKinds();
    }
};

QDomElement Write(const TRPropBase& group, QDomDocument& document) {
    document = XmlNewDocument("Transformation");
    return group.SaveToXML(document.documentElement());
}

TEST_F(ObjectGroups, StopsAreWrittenAsColorChildrenAfterTheAttributes) {
    TRPropBackgroundFill fill;
    fill.FColors.BeginAddColors();
    fill.FColors.AddColor(0x123456, 0.25f, 0.5f);
    fill.FColors.AddColor(0xFF00FF00, 1, 1);
    fill.FColors.EndAddColors();
    QDomDocument document;
    const QDomElement element = Write(fill, document);
    const QDomElement second = element.firstChildElement("Color").nextSiblingElement("Color");
    EXPECT_EQ(second.attribute("Color"), "-16711936"); // a signed 32-bit integer
    EXPECT_EQ(element.attribute("Style"), "0");
    TRPropBackgroundFill copy;
    copy.OpenFromXML(element, false);
    ASSERT_EQ(copy.FColors.GetNrColors(), 2);
    EXPECT_EQ(copy.FColors.GetColor(0).Color, 0x123456u);
    EXPECT_EQ(copy.FColors.GetColor(0).Position, 0.25f);
    EXPECT_EQ(copy.FColors.GetColor(1).Color, 0xFF00FF00u);
}

TEST_F(ObjectGroups, MissingStopAttributesRepeatThePreviousStop) {
    QDomDocument document;
    ASSERT_TRUE(document.setContent(QByteArray(
        R"(<Property Type="6"><Color Color="255" Opacity="0.5"/><Color Position="1"/></Property>)")));
    TRPropBackgroundFill fill;
    fill.OpenFromXML(document.documentElement(), false);
    ASSERT_EQ(fill.FColors.GetNrColors(), 2);
    EXPECT_EQ(fill.FColors.GetColor(0).Position, 0.0f);
    EXPECT_EQ(fill.FColors.GetColor(1).Color, 255u);
    EXPECT_EQ(fill.FColors.GetColor(1).Opacity, 0.5f);
    EXPECT_EQ(fill.FColors.GetColor(5).Opacity, 0.0f); // out of range: a zeroed stop

    QDomDocument empty;
    ASSERT_TRUE(empty.setContent(QByteArray(R"(<Property Type="6" Style="1"/>)")));
    TRPropBackgroundFill defaults;
    defaults.OpenFromXML(empty.documentElement(), false);
    EXPECT_EQ(defaults.FColors.GetNrColors(), 2);
    EXPECT_EQ(defaults.FBrushStyle, brsGradientLinear);
}

TEST_F(ObjectGroups, BrushStyleOutOfRangeKeepsTheStyle) {
    QDomDocument document;
    ASSERT_TRUE(document.setContent(QByteArray(R"(<Property Type="7" Style="9" Dash="2"/>)")));
    TRPropBackgroundBorder border;
    border.OpenFromXML(document.documentElement(), false);
    EXPECT_EQ(border.FBrushStyle, brsSolid);
    EXPECT_EQ(border.FDashStyle, 2);
}

TEST_F(ObjectGroups, BorderDeltaOnlyWhenInForce) {
    TRPropBackgroundBorder border;
    border.FThickness = 6;
    border.FInflate = 1;
    EXPECT_EQ(border.GetDeltaBorder(), 0.0f);
    border.SetChecked(true);
    EXPECT_EQ(border.GetDeltaBorder(), 4.0f);
    border.FInflate = -10;
    EXPECT_EQ(border.GetDeltaBorder(), 0.0f);
}

TEST_F(ObjectGroups, PastingATextKeepsTheTargetsText) {
    TRPropText source;
    source.FText = "copied";
    source.FFontSize = 50;
    QDomDocument document;
    const QDomElement element = Write(source, document);
    TRPropText target;
    target.FText = "mine";
    target.OpenFromXML(element, true);
    EXPECT_EQ(target.FText, "mine");
    EXPECT_EQ(target.FFontSize, 50.0f);
    target.OpenFromXML(element, false);
    EXPECT_EQ(target.FText, "copied");
}

TEST_F(ObjectGroups, MaskIsAShapeOfItsOwnType) {
    TRPropMask mask;
    EXPECT_EQ(mask.PropType(), ptMask);
    EXPECT_EQ(mask.FShapeName, "Rectangle");
    EXPECT_EQ(mask.FRoundness, 0.0f);
    EXPECT_TRUE(mask.Checked());
}

TEST_F(ObjectGroups, NewProjectFillIsSolidBlackAndOn) {
    TRProject project;
    const auto* fill = project.Get<TRPropBackgroundFill>(ptBackgroundFill);
    ASSERT_TRUE(fill);
    EXPECT_TRUE(fill->Checked());
    EXPECT_EQ(fill->FBrushStyle, brsSolid);
    EXPECT_EQ(fill->FColors.GetColor(0).Color, 0u);
    EXPECT_EQ(fill->FColors.GetColor(1).Color, 0xFFFFFFu);
}

} // namespace
