#include "imagekit/IKTypes.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace {

void CheckFormat(TIKPixelFormat format) {
    if (format == pfNone || format > pfBGRA)
        throw std::runtime_error("Invalid pixel format");
}

std::uint32_t Pack(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return a << 24 | r << 16 | g << 8 | b;
}

std::uint8_t Channel(float value) {
    return std::uint8_t(std::clamp(std::nearbyint(double(value) * 255.0), 0.0, 255.0));
}

template <class T, class Get> TIKRect Bounds(const std::vector<T>& items, Get get) {
    float minX = FLT_MAX, minY = FLT_MAX, maxX = -FLT_MAX, maxY = -FLT_MAX;
    for (const T& item : items) {
        const TIKPoint p = get(item);
        minX = std::min(minX, p.X);
        minY = std::min(minY, p.Y);
        maxX = std::max(maxX, p.X);
        maxY = std::max(maxY, p.Y);
    }
    return {minX, minY, maxX - minX, maxY - minY};
}

} // namespace

std::int64_t IKPixelBytes(TIKPixelFormat format, std::int64_t count) {
    return count * IKBytesPerPixel[format];
}

std::uint8_t* IKScanLine(std::uint8_t* bits, int y, std::int64_t pitch) {
    return bits + std::int64_t(y) * pitch;
}

std::uint8_t* IKPackedScanLine(std::uint8_t* bits, TIKPixelFormat format, int width, int y) {
    return IKScanLine(bits, y, IKPixelBytes(format, width));
}

std::uint8_t* IKPixelAddress(std::uint8_t* bits, TIKPixelFormat format, std::int64_t pitch, int x,
                             int y) {
    return IKScanLine(bits, y, pitch) + IKPixelBytes(format, x);
}

std::uint8_t* IKPackedPixel(std::uint8_t* bits, TIKPixelFormat format, int width, int x, int y) {
    return IKPixelAddress(bits, format, IKPixelBytes(format, width), x, y);
}

std::uint32_t IKReadPixel(const std::uint8_t* src, TIKPixelFormat format) {
    switch (format) {
    case pfRGB:
    case pfRGBX:
        return Pack(255, src[0], src[1], src[2]);
    case pfRGBA:
        return Pack(src[3], src[0], src[1], src[2]);
    case pfBGR:
    case pfBGRX:
        return Pack(255, src[2], src[1], src[0]);
    case pfBGRA:
        return Pack(src[3], src[2], src[1], src[0]);
    default:
        throw std::runtime_error("Invalid pixel format");
    }
}

void IKWritePixel(std::uint32_t color, std::uint8_t* dst, TIKPixelFormat format) {
    const auto a = std::uint8_t(color >> 24);
    const auto r = std::uint8_t(color >> 16);
    const auto g = std::uint8_t(color >> 8);
    const auto b = std::uint8_t(color);
    switch (format) {
    case pfRGBA:
        dst[3] = a;
        [[fallthrough]];
    case pfRGB:
    case pfRGBX:
        dst[0] = r;
        dst[1] = g;
        dst[2] = b;
        return;
    case pfBGRA:
        dst[3] = a;
        [[fallthrough]];
    case pfBGR:
    case pfBGRX:
        dst[0] = b;
        dst[1] = g;
        dst[2] = r;
        return;
    default:
        throw std::runtime_error("Invalid pixel format");
    }
}

void IKConvertPixel(const std::uint8_t* src, TIKPixelFormat srcFormat, std::uint8_t* dst,
                    TIKPixelFormat dstFormat) {
    IKConvertPixels(src, dst, 1, srcFormat, dstFormat);
}

void IKConvertPixels(const std::uint8_t* src, std::uint8_t* dst, int count,
                     TIKPixelFormat srcFormat, TIKPixelFormat dstFormat) {
    CheckFormat(srcFormat);
    CheckFormat(dstFormat);
    if (count <= 0)
        return;
    if (srcFormat == dstFormat) {
        std::memmove(dst, src, std::size_t(IKPixelBytes(srcFormat, count)));
        return;
    }
    const int srcStep = IKBytesPerPixel[srcFormat];
    const int dstStep = IKBytesPerPixel[dstFormat];
    for (int i = 0; i < count; ++i, src += srcStep, dst += dstStep)
        IKWritePixel(IKReadPixel(src, srcFormat), dst, dstFormat);
}

TIKColorF IKColorF(std::uint32_t argb) {
    return {float((argb >> 16) & 255) / 255.0f, float((argb >> 8) & 255) / 255.0f,
            float(argb & 255) / 255.0f, float(argb >> 24) / 255.0f};
}

std::uint32_t IKColorFToARGB(const TIKColorF& color) {
    return Pack(Channel(color.A), Channel(color.R), Channel(color.G), Channel(color.B));
}

