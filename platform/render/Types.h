// Value types of the 2-D engine: points, sizes, rectangles, colours, vectors and matrices.
// Coordinates are device-independent pixels (DIPs, 1/96 inch) unless a name says pixels.
// Matrices use the row-vector convention: a point p maps to p * M, and A * B applies A first.
#pragma once

#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QTransform>
#include <cstdint>
#include <limits>

namespace platform::render {

struct PointF {
    float x = 0;
    float y = 0;
    friend bool operator==(const PointF&, const PointF&) = default;
};

struct SizeF {
    float width = 0;
    float height = 0;
    friend bool operator==(const SizeF&, const SizeF&) = default;
};

/// Whole-pixel point and size (bitmap offsets, pixel sizes).
struct PointL {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const PointL&, const PointL&) = default;
};

struct SizeU {
    uint32_t width = 0;
    uint32_t height = 0;
    friend bool operator==(const SizeU&, const SizeU&) = default;
};

/// Rectangle by its edges; empty when right <= left or bottom <= top.
struct RectF {
    float left = 0;
    float top = 0;
    float right = 0;
    float bottom = 0;

    static RectF fromXYWH(float x, float y, float w, float h) { return {x, y, x + w, y + h}; }
    /// The "infinite" rectangle: layer content bounds that do not limit anything.
    static RectF infinite();
    float width() const { return right - left; }
    float height() const { return bottom - top; }
    bool isEmpty() const { return !(right > left && bottom > top); }
    bool contains(PointF p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    RectF intersected(const RectF& o) const;
    QRectF toQRectF() const { return QRectF(left, top, width(), height()); }
    static RectF fromQRectF(const QRectF& r);
    friend bool operator==(const RectF&, const RectF&) = default;
};

/// Whole-pixel rectangle by its edges (right and bottom exclusive), the unit of effect regions.
struct RectL {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    static RectL fromXYWH(int32_t x, int32_t y, int32_t w, int32_t h) {
        return {x, y, x + w, y + h};
    }
    /// An unbounded region (the output of a generator such as a flood fill).
    static RectL infinite();
    /// The smallest pixel rectangle that covers `r`.
    static RectL covering(const RectF& r);
    int64_t width() const { return int64_t(right) - left; }
    int64_t height() const { return int64_t(bottom) - top; }
    int64_t area() const { return isEmpty() ? 0 : width() * height(); }
    bool isEmpty() const { return right <= left || bottom <= top; }
    bool isInfinite() const;
    bool contains(const RectL& o) const;
    RectL intersected(const RectL& o) const;
    RectL united(const RectL& o) const;
    RectL translated(int32_t dx, int32_t dy) const;
    /// Grows every edge by `n` pixels (saturating at the infinite bounds).
    RectL inflated(int32_t n) const;
    QRect toQRect() const;
    static RectL fromQRect(const QRect& r) {
        return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    }
    RectF toRectF() const { return {float(left), float(top), float(right), float(bottom)}; }
    friend bool operator==(const RectL&, const RectL&) = default;
};

/// How images are sampled when scaled or rotated. Cubic is drawn with bilinear filtering.
enum class Interpolation : uint32_t { Nearest = 0, Linear = 1, Cubic = 2 };

struct RoundedRect {
    RectF rect;
    float radiusX = 0;
    float radiusY = 0;
};

struct Ellipse {
    PointF center;
    float radiusX = 0;
    float radiusY = 0;
};

/// Straight (not premultiplied) colour, components 0..1.
struct ColorF {
    float r = 0;
    float g = 0;
    float b = 0;
    float a = 1;
    friend bool operator==(const ColorF&, const ColorF&) = default;
};

struct Vector2 {
    float x = 0;
    float y = 0;
    friend bool operator==(const Vector2&, const Vector2&) = default;
};

struct Vector3 {
    float x = 0;
    float y = 0;
    float z = 0;
    friend bool operator==(const Vector3&, const Vector3&) = default;
};

struct Vector4 {
    float x = 0;
    float y = 0;
    float z = 0;
    float w = 0;
    friend bool operator==(const Vector4&, const Vector4&) = default;
};

/// 2-D affine matrix [m11 m12; m21 m22; dx dy] (row vectors).
struct Matrix3x2 {
    float m11 = 1, m12 = 0;
    float m21 = 0, m22 = 1;
    float dx = 0, dy = 0;

    static Matrix3x2 identity() { return {}; }
    static Matrix3x2 translation(float x, float y) { return {1, 0, 0, 1, x, y}; }
    /// Scale by (sx, sy) about `center`.
    static Matrix3x2 scale(float sx, float sy, PointF center = {});
    /// Rotation by `degrees`, clockwise on screen (y grows downwards), about `center`.
    static Matrix3x2 rotation(float degrees, PointF center = {});

    float determinant() const { return m11 * m22 - m12 * m21; }
    bool isInvertible() const;
    bool isIdentity() const { return *this == Matrix3x2{}; }
    /// The inverse; returns false (and leaves `out` alone) for a singular matrix.
    bool invert(Matrix3x2& out) const;
    PointF transformPoint(PointF p) const {
        return {p.x * m11 + p.y * m21 + dx, p.x * m12 + p.y * m22 + dy};
    }
    /// The bounding box of the transformed rectangle.
    RectF transformRect(const RectF& r) const;
    /// This followed by `o`.
    Matrix3x2 operator*(const Matrix3x2& o) const;
    QTransform toQTransform() const { return QTransform(m11, m12, m21, m22, dx, dy); }
    friend bool operator==(const Matrix3x2&, const Matrix3x2&) = default;
};

/// 4x4 matrix for 3-D transforms, row vectors: (x, y, z, 1) * M.
struct Matrix4x4 {
    float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

    static Matrix4x4 identity() { return {}; }
    static Matrix4x4 translation(float x, float y, float z);
    static Matrix4x4 scale(float x, float y, float z);
    /// Rotations by `degrees` about the x, y and z axes.
    static Matrix4x4 rotationX(float degrees);
    static Matrix4x4 rotationY(float degrees);
    static Matrix4x4 rotationZ(float degrees);
    /// Perspective with the viewer at `depth` in front of the z = 0 plane (m[2][3] = -1/depth);
    /// identity for depth <= 0.
    static Matrix4x4 perspectiveProjection(float depth);
    /// This followed by `o`.
    Matrix4x4 operator*(const Matrix4x4& o) const;
    /// Maps a point of the z = 0 plane and divides by w; false when w <= 0 (behind the viewer).
    bool projectPoint(PointF p, PointF& out) const;
    friend bool operator==(const Matrix4x4&, const Matrix4x4&) = default;
};

} // namespace platform::render
