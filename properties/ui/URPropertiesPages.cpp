#include "properties/ui/URPropertiesPages.h"

#include "core/UREditorServices.h"
#include "core/URProject.h"
#include "core/URPropMediaSpeed.h"
#include "core/URPropTransition.h"
#include "core/URSettings.h"
#include "core/ui/URGPPanelEx.h"
#include "properties/ui/UFramePropBase.h"
#include "properties/ui/UFramePropName.h"
#include "properties/ui/UFramePropPlacement.h"
#include "properties/ui/UFramePropShape.h"
#include "properties/ui/UFramePropText.h"
#include "properties/ui/UFramePropTransition.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

namespace {

TRObjectInspector* TheInspector = nullptr;

void EnsurePage(TRObjectType type) {
    if (TheInspector)
        TheInspector->EnsurePropertiesPage(type);
}

bool InRange(int type) {
    return type > otBase && type < otEnd;
}

// The special set-up of the frames that depend on the object type.
void PrepareFrame(TFramePropBase& frame, TRPropertyType type, TRObjectType objectType) {
    if (auto* shape = dynamic_cast<TFramePropShape*>(&frame)) {
        shape->Panel()->SetUseCheckBox(type == ptMask);
        if (type == ptMask)
            shape->Panel()->SetCaption("Mask");
        shape->Init(objectType);
    } else if (auto* text = dynamic_cast<TFramePropText*>(&frame)) {
        text->InitForObjectType(objectType);
    } else if (auto* transition = dynamic_cast<TFramePropTransition*>(&frame)) {
        transition->SetSide(type, objectType);
    } else if (auto* placement = dynamic_cast<TFramePropPlacement*>(&frame)) {
        placement->SetObjectType(objectType);
    }
}

// A frame placed in a column with its top there.
struct TPlaced {
    QWidget* Frame;
    QVBoxLayout* Column;
    int Top;
};

// Puts `frame` into `column` after `first` leading widgets, among the frames placed there
// before, ordered by `top`.
void PlaceInColumn(QVBoxLayout& column, QWidget& frame, int top, int first,
                   const std::vector<TPlaced>& placed) {
    int index = first;
    for (const TPlaced& other : placed)
        if (other.Column == &column && other.Top < top)
            ++index;
    column.insertWidget(index, &frame);
}

} // namespace

TRObjectInspector* ObjectInspector() {
    return TheInspector;
}

TRObjectInspector::TRObjectInspector(QWidget* parent) : QStackedWidget(parent) {
    setObjectName("ObjectInspector");
    setAutoFillBackground(true);
    TheInspector = this;
    EnsurePropertiesPageHook = EnsurePage;
}

TRObjectInspector::~TRObjectInspector() {
    if (TheInspector == this) {
        TheInspector = nullptr;
        EnsurePropertiesPageHook = nullptr;
    }
}

void TRObjectInspector::CreatePropertiesPages() {
    for (int type = otProject; type <= otCaption; ++type) {
        TRPropertiesPageRecord& page = FPages[type];
        if (page.PageProperties)
            continue;
        page.PageProperties = NewFrameColumn(QString("PageProperties%1").arg(type));
        addWidget(page.PageProperties);
    }
    EnsurePropertiesPage(otProject);
}

QVBoxLayout* TRObjectInspector::Column(TRObjectType objectType) const {
    return FrameColumnLayout(FPages[objectType].PageProperties);
}

void TRObjectInspector::EnsurePropertiesPage(TRObjectType objectType) {
    if (!InRange(objectType) || objectType > otCaption)
        return;
    TRPropertiesPageRecord& page = FPages[objectType];
    if (page.Created)
        return;
    if (!page.PageProperties)
        CreatePropertiesPages();
    BuildPropertiesPage(objectType);
    page.Created = true;
    ArrangePropertiesPages(SettingsRecord.PropertiesLayout, objectType);
    SetPropertiesPagesHeight(height(), otBase);
}

void TRObjectInspector::BuildPropertiesPage(TRObjectType objectType) {
    TRPropertiesPageRecord& page = FPages[objectType];
    QWidget* column = page.PageProperties->widget();
    std::array<int, TFramePropName::CategoryCount> categoryTops{};
    int listTop = 0;
    for (TRPropertyType type : ObjectPropertyGroups[objectType]) {
        if (type == ptBase)
            break;
        QWidget* frame = nullptr;
        if (type == ptName) {
            page.NameFrame = new TFramePropName(column);
            page.NameFrame->Init(objectType);
            frame = page.NameFrame;
        } else if (TFramePropBase* group = CreatePropertyFrame(type, column)) {
            PrepareFrame(*group, type, objectType);
            page.Frames[type] = group;
            frame = group;
        }
        if (!frame)
            continue;
        QVBoxLayout* list = Column(objectType);
        list->insertWidget(list->count() - 1, frame);
        TRFrameTops& tops = page.Tops[type];
        tops.Category = PropertyGroupCategory[type];
        listTop += frame->height();
        categoryTops[tops.Category] += frame->height();
        tops.ListTop = listTop;
        tops.CategoryTop = categoryTops[tops.Category];
    }
}

void TRObjectInspector::ArrangePropertiesPages(int layoutType, TRObjectType objectType) {
    FLayout = layoutType == 1 ? 1 : 0;
    for (int type = otProject; type <= otCaption; ++type)
        if ((objectType == otBase || objectType == type) && FPages[type].Created)
            ArrangePage(TRObjectType(type));
}

