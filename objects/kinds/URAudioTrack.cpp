#include "objects/kinds/URAudioTrack.h"

#include "core/UREditorServices.h"
#include "core/URObject.h"
#include "core/URProject.h"
#include "core/URPropMediaSpeed.h"
#include "core/URScenePaint.h"
#include "core/URSettings.h"
#include "core/URTimelineClip.h"
#include "media/UAudioPlayer.h"
#include "media/UAudioReader.h"
#include "media/UAudioWaveForm.h"
#include "media/UMFencoderAAC.h"
#include "media/URAudioExporter.h"
#include "objects/URPropAudio.h"
#include "platform/render/DeviceContext.h"
#include "platform/system/Clock.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

using namespace platform::render;

namespace {

constexpr int GridFPS = 30;       // the export's audio grid
constexpr int WaveFormPerS = 60;  // waveform samples per second of media
constexpr int ExportRate = 44100; // the reader's and the export's sample rate

std::int32_t GridFrame(std::int64_t ms) {
    return std::int32_t(ms * GridFPS / 1000);
}

std::int32_t GridFrames(float ms) {
    return std::int32_t(std::trunc(double(ms) * GridFPS / 1000));
}

std::int32_t WaveFormSample(double ms) {
    return std::int32_t(std::trunc(ms * WaveFormPerS / 1000));
}

std::int32_t SpeedOf(const TRObject& o) {
    return o.MediaSpeed() ? o.MediaSpeed()->Speed() : NormalMediaSpeed;
}

bool PreservePitchOf(const TRObject& o) {
    return !o.MediaSpeed() || o.MediaSpeed()->PreservePitch();
}

std::unique_ptr<TMFEncoder> CreateAudioEncoder(TRAudioExportTarget::Kind kind) {
    switch (kind) {
    case TRAudioExportTarget::Wav:
        return std::make_unique<TMFEncoderPCM>();
    case TRAudioExportTarget::Mp3:
        return std::make_unique<TMFEncoderMP3>();
    case TRAudioExportTarget::Aac:
        break;
    }
    return std::make_unique<TMFEncoderAAC>();
}

} // namespace

QString ProjectMediaName(std::int32_t objectId, const QString& fileName) {
    return QStringLiteral("m%1_%2_%3")
        .arg(objectId)
        .arg(platform::system::tickCount())
        .arg(QFileInfo(fileName).fileName());
}

std::int32_t MediaSpanAt(std::int64_t projectMs, std::int32_t speed) {
    return std::int32_t(projectMs * speed / 1000);
}

std::int32_t ClipMediaTime(const TRObject& clip, std::int32_t time, bool loop) {
    const std::int32_t speed = SpeedOf(clip);
    const std::int64_t t = std::max<std::int64_t>(std::int64_t(time) - clip.TimeStart(), 0);
    const std::int64_t m = std::int64_t(MediaSpanAt(t, speed)) + clip.MediaStart();
    if (m <= clip.MediaEnd())
        return std::int32_t(m);
    const std::int64_t window = std::int64_t(clip.MediaEnd()) - clip.MediaStart();
    if (!loop || window <= 0)
        return clip.MediaEnd();
    const std::int64_t period = window * 1000 / speed;
    if (period < 1)
        return clip.MediaStart();
    return MediaSpanAt(t % period, speed) + clip.MediaStart();
}

float TRAudioExportPlan::GainAt(std::int32_t i) const {
    if (i < FadeInEnd && FadeInEnd > 0)
        return Volume * float(i) / float(FadeInEnd);
    if (i > FadeOutStart && Frames > FadeOutStart)
        return Volume * float(Frames - i) / float(Frames - FadeOutStart);
    return Volume;
}

TRAudioExportTarget AudioExportTarget(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix();
    TRAudioExportTarget target;
    target.Base = suffix.isEmpty() ? fileName : fileName.chopped(suffix.size() + 1);
    const QString ext = suffix.toLower();
    if (ext == QLatin1String("wav")) {
        target.Type = TRAudioExportTarget::Wav;
        target.BytesPS = 176400;
    } else if (ext == QLatin1String("mp3")) {
        target.Type = TRAudioExportTarget::Mp3;
        target.BytesPS = 40000;
    } else {
        target.Type = TRAudioExportTarget::Aac;
        target.BytesPS = 24000;
    }
    return target;
}

TRAudioTrack::TRAudioTrack(TRObject& owner, TRVolumeGroupFn volumeGroup)
    : FOwner(owner), FVolumeGroup(std::move(volumeGroup)) {}

TRAudioTrack::~TRAudioTrack() {
    Close();
}

void TRAudioTrack::Close() {
    FAudioPlayer.reset();
    FAudioWaveForm.reset();
    FAudioReader.reset();
}

