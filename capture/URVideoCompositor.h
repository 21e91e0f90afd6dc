#pragma once
// The live recorder's compositor: every output frame from the newest screen picture with the
// pointer, a cursor effect and click rings at the frame's time, or from the newest camera
// picture cut by a mask, with border, mirroring, opacity and chroma key over an image or video
// background; then the logo. It draws on a render factory and context of its own thread, with
// the chroma-key, magnify and fish-eye effects registered there; the target bitmap is the
// output frame itself.

#include "capture/URCursorSource.h"
#include "capture/URVideoRecorderOptions.h"
#include "platform/render/Bitmap.h"
#include "platform/render/DeviceContext.h"
#include "platform/render/Effect.h"
#include "platform/render/Factory.h"

#include <QRect>
#include <cstdint>
#include <memory>
#include <vector>

class TRBufferThread;
class TVideoReaderEx;

// The output frame and where the camera lies in it.
struct TRVideoLayout {
    bool Screen = false; // the screen is recorded
    bool Camera = false; // the camera is recorded
    bool Video = false;  // there is a picture at all
    int VideoW = 0;      // output size, both sides even
    int VideoH = 0;
    int CameraX = 0; // camera placement in the output (scaled size)
    int CameraY = 0;
    int CameraW = 0;
    int CameraH = 0;
};
TRVideoLayout VideoLayoutFor(const TRVideoRecorderOptions& options);

// A background of pw × ph pixels in a W × H output by scale mode (0 stretch, 1 natural, 2 fit,
// 3 fill): its centred rectangle and its two scales.
struct TRBackgroundPlacement {
    QRect Rect;
    float ScaleX = 1;
    float ScaleY = 1;
};
TRBackgroundPlacement BackgroundPlacement(int pw, int ph, int W, int H, int mode);

// The logo's size factor of a scale step, its rectangle in a W × H output and its opacity.
float LogoScaleFactor(int step);
QRect LogoRect(int pw, int ph, int W, int H, const TRVideoRecorderOptions& options);
float LogoOpacityFor(int step);
// The camera layer's opacity: the percentage, or 1 outside 10..100.
float CameraOpacityFor(int percent);
// The corner radius of the rounded camera mask.
int CameraCornerRadius(int cameraW, int cameraH);

class TRVideoCompositor {
public:
    explicit TRVideoCompositor(const TRVideoRecorderOptions& options);
    ~TRVideoCompositor();
    TRVideoCompositor(const TRVideoCompositor&) = delete;
    TRVideoCompositor& operator=(const TRVideoCompositor&) = delete;

    // Creates the factory, context, bitmaps, geometry, effects, background and logo. False
    // when the output cannot be drawn: nothing is composed then.
    bool InitGraphics();
    bool Ready() const { return FContext != nullptr; }
    const TRVideoLayout& Layout() const { return FLayout; }

    // Copies the newest pictures out of the mailboxes (either may be null).
    void ReadSourceFrames(const TRBufferThread* screen, const TRBufferThread* camera);
    // The same from memory: a BGRA picture of the screen or camera size, top row first.
    void SetScreenPicture(const uint8_t* picture);
    void SetCameraPicture(const uint8_t* picture);

    // Composes the frame of media time ATime (ms); the cursor comes from `cursor` when given.
    void ComposeFrame(int ATime, TRCursorSource* cursor);
    // The composed frame: VideoW × VideoH × 4 bytes BGRA, top row first; null when not ready.
    const uint8_t* OutputData() const;

private:
    void InitCamera();
    void LoadCameraBackground();
    void UpdateBackgroundVideo(int ATime);
    void LoadLogo();
    platform::render::EffectPtr CreateEffect(const QUuid& id);
    void DrawScreen(int ATime, TRCursorSource* cursor);
    void DrawCursorEffect(platform::render::PointF at);
    void DrawClick(int ATime, const TCursorRecord& click, uint32_t color, float opacity, float size,
                   float thickness, float duration);
    void DrawCursorImage(platform::render::PointF at, const TPointerShape& shape);
    void DrawCamera(int ATime);
    void DrawCameraBackground(int ATime);
    void DrawPlacedBackground(platform::render::DeviceContext& dc);
    void DrawLogo();

    TRVideoRecorderOptions FData;
    TRVideoLayout FLayout;
    platform::render::FactoryPtr FFactory;
    std::shared_ptr<platform::render::DeviceContext> FContext;
    platform::render::BitmapPtr FTargetBitmap, FScreenBitmap, FCameraBitmap, FCursorBitmap,
        FBackBitmap, FLogoBitmap;
    platform::render::BitmapPtr FBackCache; // a still background as every frame draws it
    platform::render::Matrix3x2 m_cameramatrix;
    platform::render::GeometryPtr m_camerageom;
    std::shared_ptr<platform::render::Brush> m_camerabrush;
    platform::render::EffectPtr m_chromakeyeffect, m_blureffect, m_magnifyeffect,
        m_fisheyelenseffect;
    std::unique_ptr<TVideoReaderEx> m_videoreaderex;
    std::vector<uint8_t> pvideodata;
    // The mailbox pictures the bitmaps hold (none yet: every number differs).
    uint64_t FScreenSeen = UINT64_MAX, FCameraSeen = UINT64_MAX;
};
