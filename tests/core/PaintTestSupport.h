#pragma once
// Small scenes for the painting tests and benchmark: a project of a given size with a solid
// background, a drawing context installed as the scene context, and a filled rectangle kind.

#include "core/URProject.h"
#include "core/URPropBase.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropBackgroundFill.h"
#include "objects/URPropPlacement.h"
#include "objects/URPropProgressBar.h"
#include "tests/support/ScenePlaying.h"

#include <memory>

namespace painttest {

using namespace platform::render;

inline DeviceContext*& InstalledContext() {
    static DeviceContext* context = nullptr;
    return context;
}

// Registers every group once and installs `context` as the scene context.
inline void InstallScene(DeviceContext* context) {
    static const bool registered = [] {
        RegisterEngineKinds();
        return true;
    }();
    (void)registered;
    InstalledContext() = context;
    SceneContextHook = [] { return InstalledContext(); };
}

using ::SetScenePlaying;

inline void SetSolid(TRColorStops& stops, TColor colour) {
    stops.BeginAddColors();
    stops.AddColor(colour, 0, 1);
    stops.EndAddColors();
}

// A rectangle filled with its background-fill group, drawn at its placement.
class FilledShape : public TRObject {
public:
    FilledShape(TRProject* project, QPointF at, QSizeF size, TColor colour)
        : TRObject(project, otShape) {
        auto* placement = Get<TRPropPlacement>(ptPlacement, true);
        placement->FPosition = at;
        placement->FSize = size;
        auto* fill = Get<TRPropBackgroundFill>(ptBackgroundFill, true);
        fill->SetChecked(true);
        fill->FBrushStyle = brsSolid;
        SetSolid(fill->FColors, colour);
    }

    void PaintOnScene(bool, bool) override {
        DeviceContext* dc = SceneContext();
        if (!dc || FTimePosition < FTimeStart || FTimePosition > FTimeEnd)
            return;
        auto* placement = Get<TRPropPlacement>(ptPlacement);
        auto* fill = dynamic_cast<TRBrushSource*>(GetProperty(ptBackgroundFill));
        const Matrix3x2 saved = dc->transform();
        dc->setTransform(Matrix3x2::translation(float(placement->FPosition.x()),
                                                float(placement->FPosition.y())) *
                         saved);
        const QRectF r = placement->GetBoundsRect();
        dc->fillRectangle(ToRectF(r), *fill->Brush(float(r.width()), float(r.height()), true));
        dc->setTransform(saved);
    }
};

// A project of width x height, 10 s long, with a solid background of `background`.
inline std::unique_ptr<TRProject> NewProject(int width, int height, TColor background) {
    auto project = std::make_unique<TRProject>();
    project->SetProjectSize(width, height);
    project->SetTimeEnd(10000);
    auto* fill = project->Get<TRPropBackgroundFill>(ptBackgroundFill, true);
    fill->SetChecked(true);
    fill->FBrushStyle = brsSolid;
    SetSolid(fill->FColors, background);
    return project;
}

inline FilledShape* AddShape(TRProject& project, QPointF at, QSizeF size, TColor colour) {
    auto shape = std::make_unique<FilledShape>(&project, at, size, colour);
    shape->SetTimeStartField(0);
    shape->SetTimeEnd(10000);
    return static_cast<FilledShape*>(project.AddObject(std::move(shape)));
}

// A target of `width` x `height` pixels with the scene origin at its centre, scaled by `zoom`.
inline BitmapPtr BeginScene(DeviceContext& dc, int width, int height, float zoom = 1) {
    BitmapPtr target =
        Bitmap::create(SizeU{uint32_t(width), uint32_t(height)},
                       BitmapProperties{AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
    dc.setTarget(target);
    dc.setTransform(Matrix3x2::scale(zoom, zoom) *
                    Matrix3x2::translation(float(width / 2), float(height / 2)));
    dc.beginDraw();
    return target;
}

} // namespace painttest
