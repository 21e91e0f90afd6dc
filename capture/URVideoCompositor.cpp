#include "capture/URVideoCompositor.h"

#include "graphics/URCEChromakey.h"
#include "graphics/URCEFisheyelens.h"
#include "graphics/URCEMagnify.h"
#include "graphics/URCursorEffects.h"
#include "graphics/URCustomEffects.h"
#include "media/UCircleBuffer.h"
#include "media/UVideoReader.h"
#include "platform/imaging/ImageFile.h"
#include "platform/render/Blend.h"
#include "platform/render/Brush.h"
#include "platform/render/Geometry.h"
#include "platform/render/StandardEffects.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

using namespace platform::render;

TRVideoLayout VideoLayoutFor(const TRVideoRecorderOptions& o) {
    TRVideoLayout l;
    l.Screen = o.RecordScreen && o.ScreenWidth > 0 && o.ScreenHeight > 0;
    l.Camera = o.RecordCamera && o.CameraWidth > 0 && o.CameraHeight > 0;
    if (l.Screen) {
        l.VideoW = o.ScreenWidth;
        l.VideoH = o.ScreenHeight;
    } else if (l.Camera) {
        l.CameraW = int(std::trunc((o.CameraScale + 1) * double(o.CameraWidth) / 10));
        l.CameraH = int(std::trunc((o.CameraScale + 1) * double(o.CameraHeight) / 10));
        l.VideoW = l.CameraW;
        l.VideoH = l.CameraH;
        if (o.CameraMask == 3 || o.CameraMask == 4) {
            const int side = std::min(l.CameraW, l.CameraH);
            l.VideoW = l.VideoH = side;
            l.CameraX = (side - l.CameraW) / 2;
            l.CameraY = (side - l.CameraH) / 2;
        }
    }
    l.VideoW -= l.VideoW % 2;
    l.VideoH -= l.VideoH % 2;
    l.Video = l.VideoW >= 1 && l.VideoH >= 1 && (l.Screen || l.Camera);
    return l;
}

TRBackgroundPlacement BackgroundPlacement(int pw, int ph, int W, int H, int mode) {
    TRBackgroundPlacement p;
    int width = W, height = H;
    if (pw > 0 && ph > 0) {
        const float sx = float(W) / float(pw), sy = float(H) / float(ph);
        p.ScaleX = sx;
        p.ScaleY = sy;
        if (mode == 1) {
            width = pw, height = ph;
            p.ScaleX = p.ScaleY = 1;
        } else if (mode == 2 || mode == 3) {
            const float s = mode == 2 ? std::min(sx, sy) : std::max(sx, sy);
            p.ScaleX = p.ScaleY = s;
            width = int(std::lrint(pw * double(s)));
            height = int(std::lrint(ph * double(s)));
        }
    }
    p.Rect = QRect((W - width) / 2, (H - height) / 2, width, height);
    return p;
}

float LogoScaleFactor(int step) {
    static constexpr float large[] = {1, 1.25f, 1.5f, 1.75f, 2, 3};
    if (step >= 0 && step <= 8)
        return float(step + 1) / 10;
    if (step >= 9 && step <= 14)
        return large[step - 9];
    return 1;
}

QRect LogoRect(int pw, int ph, int W, int H, const TRVideoRecorderOptions& o) {
    const double f = LogoScaleFactor(o.LogoScale);
    const int w = int(std::lrint(pw * f)), h = int(std::lrint(ph * f));
    const int mx = o.LogoMarginsX, my = o.LogoMarginsY;
    switch (o.LogoPosition) {
    case 1:
        return {W - mx - w, my, w, h};
    case 2:
        return {(W - w) / 2, (H - h) / 2, w, h};
    case 3:
        return {mx, H - my - h, w, h};
    case 4:
        return {W - mx - w, H - my - h, w, h};
    default:
        return {mx, my, w, h};
    }
}

float LogoOpacityFor(int step) {
    int sum = step + 1;
    if (sum < 0)
        sum = 1;
    return float(std::min(sum, 10)) / 10;
}

float CameraOpacityFor(int percent) {
    return percent >= 10 && percent <= 100 ? float(percent) / 100 : 1.f;
}

