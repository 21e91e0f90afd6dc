#pragma once
// The image kit's shared vocabulary beyond the value records of core/IKTypes: vertices, pixel
// formats and their converters, rectangle and matrix functions, constants, and the abstract
// texture and program classes the device module implements.

#include "core/IKTypes.h"

#include <QImage>
#include <array>
#include <cstdint>
#include <vector>

struct TIKPoint3D {
    float X = 0;
    float Y = 0;
    float Z = 0;
};
// A homogeneous 2-D point; one row of a TIKMatrix.
struct TIKVector {
    float X = 0;
    float Y = 0;
    float W = 0;
};
// A four-float shader constant.
struct TIKVector3D {
    float X = 0;
    float Y = 0;
    float Z = 0;
    float W = 0;
};
// 16 bytes: the vertex of every draw of the kit.
struct TIKVertex {
    TIKPoint Pos;
    TIKPoint UV;
};
using TIKVertexArray = std::vector<TIKVertex>;
using TIKIndexArray = std::vector<std::uint16_t>;

// An integer rectangle by its edges (right and bottom exclusive).
struct TIKIntRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

enum TIKPixelFormat : std::uint8_t { pfNone, pfRGB, pfRGBX, pfRGBA, pfBGR, pfBGRX, pfBGRA };
inline constexpr std::array<int, 7> IKBytesPerPixel = {0, 3, 4, 4, 3, 4, 4};

enum TIKCullMode : std::uint8_t { cmNone, cmFront, cmBack };
enum TIKBlendMode : std::uint8_t { bmDisable, bmNormal, bmAdditive };
enum TIKDepthTest : std::uint8_t { dtEnabled, dtDisabled };
enum TIKProgramType : std::uint8_t { ptVertex, ptPixel };
enum TIKTextureAttr : std::uint8_t {
    taAntialias,
    taMultisampling,
    taTileRepeat,
    taClampBorder,
    taDepthStencil
};
// A set of TIKTextureAttr: bit n set = the attribute of ordinal n present.
struct TIKTextureAttrs {
    std::uint8_t Bits = 0;
    constexpr TIKTextureAttrs() = default;
    constexpr TIKTextureAttrs(std::initializer_list<TIKTextureAttr> attrs) {
        for (TIKTextureAttr a : attrs)
            Bits = std::uint8_t(Bits | (1u << a));
    }
    constexpr bool Has(TIKTextureAttr a) const { return (Bits >> a) & 1u; }
};

inline constexpr TIKColorF IKClearColor{0, 0, 0, 0};
inline constexpr TIKColorF IKBlackColor{0, 0, 0, 1};
inline constexpr TIKColorF IKRedColor{1, 0, 0, 1};
inline constexpr TIKColorF IKWhiteColor{1, 1, 1, 1};
inline constexpr TIKMatrix IKIdentityMatrix{{1, 0, 0, 0, 1, 0, 0, 0, 1}};
inline constexpr TIKMatrix IKIdentityKernel{{0, 0, 0, 0, 1, 0, 0, 0, 0}};

// One element of a vertex layout.
struct TIKInputElement {
    const char* SemanticName;
    int SemanticIndex;
    int Format; // 16 = two 32-bit floats
    int InputSlot;
    int AlignedByteOffset;
    int PerInstance;
};
inline constexpr std::array<TIKInputElement, 2> IKVertexLayout = {
    TIKInputElement{"POSITION", 0, 16, 0, 0, 0}, TIKInputElement{"TEXCOORD", 0, 16, 0, 8, 0}};

// Pixel addressing; arithmetic in 64 bits.
std::int64_t IKPixelBytes(TIKPixelFormat format, std::int64_t count);
std::uint8_t* IKScanLine(std::uint8_t* bits, int y, std::int64_t pitch);
std::uint8_t* IKPackedScanLine(std::uint8_t* bits, TIKPixelFormat format, int width, int y);
std::uint8_t* IKPixelAddress(std::uint8_t* bits, TIKPixelFormat format, std::int64_t pitch, int x,
                             int y);
std::uint8_t* IKPackedPixel(std::uint8_t* bits, TIKPixelFormat format, int width, int x, int y);

// Packed colours are 0xAARRGGBB. The converters raise "Invalid pixel format" for pfNone.
std::uint32_t IKReadPixel(const std::uint8_t* src, TIKPixelFormat format);
void IKWritePixel(std::uint32_t color, std::uint8_t* dst, TIKPixelFormat format);
void IKConvertPixel(const std::uint8_t* src, TIKPixelFormat srcFormat, std::uint8_t* dst,
                    TIKPixelFormat dstFormat);
