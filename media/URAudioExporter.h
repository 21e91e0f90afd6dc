// Mixes every sound of the timeline (clips with fades and volumes, mouse clicks) into one
// temporary WAV file "ntmp.wav", 44,100 Hz stereo 16-bit, on the export's frame grid.
#pragma once

#include "media/UAudioFrameGrid.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

class TAudioReader;

using SMALLINT_ARRAY = std::vector<int16_t>;

struct TAudioExportItem {
    uint32_t BeginFrame = 0;   // first grid frame
    uint32_t EndFrame = 0;     // last grid frame, inclusive
    uint32_t FadeInEnd = 0;    // grid frame where full volume is reached
    uint32_t FadeOutStart = 0; // grid frame after which the volume falls
    float Volume = 1.0f;
    TAudioReader* Reader = nullptr; // not owned; none for a click
    QString Name;                   // "mouse_click_sound" for a click
};

struct TAudioExportGroup {
    uint32_t BeginFrame = 0;
    uint32_t EndFrame = 0;
    std::vector<TAudioExportItem> Items;
};

class TRAudioExporter {
public:
    static constexpr int SampleRate = 44100;
    static constexpr int Channels = 2;

    // AClickFile is the click sample; a missing or unreadable file silences clicks. The grid
    // has AFramesPerSecond frames per second (the export's is 30).
    explicit TRAudioExporter(const QString& AClickFile = {}, int AFramesPerSecond = 30);

    QString TempPath;      // folder of "ntmp.wav"
    uint32_t FrameEnd = 0; // the last grid frame the file must reach
    // Called every 30 grid frames while mixing, for the caller's progress display.
    std::function<void()> OnProgress;

    // A sound that the reader delivers at 44.1 kHz stereo from its first frame on. Ignored
    // without a reader or when it ends before it begins.
    void AddSound(TAudioReader* AReader, uint32_t AFrameBegin, uint32_t AFrameEnd,
                  uint32_t AFrameFIn, uint32_t AFrameFOut, float AVolume);
    void AddMouseClickSound(uint32_t AFrameBegin, float AVolume);
    // Groups the sounds and writes TempPath + "ntmp.wav"; False when it cannot be written.
    bool Save();
    QString FileName() const;
    const SMALLINT_ARRAY& ClickSoundData() const { return FClickSoundData; }

private:
    std::vector<TAudioExportGroup> GroupItems();
    bool WriteSilence(class QFile& file, int64_t firstFrame, int64_t lastFrame);
    bool MixGroup(class QFile& file, const TAudioExportGroup& group);
    void MixClick(const TAudioExportItem& item, int64_t offset, SMALLINT_ARRAY& mix) const;
    void MixSound(const TAudioExportItem& item, int64_t groupStart, SMALLINT_ARRAY& mix);

    TAudioFrameGrid FGrid;
    std::vector<TAudioExportItem> FList;
    SMALLINT_ARRAY FClickSoundData;
};
