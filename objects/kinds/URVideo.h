#pragma once
// The video clip of the timeline: at every project time it shows the frame of its video file
// that belongs to the object's media time (speed, trim and, for animated GIF and WebP pictures,
// a loop). The picture runs through the picture object's render chain unchanged. A camera
// recording comes in as a video placed over the screen recording's bottom-right corner.

#include "media/UVideoReader.h"
#include "objects/kinds/URAudioTrack.h"
#include "objects/kinds/URImage.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

// The open-dialog filter of video files.
QString VideoFileFilter();

// The scale of a camera overlay `cameraHeight` lines high: the smallest of 0.25, 0.5 and 0.75
// that shows it at least 240 lines high, else 1.
float CameraOverlayScale(int cameraHeight);

class TRVideo : public TRImage {
public:
    TRVideo(TRProject* project, TRObjectType type);
    ~TRVideo() override;

    // Fetches the frame of the media time at TimePosition into FMediaBitmap.
    void UpdateMediaFrame() override;
    // Opens FMediaName from the project's folder with its first frame in FMediaBitmap; an
    // animated GIF or WebP makes the clip loop.
    bool OpenMedia() override;
    // Copies `fileName` (when missing, the file the user picks) into the project's folder and
    // opens it; the placement and the clip take the video's size and length. A failure after a
    // file was chosen shows "Cannot open <name> file.".
    bool LoadMedia(const QString& fileName, std::int32_t& width, std::int32_t& height,
                   const QString& audioFileName) override;
    // Takes "camera.mp4" (else "camera.tvf") of the project's folder, with `audioFileName` as
    // its sound. The tracks keep their recorder names unless the camera opens.
    bool LoadCamera(std::int32_t& width, std::int32_t& height, std::int32_t screenWidth,
                    std::int32_t screenHeight, const QString& audioFileName) override;
    std::int32_t GetMediaTime(std::int32_t time) const override;

    TVideoReaderEx* Reader() const { return readerex.get(); }

    // The sound: the video file's own, else the separate sound file FAudioName.
    bool OpenMediaAudio();
    void CloseAndFreeMediaAudio() { FAudioTrack.Close(); }
    bool HasAudio() const override { return FAudioTrack.HasAudio(); }
    void PlayAudio() override { FAudioTrack.PlayAudio(); }
    void StopAudio() override { FAudioTrack.StopAudio(); }
    void PrepareAudioToPlay(std::int32_t value) override { FAudioTrack.PrepareAudioToPlay(value); }
    void AddAudioToVideoExporter(TRAudioExporter& exporter) override {
        FAudioTrack.AddAudioToVideoExporter(exporter);
    }
    bool CanUseLoudness() const override { return FAudioTrack.CanUseLoudness(); }
    // -70 for a video without sound.
    float GetLoudness() const override {
        return FAudioTrack.WaveForm() ? FAudioTrack.GetLoudness() : -70.0f;
    }
    std::int32_t GetMaxGainVolume() const override { return FAudioTrack.GetMaxGainVolume(); }
    float GetVolume() const override { return FAudioTrack.GetVolume(); }
    bool ExportAudio(const QString& fileName) override { return FAudioTrack.ExportAudio(fileName); }
    // The figure closes at the last sample drawn.
    void PaintWaveForm() override { FAudioTrack.PaintWaveForm(true); }
    TRAudioTrack& AudioTrack() { return FAudioTrack; }

protected:
    // A recorded track of the project's folder and the name field that takes it.
    struct RecordedTrack {
        QString File; // the recorder's name in the project's folder
        QString* Name;
    };
    // Opens the recorded tracks under their recorder names and, once they opened, moves each
    // to "m<id>_<tick>_<recorder name>" and opens them again there. A failure leaves every
    // track under its recorder name and every name field empty.
    bool TakeRecordedTracks(const std::vector<RecordedTrack>& tracks);
    // The placement takes the picture's size; `width` and `height` receive it and the clip
    // takes the media's length from the project time it starts.
    void TakeMediaSize(std::int32_t& width, std::int32_t& height);
    // The sound file `audioFileName` (a path) as a recorded track, when it exists.
    void AddRecordedSound(std::vector<RecordedTrack>& tracks, const QString& audioFileName);

    // Frees the readers and the picture.
    virtual void CloseMedia();

    std::unique_ptr<TVideoReaderEx> readerex;

private:
    bool IsAnimatedPicture() const;
    // Decodes the frame of media time `time` into FMediaBitmap.
    void FetchFrame(std::int32_t time);
    bool RenameTracks(const std::vector<RecordedTrack>& tracks, const QString& prefix, bool back);

    std::int32_t FLastFrameTime = -1; // the media time FMediaBitmap holds, -1 for none
    TRAudioTrack FAudioTrack;
};
