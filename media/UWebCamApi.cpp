#include "media/UWebCamApi.h"

#include "platform/camera/Devices.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace camera = platform::camera;

namespace {

// GUIDs of the form XXXXXXXX-0000-0010-8000-00AA00389B71 around a 32-bit code.
constexpr TRGuid FromCode(uint32_t code) {
    return TRGuid{{uint8_t(code), uint8_t(code >> 8), uint8_t(code >> 16), uint8_t(code >> 24),
                   0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}

constexpr uint32_t Code(const char (&text)[5]) {
    return camera::fourcc(text[0], text[1], text[2], text[3]);
}

// The camera layouts with their subtypes; the first of a subtype is the one a format asks for.
struct LayoutGuid {
    uint32_t pixelFormat;
    TRGuid subType;
};
const LayoutGuid KnownLayouts[] = {
    {Code("YUYV"), FromCode(Code("YUY2"))}, {Code("NV12"), FromCode(Code("NV12"))},
    {Code("YU12"), FromCode(Code("I420"))}, {Code("UYVY"), FromCode(Code("UYVY"))},
    {Code("XR24"), FromCode(22)},           {Code("BGR4"), FromCode(22)},
    {Code("AR24"), FromCode(21)},           {Code("BGR3"), FromCode(20)},
    {Code("MJPG"), FromCode(Code("MJPG"))},
};

std::optional<camera::Device> FindCamera(const QString& AName) {
    QString base;
    SplitDSWebCamName(AName, base);
    return camera::findDevice(base.toStdString());
}

TWebCamFormat FormatOf(const camera::Mode& mode) {
    TWebCamFormat format;
    format.Width = mode.width;
    format.Height = mode.height;
    format.FPS = mode.rate.rounded();
    format.SubType = WebCamSubType(mode.pixelFormat);
    format.FormatType = GUID_NULL_WEBCAM;
    format.RateNum = mode.rate.num;
    format.RateDen = mode.rate.den;
    return format;
}

TWebCamFormats FormatsOf(const std::string& path, bool AAll) {
    TWebCamFormats formats;
    for (const camera::Mode& mode : camera::listModes(path)) {
        const TWebCamFormat format = FormatOf(mode);
        if (!AAll && !IsKnownWebCamSubType(format.SubType))
            continue;
        // Rates that round alike would give two formats nobody can tell apart.
        if (std::none_of(formats.begin(), formats.end(),
                         [&](const TWebCamFormat& f) { return f.SameAs(format); }))
            formats.push_back(format);
    }
    std::stable_sort(formats.begin(), formats.end(),
                     [](const TWebCamFormat& a, const TWebCamFormat& b) {
                         if (a.FPS != b.FPS)
                             return a.FPS > b.FPS;
                         if (a.Width != b.Width)
                             return a.Width > b.Width;
                         return a.Height > b.Height;
                     });
    return formats;
}

} // namespace

const TRGuid MFVideoFormat_YUY2 = FromCode(Code("YUY2"));
const TRGuid MFVideoFormat_NV12 = FromCode(Code("NV12"));
const TRGuid MFVideoFormat_I420 = FromCode(Code("I420"));
const TRGuid MFVideoFormat_UYVY = FromCode(Code("UYVY"));
const TRGuid MFVideoFormat_RGB32 = FromCode(22);
const TRGuid MFVideoFormat_ARGB32 = FromCode(21);
const TRGuid MFVideoFormat_RGB24 = FromCode(20);
const TRGuid MFVideoFormat_MJPG = FromCode(Code("MJPG"));
const TRGuid GUID_NULL_WEBCAM{};
const int32_t WebCamInUse = WebCamErrorCode(EBUSY);

bool SameGuid(const TRGuid& a, const TRGuid& b) {
    return std::memcmp(a.Bytes, b.Bytes, sizeof a.Bytes) == 0;
}

bool TWebCamFormat::SameAs(const TWebCamFormat& other) const {
    return Stream == other.Stream && Width == other.Width && Height == other.Height &&
           FPS == other.FPS && SameGuid(SubType, other.SubType) &&
           SameGuid(FormatType, other.FormatType);
}

QString GUIDToString(const TRGuid& guid) {
    const uint8_t* b = guid.Bytes;
    const auto hex = [](uint64_t value, int digits) {
        return QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
    };
    const uint32_t data1 =
        uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    QString text = QLatin1Char('{') + hex(data1, 8) + QLatin1Char('-') +
                   hex(uint32_t(b[4]) | uint32_t(b[5]) << 8, 4) + QLatin1Char('-') +
                   hex(uint32_t(b[6]) | uint32_t(b[7]) << 8, 4) + QLatin1Char('-') +
                   hex(uint32_t(b[8]) << 8 | b[9], 4) + QLatin1Char('-');
    for (int i = 10; i < 16; ++i)
        text += hex(b[i], 2);
    return text + QLatin1Char('}');
}

TRGuid WebCamSubType(uint32_t pixelFormat) {
    for (const LayoutGuid& layout : KnownLayouts)
        if (layout.pixelFormat == pixelFormat)
            return layout.subType;
    return FromCode(pixelFormat);
}

uint32_t WebCamPixelFormat(const TRGuid& subType) {
    for (const LayoutGuid& layout : KnownLayouts)
        if (SameGuid(layout.subType, subType))
            return layout.pixelFormat;
    const TRGuid tail = FromCode(0);
    if (std::memcmp(subType.Bytes + 4, tail.Bytes + 4, 12) != 0)
        return 0;
    return uint32_t(subType.Bytes[0]) | uint32_t(subType.Bytes[1]) << 8 |
           uint32_t(subType.Bytes[2]) << 16 | uint32_t(subType.Bytes[3]) << 24;
}

bool IsKnownWebCamSubType(const TRGuid& subType) {
    return std::any_of(std::begin(KnownLayouts), std::end(KnownLayouts),
                       [&](const LayoutGuid& layout) { return SameGuid(layout.subType, subType); });
}

QString WebCamSubTypeTag(const TRGuid& subType) {
    return SameGuid(subType, MFVideoFormat_MJPG) ? QStringLiteral(", MJPG") : QString();
}

bool SplitDSWebCamName(const QString& AName, QString& ABaseName) {
    const int at = AName.indexOf(QStringLiteral(" [DS]"));
    ABaseName = at < 0 ? AName : AName.left(at);
    return at >= 0;
}

void GetWebCamList(QStringList* AList) {
    if (!AList)
        return;
    AList->clear();
    for (const camera::Device& device : camera::listDevices())
        AList->append(QString::fromStdString(device.name));
}

TWebCamFormats GetWebCamFormats(const QString& AName, bool AAll) {
    const auto device = FindCamera(AName);
    return device ? FormatsOf(device->path, AAll) : TWebCamFormats{};
}

bool IsWebCamAvailable(const QString& AName) {
    const auto device = FindCamera(AName);
    return device && !camera::listModes(device->path).empty();
}

bool IsWebCamFormatSupported(const QString& AName, const TWebCamFormat& AFormat) {
    const TWebCamFormats formats = GetWebCamFormats(AName, false);
    return std::any_of(formats.begin(), formats.end(),
                       [&](const TWebCamFormat& f) { return f.SameAs(AFormat); });
}

QString GetWebCamSubTypes(const QString& AName) {
    std::vector<TRGuid> seen;
    QString text;
    for (const TWebCamFormat& format : GetWebCamFormats(AName, true)) {
        if (std::any_of(seen.begin(), seen.end(),
                        [&](const TRGuid& g) { return SameGuid(g, format.SubType); }))
            continue;
        seen.push_back(format.SubType);
        text += GUIDToString(format.SubType) + QStringLiteral("\r\n");
    }
    return text;
}

std::optional<TWebCamTarget> ResolveWebCam(const QString& AName, const TWebCamFormat& AFormat) {
    const auto device = FindCamera(AName);
    if (!device)
        return std::nullopt;
    TWebCamTarget target{device->path,    WebCamPixelFormat(AFormat.SubType),
                         AFormat.Width,   AFormat.Height,
                         AFormat.RateNum, AFormat.RateDen};
    for (const camera::Mode& mode : camera::listModes(device->path))
        if (mode.pixelFormat == target.PixelFormat && mode.width == AFormat.Width &&
            mode.height == AFormat.Height && mode.rate.rounded() == AFormat.FPS) {
            target.RateNum = mode.rate.num;
            target.RateDen = mode.rate.den;
            return target;
        }
    if (target.RateNum == 0) {
        target.RateNum = uint32_t(std::max(AFormat.FPS, 0));
        target.RateDen = 1;
    }
    return target;
}

int32_t TestWebCam(const QString& AName, const TWebCamFormat& AFormat) {
    const auto device = FindCamera(AName);
    if (!device)
        return WebCamNotFound;
    if (!IsWebCamFormatSupported(AName, AFormat))
        return WebCamNoFormat;
    const auto target = ResolveWebCam(AName, AFormat);
    if (!target)
        return WebCamNotFound;
    const camera::Mode mode{
        target->PixelFormat, target->Width, target->Height, {target->RateNum, target->RateDen}};
    const camera::TestResult result = camera::testDevice(target->Path, mode);
    switch (result.kind) {
    case camera::TestResult::Kind::Ok:
        return 0;
    case camera::TestResult::Kind::Refused:
        return WebCamNoFormat;
    case camera::TestResult::Kind::Failed:
        break;
    }
    return WebCamErrorCode(result.error);
}

void GetWebCamsReport(QStringList* AList) {
    if (!AList)
        return;
    const std::vector<std::string> lines = camera::reportLines();
    if (lines.empty())
        return;
    const QString rule(67, QLatin1Char('-'));
    *AList << QStringLiteral("V4L2 Webcams = %1").arg(camera::listDevices().size()) << rule;
    for (const std::string& line : lines)
        *AList << QString::fromStdString(line);
    *AList << rule;
}