int CameraCornerRadius(int cameraW, int cameraH) {
    return std::min(cameraW, cameraH) / 10;
}

namespace {

// Copies BGRA pixels with every one made opaque: the sources' alpha bytes carry nothing.
// Both sides are whole pictures of 32-bit pixels, so they are aligned for them.
void CopyOpaque(uint8_t* dest, const uint8_t* source, size_t bytes) {
    copyOpaque(reinterpret_cast<uint32_t*>(dest), reinterpret_cast<const uint32_t*>(source),
               bytes / 4);
}

// The picture's rows are packed (width × 4 bytes), as are the bitmap's. `seen` is the number
// of the mailbox's picture the bitmap holds: an unchanged picture is not copied again.
void ReadPicture(const TRBufferThread* buffer, const BitmapPtr& bitmap, uint64_t& seen) {
    if (buffer && bitmap)
        seen = buffer->ReadNewer(bitmap->image().bits(), seen, CopyOpaque);
}

void CopyPicture(const uint8_t* picture, const BitmapPtr& bitmap) {
    if (!picture || !bitmap)
        return;
    const QImage& image = bitmap->image();
    CopyOpaque(bitmap->image().bits(), picture, size_t(image.sizeInBytes()));
}

BitmapPtr CreatePicture(int width, int height) {
    return width > 0 && height > 0 ? Bitmap::create({uint32_t(width), uint32_t(height)}) : nullptr;
}

BitmapPtr DecodeImage(const QString& fileName) {
    const QImage image = platform::imaging::readImage(fileName);
    return image.isNull() ? nullptr : Bitmap::fromImage(image);
}

bool IsImageFile(const QString& fileName) {
    static const QStringList images = {".gif", ".png", ".jpg", ".jpeg", ".bmp"};
    return images.contains(TVideoReaderEx::ExtensionOf(fileName));
}

GeometryPtr CameraMask(const TRVideoLayout& l, int mask) {
    const float w = float(l.CameraW), h = float(l.CameraH);
    const float s = float(std::min(l.CameraW, l.CameraH));
    switch (mask) {
    case 1: {
        const float r = float(CameraCornerRadius(l.CameraW, l.CameraH));
        return Geometry::roundedRectangle({RectF{0, 0, w, h}, r, r});
    }
    case 2:
        return Geometry::ellipse({{w / 2, h / 2}, w / 2, h / 2});
    case 3:
        return Geometry::ellipse({{s / 2, s / 2}, s / 2, s / 2});
    case 4:
        return Geometry::rectangle({0, 0, s, s});
    default:
        return Geometry::rectangle({0, 0, w, h});
    }
}

} // namespace

TRVideoCompositor::TRVideoCompositor(const TRVideoRecorderOptions& options)
    : FData(options), FLayout(VideoLayoutFor(options)) {}

TRVideoCompositor::~TRVideoCompositor() = default;

bool TRVideoCompositor::InitGraphics() {
    if (!FLayout.Video)
        return false;
    FFactory = Factory::create();
    FTargetBitmap = Bitmap::create({uint32_t(FLayout.VideoW), uint32_t(FLayout.VideoH)},
                                   {AlphaMode::Ignore, 96, 96, BitmapOptions::Target});
    auto context = DeviceContext::create(FFactory);
    if (!FTargetBitmap || !context)
        return false;
    context->setTarget(FTargetBitmap);
    if (FLayout.Screen && !(FScreenBitmap = CreatePicture(FData.ScreenWidth, FData.ScreenHeight)))
        return false;
    if (FLayout.Camera && !(FCameraBitmap = CreatePicture(FData.CameraWidth, FData.CameraHeight)))
        return false;
    FContext = std::move(context);
    const auto shaders = CompiledShaders();
    if (FLayout.Camera)
        InitCamera();
    LoadLogo();
    TRCEMagnify::RegisterEffect(*FFactory, shaders);
    m_magnifyeffect = CreateEffect(CLSID_CEMagnify);
    TRCEFisheyelens::RegisterEffect(*FFactory, shaders);
    m_fisheyelenseffect = CreateEffect(CLSID_CEFisheyelens);
    return true;
}

EffectPtr TRVideoCompositor::CreateEffect(const QUuid& id) {
    return FContext->createEffect(id);
}

