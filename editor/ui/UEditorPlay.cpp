// The editor's play control around the playback clock: Play and Stop, the clock's two
// callbacks, the end of a run through a short timer (the clock thread is still inside its
// hand-over when it reports the end, so it cannot be stopped from there), the preview-rate menu
// of the play button, the playback-speed menu with "Preserve Audio Pitch", and the mute button.

#include "core/URProject.h"
#include "core/URSettings.h"
#include "core/URStartup.h"
#include "core/ui/URGlyphs.h"
#include "core/ui/URStyle.h"
#include "editor/ui/UEditor.h"
#include "properties/ui/UFramePropTransition.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

namespace {

// The preview rates of the play button's menu, first checked.
constexpr int PlayRates[] = {30, 25, 20, 10, 5, 1};
// The playback speeds per mille; 1000 ("100%") is the normal speed.
constexpr int PlaybackSpeeds[] = {250,  500,  750,  1000, 1250, 1500,
                                  1750, 2000, 2500, 3000, 3500, 4000};
constexpr int NormalSpeed = 1000;
constexpr int EndPlayInterval = 100;

const QString PlayHint = "Play/Stop\nPlay Timeline Selection ( Left-Click + Shift )";

int Tag(const QAction* action) {
    return action->data().toInt();
}

} // namespace

void TEditor::CreatePlayControls() {
    Player = std::make_unique<TTimelinePlayer>([this](std::int32_t v) { PlayerProcedure(v); },
                                               [this](std::int32_t v) { PlayerEndPlay(v); });
    TimerEndPlay = new QTimer(this);
    TimerEndPlay->setObjectName("TimerEndPlay");
    TimerEndPlay->setSingleShot(true);
    TimerEndPlay->setInterval(EndPlayInterval);
    connect(TimerEndPlay, &QTimer::timeout, this, &TEditor::TimerEndPlayTimer);

    pmPlay = new QMenu(btnPlay);
    pmPlay->setObjectName("pmPlay");
    auto* rates = new QActionGroup(pmPlay);
    for (const int rate : PlayRates) {
        QAction* item = pmPlay->addAction(QString("%1 fps").arg(rate));
        item->setData(rate);
        item->setCheckable(true);
        item->setChecked(rate == PlayRates[0]);
        rates->addAction(item);
    }
    connect(pmPlay, &QMenu::triggered, this, &TEditor::PlayRateClick);
    btnPlay->setEnabled(true);
    btnPlay->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(btnPlay, &QToolButton::customContextMenuRequested, this,
            [this](const QPoint& at) { pmPlay->popup(btnPlay->mapToGlobal(at)); });
    connect(btnPlay, &QToolButton::clicked, this, [this] { Player->Running() ? Stop() : Play(); });

    for (const int speed : PlaybackSpeeds) {
        QAction* item = pmPlaybackSpeed->addAction(QString("%1%").arg(speed / 10));
        item->setData(speed);
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, item] { PlaybackSpeedClick(item); });
    }
    pmPlaybackSpeed->addSeparator();
    pmPreserveAudioPitch = pmPlaybackSpeed->addAction("Preserve Audio Pitch");
    pmPreserveAudioPitch->setObjectName("pmPreserveAudioPitch");
    pmPreserveAudioPitch->setCheckable(true);
    connect(pmPreserveAudioPitch, &QAction::triggered, this, &TEditor::PreserveAudioPitchClick);

    btnMuteSound->setEnabled(true);
    btnMuteSound->setCheckable(true);
    connect(btnMuteSound, &QToolButton::clicked, this, &TEditor::MuteSoundClick);
    ShowPlaying(false);
    InstallTransitionPlay([this](std::int32_t start, std::int32_t end) { PlaySpan(start, end); });
}

void TEditor::DestroyPlayControls() {
    InstallTransitionPlay(nullptr);
    Player->Stop();
}

bool TEditor::Muted() const {
    return btnMuteSound->isChecked();
}

void TEditor::ShowPlaying(bool playing) {
    btnPlay->setIcon(GlyphIcon(playing ? GlyphStop : GlyphPlay,
                               QColor(playing ? TRStyleColors::Highlight : TRStyleColors::Text)));
    // The hint would cover the canvas while it plays.
    btnPlay->setToolTip(playing ? QString() : PlayHint);
}

