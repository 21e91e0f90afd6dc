#pragma once
// The inspector frame of zoom and pan: the zoom and the pan across and down, in percent.

#include "properties/ui/UFramePropRows.h"

class TFramePropZoomAndPan : public TFramePropRows {
    Q_OBJECT
public:
    explicit TFramePropZoomAndPan(QWidget* parent = nullptr);
};
