// Property groups: the common "Property" element, the check-box rule, number text with the
// recorded decimal separator, the factory, and the keyframe list with its copy and paste.

#include "core/URPropBase.h"
#include "core/URPropTransition.h"
#include "core/URSettings.h"
#include "core/URXmlValues.h"
#include "graphics/URPropShadow.h"
#include "objects/URObjectsRegistry.h"

#include <QLocale>
#include <clocale>
#include <cstring>
#include <gtest/gtest.h>

namespace {

class PropertyGroups : public testing::Test {
protected:
    void SetUp() override {
        SetDefaultSettings(SettingsRecord);
        RegisterEngineKinds();
    }
};

QDomElement WriteGroup(const TRPropBase& group, QDomDocument& document, const QString& decimal) {
    document = XmlNewDocument(QStringLiteral("Project"));
    if (!decimal.isEmpty())
        document.documentElement().setAttribute(QStringLiteral("Decimal"), decimal);
    return group.SaveToXML(document.documentElement());
}

TEST_F(PropertyGroups, PropertyElementCarriesTheCommonAttributes) {
    TRPropShadow shadow;
    shadow.SetExpanded(true);
    QDomDocument document;
    const QDomElement element = WriteGroup(shadow, document, QString());
    EXPECT_EQ(element.tagName(), "Property");
    EXPECT_EQ(element.attribute("Type"), "8");
    EXPECT_EQ(element.attribute("Version"), "1");
    EXPECT_EQ(element.attribute("UseCheckBox"), "true");
    EXPECT_EQ(element.attribute("Checked"), "true");
    EXPECT_EQ(element.attribute("Expanded"), "true");
}

TEST_F(PropertyGroups, GroupWithoutCheckBoxIsAlwaysInForce) {
    TRPropBase group(ptShadow);
    group.SetUseCheckBox(false);
    group.SetChecked(false);
    EXPECT_TRUE(group.Checked());
    QDomDocument document = XmlNewDocument("Transformation");
    QDomElement element = group.SaveToXML(document.documentElement());
    element.setAttribute("Checked", "false");
    group.OpenFromXML(element, false);
    EXPECT_TRUE(group.Checked());
    group.SetUseCheckBox(true);
    EXPECT_FALSE(group.Checked()); // the stored flag was read although the box was hidden
}

TEST_F(PropertyGroups, PasteLeavesTheCheckBoxSettingAndMissingAttributesAlone) {
    TRPropShadow source;
    source.SetUseCheckBox(false);
    source.FBlur = 3;
    QDomDocument document;
    QDomElement element = WriteGroup(source, document, QString());
    element.removeAttribute("Offset");
    TRPropShadow target;
    target.FOffset = 42;
    target.OpenFromXML(element, true);
    EXPECT_TRUE(target.UseCheckBox());
    EXPECT_EQ(target.FBlur, 3.0f);
    EXPECT_EQ(target.FOffset, 42.0f);
    target.OpenFromXML(element, false);
    EXPECT_FALSE(target.UseCheckBox());
}

TEST_F(PropertyGroups, NumbersUseTheRecordedDecimalSeparator) {
    TRPropShadow shadow;
    shadow.FOpacity = 0.3f; // held in single precision: written with the digits of its double
    QDomDocument document;
    const QDomElement element = WriteGroup(shadow, document, ",");
    EXPECT_EQ(element.attribute("Opacity"), "0,300000011920929");
    EXPECT_EQ(element.attribute("Angle"), "-135");
    TRPropShadow copy;
    copy.OpenFromXML(element, false);
    EXPECT_EQ(copy.FOpacity, 0.3f);
}

TEST_F(PropertyGroups, ReadingNumbersLeavesTheProcessLocaleAlone) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const std::string cLocale = std::setlocale(LC_NUMERIC, nullptr);
    double value = 0;
    EXPECT_TRUE(TextToFloat("2,5", QChar(','), value));
    EXPECT_EQ(value, 2.5);
    EXPECT_TRUE(TextToFloat("1.25", QChar('.'), value));
    EXPECT_EQ(value, 1.25);
    EXPECT_EQ(FloatToText(1.5, QChar('.')), "1.5");
    EXPECT_EQ(cLocale, std::setlocale(LC_NUMERIC, nullptr));
    QLocale::setDefault(previous);
}