void TEditor::Play() {
    if (!ActiveProject)
        return;
    if (!Muted())
        ActiveProject->PrepareAudioToPlay(Timeline.PlayHead);
    ActiveProject->StartPlay = Timeline.PlayHead;
    ActiveProject->StopPlay = ActiveProject->TimeEnd();
    ShowPlaying(true);
    int rate = 30;
    for (const QAction* item : pmPlay->actions())
        if (item->isChecked()) {
            if (Tag(item) >= 1 && Tag(item) <= 30)
                rate = Tag(item);
            break;
        }
    Player->Play(Timeline.PlayHead, ActiveProject->TimeEnd(), Timeline.PlayHead, false, rate,
                 FPlaybackSpeed);
}

void TEditor::PlaySpan(std::int32_t start, std::int32_t end) {
    if (!ActiveProject)
        return;
    if (Player->Running()) {
        Stop();
        return;
    }
    if (!Muted())
        ActiveProject->PrepareAudioToPlay(start);
    ShowPlaying(true);
    Player->Play(start, end, Timeline.PlayHead, false, Timeline.FramePS, FPlaybackSpeed);
}

void TEditor::Stop() {
    if (!Player->Running())
        return;
    SaveLastStep(SettingsRecord, ActiveProject, "Editor_Stop");
    ShowPlaying(false);
    Player->Stop();
    if (ActiveProject) {
        ActiveProject->StopAudio();
        ActiveProject->StopPlay = Timeline.PlayHead;
    }
    pScene->update();
    SaveLastStep(SettingsRecord, ActiveProject, "Editor_StopEnd");
}

void TEditor::PlayerProcedure(std::int32_t value) {
    const std::int32_t startTime = Timeline.StartTime;
    SetPlayHead(value);
    Timeline.SetPlayHeadVisible();
    if (Timeline.StartTime != startTime)
        SetTimelineScrollPosition();
}

void TEditor::PlayerEndPlay(std::int32_t value) {
    SetPlayHead(value);
    TimerEndPlay->start();
}

void TEditor::TimerEndPlayTimer() {
    TimerEndPlay->stop();
    Stop();
}

void TEditor::PlayRateClick(QAction* item) {
    Stop();
    for (QAction* other : pmPlay->actions())
        other->setChecked(other == item);
}

void TEditor::PlaybackSpeedClick(QAction* item) {
    Stop();
    UpdatePlaybackSpeedComponents(Tag(item), PreserveAudioPitch());
}

void TEditor::PreserveAudioPitchClick() {
    Stop();
    UpdateBtnPlaybackHint();
}

void TEditor::MuteSoundClick() {
    Stop();
    btnMuteSound->setIcon(
        GlyphIcon(Muted() ? GlyphVolumeOff : GlyphVolume, QColor(TRStyleColors::Text)));
}

void TEditor::UpdatePlaybackSpeedComponents(std::int32_t speed, bool preservePitch) {
    for (QAction* item : pmPlaybackSpeed->actions()) {
        if (!item->isCheckable() || item == pmPreserveAudioPitch)
            continue;
        item->setChecked(Tag(item) == speed);
        if (Tag(item) != speed)
            continue;
        pmPreserveAudioPitch->setEnabled(speed != NormalSpeed);
        btnPlaybackSpeed->setText(item->text());
        FPlaybackSpeed = speed;
    }
    btnPlaybackSpeed->setProperty("Tag", FPlaybackSpeed);
    pmPreserveAudioPitch->setChecked(preservePitch);
    UpdateBtnPlaybackHint();
}

bool TEditor::PreserveAudioPitch() const {
    return pmPreserveAudioPitch->isChecked();
}

void TEditor::UpdateBtnPlaybackHint() {
    btnPlaybackSpeed->setToolTip(
        "Playback Speed: " + btnPlaybackSpeed->text() +
        "\nPreserve Audio Pitch: " + (PreserveAudioPitch() ? "ON" : "OFF"));
}
