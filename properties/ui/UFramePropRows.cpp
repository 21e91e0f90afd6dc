#include "properties/ui/UFramePropRows.h"

#include "core/ui/URGPEditEx.h"
#include "core/ui/URGPPanelEx.h"
#include "core/ui/URStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <cmath>

int RowHeight(const QWidget* widget) {
    return Scaled(25, widget);
}

TFramePropRows::TFramePropRows(TUndoType undoType, const char* frameName, const char* panelName,
                               const QString& caption, QWidget* parent)
    : TFramePropBase(undoType, parent) {
    setObjectName(frameName);
    resize(Scaled(451, this), Scaled(110, this));
    Panel()->setObjectName(panelName);
    Panel()->SetCaption(caption);
}

void TFramePropRows::Init() {
    LayoutRows();
    TFramePropBase::Init();
    Panel()->SetExpanded(false);
    PanelResize();
}

TRGPEditEx* TFramePropRows::AddEditor(const TREditorRow& row) {
    auto* editor = new TRGPEditEx(Container());
    editor->setObjectName(row.Name);
    editor->SetCaption(row.Caption);
    editor->SetMinMaxValues(row.Minimum, row.Maximum);
    editor->SetUM(row.Unit);
    editor->SetDefaultValue(row.Default);
    editor->SetSnapDelta(row.SnapDelta);
    editor->SetSnapValues(row.SnapValues);
    connect(editor, &TRGPEditEx::Changed, this, &TFramePropRows::PropertyChanged);
    FEditors.push_back({editor, &row});
    FRows.push_back(editor);
    return editor;
}

QWidget* TFramePropRows::AddRow(const QString& caption, std::initializer_list<QWidget*> widgets) {
    auto* row = new QWidget(Container());
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(Scaled(30, this), 0, Scaled(20, this), 0);
    layout->setSpacing(Scaled(6, this));
    auto* label = new QLabel(caption, row);
    label->setFixedWidth(Scaled(70, this));
    layout->addWidget(label);
    for (QWidget* widget : widgets) {
        widget->setParent(row);
        layout->addWidget(widget);
    }
    layout->addStretch(1);
    FRows.push_back(row);
    return row;
}

TRGPEditEx* TFramePropRows::Editor(const char* name) const {
    for (const Bound& bound : FEditors)
        if (qstrcmp(bound.Row->Name, name) == 0)
            return bound.Editor;
    return nullptr;
}

void TFramePropRows::LayoutRows() {
    int top = 0;
    for (QWidget* row : FRows) {
        if (row->isHidden())
            continue;
        row->setGeometry(0, top, width(), RowHeight(this));
        top += RowHeight(this);
    }
    SetContainerHeight(top);
    Panel()->SetExpanded(Panel()->Expanded());
    PanelResize();
}

void TFramePropRows::LoadControls() {
    for (const Bound& bound : FEditors)
        bound.Editor->SetValue(std::round(bound.Row->Field(*FProperty) * bound.Row->Factor));
    LoadOthers();
}

void TFramePropRows::SaveControls() {
    for (const Bound& bound : FEditors)
        bound.Row->Field(*FProperty) = float(bound.Editor->Value() / bound.Row->Factor);
    SaveOthers();
}

void TFramePropRows::resizeEvent(QResizeEvent* event) {
    TFramePropBase::resizeEvent(event);
    for (QWidget* row : FRows)
        row->resize(width(), row->height());
}

QColor ToQColor(TColor color) {
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

TColor ToTColor(const QColor& color) {
    return TColor(color.red()) | TColor(color.green()) << 8 | TColor(color.blue()) << 16;
}
