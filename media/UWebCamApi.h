// The cameras as the recorder, its settings and the device report see them: names, formats
// (pixel layout, size and rate, identified by the subtype GUIDs the settings store), a test
// that opens a camera in a format, and the report. Every routine works on the camera's name;
// a name with the suffix " [DS]" of the other platform's second back end is looked up by the
// text before it.
#pragma once

#include "core/URSettings.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform::camera {
struct Mode;
}

// One format of one camera. A format is identified by Stream, Width, Height, FPS, SubType and
// FormatType; RateNum/RateDen keep the exact rate (FPS is it rounded to the nearest integer).
struct TWebCamFormat {
    int Stream = 0;
    int Width = 0;
    int Height = 0;
    int FPS = 0;
    TRGuid SubType{};
    TRGuid FormatType{};
    uint32_t RateNum = 0;
    uint32_t RateDen = 1;

    bool SameAs(const TWebCamFormat& other) const;
};
using TWebCamFormats = std::vector<TWebCamFormat>;

// The subtypes the program handles (the "known" ones), beside every other layout's GUID.
extern const TRGuid MFVideoFormat_YUY2;
extern const TRGuid MFVideoFormat_NV12;
extern const TRGuid MFVideoFormat_I420;
extern const TRGuid MFVideoFormat_UYVY;
extern const TRGuid MFVideoFormat_RGB32;
extern const TRGuid MFVideoFormat_ARGB32;
extern const TRGuid MFVideoFormat_RGB24;
extern const TRGuid MFVideoFormat_MJPG;
extern const TRGuid GUID_NULL_WEBCAM;

bool SameGuid(const TRGuid& a, const TRGuid& b);
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with upper-case hexadecimal digits.
QString GUIDToString(const TRGuid& guid);
// The subtype of a camera's pixel layout code, and back (0 for a GUID of no layout).
TRGuid WebCamSubType(uint32_t pixelFormat);
uint32_t WebCamPixelFormat(const TRGuid& subType);
bool IsKnownWebCamSubType(const TRGuid& subType);
// The text the camera menu shows after a format's size and rate (", MJPG" for MJPEG).
QString WebCamSubTypeTag(const TRGuid& subType);

// Results of TestWebCam beside 0 (success); other codes carry errno: WebCamErrorCode(errno).
inline constexpr int32_t WebCamNotFound = 2;
inline constexpr int32_t WebCamNoFormat = 3;
constexpr int32_t WebCamErrorCode(int error) {
    return int32_t(0x80070000u | (uint32_t(error) & 0xFFFFu));
}
// The camera is held by another program.
extern const int32_t WebCamInUse;

// True when AName carries " [DS]"; ABaseName is then the text before its first occurrence,
// else AName.
bool SplitDSWebCamName(const QString& AName, QString& ABaseName);
// Clears AList and appends every camera's name; nothing for a null list.
void GetWebCamList(QStringList* AList);
// The camera's formats, by rate, then width, then height, each descending (ties keep the
// camera's order). AAll False: known subtypes only.
TWebCamFormats GetWebCamFormats(const QString& AName, bool AAll);
// The camera exists, can be opened and offers a format.
bool IsWebCamAvailable(const QString& AName);
// AFormat is one of the camera's known formats in all six fields.
bool IsWebCamFormatSupported(const QString& AName, const TWebCamFormat& AFormat);
// Each distinct subtype of the camera's formats once, as GUIDToString, each line ended by CR LF.
QString GetWebCamSubTypes(const QString& AName);
// Opens the camera in AFormat and takes one frame: 0, WebCamNotFound, WebCamNoFormat (also
// when the camera does not take the format as asked) or WebCamErrorCode(errno).
int32_t TestWebCam(const QString& AName, const TWebCamFormat& AFormat);
// Appends the report of every camera; nothing for a null list.
void GetWebCamsReport(QStringList* AList);

// The device and the mode a name and a format stand for; nothing when the camera is gone.
// The mode is the camera's own of that layout, size and rounded rate, or else built from the
// format.
struct TWebCamTarget {
    std::string Path;
    uint32_t PixelFormat = 0;
    int Width = 0;
    int Height = 0;
    uint32_t RateNum = 0;
    uint32_t RateDen = 1;
};
std::optional<TWebCamTarget> ResolveWebCam(const QString& AName, const TWebCamFormat& AFormat);
