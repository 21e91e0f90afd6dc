// Draws the transition groups: runs a picture through the effect chain of the group's kind and
// gives the transform, opacity and rotation the caller applies when drawing the result.
#pragma once

#include "core/URObject.h"
#include "core/URPropTransition.h"

/// The draw of `group` for the side `type` (ptTrIn coming in, ptTrOut going out) at progress
/// `position` (0..1). The effects are made on the scene's device context on first use and kept
/// with the group; a kind whose effect is missing leaves the picture as it is.
void DrawTransition(const TRPropTransition& group, TRPropertyType type, float position,
                    const TRTransitionInput& input, TRTransitionStep& step);

/// Installs DrawTransition as the object base's TransitionDrawHook.
void InstallTransitionDraw();
