#pragma once
// The audio recorder: one recording device (a microphone) or what one playback device plays
// (its monitor, "system sound"), converted to 16-bit stereo at the destination rate. The capture
// thread writes it into the file ring, which the writer thread encodes to an AAC track
// ("<name>.m4a"), and into the live video recorder's ring when one is handed over. It reports
// the peak level (2025), the microphone's volume and mute (3025) and the track's size (2027).
//
// The track follows the recording clock: while recording, sound that does not arrive (the
// device stalls, the server drops data, the device goes away) becomes silence once it is more
// than 100 ms late, and sound that arrives ahead of the clock waits until it is due, so the
// track is as long as the time recorded without the pauses.

#include "capture/UCaptureWorker.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class TCircleBufferThread;
class TMFAudioResampler;
class TMFEncoder;
class TMFVolumeCallback;
namespace platform::audio {
class CaptureStream;
}
namespace platform::system {
class MessageReceiver;
}

// Device types: the data flow the recorder records.
inline constexpr uint32_t AudioDeviceSystemSound = 0; // a playback device's monitor
inline constexpr uint32_t AudioDeviceMicrophone = 1;  // a recording device

class TMFAudioRecorderThread : public TCaptureWorker {
public:
    // A track later than the recording clock by more than this is padded with silence once the
    // source stalls.
    static constexpr int ClockToleranceMs = 100;

    // AHWin receives the level and volume messages (none when null). Recording starts off,
    // whatever ARecording says; the owner switches it on.
    TMFAudioRecorderThread(uint32_t ADeviceType, int ASamplesPerSecDest,
                           TCircleBufferThread* ACircleBuffer, QObject* AHWin,
                           const QString& AMicName, bool ARecording);
    ~TMFAudioRecorderThread() override;

    // The live video recorder's ring; every converted packet also goes there while recording.
    void SetVRBuffer(TCircleBufferThread* ABuffer) { FVRBuffer = ABuffer; }
    // The recording device's volume in percent (0 for system sound or an unknown device).
    int Volume() const;
    // Sets the recording device's volume (microphone only).
    void SetVolume(int APercent);
    // Flips the recording device's mute (microphone only).
    void ToggleMute();

    // The device could not be opened; nothing is recorded.
    bool OpenFailed() const { return FOpenFailed; }
    // Why the device could not be opened.
    QString OpenError() const;
    // The server's id of the device recorded (set once the thread has looked it up).
    QString DeviceId() const;
    // The source's rate and channels as the stream delivers them (0 before it is open).
    int SourceRate() const { return FSamplesPerSecSource; }
    int SourceChannels() const { return FNumChannelsSource; }

    // Called on the capture thread when the device cannot be opened.
    std::function<void(const QString& error)> OnOpenFailed;

protected:
    void Execute() override;

private:
    // Looks up the device, opens a stream on it; false (with the reason kept) when that fails.
    bool CreateRecorder();
    void CaptureLoop();
    void PostLevel(const int16_t* samples, size_t count);
    // Advances the recording clock; returns the frames the track should hold by now.
    int64_t ExpectedFrames();
    // Converts a packet into the hold.
    void Deliver(const int16_t* frames, uint32_t count);
    void Hold(const int16_t* frames, uint32_t count);
    // Writes what the hold has up to `expected` frames of track.
    void Release(int64_t expected);
    void Write(const int16_t* frames, uint32_t count);
    // Pads silence up to `target` frames.
    void PadTo(int64_t target);
    void Finish();

    const uint32_t FDeviceType;
    const QString FMicName;
    TCircleBufferThread* const FSaveBuffer;
    std::atomic<TCircleBufferThread*> FVRBuffer{nullptr};
    QObject* const FHWin;
    const int FSamplesPerSecDest;
    std::atomic<int> FSamplesPerSecSource{0}, FNumChannelsSource{0};

    std::unique_ptr<platform::audio::CaptureStream> FStream;
    std::unique_ptr<TMFVolumeCallback> FVolumeCallback;
    std::unique_ptr<TMFAudioResampler> FResampler;
    std::vector<int16_t> pBufferAudio;          // one second of source frames
    std::vector<int16_t> pBufferAudioResampled; // converted frames of one packet
    std::vector<int16_t> FSilence;              // a buffer of zeros for padding
    std::vector<int16_t> FHold;                 // converted sound not yet due
    int64_t FHeldFrames = 0;

