#pragma once
// Moves the index ("moov") of an MP4 file in front of its media data, so that a player can
// start before it has read the whole file. The file is a sequence of boxes: a 32-bit
// big-endian size (header included), a four-character type, the payload.
//
// The result is "ftyp", the index with every 32-bit chunk offset ("stco" entry) increased by
// the index's size, then every other top-level box in file order; the file size is unchanged.
// A file the rewrite cannot shift exactly is left byte for byte as it was: no index, the index
// already before the media data, a box whose size is 0, 1 (64-bit) or below 8 or runs past its
// parent, 64-bit chunk offsets ("co64"), or an offset that would pass 2^32 - 1. The new layout
// is written to "tmp.mp4" in the same folder and renamed over the file only when complete, so
// a full disk or any other write failure keeps the original.

#include <QString>

// `AFolder` ends with a path separator; the file is AFolder + AFileName.
void FastStartMP4(const QString& AFolder, const QString& AFileName);
