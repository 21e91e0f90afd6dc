#pragma once
// The recorder's icons, drawn from the program's icon font.

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QSize>

enum class TRRecorderIcon : char16_t {
    Screen = 0xe30c,
    Camera = 0xe04b,
    Mic = 0xe029,
    MicMuted = 0xe02b,
    Sound = 0xe050,
    Timer = 0xe425,
    Draw = 0xe3c9,
    Screenshot = 0xe3b0,
    Pause = 0xe034,
    Stop = 0xe047,
    Settings = 0xe8b8,
    Alignment = 0xe8f1,
    Minimize = 0xe15b,
    Close = 0xe5cd,
    Move = 0xe89f,
    Project = 0xe2c7,
    Video = 0xe04a,
};

QIcon RecorderIcon(TRRecorderIcon icon, const QColor& color = QColor(0xE6, 0xE8, 0xEB));

// The tool bar's docking choice as the title bar shows it: a small outlined rectangle with a
// 3-px bar where the tool bar docks (0 none, 1 auto, 2 top, 3 bottom, 4 left, 5 right), in
// `size` pixels; white while the pointer is over the button.
QIcon AlignmentIcon(int alignment, QSize size);
// The glyph itself, drawn in `color`.
QImage AlignmentGlyph(int alignment, QSize size, const QColor& color);
