#include "properties/ui/UFramePropPlacement.h"

#include "core/UREditorServices.h"
#include "core/URProject.h"
#include "core/ui/URAlignButton.h"
#include "core/ui/URDial.h"
#include "core/ui/URGPEditEx.h"
#include "core/ui/URGPPanelEx.h"
#include "core/ui/URGlyphButton.h"
#include "core/ui/URGlyphs.h"
#include "core/ui/URStyle.h"
#include "objects/URPropPlacement.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QSpinBox>
#include <cmath>

namespace {

const TREditorRow ScaleRow{"EdScale", "Scale",
                           10,        200,
                           "%",       100,
                           5,         {10, 50, 80, 100, 125, 150, 175, 200},
                           100,       FieldOf<TRPropPlacement, &TRPropPlacement::FScale>};
const TREditorRow OpacityRow{"edOpacity", "Opacity",
                             0,           100,
                             "%",         100,
                             5,           {0, 25, 50, 75, 100},
                             100,         FieldOf<TRPropPlacement, &TRPropPlacement::FOpacity>};

const QList<int> RotationPresets{-135, -90, -75, -60, -45, -30, -15, 0,
                                 15,   30,  45,  60,  90,  135, 180};

QSpinBox* PixelEdit(const char* name, const char* hint, int minimum, int maximum) {
    auto* edit = new QSpinBox;
    edit->setObjectName(name);
    edit->setToolTip(hint);
    edit->setRange(minimum, maximum);
    edit->setSuffix(" px");
    edit->setButtonSymbols(QAbstractSpinBox::NoButtons);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edit->setFixedWidth(Scaled(64, edit));
    return edit;
}

TRDial* NewRotationDial(const char* name, const char* hint) {
    auto* dial = new TRDial;
    dial->setObjectName(name);
    dial->setToolTip(hint);
    dial->SetRange(-180, 180);
    dial->SetDefaultValue(0);
    dial->SetPresets(RotationPresets);
    dial->setFixedSize(Scaled(22, dial), Scaled(22, dial));
    return dial;
}

QLabel* DialCaption() {
    auto* label = new QLabel;
    label->setFixedWidth(Scaled(44, label));
    return label;
}

TRGlyphButton* Toggle(int glyph, const char* name, const char* hint) {
    auto* button = new TRGlyphButton(glyph);
    button->setObjectName(name);
    button->setToolTip(hint);
    return button;
}

int Rounded(double value) {
    return static_cast<int>(std::lround(value));
}

} // namespace