void IKConvertPixels(const std::uint8_t* src, std::uint8_t* dst, int count,
                     TIKPixelFormat srcFormat, TIKPixelFormat dstFormat);
TIKColorF IKColorF(std::uint32_t argb);
// Each channel rounded (halves to even) and clamped to 0..255.
std::uint32_t IKColorFToARGB(const TIKColorF& color);
// 0x00BBGGRR.
std::uint32_t IKColorFToColor(const TIKColorF& color);

TIKVector IKVector(float x, float y, float w);
TIKVector3D IKVector3D(float x, float y, float z, float w);
TIKRect IKRect(float x, float y, float width, float height);
bool IKSameValue(float a, float b);
bool IKSamePoint(const TIKPoint& a, const TIKPoint& b);
bool IKSameSize(const TIKSize& a, const TIKSize& b);
bool IKSameRect(const TIKRect& a, const TIKRect& b);

TIKRect IKOriginRect(const TIKRect& r);
TIKRect IKOffsetRect(const TIKRect& r, float dx, float dy);
TIKRect IKInflateRect(const TIKRect& r, float dx, float dy);
TIKRect IKInflateRect(const TIKRect& r, float left, float top, float right, float bottom);
TIKRect IKUnionRect(const TIKRect& a, const TIKRect& b);
// Both need at least one item.
TIKRect IKPointsBounds(const std::vector<TIKPoint>& points);
TIKRect IKVectorsBounds(const std::vector<TIKVector>& vectors);

TIKMatrix IKScaleMatrix(float sx, float sy);
TIKMatrix IKTranslateMatrix(float dx, float dy);
// A positive angle turns counter-clockwise on a y-up plane.
TIKMatrix IKRotationMatrix(float degrees);
TIKMatrix IKMultiplyMatrix(const TIKMatrix& a, const TIKMatrix& b);
// The row vector v times m.
TIKVector IKTransformVector(const TIKVector& v, const TIKMatrix& m);

// Pixels of the kit's device; descendants create and release their device resources.
class TIKTexture {
public:
    TIKTexture(TIKTextureAttrs attrs, int width, int height, TIKPixelFormat format);
    virtual ~TIKTexture() = default;
    TIKTexture(const TIKTexture&) = delete;
    TIKTexture& operator=(const TIKTexture&) = delete;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    TIKPixelFormat PixelFormat() const { return FPixelFormat; }
    TIKTextureAttrs Attrs() const { return FAttrs; }
    TIKIntRect Extent() const { return {0, 0, FWidth, FHeight}; }

    // Replaces `dest` by an upright premultiplied 32-bit copy of the pixels.
    virtual void AssignTo(QImage& dest) const = 0;
    virtual void Activate(int channel) const = 0;
    virtual void Deactivate(int channel) const = 0;

protected:
    int FWidth;
    int FHeight;
    int FBytesPerPixel;
    TIKPixelFormat FPixelFormat;
    TIKTextureAttrs FAttrs;
};

// A texture the CPU writes.
class TIKMapTexture : public TIKTexture {
public:
    using TIKTexture::TIKTexture;
    virtual void Map(std::uint8_t*& bits, int& pitch) = 0;
    virtual void Unmap() = 0;
};

// A texture that is drawn into and read back.
class TIKRenderTexture : public TIKTexture {
public:
    using TIKTexture::TIKTexture;
    // Fills `rect` of `bits`, a packed buffer of the whole texture in its pixel format; with
    // `flip` row y of bits receives the texture's row Height - 1 - y.
    virtual void ReadPixels(std::uint8_t* bits, const TIKIntRect& rect, bool flip) const = 0;
};

// A vertex and pixel program pair with named constants; `index` selects the 16-byte register
// of an array constant.
class TIKProgram {
public:
    virtual ~TIKProgram() = default;
    virtual void Activate() = 0;
    virtual void Deactivate() = 0;
    virtual void SetInt(const QString& name, std::uint32_t value, int index) = 0;
    virtual void SetValue(const QString& name, float value, int index) = 0;
    virtual void SetValue(const QString& name, const TIKVector3D& value, int index) = 0;
    virtual void SetValue(const QString& name, const TIKColorF& value, int index) = 0;
    virtual void SetValue(const QString& name, const TIKMatrix& value) = 0;
    virtual void SetValue(const QString& name, const TIKMatrix3D& value) = 0;
};