bool TRAudioTrack::Open(const QString& path) {
    Close();
    auto reader = std::make_unique<TAudioReader>();
    if (!reader->OpenFile(path, 0, 0, FirstAudioStream) || !reader->SetFormat(ExportRate, 2, 16))
        return false;
    auto waveform = std::make_unique<TAudioWaveForm>();
    waveform->SetOnAudioEndWaveFormProc([this](bool canChange) { AudioEndWaveForm(canChange); });
    waveform->SetFile(path, 0, 0, reader->Duration(), FirstAudioStream);
    auto player = std::make_unique<TAudioPlayer>();
    player->SetFile(path, 0, 0, FirstAudioStream);
    FAudioReader = std::move(reader);
    FAudioWaveForm = std::move(waveform);
    FAudioPlayer = std::move(player);
    return true;
}

// ---- loudness and gain ----

bool TRAudioTrack::CanUseLoudness() const {
    if (!FAudioWaveForm)
        return false;
    const TSingleArray& curve = FAudioWaveForm->Loudness();
    return curve.size() > 5 && curve.back() != 0;
}

std::int32_t TRAudioTrack::UsedMediaEnd() const {
    const TRObject& o = FOwner;
    if (std::int64_t(o.TimeStart()) + o.MediaEnd() - o.MediaStart() > o.TimeEnd())
        return o.MediaStart() + o.TimeEnd() - o.TimeStart();
    return o.MediaEnd();
}

float TRAudioTrack::GetLoudness() const {
    if (!CanUseLoudness())
        return NoLoudness;
    const TSingleArray& curve = FAudioWaveForm->Loudness();
    const auto n = std::int32_t(curve.size());
    const std::int32_t s = std::min(FOwner.MediaStart() / 100, n - 5);
    const std::int32_t l = std::min(UsedMediaEnd() / 100, n - 5);
    if (s == m_lastSeg1 && l == m_lastSeg2)
        return m_lastLoudness;
    const auto absoluteGate = float(std::pow(10.0, -6.9309));
    // The mean of the blocks above `gate` from s to l; count 0 when none is.
    const auto gated = [&](float gate, int& count) {
        float sum = 0;
        count = 0;
        for (std::int32_t i = std::max(s, 0); i <= l; ++i)
            if (curve[size_t(i)] > gate) {
                sum += curve[size_t(i)];
                ++count;
            }
        return count > 0 ? sum / float(count) : 0.0f;
    };
    int count = 0;
    float result = NoLoudness;
    const float mean = gated(absoluteGate, count);
    if (count > 0) {
        const float relativeGate = std::max(mean / 10.0f, absoluteGate);
        const float gatedMean = gated(relativeGate, count);
        if (count > 0)
            result = 10.0f * std::log10(gatedMean) - 0.691f;
    }
    m_lastSeg1 = s;
    m_lastSeg2 = l;
    m_lastLoudness = result;
    return result;
}

std::int32_t TRAudioTrack::GetMaxGainVolume() const {
    if (!FAudioWaveForm || !FAudioWaveForm->Completed() || FAudioWaveForm->Data().empty())
        return 200;
    const std::vector<uint8_t>& data = FAudioWaveForm->Data();
    const auto n = std::int32_t(data.size());
    const std::int32_t s = std::min(WaveFormSample(FOwner.MediaStart()), n - 1);
    const std::int32_t l = std::min(WaveFormSample(UsedMediaEnd()), n - 1);
    if (s == m_lastG1 && l == m_LastG2)
        return m_lastGain;
    int peak = 0;
    for (std::int32_t i = std::max(s, 0); i <= l; ++i)
        peak = std::max<int>(peak, data[size_t(i)]);
    std::int32_t gain = 200;
    if (peak >= 100)
        gain = 100;
    else if (peak > 0)
        gain = 9800 / peak;
    m_lastG1 = s;
    m_LastG2 = l;
    m_lastGain = gain;
    return gain;
}

float TRAudioTrack::GetVolume() const {
    const TRPropAudio* group = VolumeGroup();
    if (!group)
        return 1.0f;
    if (group->FNormalizeLoudness) {
        const float loudness = GetLoudness();
        if (loudness > NoLoudness)
            return float(std::pow(10.0, double(float(group->FLoudness - loudness)) / 20.0));
    }
    return group->FVolume;
}

// ---- preview ----

void TRAudioTrack::PrepareAudioToPlay(std::int32_t value) {
    if (!FAudioPlayer)
        return;
    const TRObject& o = FOwner;
    FAudioPlayer->SetReaderSpeed(SpeedOf(o), PreservePitchOf(o));
    std::int64_t position = FAudioPlayer->Duration();
    if (value <= o.TimeStart())
        position = o.MediaStart();
    else if (value <= o.TimeEnd() && value <= std::int64_t(o.TimeStart()) + o.MediaDuration())
        position = std::int64_t(MediaSpanAt(value - o.TimeStart(), SpeedOf(o))) + o.MediaStart();
    FAudioPlayer->SetPosition(position);
}