TEST_F(PropertyGroups, DamagedValuesKeepTheCurrentValue) {
    struct Case {
        const char* text;
        bool parses;
    };
    const Case floats[] = {{"abc", false}, {"nan", false},  {"inf", false},
                           {"", false},    {" 7.5 ", true}, {"1e3", true}};
    for (const Case& c : floats) {
        double value = -1;
        EXPECT_EQ(TextToFloat(c.text, QChar('.'), value), c.parses) << c.text;
        if (!c.parses) {
            EXPECT_EQ(value, -1) << c.text;
        }
    }
    bool flag = false;
    EXPECT_TRUE(TextToBool("TRUE", flag) && flag);
    EXPECT_TRUE(TextToBool("0", flag) && !flag);
    EXPECT_TRUE(TextToBool("-1", flag) && flag);
    EXPECT_FALSE(TextToBool("yes", flag));
    std::int32_t number = 4;
    EXPECT_FALSE(TextToInt("12x", number));
    EXPECT_EQ(number, 4);
}

TEST_F(PropertyGroups, FactoryCreatesEachKindWithItsType) {
    for (int type = ptName; type < ptEnd; ++type) {
        const auto group = CreatePropertyGroup(static_cast<TRPropertyType>(type));
        ASSERT_TRUE(group) << type;
        EXPECT_EQ(group->PropType(), type);
        EXPECT_EQ(group->Version(), 1);
    }
    EXPECT_FALSE(CreatePropertyGroup(ptBase));
    EXPECT_FALSE(CreatePropertyGroup(ptEnd));
    EXPECT_FALSE(CreatePropertyGroup(static_cast<TRPropertyType>(200)));
    EXPECT_TRUE(dynamic_cast<TRPropTransitionObj*>(CreatePropertyGroup(ptTransitionObj).get()));
}

TEST_F(PropertyGroups, ListHoldsOnlyKeyframeGroups) {
    TRPropList list;
    for (int type = 0; type < TRPropList::SlotCount; ++type)
        list.CreateProperty(static_cast<TRPropertyType>(type));
    const int noGroup[] = {ptBase,       ptName,   ptProjectBackground, ptTrIn, ptTrOut,
                           ptHTMLMarker, ptAudioV, ptMediaSpeed,        ptEnd,  40};
    for (int type : noGroup)
        EXPECT_EQ(list.GetProperty(static_cast<TRPropertyType>(type)), nullptr) << type;
    EXPECT_NE(list.GetProperty(ptBlur), nullptr);
    EXPECT_EQ(list.GetProperty(static_cast<TRPropertyType>(250)), nullptr);
}

TEST_F(PropertyGroups, ListWritesGroupsInTypeOrderNotRowOrder) {
    TRPropList list;
    list.CreateObjectProperties(ObjectPropertyGroups[otImage], otImage);
    QDomDocument document = XmlNewDocument("Transformation");
    list.SaveToXML(document.documentElement());
    QStringList types;
    for (QDomElement e = document.documentElement().firstChildElement(); !e.isNull();
         e = e.nextSiblingElement())
        types << e.attribute("Type");
    EXPECT_EQ(types.join(","), "4,6,7,8,9,10,13,14,15,16,19,22,25,26,36,37");
    EXPECT_EQ(document.documentElement().attribute("ObjectType"), "3");
}

