#include "core/IKTypes.h"

#include <QGuiApplication>
#include <QMatrix4x4>
#include <QMetaProperty>
#include <QObject>
#include <QPalette>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QTransform>
#include <cmath>

namespace {

double Lerp(double a, double b, double t) {
    return a + (b - a) * t;
}

float LerpF(float a, float b, double t) {
    return static_cast<float>(Lerp(a, b, t));
}

int RoundHalfEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

template <std::size_t N>
std::array<float, N> LerpArray(const std::array<float, N>& a, const std::array<float, N>& b,
                               double t) {
    std::array<float, N> result{};
    for (std::size_t i = 0; i < N; ++i)
        result[i] = LerpF(a[i], b[i], t);
    return result;
}

enum class PropertyClass { Integer, Floating, Object, Record, Other };

PropertyClass ClassOf(const QMetaProperty& property) {
    if (property.isEnumType() || property.isFlagType())
        return PropertyClass::Other;
    const QMetaType type = property.metaType();
    if (type.flags() & QMetaType::PointerToQObject)
        return PropertyClass::Object;
    switch (type.id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return PropertyClass::Integer;
    case QMetaType::Double:
    case QMetaType::Float:
        return PropertyClass::Floating;
    case QMetaType::Bool:
    case QMetaType::QString:
    case QMetaType::QByteArray:
    case QMetaType::QStringList:
    case QMetaType::Char:
    case QMetaType::QChar:
        return PropertyClass::Other;
    default:
        return PropertyClass::Record;
    }
}

TIKValue ReadRecord(const QVariant& value) {
    switch (value.metaType().id()) {
    case QMetaType::QRectF:
    case QMetaType::QRect: {
        const QRectF r = value.toRectF();
        return TIKRect{float(r.x()), float(r.y()), float(r.width()), float(r.height())};
    }
    case QMetaType::QColor: {
        const QColor c = value.value<QColor>();
        return TIKColorF{float(c.redF()), float(c.greenF()), float(c.blueF()), float(c.alphaF())};
    }
    case QMetaType::QPointF:
    case QMetaType::QPoint: {
        const QPointF p = value.toPointF();
        return TIKPoint{float(p.x()), float(p.y())};
    }
    case QMetaType::QSizeF:
    case QMetaType::QSize: {
        const QSizeF s = value.toSizeF();
        return TIKSize{float(s.width()), float(s.height())};
    }
    case QMetaType::QTransform: {
        const auto m = value.value<QTransform>();
        return TIKMatrix{{float(m.m11()), float(m.m12()), float(m.m13()), float(m.m21()),
                          float(m.m22()), float(m.m23()), float(m.m31()), float(m.m32()),
                          float(m.m33())}};
    }
    case QMetaType::QMatrix4x4: {
        const auto m = value.value<QMatrix4x4>();
        TIKMatrix3D result;
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 4; ++column)
                result.M[std::size_t(row * 4 + column)] = m(row, column);
        return result;
    }
    default:
        throw EIKException("Unsupported structure");
    }
}

QVariant WriteRecord(QMetaType type, const TIKValue& value) {
    switch (type.id()) {
    case QMetaType::QRectF:
    case QMetaType::QRect: {
        const TIKRect r = value.AsRect();
        return QVariant(QRectF(r.X, r.Y, r.Width, r.Height));
    }
    case QMetaType::QColor: {
        const TIKColorF c = value.AsColor();
        return QColor::fromRgbF(c.R, c.G, c.B, c.A);
    }
    case QMetaType::QPointF:
    case QMetaType::QPoint: {
        const TIKPoint p = value.AsPoint();
        return QVariant(QPointF(p.X, p.Y));
    }
    case QMetaType::QSizeF:
    case QMetaType::QSize: {
        const TIKSize s = value.AsSize();
        return QVariant(QSizeF(s.Width, s.Height));
    }
    case QMetaType::QTransform: {
        const auto& m = value.AsMatrix().M;
        return QTransform(m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8]);
    }
    case QMetaType::QMatrix4x4:
        return QMatrix4x4(value.AsMatrix3D().M.data());
    default:
        throw EIKException("Unsupported structure");
    }
}

QVariant ToPropertyVariant(const QMetaProperty& property, const TIKValue& value) {
    switch (ClassOf(property)) {
    case PropertyClass::Integer:
        return value.AsInt();
    case PropertyClass::Floating:
        return value.AsFloat();
    case PropertyClass::Object:
        return QVariant::fromValue(value.AsObject());
    case PropertyClass::Record:
        return WriteRecord(property.metaType(), value);
    case PropertyClass::Other:
        break;
    }
    throw EIKException("Invalid property type");
}

} // namespace

template <class T>
const T& TIKValue::Payload(TIKValueKind kind, const T& field, const char* error) const {
    if (FKind != kind)
        throw EIKException(error);
    return field;
}

double TIKValue::AsFloat() const {
    switch (FKind) {
    case TIKValueKind::ivNull:
        return 0;
    case TIKValueKind::ivFloat:
        return FFloat;
    case TIKValueKind::ivInt:
        return FInt;
    default:
        throw EIKException("Invalid float value");
    }
}

