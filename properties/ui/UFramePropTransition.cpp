#include "properties/ui/UFramePropTransition.h"

#include "core/URObject.h"
#include "core/URProject.h"
#include "core/URPropTransition.h"
#include "core/ui/URColorButton.h"
#include "core/ui/UREaseMenu.h"
#include "core/ui/URGPEditEx.h"
#include "core/ui/URGPPanelEx.h"
#include "core/ui/URStyle.h"
#include "properties/ui/UFramePropFlipOpacity.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QToolButton>

namespace {

const TREditorRow BorderSizeRow = {"edBorderSize",
                                   "Border",
                                   0,
                                   100,
                                   "px",
                                   10,
                                   2,
                                   {0, 10, 20, 30},
                                   1,
                                   FieldOf<TRPropTransition, &TRPropTransition::FBorderSize>};
const TREditorRow ScaleRow = {"edScale", "Scale",
                              0,         500,
                              "%",       100,
                              5,         {0, 50, 80, 100, 200, 300, 400, 500},
                              100,       FieldOf<TRPropTransition, &TRPropTransition::FScale>};

// The rows a kind shows and the caption and unit of its parameter (no caption: hidden).
struct KindLayout {
    const char* Names[4];
    bool Direction, Movement, Center, Border;
    const char* Caption;
    const char* Unit;
};

const KindLayout KindLayouts[] = {
    {{"Custom", "Custom In", "Custom Out"}, false, true, false, false, "Blur Size", "px"},
    {{"Circle Open", "Circle Close", "Rectangle Open", "Rectangle Close"},
     false,
     false,
     true,
     true,
     "Border",
     "px"},
    {{"Reveal", "Wipe"}, true, false, false, true, "Border", "px"},
    {{"Slide", "Flip"}, true, false, false, false, "Blur Size", "px"},
    {{"Pixelate"}, false, false, false, false, "Size", "px"},
    {{"Genie"}, false, false, false, false, "Position", "%"},
    {{"Magnify"}, false, false, true, false, "Zoom", "%"},
    {{"Swirl", "Radial Blur", "Spin Blur", "Fisheye Lens"},
     false,
     false,
     true,
     false,
     "Strength",
     ""},
    {{"Dissolve"}, false, false, false, false, "Strength", ""},
    {{"Zoom In", "Zoom Out"}, false, false, false, false, nullptr, ""},
};

const KindLayout* LayoutOf(const QString& name) {
    for (const KindLayout& layout : KindLayouts)
        for (const char* kind : layout.Names)
            if (kind && name == QLatin1String(kind))
                return &layout;
    return nullptr;
}

QToolButton* Radio(const char* name, const QString& caption, const QString& hint) {
    QToolButton* button = MakeToggle(name, caption, hint);
    button->setAutoExclusive(true);
    return button;
}

QSlider* CenterTrack(const char* name) {
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setObjectName(name);
    slider->setRange(-100, 100);
    return slider;
}

TRTransitionPlay& TransitionPlay() {
    static TRTransitionPlay play;
    return play;
}

} // namespace

void InstallTransitionPlay(TRTransitionPlay play) {
    TransitionPlay() = std::move(play);
}

