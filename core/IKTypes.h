#pragma once
// The value records of the image kit, the tagged value that the property animations move, access
// to a property of any QObject by name, the Gaussian kernel of the blur filters and the lookup
// of a system colour through the active style.

#include <QColor>
#include <QString>
#include <array>
#include <cstdint>
#include <stdexcept>

class QObject;
class QMetaProperty;

struct TIKPoint {
    float X = 0;
    float Y = 0;
};
struct TIKSize {
    float Width = 0;
    float Height = 0;
};
struct TIKRect {
    float X = 0;
    float Y = 0;
    float Width = 0;
    float Height = 0;
    TIKPoint Pos() const { return {X, Y}; }
    TIKSize Size() const { return {Width, Height}; }
};
struct TIKColorF {
    float R = 0;
    float G = 0;
    float B = 0;
    float A = 0;
};
// A 3 x 3 matrix, m11 .. m33 in row order.
struct TIKMatrix {
    std::array<float, 9> M{};
};
// A 4 x 4 matrix, m11 .. m44 in row order.
struct TIKMatrix3D {
    std::array<float, 16> M{};
};

inline TIKPoint IKPoint(float x, float y) {
    return {x, y};
}

// Raised by the value accessors, the property access and the animation transactions.
class EIKException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TIKValueKind : std::uint8_t {
    ivNull,
    ivObject,
    ivFloat,
    ivInt,
    ivPoint,
    ivRect,
    ivSize,
    ivColor,
    ivMatrix,
    ivMatrix3D
};

// A number, point, rectangle, size, colour, matrix or object reference. Floating-point values
// are kept in double precision so that an animated value arrives exactly.
class TIKValue {
public:
    TIKValue() = default;
    TIKValue(QObject* value) : FKind(TIKValueKind::ivObject), FObject(value) {}
    TIKValue(double value) : FKind(TIKValueKind::ivFloat), FFloat(value) {}
    TIKValue(int value) : FKind(TIKValueKind::ivInt), FInt(value) {}
    TIKValue(TIKPoint value) : FKind(TIKValueKind::ivPoint), FPoint(value) {}
    TIKValue(TIKRect value) : FKind(TIKValueKind::ivRect), FRect(value) {}
    TIKValue(TIKSize value) : FKind(TIKValueKind::ivSize), FSize(value) {}
    TIKValue(TIKColorF value) : FKind(TIKValueKind::ivColor), FColor(value) {}
    TIKValue(TIKMatrix value) : FKind(TIKValueKind::ivMatrix), FMatrix(value) {}
    TIKValue(TIKMatrix3D value) : FKind(TIKValueKind::ivMatrix3D), FMatrix3D(value) {}

    static TIKValue Null() { return {}; }
    TIKValueKind Kind() const { return FKind; }
    bool IsNull() const { return FKind == TIKValueKind::ivNull; }

    double AsFloat() const;
    // Floating-point values round to the nearest integer, halves to even.
    int AsInt() const;
    QObject* AsObject() const;
    TIKPoint AsPoint() const;
    TIKRect AsRect() const;
    TIKSize AsSize() const;
    TIKColorF AsColor() const;
    TIKMatrix AsMatrix() const;
    TIKMatrix3D AsMatrix3D() const;

private:
    template <class T> const T& Payload(TIKValueKind kind, const T& field, const char* error) const;

    TIKValueKind FKind = TIKValueKind::ivNull;
    QObject* FObject = nullptr;
    double FFloat = 0;
    int FInt = 0;
    TIKPoint FPoint;
    TIKRect FRect;
    TIKSize FSize;
    TIKColorF FColor;
    TIKMatrix FMatrix;
    TIKMatrix3D FMatrix3D;
};

// The value between `from` and `to` at `t` (0..1), by the kind of `from`; Null for kinds that
// do not interpolate (objects, rectangles, sizes, 3 x 3 matrices).
TIKValue IKInterpolate(const TIKValue& from, const TIKValue& to, double t);

// Whether `object`'s class (its Qt meta-object, inherited properties included) has the
// property; `found` receives its description when it does.
bool IKFindProperty(const QObject* object, const QString& name, QMetaProperty* found = nullptr);
// Writes the value into the named property, converted to the property's type. False (nothing
// written) when the property does not exist.
bool IKSetValue(QObject* object, const QString& name, const TIKValue& value);
// The named property as a tagged value; Null when it does not exist.
TIKValue IKGetValue(const QObject* object, const QString& name);

// The normalised weights of a one-dimensional Gaussian blur: Weights[100 + i] for
// i = -Radius .. Radius sum to 1; the entries beyond the radius are not part of the kernel.
struct TIKGaussianKernel {
    std::uint8_t Radius = 0;
    std::array<float, 201> Weights{};
    float Weight(int i) const { return Weights[static_cast<std::size_t>(100 + i)]; }
};
// Sigma must be positive.
void IKGaussianKernel(TIKGaussianKernel& kernel, float sigma);

// The application style's value for a palette role (the active style's colours when a style
// palette is installed, else the platform's).
QColor IKStyleSystemColor(int paletteRole);