TFramePropPlacement::TFramePropPlacement(QWidget* parent)
    : TFramePropRows(undoPlacement, "TFramePropPlacement", "panelPlacement", "Placement & Opacity",
                     parent),
      FPositionLabel(nullptr), FX(PixelEdit("edX", "X", -3840, 3840)),
      FY(PixelEdit("edY", "Y", -2160, 2160)), FSizeLabel(nullptr),
      FWidth(PixelEdit("edWidth", "Width", 1, 3840)),
      FHeight(PixelEdit("edHeight", "Height", 1, 2160)),
      FAspectRatio(Toggle(GlyphUnlink, "btnAspectRatio", "Aspect Ratio")),
      FLocked(Toggle(GlyphUnlock, "btnLocked", "Lock")), FScale(nullptr),
      FRotationLabel(nullptr), FDials{NewRotationDial("edRotationX", "Rotation X"),
                                      NewRotationDial("edRotationY", "Rotation Y"),
                                      NewRotationDial("edRotationZ", "Rotation Z")},
      FDialCaptions{DialCaption(), DialCaption(), DialCaption()},
      FRotations(Toggle(GlyphLink, "btnRotations", "Intrinsic Rotations")),
      FOpacity(nullptr), FAlign{new TRAlignButton(1), new TRAlignButton(2), new TRAlignButton(3),
                                new TRAlignButton(4), new TRAlignButton(5), new TRAlignButton(6)} {
    const char* alignNames[6] = {"btnLeft", "btnCenter", "btnRight",
                                 "btnTop",  "btnMiddle", "btnBottom"};
    const char* alignHints[6] = {"Align Left", "Align Center", "Align Right",
                                 "Align Top",  "Align Middle", "Align Bottom"};
    for (int i = 0; i < 6; ++i) {
        FAlign[i]->setObjectName(alignNames[i]);
        FAlign[i]->setToolTip(alignHints[i]);
        connect(FAlign[i], &QAbstractButton::clicked, this, [this, i] { AlignClick(i + 1); });
    }
    QWidget* position = AddRow("Position", {FX, FY, FAlign[0], FAlign[1], FAlign[2]});
    QWidget* size = AddRow("Size", {FWidth, FAspectRatio, FHeight, FLocked, FAlign[3], FAlign[4],
                                    FAlign[5], FRotations});
    FPositionLabel = position->findChild<QLabel*>();
    FSizeLabel = size->findChild<QLabel*>();
    FScale = AddEditor(ScaleRow);
    // The scale changes the shown size first; the write-back follows.
    disconnect(FScale, &TRGPEditEx::Changed, this, nullptr);
    connect(FScale, &TRGPEditEx::Changed, this, &TFramePropPlacement::ScaleChange);
    QWidget* rotation = AddRow("Rotation", {FDials[0], FDialCaptions[0], FDials[1],
                                            FDialCaptions[1], FDials[2], FDialCaptions[2]});
    FRotationLabel = rotation->findChild<QLabel*>();
    FOpacity = AddEditor(OpacityRow);
    FRotations->hide();
    for (int axis = 0; axis < 3; ++axis)
        connect(FDials[axis], &TRDial::Changed, this, [this, axis] {
            ShowDialValue(axis);
            PropertyChanged();
        });
    connect(FRotations, &QAbstractButton::clicked, this, &TFramePropPlacement::PropertyChanged);
    for (QSpinBox* edit : {FX, FY}) {
        connect(edit, &QSpinBox::valueChanged, this, &TFramePropPlacement::PositionChange);
        edit->installEventFilter(this);
    }
    connect(FWidth, &QSpinBox::valueChanged, this, [this] { SizeChange(true); });
    connect(FHeight, &QSpinBox::valueChanged, this, [this] { SizeChange(false); });
    connect(FAspectRatio, &QAbstractButton::toggled, this, &TFramePropPlacement::AspectRatioClick);
    connect(FLocked, &QAbstractButton::toggled, this, &TFramePropPlacement::LockedClick);
    Panel()->SetOnRefresh([this] { Reset(); });
}

void TFramePropPlacement::Init() {
    TFramePropRows::Init();
    Panel()->SetUseCheckBox(false);
    Panel()->SetExpanded(true);
    PanelResize();
}

void TFramePropPlacement::SetObjectType(TRObjectType type) {
    FObjectType = type;
    FOpacity->setEnabled(type != otBlur);
    UpdateInterface();
}

TRPropPlacement* TFramePropPlacement::Group() const {
    return dynamic_cast<TRPropPlacement*>(FProperty);
}

void TFramePropPlacement::LoadOthers() {
    EditorServices().ClearSceneHelperLines(false);
    ShowPlacement();
    const TRPropPlacement* group = Group();
    FRotations->setChecked(group->FIntrinsicRotations);
    FAspectRatio->setChecked(group->FAspectRatio);
    FLocked->setChecked(group->FLocked);
    AspectRatioClick();
    LockedClick();
}

void TFramePropPlacement::ShowPlacement() {
    const TRPropPlacement* group = Group();
    if (!group)
        return;
    FX->setValue(Rounded(group->FPosition.x()));
    FY->setValue(Rounded(group->FPosition.y()));
    FDials[0]->SetValue(Rounded(group->FRotationX));
    FDials[1]->SetValue(Rounded(group->FRotationY));
    FDials[2]->SetValue(Rounded(group->FRotationZ));
    ShowSize(group->GetScaledSize());
    for (int axis = 0; axis < 3; ++axis)
        ShowDialValue(axis);
}

void TFramePropPlacement::ShowSize(const QSizeF& size) {
    FSizeGuard = true;
    FWidth->setValue(Rounded(size.width()));
    FHeight->setValue(Rounded(size.height()));
    FSizeGuard = false;
}

void TFramePropPlacement::ShowDialValue(int axis) {
    const char* names[3] = {"X", "Y", "Z"};
    FDialCaptions[axis]->setText(
        QString("%1 %2%3").arg(names[axis]).arg(FDials[axis]->Value()).arg(QChar(0x00BA)));
}

