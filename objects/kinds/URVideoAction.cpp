#include "objects/kinds/URVideoAction.h"

#include "core/URPropTransition.h"
#include "objects/URPropVideoAction.h"

namespace {

constexpr std::int32_t VideoActionLength = 400;

} // namespace

TRVideoAction::TRVideoAction(TRProject* project, TRObjectType type) : TRObject(project, type) {
    FObjectName = QStringLiteral("Video Action ") + QString::number(FObjectId);
    FTimeEnd = FTimeStart + VideoActionLength;
    FMarker = true;
    FMediaName.clear();
    FTrIn->SetChecked(false);
    FTrOut->SetChecked(false);
    SetFlags(false, false, false, false);
}

std::int32_t TRVideoAction::GetVideoAction() const {
    // The look-up only reads the keyframes (and refreshes the interpolated cache).
    const auto* action = const_cast<TRVideoAction*>(this)->Get<TRPropVideoAction>(ptVideoAction);
    return action ? action->FAction : 0;
}
