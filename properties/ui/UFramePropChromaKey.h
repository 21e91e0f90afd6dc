#pragma once
// The inspector frame of the chroma key: key colour (from the gallery or picked from the
// screen), invert and tolerance.

#include "properties/ui/UFramePropRows.h"

#include <functional>

class QToolButton;
class TRColorButton;

// Picks a colour from the screen: the colour as 0x00BBGGRR, or -1 when nothing was picked.
// The editor installs its full-screen picker; without one nothing is picked.
using TRColorPick = std::function<std::int64_t(QWidget* parent)>;
void InstallColorPick(TRColorPick pick);

class TFramePropChromaKey : public TFramePropRows {
    Q_OBJECT
public:
    explicit TFramePropChromaKey(QWidget* parent = nullptr);

    TRColorButton* ColorButton() const { return FColor; }
    QToolButton* PickerButton() const { return FPicker; }
    QToolButton* InvertButton() const { return FInvert; }

protected:
    void LoadOthers() override;
    void SaveOthers() override;

private:
    void PickerClick();

    TRColorButton* FColor;
    QToolButton* FPicker;
    QToolButton* FInvert;
};
