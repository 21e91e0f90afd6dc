#pragma once
// The inspector frame of the image effect: the kind (those the object type offers), its colour
// or angle where the kind uses one, the intensity and the invert (or border) flag.

#include "properties/ui/UFramePropRows.h"

class QCheckBox;
class QComboBox;
class QLabel;
class TRColorButton;
class TRDial;

class TFramePropEffect : public TFramePropRows {
    Q_OBJECT
public:
    explicit TFramePropEffect(QWidget* parent = nullptr);

    void Init() override;
    // Fills the kind list for the object type the page shows; once, after Init.
    void SetObjectType(TRObjectType objectType);

    QComboBox* NameBox() const { return FName; }
    TRColorButton* ColorButton() const { return FColor; }
    TRDial* AngleDial() const { return FAngle; }
    QCheckBox* InvertBox() const { return FInvert; }
    QLabel* InvertLabel() const { return FInvertLabel; }

protected:
    void LoadOthers() override;
    void SaveOthers() override;

private:
    void NameChange();
    // Colour for the kinds that use one, angle for the others that do.
    void ShowKindControls();

    QComboBox* FName;
    TRColorButton* FColor;
    TRDial* FAngle;
    QCheckBox* FInvert;
    QWidget* FInvertRow;
    QLabel* FInvertLabel = nullptr;
    // A stored kind the list does not offer: kept until the user picks another.
    QString FUnlisted;
};