void TRObjectInspector::ArrangePage(TRObjectType objectType) {
    TRPropertiesPageRecord& page = FPages[objectType];
    TFramePropName* name = page.NameFrame;
    if (!name)
        return;
    QVBoxLayout* list = Column(objectType);
    list->removeWidget(name);
    list->insertWidget(0, name);
    name->SetLayout(FLayout, std::max(0, height() - name->HeadHeight()));
    const bool grouped = FLayout == 1 && name->NrCategories() > 0;
    page.PageProperties->setVerticalScrollBarPolicy(grouped ? Qt::ScrollBarAlwaysOff
                                                            : Qt::ScrollBarAsNeeded);
    if (name->NrCategories() == 0)
        return;
    setUpdatesEnabled(false);
    std::vector<TPlaced> placed;
    for (int type = 0; type < PropertyTypeCount; ++type) {
        TFramePropBase* frame = page.Frames[type];
        if (!frame)
            continue;
        const TRFrameTops& tops = page.Tops[type];
        QVBoxLayout* target = grouped && tops.Category >= 1 && tops.Category <= 11
                                  ? name->CategoryColumn(tops.Category)
                                  : list;
        const int top = target == list ? tops.ListTop : tops.CategoryTop;
        if (QLayout* former = frame->parentWidget()->layout())
            former->removeWidget(frame);
        frame->setParent(target->parentWidget());
        // The list keeps the name header first.
        PlaceInColumn(*target, *frame, top, target == list ? 1 : 0, placed);
        frame->show();
        placed.push_back({frame, target, top});
    }
    setUpdatesEnabled(true);
}

void TRObjectInspector::SetPropertiesPagesHeight(int height, TRObjectType objectType) {
    for (int type = otProject; type <= otCaption; ++type) {
        TFramePropName* name = FPages[type].NameFrame;
        if (!name || (objectType != otBase && objectType != type))
            continue;
        name->SetLayout(FLayout, std::max(0, height - name->HeadHeight()));
    }
}

void TRObjectInspector::resizeEvent(QResizeEvent* event) {
    QStackedWidget::resizeEvent(event);
    SetPropertiesPagesHeight(height(), otBase);
}

TRObject* TRObjectInspector::SelectedObject(TRProject& project) const {
    return project.SelectedObject ? project.SelectedObject : &project;
}

void TRObjectInspector::ShowObjectProperties() {
    TRProject* project = EditorServices().ActiveProject();
    if (!project)
        return;
    TRObject* object = SelectedObject(*project);
    const TRObjectType type = object->ObjectType();
    if (!InRange(type) || type > otCaption)
        return;
    const bool multiSelect = project->HasMultiSelect();
    if (FLastProject == project && FLastUniqueID == object->UniqueID() &&
        FLastName == object->ObjectName()) {
        const bool unchanged =
            type == otProject
                ? object->LastIndexShowProperties == 0 && multiSelect == FLastMultiSelect
                : object->LastIndexShowProperties == object->TransformationsIndex();
        if (unchanged)
            return;
    }
    FLastProject = project;
    FLastUniqueID = object->UniqueID();
    FLastName = object->ObjectName();
    FLastMultiSelect = multiSelect;
    object->LastIndexShowProperties = object->TransformationsIndex();
    EnsurePropertiesPage(type);
    setUpdatesEnabled(false);
    ShowFrames(type, *object);
    setUpdatesEnabled(true);
    TRPropertiesPageRecord& page = FPages[type];
    if (currentWidget() != page.PageProperties)
        setCurrentWidget(page.PageProperties);
}

void TRObjectInspector::ShowFrames(TRObjectType type, TRObject& object) {
    TRPropertiesPageRecord& page = FPages[type];
    page.NameFrame->ShowProperties(&object);
    for (TRPropertyType entry : ObjectPropertyGroups[type]) {
        if (entry == ptBase)
            break;
        if (page.Frames[entry] && IsKeyframeGroupType(entry))
            page.Frames[entry]->ShowProperties(&object, object.GetProperty(entry, true));
    }
    const std::pair<TRPropertyType, TRPropBase*> ownGroups[] = {
        {ptTrIn, object.TrIn()},
        {ptTrOut, object.TrOut()},
        {ptAudioV, object.AudioV()},
        {ptMediaSpeed, object.MediaSpeed()}};
    for (const auto& [entry, group] : ownGroups)
        if (page.Frames[entry])
            page.Frames[entry]->ShowProperties(&object, group);
}

TRObject* TRObjectInspector::ShownSelection() const {
    TRProject* project = EditorServices().ActiveProject();
    if (!project)
        return nullptr;
    TRObject* object = SelectedObject(*project);
    return InRange(object->ObjectType()) && object->ObjectType() <= otCaption ? object : nullptr;
}

void TRObjectInspector::UpdatePlacementProperties() {
    TRObject* object = ShownSelection();
    if (!object)
        return;
    auto* frame =
        dynamic_cast<TFramePropPlacement*>(FPages[object->ObjectType()].Frames[ptPlacement]);
    if (frame)
        frame->UpdateProperties(object, object->GetProperty(ptPlacement));
}

void TRObjectInspector::UpdateNameProperties() {
    TRObject* object = ShownSelection();
    if (!object)
        return;
    if (TFramePropName* name = FPages[object->ObjectType()].NameFrame)
        name->ShowProperties(object);
}

void TRObjectInspector::ScrollPropertiesPage(int delta) {
    auto* page = qobject_cast<QScrollArea*>(currentWidget());
    if (!page)
        return;
    for (const TRPropertiesPageRecord& record : FPages) {
        if (record.PageProperties != page || !record.NameFrame)
            continue;
        if (QScrollArea* tab = record.NameFrame->Category(record.NameFrame->CurrentCategory()))
            tab->verticalScrollBar()->setValue(tab->verticalScrollBar()->value() + delta);
    }
}
