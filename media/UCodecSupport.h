#pragma once
// Services shared by the screen-video encoder and decoder: 16-byte aligned buffers for the SIMD
// kernels and running one task per band or slice on the thread pool.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

// A zero-filled byte buffer whose data starts on a 16-byte boundary.
class TAlignedBuffer {
public:
    TAlignedBuffer() = default;
    explicit TAlignedBuffer(std::size_t size) { Allocate(size); }

    void Allocate(std::size_t size);
    void Free();
    uint8_t* Data() const { return FData.get(); }
    std::size_t Size() const { return FSize; }

private:
    struct TAlignedDelete {
        void operator()(uint8_t* p) const;
    };
    std::unique_ptr<uint8_t[], TAlignedDelete> FData;
    std::size_t FSize = 0;
};

// Logical processors of the machine (at least 1).
int CodecProcessorCount();

// Runs Task(0) .. Task(Count - 1) and returns when all have finished: on the global thread pool
// (the calling thread takes part, so there is no limit on the number of tasks and no deadlock
// when the pool is busy) when MultiThread is set, else one after another on the calling thread.
void RunCodecTasks(int Count, bool MultiThread, const std::function<void(int)>& Task);
