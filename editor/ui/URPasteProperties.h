#pragma once
// The Paste Properties dialog: one check box per property group of the target, enabled only for
// the groups the copy holds, giving back which groups to paste. For one object the boxes follow
// the type's inspector order; for a multi-selection (otProject) the groups every selected object
// has, in property-type order. Created once at start-up; every Execute rebuilds the boxes.

#include "core/URPropBase.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QPushButton;

class TRPasteProperties : public QDialog {
    Q_OBJECT
public:
    static constexpr int BoxCount = 22;

    explicit TRPasteProperties(QWidget* parent = nullptr);

    // Shows the dialog for a target of `objectType`; after Paste, `props` holds the groups to
    // paste and the result is true. Otherwise `props` is left as it was.
    bool Execute(TRObjectType objectType, TRPropertiesChecked& props);
    // Lays the boxes out as Execute does, without showing the dialog.
    void Prepare(TRObjectType objectType, const TRPropertiesChecked& props);
    // What Paste gives: the checked state of every shown, enabled box, nothing else.
    void Collect(TRPropertiesChecked& props) const;

    // Box `number` (1..BoxCount) and the group it stands for (0 for none).
    QCheckBox* Box(int number) const { return FBoxes[size_t(number - 1)]; }
    int BoxTag(int number) const { return FBoxTags[size_t(number - 1)]; }

    // Whether the copy in PropertiesClipboard can give a group of `type`.
    static bool Pasteable(TRPropertyType type);

    // 1 after Paste, 0 otherwise.
    int Tag = 0;
    QCheckBox* ckAll;
    QPushButton* btnPaste;
    QPushButton* btnCancel;

private:
    void BuildForm();
    // Box `number` stands for `type`; ptBase hides it.
    void SetBox(int number, TRPropertyType type);
    void CheckAllClick();

    std::array<QCheckBox*, BoxCount> FBoxes{};
    std::array<int, BoxCount> FBoxTags{};
};
