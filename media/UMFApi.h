// Start-up of the media layer for the program: whether the decoders and encoders it needs are
// present, and the per-thread bracket of worker threads that decode or encode.
#pragma once

#include <QString>
#include <cstdint>

// True after LoadMF when everything the program needs for media is present and started.
extern bool MFAvailable;

// Probes the media layer once, on the UI thread, before any worker thread exists, and starts
// it for the calling thread. Sets MFAvailable.
void LoadMF();

// The components LoadMF found missing, for the start-up message; empty when MFAvailable.
QString MFMissingComponents();

// Per-thread start and stop; every worker thread that uses the media layer calls them in pairs.
// Returns 0 (the layer needs nothing that can fail per thread).
int StartupMF();
void ShutdownMF();

// Two 32-bit values in one 64-bit attribute: High in the upper half.
constexpr uint64_t Pack2UINT32AsUINT64(uint32_t high, uint32_t low) {
    return (uint64_t(high) << 32) | low;
}

constexpr void Unpack2UINT32AsUINT64(uint64_t value, uint32_t& high, uint32_t& low) {
    high = uint32_t(value >> 32);
    low = uint32_t(value);
}
