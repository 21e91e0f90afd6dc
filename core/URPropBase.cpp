#include "core/URPropBase.h"

#include "core/URPropRegistry.h"
#include "core/URXmlValues.h"

namespace {

TRPropertiesObject Row(std::initializer_list<TRPropertyType> types) {
    TRPropertiesObject row{};
    int i = 0;
    for (TRPropertyType type : types)
        row[i++] = type;
    return row;
}

} // namespace

const std::array<TRPropertiesObject, ObjectTypeCount> ObjectPropertyGroups = {
    Row({}),
    Row({ptName, ptProjectSize, ptBackgroundFill, ptClosedCaptioning, ptProgressBar,
         ptMultiSelect}),
    Row({ptName, ptPlacement, ptShape, ptBackgroundFill, ptBackgroundBorder, ptShadow, ptReflection,
         ptEffect, ptTrIn, ptTrOut, ptHTMLMarker, ptInteractivity}),
    Row({ptName,
         ptPlacement,
         ptMask,
         ptBackgroundFill,
         ptFlipOpacity,
         ptZoomAndPan,
         ptChromaKey,
         ptColorAdjust,
         ptText,
         ptTextPath,
         ptTextAnimation,
         ptEffect,
         ptBackgroundBorder,
         ptDrawing,
         ptShadow,
         ptReflection,
         ptTrIn,
         ptTrOut,
         ptHTMLMarker,
         ptInteractivity}),
    Row({ptName,           ptPlacement,        ptMask,
         ptBackgroundFill, ptFlipOpacity,      ptZoomAndPan,
         ptChromaKey,      ptColorAdjust,      ptText,
         ptTextPath,       ptTextAnimation,    ptEffect,
         ptMediaSpeed,     ptBackgroundBorder, ptDrawing,
         ptShadow,         ptReflection,       ptTrIn,
         ptTrOut,          ptHTMLMarker,       ptInteractivity,
         ptAudioV}),
    Row({ptName,       ptPlacement,     ptMask,        ptBackgroundFill, ptFlipOpacity,
         ptZoomAndPan, ptChromaKey,     ptColorAdjust, ptCursor,         ptText,
         ptTextPath,   ptTextAnimation, ptEffect,      ptMediaSpeed,     ptBackgroundBorder,
         ptDrawing,    ptShadow,        ptReflection,  ptTrIn,           ptTrOut,
         ptHTMLMarker, ptInteractivity, ptAudioV}),
    Row({ptName, ptPlacement, ptShape, ptEffect, ptBackgroundBorder, ptHTMLMarker,
         ptInteractivity}),
    Row({ptName, ptPlacement, ptShape, ptBackgroundFill, ptText, ptTextPath, ptTextAnimation,
         ptEffect, ptBackgroundBorder, ptShadow, ptReflection, ptTrIn, ptTrOut, ptHTMLMarker,
         ptInteractivity}),
    Row({ptName, ptAudio, ptMediaSpeed}),
    Row({ptName, ptPlacement, ptSketch, ptShadow, ptReflection, ptTrOut, ptHTMLMarker,
         ptInteractivity}),
    Row({ptName, ptPlacement, ptShape, ptZoomSource, ptEffect, ptBackgroundBorder, ptShadow,
         ptReflection, ptTrIn, ptTrOut, ptHTMLMarker, ptInteractivity}),
    Row({ptName, ptAudioTTS, ptAudio, ptMediaSpeed}),
    Row({ptName, ptTransitionObj}),
    Row({ptName, ptVideoAction}),
    Row({ptName, ptPlacement, ptShape, ptBackgroundFill, ptKeystroke, ptBackgroundBorder, ptShadow,
         ptReflection, ptTrIn, ptTrOut, ptHTMLMarker, ptInteractivity}),
    Row({ptName, ptCaption}),
    Row({ptName}),
};

