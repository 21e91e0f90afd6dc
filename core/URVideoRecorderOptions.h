#pragma once
// What the recorder tool bar asks of one live video recording: sources, cursor and click
// styling, camera styling, output file and format, logo. Colours are colour values with red in
// the low byte, then green, then blue.

#include <QString>
#include <cstdint>

// Output formats of the live recorder.
enum : int32_t {
    VideoOutputH264 = 1,
    VideoOutputH264Hardware = 2,
    VideoOutputHEVC = 3,
    VideoOutputHEVCHardware = 4,
    VideoOutputGIF = 6,
    VideoOutputWebP = 7,
};

// Frame modes of the live recorder (MP4 only).
enum : int32_t { RecorderFrameModeVariable = 0, RecorderFrameModeConstant = 1 };

struct TRVideoRecorderOptions {
    bool RecordScreen = false;
    int32_t ScreenWidth = 0;
    int32_t ScreenHeight = 0;
    bool ShowCursor = true;
    float ScaleCursor = 100; // percent
    bool CursorEffect = false;
    int32_t CEId = 0; // 1 magnifier, 2 fish-eye, else highlight
    uint32_t CEColor = 0x00FFFF;
    float CEOpacity = 0.5f;
    float CESize = 40;
    float CEZoom = 2;
    bool LeftClick = false;
    uint32_t LEColor = 0x0000FF;
    float LEOpacity = 1;
    float LESize = 30;
    float LEThickness = 2;
    float LEDuration = 300; // ms
    bool RightClick = false;
    uint32_t REColor = 0xFF0000;
    float REOpacity = 1;
    float RESize = 30;
    float REThickness = 2;
    float REDuration = 300;
    bool RecordCamera = false;
    int32_t CameraWidth = 0;
    int32_t CameraHeight = 0;
    int32_t CameraScale = 9;
    int32_t CameraMask = 0; // 0 rectangle, 1 rounded, 2 ellipse, 3 circle, 4 square
    int32_t CameraBorderWidth = 0;
    uint32_t CameraBorderColor = 0xFFFFFF;
    bool CameraFlipH = false;
    bool CameraFlipV = false;
    int32_t CameraOpacity = 100; // percent
    bool CameraChroma = false;
    uint32_t CameraChColor = 0x00FF00;
    int32_t CameraChTol = 30; // percent
    bool CameraBack = false;
    QString CameraBackFile;
    int32_t CameraBackScaleMode = 0; // 0 stretch, 1 natural, 2 fit, 3 fill
    int32_t CameraBackBlur = 0;
    bool RecordMic = false;
    bool RecordSC = false;
    QString OutputFileName; // base name: the encoder adds the extension
    int32_t OutputFormat = VideoOutputH264;
    int32_t OutputFramePS = 30;
    int32_t OutputFrameMode = RecorderFrameModeVariable;
    int32_t OutputVideoQuality = 0;
    uint32_t OutputBkColor = 0;
    int32_t OutputAudioBitrate = 1; // 0..3
    int32_t OutputFrameGIF = 10;
    int32_t OutputGifOptimize = 0; // 0 none, 1 changed area, 2 transparency, 3 both
    uint32_t OutputGifColor = 0;
    int32_t OutputWebOptimize = 0;
    bool Logo = false;
    QString LogoFileName;
    int32_t LogoPosition = 0; // 0 top-left, 1 top-right, 2 centre, 3 bottom-left, 4 bottom-right
    int32_t LogoMarginsX = 0;
    int32_t LogoMarginsY = 0;
    int32_t LogoOpacity = 9; // step 0..9
    int32_t LogoScale = 9;   // step 0..14
};