void TRVideoCompositor::InitCamera() {
    m_camerageom = CameraMask(FLayout, FData.CameraMask);
    if (FData.CameraBorderWidth > 0)
        m_camerabrush = SolidColorBrush::create(ColorFromTColor(FData.CameraBorderColor));
    const float k = float(FData.CameraScale + 1) / 10;
    const Matrix3x2 flipH =
        FData.CameraFlipH ? Matrix3x2{-1, 0, 0, 1, float(FLayout.VideoW), 0} : Matrix3x2{};
    const Matrix3x2 flipV =
        FData.CameraFlipV ? Matrix3x2{1, 0, 0, -1, 0, float(FLayout.VideoH)} : Matrix3x2{};
    TRCEChromakey::RegisterEffect(*FFactory, CompiledShaders());
    m_chromakeyeffect = CreateEffect(CLSID_CEChromakey);
    // The keyed picture is drawn at its own size, so the scale goes into the matrix.
    const Matrix3x2 scale =
        FData.CameraChroma && m_chromakeyeffect ? Matrix3x2::scale(k, k) : Matrix3x2{};
    m_cameramatrix = scale * flipH * flipV;
    if (FData.CameraBack)
        LoadCameraBackground();
    m_blureffect = CreateEffect(effects::GaussianBlur);
}

void TRVideoCompositor::LoadCameraBackground() {
    FBackBitmap.reset();
    m_videoreaderex.reset();
    const QString& file = FData.CameraBackFile;
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return;
    if (IsImageFile(file)) {
        FBackBitmap = DecodeImage(file);
        return;
    }
    auto reader = std::make_unique<TVideoReaderEx>(file);
    if (!reader->IsValid() || reader->GetWidth() <= 0 || reader->GetHeight() <= 0)
        return;
    pvideodata.assign(size_t(reader->GetWidth()) * size_t(reader->GetHeight()) * 4, 0);
    FBackBitmap = CreatePicture(reader->GetWidth(), reader->GetHeight());
    if (!FBackBitmap)
        return;
    m_videoreaderex = std::move(reader);
    UpdateBackgroundVideo(0);
}

void TRVideoCompositor::UpdateBackgroundVideo(int ATime) {
    if (!m_videoreaderex)
        return;
    const int duration = m_videoreaderex->GetDurationMs();
    const int t = duration > 0 && ATime > duration ? ATime % duration : ATime;
    m_videoreaderex->GetFrame(t, pvideodata.data());
    CopyPicture(pvideodata.data(), FBackBitmap);
}

void TRVideoCompositor::LoadLogo() {
    FLogoBitmap.reset();
    if (FData.Logo && !FData.LogoFileName.isEmpty() && QFileInfo(FData.LogoFileName).isFile())
        FLogoBitmap = DecodeImage(FData.LogoFileName);
}

void TRVideoCompositor::ReadSourceFrames(const TRBufferThread* screen,
                                         const TRBufferThread* camera) {
    ReadPicture(screen, FScreenBitmap, FScreenSeen);
    ReadPicture(camera, FCameraBitmap, FCameraSeen);
}

void TRVideoCompositor::SetScreenPicture(const uint8_t* picture) {
    CopyPicture(picture, FScreenBitmap);
}

void TRVideoCompositor::SetCameraPicture(const uint8_t* picture) {
    CopyPicture(picture, FCameraBitmap);
}

const uint8_t* TRVideoCompositor::OutputData() const {
    return Ready() ? FTargetBitmap->image().constBits() : nullptr;
}

void TRVideoCompositor::ComposeFrame(int ATime, TRCursorSource* cursor) {
    if (!Ready())
        return;
    DeviceContext& dc = *FContext;
    const Matrix3x2 remembered = dc.transform();
    // The screen covers the whole output opaquely: copying it in replaces clearing and
    // drawing it.
    if (FLayout.Screen)
        FTargetBitmap->copyFromBitmap({0, 0}, *FScreenBitmap);
    dc.beginDraw();
    dc.setTransform({});
    if (FLayout.Screen)
        DrawScreen(ATime, cursor);
    else
        dc.clear(ColorFromTColor(FData.OutputBkColor));
    if (FLayout.Camera)
        DrawCamera(ATime);
    if (FLogoBitmap)
        DrawLogo();
    dc.endDraw();
    dc.setTransform(remembered);
}

