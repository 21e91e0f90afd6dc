// The transition groups: the table of kinds, the defaults of each side and the "Property"
// element of every kind, written with the group's attribute names in their order and read back.

#include "core/URPropTransition.h"
#include "core/URSettings.h"
#include "core/URXmlValues.h"

#include <gtest/gtest.h>

namespace {

class TransitionGroups : public testing::Test {
protected:
    void SetUp() override { SetDefaultSettings(SettingsRecord); }
    void TearDown() override { SetDefaultSettings(SettingsRecord); }
};

std::unique_ptr<TRPropTransition> MakeGroup(TRPropertyType type) {
    switch (type) {
    case ptTrOut:
        return std::make_unique<TRPropTransitionOut>();
    case ptTransitionObj:
        return std::make_unique<TRPropTransitionObj>();
    default:
        return std::make_unique<TRPropTransitionIn>();
    }
}

} // namespace

TEST_F(TransitionGroups, KindsTableRowsAndSides) {
    struct Row {
        const char* name;
        bool in, out, object;
    };
    const Row rows[21] = {
        {"Zoom In", true, false, false},
        {"Zoom Out", false, true, false},
        {"Custom", true, true, false},
        {"Custom In", false, false, true},
        {"Custom Out", false, false, true},
        {"Circle Open", true, true, true},
        {"Circle Close", true, true, true},
        {"Rectangle Open", true, true, true},
        {"Rectangle Close", true, true, true},
        {"Reveal", true, false, true},
        {"Wipe", false, true, false},
        {"Slide", true, true, true},
        {"Flip", true, true, true},
        {"Radial Blur", true, true, true},
        {"Spin Blur", true, true, true},
        {"Pixelate", true, true, true},
        {"Dissolve", true, true, true},
        {"Genie", true, true, true},
        {"Swirl", true, true, true},
        {"Magnify", true, true, true},
        {"Fisheye Lens", true, true, true},
    };
    for (std::size_t i = 0; i < TransitionKinds.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_STREQ(TransitionKinds[i].Name, rows[i].name);
        EXPECT_EQ(TransitionKinds[i].ForIn, rows[i].in);
        EXPECT_EQ(TransitionKinds[i].ForOut, rows[i].out);
        EXPECT_EQ(TransitionKinds[i].ForObject, rows[i].object);
    }
}

TEST_F(TransitionGroups, DefaultsOfEachSide) {
    const TRPropTransitionIn in;
    EXPECT_EQ(in.PropType(), ptTrIn);
    EXPECT_EQ(in.FName, "Custom");
    EXPECT_TRUE(in.UseCheckBox());
    EXPECT_TRUE(in.Checked());
    EXPECT_EQ(in.FDuration, SettingsRecord.DefaultTransitionDuration);
    EXPECT_EQ(in.FDirection, 1);
    EXPECT_EQ(in.FBorderSize, 10.0f);
    EXPECT_EQ(in.FColor, TColor(0xFFFFFF));
    EXPECT_TRUE(in.FFade);
    EXPECT_FALSE(in.FSpin);
    EXPECT_EQ(TRPropTransitionOut().PropType(), ptTrOut);
    const TRPropTransitionObj object;
    EXPECT_EQ(object.PropType(), ptTransitionObj);
    EXPECT_EQ(object.FName, "Custom In");
    EXPECT_FALSE(object.UseCheckBox());
    EXPECT_TRUE(object.Expanded());

    // A default duration below 100 ms turns new transitions off at half a second.
    SettingsRecord.DefaultTransitionDuration = 50;
    const TRPropTransitionIn off;
    EXPECT_FALSE(off.Checked());
    EXPECT_EQ(off.FDuration, 500);
}

TEST_F(TransitionGroups, EveryKindOfEveryGroupRoundTripsThroughXml) {
    // The attribute names the project file carries.
    const char* names[] = {"TType",     "Name",          "Duration",   "Ease",       "CenterX",
                           "CenterY",   "BorderSize",    "BorderType", "Background", "Color",
                           "Direction", "MoveDirection", "Scale",      "Fade",       "Spin"};
    for (TRPropertyType type : {ptTrIn, ptTrOut, ptTransitionObj}) {
        for (const TRTransitionKind& kind : TransitionKinds) {
            SCOPED_TRACE(std::string(kind.Name) + " type " + std::to_string(type));
            auto group = MakeGroup(type);
            group->FType = 2;
            group->FName = QString::fromLatin1(kind.Name);
            group->FDuration = 1250;
            group->FEase = 7;
            group->FCenterX = 0.5f;
            group->FCenterY = -0.5f;
            group->FBorderSize = 12.5f;
            group->FBorderType = 1;
            group->FIncludeBack = true;
            group->FColor = 0x123456;
            group->FDirection = 3;
            group->FMoveDirection = 5;
            group->FScale = 1.5f;
            group->FFade = false;
            group->FSpin = true;

            QDomDocument document = XmlNewDocument(QStringLiteral("Project"));
            const QDomElement element = group->SaveToXML(document.documentElement());
            for (const char* name : names)
                EXPECT_TRUE(element.hasAttribute(name)) << name;
            EXPECT_EQ(element.attribute("TType"), "2");
            EXPECT_EQ(element.attribute("Name"), kind.Name);
            EXPECT_EQ(element.attribute("Duration"), "1250");
            EXPECT_EQ(element.attribute("Ease"), "7");
            EXPECT_EQ(element.attribute("CenterX"), "0.5");
            EXPECT_EQ(element.attribute("CenterY"), "-0.5");
            EXPECT_EQ(element.attribute("BorderSize"), "12.5");
            EXPECT_EQ(element.attribute("Background"), "true");
            EXPECT_EQ(element.attribute("Color"), QString::number(0x123456));
            EXPECT_EQ(element.attribute("MoveDirection"), "5");
            EXPECT_EQ(element.attribute("Fade"), "false");
            EXPECT_EQ(element.attribute("Spin"), "true");

            auto copy = MakeGroup(type);
            copy->OpenFromXML(element, false);
            EXPECT_EQ(copy->PropType(), type);
            EXPECT_EQ(copy->FType, 2);
            EXPECT_EQ(copy->FName, kind.Name);
            EXPECT_EQ(copy->FDuration, 1250);
            EXPECT_EQ(copy->FEase, 7);
            EXPECT_EQ(copy->FCenterX, 0.5f);
            EXPECT_EQ(copy->FCenterY, -0.5f);
            EXPECT_EQ(copy->FBorderSize, 12.5f);
            EXPECT_EQ(copy->FBorderType, 1);
            EXPECT_TRUE(copy->FIncludeBack);
            EXPECT_EQ(copy->FColor, TColor(0x123456));
            EXPECT_EQ(copy->FDirection, 3);
            EXPECT_EQ(copy->FMoveDirection, 5);
            EXPECT_EQ(copy->FScale, 1.5f);
            EXPECT_FALSE(copy->FFade);
            EXPECT_TRUE(copy->FSpin);
        }
    }
}

TEST_F(TransitionGroups, MissingAttributesKeepTheCurrentValues) {
    QDomDocument document = XmlNewDocument(QStringLiteral("Project"));
    QDomElement element = TRPropTransitionIn().SaveToXML(document.documentElement());
    element.removeAttribute("Name");
    element.removeAttribute("CenterX");
    TRPropTransitionIn group;
    group.FName = QStringLiteral("Swirl");
    group.FCenterX = 0.25f;
    group.OpenFromXML(element, false);
    EXPECT_EQ(group.FName, "Swirl");
    EXPECT_EQ(group.FCenterX, 0.25f);
}
