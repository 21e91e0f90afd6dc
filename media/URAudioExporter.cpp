#include "media/URAudioExporter.h"

#include "media/UAudioReader.h"
#include "media/UMFAudioResampler.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cmath>

namespace {

const QString ClickName = "mouse_click_sound";
constexpr int MixLimit = 32700;

int16_t saturate(double value) {
    return int16_t(std::clamp(value, -double(MixLimit), double(MixLimit)));
}

bool overlaps(const TAudioExportItem& item, const TAudioExportGroup& group) {
    return item.BeginFrame <= group.EndFrame && item.EndFrame >= group.BeginFrame;
}

// The gain of grid frame k: fades rise from 0 at the first frame and fall to 0 at the last.
float gainAt(const TAudioExportItem& item, uint32_t k) {
    double gain = item.Volume;
    if (k < item.FadeInEnd && item.BeginFrame < item.FadeInEnd)
        gain = double(item.Volume) * (k - item.BeginFrame) / (item.FadeInEnd - item.BeginFrame);
    else if (k > item.FadeOutStart && item.EndFrame > item.FadeOutStart)
        gain = double(item.Volume) * (item.EndFrame - k) / (item.EndFrame - item.FadeOutStart);
    return float(gain);
}

} // namespace

TRAudioExporter::TRAudioExporter(const QString& AClickFile, int AFramesPerSecond)
    : FGrid(SampleRate, AFramesPerSecond) {
    if (AClickFile.isEmpty() || !QFile::exists(AClickFile))
        return;
    TAudioReader reader;
    if (!reader.OpenFile(AClickFile) || !reader.SetFormat(SampleRate, Channels, 16))
        return;
    const auto frames = uint32_t(std::trunc(reader.Duration() * SampleRate / 1000.0));
    FClickSoundData.resize(size_t(frames) * Channels);
    uint32_t flags = 0;
    reader.LoadData(frames, reinterpret_cast<uint8_t*>(FClickSoundData.data()), flags);
}

void TRAudioExporter::AddSound(TAudioReader* AReader, uint32_t AFrameBegin, uint32_t AFrameEnd,
                               uint32_t AFrameFIn, uint32_t AFrameFOut, float AVolume) {
    if (!AReader || AFrameEnd < AFrameBegin)
        return;
    FList.push_back({AFrameBegin, AFrameEnd, AFrameFIn, AFrameFOut, AVolume, AReader, {}});
}

void TRAudioExporter::AddMouseClickSound(uint32_t AFrameBegin, float AVolume) {
    const int64_t clickFrames = int64_t(FClickSoundData.size()) / Channels;
    const auto end = uint32_t(AFrameBegin + FGrid.FrameOf(clickFrames));
    FList.push_back({AFrameBegin, end, AFrameBegin, end, AVolume, nullptr, ClickName});
}

QString TRAudioExporter::FileName() const {
    return QDir(TempPath).filePath("ntmp.wav");
}

std::vector<TAudioExportGroup> TRAudioExporter::GroupItems() {
    std::vector<TAudioExportGroup> groups;
    while (!FList.empty()) {
        TAudioExportGroup group{FList.front().BeginFrame, FList.front().EndFrame, {}};
        group.Items.push_back(FList.front());
        FList.erase(FList.begin());
        for (auto it = FList.begin(); it != FList.end();) {
            if (!overlaps(*it, group)) {
                ++it;
                continue;
            }
            group.BeginFrame = std::min(group.BeginFrame, it->BeginFrame);
            group.EndFrame = std::max(group.EndFrame, it->EndFrame);
            group.Items.push_back(*it);
            FList.erase(it);
            it = FList.begin(); // the span grew: scan again from the start
        }
        std::stable_sort(group.Items.begin(), group.Items.end(),
                         [](const auto& a, const auto& b) { return a.EndFrame < b.EndFrame; });
        groups.push_back(std::move(group));
    }
    std::stable_sort(groups.begin(), groups.end(),
                     [](const auto& a, const auto& b) { return a.BeginFrame < b.BeginFrame; });
    return groups;
}

bool TRAudioExporter::Save() {
    const std::vector<TAudioExportGroup> groups = GroupItems();
    QFile::remove(FileName());
    QFile file(FileName());
    const TWaveFormat format = TWaveFormat::Pcm16(SampleRate, Channels);
    if (!file.open(QIODevice::WriteOnly) || !WriteWavHeader(format, file))
        return false;
    bool ok = true;
    int64_t next = 0; // the first grid frame not written yet
    for (const TAudioExportGroup& group : groups) {
        ok = ok && WriteSilence(file, next, group.BeginFrame) && MixGroup(file, group);
        next = int64_t(group.EndFrame) + 1;
    }
    ok = ok && WriteSilence(file, next, int64_t(FrameEnd) + 1);
    return WriteWavHeader(format, file) && ok;
}

bool TRAudioExporter::WriteSilence(QFile& file, int64_t firstFrame, int64_t lastFrame) {
    int64_t bytes = (FGrid.FrameStart(lastFrame) - FGrid.FrameStart(firstFrame)) * Channels * 2;
    static const QByteArray zeros(1 << 16, '\0');
    while (bytes > 0) {
        const int64_t n = std::min<int64_t>(bytes, zeros.size());
        if (file.write(zeros.constData(), n) != n)
            return false;
        bytes -= n;
    }
    return true;
}

bool TRAudioExporter::MixGroup(QFile& file, const TAudioExportGroup& group) {
    const int64_t start = FGrid.FrameStart(group.BeginFrame);
    SMALLINT_ARRAY mix(size_t(FGrid.FrameStart(int64_t(group.EndFrame) + 1) - start) * Channels, 0);
    for (const TAudioExportItem& item : group.Items) {
        if (item.Name == ClickName)
            MixClick(item, (FGrid.FrameStart(item.BeginFrame) - start) * Channels, mix);
        else
            MixSound(item, start, mix);
    }
    const auto bytes = qint64(mix.size() * 2);
    return file.write(reinterpret_cast<const char*>(mix.data()), bytes) == bytes;
}

void TRAudioExporter::MixClick(const TAudioExportItem& item, int64_t offset,
                               SMALLINT_ARRAY& mix) const {
    const size_t count = std::min(FClickSoundData.size(), mix.size() - size_t(offset));
    for (size_t i = 0; i < count; ++i) {
        int16_t& target = mix[size_t(offset) + i];
        target = saturate(std::trunc(double(FClickSoundData[i]) * item.Volume + target));
    }
}

void TRAudioExporter::MixSound(const TAudioExportItem& item, int64_t groupStart,
                               SMALLINT_ARRAY& mix) {
    SMALLINT_ARRAY block;
    for (uint32_t k = item.BeginFrame; k <= item.EndFrame; ++k) {
        const int64_t frames = FGrid.FrameLength(k);
        block.assign(size_t(frames) * Channels, 0);
        uint32_t flags = 0;
        item.Reader->LoadData(uint32_t(frames), reinterpret_cast<uint8_t*>(block.data()), flags);
        const float gain = gainAt(item, k);
        int16_t* target = mix.data() + (FGrid.FrameStart(k) - groupStart) * Channels;
        for (int16_t sample : block) {
            *target = saturate(std::trunc(double(sample) * gain) + *target);
            ++target;
        }
        if (k % 30 == 0 && OnProgress)
            OnProgress();
        if (k == UINT32_MAX)
            break;
    }
}
