#pragma once
// The recorder tool bar: a small dialog above every other window, run modally for one
// recording. Its start page picks the sources (screen area, camera, microphone, system sound),
// its countdown page counts down to the recording, its recording page pauses, resumes and
// stops it. The engines are driven by TRRecordingRun.

#include "core/URSettings.h"
#include "recorder/URRecorderCaption.h"
#include "recorder/URRecorderDevices.h"

#include <QDialog>
#include <QImage>
#include <QTimer>
#include <functional>
#include <memory>

class QLabel;
class QMenu;
class QStackedWidget;
class QToolButton;
class TAudioPlayer;
class TRMeterButton;
class TRLevelBar;
class TRCountdownDial;
class TRRecordingRun;
class TRProject;
class TrecordWindow;
namespace platform::system {
class NamedMutex;
}

class TRRecorder : public QDialog {
    Q_OBJECT
public:
    explicit TRRecorder(QWidget* parent = nullptr);
    ~TRRecorder() override;

    // One recording run. True only when it ended with Stop; the four flags then tell which
    // sources were on. AVR_FileName names the video-mode output when not blank.
    bool Execute(bool ARecordToVideo, bool& AScreen, bool& ACamera, bool& AMic, bool& ASound,
                 const QString& AVR_FileName = QString());

    void UpdateCaption();
    void KeepWindowsTopMost();
    void ShowRecordWindow(bool AShow);
    // Stops and frees every engine; also what the editor calls at shutdown.
    void StopRecording();

    // Set by the editor before Execute.
    bool Working = false;
    QString DirTempProject;
    // The name of the mutex that keeps a second recording from starting while one runs (tests
    // running side by side give each process its own).
    QString MutexName = QStringLiteral("Tavrin_Recorder_Mutex");
    TRProject* ActiveProject = nullptr;
    int ProjectInd = 0;
    // The run's state, read by the editor afterwards.
    bool RecordToVideo = false;
    bool Recording = false;
    TRRunNames Names;
    QString filename_recording;
    int CloseTag = 0; // 1: the run ended with Stop

    // Replaceable for tests: devices, message boxes (text, buttons, icon → answer code of
    // TRMessageBox) and the pause before a resume or a deletion.
    TRRecorderDevices Devices;
    std::function<int(const QString& text, int buttons, int icon)> AskUser;
    int SettleMs = 500;

    // The parts tests drive and read.
    QStackedWidget* Pages() const { return pageViewer; }
    QWidget* PageStart() const { return pageStart; }
    QWidget* PageCountDown() const { return pageCountDown; }
    QWidget* PageRecord() const { return pageRecord; }
    QToolButton* ScreenButton() const;
    QToolButton* CameraButton() const;
    QToolButton* MicButton() const;
    QToolButton* SoundButton() const;
    QToolButton* RecButton() const { return btnRec; }
    QToolButton* PauseButton() const { return btnPause; }
    QToolButton* StopButton() const { return btnStop; }
    QMenu* ScreenMenu() const { return PopupMenuScreen; }
    QMenu* CameraMenu() const { return PopupMenuCamera; }
    QMenu* MicMenu() const { return PopupMenuMic; }
    QMenu* SoundMenu() const { return PopupMenuSC; }
    QMenu* AlignmentMenu() const { return PopupMenuAlignment; }
    QToolButton* AlignmentButton() const { return titleAlignment; }
    QString SizeText() const;
    QString TimeText() const;
    int SizeAlpha() const { return FSizeAlpha; }
    TRRecordingRun* Run() const { return FRun.get(); }
    TrecordWindow* Frame() const;
    double Dpi() const { return dpiX; }
    // Runs the device opening at once instead of 100 ms after showing.
    void OpenDevicesNow();
    // One tick of the recording timer.
    void TimerRecTick();
    // REC as the user presses it.
    void StartClicked();
    // The menus, built again from the devices and the settings.
    void PopulateScreenMenu();
    void PopulateCameraMenu();
    void PopulateMicMenu();
    void PopulateSCMenu();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildForm();
    QWidget* buildTitleStrip();
    void buildStartPage();
    void buildCountDownPage();
    void buildRecordPage();
    void loadMuteSounds();
    void resetForRun();
    void sizeForDpi(int clientWidth);
    void placeFrame();
    bool prepareNames(const QString& AVR_FileName);
    int ask(const QString& text, int buttons, int icon);
    void inform(const QString& text);

    void openDevices();
    void screenToggled(bool down);
    void cameraToggled(bool down);
    void micToggled(bool down);
    void soundToggled(bool down);
    bool startCamera();
    void stopCamera();
    void startMic();
    void stopMic();
    void startSound();
    void stopSound();

    bool checkFolder();
    void startCountdown();
    void countdownTick();
    void showCountdown(int leftMs);
    void startRecording();
    void pauseClicked(bool down);
    void stopClicked();
    void stopRun();
    void deleteTempFiles();
    void settle(const std::function<void()>& then);
    void updateSize();
    void sizeChanged();
    void micVolume(int volume, bool mute);
    void storeLayout();

    void screenMenuAction(QAction* action);
    void cameraFormatChosen(QAction* action);
    void micChosen(QAction* action);
    void soundChosen(QAction* action);
    void unselectFullScreen();
    void buildAlignmentMenu();
    // Ticks the item of the stored docking choice and shows it on the title-bar button.
    void showAlignment();

    QStackedWidget* pageViewer = nullptr;
    QWidget *pageStart = nullptr, *pageCountDown = nullptr, *pageRecord = nullptr;
    QWidget* titleStrip = nullptr;
    QLabel* titleIcon = nullptr;
    QLabel* titleText = nullptr;
    QToolButton *titleSettings = nullptr, *titleAlignment = nullptr;
    TRMeterButton *btnScreen = nullptr, *btnCamera = nullptr, *btnMic = nullptr,
                  *btnSound = nullptr;
    QToolButton *btnTimer = nullptr, *btnRec = nullptr, *btnPause = nullptr, *btnStop = nullptr;
    QMenu *PopupMenuScreen = nullptr, *PopupMenuCamera = nullptr, *PopupMenuMic = nullptr,
          *PopupMenuSC = nullptr, *PopupMenuTimer = nullptr, *PopupMenuAlignment = nullptr;
    QAction* micMute = nullptr;
    TRCountdownDial* progress = nullptr;
    QLabel* lbHotkeys = nullptr;
    QToolButton *imgScreen = nullptr, *imgCamera = nullptr, *imgMic = nullptr, *imgsound = nullptr;
    TRLevelBar *pbmic = nullptr, *pbsound = nullptr;
    QLabel *ltime = nullptr, *lsize = nullptr;

    QTimer TimerButtons, TimercountDown, TimerRec;
    int countDownLeft = 0;
    int recSeconds = 0;
    int FSizeAlpha = 0;
    double dpiX = 1, dpiY = 1;
    bool menuByProgram = false;
    bool FAudioMicMute = false;
    int FAudioMicVolume = 0;
    bool stopFailed = false;

    std::unique_ptr<TRRecordingRun> FRun;
    std::unique_ptr<platform::system::NamedMutex> FMutex;
    std::unique_ptr<TAudioPlayer> FAudioMicMutePlayer, FAudioMicUnMutePlayer;
    std::unique_ptr<TrecordWindow> ownFrame;
    QImage FCameraBitmap;
};

// The tool bar of the program; null before it is created.
extern TRRecorder* RRecorder;

// A camera format as the camera menu shows it, e.g. "30 fps, 1280 x 720, NV12".
QString CameraFormatCaption(const TWebCamFormat& format);