TFramePropTransition::TFramePropTransition(QWidget* parent)
    : TFramePropRows(undoTransitionIn, "TransitionIn", "panelTransition", "Transition In", parent),
      FName(new QComboBox), FEase(MakeToggle("btnEase", "Ease", "Easing function")),
      FPlay(MakeToggle("btnPlay", QString(QChar(0x25B6)), "Play")),
      FEaseMenu(new QMenu(this)), FDirections{Radio("btnLeft", QString(QChar(0x25C0)), "Left"),
                                              Radio("btnDown", QString(QChar(0x25BC)), "Down"),
                                              Radio("btnUp", QString(QChar(0x25B2)), "Up"),
                                              Radio("btnRight", QString(QChar(0x25B6)), "Right")},
      FMovements{MakeToggle("btnMoveLeft", QString(QChar(0x25C0)), "Left"),
                 MakeToggle("btnMoveDown", QString(QChar(0x25BC)), "Down"),
                 MakeToggle("btnMoveUp", QString(QChar(0x25B2)), "Up"),
                 MakeToggle("btnMoveRight", QString(QChar(0x25B6)), "Right"),
                 MakeToggle("btnMoveCenter", QString(QChar(0x25CF)), "Center")},
      FCenter(MakeToggle("btnCenter", QString(QChar(0x25CE)), "Center")),
      FCenterX(CenterTrack("trackCenterX")), FCenterY(CenterTrack("trackCenterY")),
      FBorderType(new QComboBox), FColor(new TRColorButton), FFade(new QCheckBox),
      FSpin(new QCheckBox("Spin")), FType(new QComboBox), FIncludeBack(new QCheckBox("Back")) {
    FName->setObjectName("cbName");
    FName->setMinimumWidth(Scaled(160, this));
    FEase->setCheckable(false);
    FEase->setMenu(FEaseMenu);
    FEase->setPopupMode(QToolButton::InstantPopup);
    FPlay->setCheckable(false);
    FCenter->setCheckable(false);
    FBorderType->setObjectName("cbBorderType");
    FBorderType->addItems({"Alpha Gradient", "Solid Color", "Color Gradient"});
    FColor->setObjectName("btnColor");
    FFade->setObjectName("edfade");
    FSpin->setObjectName("edspin");
    FType->setObjectName("cbType");
    FType->addItems({"First / Last", "First / Current", "Current / Last", "Current / Current"});
    FIncludeBack->setObjectName("edincludeback");
    FIncludeBack->setToolTip("Include Background");
    AddRow("Name", {FName, FEase, FPlay})->setObjectName("pName");
    FDirectionRow =
        AddRow("Direction", {FDirections[0], FDirections[1], FDirections[2], FDirections[3]});
    FMovementRow = AddRow(
        "Movement", {FMovements[0], FMovements[1], FMovements[2], FMovements[3], FMovements[4]});
    FCenterRow = AddRow("Center X,Y", {FCenter, FCenterX, FCenterY});
    AddEditor(BorderSizeRow);
    AddEditor(ScaleRow);
    FBorderRow = AddRow("Style", {FBorderType, FColor});
    FFadeRow = AddRow("Fade", {FFade, FSpin});
    FTypeRow = AddRow("Images", {FType, FIncludeBack});
    FDirectionRow->setObjectName("pDirection");
    FMovementRow->setObjectName("pMovement");
    FCenterRow->setObjectName("pCenter");
    FBorderRow->setObjectName("pborder");
    FFadeRow->setObjectName("pfade");
    FTypeRow->setObjectName("pType");

    FillEaseMenu(*FEaseMenu, [this](int ease) { EaseClick(ease); });

    connect(FName, &QComboBox::activated, this, &TFramePropTransition::NameChange);
    connect(FPlay, &QToolButton::clicked, this, &TFramePropTransition::PlayClick);
    connect(FCenter, &QToolButton::clicked, this, [this] {
        FCenterX->setValue(0);
        FCenterY->setValue(0);
    });
    for (QAbstractButton* button : FDirections)
        connect(button, &QAbstractButton::clicked, this, &TFramePropTransition::PropertyChanged);
    for (QAbstractButton* button : FMovements)
        connect(button, &QAbstractButton::clicked, this, [this, button] { MovementClick(button); });
    connect(FCenterX, &QSlider::valueChanged, this, &TFramePropTransition::PropertyChanged);
    connect(FCenterY, &QSlider::valueChanged, this, &TFramePropTransition::PropertyChanged);
    connect(FBorderType, &QComboBox::activated, this, [this] {
        FColor->setVisible(FBorderType->currentIndex() > 0);
        PropertyChanged();
    });
    connect(FColor, &TRColorButton::Changed, this, &TFramePropTransition::PropertyChanged);
    for (QCheckBox* box : {FFade, FSpin, FIncludeBack})
        connect(box, &QCheckBox::toggled, this, &TFramePropTransition::PropertyChanged);
    connect(FType, &QComboBox::activated, this, &TFramePropTransition::PropertyChanged);
}

void TFramePropTransition::Init() {
    SetSide(FSide, FObjectType);
    TFramePropRows::Init();
}

void TFramePropTransition::SetSide(TRPropertyType side, TRObjectType objectType) {
    FSide = side;
    FObjectType = objectType;
    const bool object = side != ptTrIn && side != ptTrOut;
    setObjectName(side == ptTrIn    ? "TransitionIn"
                  : side == ptTrOut ? "TransitionOut"
                                    : "TransitionObj");
    Panel()->SetCaption(side == ptTrIn    ? "Transition In"
                        : side == ptTrOut ? "Transition Out"
                                          : "Transition");
    Panel()->SetUseCheckBox(!object);
    FTypeRow->setHidden(!object);
    FName->clear();
    for (const TRTransitionKind& kind : TransitionKinds) {
        const bool offered = side == ptTrIn    ? kind.ForIn
                             : side == ptTrOut ? kind.ForOut
                                               : kind.ForObject;
        const bool zoom = (side == ptTrIn && qstrcmp(kind.Name, "Zoom In") == 0) ||
                          (side == ptTrOut && qstrcmp(kind.Name, "Zoom Out") == 0);
        if (offered && (!zoom || objectType == otZoomArea))
            FName->addItem(kind.Name);
    }
    LayoutKind();
}

QWidget* TFramePropTransition::Row(const char* name) const {
    if (TRGPEditEx* editor = Editor(name))
        return editor;
    return Container()->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
}

