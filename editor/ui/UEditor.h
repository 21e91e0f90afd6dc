#pragma once
// The editor's main window: up to five open projects in numbered slots, one of them active and
// shown with its own view state (canvas zoom, timeline position and zooms, playhead, playback
// speed and pitch), the inspector of the selected object, the caption with the modified mark,
// and the services the layers below reach the editor through. The canvas, the timeline, the
// player and the commands are separate controls; until they exist their areas stay empty and
// their menu items disabled.

#include "core/UREditorServices.h"
#include "editor/UTimelinePlayer.h"
#include "editor/ui/URDeviceReport.h"
#include "editor/ui/URTimeline.h"

#include <QMainWindow>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <tuple>
#include <vector>

class QAction;
class QActionGroup;
class QKeyEvent;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QScrollArea;
class QScrollBar;
class QSlider;
class QTabBar;
class QTimer;
class QToolButton;
class QWheelEvent;
class TRGPEditEx;
class TRObject;
class TRObjectInspector;
class TRProject;
class TRScene;
class TRTiming;

// Pixels per second of the timeline zoom levels 1..20 (index 0 unused).
inline constexpr std::array<std::int32_t, 21> TimelineZoomLevels = {
    0, 1, 2, 3, 5, 7, 10, 13, 16, 20, 25, 30, 60, 90, 120, 150, 180, 210, 240, 270, 300};
// The zoom level of a pixels-per-second value; 14 when it is not in the table.
int TimelineZoomIndex(std::int32_t pixelPS);

class TEditor : public QMainWindow {
    Q_OBJECT
public:
    explicit TEditor(QWidget* parent = nullptr);
    ~TEditor() override;

    static constexpr int SlotCount = 5;

    // The project shown and edited; null while none is open.
    TRProject* ActiveProject = nullptr;
    // The canvas, bound to the active project.
    TRScene* Scene = nullptr;
    // The timeline control; its view fields are the active project's timeline view.
    TRTimeline& Timeline;

    // ---- slots ----
    // The project of slot 1..5, or null.
    TRProject* Project(int slot) const;
    // Puts a project into the first free slot; returns the slot, 0 when all are filled (the
    // project is then freed).
    int AddProject(std::unique_ptr<TRProject> project);
    // Runs the Projects menu's action of a slot (1..5): activates the slot's project.
    void ClickProject(int slot);
    // The caption-bar tab of a slot was clicked: stops playback and activates it.
    void TabClick(int tabIndex);

    void SetActiveProject(TRProject* project);
    void UpdateInterface();
    void UpdateTabs();
    void UpdateCaption();
    void UpdateLabelTime();
    void UpdateMAXTimelineHScrollbar();
    void SetSelectedObject(TRObject* object, bool unselect);
    void SetMouseOverObject(TRObject* object);
    // Moves the playhead of the active project.
    void SetPlayHead(std::int32_t time);
    std::int32_t GetPlayHead() const { return Timeline.PlayHead; }
    // Playback speed (per mille) and the pitch flag, as the speed button and its menu show.
    void UpdatePlaybackSpeedComponents(std::int32_t speed, bool preservePitch);
    std::int32_t PlaybackSpeed() const { return FPlaybackSpeed; }
    bool PreserveAudioPitch() const;
    // ---- play control (UEditorPlay.cpp) ----
    // The playback clock, for the window's whole life.
    std::unique_ptr<TTimelinePlayer> Player;
    // Plays the active project from the playhead to its end at the preview rate.
    void Play();
    // Stops playback when the player runs; otherwise does nothing at all.
    void Stop();
    // A frame's preview: stops a running playback, else plays start..end at the timeline's rate.
    void PlaySpan(std::int32_t start, std::int32_t end);
    // The clock's callbacks: a new position, and the end of the run.
    void PlayerProcedure(std::int32_t value);
    void PlayerEndPlay(std::int32_t value);
    bool Muted() const;
    QToolButton* PlayButton() const { return btnPlay; }
    QToolButton* MuteButton() const { return btnMuteSound; }
    QToolButton* PlaybackSpeedButton() const { return btnPlaybackSpeed; }
    QMenu* PlayRateMenu() const { return pmPlay; }
    QMenu* PlaybackSpeedMenu() const { return pmPlaybackSpeed; }
    QTimer* EndPlayTimer() const { return TimerEndPlay; }
    // ---- projects in and out (UEditorFiles.cpp) ----
    // What the open worker opens (a ".qmb" package or a folder left by a crash), where the save
    // worker saves (empty: the project's own file) and the save's error (empty: saved).
    QString ProjectToOpen;
    QString ProjectToSave;
    QString ErrorProjectSave;
    // The lowest empty slot, 0 when all five are filled.
    int FreeSlot() const;
    // Opens ProjectToOpen under the progress form into the first free slot and activates it.
    void OpenProject();
    // Saves the active project to ProjectToSave under the progress form.
    void SaveProject();
    // Closes the active project after its save question: 1 closed (or none open), 2 kept.
    int CloseActiveProject();
    // "Untitled Project", numbered past the names of the last project folder's packages and
    // of the open projects.
    QString GetNewProjectName() const;
    // The File menu's commands; Save and Save As return whether the project was saved.
    void NewProjectCommand();
    void OpenProjectCommand();
    bool SaveCommand();
    bool SaveAsCommand();
    void CloseAllCommand();
    void ExitCommand();
    // Opens entry `tag` (1..10) of the recent projects.
    void RecentExecute(int tag);
    // The Open Recent submenu: one item per recent project that still exists.
    void UpdateRecentProjects();
    // Recomputes the enabled states of the File menu's commands.
    void UpdateFileActions();
    QMenu* RecentMenu() const { return FRecentMenu; }
    // Sizes the canvas panel for the active project's size and zoom.
    void SetPSceneSize();
    // The captions of the active project: into a SubRip file, or all deleted (one undo step)
    // after a confirmation.
    void ExportCaptions();
    void DeleteCaptions();

