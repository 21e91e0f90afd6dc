#include "properties/ui/UFramePropProjectSize.h"

#include "core/UREditorServices.h"
#include "core/URProject.h"
#include "core/URPropProjectSize.h"
#include "core/ui/URGPPanelEx.h"
#include "core/ui/URGlyphButton.h"
#include "core/ui/URGlyphs.h"
#include "core/ui/URStyle.h"
#include "properties/ui/UFramePropBackgroundBorder.h"
#include "properties/ui/UFramePropMediaSpeed.h"
#include "properties/ui/UFramePropPlacement.h"
#include "properties/ui/UFramePropShape.h"
#include "properties/ui/UFramePropText.h"
#include "properties/ui/UFramePropTextPath.h"
#include "properties/ui/UFramesEffectGroups.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <cmath>

namespace {

QSpinBox* SizeEdit(const char* name, const char* hint, int maximum, QWidget* parent) {
    auto* edit = new QSpinBox(parent);
    edit->setObjectName(name);
    edit->setToolTip(hint);
    edit->setRange(100, maximum);
    edit->setSingleStep(1);
    edit->setSuffix(" px");
    edit->setButtonSymbols(QAbstractSpinBox::NoButtons);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return edit;
}

} // namespace

TFramePropProjectSize::TFramePropProjectSize(QWidget* parent)
    : TFramePropBase(undoInit, parent), FPresetsLabel(new QLabel("Presets", Container())),
      FPresets(new QComboBox(Container())), FSizeLabel(new QLabel("Size", Container())),
      FWidth(SizeEdit("edProjWidth", "Width", 3840, Container())),
      FHeight(SizeEdit("edProjHeight", "Height", 2160, Container())),
      FAspectLock(new TRGlyphButton(GlyphLink, Container())),
      FApply(new QPushButton("Apply", Container())) {
    setObjectName("TFramePropProjectSize");
    resize(Scaled(451, this), Scaled(110, this));
    Panel()->setObjectName("panelProjectsize");
    Panel()->SetCaption("Project Size");
    Panel()->SetUseCheckBox(false);
    Panel()->SetHeightExpanded(Scaled(110, this));
    FPresets->setObjectName("cbpresets");
    FAspectLock->setObjectName("btnAspectLock");
    FAspectLock->setToolTip("Keep Aspect Ratio");
    FApply->setObjectName("btnAplly");
    FApply->setCursor(Qt::PointingHandCursor);
    connect(FPresets, &QComboBox::currentIndexChanged, this, &TFramePropProjectSize::PresetsChange);
    connect(FApply, &QPushButton::clicked, this, &TFramePropProjectSize::ApplyClick);
    connect(FWidth, &QSpinBox::valueChanged, this, [this] { SizeEdited(true); });
    connect(FHeight, &QSpinBox::valueChanged, this, [this] { SizeEdited(false); });
}

void TFramePropProjectSize::Init() {
    FPresets->addItem("Custom Size");
    FPresets->addItem("Original Size");
    for (const TRProjectSizePreset& preset : ProjectSizePresets)
        FPresets->addItem(QString("%1 x %2  %3")
                              .arg(preset.Width)
                              .arg(preset.Height)
                              .arg(QString::fromUtf8(preset.Name)));
    FWidth->setEnabled(false);
    FHeight->setEnabled(false);
    SetContainerHeight(Scaled(80, this));
    TFramePropBase::Init();
    LayoutControls();
}

TRPropProjectSize* TFramePropProjectSize::Group() const {
    return dynamic_cast<TRPropProjectSize*>(FProperty);
}

void TFramePropProjectSize::LoadControls() {
    const TRPropProjectSize* group = Group();
    if (!group)
        return;
    FWidth->setValue(group->Width);
    FHeight->setValue(group->Height);
    const bool original =
        FWidth->value() == group->OriginalWidth && FHeight->value() == group->OriginalHeight;
    FPresets->setCurrentIndex(original ? OriginalSizeRow : CustomSizeRow);
    PresetsChange();
}

