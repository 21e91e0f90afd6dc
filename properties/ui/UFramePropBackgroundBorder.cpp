#include "properties/ui/UFramePropBackgroundBorder.h"

#include "core/ui/URGPEditEx.h"
#include "core/ui/URGPPanelEx.h"
#include "core/ui/URStyle.h"
#include "objects/URPropBackgroundBorder.h"

#include <QComboBox>
#include <QLabel>

namespace {

struct EditorSetting {
    const char* name;
    const char* caption;
    int minimum, maximum, defaultValue;
    QList<int> snaps;
};

TRGPEditEx* PixelEditor(const EditorSetting& s, QWidget* parent) {
    auto* edit = new TRGPEditEx(parent);
    edit->setObjectName(s.name);
    edit->SetCaption(s.caption);
    edit->SetMinMaxValues(s.minimum, s.maximum);
    edit->SetUM("px");
    edit->SetDefaultValue(s.defaultValue);
    edit->SetSnapValues(s.snaps);
    edit->SetSnapDelta(1);
    return edit;
}

QComboBox* Combo(const char* name, const QStringList& items, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->addItems(items);
    return combo;
}

} // namespace

TFramePropBackgroundBorder::TFramePropBackgroundBorder(QWidget* parent)
    : TFramePropBackgroundFill(undoBackgroundBorder, "Border", 160, parent),
      FThickness(PixelEditor(
          {"edBackgroundBorderThickness", "Thickness", 0, 20, 1, {1, 5, 10, 15, 20}}, Container())),
      FInflate(PixelEditor({"edInflate",
                            "Offset",
                            -50,
                            50,
                            0,
                            {-50, -40, -30, -20, -10, -5, 0, 5, 10, 20, 30, 40, 50}},
                           Container())),
      FBlur(PixelEditor({"edBlur", "Blur Size", 0, 20, 0, {0, 2, 4, 6, 10, 20}}, Container())),
      FStyleLabel(new QLabel("Style", Container())),
      FDash(Combo("cbdash", {"Solid", "Dash", "Dot", "Dash Dot", "Dash Dot Dot"}, Container())),
      FCap(Combo("cbcap", {"Flat", "Square", "Round", "Triangle"}, Container())) {
    setObjectName("TFramePropBackgroundBorder");
    Panel()->setObjectName("panelBackgroundBorder");
    FStyleLabel->setObjectName("lbstyle");
    for (TRGPEditEx* edit : {FThickness, FInflate, FBlur})
        connect(edit, &TRGPEditEx::Changed, this, &TFramePropBackgroundBorder::PropertyChanged);
    for (QComboBox* combo : {FDash, FCap})
        connect(combo, &QComboBox::activated, this, &TFramePropBackgroundBorder::PropertyChanged);
}

void TFramePropBackgroundBorder::LoadControls() {
    TFramePropBackgroundFill::LoadControls();
    const auto* group = dynamic_cast<const TRPropBackgroundBorder*>(FProperty);
    if (!group)
        return;
    FThickness->SetValue(group->FThickness);
    FDash->setCurrentIndex(group->FDashStyle);
    FCap->setCurrentIndex(group->FCapStyle);
    FInflate->SetValue(group->FInflate);
    FBlur->SetValue(group->FBlur);
}

void TFramePropBackgroundBorder::SaveControls() {
    TFramePropBackgroundFill::SaveControls();
    auto* group = dynamic_cast<TRPropBackgroundBorder*>(FProperty);
    if (!group)
        return;
    group->FDashStyle = std::max(FDash->currentIndex(), 0);
    group->FCapStyle = std::max(FCap->currentIndex(), 0);
    group->FInflate = static_cast<float>(FInflate->Value());
    group->FBlur = static_cast<float>(FBlur->Value());
    group->FThickness = static_cast<float>(FThickness->Value());
}

void TFramePropBackgroundBorder::LayoutControls() {
    TFramePropBackgroundFill::LayoutControls();
    const int row = RowHeight(), top = Scaled(4, this) + 2 * row;
    const int editHeight = Scaled(24, this);
    FThickness->setGeometry(Left(), top, RowWidth(), editHeight);
    FInflate->setGeometry(Left(), top + row, RowWidth(), editHeight);
    FBlur->setGeometry(Left(), top + 2 * row, RowWidth(), editHeight);
    const int styleTop = top + 3 * row;
    const int labelWidth = Scaled(70, this);
    const int comboWidth = (RowWidth() - labelWidth - Scaled(8, this)) / 2;
    FStyleLabel->setGeometry(Left(), styleTop, labelWidth, editHeight);
    FDash->setGeometry(Left() + labelWidth, styleTop, comboWidth, editHeight);
    FCap->setGeometry(FDash->geometry().right() + Scaled(8, this) + 1, styleTop, comboWidth,
                      editHeight);
}
