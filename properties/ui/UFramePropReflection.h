#pragma once
// The inspector frame of the reflection: offset, height, blur, opacity and ripple.

#include "properties/ui/UFramePropRows.h"

class TFramePropReflection : public TFramePropRows {
    Q_OBJECT
public:
    explicit TFramePropReflection(QWidget* parent = nullptr);
};
