#pragma once
// The web page written beside an exported MP4: the shipped template (Depot/Templates/html.html)
// with its placeholders filled in. The page plays the video with the player options of the
// export settings and the click areas and video actions of the project's interactive objects;
// the setup object is JSON that stays inert inside the page whatever its texts hold.

#include "core/URProject.h"
#include "platform/render/Types.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

// The setup object of the page, member for member in a fixed order with single blanks:
// {"controls":true, "atstart":{"action": 1}, "atend":{"action": 2}} for the defaults, with
// , "url":"..." when the end action is 3 (go to the address) and , <interactivity> when the
// project has interactive objects. Only http and https addresses are written; others as "".
QByteArray HtmlExportSetup(const TRProjectExportOptions& options, const QByteArray& interactivity);

// The address the page may open at the end: the stored one when it is an http or https
// address, else empty.
QString HtmlSafeAddress(const QString& address);

// The template with "QM_VIDEO_WIDTH", "QM_VIDEO_HEIGHT", "QM_VIDEO_SOURCE" and
// "QM_VIDEO_DATA-SETUP" replaced in any letter case, in one pass (a replacement is never
// scanned again). The source is the video's file name as a percent-encoded relative address.
QString FillHtmlTemplate(const QString& page, int width, int height, const QString& videoFile,
                         const QByteArray& setup);

// Writes "<name>.html" into the project's temporary folder for the video "<name>.mp4" of
// `width` × `height` pixels covering `timeStart`..`timeEnd` of the project; `transform` maps
// scene coordinates to the video's pixels. False when the page was not written; `failure` then
// says why in the user's words.
bool WriteHtmlExport(TRProject& project, int width, int height, std::int32_t timeStart,
                     std::int32_t timeEnd, const platform::render::Matrix3x2& transform,
                     const QString& name, QString* failure = nullptr);

// The template file the page is made from.
QString HtmlTemplateFile();
