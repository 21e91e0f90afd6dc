// Plays one media file's sound through the default playback device, optionally at another
// tempo, and reports the time played to its owner on the owner's thread.
#pragma once

#include "media/UAudioReader.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

namespace platform::system {
class MessageReceiver;
}

class QObject;
class TAudioPlayer;

// Milliseconds the device has played since playback started (what was heard, not what was
// queued), on the owner's thread.
using TAudioPlayerPositionEvent = std::function<void(TAudioPlayer* Sender, int64_t Position)>;

// What Play hands to the playback thread.
struct TAudioPlayerRecord {
    TAudioReader* audioreader = nullptr;
    QObject* HWin = nullptr; // receives the position messages; none without a handler at Play
    uint32_t SamplesPerSecond = 0;
    uint16_t NumChannels = 0;
    int Tempo = 1000;
    bool AudioPitch = true;
};

class TAudioPlayer {
public:
    // Looks up the default playback device's format; without one the player never becomes
    // valid.
    TAudioPlayer();
    virtual ~TAudioPlayer();
    TAudioPlayer(const TAudioPlayer&) = delete;
    TAudioPlayer& operator=(const TAudioPlayer&) = delete;

    // Opens the file's sound in the device's format; True when the player can play it.
    bool SetFile(const QString& AFileName, int64_t AFileOffset = 0, int64_t AFileSize = 0,
                 int AIndex = FirstAudioStream);
    // Stops a playback first.
    void SetReaderSpeed(int ASpeed, bool APreservePitch);
    // Plays from the reader's position at ATempo per mille (0 or less: 1000), keeping the
    // pitch when APitch. A playing player is stopped first.
    void Play(int ATempo, bool APitch);
    void Stop();

    bool IsValid() const { return FIsValid; }
    bool Running() const { return FIsValid && audioreader && FAudioPlayerThread.joinable(); }
    int64_t Duration() const { return audioreader ? audioreader->Duration() : 0; }
    int64_t Position() const { return audioreader ? audioreader->Position() : 0; }
    // Stops and seeks.
    void SetPosition(int64_t AMs);
    // The gain of what is played, at least 0. A gain above 1 amplifies and saturates exactly as
    // the export does (ApplyAudioGain), so the preview sounds as the exported file will.
    void SetVolume(float AVolume);
    uint32_t SamplesPerSecond() const { return FSamplesPerSecond; }
    uint16_t NumChannels() const { return FNumChannels; }

    TAudioPlayerPositionEvent OnPosition;

private:
    static void Execute(TAudioPlayerRecord AudioPlayerData, const std::atomic<bool>& Terminated);

    uint16_t FFormat = 0;
    uint32_t FSamplesPerSecond = 0;
    uint16_t FNumChannels = 0;
    uint16_t FBitsPerSample = 0;
    std::unique_ptr<TAudioReader> audioreader;
    std::unique_ptr<platform::system::MessageReceiver> HWin;
    bool FIsValid = false;
    std::thread FAudioPlayerThread;
    std::atomic<bool> FTerminated{false};
};
