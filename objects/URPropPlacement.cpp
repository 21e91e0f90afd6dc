#include "objects/URPropPlacement.h"

#include "core/URXmlValues.h"
#include "graphics/URCEOpacity.h"
#include "graphics/UREffectGroup.h"
#include "platform/render/StandardEffects.h"

#include <algorithm>
#include <array>

using namespace platform::render;

namespace {

double Lerp(double from, double to, float pos) {
    return from + pos * (to - from);
}

void AppendSize(QDomElement& parent, const QString& name, const QSizeF& size) {
    QDomElement element = XmlAppendChild(parent, name);
    XmlSetFloat(element, QStringLiteral("Width"), size.width());
    XmlSetFloat(element, QStringLiteral("Height"), size.height());
}

void ReadSize(const QDomElement& parent, const QString& name, QSizeF& size) {
    const QDomElement element = parent.firstChildElement(name);
    float width = static_cast<float>(size.width());
    float height = static_cast<float>(size.height());
    if (XmlReadFloat(element, QStringLiteral("Width"), width))
        size.setWidth(width);
    if (XmlReadFloat(element, QStringLiteral("Height"), height))
        size.setHeight(height);
}

} // namespace

TRPropPlacement::TRPropPlacement() : TRPropBase(ptPlacement, false, true, true) {}

void TRPropPlacement::EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const {
    const auto* target = dynamic_cast<const TRPropPlacement*>(to);
    auto* result = dynamic_cast<TRPropPlacement*>(destination);
    if (!target || !result)
        return;
    result->FPosition = QPointF(Lerp(FPosition.x(), target->FPosition.x(), pos),
                                Lerp(FPosition.y(), target->FPosition.y(), pos));
    result->FSize = QSizeF(Lerp(FSize.width(), target->FSize.width(), pos),
                           Lerp(FSize.height(), target->FSize.height(), pos));
    result->FRotationX = Lerp(FRotationX, target->FRotationX, pos);
    result->FRotationY = Lerp(FRotationY, target->FRotationY, pos);
    result->FRotationZ = Lerp(FRotationZ, target->FRotationZ, pos);
    result->FOpacity = Lerp(FOpacity, target->FOpacity, pos);
    result->FScale = Lerp(FScale, target->FScale, pos);
    result->FIntrinsicRotations = FIntrinsicRotations;
    result->FAspectRatio = FAspectRatio;
    result->FOriginalSize = FOriginalSize;
    result->FLocked = true;
}

QDomElement TRPropPlacement::SaveToXML(QDomNode parent) const {
    QDomElement element = TRPropBase::SaveToXML(parent);
    QDomElement position = XmlAppendChild(element, QStringLiteral("Position"));
    XmlSetFloat(position, QStringLiteral("X"), FPosition.x());
    XmlSetFloat(position, QStringLiteral("Y"), FPosition.y());
    AppendSize(element, QStringLiteral("Size"), FSize);
    XmlAppendFloatElement(element, QStringLiteral("RotationX"), FRotationX);
    XmlAppendFloatElement(element, QStringLiteral("RotationY"), FRotationY);
    XmlAppendFloatElement(element, QStringLiteral("RotationZ"), FRotationZ);
    // The flag is reset whenever the rotation matrix is computed, so it is always saved off.
    XmlAppendBoolElement(element, QStringLiteral("IntrinsicRotations"), false);
    XmlAppendFloatElement(element, QStringLiteral("Opacity"), FOpacity);
    XmlAppendFloatElement(element, QStringLiteral("Scale"), FScale);
    XmlAppendBoolElement(element, QStringLiteral("AspectRatio"), FAspectRatio);
    AppendSize(element, QStringLiteral("OriginalSize"), FOriginalSize);
    XmlAppendBoolElement(element, QStringLiteral("Locked"), FLocked);
    return element;
}

void TRPropPlacement::OpenFromXML(const QDomElement& element, bool paste) {
    TRPropBase::OpenFromXML(element, paste);
    const QDomElement position = element.firstChildElement(QStringLiteral("Position"));
    float x = static_cast<float>(FPosition.x());
    float y = static_cast<float>(FPosition.y());
    if (XmlReadFloat(position, QStringLiteral("X"), x))
        FPosition.setX(x);
    if (XmlReadFloat(position, QStringLiteral("Y"), y))
        FPosition.setY(y);
    ReadSize(element, QStringLiteral("Size"), FSize);
    XmlReadFloatElement(element, QStringLiteral("RotationX"), FRotationX);
    XmlReadFloatElement(element, QStringLiteral("RotationY"), FRotationY);
    // "Rotation" is the older name of the in-plane rotation.
    XmlReadFloatElement(element, QStringLiteral("Rotation"), FRotationZ);
    XmlReadFloatElement(element, QStringLiteral("RotationZ"), FRotationZ);
    XmlReadBoolElement(element, QStringLiteral("IntrinsicRotations"), FIntrinsicRotations);
    XmlReadFloatElement(element, QStringLiteral("Opacity"), FOpacity);
    XmlReadFloatElement(element, QStringLiteral("Scale"), FScale);
    XmlReadBoolElement(element, QStringLiteral("AspectRatio"), FAspectRatio);
    ReadSize(element, QStringLiteral("OriginalSize"), FOriginalSize);
    XmlReadBoolElement(element, QStringLiteral("Locked"), FLocked);
}