void TFramePropPlacement::SaveOthers() {
    TRPropPlacement* group = Group();
    group->FPosition = QPointF(FX->value(), FY->value());
    group->FRotationX = float(FDials[0]->Value());
    group->FRotationY = float(FDials[1]->Value());
    group->FRotationZ = float(FDials[2]->Value());
    group->FIntrinsicRotations = FRotations->isChecked();
    group->SetScaledSize(QSizeF(FWidth->value(), FHeight->value()));
    group->FAspectRatio = FAspectRatio->isChecked();
    group->FLocked = FLocked->isChecked();
    EditorServices().SelectionFollow(FObject);
}

void TFramePropPlacement::UpdateProperties(TRObject* object, TRPropBase* property) {
    if (!object || !dynamic_cast<TRPropPlacement*>(property))
        return;
    FObject = object;
    FProperty = property;
    const bool loading = SetLoading(true);
    ShowPlacement();
    SetLoading(loading);
}

void TFramePropPlacement::PositionChange() {
    PropertyChanged();
}

void TFramePropPlacement::SizeChange(bool width) {
    const TRPropPlacement* group = Group();
    if (FSizeGuard || Loading() || !group)
        return;
    const QSizeF original = group->FOriginalSize;
    // An original size with a zero side has no proportions to keep: the other field stays.
    if (FAspectRatio->isChecked() && original.width() > 0 && original.height() > 0) {
        const double ratio = original.width() / original.height();
        FSizeGuard = true;
        if (width)
            FHeight->setValue(Rounded(FWidth->value() / ratio));
        else
            FWidth->setValue(Rounded(FHeight->value() * ratio));
        FSizeGuard = false;
    }
    PropertyChanged();
}

void TFramePropPlacement::ScaleChange() {
    TRPropPlacement* group = Group();
    if (Loading() || !ActiveProject() || !group || !FObject)
        return;
    group->FScale = float(FScale->Value() / 100);
    ShowSize(group->GetScaledSize());
    PropertyChanged();
}

void TFramePropPlacement::AspectRatioClick() {
    FAspectRatio->SetGlyphIndex(FAspectRatio->isChecked() ? GlyphLink : GlyphUnlink);
    if (!Loading())
        PropertyChanged();
}

void TFramePropPlacement::LockedClick() {
    FLocked->SetGlyphIndex(FLocked->isChecked() ? GlyphLock : GlyphUnlock);
    UpdateInterface();
    if (!Loading())
        PropertyChanged();
}

void TFramePropPlacement::UpdateInterface() {
    const bool enabled = !FLocked->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{
             FX, FY, FPositionLabel, FWidth, FHeight, FSizeLabel, FAspectRatio, FRotationLabel,
             FDials[2], FDialCaptions[2], FScale})
        control->setEnabled(enabled);
    for (TRAlignButton* button : FAlign)
        button->setEnabled(enabled);
    const bool tilts = enabled && FObjectType != otBlur;
    for (int axis = 0; axis < 2; ++axis) {
        FDials[axis]->setEnabled(tilts);
        FDialCaptions[axis]->setEnabled(tilts);
    }
}

void TFramePropPlacement::AlignClick(int kind) {
    if (Loading() || !ActiveProject() || !FProperty || !FObject)
        return;
    EditorServices().AlignSelection(std::uint8_t(kind));
}

void TFramePropPlacement::Reset() {
    TRProject* project = ActiveProject();
    TRPropPlacement* group = Group();
    if (Loading() || !project || !group || !FObject)
        return;
    group->FPosition = QPointF(0, 0);
    group->FSize = group->FOriginalSize;
    group->FRotationX = group->FRotationY = group->FRotationZ = 0;
    group->FOpacity = 1;
    group->FScale = 1;
    const bool loading = SetLoading(true);
    ShowPlacement();
    FScale->SetValue(100);
    FOpacity->SetValue(100);
    SetLoading(loading);
    EditorServices().SelectionFollow(FObject);
    EditorServices().RepaintScene();
    project->History_AddModify(FObject, undoPlacement, undoIncrement);
}

bool TFramePropPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && !Loading() && ActiveProject()) {
        // Guides show while a position field has the focus.
        EditorServices().ClearSceneHelperLines(false);
        EditorServices().ShowSceneHelperLines();
    } else if (event->type() == QEvent::FocusOut) {
        EditorServices().ClearSceneHelperLines(true);
    }
    return TFramePropRows::eventFilter(watched, event);
}
