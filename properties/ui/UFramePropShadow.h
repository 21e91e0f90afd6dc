#pragma once
// The inspector frame of the drop shadow: colour, blur, offset, angle and opacity.

#include "properties/ui/UFramePropRows.h"

class TRColorButton;

class TFramePropShadow : public TFramePropRows {
    Q_OBJECT
public:
    explicit TFramePropShadow(QWidget* parent = nullptr);

    TRColorButton* ColorButton() const { return FColor; }

protected:
    void LoadOthers() override;
    void SaveOthers() override;

private:
    TRColorButton* FColor;
};