    // ---- the animation easing menu ----
    // Checks the item of an easing curve (outside 0..28: Linear) and its group.
    void SetCheckMenuItemAnimation(int value);
    // An easing item was chosen: the selected object's current animation takes it.
    void EaseItemClick(int ease);
    QMenu* EaseMenu() const { return pmEase; }

    // ---- components read elsewhere ----
    QMenuBar* MenuBar() const { return ActionMainMenuBar; }
    QMenu* Menu(int index) const { return FMenus[index]; }
    QAction* ProjectAction(int slot) const { return FProjectActions[slot]; }
    QTabBar* Tabs() const { return FTabs; }
    QToolButton* CloseButton() const { return FCloseButton; }
    QPushButton* SaveButton() const { return btnSave; }
    QLabel* TimeLabel() const { return ltime; }
    TRObjectInspector* Inspector() const { return FInspector; }
    TRGPEditEx* ZoomCanvas() const { return EdZoomCanvas; }
    QSlider* ZoomTimeline() const { return edZoomTimeline; }
    QSlider* ZoomTrack() const { return edZoomTrack; }
    QScrollBar* TimelineScrollBar() const { return sbhtimeline; }
    QWidget* IntroPanel() const { return panelIntro; }
    QWidget* ScenePanel() const { return pScene; }
    QScrollArea* SceneBox() const { return sbScene; }
    // Lays the panels out for the present client size.
    void FormResize();

    // ---- view controls (UEditorView.cpp) ----
    // The canvas zoom with which a project of that size fits the canvas box: never below 0.1.
    float ComputeDesignScale(std::int32_t projectWidth, std::int32_t projectHeight) const;
    // One wheel step (down or up) over the canvas or the timeline, with the modifiers held.
    void SceneMouseWheel(bool down, Qt::KeyboardModifiers modifiers);
    void TimelineMouseWheel(bool down, Qt::KeyboardModifiers modifiers);
    // The splitter above the timeline dragged to `y` (splitter pixels) with the left button.
    void SplitterMove(int y);
    // Scrolls the timeline so that the playhead shows (the time label's click).
    void GoToPlayhead();
    QScrollBar* TimelineVScrollBar() const { return sbVtimeline; }
    QWidget* TimelinePanel() const { return panelTimeline; }
    QWidget* Splitter() const { return panelsplitter; }

    // Opens a project once the message loop runs; enabled by the start-up for a project named on
    // the command line or a folder left behind by a crashed run (which wins).
    QTimer* TimerOpenProject;
    QString CommandLineProject;
    QString RecoveryFolder;
    // Arms the open-project timer when there is a project or a recovery folder to open.
    void EnableProjectOpening(const QString& commandLineProject, const QString& recoveryFolder);
    // The project or folder the open-project timer chose last.
    QString OpenedProject;

