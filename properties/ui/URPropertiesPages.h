#pragma once
// The inspector: one page per object type, built the first time the type is needed and kept,
// showing the selected object's groups as a column of frames under the name header. In the
// list layout (0) the page scrolls as one column; in the grouped layout (1) the frames move
// onto the header's category tabs and only the current tab scrolls. Each frame's places in
// both layouts are computed once, when its page is built.

#include "core/URPropBase.h"

#include <QStackedWidget>
#include <array>

class QScrollArea;
class QVBoxLayout;
class TFramePropBase;
class TFramePropName;
class TRObject;
class TRProject;

// Where a frame goes: its category tab (0: none) and its tops on that tab and in the list.
struct TRFrameTops {
    int Category = 0;
    int CategoryTop = 0;
    int ListTop = 0;
};

struct TRPropertiesPageRecord {
    QScrollArea* PageProperties = nullptr;
    TFramePropName* NameFrame = nullptr;
    // Indexed by property type; null where the type has no frame.
    std::array<TFramePropBase*, PropertyTypeCount> Frames{};
    std::array<TRFrameTops, PropertyTypeCount> Tops{};
    bool Created = false;
};

class TRObjectInspector : public QStackedWidget {
    Q_OBJECT
public:
    explicit TRObjectInspector(QWidget* parent = nullptr);
    ~TRObjectInspector() override;

    // The pages of every type, and the project's page built.
    void CreatePropertiesPages();
    // Builds the page of a type on first use and arranges it for the present layout.
    void EnsurePropertiesPage(TRObjectType objectType);
    // Places the frames of one page (of every page for otBase) for a layout (0 list, 1 grouped).
    void ArrangePropertiesPages(int layoutType, TRObjectType objectType);
    // Fills the page of the active project's selected object and shows it; skipped while the
    // object, its name, its keyframe (and for the project its multi-selection) are unchanged.
    void ShowObjectProperties();
    // The placement frame's light refresh with the selected object's placement.
    void UpdatePlacementProperties();
    // The name header again (time span, name).
    void UpdateNameProperties();
    // Gives the category tabs of one page (every page for otBase) the height left under the
    // header, and applies the layout.
    void SetPropertiesPagesHeight(int height, TRObjectType objectType);
    // Scrolls the current category tab of the shown page by `delta` pixels.
    void ScrollPropertiesPage(int delta);

    const TRPropertiesPageRecord& Page(TRObjectType objectType) const { return FPages[objectType]; }
    int Layout() const { return FLayout; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildPropertiesPage(TRObjectType objectType);
    void ArrangePage(TRObjectType objectType);
    void ShowFrames(TRObjectType objectType, TRObject& object);
    QVBoxLayout* Column(TRObjectType objectType) const;
    TRObject* SelectedObject(TRProject& project) const;
    // The active project's selected object when it has a page, else null.
    TRObject* ShownSelection() const;

    std::array<TRPropertiesPageRecord, ObjectTypeCount> FPages{};
    int FLayout = 0;
    // The last object shown: by UniqueID in its project, with its name and, for the project,
    // its multi-selection state.
    const TRProject* FLastProject = nullptr;
    std::int32_t FLastUniqueID = -1;
    QString FLastName;
    bool FLastMultiSelect = false;
};

// The inspector that builds pages on demand for the project model (EnsurePropertiesPageHook).
TRObjectInspector* ObjectInspector();