namespace {

std::array<std::uint8_t, PropertyTypeCount> BuildGroupCategories() {
    std::array<std::uint8_t, PropertyTypeCount> categories{};
    const std::initializer_list<TRPropertyType> tabs[] = {
        {ptPlacement, ptShape, ptMask},
        {ptZoomAndPan, ptFlipOpacity},
        {ptCursor},
        {ptBackgroundFill, ptBackgroundBorder, ptShadow, ptReflection, ptDrawing},
        {ptText, ptTextPath, ptTextAnimation, ptKeystroke},
        {ptZoomSource},
        {ptColorAdjust, ptChromaKey, ptEffect, ptMediaSpeed},
        {ptSketch},
        {ptTrIn, ptTrOut},
        {ptInteractivity, ptHTMLMarker},
        {ptAudioV},
    };
    std::uint8_t tab = 1;
    for (const auto& types : tabs) {
        for (TRPropertyType type : types)
            categories[type] = tab;
        ++tab;
    }
    return categories;
}

std::array<std::array<bool, 13>, otCaption + 1> BuildCategories() {
    std::array<std::array<bool, 13>, otCaption + 1> categories{};
    const struct {
        TRObjectType type;
        std::initializer_list<int> tabs;
    } rows[] = {
        {otShape, {1, 4, 7, 9, 10}},
        {otImage, {1, 2, 4, 5, 7, 9, 10}},
        {otVideo, {1, 2, 4, 5, 7, 9, 10, 11}},
        {otScreenRecorder, {1, 2, 3, 4, 5, 7, 9, 10, 11}},
        {otBlur, {1, 4, 7, 10}},
        {otText, {1, 4, 5, 7, 9, 10}},
        {otSketch, {1, 4, 8, 9, 10}},
        {otZoomArea, {1, 4, 6, 7, 9, 10}},
        {otKeystroke, {1, 4, 5, 9, 10}},
    };
    for (const auto& row : rows)
        for (int tab : row.tabs)
            categories[row.type][tab] = true;
    return categories;
}

} // namespace

const std::array<std::uint8_t, PropertyTypeCount> PropertyGroupCategory = BuildGroupCategories();
const std::array<std::array<bool, 13>, otCaption + 1> PropertyCategories = BuildCategories();

QString PropertyCaption(TRPropertyType type) {
    static const char* const captions[PropertyTypeCount] = {
        "",
        "",
        "Project Size",
        "",
        "Placement && Opacity",
        "Shape",
        "Background",
        "Border",
        "Drop Shadow",
        "Zoom && Pan",
        "Color Adjustment",
        "Transition In",
        "Transition Out",
        "Mask",
        "Chroma-Key",
        "Effect",
        "Media",
        "Cursor",
        "Volume Control",
        "Text",
        "Sketch Animation",
        "Source",
        "Text Layout",
        "Transition",
        "Text-To-Speech",
        "Text Animation",
        "Interactivity",
        "Video Action",
        "",
        "HTML Marker",
        "Volume Control",
        "Keystroke",
        "",
        "Caption",
        "Progress Bar",
        "Media Speed",
        "Reflection",
        "Drawing",
        "",
        "",
    };
    return type < PropertyTypeCount ? QString::fromLatin1(captions[type]) : QString();
}

bool IsKeyframeGroupType(int type) {
    switch (type) {
    case ptBase:
    case ptName:
    case ptProjectBackground:
    case ptTrIn:
    case ptTrOut:
    case ptHTMLMarker:
    case ptAudioV:
    case ptMediaSpeed:
    case ptEnd:
        return false;
    default:
        return type > ptBase && type < ptEnd;
    }
}

// ---- TRPropBase ----

