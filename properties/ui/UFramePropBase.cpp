#include "properties/ui/UFramePropBase.h"

#include "core/UREditorServices.h"
#include "core/URProject.h"
#include "core/ui/URGPPanelEx.h"
#include "core/ui/URStyle.h"

#include <array>

TFramePropBase::TFramePropBase(TUndoType undoType, QWidget* parent)
    : QWidget(parent), FUndoType(undoType), FPanel(new TRGPPanelEx(this)),
      FContainer(new QWidget(FPanel)) {
    setAutoFillBackground(true);
    FContainer->setObjectName("container");
    FContainer->setContentsMargins(0, 0, 0, Scaled(4, this));
    connect(FPanel, &TRGPPanelEx::Changed, this, &TFramePropBase::PropertyChanged);
    connect(FPanel, &TRGPPanelEx::Resized, this, &TFramePropBase::PanelResize);
}

void TFramePropBase::Init() {
    FPanel->move(0, 0);
    FPanel->setFixedWidth(width());
    FPanel->SetExpanded(true);
    PanelResize();
}

void TFramePropBase::ShowProperties(TRObject* object, TRPropBase* property) {
    if (!object || !property)
        return;
    FObject = object;
    FProperty = property;
    FLoading = true;
    FPanel->SetUseCheckBox(property->UseCheckBox());
    FPanel->SetChecked(property->Checked());
    FPanel->SetExpanded(property->Expanded());
    LoadControls();
    FLoading = false;
}

bool TFramePropBase::SetLoading(bool loading) {
    const bool former = FLoading;
    FLoading = loading;
    return former;
}

TRProject* TFramePropBase::ActiveProject() const {
    return EditorServices().ActiveProject();
}

void TFramePropBase::PropertyChanged() {
    TRProject* project = ActiveProject();
    if (FLoading || !project || !FProperty || !FObject)
        return;
    FProperty->SetChecked(FPanel->Checked());
    FProperty->SetExpanded(FPanel->Expanded());
    SaveControls();
    EditorServices().RepaintScene();
    RecordChange(*project);
}

void TFramePropBase::RecordChange(TRProject& project) {
    project.History_AddModify(FObject, FUndoType, undoIncrement);
}

void TFramePropBase::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PanelResize();
}

void TFramePropBase::PanelResize() {
    FPanel->setFixedWidth(width());
    FContainer->setGeometry(
        0, FPanel->height() - FContainer->contentsMargins().bottom() - FContainer->height() - 1,
        FPanel->width(), FContainer->height());
    setFixedHeight(FPanel->height());
}

void TFramePropBase::SetContainerHeight(int height) {
    FContainer->resize(FContainer->width(), height);
    FPanel->SetHeightExpanded(Scaled(25, this) + height + FContainer->contentsMargins().bottom());
}

namespace {

std::array<TRPropertyFrameCreator, PropertyTypeCount>& FrameCreators() {
    static std::array<TRPropertyFrameCreator, PropertyTypeCount> creators{};
    return creators;
}

} // namespace

void RegisterPropertyFrame(TRPropertyType type, TRPropertyFrameCreator creator) {
    if (type < PropertyTypeCount)
        FrameCreators()[type] = creator;
}

TFramePropBase* CreatePropertyFrame(TRPropertyType type, QWidget* parent) {
    if (type >= PropertyTypeCount || !FrameCreators()[type])
        return nullptr;
    TFramePropBase* frame = FrameCreators()[type](parent);
    frame->Init();
    return frame;
}
