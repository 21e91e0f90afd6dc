#include "platform/render/Types.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace platform::render {

namespace {

constexpr int32_t kInfMin = std::numeric_limits<int32_t>::min() / 2;
constexpr int32_t kInfMax = std::numeric_limits<int32_t>::max() / 2;

float radians(float degrees) {
    return degrees * std::numbers::pi_v<float> / 180.0f;
}

// A rotation turning axis `a` towards axis `b` (rows are vectors).
Matrix4x4 planeRotation(int a, int b, float degrees) {
    const float r = radians(degrees);
    Matrix4x4 m;
    m.m[a][a] = std::cos(r);
    m.m[a][b] = std::sin(r);
    m.m[b][a] = -std::sin(r);
    m.m[b][b] = std::cos(r);
    return m;
}

int32_t saturate(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, kInfMin, kInfMax));
}

} // namespace

RectF RectF::infinite() {
    const float big = std::numeric_limits<float>::max();
    return {-big, -big, big, big};
}

RectF RectF::intersected(const RectF& o) const {
    return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
            std::min(bottom, o.bottom)};
}

RectF RectF::fromQRectF(const QRectF& r) {
    return {float(r.left()), float(r.top()), float(r.right()), float(r.bottom())};
}

RectL RectL::infinite() {
    return {kInfMin, kInfMin, kInfMax, kInfMax};
}

RectL RectL::covering(const RectF& r) {
    auto lo = [](float v) { return saturate(int64_t(std::floor(std::max<double>(v, kInfMin)))); };
    auto hi = [](float v) { return saturate(int64_t(std::ceil(std::min<double>(v, kInfMax)))); };
    return {lo(r.left), lo(r.top), hi(r.right), hi(r.bottom)};
}

bool RectL::isInfinite() const {
    return left <= kInfMin || top <= kInfMin || right >= kInfMax || bottom >= kInfMax;
}

bool RectL::contains(const RectL& o) const {
    return o.left >= left && o.top >= top && o.right <= right && o.bottom <= bottom;
}

RectL RectL::intersected(const RectL& o) const {
    return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
            std::min(bottom, o.bottom)};
}

RectL RectL::united(const RectL& o) const {
    if (isEmpty())
        return o;
    if (o.isEmpty())
        return *this;
    return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right),
            std::max(bottom, o.bottom)};
}

RectL RectL::translated(int32_t dx, int32_t dy) const {
    return {saturate(int64_t(left) + dx), saturate(int64_t(top) + dy),
            saturate(int64_t(right) + dx), saturate(int64_t(bottom) + dy)};
}

RectL RectL::inflated(int32_t n) const {
    return {saturate(int64_t(left) - n), saturate(int64_t(top) - n), saturate(int64_t(right) + n),
            saturate(int64_t(bottom) + n)};
}

QRect RectL::toQRect() const {
    if (isEmpty())
        return {};
    return QRect(left, top, int(width()), int(height()));
}

Matrix3x2 Matrix3x2::scale(float sx, float sy, PointF c) {
    return {sx, 0, 0, sy, c.x - sx * c.x, c.y - sy * c.y};
}

Matrix3x2 Matrix3x2::rotation(float degrees, PointF c) {
    const float a = radians(degrees);
    const float cs = std::cos(a);
    const float sn = std::sin(a);
    return {cs, sn, -sn, cs, c.x - c.x * cs + c.y * sn, c.y - c.x * sn - c.y * cs};
}

bool Matrix3x2::isInvertible() const {
    const float d = determinant();
    return std::isfinite(d) && d != 0;
}

bool Matrix3x2::invert(Matrix3x2& out) const {
    if (!isInvertible())
        return false;
    const double d = determinant();
    Matrix3x2 r;
    r.m11 = float(m22 / d);
    r.m12 = float(-m12 / d);
    r.m21 = float(-m21 / d);
    r.m22 = float(m11 / d);
    r.dx = float((double(m21) * dy - double(m22) * dx) / d);
    r.dy = float((double(m12) * dx - double(m11) * dy) / d);
    out = r;
    return true;
}

RectF Matrix3x2::transformRect(const RectF& r) const {
    const PointF pts[4] = {transformPoint({r.left, r.top}), transformPoint({r.right, r.top}),
                           transformPoint({r.left, r.bottom}), transformPoint({r.right, r.bottom})};
    RectF out{pts[0].x, pts[0].y, pts[0].x, pts[0].y};
    for (const PointF& p : pts) {
        out.left = std::min(out.left, p.x);
        out.top = std::min(out.top, p.y);
        out.right = std::max(out.right, p.x);
        out.bottom = std::max(out.bottom, p.y);
    }
    return out;
}

Matrix3x2 Matrix3x2::operator*(const Matrix3x2& o) const {
    return {m11 * o.m11 + m12 * o.m21,      m11 * o.m12 + m12 * o.m22,
            m21 * o.m11 + m22 * o.m21,      m21 * o.m12 + m22 * o.m22,
            dx * o.m11 + dy * o.m21 + o.dx, dx * o.m12 + dy * o.m22 + o.dy};
}

Matrix4x4 Matrix4x4::translation(float x, float y, float z) {
    Matrix4x4 r;
    r.m[3][0] = x;
    r.m[3][1] = y;
    r.m[3][2] = z;
    return r;
}

Matrix4x4 Matrix4x4::scale(float x, float y, float z) {
    Matrix4x4 r;
    r.m[0][0] = x;
    r.m[1][1] = y;
    r.m[2][2] = z;
    return r;
}

Matrix4x4 Matrix4x4::rotationX(float degrees) {
    return planeRotation(1, 2, degrees);
}

Matrix4x4 Matrix4x4::rotationY(float degrees) {
    return planeRotation(2, 0, degrees);
}

Matrix4x4 Matrix4x4::rotationZ(float degrees) {
    return planeRotation(0, 1, degrees);
}

Matrix4x4 Matrix4x4::perspectiveProjection(float depth) {
    Matrix4x4 r;
    if (depth > 0)
        r.m[2][3] = -1.0f / depth;
    return r;
}

Matrix4x4 Matrix4x4::operator*(const Matrix4x4& o) const {
    Matrix4x4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float s = 0;
            for (int k = 0; k < 4; ++k)
                s += m[i][k] * o.m[k][j];
            r.m[i][j] = s;
        }
    return r;
}

bool Matrix4x4::projectPoint(PointF p, PointF& out) const {
    const float x = p.x * m[0][0] + p.y * m[1][0] + m[3][0];
    const float y = p.x * m[0][1] + p.y * m[1][1] + m[3][1];
    const float w = p.x * m[0][3] + p.y * m[1][3] + m[3][3];
    if (!(w > 0))
        return false;
    out = {x / w, y / w};
    return true;
}

} // namespace platform::render
