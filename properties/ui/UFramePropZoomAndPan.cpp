#include "properties/ui/UFramePropZoomAndPan.h"

#include "graphics/URPropZoomAndPan.h"

namespace {

const TREditorRow ZoomRows[] = {
    {"edZoom",
     "Zoom",
     50,
     500,
     "%",
     100,
     5,
     {50, 60, 70, 80, 90, 100, 125, 150, 200, 300, 400, 500},
     100,
     FieldOf<TRPropZoomAndPan, &TRPropZoomAndPan::FZoom>},
    {"edZoomLeft",
     "Left",
     -100,
     100,
     "%",
     0,
     5,
     {-100, -75, -50, -25, 0, 25, 50, 75, 100},
     100,
     FieldOf<TRPropZoomAndPan, &TRPropZoomAndPan::FZoomLeft>},
    {"edZoomTop",
     "Top",
     -100,
     100,
     "%",
     0,
     5,
     {-100, -75, -50, -25, 0, 25, 50, 75, 100},
     100,
     FieldOf<TRPropZoomAndPan, &TRPropZoomAndPan::FZoomTop>},
};

} // namespace

TFramePropZoomAndPan::TFramePropZoomAndPan(QWidget* parent)
    : TFramePropRows(undoZoomAndPan, "TFramePropZoomAndPan", "panelZoomAndPan", "Zoom & Pan",
                     parent) {
    for (const TREditorRow& row : ZoomRows)
        AddEditor(row);
}
