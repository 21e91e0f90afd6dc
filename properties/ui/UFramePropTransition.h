#pragma once
// The inspector frame of a transition group (an object's Transition In or Out, or a transition
// object's): the kind, from the kinds the side offers, with the rows that kind uses, the easing
// curve and a play button.

#include "properties/ui/UFramePropRows.h"

#include <functional>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QMenu;
class QSlider;
class QToolButton;
class TRColorButton;
class TRPropTransition;

// Plays the timeline span start..end (ms), or stops the player when it runs; installed by the
// editor, nothing plays without it.
using TRTransitionPlay = std::function<void(std::int32_t start, std::int32_t end)>;
void InstallTransitionPlay(TRTransitionPlay play);

class TFramePropTransition : public TFramePropRows {
    Q_OBJECT
public:
    explicit TFramePropTransition(QWidget* parent = nullptr);

    void Init() override;
    // The side (ptTrIn, ptTrOut or ptTransitionObj) and the object type whose page shows the
    // frame; once, after Init.
    void SetSide(TRPropertyType side, TRObjectType objectType);

    QComboBox* NameBox() const { return FName; }
    QMenu* EaseMenu() const { return FEaseMenu; }
    QToolButton* PlayButton() const { return FPlay; }
    QAbstractButton* DirectionButton(int tag) const { return FDirections[tag - 1]; }
    QAbstractButton* MovementButton(int tag) const { return FMovements[tag - 1]; }
    QComboBox* BorderTypeBox() const { return FBorderType; }
    TRColorButton* ColorButton() const { return FColor; }
    QWidget* Row(const char* name) const;
    // The easing item checked, 0 for "Linear".
    int CheckedEase() const;

protected:
    void LoadOthers() override;
    void SaveOthers() override;
    void RecordChange(TRProject& project) override;

private:
    void NameChange();
    void EaseClick(int ease);
    void PlayClick();
    void MovementClick(QAbstractButton* button);
    void SetCheckMenuItem(int ease);
    // The rows, caption and unit of the kind shown.
    void LayoutKind();
    TRPropTransition& Group() const;

    TRPropertyType FSide = ptTrIn;
    TRObjectType FObjectType = otImage;
    QComboBox* FName;
    QToolButton* FEase;
    QToolButton* FPlay;
    QMenu* FEaseMenu;
    QAbstractButton* FDirections[4];
    QAbstractButton* FMovements[5];
    QToolButton* FCenter;
    QSlider* FCenterX;
    QSlider* FCenterY;
    QComboBox* FBorderType;
    TRColorButton* FColor;
    QCheckBox* FFade;
    QCheckBox* FSpin;
    QComboBox* FType;
    QCheckBox* FIncludeBack;
    QWidget* FDirectionRow;
    QWidget* FMovementRow;
    QWidget* FCenterRow;
    QWidget* FBorderRow;
    QWidget* FFadeRow;
    QWidget* FTypeRow;
    int FEaseValue = 0;
    // A stored kind the list does not offer: kept until the user picks another.
    QString FUnlisted;
};
