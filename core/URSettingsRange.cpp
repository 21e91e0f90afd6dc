#include "core/URSettingsRange.h"

#include <QDir>
#include <cmath>

namespace {

// The record is packed: its fields are read and written by value, never bound to references.
class RangeCheck {
public:
    explicit RangeCheck(TSettingsRecord& settings) : s_(settings) { SetDefaultSettings(d_); }

    template <typename T> void range(T TSettingsRecord::*field, T low, T high) {
        const T value = s_.*field;
        if (!(value >= low && value <= high)) // also false for NaN
            s_.*field = d_.*field;
    }

    void flags(std::initializer_list<std::uint8_t TSettingsRecord::*> fields) {
        for (std::uint8_t TSettingsRecord::*field : fields)
            range<std::uint8_t>(field, 0, 1);
    }

    void ints(std::initializer_list<std::int32_t TSettingsRecord::*> fields, std::int32_t low,
              std::int32_t high) {
        for (std::int32_t TSettingsRecord::*field : fields)
            range(field, low, high);
    }

    // A rectangle whose sides are reversed or beyond any screen is the empty default.
    void rect(TRRectI& value, const TRRectI& fallback) {
        constexpr std::int32_t Limit = 1 << 20;
        const auto inside = [](std::int32_t v) { return v >= -Limit && v <= Limit; };
        const TRRectI r = value;
        if (!(inside(r.Left) && inside(r.Top) && inside(r.Right) && inside(r.Bottom) &&
              r.Left <= r.Right && r.Top <= r.Bottom))
            value = fallback;
    }

    void folder(TRShortString TSettingsRecord::*field) {
        const TRShortString value = s_.*field;
        if (value.isEmpty() || QDir::isRelativePath(value.text()))
            s_.*field = d_.*field;
    }

    TSettingsRecord& settings() { return s_; }
    const TSettingsRecord& defaults() const { return d_; }

private:
    TSettingsRecord& s_;
    TSettingsRecord d_{};
};

using R = TSettingsRecord;

void checkEditor(RangeCheck& c) {
    c.flags({&R::CheckUpdates, &R::ShowRecorderWizard, &R::ShowVideoWizard, &R::ConfirmDelete,
             &R::ConfirmTrim, &R::ConfirmSplit, &R::NormalizeLoudness, &R::CopySamplesPending,
             &R::FloatingInspector, &R::AlignToSelection, &R::LastStepProjectOpen});
    c.range(&R::TargetLoudness, -70.0f, 0.0f);
    c.range(&R::DefaultObjectDuration, 1, 3600);
    c.ints({&R::DefaultTransitionDuration, &R::DefaultAnimationDuration}, 0, 600000);
    c.folder(&R::TempStorageFolder);
    c.range(&R::PropertiesLayout, 0, 1);
    c.ints({&R::TTSExportFilter, &R::AudioExportFilter}, 1, 3);
    c.range(&R::FrameExportFilter, 1, 7);
    c.range<std::uint8_t>(&R::SketchTool, 0, DrawToolCount - 1);
    c.range(&R::IntroPage, 0, 3);
    c.ints({&R::SessionCount, &R::MinutesUsed}, 0, INT32_MAX);
    TSettingsRecord& s = c.settings();
    for (int i = 0; i < 3; ++i)
        if (s.RecordedSeconds[i] < 0)
            s.RecordedSeconds[i] = 0;
    c.range(&R::LastReportDate, 0.0, 1e7);
}

void checkRecorder(RangeCheck& c) {
    c.flags({&R::FullScreen,     &R::CaptureMode,   &R::CaptureModeHA,    &R::CaptureMethod,
             &R::CameraHA,       &R::CameraPreview, &R::MuteSound,        &R::UnmuteSound,
             &R::RecordScreen,   &R::RecordCamera,  &R::RecordMic,        &R::RecordSound,
             &R::UnlimitedTime,  &R::ShowCursor,    &R::CursorEffect,     &R::LeftClick,
             &R::RightClick,     &R::CameraFlipH,   &R::CameraFlipV,      &R::CameraChroma,
             &R::CameraBack,     &R::CameraFile,    &R::MicFile,          &R::SoundFile,
             &R::Logo,           &R::LogoSS,        &R::ScreenshotCursor, &R::ScreenshotCamera,
             &R::ScreenshotSound});
    c.range(&R::FullScreenDisplay, -1, 255);
    c.ints({&R::CaptureRate, &R::CameraFPS, &R::OutputFramePS, &R::OutputFrameGIF}, 1, 240);
    c.ints({&R::CaptureQuality, &R::CameraQuality, &R::OutputVideoQuality}, 1, 100);
    c.ints({&R::CameraWidth, &R::CameraHeight}, 0, 16384);
    c.range(&R::CameraStream, 0, 65535);
    c.range(&R::CountdownSeconds, 0, 3600);
    c.range(&R::TimeLimit, 1, 7 * 24 * 3600);
    c.range(&R::ScaleCursor, 1, 1000);
    c.range(&R::CEId, 0, 2);
    c.ints({&R::CESize, &R::LESize, &R::RESize, &R::CameraBorderWidth, &R::CameraBackBlur}, 0,
           1000);
    c.ints({&R::CEOpacity, &R::CameraOpacity, &R::CameraChTol}, 0, 100);
    c.range(&R::CEZoom, 1.0f, 16.0f);
    c.range(&R::CameraScale, 0, 9);
    c.range(&R::CameraMask, 0, 4);
    c.range(&R::CameraBackScaleMode, 0, 3);
    c.ints({&R::CameraMarginX, &R::CameraMarginY, &R::LogoMarginsX, &R::LogoMarginsY,
            &R::LogoMarginsXSS, &R::LogoMarginsYSS},
           0, 10000);
    c.range(&R::OutputFrameMode, 0, 1);
    c.ints({&R::OutputAudioBitrate, &R::OutputGifOptimize}, 0, 3);
    c.ints({&R::LogoPosition, &R::LogoPositionSS}, 0, 4);
    c.ints({&R::LogoOpacity, &R::LogoOpacitySS}, 0, 9);
    c.ints({&R::LogoScale, &R::LogoScaleSS}, 0, 14);
}

void checkRectangles(RangeCheck& c) {
    TSettingsRecord& s = c.settings();
    const TSettingsRecord& d = c.defaults();
    for (int i = 0; i < 10; ++i)
        c.rect(s.RecentAreas[i], d.RecentAreas[i]);
    c.rect(s.PreviewCameraRect, d.PreviewCameraRect);
    c.rect(s.FullScreenArea, d.FullScreenArea);
    c.rect(s.RecorderRect, d.RecorderRect);
    c.rect(s.DrawerButtonsRect, d.DrawerButtonsRect);
}

} // namespace

void ValidateSettings(TSettingsRecord& settings) {
    RangeCheck check(settings);
    checkEditor(check);
    checkRecorder(check);
    checkRectangles(check);
}
