#pragma once
// The frames built from rows of 25 pixels: value editors bound to a group's fields by a table,
// and labelled rows of other controls. Hidden rows leave no gap; the container and the header's
// expanded height follow the rows shown.

#include "properties/ui/UFramePropBase.h"

#include <QColor>
#include <QList>
#include <vector>

class QLabel;
class TRGPEditEx;

// One value editor and the group field it shows, times `Factor` (100 for a fraction shown in
// percent).
struct TREditorRow {
    const char* Name;
    const char* Caption;
    int Minimum;
    int Maximum;
    const char* Unit;
    int Default;
    int SnapDelta;
    QList<int> SnapValues;
    float Factor;
    float& (*Field)(TRPropBase& group);
};

class TFramePropRows : public TFramePropBase {
    Q_OBJECT
public:
    TFramePropRows(TUndoType undoType, const char* frameName, const char* panelName,
                   const QString& caption, QWidget* parent);

    void Init() override;
    // The editor of the row named `name`, or null.
    TRGPEditEx* Editor(const char* name) const;

protected:
    // Appends an editor row bound to its field.
    TRGPEditEx* AddEditor(const TREditorRow& row);
    // Appends a row: a caption on the left, then the widgets; returns the row.
    QWidget* AddRow(const QString& caption, std::initializer_list<QWidget*> widgets);
    // Lays out the rows shown and sizes the container to them.
    void LayoutRows();
    void LoadControls() override;
    void SaveControls() override;
    // The controls besides the editors.
    virtual void LoadOthers() {}
    virtual void SaveOthers() {}
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Bound {
        TRGPEditEx* Editor;
        const TREditorRow* Row;
    };
    std::vector<Bound> FEditors;
    std::vector<QWidget*> FRows;
};

// The height of one row.
int RowHeight(const QWidget* widget);

// A 0x00BBGGRR colour as a QColor and back.
QColor ToQColor(TColor color);
TColor ToTColor(const QColor& color);

// A field of group class G for an editor row.
template <class G, float G::*Member> float& FieldOf(TRPropBase& group) {
    return static_cast<G&>(group).*Member;
}