int TIKValue::AsInt() const {
    switch (FKind) {
    case TIKValueKind::ivNull:
        return 0;
    case TIKValueKind::ivInt:
        return FInt;
    case TIKValueKind::ivFloat:
        return RoundHalfEven(FFloat);
    default:
        throw EIKException("Invalid int value");
    }
}

QObject* TIKValue::AsObject() const {
    return Payload(TIKValueKind::ivObject, FObject, "Invalid instance value");
}
TIKPoint TIKValue::AsPoint() const {
    return Payload(TIKValueKind::ivPoint, FPoint, "Invalid Point value");
}
TIKRect TIKValue::AsRect() const {
    return Payload(TIKValueKind::ivRect, FRect, "Invalid Rect value");
}
TIKSize TIKValue::AsSize() const {
    return Payload(TIKValueKind::ivSize, FSize, "Invalid Size value");
}
TIKColorF TIKValue::AsColor() const {
    return Payload(TIKValueKind::ivColor, FColor, "Invalid color value");
}
TIKMatrix TIKValue::AsMatrix() const {
    return Payload(TIKValueKind::ivMatrix, FMatrix, "Invalid matrix value");
}
TIKMatrix3D TIKValue::AsMatrix3D() const {
    return Payload(TIKValueKind::ivMatrix3D, FMatrix3D, "Invalid 3D matrix value");
}

TIKValue IKInterpolate(const TIKValue& from, const TIKValue& to, double t) {
    switch (from.Kind()) {
    case TIKValueKind::ivFloat:
        return Lerp(from.AsFloat(), to.AsFloat(), t);
    case TIKValueKind::ivInt:
        return RoundHalfEven(Lerp(from.AsInt(), to.AsInt(), t));
    case TIKValueKind::ivPoint: {
        const TIKPoint a = from.AsPoint(), b = to.AsPoint();
        return TIKPoint{LerpF(a.X, b.X, t), LerpF(a.Y, b.Y, t)};
    }
    case TIKValueKind::ivColor: {
        const TIKColorF a = from.AsColor(), b = to.AsColor();
        return TIKColorF{LerpF(a.R, b.R, t), LerpF(a.G, b.G, t), LerpF(a.B, b.B, t),
                         LerpF(a.A, b.A, t)};
    }
    case TIKValueKind::ivMatrix3D:
        return TIKMatrix3D{LerpArray(from.AsMatrix3D().M, to.AsMatrix3D().M, t)};
    default:
        return TIKValue::Null();
    }
}

bool IKFindProperty(const QObject* object, const QString& name, QMetaProperty* found) {
    if (!object)
        return false;
    const QMetaObject* meta = object->metaObject();
    const int index = meta->indexOfProperty(name.toLatin1().constData());
    if (index < 0)
        return false;
    if (found)
        *found = meta->property(index);
    return true;
}

bool IKSetValue(QObject* object, const QString& name, const TIKValue& value) {
    QMetaProperty property;
    if (!IKFindProperty(object, name, &property))
        return false;
    property.write(object, ToPropertyVariant(property, value));
    return true;
}

TIKValue IKGetValue(const QObject* object, const QString& name) {
    QMetaProperty property;
    if (!IKFindProperty(object, name, &property))
        return TIKValue::Null();
    const QVariant value = property.read(object);
    switch (ClassOf(property)) {
    case PropertyClass::Integer:
        return value.toInt();
    case PropertyClass::Floating:
        return value.toDouble();
    case PropertyClass::Object:
        return value.value<QObject*>();
    case PropertyClass::Record:
        return ReadRecord(value);
    case PropertyClass::Other:
        break;
    }
    throw EIKException("Invalid property type");
}

void IKGaussianKernel(TIKGaussianKernel& kernel, float sigma) {
    auto normalise = [&kernel](int radius) {
        double sum = 0;
        for (int i = -radius; i <= radius; ++i)
            sum += kernel.Weight(i);
        for (int i = -radius; i <= radius; ++i) {
            float& weight = kernel.Weights[std::size_t(100 + i)];
            weight = static_cast<float>(weight / sum);
        }
    };
    for (int i = -100; i <= 100; ++i) {
        const double x = i / double(sigma);
        kernel.Weights[std::size_t(100 + i)] = static_cast<float>(std::exp(-x * x / 2));
    }
    normalise(100);
    // The tails that together stay under half a step of an 8-bit channel are cut off, with the
    // last pair that pushed them over.
    int radius = 100;
    double tail = 0;
    do {
        tail += 2.0 * kernel.Weight(radius);
        --radius;
    } while (tail < 1.0 / 510 && radius > 1);
    kernel.Radius = static_cast<std::uint8_t>(radius);
    normalise(radius);
}

QColor IKStyleSystemColor(int paletteRole) {
    return QGuiApplication::palette().color(static_cast<QPalette::ColorRole>(paletteRole));
}