    // Where the capture-device report (Ctrl+Shift+D) takes its sections from.
    TRDeviceReportSources DeviceReportSources;

Q_SIGNALS:
    void openProjectRequested(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class TServices;
    class TTimelineHost;
    // ---- view controls (UEditorView.cpp) ----
    void CreateViewControls();
    void SbVtimelineScroll(int position);
    // Moves the shortcuts of Play, Delete and Paste out of the way of the focused text entry.
    void FormShortCut(QWidget* focus, QKeyEvent* event);
    bool WheelSteps(QWheelEvent* event, int& steps);
    void SetTimelineScrollPosition();
    void CreateMenus();
    void CreateTitleTabs();
    void CreatePanels(QWidget* client);
    void CreatePlayerBar();
    void CreateTimelinePanel();
    void CreateEaseMenu();
    // ---- play control (UEditorPlay.cpp) ----
    void CreatePlayControls();
    // Ends playback and removes the preview hook before the window goes.
    void DestroyPlayControls();
    void TimerEndPlayTimer();
    void PlayRateClick(QAction* item);
    void PlaybackSpeedClick(QAction* item);
    void PreserveAudioPitchClick();
    void MuteSoundClick();
    void UpdateBtnPlaybackHint();
    // The play button shows the stop glyph while playing.
    void ShowPlaying(bool playing);
    void CreateExportActions();
    // Export Project, or with `timelineSelection` Export Timeline Selection.
    void ExportProject(bool timelineSelection);
    void EdZoomCanvasChange();
    void EdZoomTimelineChange();
    void EdZoomTrackChange();
    void TimelineScroll(int position);
    void PlayerBarResize();
    void TimelinePanelResize();
    void TimerOpenProjectTimer();
    // Closes every project (false when one stays open), then ends the session's bookkeeping.
    bool FormClose();
    // Writes the view state (playhead, timeline position and zooms, speed, pitch) into the
    // active project's interface options.
    void StoreViewState();
    // ---- projects in and out (UEditorFiles.cpp) ----
    void CreateFileActions();
    // Asks through the installed dialogs.
    int Ask(const QString& text, int buttons, int icon);
    // Runs the save worker and reports its outcome; true when saved.
    bool RunSave(const QString& stepPrefix);
    // False (after telling the user) when the temporary root lacks room for `size` bytes.
    bool EnoughSpaceToOpen(std::int64_t size);
    void ShowIntroWhenIdle();
    // ---- dialog commands (UEditorDialogs.cpp) ----
    void CreateDialogActions();
    // The object Timing works on: a selected timeline object without a multi-selection.
    TRObject* TimingObject() const;
    void UpdateDialogActions();
    void TimingClick();
    void PreferencesClick();
    void AboutClick();

    std::unique_ptr<TServices> FServices;
    std::array<std::unique_ptr<TRProject>, SlotCount + 1> Projects;
    std::int32_t FPlaybackSpeed = 1000;
    QWidget* FClient;
    QMenuBar* ActionMainMenuBar;
    std::array<QMenu*, 8> FMenus{};
    std::array<QAction*, SlotCount + 1> FProjectActions{};
    QActionGroup* FProjectGroup;
    QWidget* FTitleTabs;
    QTabBar* FTabs;
    QToolButton* FCloseButton;
    QWidget* panelObjects;
    QScrollArea* sbScene;
    QWidget* pScene;
    QWidget* panelPlayer;
    QWidget* pAnimation;
    QWidget* pButtonsPlayer;
    QToolButton* btnPlay = nullptr;
    QToolButton* btnMuteSound = nullptr;
    QMenu* pmPlay = nullptr;
    QTimer* TimerEndPlay = nullptr;
    QToolButton* btnPlaybackSpeed;
    QMenu* pmPlaybackSpeed;
    QAction* pmPreserveAudioPitch;
    QLabel* ltime;
    TRGPEditEx* EdZoomCanvas;
    QWidget* panelsplitter;
    QWidget* panelTimeline;
    QWidget* pTimeline;
    QScrollBar* sbhtimeline;
    QScrollBar* sbVtimeline;
    QSlider* edZoomTimeline;
    QSlider* edZoomTrack;
    QWidget* panelBtnSaveExport;
    QPushButton* btnSave;
    QPushButton* btnExport;
    TRObjectInspector* FInspector;
    QWidget* panelIntro;
    QMenu* pmEase;
    // Made on first use and kept.
    TRTiming* FTiming = nullptr;
    QMenu* FRecentMenu = nullptr;
    // The File menu's commands with the rule that enables each.
    std::vector<std::pair<QAction*, std::function<bool()>>> FFileRules;
    // Set while the program moves a scroll bar, so its handler ignores the move.
    bool FScrollGuard = false;
    std::unique_ptr<TRTimelineHost> FTimelineHost;
    // Wheel movement smaller than one step, kept until it adds up to one.
    int FWheelRemainder = 0;
    // The key whose shortcuts were routed last (time stamp, key, modifiers).
    std::tuple<quint64, int, int> FLastShortCut{};
};

// The one editor window.
extern TEditor* Editor;
