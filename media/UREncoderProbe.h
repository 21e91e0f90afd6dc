#pragma once
// Which export formats this machine can write: test encodes through the encoder catalogue,
// once per process, in the background after start-up. The answer lands in the Enabled flags of
// ExportFormatTable (and the ShowWhenUnavailable flag of the HEVC software row) on the UI
// thread. A caller that needs it before the background run has delivered waits for that run
// and publishes its results itself; there is never more than one probe.

#include "platform/media/EncoderCatalog.h"

#include <array>

// H.264 software and hardware, HEVC software and hardware, WMV, GIF, WebP, M4A, WAV, MP3 (the
// rows of codes 1..10), and whether the HEVC software row is listed when unavailable.
using TEncoderProbeResults = std::array<bool, 11>;

// Runs the test encodes on the calling thread.
TEncoderProbeResults TestEncoders();

// Starts the probe on a worker thread unless one ran or runs; returns at once. The results
// are published through the UI thread's event queue; the worker never waits for that thread.
void TestEncodersASync();

// Whether an H.264 hardware encoder works here; runs (or waits for) the probe first when its
// results are not published yet. UI thread only.
bool GetHardwareH264Available();

// The published flags are the probe's.
bool EncoderProbeDone();

// How often TestEncoders ran in this process.
int EncoderProbeRuns();

// Whether the machine offers a hardware encoder for the format.
bool FindHardwareVideoEncoder(platform::media::EncodedFormat format);

// Waits for a running probe, restores the table's start values and forgets the results, so the
// next call probes again (for tests). UI thread only.
void ResetEncoderProbe();