float TRAudioTrack::PreviewVolume() const {
    const TRPropAudio* group = VolumeGroup();
    float v = GetVolume();
    const TRObject& o = FOwner;
    const float elapsed = float(o.TimePosition() - o.TimeStart());
    const float remaining =
        float(std::int64_t(o.TimeStart()) + o.MediaDuration() - o.TimePosition());
    if (group->FFadeIN > 0 && group->FFadeIN > elapsed)
        v = v * elapsed / group->FFadeIN;
    else if (group->FFadeOUT > 0 && group->FFadeOUT > remaining)
        v = v * remaining / group->FFadeOUT;
    return v;
}

void TRAudioTrack::PlayAudio() {
    if (!FAudioPlayer)
        return;
    if (VolumeGroup())
        FAudioPlayer->SetVolume(PreviewVolume());
    const TRObject& o = FOwner;
    // The project time and the timeline's playhead hold the same position while playing.
    const std::int32_t playHead = o.TimePosition();
    const std::int64_t mediaEnd = std::int64_t(o.TimeStart()) + o.MediaDuration();
    if (FAudioPlayer->Running()) {
        if (mediaEnd < playHead || o.TimeEnd() < playHead)
            FAudioPlayer->Stop();
        return;
    }
    if (o.TimeStart() <= playHead && playHead <= o.TimeEnd() && playHead <= mediaEnd)
        FAudioPlayer->Play(EditorServices().PreviewSpeed(),
                           EditorServices().PreviewPreservePitch());
}

void TRAudioTrack::StopAudio() {
    if (FAudioPlayer)
        FAudioPlayer->Stop();
}

// ---- export ----

std::int32_t TRAudioTrack::PlayedEnd() const {
    const TRObject& o = FOwner;
    return std::int32_t(
        std::min<std::int64_t>(std::int64_t(o.TimeStart()) + o.MediaDuration(), o.TimeEnd()));
}

void TRAudioTrack::WaitForAnalysis() {
    if (FAudioWaveForm && !FAudioWaveForm->Completed())
        FAudioWaveForm->WaitCompleted(AnalysisWaitMs);
}

void TRAudioTrack::AddAudioToVideoExporter(TRAudioExporter& exporter) {
    if (!FAudioReader)
        return;
    const TRObject& o = FOwner;
    FAudioReader->SetSpeed(SpeedOf(o), PreservePitchOf(o));
    FAudioReader->SetPosition(o.MediaStart());
    FAudioReader->SetVolume(1.0f);
    const std::int32_t begin = GridFrame(o.TimeStart());
    const std::int32_t end = GridFrame(PlayedEnd());
    std::int32_t fadeInEnd = begin, fadeOutStart = end;
    float volume = 1.0f;
    if (const TRPropAudio* group = VolumeGroup()) {
        fadeInEnd = std::min(end, begin + GridFrames(group->FFadeIN));
        fadeOutStart = std::max(begin, end - GridFrames(group->FFadeOUT));
        WaitForAnalysis();
        volume = GetVolume();
    }
    exporter.AddSound(FAudioReader.get(), uint32_t(begin), uint32_t(end), uint32_t(fadeInEnd),
                      uint32_t(fadeOutStart), volume);
}

TRAudioExportPlan TRAudioTrack::ExportPlan() {
    TRAudioExportPlan plan;
    plan.Frames = GridFrame(PlayedEnd()) - GridFrame(FOwner.TimeStart());
    plan.FadeOutStart = plan.Frames;
    if (const TRPropAudio* group = VolumeGroup()) {
        plan.FadeInEnd = std::min(plan.Frames, GridFrames(group->FFadeIN));
        plan.FadeOutStart = std::max(0, plan.Frames - GridFrames(group->FFadeOUT));
        WaitForAnalysis();
        plan.Volume = GetVolume();
    }
    return plan;
}