namespace {

const QString PropertyElement = QStringLiteral("Property");
const QString TypeAttribute = QStringLiteral("Type");

class TRXmlFieldWriter final : public TRPropFields {
public:
    explicit TRXmlFieldWriter(QDomElement element) : FElement(element) {}
    void Int(const char* name, std::int32_t& value) override {
        XmlSetInt(FElement, QLatin1String(name), value);
    }
    void Bool(const char* name, bool& value) override {
        XmlSetBool(FElement, QLatin1String(name), value);
    }
    void Float(const char* name, float& value) override {
        XmlSetFloat(FElement, QLatin1String(name), value);
    }
    void Text(const char* name, QString& value) override {
        XmlSetText(FElement, QLatin1String(name), value);
    }
    // Colours are 32-bit integers in the file, written with their sign.
    void Color(const char* name, TColor& value) override {
        XmlSetInt(FElement, QLatin1String(name), static_cast<std::int32_t>(value));
    }

private:
    QDomElement FElement;
};

class TRXmlFieldReader final : public TRPropFields {
public:
    TRXmlFieldReader(const QDomElement& element, bool paste) : FElement(element), FPaste(paste) {}
    void Int(const char* name, std::int32_t& value) override {
        XmlReadInt(FElement, QLatin1String(name), value);
    }
    void Bool(const char* name, bool& value) override {
        XmlReadBool(FElement, QLatin1String(name), value);
    }
    void Float(const char* name, float& value) override {
        XmlReadFloat(FElement, QLatin1String(name), value);
    }
    void Text(const char* name, QString& value) override {
        XmlReadText(FElement, QLatin1String(name), value);
    }
    // Colours read back whether they were written signed or unsigned.
    void Color(const char* name, TColor& value) override {
        if (!FElement.hasAttribute(QLatin1String(name)))
            return;
        bool ok = false;
        const qint64 number = FElement.attribute(QLatin1String(name)).trimmed().toLongLong(&ok);
        if (ok && number >= INT32_MIN && number <= UINT32_MAX)
            value = static_cast<TColor>(number);
    }
    bool Pasting() const override { return FPaste; }

private:
    QDomElement FElement;
    bool FPaste;
};

} // namespace

void WriteXmlFields(QDomElement element, const std::function<void(TRPropFields&)>& visit) {
    TRXmlFieldWriter writer(std::move(element));
    visit(writer);
}

void ReadXmlFields(const QDomElement& element, const std::function<void(TRPropFields&)>& visit) {
    TRXmlFieldReader reader(element, false);
    visit(reader);
}

TRPropBase::TRPropBase(TRPropertyType type) : FPropertyType(type) {}

TRPropBase::TRPropBase(TRPropertyType type, bool useCheckBox, bool checked, bool expanded)
    : FPropertyType(type), FUseCheckBox(useCheckBox), FChecked(checked), FExpanded(expanded) {}

void TRPropBase::SetChecked(bool value) {
    if (FUseCheckBox)
        FChecked = value;
}

void TRPropBase::EaseTo(float, const TRPropBase*, TRPropBase*) const {}

void TRPropBase::VisitFields(TRPropFields&) {}

QDomElement TRPropBase::SaveToXML(QDomNode parent) const {
    QDomElement element = XmlAppendChild(parent, PropertyElement);
    XmlSetInt(element, TypeAttribute, FPropertyType);
    XmlSetInt(element, QStringLiteral("Version"), FVersion);
    XmlSetBool(element, QStringLiteral("UseCheckBox"), FUseCheckBox);
    XmlSetBool(element, QStringLiteral("Checked"), FChecked);
    XmlSetBool(element, QStringLiteral("Expanded"), FExpanded);
    TRXmlFieldWriter writer(element);
    // Writing walks the same field list as reading; the visit itself changes nothing.
    const_cast<TRPropBase*>(this)->VisitFields(writer);
    return element;
}

void TRPropBase::OpenFromXML(const QDomElement& element, bool paste) {
    if (!paste)
        XmlReadBool(element, QStringLiteral("UseCheckBox"), FUseCheckBox);
    XmlReadBool(element, QStringLiteral("Checked"), FChecked);
    XmlReadBool(element, QStringLiteral("Expanded"), FExpanded);
    TRXmlFieldReader reader(element, paste);
    VisitFields(reader);
}

