// Byte buffers through which audio and picture producers hand data to their consumers:
// a first-in-first-out ring for one thread, the same ring behind a lock with all-or-nothing
// transfers for two threads, and a one-slot mailbox that always holds the newest frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

class TCircleBuffer {
public:
    explicit TCircleBuffer(int BuffSize);
    virtual ~TCircleBuffer() = default;
    TCircleBuffer(const TCircleBuffer&) = delete;
    TCircleBuffer& operator=(const TCircleBuffer&) = delete;

    // Moves as much as fits (as much as is held) and returns the bytes moved.
    virtual int Write(const void* Buffer, int Count);
    virtual int Read(void* Buffer, int Count);

    virtual int ReadPosition() const { return FReadPosition; }
    virtual int WritePosition() const { return FWritePosition; }
    virtual int CanReadCount() const { return FCanReadCount; }
    virtual int CanWriteCount() const { return FCanWriteCount; }
    int Size() const { return int(FMS.size()); }
    const uint8_t* Memory() const { return FMS.data(); }
    void* UserData = nullptr; // the owner's tag, never interpreted

    // Makes room for at least `Count` more bytes, keeping what is held in its order. Owners
    // whose input has no fixed bound grow the ring instead of dropping data.
    virtual void Reserve(int Count);
    // Drops everything held.
    virtual void Clear();

private:
    std::vector<uint8_t> FMS;
    int FReadPosition = 0;
    int FWritePosition = 0;
    int FCanReadCount = 0;
    int FCanWriteCount = 0;
};

// The ring shared by a producer and a consumer thread: every operation takes the lock, and a
// transfer moves all `Count` bytes or nothing, so a reader never sees half a record.
class TCircleBufferThread : public TCircleBuffer {
public:
    explicit TCircleBufferThread(int BuffSize) : TCircleBuffer(BuffSize) {}

    int Write(const void* Buffer, int Count) override;
    int Read(void* Buffer, int Count) override;
    int ReadPosition() const override;
    int WritePosition() const override;
    int CanReadCount() const override;
    int CanWriteCount() const override;
    void Reserve(int Count) override;
    void Clear() override;

private:
    mutable std::mutex FCS;
};

// A one-slot mailbox of BuffSize bytes: a write replaces the frame, a read copies the newest
// frame and leaves it there. Every write gives the frame the next number (the empty mailbox
// holds frame 0).
class TRBufferThread {
public:
    // Copies `bytes` bytes from `source` to `dest`, changing them on the way where it likes.
    using CopyFunction = void (*)(uint8_t* dest, const uint8_t* source, size_t bytes);

    explicit TRBufferThread(int BuffSize);

    void Write(const uint8_t* PSource);
    void Read(uint8_t* PDest) const;
    // Copies the newest frame with `copy` unless its number is `seen` (the reader has it
    // already); returns the newest frame's number.
    uint64_t ReadNewer(uint8_t* PDest, uint64_t seen, CopyFunction copy) const;
    bool HasData() const;

private:
    mutable std::mutex FCS;
    std::vector<uint8_t> FData;
    bool FDataValid = false;
    uint64_t FNumber = 0;
};