bool TRAudioTrack::ExportAudio(const QString& fileName) {
    FLastError.clear();
    if (!FAudioReader) {
        FLastError = QStringLiteral("The clip has no sound.");
        return false;
    }
    const TRObject& o = FOwner;
    FAudioReader->SetSpeed(SpeedOf(o), PreservePitchOf(o));
    FAudioReader->SetPosition(o.MediaStart());
    const TRAudioExportPlan plan = ExportPlan();
    const TRAudioExportTarget target = AudioExportTarget(fileName);
    std::unique_ptr<TMFEncoder> encoder = CreateAudioEncoder(target.Type);
    encoder->SetParams(0, 0, GridFPS, 0, true, ExportRate, target.BytesPS, target.Base);
    const float restore = FAudioReader->Volume();
    int32_t result = encoder->StartEncode();
    std::vector<uint8_t> buffer;
    for (std::int32_t i = 0; result == MF_S_OK && i <= plan.Frames; ++i) {
        buffer.resize(size_t(encoder->AudioChunkBytes()));
        FAudioReader->SetVolume(plan.GainAt(i));
        uint32_t flags = 0;
        FAudioReader->LoadData(uint32_t(encoder->AudioChunkFrames()), buffer.data(), flags);
        result = encoder->AddAudioFrame(buffer.data());
    }
    const int32_t stopped = encoder->StopEncode();
    FAudioReader->SetVolume(restore);
    if (result == MF_S_OK)
        result = stopped;
    if (result != MF_S_OK) {
        FLastError = encoder->LastError().isEmpty()
                         ? QStringLiteral("Cannot write ") + encoder->FileName() + QLatin1Char('.')
                         : encoder->LastError();
        return false;
    }
    return true;
}

// ---- timeline ----

void TRAudioTrack::PaintWaveForm(bool closeAtLastSample) {
    FAudioWFGeometry.reset();
    const TRTimelineControl* control = TimelineControl();
    DeviceContext* dc = SceneContext();
    if (!FAudioWaveForm || FAudioWaveForm->Data().empty() || !control || !dc)
        return;
    const BrushPtr& fill =
        FAudioWaveForm->Completed() ? control->m_brush_wave : control->m_brush_stop;
    if (!fill || !control->m_brush_back)
        return;
    const TRObject& o = FOwner;
    const QRectF& rect = o.rectTimeline;
    const auto top = float(rect.top() + 3), bottom = float(rect.bottom() - 3);
    const float height = bottom - top + 1;
    const auto left = float(rect.left() + 1), right = float(rect.right() - 1);
    const TRPropAudio* group = VolumeGroup();
    const std::int32_t fadeIn = group ? WaveFormSample(group->FFadeIN) : 0;
    const std::int32_t fadeOut = group ? WaveFormSample(group->FFadeOUT) : 0;
    const float volume = GetVolume();

    const std::vector<uint8_t>& data = FAudioWaveForm->Data();
    const auto n = std::int32_t(data.size());
    const std::int32_t first = std::clamp(WaveFormSample(o.MediaStart()), 0, std::max(n - 2, 0));
    std::int32_t last = WaveFormSample(o.MediaEnd());
    if (o.TimeEnd() < std::int64_t(o.TimeStart()) + o.MediaDuration())
        last = WaveFormSample(double(MediaSpanAt(o.TimeEnd() - o.TimeStart(), SpeedOf(o))) +
                              o.MediaStart());
    last = std::max(std::clamp(last, 0, std::max(n - 2, 0)), first);
    const std::int32_t count = last - first;
    const float step = float(control->PixelPS) / 60.0f * 1000.0f / float(SpeedOf(o));

    PathBuilder path;
    path.setFillMode(FillMode::Winding);
    path.beginFigure({left, bottom});
    auto lastX = std::int32_t(left);
    float closeX = right;
    for (std::int32_t i = 0; i < count; ++i) {
        const float x = left + float(i) * step;
        const auto column = std::int32_t(x);
        if (column < control->LeftSpace || float(column) > control->Width || column == lastX)
            continue;
        float gain = volume;
        if (i < fadeIn && fadeIn > 0)
            gain = volume * float(i) / float(fadeIn);
        else if (i > count - fadeOut && fadeOut > 0)
            gain = volume * float(count - i) / float(fadeOut);
        const float amplitude = std::min(gain * float(data[size_t(first + i)]) / 100.0f, 1.0f);
        path.addLine({x, bottom - height * amplitude});
        lastX = column;
        closeX = x;
        if (i == count - 1)
            path.addLine({x, bottom});
    }
    path.addLine({closeAtLastSample ? closeX : right, bottom});
    path.endFigure(FigureEnd::Closed);
    FAudioWFGeometry = path.close();
    dc->fillGeometry(*FAudioWFGeometry, *fill);
    dc->drawGeometry(*FAudioWFGeometry, *control->m_brush_back, 0.5f);
}

void TRAudioTrack::AudioEndWaveForm(bool canChange) {
    try {
        TRPropAudio* group = VolumeGroup();
        if (SettingsRecord.NormalizeLoudness != 0 && canChange && group)
            group->FNormalizeLoudness = true;
        TRProject* project = FOwner.Project();
        if (project && project == EditorServices().ActiveProject() &&
            project->SelectedObject == &FOwner)
            EditorServices().UpdateAudioProperties();
        EditorServices().RepaintTimeline();
    } catch (...) {
        // The end of an analysis never takes the program down.
    }
}
