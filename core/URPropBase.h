#pragma once
// Property groups: the vocabulary of group and object kinds, the group base class with the
// common part of its XML element, the per-keyframe list of groups, and the group factory.
//
// The factory lives here, below the folders that define most group classes; their creators are
// registered once at start-up (RegisterEngineKinds in objects/). A kind whose class has not been
// registered is created as a plain TRPropBase of the right type, so lists and files keep their
// shape.

#include <QDomElement>
#include <QList>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

enum TRPropertyType : std::uint8_t {
    ptBase,
    ptName,
    ptProjectSize,
    ptProjectBackground,
    ptPlacement,
    ptShape,
    ptBackgroundFill,
    ptBackgroundBorder,
    ptShadow,
    ptZoomAndPan,
    ptColorAdjust,
    ptTrIn,
    ptTrOut,
    ptMask,
    ptChromaKey,
    ptEffect,
    ptFlipOpacity,
    ptCursor,
    ptAudio,
    ptText,
    ptSketch,
    ptZoomSource,
    ptTextPath,
    ptTransitionObj,
    ptAudioTTS,
    ptTextAnimation,
    ptInteractivity,
    ptVideoAction,
    ptMultiSelect,
    ptHTMLMarker,
    ptAudioV,
    ptKeystroke,
    ptClosedCaptioning,
    ptCaption,
    ptProgressBar,
    ptMediaSpeed,
    ptReflection,
    ptDrawing,
    ptBlur,
    ptEnd
};
inline constexpr int PropertyTypeCount = ptEnd + 1;

enum TRObjectType : std::uint8_t {
    otBase,
    otProject,
    otShape,
    otImage,
    otVideo,
    otScreenRecorder,
    otBlur,
    otText,
    otAudio,
    otSketch,
    otZoomArea,
    otAudioTTS,
    otTransition,
    otVideoAction,
    otKeystroke,
    otCaption,
    otEnd
};
inline constexpr int ObjectTypeCount = otEnd + 1;

enum TRBrushStyle : std::uint8_t {
    brsSolid,
    brsGradientLinear,
    brsGradientRadial,
    brsMediaLibrary,
    brsEraseBackGround
};

// A colour as 0x00BBGGRR (alpha byte used by a few settings, such as the GIF key colour).
using TColor = std::uint32_t;

// One row of ObjectPropertyGroups: the groups of an object type in order, ended by ptBase.
using TRPropertiesObject = std::array<TRPropertyType, 23>;
// Which groups a paste takes over.
using TRPropertiesChecked = std::array<bool, PropertyTypeCount>;

struct TRMediaObject {
    QString ObjectName;
    std::int32_t ObjectCode = 0; // ObjectType * 1000 + ObjectId
    // The object's type and id apart: the code above is ambiguous for ids of 1000 and more.
    TRObjectType ObjectType = otBase;
    std::int32_t ObjectId = 0;
};
struct TRMarkerObject {
    QString ObjectName;
    std::int32_t ObjectCode = 0;
    std::int32_t ObjectTime = 0;
};
using TRMediaObjectsArray = QList<TRMediaObject>;
using TRMarkerObjectsArray = QList<TRMarkerObject>;

extern const std::array<TRPropertiesObject, ObjectTypeCount> ObjectPropertyGroups;
// The inspector tab (1..11) of each group's editor, 0 for none.
extern const std::array<std::uint8_t, PropertyTypeCount> PropertyGroupCategory;
// The tabs the name editor offers for each object type up to otCaption.
extern const std::array<std::array<bool, 13>, otCaption + 1> PropertyCategories;

// The caption of a group kind ("&&" stands for one ampersand in a control caption).
QString PropertyCaption(TRPropertyType type);
// The types for which a keyframe list holds a group object (the others name editors of the
// object's own fields or are bounds).
bool IsKeyframeGroupType(int type);

// The values of a group as a visitor sees them: the XML writer, the XML reader and anything
// else that walks a group's own attributes in their write order.
class TRPropFields {
public:
    virtual ~TRPropFields() = default;
    virtual void Int(const char* name, std::int32_t& value) = 0;
    virtual void Bool(const char* name, bool& value) = 0;
    virtual void Float(const char* name, float& value) = 0;
    virtual void Text(const char* name, QString& value) = 0;
    virtual void Color(const char* name, TColor& value) = 0;
    // An enumeration or byte stored as an integer; a read value outside 0..last is ignored.
    template <class E> void Enum(const char* name, E& value, E last) {
        auto number = static_cast<std::int32_t>(value);
        Int(name, number);
        if (number >= 0 && number <= static_cast<std::int32_t>(last))
            value = static_cast<E>(number);
    }
    // True while properties are pasted: groups then leave out what must not be taken over.
    virtual bool Pasting() const { return false; }
};

