#pragma once
// The sound track of a timeline clip: its reader (for the export), its preview player and its
// waveform, with the loudness and gain queries, the preview, the mix-down into a video export,
// the export of the sound on its own and the waveform on the timeline. Audio clips, captions and
// video clips each own one and hand it their volume group; the clip's times, media window and
// speed are read from the owning object whenever they are needed.
//
// Media arithmetic is per mille: project time t after the clip's start plays media time
// t × speed div 1000 + media start.

#include "platform/render/Geometry.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class TAudioPlayer;
class TAudioReader;
class TAudioWaveForm;
class TRAudioExporter;
class TRObject;
class TRPropAudio;

// The name a file taken into a project's folder gets there: "m", the object id, the tick
// count in ms and `fileName` (without folder; the caller filters it where it must), joined by
// underscores.
QString ProjectMediaName(std::int32_t objectId, const QString& fileName);

// Media milliseconds that `projectMs` of the timeline play at `speed` per mille (truncated).
std::int32_t MediaSpanAt(std::int64_t projectMs, std::int32_t speed);

// The media time (ms) that `clip` shows at project time `time`: its media start before the clip
// begins, then the media window at the clip's speed, and past the window's end either its end
// or, with `loop`, the window again from its start. A loop shorter than 1 ms on the timeline
// stays on the media start.
std::int32_t ClipMediaTime(const TRObject& clip, std::int32_t time, bool loop);

// How an export of the track alone is laid out on the 30-fps grid: frames 0 .. Frames (that is
// Frames + 1 chunks of sound) from the clip's start, the fade-in up to FadeInEnd, the fade-out
// after FadeOutStart.
struct TRAudioExportPlan {
    std::int32_t Frames = 0;
    std::int32_t FadeInEnd = 0;
    std::int32_t FadeOutStart = 0;
    float Volume = 1.0f;

    // The gain of frame `i`.
    float GainAt(std::int32_t i) const;
};

// The encoder an export of the track takes for a file name: its extension (any letter case)
// chooses WAV, MP3 or, for anything else, AAC; the encoder's own extension replaces it.
struct TRAudioExportTarget {
    enum Kind { Wav, Mp3, Aac } Type = Aac;
    QString Base;                 // the file name without its extension
    std::int32_t BytesPS = 24000; // the encoder's audio rate, bytes per second
};
TRAudioExportTarget AudioExportTarget(const QString& fileName);

class TRAudioTrack {
public:
    // The owner's volume group (fades, volume, loudness normalisation), or null for none: the
    // sound then plays at volume 1 without fades.
    using TRVolumeGroupFn = std::function<TRPropAudio*()>;

    // The analysis an export waits for, at most.
    static constexpr int AnalysisWaitMs = 5000;

    TRAudioTrack(TRObject& owner, TRVolumeGroupFn volumeGroup);
    ~TRAudioTrack();
    TRAudioTrack(const TRAudioTrack&) = delete;
    TRAudioTrack& operator=(const TRAudioTrack&) = delete;

    // Opens the first audio stream of `path`: a reader delivering 44,100 Hz stereo 16-bit, the
    // waveform (its caches, or an analysis that reports to AudioEndWaveForm) and the player.
    // False (and nothing open) when the file cannot be read.
    bool Open(const QString& path);
    // Frees reader, player and waveform (an analysis stops).
    void Close();
    bool HasAudio() const { return FAudioPlayer != nullptr; }
    TAudioReader* Reader() const { return FAudioReader.get(); }
    TAudioPlayer* Player() const { return FAudioPlayer.get(); }
    TAudioWaveForm* WaveForm() const { return FAudioWaveForm.get(); }

    // ---- loudness and gain ----
    // The loudness curve is complete.
    bool CanUseLoudness() const;
    // Gated integrated loudness (LUFS) of the used part of the media; -70 when nothing can be
    // measured. Remembered per segment.
    float GetLoudness() const;
    // The largest volume (percent) that keeps the loudest peak of the used part at or below
    // 98 % of full scale; 200 without peak information. Remembered per segment.
    std::int32_t GetMaxGainVolume() const;
    // The volume factor: the normalised one (may exceed 1) when the group asks for it and the
    // loudness is known, else the group's volume; 1 without a group.
    float GetVolume() const;

    // ---- preview ----
    // Sets the player's speed and its position for a playback from project time `value`.
    void PrepareAudioToPlay(std::int32_t value);
    // After every playback position: the volume with the fades (above 1 it amplifies as the
    // export does), then starts the player inside the clip or stops it past its end.
    void PlayAudio();
    void StopAudio();

    // ---- export ----
    // The end (project ms) of the part that sounds: the media's end or the clip's, whichever
    // comes first.
    std::int32_t PlayedEnd() const;
    // Hands the reader to the video export's mix-down from the clip's start to PlayedEnd.
    void AddAudioToVideoExporter(TRAudioExporter& exporter);
    // The layout of ExportAudio, with the volume after waiting for the analysis.
    TRAudioExportPlan ExportPlan();
    // Writes the clip's sound with its fades and volume to `fileName` (see AudioExportTarget).
    // False without a reader or when the encoder fails to start, write or finish; LastError()
    // then says why.
    bool ExportAudio(const QString& fileName);
    const QString& LastError() const { return FLastError; }

    // ---- timeline ----
    // Draws the waveform as a profile rising from the bottom of the owner's clip rectangle, in
    // the timeline control's drawing pass. The figure closes at the clip's right edge, or with
    // `closeAtLastSample` at the last sample drawn.
    void PaintWaveForm(bool closeAtLastSample = false);
    // The figure last drawn; null before.
    platform::render::GeometryPtr WaveFormGeometry() const { return FAudioWFGeometry; }

    // The analysis has ended (on the owner's thread).
    void AudioEndWaveForm(bool canChange);

private:
    TRPropAudio* VolumeGroup() const { return FVolumeGroup ? FVolumeGroup() : nullptr; }
    // The media end of the used part for the loudness and gain queries.
    std::int32_t UsedMediaEnd() const;
    // Waits for an analysis still running when the volume group may normalise.
    void WaitForAnalysis();
    float PreviewVolume() const;

    TRObject& FOwner;
    TRVolumeGroupFn FVolumeGroup;
    std::unique_ptr<TAudioReader> FAudioReader;
    std::unique_ptr<TAudioPlayer> FAudioPlayer;
    std::unique_ptr<TAudioWaveForm> FAudioWaveForm;
    platform::render::GeometryPtr FAudioWFGeometry;
    mutable std::int32_t m_lastSeg1 = 0, m_lastSeg2 = 0;
    mutable float m_lastLoudness = -70.0f;
    mutable std::int32_t m_lastG1 = 0, m_LastG2 = 0;
    mutable std::int32_t m_lastGain = 200;
    QString FLastError;
};
