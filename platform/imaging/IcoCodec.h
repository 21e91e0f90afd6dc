// Icon (".ico") files: a directory of pictures, each PNG-compressed or a bottom-up bitmap with
// a 1-bit transparency mask after its colours.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace platform::imaging {

/// The largest picture of the icon file's bytes (the most pixels; among equal sizes the most
/// bits per pixel) as 32-bit BGRA; a null image with `error` set when the bytes are not an
/// icon, are cut short, declare a picture larger than they can hold or use an unknown pixel
/// layout.
QImage decodeIco(const QByteArray& bytes, QString& error);
/// `decodeIco` of the file's contents.
QImage readIco(const QString& fileName, QString& error);

} // namespace platform::imaging
