#pragma once
// Scheduling of time-critical threads (audio capture and playback).

namespace platform::system {

// Raises the calling thread to real-time round-robin scheduling when the system allows it;
// otherwise the thread silently keeps its normal priority. Returns whether it was raised.
bool raiseToMultimediaPriority();

} // namespace platform::system