void TRVideoCompositor::DrawScreen(int ATime, TRCursorSource* cursor) {
    TCursorRecord sample, left, right;
    TPointerShape shape;
    if (!cursor || !cursor->GetCursor(ATime, sample, shape, left, right))
        return;
    const PointF at{float(sample.Position.x()), float(sample.Position.y())};
    if (FData.CursorEffect)
        DrawCursorEffect(at);
    if (FData.LeftClick)
        DrawClick(ATime, left, FData.LEColor, FData.LEOpacity, FData.LESize, FData.LEThickness,
                  FData.LEDuration);
    if (FData.RightClick)
        DrawClick(ATime, right, FData.REColor, FData.REOpacity, FData.RESize, FData.REThickness,
                  FData.REDuration);
    if (FData.ShowCursor)
        DrawCursorImage(at, shape);
}

void TRVideoCompositor::DrawCursorEffect(PointF at) {
    const bool magnifier = FData.CEId == 1, fisheye = FData.CEId == 2;
    if (!magnifier && !fisheye) {
        DrawCursorHighlight(*FContext, at, FData.CESize, FData.CEColor, FData.CEOpacity);
        return;
    }
    const EffectPtr& lens = magnifier ? m_magnifyeffect : m_fisheyelenseffect;
    if (!lens)
        return;
    lens->setInput(0, FScreenBitmap);
    if (magnifier)
        SetMagnifyLens(*lens, at, FData.CEZoom, FData.CESize);
    else
        SetFisheyeLens(*lens, at, FData.CEZoom, FData.CESize);
    // Outside its radius a lens leaves the picture as it is: only the lens's square is drawn.
    std::optional<RectL> area;
    if (FData.CESize > 0) {
        const int r = int(std::ceil(FData.CESize)) + 1;
        area = RectL::fromXYWH(int(at.x) - r, int(at.y) - r, 2 * r + 1, 2 * r + 1);
    }
    FContext->drawImage(*lens, {}, area, Interpolation::Cubic);
}

void TRVideoCompositor::DrawClick(int ATime, const TCursorRecord& click, uint32_t color,
                                  float opacity, float size, float thickness, float duration) {
    const auto ring = ClickRingAt(float(ATime - click.Time), size, thickness, duration, opacity);
    if (ring)
        DrawClickRing(*FContext, {float(click.Position.x()), float(click.Position.y())}, *ring,
                      color);
}

void TRVideoCompositor::DrawCursorImage(PointF at, const TPointerShape& shape) {
    const int w = int(shape.Width), h = int(shape.Height);
    const int pitch = std::max(int(shape.Pitch), w * 4);
    if (w <= 0 || h <= 0 || shape.PointerShapeBuffer.size() < qsizetype(pitch) * (h - 1) + w * 4)
        return;
    if (!FCursorBitmap || FCursorBitmap->pixelSize().width != uint32_t(w) ||
        FCursorBitmap->pixelSize().height != uint32_t(h))
        FCursorBitmap = CreatePicture(w, h);
    if (!FCursorBitmap)
        return;
    // The shapes are stored with straight alpha; the engine draws premultiplied pixels.
    const QImage straight(reinterpret_cast<const uchar*>(shape.PointerShapeBuffer.constData()), w,
                          h, pitch, QImage::Format_ARGB32);
    const QImage premultiplied = straight.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    FCursorBitmap->copyFromMemory(premultiplied.constBits(), int(premultiplied.bytesPerLine()));
    const float s = FData.ScaleCursor / 100;
    const float x = at.x - float(shape.HotSpot.x()) * s, y = at.y - float(shape.HotSpot.y()) * s;
    FContext->drawBitmap(*FCursorBitmap, RectF::fromXYWH(x, y, float(w) * s, float(h) * s), 1,
                         Interpolation::Cubic);
}