void TRPropBase::CopyFrom(const TRPropBase& source) {
    QDomDocument document = XmlNewDocument(QStringLiteral("Transformation"));
    source.SaveToXML(document.documentElement());
    const QDomDocument copy = XmlReparse(document);
    OpenFromXML(copy.documentElement().firstChildElement(PropertyElement), false);
}

std::unique_ptr<TRPropBase> TRPropBase::Clone() const {
    std::unique_ptr<TRPropBase> copy = CreatePropertyGroup(FPropertyType);
    if (copy)
        copy->CopyFrom(*this);
    return copy;
}

// ---- the factory ----

namespace {

std::array<TRPropCreator, PropertyTypeCount>& Creators() {
    static std::array<TRPropCreator, PropertyTypeCount> creators{};
    return creators;
}

} // namespace

TRPropCreators SavePropertyGroups() {
    return Creators();
}

void RestorePropertyGroups(const TRPropCreators& creators) {
    Creators() = creators;
}

void RegisterPropertyGroup(TRPropertyType type, TRPropCreator creator) {
    if (type < PropertyTypeCount)
        Creators()[type] = creator;
}

std::unique_ptr<TRPropBase> CreatePropertyGroup(TRPropertyType type) {
    if (type == ptBase || type >= ptEnd)
        return nullptr;
    if (const TRPropCreator creator = Creators()[type])
        return creator();
    return std::make_unique<TRPropBase>(type);
}

// ---- TRPropList ----

void TRPropList::CreateObjectProperties(const TRPropertiesObject& row, TRObjectType objectType) {
    FObjectType = objectType;
    for (TRPropertyType type : row)
        CreateProperty(type);
}

void TRPropList::CreateProperty(TRPropertyType type) {
    if (!IsKeyframeGroupType(type))
        return;
    FPropsArray[type] = CreatePropertyGroup(type);
}

TRPropBase* TRPropList::GetProperty(TRPropertyType type) const {
    return type < SlotCount ? FPropsArray[type].get() : nullptr;
}

QDomElement TRPropList::SaveToXML(QDomElement element) const {
    XmlSetInt(element, QStringLiteral("ObjectType"), FObjectType);
    for (const auto& group : FPropsArray)
        if (group)
            group->SaveToXML(element);
    return element;
}

void TRPropList::ReadGroups(const QDomElement& element, const TRPropertiesChecked* pasted) {
    for (QDomElement child = element.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        std::int32_t type = -1;
        if (!XmlReadInt(child, TypeAttribute, type) || type < 0 || type >= ptEnd)
            continue;
        TRPropBase* group = FPropsArray[type].get();
        if (!group || (pasted && !(*pasted)[type]))
            continue;
        group->OpenFromXML(child, pasted != nullptr);
    }
}

void TRPropList::OpenFromXML(const QDomElement& element) {
    std::int32_t objectType = 0;
    if (XmlReadInt(element, QStringLiteral("ObjectType"), objectType) && objectType >= 0 &&
        objectType < ObjectTypeCount)
        FObjectType = static_cast<TRObjectType>(objectType);
    ReadGroups(element, nullptr);
}

namespace {

// The source list written and parsed again, so groups copy exactly what they save.
QDomDocument WrittenCopy(const TRPropList& source) {
    QDomDocument document = XmlNewDocument(QStringLiteral("Transformation"));
    source.SaveToXML(document.documentElement());
    return XmlReparse(document);
}

} // namespace

void TRPropList::CopyFrom(const TRPropList* source) {
    if (source)
        OpenFromXML(WrittenCopy(*source).documentElement());
}

void TRPropList::PasteFrom(const TRPropList* source, const TRPropertiesChecked& props) {
    if (source)
        ReadGroups(WrittenCopy(*source).documentElement(), &props);
}