TEST_F(PropertyGroups, CopyIsDeepAndTakesEveryAttribute) {
    TRPropList source;
    source.CreateObjectProperties(ObjectPropertyGroups[otShape], otShape);
    auto* shadow = source.Get<TRPropShadow>(ptShadow);
    ASSERT_TRUE(shadow);
    shadow->FAngle = 33;
    shadow->SetUseCheckBox(false);
    TRPropList target;
    target.CreateObjectProperties(ObjectPropertyGroups[otShape], otShape);
    target.CopyFrom(&source);
    auto* copied = target.Get<TRPropShadow>(ptShadow);
    EXPECT_NE(copied, shadow);
    EXPECT_EQ(copied->FAngle, 33.0f);
    EXPECT_FALSE(copied->UseCheckBox());
    shadow->FAngle = 1;
    EXPECT_EQ(copied->FAngle, 33.0f);

    const std::unique_ptr<TRPropBase> clone = shadow->Clone();
    EXPECT_NE(clone.get(), shadow);
    EXPECT_EQ(dynamic_cast<TRPropShadow&>(*clone).FAngle, 1.0f);
}

TEST_F(PropertyGroups, PasteTakesOnlySelectedGroupsAndKeepsTheListsType) {
    TRPropList source;
    source.CreateObjectProperties(ObjectPropertyGroups[otShape], otShape);
    source.Get<TRPropShadow>(ptShadow)->FBlur = 7;
    source.GetProperty(ptReflection)->SetExpanded(true);
    TRPropList target;
    target.CreateObjectProperties(ObjectPropertyGroups[otText], otText);
    TRPropertiesChecked props{};
    target.PasteFrom(&source, props);
    EXPECT_EQ(target.Get<TRPropShadow>(ptShadow)->FBlur, 10.0f);
    EXPECT_EQ(target.ObjectType(), otText);
    props[ptShadow] = true;
    target.PasteFrom(&source, props);
    EXPECT_EQ(target.Get<TRPropShadow>(ptShadow)->FBlur, 7.0f);
    EXPECT_FALSE(target.GetProperty(ptReflection)->Expanded());
    EXPECT_EQ(target.ObjectType(), otText);
}

TEST_F(PropertyGroups, ListSkipsElementsWithoutAUsableType) {
    TRPropList list;
    list.CreateObjectProperties(ObjectPropertyGroups[otShape], otShape);
    QDomDocument document = XmlNewDocument("Transformation");
    QDomElement root = document.documentElement();
    for (const char* type : {"", "-3", "39", "99", "x", "9"}) {
        QDomElement e = XmlAppendChild(root, "Property");
        if (*type)
            e.setAttribute("Type", type);
        e.setAttribute("Expanded", "true");
    }
    root.setAttribute("ObjectType", "250");
    list.OpenFromXML(root);
    EXPECT_EQ(list.ObjectType(), otShape);
    EXPECT_TRUE(list.GetProperty(ptShadow)->Expanded() == false);
    EXPECT_FALSE(list.GetProperty(ptZoomAndPan));
}

TEST_F(PropertyGroups, CaptionsAndTables) {
    EXPECT_EQ(PropertyCaption(ptAudio), "Volume Control");
    EXPECT_EQ(PropertyCaption(ptAudioV), "Volume Control");
    EXPECT_EQ(PropertyCaption(ptPlacement), "Placement && Opacity");
    EXPECT_EQ(PropertyCaption(ptBlur), "");
    EXPECT_EQ(PropertyCaption(ptEnd), "");
    EXPECT_EQ(ObjectPropertyGroups[otScreenRecorder][22], ptAudioV);
    EXPECT_EQ(ObjectPropertyGroups[otCaption][2], ptBase);
    EXPECT_EQ(PropertyGroupCategory[ptMediaSpeed], 7);
    EXPECT_EQ(PropertyGroupCategory[ptAudioV], 11);
    EXPECT_TRUE(PropertyCategories[otScreenRecorder][3]);
    EXPECT_FALSE(PropertyCategories[otAudio][7]);
    EXPECT_FALSE(PropertyCategories[otShape][0]);
}

} // namespace
