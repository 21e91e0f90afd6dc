#include "objects/URPropClosedCaptioning.h"

TRPropClosedCaptioning::TRPropClosedCaptioning()
    : TRPropBase(ptClosedCaptioning, true, true, false) {}

void TRPropClosedCaptioning::VisitFields(TRPropFields& fields) {
    fields.Text("FontName", FFontName);
    fields.Color("FontColor", FFontColor);
    fields.Float("FontSize", FFontSize);
    fields.Color("OutlineColor", FOutlineColor);
    fields.Float("OutlineSize", FOutlineSize);
    fields.Color("BackColor", FBackColor);
    fields.Float("BackOpacity", FBackOpacity);
    fields.Color("WindowColor", FWindowColor);
    fields.Float("WindowOpacity", FWindowOpacity);
    fields.Enum("AlignmentH", FAlignmentH, std::uint8_t{255});
}
