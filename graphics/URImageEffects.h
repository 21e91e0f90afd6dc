#pragma once
// Mirroring and blurring a picture through effects kept in a caller's slot (made on the scene's
// device context on first use), for the groups that flip or blur what they are given.

#include "platform/render/Effect.h"

// The picture mirrored within its own width x height: left-right with `flipH`, top-bottom with
// `flipV`. `input` when neither is set or the effect cannot be made.
platform::render::ImagePtr MirrorImage(platform::render::EffectPtr& slot,
                                       const platform::render::ImagePtr& input, bool flipH,
                                       bool flipV, float width, float height);

// The picture under a Gaussian blur of standard deviation `deviation`, its border soft (fading
// out past the picture's edge) or hard (edges kept sharp). `input` when the effect cannot be
// made.
platform::render::ImagePtr BlurImage(platform::render::EffectPtr& slot,
                                     const platform::render::ImagePtr& input, float deviation,
                                     bool softBorder);
