#include "media/UAudioLoudness.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

int64_t WaveFormBytes(int64_t durationMs) {
    return std::max<int64_t>(durationMs, 0) * 60 / 1000;
}

int64_t LoudnessValues(int64_t durationMs) {
    return std::max<int64_t>(durationMs, 0) / 100 + 1;
}

uint8_t WaveFormValue(int peak) {
    const float quotient = float(double(peak * 100) / 32767.0);
    return uint8_t(std::trunc(quotient));
}

float TKWeighting::Filter(int16_t sample) {
    const float x = float(sample / 32767.0);
    const float y = float(1.53512485958697 * x - 2.69169618940638 * x1 + 1.19839281085285 * x2 +
                          1.69065929318241 * y1 - 0.73248077421585 * y2);
    const float z = float(y - 2.0 * y1 + y2 + 1.99004745483398 * z1 - 0.99007225036621 * z2);
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    z2 = z1;
    z1 = z;
    return z;
}

TAudioAnalysis::TAudioAnalysis(int64_t durationMs)
    : FData(size_t(WaveFormBytes(durationMs)), 0),
      FLoudness(size_t(LoudnessValues(durationMs)), 0.0f) {}

void TAudioAnalysis::AddChunk(int64_t index, const int16_t* frames) {
    int peak = 0;
    const int64_t segments = int64_t(FLoudness.size()) - 1;
    for (int i = 0; i < WaveFormChunkFrames; ++i) {
        for (int c = 0; c < 2; ++c) {
            const int16_t sample = frames[2 * i + c];
            peak = std::max(peak, std::abs(int(sample)));
            const float z = (c == 0 ? FLeft : FRight).Filter(sample);
            FSum = FSum + z * z;
        }
        if (++FFrames == LoudnessSegmentFrames) {
            if (FSegment < segments)
                FLoudness[size_t(FSegment)] = FSum / float(LoudnessSegmentFrames);
            ++FSegment;
            FFrames = 0;
            FSum = 0;
        }
    }
    FData[size_t(index)] = WaveFormValue(peak);
}

void TAudioAnalysis::Finish() {
    const int64_t n = int64_t(FLoudness.size()) - 1;
    for (int64_t i = 0; i <= n - 4; ++i) {
        float sum = float(double(FLoudness[size_t(i)]) + double(FLoudness[size_t(i + 1)]) +
                          double(FLoudness[size_t(i + 2)]) + double(FLoudness[size_t(i + 3)]));
        sum = sum / 4.0f;
        FLoudness[size_t(i)] = sum;
    }
    FLoudness[size_t(n)] = 1.0f;
}

void TLoudnessMeter::AddSegment(const int16_t* frames) {
    float sum = 0;
    for (int i = 0; i < LoudnessSegmentFrames; ++i) {
        const float left = FLeft.Filter(frames[2 * i]);
        const float right = FRight.Filter(frames[2 * i + 1]);
        sum = sum + left * left;
        sum = sum + right * right;
    }
    FSegments.push_back(sum);
}

float GatedLoudness(TSingleArray segments, int startMs, int endMs) {
    const int n = int(segments.size());
    if (n < 4)
        return NoLoudness;
    const int s = std::max(0, std::min(startMs / 100, n - 4));
    const int e = std::min(endMs / 100, n - 4);
    if (e < s)
        return NoLoudness;
    const float absoluteGate = float(std::pow(10.0, -6.9309));
    float sum = 0;
    int count = 0;
    for (int p = s; p <= e; ++p) {
        const float block = (segments[size_t(p)] + segments[size_t(p + 1)] +
                             segments[size_t(p + 2)] + segments[size_t(p + 3)]) /
                            19200.0f;
        segments[size_t(p)] = block;
        if (block > absoluteGate) {
            sum = sum + block;
            ++count;
        }
    }
    if (count == 0)
        return NoLoudness;
    const float relativeGate = std::max(sum / float(count) / 10.0f, absoluteGate);
    sum = 0;
    count = 0;
    for (int p = s; p <= e; ++p)
        if (segments[size_t(p)] > relativeGate) {
            sum = sum + segments[size_t(p)];
            ++count;
        }
    if (count == 0)
        return NoLoudness;
    return float(10.0 * std::log10(double(sum / float(count))) - 0.691);
}
