#pragma once
// The screen recording on the timeline: the screen track of a recording with the mouse pointer
// kept apart as a cursor track, drawn by the picture object's render chain, and the recorded
// sound. Clicks sound while the editor plays and are mixed into exported videos, as the cursor
// group of the keyframe says.

#include "objects/kinds/URVideo.h"

#include <cstdint>
#include <memory>
#include <vector>

class TAudioPlayer;
class TCursorReader;
class TRProject;
struct TRRecordedTracks;

enum class TRClick : std::uint8_t { None, Left, Right };

// A click the preview finds: its kind and the index of its sample in the track.
struct TRPreviewClick {
    TRClick Kind = TRClick::None;
    int Sample = -1;
};

// The click the preview sounds at media time `time`: from the last sample at or before it
// (the first sample when there is none) the samples up to 34 ms later, the track's last sample
// never examined. A sample with the left-up flag is a left click, also with the right-up flag
// beside it.
TRPreviewClick PreviewClickAt(const TCursorReader& track, std::int32_t time);

// One click of an export's mix-down: its grid frame (30 per second) and volume.
struct TRClickSound {
    std::uint32_t Frame = 0;
    float Volume = 1;
};

class TRScreenRecorder : public TRVideo {
public:
    TRScreenRecorder(TRProject* project, TRObjectType type);
    ~TRScreenRecorder() override;

    // The screen track, its cursor track and the cursor-less reopen: a missing or unreadable
    // cursor track leaves the recording without a pointer.
    bool OpenMedia() override;
    // Takes "screen.tvf" (else "screen.mp4"), "screen.tcf" when it exists and
    // `audioFileName` from the project's folder; `fileName` is not used. The tracks keep their
    // recorder names unless the screen track opens.
    bool LoadMedia(const QString& fileName, std::int32_t& width, std::int32_t& height,
                   const QString& audioFileName) override;
    void CreateCursorBitmap(int width, int height) override;
    // The recording's sound, then a click when one lies at the playback position.
    void PlayAudio() override;
    void StopAudio() override;
    // The recording's sound, then every click of the media window the cursor group lets sound.
    void AddAudioToVideoExporter(TRAudioExporter& exporter) override;
    std::span<const std::int32_t> CursorClickTimes() const override { return FClickTimes; }

    // The clicks AddAudioToVideoExporter mixes, in order.
    std::vector<TRClickSound> ExportClicks();
    TAudioPlayer* ClickPlayer() const { return FAudioPlayerClick.get(); }

protected:
    void CloseMedia() override;

private:
    void OpenCursorTrack();
    void PlayClick(float volume);

    std::unique_ptr<TAudioPlayer> FAudioPlayerClick;
    std::vector<std::int32_t> FClickTimes;
    // The sample of the click sounded last, -1 for none: each release sounds once per play.
    int FLastClickSample = -1;
};

// Builds the objects of the recorded tracks a project's folder holds (the project's
// AddScreenRecorder); installed as RecordedTracksLoader by RegisterDrawableKinds.
bool LoadRecordedTracks(TRProject& project, const TRRecordedTracks& tracks, std::int32_t& width,
                        std::int32_t& height);
