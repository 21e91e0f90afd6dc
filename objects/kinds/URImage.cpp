#include "objects/kinds/URImage.h"

#include "core/URProject.h"
#include "core/URPropMediaSpeed.h"
#include "core/URTempFolders.h"
#include "graphics/URDX12Base.h"
#include "graphics/UREffectGroup.h"
#include "graphics/URPropChromaKey.h"
#include "graphics/URPropColorAdjust.h"
#include "graphics/URPropEffect.h"
#include "graphics/URPropFlipOpacity.h"
#include "graphics/URPropZoomAndPan.h"
#include "objects/URObjectText.h"
#include "objects/URPropCursor.h"
#include "objects/URPropDrawing.h"
#include "objects/URPropMask.h"
#include "objects/URPropPlacement.h"
#include "objects/kinds/URMediaHooks.h"
#include "platform/imaging/ImageFile.h"
#include "platform/render/BuiltinEffects.h"
#include "platform/render/ContextState.h"
#include "platform/render/StandardEffects.h"
#include "platform/system/Clock.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

using namespace platform::render;

namespace {

// Every annotation, whatever its time.
constexpr std::int32_t DrawEverything = 10000000;

bool Checked(const TRPropBase* group) {
    return group && group->Checked();
}

QString LowerSuffix(const QString& fileName) {
    return QFileInfo(fileName).suffix().toLower();
}

// Metafiles have no decoder here; they are refused like an unreadable picture.
bool IsMetafile(const QString& suffix) {
    return suffix == QStringLiteral("emf") || suffix == QStringLiteral("wmf");
}

QPoint MapFit(QPoint p, float sx, float sy, float dx, float dy) {
    return QPoint(int(std::trunc(dx + float(p.x()) * sx)), int(std::trunc(dy + float(p.y()) * sy)));
}

QPoint MapZoom(QPoint p, float zoom, const TRZoomAndPanPlace& place) {
    return QPoint(
        int(std::trunc(float(p.x()) + (float(p.x()) - place.cx) * (zoom - 1) + place.dx)),
        int(std::trunc(float(p.y()) + (float(p.y()) - place.cy) * (zoom - 1) + place.dy)));
}

// The fit's scale after the animation of a change of the media's Scale switch.
float AnimatedScale(float s, float p) {
    if (p > 0)
        return s + (1 - s) * p;
    if (p < 0)
        return (1 - s) * p + 1;
    return s;
}

// The pointer shape as premultiplied rows of width x 4 bytes, read row by row with its own
// pitch; empty when the buffer is shorter than its rows say.
QImage PointerImage(const TPointerShape& shape) {
    const qsizetype rows = qsizetype(shape.Height);
    if (shape.Pitch < shape.Width * 4 || shape.PointerShapeBuffer.size() < rows * shape.Pitch)
        return {};
    const QImage straight(reinterpret_cast<const uchar*>(shape.PointerShapeBuffer.constData()),
                          int(shape.Width), int(shape.Height), qsizetype(shape.Pitch),
                          QImage::Format_ARGB32);
    return straight.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

QString ImageFileFilter(bool withSvg) {
    const QString svgAll = withSvg ? QStringLiteral("*.svg;") : QString();
    const QString all = QStringLiteral("*.gif;*.png;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;") +
                        svgAll + QStringLiteral("*.webp;*.heic;*.heif");
    return QStringLiteral("All (") + all + QStringLiteral(")|") + all +
           QStringLiteral("|GIF Image (*.gif)|*.gif|Portable Network Graphics (*.png)|*.png|"
                          "JPEG Image File (*.jpg;*.jpeg)|*.jpg;*.jpeg|Bitmaps (*.bmp)|*.bmp|"
                          "Icons (*.ico)|*.ico|Enhanced Metafiles (*.emf)|*.emf|"
                          "Metafiles (*.wmf)|*.wmf|") +
           (withSvg ? QStringLiteral("Scalable Vector Graphics (*.svg)|*.svg|") : QString()) +
           QStringLiteral("WebP (*.webp)|*.webp|"
                          "High Efficiency Image File Format (*.heic;*.heif)|*.heic;*.heif");
}

int GetImageFrameCount(const QString& fileName) {
    return std::max(platform::imaging::imageFrameCount(fileName), 1);
}

TRImage::TRImage(TRProject* project, TRObjectType type) : TRDrawable(project, type) {
    FObjectName = QStringLiteral("Image ") + QString::number(FObjectId);
    FMediaName.clear();
    if (TRPropBase* fill = GetProperty(ptBackgroundFill, true))
        fill->SetChecked(false);
}

TRImage::~TRImage() = default;

void TRImage::CreateCursorBitmap(int, int) {}

bool TRImage::OpenMedia() {
    FMediaBitmap.reset();
    FSVG.reset();
    if (!FProject)
        return false;
    const QString path = FProject->TempFolder + FMediaName;
    if (FMediaName.isEmpty() || !QFileInfo(path).isFile())
        return false;
    const QString suffix = LowerSuffix(path);
    if (suffix == QStringLiteral("svg")) {
        FSVG = std::make_unique<TD2DSVG>();
        FSVG->LoadFromFile(path);
        if (FSVG->GetWidth() > 0 && FSVG->GetHeight() > 0)
            return true;
        FSVG.reset();
        return false;
    }
    if (IsMetafile(suffix))
        return false;
    FMediaBitmap = Bitmap::fromImage(platform::imaging::readImage(path));
    return FMediaBitmap != nullptr;
}

bool TRImage::LoadMedia(const QString& fileName, std::int32_t& width, std::int32_t& height,
                        const QString&) {
    width = 0;
    height = 0;
    const QString chosen = QFileInfo(fileName).isFile()
                               ? fileName
                               : ChooseMediaFile(ImageFileFilter(IsSVGSupported()));
    if (chosen.isEmpty())
        return false;
    const QString name = QFileInfo(chosen).fileName();
    bool result = false;
    if (FProject && !FProject->TempFolder.isEmpty()) {
        FMediaName = QStringLiteral("m%1_%2_%3")
                         .arg(FObjectId)
                         .arg(platform::system::tickCount())
                         .arg(FilterFileNameChars(name));
        const QString target = FProject->TempFolder + FMediaName;
        QFile::remove(target);
        result = QFile::copy(chosen, target) && OpenMedia();
    }
    if (result) {
        if (EnsurePropertiesPageHook)
            EnsurePropertiesPageHook(otImage);
        const QSize size =
            FSVG ? QSize(int(std::lround(FSVG->GetWidth())), int(std::lround(FSVG->GetHeight())))
                 : QSize(int(FMediaBitmap->pixelSize().width),
                         int(FMediaBitmap->pixelSize().height));
        if (auto* placement = Get<TRPropPlacement>(ptPlacement, true)) {
            placement->FSize = size;
            placement->FOriginalSize = size;
            placement->FAspectRatio = true;
        }
        width = size.width();
        height = size.height();
    } else {
        ShowMediaError(QStringLiteral("Cannot open ") + name + QStringLiteral(" file."));
    }
    return result;
}

void TRImage::RasterizeSVG(const TRPropPlacement& placement) {
    const QSizeF scaled = placement.GetScaledSize();
    const auto side = [](double v) { return std::uint32_t(v < 1 ? 1 : std::lround(v)); };
    const SizeU size{side(scaled.width()), side(scaled.height())};
    if (FMediaBitmap && FMediaBitmap->pixelSize() == size)
        return;
    FMediaBitmap = Bitmap::create(size, {AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
    DeviceContext* dc = D2DContext.get();
    if (!FMediaBitmap || !dc)
        return;
    const ContextStateGuard guard(*dc);
    dc->setTarget(FMediaBitmap);
    dc->beginDraw();
    dc->clear({0, 0, 0, 0});
    Matrix3x2 transform;
    auto* media = Get<TRPropFlipOpacity>(ptFlipOpacity);
    if (media && media->FScale && FSVG->GetWidth() > 0 && FSVG->GetHeight() > 0) {
        const float p = media->ScaleProcAnimation;
        transform = Matrix3x2::scale(AnimatedScale(float(scaled.width()) / FSVG->GetWidth(), p),
                                     AnimatedScale(float(scaled.height()) / FSVG->GetHeight(), p));
    }
    dc->setTransform(transform);
    FSVG->Draw();
    dc->endDraw();
}

void TRImage::UpdateBitmap() {
    DeviceContext* dc = SceneContext();
    auto* placement = Get<TRPropPlacement>(ptPlacement);
    if (!dc || !placement)
        return;
    const float bs = CreateBitmaps(false);
    if (!FBitmap)
        return;
    if (FSVG)
        RasterizeSVG(*placement);
    const ContextStateGuard guard(*dc);
    dc->setTarget(FBitmap);
    dc->beginDraw();
    dc->setTransform(Matrix3x2::translation(bs, bs));
    dc->clear({0, 0, 0, 0});
    const QRectF r = placement->GetZeroBoundsRect();
    if (FMediaBitmap)
        DrawMedia(*dc, *placement, r);
    dc->endDraw();
    if (FBitmapBorder)
        UpdateBitmapBorder(r, GetProperty(ptMask));
}

ImagePtr TRImage::Annotated() {
    auto* drawing = Get<TRPropDrawing>(ptDrawing);
    if (!Checked(drawing) || !drawing->HasPoints())
        return FMediaBitmap;
    std::int32_t drawTime = DrawEverything;
    if (drawing->FAnimate && (ScenePlaybackActive() || (FProject && FProject->Exporting))) {
        const double speed = MediaSpeed() ? MediaSpeed()->Speed() : 1000;
        drawTime = std::int32_t(
            std::nearbyint(speed * (FTimePosition - GetCurrentTransfTimeStart()) / 1000));
    }
    drawing->DrawTo(FMediaBitmap, drawTime, FMediaDrawing);
    return FMediaDrawing ? ImagePtr(FMediaDrawing) : ImagePtr(FMediaBitmap);
}

TRImage::CursorSteps TRImage::CursorSample() {
    CursorSteps cursor;
    cursor.Group = Get<TRPropCursor>(ptCursor);
    if (!CursorReader || !Checked(cursor.Group) || CursorReader->FNrCursors <= 0)
        return cursor;
    cursor.Time = GetMediaTime(FTimePosition);
    cursor.On = CursorReader->GetCursor(cursor.Time, cursor.State);
    cursor.Pointer = cursor.State.Cursor.Position;
    cursor.Left = cursor.State.LastLCcursor.Position;
    cursor.Right = cursor.State.LastRCcursor.Position;
    return cursor;
}

ImagePtr TRImage::FitToPlacement(ImagePtr image, const TRPropPlacement& placement, Fit& fit) {
    const float mw = float(FMediaBitmap->pixelSize().width);
    const float mh = float(FMediaBitmap->pixelSize().height);
    const QSizeF scaled = placement.GetScaledSize();
    if (scaled.width() == mw && scaled.height() == mh)
        return image;
    auto* media = Get<TRPropFlipOpacity>(ptFlipOpacity);
    if (media && media->FScale && SceneEffect(m_scaleEffect, effects::Scale)) {
        const float p = media->ScaleProcAnimation;
        fit.sx = AnimatedScale(float(scaled.width()) / mw, p);
        fit.sy = AnimatedScale(float(scaled.height()) / mh, p);
        m_scaleEffect->setInput(0, image);
        m_scaleEffect->setValue(effects::ScaleAmount, Vector2{fit.sx, fit.sy});
        m_scaleEffect->setValue(effects::ScaleInterpolation, uint32_t(Interpolation::Cubic));
        image = m_scaleEffect->output();
        fit.Fitted = true;
        if (p == 0)
            return image;
        fit.dx = std::trunc((float(scaled.width()) - mw * fit.sx) / 2);
        fit.dy = std::trunc((float(scaled.height()) - mh * fit.sy) / 2);
    } else {
        fit.dx = std::trunc((float(scaled.width()) - mw) / 2);
        fit.dy = std::trunc((float(scaled.height()) - mh) / 2);
    }
    if (!SceneEffect(affineTransform, effects::AffineTransform2D))
        return image;
    affineTransform->setInput(0, image);
    affineTransform->setValue(effects::AffineMatrix, Matrix3x2::translation(fit.dx, fit.dy));
    return affineTransform->output();
}

ImagePtr TRImage::ZoomAndPan(ImagePtr image, QSizeF shown, const Fit& fit, CursorSteps& cursor) {
    auto* zoom = Get<TRPropZoomAndPan>(ptZoomAndPan);
    if (!Checked(zoom))
        return image;
    const QSizeF bitmap =
        fit.Fitted ? shown
                   : QSizeF(FMediaBitmap->pixelSize().width, FMediaBitmap->pixelSize().height);
    TRZoomAndPanPlace place;
    image = zoom->Draw(image, float(shown.width()), float(shown.height()), float(bitmap.width()),
                       float(bitmap.height()), place);
    if (cursor.On)
        for (QPoint* p : {&cursor.Pointer, &cursor.Left, &cursor.Right})
            *p = MapZoom(*p, zoom->FZoom, place);
    return image;
}

ImagePtr TRImage::ColorSteps(ImagePtr image, QSizeF shown) {
    if (auto* key = Get<TRPropChromaKey>(ptChromaKey); Checked(key))
        image = key->Draw(image);
    if (auto* colour = Get<TRPropColorAdjust>(ptColorAdjust); Checked(colour))
        image = colour->Draw(image);
    TRPropBase* effect = GetProperty(ptEffect);
    if (EffectInBitmap(effect))
        image = static_cast<TRPropEffect*>(effect)->Draw(
            image, TREffectPlace{float(shown.width()) / 2, float(shown.height()) / 2, true, 0, 0});
    return image;
}

ImagePtr TRImage::CursorDistortions(ImagePtr image, const CursorSteps& cursor, const Fit& fit) {
    const TRPropCursor& group = *cursor.Group;
    const TCursorState& s = cursor.State;
    image = group.DrawCursorEffect(image, fit.sx, fit.sy, cursor.Pointer.x(), cursor.Pointer.y());
    if (s.LastLCTime != -1)
        image = group.DrawLeftClickEffect(image, fit.sx, fit.sy, cursor.Left.x(), cursor.Left.y(),
                                          cursor.Time - s.LastLCTime);
    if (s.LastRCTime != -1)
        image = group.DrawRightClickEffect(image, fit.sx, fit.sy, cursor.Right.x(),
                                           cursor.Right.y(), cursor.Time - s.LastRCTime);
    return image;
}

void TRImage::DrawPointer(DeviceContext& dc, const CursorSteps& cursor, const Fit& fit) {
    CursorDistortions(nullptr, cursor, fit);
    const TPointerShape& shape = cursor.State.Pointer;
    CreateCursorBitmap(int(shape.Width), int(shape.Height));
    if (!FCursorBitmap || shape.Width == 0 || shape.Height == 0)
        return;
    const QImage pixels = PointerImage(shape);
    if (pixels.isNull() ||
        !FCursorBitmap->copyFromMemory(pixels.constBits(), int(pixels.bytesPerLine())))
        return;
    const float k = cursor.Group->FScaleCursor / 100;
    const float left = float(cursor.Pointer.x()) - float(shape.HotSpot.x()) * k * fit.sx;
    const float top = float(cursor.Pointer.y()) - float(shape.HotSpot.y()) * k * fit.sy;
    dc.drawBitmap(*FCursorBitmap,
                  RectF{left, top, left + float(shape.Width) * k * fit.sx,
                        top + float(shape.Height) * k * fit.sy},
                  1, Interpolation::Cubic);
}

void TRImage::DrawMedia(DeviceContext& dc, const TRPropPlacement& placement, const QRectF& r) {
    UpdateMediaFrame();
    if (!FMediaBitmap)
        return;
    ImagePtr image = Annotated();
    const float mw = float(FMediaBitmap->pixelSize().width);
    const float mh = float(FMediaBitmap->pixelSize().height);
    CursorSteps cursor = CursorSample();
    auto* media = Get<TRPropFlipOpacity>(ptFlipOpacity);
    if (Checked(media))
        image = media->DrawFlip(image, mw, mh);
    Fit fit;
    image = FitToPlacement(image, placement, fit);
    if (cursor.On)
        for (QPoint* p : {&cursor.Pointer, &cursor.Left, &cursor.Right})
            *p = MapFit(*p, fit.sx, fit.sy, fit.dx, fit.dy);
    const QSizeF shown = placement.GetScaledSize();
    image = ColorSteps(ZoomAndPan(image, shown, fit, cursor), shown);
    auto* mask = Get<TRPropMask>(ptMask);
    GeometryPtr clip = Checked(mask) ? mask->GetGeometry(r, -1) : nullptr;
    if (!clip)
        clip = Geometry::rectangle(ToRectF(r));
    dc.pushLayer(LayerParameters{RectF::infinite(), clip, AntialiasMode::Aliased, {}, 1});
    if (cursor.On)
        image = CursorDistortions(image, cursor, fit);
    if (auto* fill = dynamic_cast<TRBrushSource*>(GetProperty(ptBackgroundFill));
        fill && GetProperty(ptBackgroundFill)->Checked())
        dc.fillGeometry(*clip, *fill->Brush(float(r.right()), float(r.bottom()), false));
    if (Checked(media))
        image = media->DrawOpacity(image);
    if (image)
        dc.drawImage(*image, {}, {}, Interpolation::Cubic);
    const QRectF text = mask ? mask->GetTextRectangle(r) : r;
    PaintObjectText(*this, ToRectF(text));
    if (cursor.On)
        DrawPointer(dc, cursor, fit);
    dc.popLayer();
}
