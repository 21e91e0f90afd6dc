#pragma once
// The recorder's icons, drawn from the program's icon font.

#include <QColor>
#include <QIcon>

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
