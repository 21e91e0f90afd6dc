#include "objects/URPropPlacement.h"

#include "core/URXmlValues.h"

#include <QTransform>
#include <QtMath>
#include <cmath>

namespace {

float Lerp(float from, float to, float pos) {
    return from + pos * (to - from);
}

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

TRTransformedPoints TRPropPlacement::TransformedPoints(float deltaBorder) const {
    const QRectF r = GetBoundsRect().adjusted(-deltaBorder, -deltaBorder, deltaBorder, deltaBorder);
    QTransform t;
    t.rotate(FRotationZ);
    t.scale(std::cos(qDegreesToRadians(double(FRotationY))),
            std::cos(qDegreesToRadians(double(FRotationX))));
    return {QPointF(0, 0), t.map(r.topLeft()), t.map(r.topRight()), t.map(r.bottomRight()),
            t.map(r.bottomLeft())};
}
