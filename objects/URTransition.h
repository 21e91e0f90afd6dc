#pragma once
// The video transition: a span of the timeline during which the whole scene passes from the way
// it looks at the span's start to the way it looks at its end, through one kind of its
// transition-object group. It renders the project itself at those times into pictures of its
// own and blends them while the editor plays, the playhead is dragged or the project exports.

#include "core/URObject.h"
#include "platform/render/Bitmap.h"
#include "platform/render/Effect.h"

#include <cstdint>

class TRPropTransition;

class TRTransition : public TRObject {
public:
    TRTransition(TRProject* project, TRObjectType type);

    void PaintOnScene(bool mouseOver, bool paintAll) override;

    // The pictures of the last paint (null before one), for inspection.
    const platform::render::BitmapPtr& FirstImage() const { return FFirst.Image; }
    const platform::render::BitmapPtr& LastImage() const { return FLast.Image; }
    // How often the first or last picture was rendered.
    std::int32_t EndRenders() const { return FEndRenders; }

private:
    // A picture of the scene and what it was rendered from: it is rendered again only when the
    // time, the size, the background or the project's content changed.
    struct TRSceneImage {
        platform::render::BitmapPtr Image;
        std::int32_t Time = -1;
        bool Background = false;
        std::uint64_t Version = 0;
    };
    struct TRFrameGeometry {
        platform::render::Matrix3x2 Scene;  // the transform the scene was drawn with
        platform::render::Matrix3x2 Centre; // device pixels, the target's centre at the origin
        platform::render::PointL CornerPx;  // the frame's top-left on the target, in pixels
        std::uint32_t Width = 0, Height = 0;
    };

    bool EnsureImage(TRSceneImage& image, const TRFrameGeometry& frame) const;
    void RenderEnd(TRSceneImage& image, const TRFrameGeometry& frame, std::int32_t time,
                   bool background);
    void RenderCurrent(const TRFrameGeometry& frame, bool includeBack);
    void PaintProjectOnImage(const platform::render::BitmapPtr& image, const TRFrameGeometry& frame,
                             std::int32_t time, bool background) const;
    void Blend(const TRPropTransition& group, const TRFrameGeometry& frame,
               const platform::render::BitmapPtr& outgoing,
               const platform::render::BitmapPtr& incoming);
    void DrawSide(const TRPropTransition& group, TRPropertyType side,
                  const platform::render::BitmapPtr& image, float progress,
                  const TRFrameGeometry& frame, bool transformed, bool withOpacity,
                  platform::render::Interpolation interpolation);

    TRSceneImage FFirst, FLast, FCurrent;
    platform::render::EffectPtr FOpacityEffect;
    std::int32_t FEndRenders = 0;
};

// Installs the transition object's kind.
void RegisterTransitionKind();