void TFramePropTransition::LayoutKind() {
    const KindLayout* layout = LayoutOf(FName->currentText());
    const bool custom = FName->currentIndex() == 0 && layout == &KindLayouts[0];
    FDirectionRow->setHidden(!layout || !layout->Direction);
    FMovementRow->setHidden(!custom);
    FCenterRow->setHidden(!layout || !layout->Center);
    FBorderRow->setHidden(!layout || !layout->Border);
    FFadeRow->setHidden(!custom);
    Editor("edScale")->setHidden(!custom);
    TRGPEditEx* parameter = Editor("edBorderSize");
    parameter->setHidden(layout && !layout->Caption);
    if (layout && layout->Caption) {
        parameter->SetCaption(layout->Caption);
        parameter->SetUM(layout->Unit);
    }
    FColor->setVisible(FBorderType->currentIndex() > 0);
    LayoutRows();
}

TRPropTransition& TFramePropTransition::Group() const {
    return static_cast<TRPropTransition&>(*FProperty);
}

void TFramePropTransition::NameChange() {
    FUnlisted.clear();
    LayoutKind();
    PropertyChanged();
}

void TFramePropTransition::MovementClick(QAbstractButton* button) {
    for (QAbstractButton* other : FMovements)
        if (other != button)
            other->setChecked(false);
    PropertyChanged();
}

void TFramePropTransition::EaseClick(int ease) {
    if (Loading() || !ActiveProject() || !FProperty || !FObject)
        return;
    FEaseValue = ease;
    SetCheckMenuItem(ease);
    // Unlike a bare menu choice, the curve is an edit like any other: it is undone and it
    // marks the project modified.
    PropertyChanged();
}

void TFramePropTransition::SetCheckMenuItem(int ease) {
    CheckEaseMenu(*FEaseMenu, ease);
}

int TFramePropTransition::CheckedEase() const {
    return ::CheckedEase(*FEaseMenu);
}

void TFramePropTransition::PlayClick() {
    if (Loading() || !ActiveProject() || !FProperty || !FObject || !TransitionPlay())
        return;
    const TRPropTransition& group = Group();
    std::int32_t start = FObject->TimeStart();
    std::int32_t end = FObject->TimeEnd();
    if (FSide == ptTrIn)
        end = start + group.FDuration;
    else if (FSide == ptTrOut)
        start = end - group.FDuration;
    TransitionPlay()(start, end);
}

void TFramePropTransition::LoadOthers() {
    const TRPropTransition& group = Group();
    FType->setCurrentIndex(qBound(0, group.FType, FType->count() - 1));
    const int index = FName->findText(group.FName);
    FUnlisted = index < 0 ? group.FName : QString();
    FName->setCurrentIndex(qMax(0, index));
    FCenterX->setValue(int(group.FCenterX * 100));
    FCenterY->setValue(int(group.FCenterY * 100));
    FBorderType->setCurrentIndex(qBound(0, group.FBorderType, FBorderType->count() - 1));
    FColor->SetColor(ToQColor(group.FColor));
    if (group.FDirection >= 1 && group.FDirection <= 4)
        FDirections[group.FDirection - 1]->setChecked(true);
    FFade->setChecked(group.FFade);
    FSpin->setChecked(group.FSpin);
    FIncludeBack->setChecked(group.FIncludeBack);
    for (int i = 0; i < 5; ++i)
        FMovements[i]->setChecked(group.FMoveDirection == i + 1);
    FEaseValue = group.FEase;
    SetCheckMenuItem(group.FEase);
    LayoutKind();
}

void TFramePropTransition::SaveOthers() {
    TRPropTransition& group = Group();
    group.FType = FType->currentIndex();
    group.FName = FUnlisted.isEmpty() ? FName->currentText() : FUnlisted;
    group.FCenterX = float(FCenterX->value()) / 100;
    group.FCenterY = float(FCenterY->value()) / 100;
    group.FBorderType = FBorderType->currentIndex();
    group.FColor = ToTColor(FColor->Color());
    for (int i = 0; i < 4; ++i)
        if (FDirections[i]->isChecked())
            group.FDirection = i + 1;
    group.FMoveDirection = 0;
    for (int i = 0; i < 5; ++i)
        if (FMovements[i]->isChecked())
            group.FMoveDirection = i + 1;
    group.FFade = FFade->isChecked();
    group.FSpin = FSpin->isChecked();
    group.FIncludeBack = FIncludeBack->isChecked();
    group.FEase = FEaseValue;
}

void TFramePropTransition::RecordChange(TRProject& project) {
    const TUndoType type = FSide == ptTrIn    ? undoTransitionIn
                           : FSide == ptTrOut ? undoTransitionOut
                                              : undoTransitionObj;
    project.History_AddModify(FObject, type, undoIncrement);
}
