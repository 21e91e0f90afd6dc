#pragma once
// The sound of an export. Before the first frame the whole timeline is mixed into "ntmp.wav" in
// the project's temporary folder, and reversed into "nrtmp.wav" when a pass runs backwards.
// Each pass then reads its own stretch of one of the two (speed-changed into "nstmp.wav" or
// "nrstmp.wav" when the pass is not at normal speed) with one gain for the whole pass, and
// every frame hands the encoder exactly the sound of its interval. The sound is never decoded
// while the frames are made: one sequential read and an in-place gain per frame.

#include "export/URExportPlan.h"

#include <QFile>
#include <QString>
#include <cstdint>
#include <vector>

class TMFEncoder;
class TRProject;

// Mixes the project's sound from 0 to its end into TempFolder + "ntmp.wav", silence where
// nothing sounds (a project without sound still gets a file). False when it could not be
// written.
bool MixDownProjectAudio(TRProject& project);

// Writes the stereo 16-bit frames of the WAV file `source` last to first into `destination`
// (each left/right pair kept together) under a header that states the new file's sizes. False
// when the source cannot be read or the destination cannot be written.
bool ReverseWavFile(const QString& source, const QString& destination);

// The stereo frame at which `pass` starts reading: forwards, the mix-down's sample at the time
// of the pass's first frame; backwards, in the reversed mix-down of `mixFrames` frames, the
// mirror of the end of the first frame's interval, so that a backward pass plays exactly the
// forward sound of its frames reversed. Never below 0.
std::int64_t ExportPassAudioStart(const TRExportRange& range, const TRExportPass& pass, int framePS,
                                  std::int64_t mixFrames);

class TRExportAudio {
public:
    TRExportAudio(TRProject& project, const TRProjectExportOptions& options);
    // Closes the pass file and removes the work files.
    ~TRExportAudio();
    TRExportAudio(const TRExportAudio&) = delete;
    TRExportAudio& operator=(const TRExportAudio&) = delete;

    // The mix-down and, when a pass runs backwards, its reverse. False when either could not
    // be made.
    bool Prepare(bool withBackwardPass);
    // Makes the file `pass` reads (speed-changed from its first frame on when the pass is not
    // at 1000 per mille), opens it at the pass's first frame and works out the pass's gain:
    // the one that brings the stretch the pass plays to the target loudness, or the volume of
    // the settings. False when the file cannot be made or opened.
    bool StartPass(const TRExportRange& range, const TRExportPass& pass);
    // Hands the encoder the sound of its next frame interval (AudioChunkFrames() stereo
    // frames) from the pass file, silence once the file has ended, scaled by the pass's gain.
    std::int32_t AddFrame(TMFEncoder& encoder);

    float Gain() const { return FGain; }

private:
    QString WorkFile(const char* name) const;
    float PassGain(const QString& file, std::int64_t startFrame, std::int64_t frames) const;

    TRProject& FProject;
    const TRProjectExportOptions& FOptions;
    std::int64_t FMixFrames = 0; // stereo frames of the mix-down and of its reverse
    float FGain = 1.0f;
    QFile FPassFile;
    std::vector<std::int16_t> FSamples; // one frame interval, reused for every frame
};