void TRVideoCompositor::DrawCamera(int ATime) {
    DeviceContext& dc = *FContext;
    LayerParameters layer;
    layer.geometricMask = m_camerageom;
    layer.maskAntialiasMode = AntialiasMode::Aliased;
    layer.opacity = CameraOpacityFor(FData.CameraOpacity);
    dc.pushLayer(layer);
    if (FData.CameraChroma && m_chromakeyeffect) {
        DrawCameraBackground(ATime);
        Effect& key = *m_chromakeyeffect;
        key.setInput(0, FCameraBitmap);
        key.setValue(0, float(FData.CameraChTol) * 255 / 100);
        key.setValue(1, float(FData.CameraChColor & 0xFF));
        key.setValue(2, float((FData.CameraChColor >> 8) & 0xFF));
        key.setValue(3, float((FData.CameraChColor >> 16) & 0xFF));
        key.setValue(4, 0.f);
        const float tx = FData.CameraFlipH ? -float(FLayout.CameraX) : float(FLayout.CameraX);
        const float ty = FData.CameraFlipV ? -float(FLayout.CameraY) : float(FLayout.CameraY);
        dc.setTransform(m_cameramatrix * Matrix3x2::translation(tx, ty));
        dc.drawImage(key, {}, {}, Interpolation::Cubic);
    } else {
        dc.setTransform(m_cameramatrix);
        dc.drawBitmap(*FCameraBitmap,
                      RectF::fromXYWH(float(FLayout.CameraX), float(FLayout.CameraY),
                                      float(FLayout.CameraW), float(FLayout.CameraH)),
                      1, Interpolation::Cubic);
    }
    dc.setTransform({});
    if (m_camerabrush)
        dc.drawGeometry(*m_camerageom, *m_camerabrush, 2 * float(FData.CameraBorderWidth));
    dc.popLayer();
}

void TRVideoCompositor::DrawCameraBackground(int ATime) {
    if (!FData.CameraBack || !FBackBitmap)
        return;
    if (m_videoreaderex) {
        UpdateBackgroundVideo(ATime);
        DrawPlacedBackground(*FContext);
        return;
    }
    // A still background is scaled and blurred once; every frame draws the result.
    if (!FBackCache) {
        FBackCache = Bitmap::create({uint32_t(FLayout.VideoW), uint32_t(FLayout.VideoH)},
                                    {AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
        auto context = DeviceContext::create(FFactory);
        if (!FBackCache || !context)
            return;
        context->setTarget(FBackCache);
        context->beginDraw();
        DrawPlacedBackground(*context);
        context->endDraw();
    }
    FContext->drawBitmap(*FBackCache, {}, 1, Interpolation::Nearest);
}

void TRVideoCompositor::DrawPlacedBackground(DeviceContext& dc) {
    const auto size = FBackBitmap->pixelSize();
    const TRBackgroundPlacement p =
        BackgroundPlacement(int(size.width), int(size.height), FLayout.VideoW, FLayout.VideoH,
                            FData.CameraBackScaleMode);
    if (m_blureffect && FData.CameraBackBlur > 0) {
        m_blureffect->setInput(0, FBackBitmap);
        m_blureffect->setValue(effects::GaussianBlurBorderMode, uint32_t(effects::BorderHard));
        m_blureffect->setValue(effects::GaussianBlurStandardDeviation, float(FData.CameraBackBlur));
        dc.setTransform(Matrix3x2::scale(p.ScaleX, p.ScaleY));
        dc.drawImage(*m_blureffect,
                     {float(p.Rect.left()) / p.ScaleX, float(p.Rect.top()) / p.ScaleY}, {},
                     Interpolation::Cubic);
        dc.setTransform({});
        return;
    }
    dc.drawBitmap(*FBackBitmap,
                  RectF::fromXYWH(float(p.Rect.left()), float(p.Rect.top()), float(p.Rect.width()),
                                  float(p.Rect.height())),
                  1, Interpolation::Cubic);
}

void TRVideoCompositor::DrawLogo() {
    const auto size = FLogoBitmap->pixelSize();
    const QRect r =
        LogoRect(int(size.width), int(size.height), FLayout.VideoW, FLayout.VideoH, FData);
    FContext->drawBitmap(
        *FLogoBitmap,
        RectF::fromXYWH(float(r.left()), float(r.top()), float(r.width()), float(r.height())),
        LogoOpacityFor(FData.LogoOpacity), Interpolation::Cubic);
}