// Walks a set of fields as the attributes of `element`: writing sets every attribute, reading
// takes those present that convert cleanly.
void WriteXmlFields(QDomElement element, const std::function<void(TRPropFields&)>& visit);
void ReadXmlFields(const QDomElement& element, const std::function<void(TRPropFields&)>& visit);

class TRPropBase {
public:
    explicit TRPropBase(TRPropertyType type = ptBase);
    TRPropBase(TRPropertyType type, bool useCheckBox, bool checked, bool expanded);
    virtual ~TRPropBase() = default;
    TRPropBase(const TRPropBase&) = delete;
    TRPropBase& operator=(const TRPropBase&) = delete;

    TRPropertyType PropType() const { return FPropertyType; }
    std::int32_t Version() const { return FVersion; }
    bool UseCheckBox() const { return FUseCheckBox; }
    void SetUseCheckBox(bool value) { FUseCheckBox = value; }
    // A group without a check box is always in force.
    bool Checked() const { return FUseCheckBox ? FChecked : true; }
    void SetChecked(bool value);
    bool Expanded() const { return FExpanded; }
    void SetExpanded(bool value) { FExpanded = value; }

    // Writes into `destination` the state between this group and `to` at the eased position
    // `pos` (0..1). Groups that do not animate keep this empty behaviour.
    virtual void EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const;
    // Appends the group's "Property" element to `parent` and returns it.
    virtual QDomElement SaveToXML(QDomNode parent) const;
    // Reads the group from its "Property" element; missing attributes keep their values.
    virtual void OpenFromXML(const QDomElement& element, bool paste);

    // Makes this group equal to `source` (same type) through the XML form.
    void CopyFrom(const TRPropBase& source);
    // A deep copy through the XML form.
    std::unique_ptr<TRPropBase> Clone() const;

    // Walks the group's own attributes in write order; the base has none.
    virtual void VisitFields(TRPropFields& fields);

protected:
    TRPropertyType FPropertyType;
    std::int32_t FVersion = 1;
    bool FUseCheckBox = true;
    bool FChecked = false;
    bool FExpanded = false;
};

// ---- the factory ----
using TRPropCreator = std::unique_ptr<TRPropBase> (*)();
// Installs the creator of a group kind; later registrations replace earlier ones.
void RegisterPropertyGroup(TRPropertyType type, TRPropCreator creator);
// A new group of the type at its defaults: the registered class, else a TRPropBase of that
// type; nullptr for ptBase, ptEnd and values beyond.
std::unique_ptr<TRPropBase> CreatePropertyGroup(TRPropertyType type);

template <class T> std::unique_ptr<TRPropBase> MakePropertyGroup() {
    return std::make_unique<T>();
}

// One keyframe's groups, indexed by TRPropertyType; the list owns its groups.
class TRPropList {
public:
    static constexpr int SlotCount = 41;

    TRPropList() = default;
    TRPropList(const TRPropList&) = delete;
    TRPropList& operator=(const TRPropList&) = delete;

    TRObjectType ObjectType() const { return FObjectType; }
    // Builds a fresh group at its defaults for each entry of the row.
    void CreateObjectProperties(const TRPropertiesObject& row, TRObjectType objectType);
    // Replaces the slot's group with a new one; nothing for kinds without a group object.
    void CreateProperty(TRPropertyType type);
    TRPropBase* GetProperty(TRPropertyType type) const;
    template <class T> T* Get(TRPropertyType type) const {
        return dynamic_cast<T*>(GetProperty(type));
    }

    // Sets "ObjectType" on `element` and appends every group in ascending type order.
    QDomElement SaveToXML(QDomElement element) const;
    void OpenFromXML(const QDomElement& element);
    // Every group that both lists hold takes the source's values (through the XML form).
    void CopyFrom(const TRPropList* source);
    // Takes over the groups selected in `props` as a paste. The list keeps its own object
    // type: it names the row the list was built from.
    void PasteFrom(const TRPropList* source, const TRPropertiesChecked& props);

private:
    void ReadGroups(const QDomElement& element, const TRPropertiesChecked* pasted);

    TRObjectType FObjectType = otBase;
    std::array<std::unique_ptr<TRPropBase>, SlotCount> FPropsArray;
};
