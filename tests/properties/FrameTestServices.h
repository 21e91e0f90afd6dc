#pragma once
// Editor services for frame tests: the test's project is the active one, repaints are counted.

#include "core/UREditorServices.h"

class TestServices : public TREditorServices {
public:
    TRProject* ActiveProject() const override { return project; }
    void RepaintScene() override { ++repaints; }

    TRProject* project = nullptr;
    int repaints = 0;
};
