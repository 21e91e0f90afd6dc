#pragma once
// The inspector frame of the colour adjustment: brightness, contrast and saturation in percent.

#include "properties/ui/UFramePropRows.h"

class TFramePropColorAdjust : public TFramePropRows {
    Q_OBJECT
public:
    explicit TFramePropColorAdjust(QWidget* parent = nullptr);
};
