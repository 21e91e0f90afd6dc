#include "recorder/URRecorderOptions.h"

namespace {

// Rings of clicks are drawn opaque, 2 px thick, for 300 ms.
constexpr float ClickOpacity = 1.0f;
constexpr float ClickThickness = 2.0f;
constexpr float ClickDurationMs = 300.0f;

void fillCursor(TRVideoRecorderOptions& o, const TSettingsRecord& s) {
    o.ShowCursor = s.ShowCursor != 0;
    o.ScaleCursor = float(s.ScaleCursor);
    o.CursorEffect = s.CursorEffect != 0;
    o.CEId = s.CEId;
    o.CEColor = s.CEColor;
    o.CEOpacity = float(s.CEOpacity) / 100.0f;
    o.CESize = float(s.CESize);
    o.CEZoom = s.CEZoom;
    o.LeftClick = s.LeftClick != 0;
    o.LEColor = s.LEColor;
    o.LEOpacity = ClickOpacity;
    o.LESize = float(s.LESize);
    o.LEThickness = ClickThickness;
    o.LEDuration = ClickDurationMs;
    o.RightClick = s.RightClick != 0;
    o.REColor = s.REColor;
    o.REOpacity = ClickOpacity;
    o.RESize = float(s.RESize);
    o.REThickness = ClickThickness;
    o.REDuration = ClickDurationMs;
}

void fillCamera(TRVideoRecorderOptions& o, const TSettingsRecord& s) {
    o.CameraWidth = s.CameraWidth;
    o.CameraHeight = s.CameraHeight;
    o.CameraScale = s.CameraScale;
    o.CameraMask = s.CameraMask;
    o.CameraBorderWidth = s.CameraBorderWidth;
    o.CameraBorderColor = s.CameraBorderColor;
    o.CameraFlipH = s.CameraFlipH != 0;
    o.CameraFlipV = s.CameraFlipV != 0;
    o.CameraOpacity = s.CameraOpacity;
    o.CameraChroma = s.CameraChroma != 0;
    o.CameraChColor = s.CameraChColor;
    o.CameraChTol = s.CameraChTol;
    o.CameraBack = s.CameraBack != 0;
    o.CameraBackFile = s.CameraBackFile.text();
    o.CameraBackScaleMode = s.CameraBackScaleMode;
    o.CameraBackBlur = s.CameraBackBlur;
}

void fillOutput(TRVideoRecorderOptions& o, const TSettingsRecord& s) {
    o.OutputFormat = s.OutputFormat;
    o.OutputFramePS = s.OutputFramePS;
    o.OutputFrameMode = s.OutputFrameMode;
    o.OutputVideoQuality = s.OutputVideoQuality;
    o.OutputBkColor = s.OutputBkColor;
    o.OutputAudioBitrate = s.OutputAudioBitrate;
    o.OutputFrameGIF = s.OutputFrameGIF;
    o.OutputGifOptimize = s.OutputGifOptimize;
    o.OutputGifColor = s.OutputGifColor;
    o.OutputWebOptimize = s.OutputWebOptimize;
    o.Logo = s.Logo != 0;
    o.LogoFileName = s.LogoFileName.text();
    o.LogoPosition = s.LogoPosition;
    o.LogoMarginsX = s.LogoMarginsX;
    o.LogoMarginsY = s.LogoMarginsY;
    o.LogoOpacity = s.LogoOpacity;
    o.LogoScale = s.LogoScale;
}

} // namespace

TRVideoRecorderOptions BuildVideoRecorderOptions(const TSettingsRecord& settings,
                                                 const TRVideoRunSources& run) {
    TRVideoRecorderOptions o;
    o.RecordScreen = run.Screen;
    o.ScreenWidth = run.Input.width();
    o.ScreenHeight = run.Input.height();
    fillCursor(o, settings);
    // The camera is a picture of its own only without the screen; over the screen it is
    // composed as an overlay from the camera's frames.
    o.RecordCamera = !run.Screen && run.CameraOpen;
    fillCamera(o, settings);
    o.RecordMic = run.Mic;
    o.RecordSC = run.Sound;
    o.OutputFileName = run.OutputFileName;
    fillOutput(o, settings);
    return o;
}