std::uint32_t IKColorFToColor(const TIKColorF& color) {
    std::uint8_t pixel[4] = {};
    IKWritePixel(IKColorFToARGB(color), pixel, pfRGBX);
    return std::uint32_t(pixel[0]) | std::uint32_t(pixel[1]) << 8 | std::uint32_t(pixel[2]) << 16;
}

TIKVector IKVector(float x, float y, float w) {
    return {x, y, w};
}

TIKVector3D IKVector3D(float x, float y, float z, float w) {
    return {x, y, z, w};
}

TIKRect IKRect(float x, float y, float width, float height) {
    return {x, y, width, height};
}

bool IKSameValue(float a, float b) {
    const float tolerance = std::max(1e-4f * std::min(std::fabs(a), std::fabs(b)), 1e-4f);
    return std::fabs(a - b) <= tolerance;
}

bool IKSamePoint(const TIKPoint& a, const TIKPoint& b) {
    return IKSameValue(a.X, b.X) && IKSameValue(a.Y, b.Y);
}

bool IKSameSize(const TIKSize& a, const TIKSize& b) {
    return IKSameValue(a.Width, b.Width) && IKSameValue(a.Height, b.Height);
}

bool IKSameRect(const TIKRect& a, const TIKRect& b) {
    return IKSamePoint(a.Pos(), b.Pos()) && IKSameSize(a.Size(), b.Size());
}

TIKRect IKOriginRect(const TIKRect& r) {
    return {0, 0, r.Width, r.Height};
}

TIKRect IKOffsetRect(const TIKRect& r, float dx, float dy) {
    return {r.X + dx, r.Y + dy, r.Width, r.Height};
}

TIKRect IKInflateRect(const TIKRect& r, float dx, float dy) {
    return IKInflateRect(r, dx, dy, dx, dy);
}

TIKRect IKInflateRect(const TIKRect& r, float left, float top, float right, float bottom) {
    return {r.X - left, r.Y - top, r.Width + left + right, r.Height + top + bottom};
}

TIKRect IKUnionRect(const TIKRect& a, const TIKRect& b) {
    TIKRect r = a;
    if (b.X < r.X) {
        r.Width += r.X - b.X;
        r.X = b.X;
    }
    if (b.Y < r.Y) {
        r.Height += r.Y - b.Y;
        r.Y = b.Y;
    }
    if (b.X + b.Width > r.X + r.Width)
        r.Width = b.X + b.Width - r.X;
    if (b.Y + b.Height > r.Y + r.Height)
        r.Height = b.Y + b.Height - r.Y;
    return r;
}

TIKRect IKPointsBounds(const std::vector<TIKPoint>& points) {
    return Bounds(points, [](const TIKPoint& p) { return p; });
}

TIKRect IKVectorsBounds(const std::vector<TIKVector>& vectors) {
    return Bounds(vectors, [](const TIKVector& v) { return TIKPoint{v.X, v.Y}; });
}

TIKMatrix IKScaleMatrix(float sx, float sy) {
    TIKMatrix m = IKIdentityMatrix;
    m.M[0] = sx;
    m.M[4] = sy;
    return m;
}

TIKMatrix IKTranslateMatrix(float dx, float dy) {
    TIKMatrix m = IKIdentityMatrix;
    m.M[6] = dx;
    m.M[7] = dy;
    return m;
}

TIKMatrix IKRotationMatrix(float degrees) {
    const auto theta = double(float(double(degrees) * 0.017453292519943295));
    TIKMatrix m = IKIdentityMatrix;
    m.M[0] = float(std::cos(theta));
    m.M[1] = float(std::sin(theta));
    m.M[3] = float(-std::sin(theta));
    m.M[4] = float(std::cos(theta));
    return m;
}

TIKMatrix IKMultiplyMatrix(const TIKMatrix& a, const TIKMatrix& b) {
    TIKMatrix r;
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j) {
            double sum = 0;
            for (std::size_t k = 0; k < 3; ++k)
                sum += double(a.M[i * 3 + k]) * double(b.M[k * 3 + j]);
            r.M[i * 3 + j] = float(sum);
        }
    return r;
}

TIKVector IKTransformVector(const TIKVector& v, const TIKMatrix& m) {
    const auto column = [&](std::size_t j) {
        return float(double(v.X) * m.M[j] + double(v.Y) * m.M[3 + j] + double(v.W) * m.M[6 + j]);
    };
    return {column(0), column(1), column(2)};
}

TIKTexture::TIKTexture(TIKTextureAttrs attrs, int width, int height, TIKPixelFormat format)
    : FWidth(width), FHeight(height), FBytesPerPixel(IKBytesPerPixel[format]), FPixelFormat(format),
      FAttrs(attrs) {}
