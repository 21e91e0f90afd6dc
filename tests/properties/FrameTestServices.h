#pragma once
// Editor services for frame tests: the test's project is the active one, repaints, guide
// requests and align commands are counted.

#include "core/UREditorServices.h"

#include <vector>

class TestServices : public TREditorServices {
public:
    TRProject* ActiveProject() const override { return project; }
    void RepaintScene() override { ++repaints; }
    void SelectionFollow(TRObject*) override { ++follows; }
    bool ClearSceneHelperLines(bool) override {
        ++clears;
        const bool had = guides;
        guides = false;
        return had;
    }
    void ShowSceneHelperLines() override {
        ++guideRequests;
        guides = true;
    }
    void AlignSelection(std::uint8_t kind) override { aligns.push_back(kind); }

    TRProject* project = nullptr;
    int repaints = 0;
    int follows = 0;
    int clears = 0;
    int guideRequests = 0;
    bool guides = false;
    std::vector<int> aligns;
};
