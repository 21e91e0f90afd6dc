#pragma once
// The picture object of the timeline: a raster picture, or an SVG drawing rasterised at the size
// it is shown. UpdateBitmap is the render chain that video and screen-recording objects run as
// well: annotations, pointer, flip, fit, zoom and pan, chroma key, colour, the effects that act
// inside the picture, the mask with the background fill, the media opacity, the text, the
// pointer image and the border.

#include "graphics/URSVGUtils.h"
#include "media/UCursorReader.h"
#include "objects/kinds/URDrawable.h"
#include "platform/render/Bitmap.h"
#include "platform/render/Effect.h"

#include <memory>

class TRPropPlacement;
class TRPropFlipOpacity;
class TRPropCursor;
class TRPropMask;

// The open-dialog filter of pictures, with or without SVG.
QString ImageFileFilter(bool withSvg);

// The number of pictures of a ".gif" or ".webp" file (any letter case), 1 for every other
// extension without opening the file and 1 when the file cannot be read. An import takes a
// file whose count is not 1 as a video.
int GetImageFrameCount(const QString& fileName);

class TRImage : public TRDrawable {
public:
    TRImage(TRProject* project, TRObjectType type);
    ~TRImage() override;

    // Loads the picture named FMediaName from the project's folder: the first frame of a raster
    // file, or an SVG document with a positive size. EMF and WMF pictures are refused.
    bool OpenMedia() override;
    // Copies `fileName` (when missing, the file the user picks) into the project's folder and
    // opens it; the placement takes the picture's size. A failure after a file was chosen shows
    // "Cannot open <name> file."; a cancelled choice returns false silently.
    bool LoadMedia(const QString& fileName, std::int32_t& width, std::int32_t& height,
                   const QString& audioFileName) override;
    void UpdateBitmap() override;

    // The pointer bitmap of a kind with a cursor track, at width x height; none here.
    virtual void CreateCursorBitmap(int width, int height);

    std::unique_ptr<TD2DSVG> FSVG;
    // The cursor track; only screen recordings have one.
    std::unique_ptr<TCursorReader> CursorReader;
    platform::render::BitmapPtr FCursorBitmap;
    // The picture with its annotations drawn in.
    platform::render::BitmapPtr FMediaDrawing;

protected:
    TRSceneFamily SceneFamily() const override {
        return {.EffectOverImage = false, .WholePixelOffset = true};
    }

private:
    // What the pointer steps need: the track's state at media time `Time` and the positions
    // of the pointer and the two clicks, mapped through every geometric step.
    struct CursorSteps {
        bool On = false;
        std::int32_t Time = 0;
        TCursorState State;
        QPoint Pointer, Left, Right;
        TRPropCursor* Group = nullptr;
    };
    // The media's fit into the placement: scale and whole-pixel offset.
    struct Fit {
        float sx = 1, sy = 1, dx = 0, dy = 0;
        bool Fitted = false;
    };

    void RasterizeSVG(const TRPropPlacement& placement);
    void DrawMedia(platform::render::DeviceContext& dc, const TRPropPlacement& placement,
                   const QRectF& r);
    platform::render::ImagePtr Annotated();
    CursorSteps CursorSample();
    platform::render::ImagePtr FitToPlacement(platform::render::ImagePtr image,
                                              const TRPropPlacement& placement, Fit& fit);
    platform::render::ImagePtr ZoomAndPan(platform::render::ImagePtr image, QSizeF shown,
                                          const Fit& fit, CursorSteps& cursor);
    platform::render::ImagePtr ColorSteps(platform::render::ImagePtr image, QSizeF shown);
    platform::render::ImagePtr CursorDistortions(platform::render::ImagePtr image,
                                                 const CursorSteps& cursor, const Fit& fit);
    void DrawPointer(platform::render::DeviceContext& dc, const CursorSteps& cursor,
                     const Fit& fit);

    mutable platform::render::EffectPtr m_scaleEffect;
    mutable platform::render::EffectPtr affineTransform;
};