    // The recording clock: ms recorded so far and the clock reading it was last advanced at.
    int64_t FRecordedMs = 0;
    int64_t FLastClock = 0;
    int64_t FLastSoundClock = 0; // clock reading at which the source last handed over sound
    int64_t FFramesWritten = 0;
    bool FLevelFlag = true;

    mutable std::mutex FInfoLock;
    QString FDeviceId, FOpenError;
    std::atomic<bool> FOpenFailed{false};
};

// The writer: takes the file ring in blocks of 1/30 s, encodes them to "<name>.m4a" and reports
// the file's size (2027) at most every 500 ms. The encoder and the file are made at the first
// block; after it is terminated it encodes what the ring still holds, the last part padded to
// a whole block.
class TMFAudioSaver : public TCaptureWorker {
public:
    TMFAudioSaver(TCircleBufferThread* AAudioBuffer, const QString& AFileName, int AAudioFramePS,
                  int AAudioBytesPS, int ABackupTimeMs, bool AMp4aFile, QObject* AHWin);
    ~TMFAudioSaver() override;

    QString GetStatus() const override;

    // Makes the AAC encoder; tests give their own.
    std::function<std::unique_ptr<TMFEncoder>()> CreateEncoder;

protected:
    void Execute() override;

private:
    // Encodes one block of `bytes` (a whole block, or the last part padded with silence).
    void EncodeBlock(int bytes);
    int BlockBytes() const;

    TCircleBufferThread* const FAudioBuffer;
    const QString FFileName;
    const int FAudioFramePS, FAudioBytesPS, FBackupTimeMs;
    const bool FMp4aFile;
    QObject* const FHWin;
    std::unique_ptr<TMFEncoder> FEncoder;
    std::vector<uint8_t> FBlock;
    int64_t FLastSize = 0;
    bool FSizeSent = false;
};

class TMFAudioRecorder {
public:
    TMFAudioRecorder();
    virtual ~TMFAudioRecorder();
    TMFAudioRecorder(const TMFAudioRecorder&) = delete;
    TMFAudioRecorder& operator=(const TMFAudioRecorder&) = delete;

    // AFileName without extension; empty: no file and no writer. AMicName: the device's name
    // (recording device for the microphone, playback device for system sound); empty or not
    // found: the server's default device. AMp4aFile and ABackupTimeMs are kept for the callers.
    void SetParams(uint32_t ADeviceType, int AAudioFramePS, int AAudioBytesPS, int ABackupTimeMs,
                   const QString& AFileName, bool AMp4aFile, const QString& AMicName);
    // Starts the threads; recording stays off until SetRecording(true).
    void Start(bool ARecording = false);
    void SetRecording(bool value);
    int Volume() const;
    void SetVolume(int value);
    void ToggleMute();
    // Hands the live video recorder's ring to the running capture thread.
    void SetVRBuffer(TCircleBufferThread* ABuffer);
    // Asks the capture thread to end without waiting; the writer ends in Stop, after it has
    // taken everything the capture thread wrote.
    void Terminate();
    // Ends both threads with a breadcrumb at every step and reports failures (the device that
    // could not be opened, a failing encoder).
    void Stop();

    TMFAudioRecorderThread* RecorderThread() const { return FAudioRecorderThread.get(); }
    QString FileName() const { return FFileName; }

    // Events, delivered on the thread that called Start; set them before Start.
    std::function<void(int level)> OnLevel;             // peak 0..100
    std::function<void(int volume, int mute)> OnVolume; // microphone volume 0..100, mute flag
    std::function<void(int sizeKB)> OnSize;             // the track's size
    std::function<void(const QString& error)> OnError;  // the device could not be opened
    TBreadcrumbSink Breadcrumb = DefaultBreadcrumbSink();
    int StopLimitMs = 10000; // how long a stop waits for each thread
    // Makes the writer's encoder; null for the AAC encoder.
    std::function<std::unique_ptr<TMFEncoder>()> CreateEncoder;

private:
    void MakeWindows();
    void StopRecorderThread(const QString& prefix);
    void StopSaver(const QString& prefix);

    uint32_t FDeviceType = AudioDeviceMicrophone;
    QString FFileName;
    bool FMp4aFile = true;
    QString FMicName;
    int FAudioFramePS = 44100;
    int FAudioBytesPS = 24000;
    int FBackupTimeMs = 1000;
    std::unique_ptr<TCircleBufferThread> FAudioBuffer;
    std::unique_ptr<TMFAudioRecorderThread> FAudioRecorderThread;
    std::unique_ptr<TMFAudioSaver> FAudioSaver;
    std::unique_ptr<platform::system::MessageReceiver> FHWin, FHWinSize;
};