QSizeF TRPropPlacement::GetScaledSize() const {
    return FSize * FScale;
}

void TRPropPlacement::SetScaledSize(const QSizeF& value) {
    if (FScale != 0)
        FSize = value / FScale;
}

QRectF TRPropPlacement::GetBoundsRect() const {
    const QSizeF scaled = GetScaledSize();
    return QRectF(-scaled.width() / 2, -scaled.height() / 2, scaled.width(), scaled.height());
}

QRectF TRPropPlacement::GetZeroBoundsRect() const {
    return QRectF(QPointF(0, 0), GetScaledSize());
}

bool TRPropPlacement::HasRotations() const {
    return FRotationX != 0 || FRotationY != 0 || FRotationZ != 0;
}

Matrix3x2 TRPropPlacement::GetTransformMatrix() const {
    return Matrix3x2::translation(float(FPosition.x()), float(FPosition.y()));
}

Matrix3x2 TRPropPlacement::GetTransformMatrixWithRZ() const {
    return Matrix3x2::rotation(FRotationZ) * GetTransformMatrix();
}

Matrix4x4 TRPropPlacement::GetRotationsMatrix() const {
    FIntrinsicRotations = false;
    return Matrix4x4::rotationX(FRotationX) * Matrix4x4::rotationY(FRotationY) *
           Matrix4x4::rotationZ(FRotationZ);
}

Matrix4x4 TRPropPlacement::SceneProjection() const {
    return GetRotationsMatrix() *
           Matrix4x4::translation(float(FPosition.x()), float(FPosition.y()), 0) *
           Matrix4x4::perspectiveProjection(ProjectionDepth);
}

TRTransformedPoints TRPropPlacement::GetTransformedPoints(float deltaBorder) const {
    const QRectF r = GetBoundsRect().adjusted(-deltaBorder, -deltaBorder, deltaBorder, deltaBorder);
    TRTransformedPoints points{QPointF(0, 0), r.topLeft(), r.topRight(), r.bottomRight(),
                               r.bottomLeft()};
    if (!HasRotations())
        return points;
    const Matrix4x4 m = SceneProjection();
    for (QPointF& p : points) {
        const double x = p.x(), y = p.y();
        const double w = std::max(x * m.m[0][3] + y * m.m[1][3] + m.m[3][3], double(MinProjectedW));
        p = QPointF((x * m.m[0][0] + y * m.m[1][0] + m.m[3][0]) / w - FPosition.x(),
                    (x * m.m[0][1] + y * m.m[1][1] + m.m[3][1]) / w - FPosition.y());
    }
    return points;
}

TRHitScene TRPropPlacement::TestHitOnScene(int x, int y, const Matrix3x2* matrix,
                                           float deltaBorder) const {
    const Matrix3x2 m = matrix ? GetTransformMatrix() * *matrix : GetTransformMatrix();
    const TRTransformedPoints points = GetTransformedPoints(deltaBorder);
    std::array<PointF, 5> corners;
    for (std::size_t i = 0; i < 4; ++i)
        corners[i] = m.transformPoint(PointF{float(points[i + 1].x()), float(points[i + 1].y())});
    corners[4] = corners[0];
    int negative = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const double x1 = corners[i].x, y1 = corners[i].y;
        const double x2 = corners[i + 1].x, y2 = corners[i + 1].y;
        if (x * (y1 - y2) - y * (x1 - x2) + x1 * y2 - y1 * x2 < 0)
            ++negative;
    }
    return negative == 0 || negative == 4 ? hsObject : hsNone;
}

ImagePtr TRPropPlacement::DrawRotations(const ImagePtr& input, int width, int height) const {
    if (!HasRotations() || !input)
        return input;
    const EffectPtr& effect = SceneEffect(FTransform3DEffect, effects::Transform3D);
    if (!effect)
        return input;
    const float w = float(width), h = float(height);
    const float px = float(FPosition.x()), py = float(FPosition.y());
    const Matrix4x4 m = Matrix4x4::translation(-w / 2, -h / 2, 0) * SceneProjection() *
                        Matrix4x4::translation(w / 2, h / 2, 0) *
                        Matrix4x4::translation(-px, -py, 0);
    effect->setInput(0, input);
    effect->setValue(effects::Transform3DMatrix, m);
    effect->setValue(effects::Transform3DInterpolation, uint32_t(Interpolation::Cubic));
    return effect->output();
}

ImagePtr TRPropPlacement::DrawOpacity(const ImagePtr& input, float trOpacity) const {
    const EffectPtr& effect = SceneEffect(FOpacityEffect, CLSID_CEOpacity);
    if (!effect || !input)
        return input;
    effect->setInput(0, input);
    effect->setValue(0, FOpacity * trOpacity);
    return effect->output();
}