void TFramePropProjectSize::PresetsChange() {
    const TRPropProjectSize* group = Group();
    if (!group)
        return;
    const int row = FPresets->currentIndex();
    FWidth->setEnabled(row == CustomSizeRow);
    FHeight->setEnabled(row == CustomSizeRow);
    FAspectLock->setEnabled(row == CustomSizeRow);
    if (Loading())
        return;
    FFollowing = true;
    if (row == CustomSizeRow) {
        FWidth->setValue(group->Width);
        FHeight->setValue(group->Height);
    } else if (row == OriginalSizeRow) {
        FWidth->setValue(group->OriginalWidth);
        FHeight->setValue(group->OriginalHeight);
    } else if (row > OriginalSizeRow && row - 2 < ProjectSizePresetCount) {
        FWidth->setValue(ProjectSizePresets[row - 2].Width);
        FHeight->setValue(ProjectSizePresets[row - 2].Height);
    }
    FFollowing = false;
}

void TFramePropProjectSize::SizeEdited(bool widthChanged) {
    const TRPropProjectSize* group = Group();
    if (Loading() || FFollowing || !group || !FAspectLock->isChecked())
        return;
    // The lock keeps the proportions the project was created with; a project without an
    // original size has none to keep.
    if (group->OriginalWidth <= 0 || group->OriginalHeight <= 0)
        return;
    const double ratio = double(group->OriginalHeight) / group->OriginalWidth;
    FFollowing = true;
    if (widthChanged)
        FHeight->setValue(static_cast<int>(std::lround(FWidth->value() * ratio)));
    else
        FWidth->setValue(static_cast<int>(std::lround(FHeight->value() / ratio)));
    FFollowing = false;
}

void TFramePropProjectSize::ApplyClick() {
    TRProject* project = ActiveProject();
    TRPropProjectSize* group = Group();
    if (Loading() || !project || !group || !FObject)
        return;
    group->SetChecked(Panel()->Checked());
    group->SetExpanded(Panel()->Expanded());
    group->Width = FWidth->value();
    group->Height = FHeight->value();
    project->SetModified(true);
    EditorServices().RepaintScene();
}

void TFramePropProjectSize::resizeEvent(QResizeEvent* event) {
    TFramePropBase::resizeEvent(event);
    LayoutControls();
}

void TFramePropProjectSize::LayoutControls() {
    const int left = Scaled(20, this);
    const int labelWidth = Scaled(70, this);
    const int row = Scaled(24, this);
    const int gap = Scaled(8, this);
    const int fieldLeft = left + labelWidth;
    const int fieldsWidth = qMax(Scaled(200, this), width() - fieldLeft - left);
    Container()->resize(width(), Container()->height());
    FPresetsLabel->setGeometry(left, gap, labelWidth, row);
    FPresets->setGeometry(fieldLeft, gap, fieldsWidth, row);
    const int top = gap * 2 + row;
    const int lock = FAspectLock->width();
    const int applyWidth = Scaled(70, this);
    const int edit = (fieldsWidth - lock - applyWidth - gap * 3) / 2;
    FSizeLabel->setGeometry(left, top, labelWidth, row);
    FWidth->setGeometry(fieldLeft, top, edit, row);
    FAspectLock->move(FWidth->geometry().right() + gap + 1, top);
    FHeight->setGeometry(FAspectLock->geometry().right() + gap + 1, top, edit, row);
    FApply->setGeometry(fieldLeft + fieldsWidth - applyWidth, top, applyWidth, row);
    PanelResize();
}

namespace {

template <class Frame> TFramePropBase* NewFrame(QWidget* parent) {
    return new Frame(parent);
}

} // namespace

void RegisterPropertyFrames() {
    RegisterEffectGroupFrames();
    RegisterPropertyFrame(ptProjectSize, [](QWidget* parent) -> TFramePropBase* {
        return new TFramePropProjectSize(parent);
    });
    for (TRPropertyType type : {ptShape, ptMask})
        RegisterPropertyFrame(type, NewFrame<TFramePropShape>);
    RegisterPropertyFrame(ptBackgroundFill, NewFrame<TFramePropBackgroundFill>);
    RegisterPropertyFrame(ptBackgroundBorder, NewFrame<TFramePropBackgroundBorder>);
    RegisterPropertyFrame(ptText, NewFrame<TFramePropText>);
    RegisterPropertyFrame(ptTextPath, NewFrame<TFramePropTextPath>);
    RegisterPropertyFrame(ptMediaSpeed, NewFrame<TFramePropMediaSpeed>);
    RegisterPropertyFrame(ptPlacement, NewFrame<TFramePropPlacement>);
}
