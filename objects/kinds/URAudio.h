#pragma once
// The audio clip of the timeline: a sound file in the project's folder, played with the
// preview, mixed into every exported video, exportable on its own and drawn on the timeline as
// its waveform, with the fades, volume and loudness target of its volume group. It has no
// picture and no placement. Captions build on it.

#include "core/URObject.h"
#include "objects/kinds/URAudioTrack.h"

class TRPropAudio;

// The open-dialog filter of sound files.
QString AudioFileFilter();

class TRAudio : public TRObject {
public:
    TRAudio(TRProject* project, TRObjectType type);
    ~TRAudio() override;

    // Opens FMediaName from the project's folder; False (and no sound) when it cannot be read.
    bool OpenMedia() override;
    // Takes `fileName` into the project's folder (a file already there, such as a recorded
    // track, is renamed once it has proved readable; any other is copied) and opens it; the
    // clip then spans the whole sound. With no name the user picks a file, and a failure after
    // that shows "Cannot open <name> file.". The size arguments are not used.
    bool LoadMedia(const QString& fileName, std::int32_t& width, std::int32_t& height,
                   const QString& audioFileName) override;
    // Opens a file that already lies in the project's folder under its own name.
    bool LoadMediaEx(const QString& fileName);
    void CloseAndFreeMedia() { FAudioTrack.Close(); }

    bool HasAudio() const override { return FAudioTrack.HasAudio(); }
    void PlayAudio() override { FAudioTrack.PlayAudio(); }
    void StopAudio() override { FAudioTrack.StopAudio(); }
    void PrepareAudioToPlay(std::int32_t value) override { FAudioTrack.PrepareAudioToPlay(value); }
    void AddAudioToVideoExporter(TRAudioExporter& exporter) override {
        FAudioTrack.AddAudioToVideoExporter(exporter);
    }
    bool CanUseLoudness() const override { return FAudioTrack.CanUseLoudness(); }
    float GetLoudness() const override { return FAudioTrack.GetLoudness(); }
    std::int32_t GetMaxGainVolume() const override { return FAudioTrack.GetMaxGainVolume(); }
    float GetVolume() const override { return FAudioTrack.GetVolume(); }
    bool ExportAudio(const QString& fileName) override { return FAudioTrack.ExportAudio(fileName); }
    void PaintWaveForm() override { FAudioTrack.PaintWaveForm(); }

    TRAudioTrack& AudioTrack() { return FAudioTrack; }
    const TRAudioTrack& AudioTrack() const { return FAudioTrack; }

private:
    // The clip spans the whole of the opened sound.
    void SpanWholeMedia();
    bool LoadChosenFile(const QString& fileName);

    TRAudioTrack FAudioTrack;
};
