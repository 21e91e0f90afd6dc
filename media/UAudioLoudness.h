// The arithmetic of the timeline's waveform and loudness curves and of integrated loudness:
// peaks per 1/60 s and K-weighted mean squares per 100 ms of 48 kHz stereo audio. The
// results are stored in cache files and must come out bit for bit the same on every build,
// so this unit is compiled without floating-point contraction and keeps every single and
// double precision step as written.
#pragma once

#include <cstdint>
#include <vector>

using TSingleArray = std::vector<float>;

// Frames of 48 kHz audio behind one waveform byte (1/60 s) and one loudness segment (100 ms).
inline constexpr int WaveFormChunkFrames = 800;
inline constexpr int LoudnessSegmentFrames = 4800;
// The loudness that stands for "nothing measurable".
inline constexpr float NoLoudness = -70.0f;

// Bytes of a waveform and values of a loudness curve for a stream of `durationMs`.
int64_t WaveFormBytes(int64_t durationMs);
int64_t LoudnessValues(int64_t durationMs);

// The waveform value of a peak magnitude (0..32768): 0..100.
uint8_t WaveFormValue(int peak);

// The two-stage K-weighting filter of one channel at 48 kHz.
struct TKWeighting {
    float x1 = 0, x2 = 0, y1 = 0, y2 = 0, z1 = 0, z2 = 0;
    // The weighted value of one sample.
    float Filter(int16_t sample);
};

// Builds the waveform and the loudness curve from consecutive chunks of 800 stereo frames.
class TAudioAnalysis {
public:
    // Sizes both arrays for a stream of `durationMs`; every value 0.
    explicit TAudioAnalysis(int64_t durationMs);

    int64_t ChunkCount() const { return int64_t(FData.size()); }
    // Adds waveform byte `index` from its 800 interleaved stereo frames.
    void AddChunk(int64_t index, const int16_t* frames);
    // Smooths the curve to 400-ms means and sets the completion marker.
    void Finish();

    std::vector<uint8_t>& Data() { return FData; }
    TSingleArray& Loudness() { return FLoudness; }

private:
    std::vector<uint8_t> FData;
    TSingleArray FLoudness;
    TKWeighting FLeft, FRight;
    float FSum = 0;
    int FFrames = 0;
    int64_t FSegment = 0;
};

// Integrated loudness (LUFS) from raw 100-ms segment sums of zL² + zR² (4800 frames each)
// between two times, gated at −70 LUFS and 10 LU below the mean; NoLoudness when no block of
// 400 ms passes the gates.
float GatedLoudness(TSingleArray segments, int startMs, int endMs);

// The raw segment sums of consecutive 4800-frame stereo segments with one filter state
// carried from segment to segment.
class TLoudnessMeter {
public:
    void AddSegment(const int16_t* frames);
    const TSingleArray& Segments() const { return FSegments; }

private:
    TKWeighting FLeft, FRight;
    TSingleArray FSegments;
};
