#pragma once
// The output formats of an export, by format code 1..10: caption, extension, save-dialog
// filter, which streams they carry and whether this machine can write them (the encoder probe
// sets the last from its test encodes). The recorder stores its output format with the same
// codes. Also the encoder each code is written with, set up from the export settings.

#include "core/URProject.h"
#include "media/UMFencoder.h"

#include <QString>
#include <array>
#include <memory>

struct TRExportFormat {
    QString Name;
    QString Ext; // with the dot
    bool Enabled = false;
    bool HasVideo = false;
    bool HasAudio = false;
    bool ShowWhenUnavailable = false; // listed even when not Enabled
    QString Filter;                   // "Caption (*.ext)|*.ext"
};

inline constexpr int ExportFormatCount = 10;

// Indexed by format code - 1. Written on the UI thread only (by the encoder probe).
extern std::array<TRExportFormat, ExportFormatCount> ExportFormatTable;

// The table as it is before any probe.
std::array<TRExportFormat, ExportFormatCount> InitialExportFormatTable();

// The row of a format code; nullptr outside 1..10.
const TRExportFormat* ExportFormat(int code);

// The audio bit rate of the settings' format in bytes per second: the MP3 column for code 10
// when its index is in range, else the AAC/WMA column (12000 for an index outside 0..3).
int ExportAudioBytesPS(const TRProjectExportOptions& options);

// The GIF key colour as a pixel value: alpha 255 and the colour's red, green and blue (a
// TColor holds red in its low byte).
uint32_t GifTransparentColor(TColor color);

// The encoder of the settings' format with its options set (hardware, frame mode, GIF and WebP
// options); nullptr for a code outside 1..10. SetParams is left to the caller.
std::unique_ptr<TMFEncoder> CreateExportEncoder(const TRProjectExportOptions& options);
