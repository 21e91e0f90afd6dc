#include "properties/ui/UFramePropTextPath.h"

#include "core/ui/URGPEditEx.h"
#include "core/ui/URGPPanelEx.h"
#include "core/ui/URStyle.h"
#include "objects/URPropTextPath.h"

#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <cmath>

namespace {

TRGPEditEx* ValueEditor(const char* name, const char* caption, const char* unit, int range,
                        int snapDelta, const QList<int>& snaps, QWidget* parent) {
    auto* edit = new TRGPEditEx(parent);
    edit->setObjectName(name);
    edit->SetCaption(caption);
    edit->SetMinMaxValues(-range, range);
    edit->SetUM(unit);
    edit->SetDefaultValue(0);
    edit->SetSnapDelta(snapDelta);
    edit->SetSnapValues(snaps);
    return edit;
}

} // namespace

TFramePropTextPath::TFramePropTextPath(QWidget* parent)
    : TFramePropBase(undoTextPath, parent),
      FOffset(ValueEditor("edOffset", "Offset", "%", 100, 5, {-100, -50, 0, 50, 100}, Container())),
      FPathLabel(new QLabel("Path", Container())), FPath(new QComboBox(Container())),
      FAdjust(new QSlider(Qt::Horizontal, Container())) {
    setObjectName("TFramePropTextPath");
    resize(Scaled(451, this), Scaled(210, this));
    Panel()->setObjectName("panelTextPath");
    Panel()->SetCaption("Text Layout");
    Panel()->SetUseCheckBox(false);
    FPathLabel->setObjectName("lbtype");
    FPath->setObjectName("cbPath");
    FPath->addItems({"Line", "Bézier curve ", "Circle", "Ellipse", "Spiral", "Sinusoid"});
    FAdjust->setObjectName("edAdjust");
    FAdjust->setToolTip("Adjust");
    FAdjust->setRange(-50, 50);
    const char* names[] = {"edMLeft", "edMTop", "edMRight", "edMBottom"};
    const char* captions[] = {"Margin-L", "Margin-T", "Margin-R", "Margin-B"};
    for (int side = 0; side < 4; ++side) {
        FMargins[side] = ValueEditor(names[side], captions[side], "px", 200, 5,
                                     {-25, -10, 0, 10, 25}, Container());
        connect(FMargins[side], &TRGPEditEx::Changed, this, &TFramePropTextPath::PropertyChanged);
    }
    connect(FOffset, &TRGPEditEx::Changed, this, &TFramePropTextPath::PropertyChanged);
    connect(FPath, &QComboBox::activated, this, &TFramePropTextPath::PropertyChanged);
    connect(FAdjust, &QSlider::valueChanged, this, &TFramePropTextPath::PropertyChanged);
}

void TFramePropTextPath::Init() {
    SetContainerHeight(Scaled(180, this));
    TFramePropBase::Init();
    Panel()->SetExpanded(false);
    PanelResize();
    LayoutControls();
}

TRPropTextPath* TFramePropTextPath::Group() const {
    return dynamic_cast<TRPropTextPath*>(FProperty);
}

void TFramePropTextPath::LoadControls() {
    const TRPropTextPath* group = Group();
    if (!group)
        return;
    FOffset->SetValue(double(group->FOffset) * 100);
    FPath->setCurrentIndex(group->FPathType);
    FAdjust->setValue(static_cast<int>(std::trunc(double(group->FAdjust) * 100)));
    FAdjust->setEnabled(group->FPathType != 0);
    const float margins[] = {group->FMLeft, group->FMTop, group->FMRight, group->FMBottom};
    for (int side = 0; side < 4; ++side)
        FMargins[side]->SetValue(margins[side]);
    UpdateEnabled(Panel()->isEnabled());
}

void TFramePropTextPath::SaveControls() {
    TRPropTextPath* group = Group();
    if (!group)
        return;
    group->FOffset = static_cast<float>(FOffset->Value() / 100);
    group->FPathType = FPath->currentIndex();
    group->FAdjust = static_cast<float>(FAdjust->value()) / 100;
    FAdjust->setEnabled(group->FPathType != 0);
    float* margins[] = {&group->FMLeft, &group->FMTop, &group->FMRight, &group->FMBottom};
    for (int side = 0; side < 4; ++side)
        *margins[side] = static_cast<float>(FMargins[side]->Value());
}

void TFramePropTextPath::UpdateEnabled(bool enabled) {
    Panel()->setEnabled(enabled);
    if (!enabled)
        Panel()->SetExpanded(false);
    PanelResize();
}

void TFramePropTextPath::resizeEvent(QResizeEvent* event) {
    TFramePropBase::resizeEvent(event);
    LayoutControls();
}

void TFramePropTextPath::LayoutControls() {
    const int left = Scaled(20, this), row = Scaled(28, this), height = Scaled(24, this);
    const int width = this->width() - 2 * left, labelWidth = Scaled(70, this);
    Container()->resize(this->width(), Container()->height());
    int top = Scaled(4, this);
    FOffset->setGeometry(left, top, width, height);
    top += row;
    FPathLabel->setGeometry(left, top, labelWidth, height);
    const int half = (width - labelWidth - Scaled(8, this)) / 2;
    FPath->setGeometry(left + labelWidth, top, half, height);
    FAdjust->setGeometry(FPath->geometry().right() + Scaled(8, this) + 1, top, half, height);
    for (TRGPEditEx* margin : FMargins) {
        top += row;
        margin->setGeometry(left, top, width, height);
    }
    PanelResize();
}
