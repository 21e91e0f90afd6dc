#include "recorder/ui/URRecorder.h"

#include "core/URFormHooks.h"
#include "core/URTempFolders.h"
#include "core/URUtils.h"
#include "core/ui/URMessageBox.h"
#include "media/UAudioPlayer.h"
#include "platform/system/NamedMutex.h"
#include "recorder/URRecordingRun.h"
#include "recorder/ui/URRecordWindow.h"
#include "recorder/ui/URRecorderIcons.h"
#include "recorder/ui/URRecorderWidgets.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QStackedWidget>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>
#include <cmath>

TRRecorder* RRecorder = nullptr;

namespace {

constexpr int OpenDevicesDelayMs = 100;
constexpr int CountdownStepMs = 50;
constexpr int RecordTickMs = 1000;
constexpr int TitleHeight = 26;

const QString MicHint = "Record voice-over narration";
const QString SoundHint = "Record system sound";
const QString CameraHint = "Record camera";

QString digit(bool on) {
    return on ? "1" : "0";
}

bool waylandSession() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("wayland") ||
           (platform == QLatin1String("xcb") &&
            qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland"));
}

QToolButton* toolButton(QWidget* parent, const QString& text, TRRecorderIcon icon,
                        const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setIcon(RecorderIcon(icon));
    button->setIconSize(QSize(22, 22));
    button->setToolTip(hint);
    button->setToolButtonStyle(text.isEmpty() ? Qt::ToolButtonIconOnly
                                              : Qt::ToolButtonTextUnderIcon);
    button->setCursor(Qt::PointingHandCursor);
    button->setAutoRaise(true);
    return button;
}

QWidget* divider(QWidget* parent) {
    auto* line = new QWidget(parent);
    line->setFixedWidth(2);
    line->setStyleSheet("background: rgba(255, 255, 255, 40);");
    return line;
}

// The first recordings folder, where video-mode output goes.
QString recordingsFolder() {
    return SettingsRecord.RecordingsFolders.Slots[1].text();
}

} // namespace

TRRecorder::TRRecorder(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("RRecorder");
    setWindowTitle("Recorder");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(QFont("Segoe UI", 9));
    Devices = TRRecorderDevices::System();
    AskUser = [this](const QString& text, int buttons, int icon) {
        TRMessageBox box(this);
        return box.Execute(text, buttons, icon);
    };
    buildForm();
    TimerButtons.setSingleShot(true);
    TimerButtons.setInterval(OpenDevicesDelayMs);
    connect(&TimerButtons, &QTimer::timeout, this, &TRRecorder::openDevices);
    TimercountDown.setInterval(CountdownStepMs);
    connect(&TimercountDown, &QTimer::timeout, this, &TRRecorder::countdownTick);
    TimerRec.setInterval(RecordTickMs);
    connect(&TimerRec, &QTimer::timeout, this, &TRRecorder::TimerRecTick);
    loadMuteSounds();
    PopulateMicMenu();
    PopulateSCMenu();
    if (!RRecorder)
        RRecorder = this;
}

TRRecorder::~TRRecorder() {
    TimerButtons.stop();
    TimercountDown.stop();
    TimerRec.stop();
    FRun.reset();
    if (RRecorder == this)
        RRecorder = nullptr;
}

void TRRecorder::loadMuteSounds() {
    const QDir cursor(QCoreApplication::applicationDirPath() + "/Depot/Cursor");
    auto player = [&cursor](const char* name) -> std::unique_ptr<TAudioPlayer> {
        const QString file = cursor.filePath(name);
        if (!QFileInfo::exists(file))
            return nullptr;
        auto p = std::make_unique<TAudioPlayer>();
        return p->SetFile(file) ? std::move(p) : nullptr;
    };
    FAudioMicMutePlayer = player("mute.wav");
    FAudioMicUnMutePlayer = player("unmute.wav");
}

// ---- the form ----

void TRRecorder::buildForm() {
    setStyleSheet("#RRecorder { background: #2B2D31; border: 1px solid #44474D; }"
                  "QToolButton { color: #E6E8EB; border-radius: 4px; padding: 2px; }"
                  "QToolButton:checked { background: #3D6FD6; }"
                  "QToolButton:hover { background: rgba(255, 255, 255, 30); }"
                  "QToolButton:checked:hover { background: #4C7EE6; }"
                  "QToolButton[popupMode=\"1\"] { padding-right: 14px; }"
                  "QToolButton::menu-button { border: none; width: 14px;"
                  " border-left: 1px solid rgba(255, 255, 255, 40); }"
                  "QToolButton:disabled { color: #6B6E73; }"
                  "QLabel { color: #E6E8EB; }");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(buildTitleStrip());
    pageViewer = new QStackedWidget(this);
    layout->addWidget(pageViewer);
    buildStartPage();
    buildRecordPage();
    buildCountDownPage();
    pageViewer->addWidget(pageStart);
    pageViewer->addWidget(pageRecord);
    pageViewer->addWidget(pageCountDown);
}

QWidget* TRRecorder::buildTitleStrip() {
    titleStrip = new QWidget(this);
    titleStrip->setFixedHeight(TitleHeight);
    titleStrip->setStyleSheet("background: #1F2023;");
    auto* row = new QHBoxLayout(titleStrip);
    row->setContentsMargins(6, 0, 2, 0);
    row->setSpacing(2);
    titleIcon = new QLabel(titleStrip);
    titleText = new QLabel("Screen Recorder", titleStrip);
    titleText->setStyleSheet("color: #C3C5C8;");
    titleSettings = toolButton(titleStrip, {}, TRRecorderIcon::Settings, "Settings");
    titleAlignment = toolButton(titleStrip, {}, TRRecorderIcon::Alignment, "Alignment");
    QToolButton* minimize = toolButton(titleStrip, {}, TRRecorderIcon::Minimize, "Minimize");
    QToolButton* closeButton = toolButton(titleStrip, {}, TRRecorderIcon::Close, "Close");
    for (QToolButton* b : {titleSettings, titleAlignment, minimize, closeButton})
        b->setIconSize(QSize(16, 16));
    connect(minimize, &QToolButton::clicked, this, [this] { showMinimized(); });
    // The docking glyph spans the button: it is drawn to the button's size.
    titleAlignment->setIconSize(QSize(TitleHeight - 2, TitleHeight - 2));
    buildAlignmentMenu();
    connect(closeButton, &QToolButton::clicked, this, [this] { reject(); });
    row->addWidget(titleIcon);
    row->addWidget(titleText, 1);
    row->addWidget(titleAlignment);
    row->addWidget(titleSettings);
    row->addWidget(minimize);
    row->addWidget(closeButton);
    titleStrip->installEventFilter(this);
    return titleStrip;
}

void TRRecorder::buildStartPage() {
    pageStart = new QWidget(this);
    auto* row = new QHBoxLayout(pageStart);
    row->setContentsMargins(8, 2, 8, 2);
    auto source = [this](const QString& text, TRRecorderIcon icon, const QString& hint,
                         QMenu*& menu) {
        auto* button = new TRMeterButton(pageStart);
        button->setText(text);
        button->setIcon(RecorderIcon(icon));
        button->setIconSize(QSize(22, 22));
        button->setToolTip(hint);
        button->setMinimumWidth(72);
        menu = new QMenu(button);
        button->setMenu(menu);
        return button;
    };
    btnScreen = source("Screen", TRRecorderIcon::Screen, "Record the Screen", PopupMenuScreen);
    btnCamera = source("Camera", TRRecorderIcon::Camera, CameraHint, PopupMenuCamera);
    btnMic = source("Voice", TRRecorderIcon::Mic, MicHint, PopupMenuMic);
    btnSound = source("Sound", TRRecorderIcon::Sound, SoundHint, PopupMenuSC);
    connect(btnScreen, &QToolButton::clicked, this, &TRRecorder::screenToggled);
    connect(btnCamera, &QToolButton::clicked, this, &TRRecorder::cameraToggled);
    connect(btnMic, &QToolButton::clicked, this, &TRRecorder::micToggled);
    connect(btnSound, &QToolButton::clicked, this, &TRRecorder::soundToggled);
    connect(PopupMenuScreen, &QMenu::triggered, this, &TRRecorder::screenMenuAction);
    btnTimer = toolButton(pageStart, "3 s", TRRecorderIcon::Timer, "Countdown Timer");
    PopupMenuTimer = new QMenu(btnTimer);
    for (int seconds : {0, 3, 5, 10}) {
        QAction* item = PopupMenuTimer->addAction(seconds ? QString::number(seconds) + " s"
                                                          : QString("No countdown"));
        item->setData(seconds);
    }
    connect(PopupMenuTimer, &QMenu::triggered, this, [this](QAction* item) {
        SettingsRecord.CountdownSeconds = item->data().toInt();
        btnTimer->setText(QString::number(SettingsRecord.CountdownSeconds) + " s");
    });
    btnTimer->setMenu(PopupMenuTimer);
    btnTimer->setPopupMode(QToolButton::InstantPopup);
    btnRec = new TRRecButton(pageStart);
    connect(btnRec, &QToolButton::clicked, this, &TRRecorder::StartClicked);
    for (QWidget* w : std::initializer_list<QWidget*>{btnScreen, btnCamera, btnMic, btnSound})
        row->addWidget(w);
    row->addWidget(divider(pageStart));
    row->addWidget(btnTimer);
    row->addStretch();
    row->addWidget(divider(pageStart));
    row->addWidget(btnRec);
}

void TRRecorder::buildCountDownPage() {
    pageCountDown = new QWidget(this);
    auto* row = new QHBoxLayout(pageCountDown);
    row->setContentsMargins(8, 2, 8, 2);
    progress = new TRCountdownDial(pageCountDown);
    lbHotkeys = new QLabel("Press %s to STOP recording.", pageCountDown);
    lbHotkeys->setFixedWidth(360);
    row->addWidget(progress);
    row->addWidget(lbHotkeys, 1);
}

void TRRecorder::buildRecordPage() {
    pageRecord = new QWidget(this);
    auto* row = new QHBoxLayout(pageRecord);
    row->setContentsMargins(8, 2, 8, 2);
    btnPause = toolButton(pageRecord, "Pause", TRRecorderIcon::Pause, "Pause");
    btnPause->setCheckable(true);
    btnStop = toolButton(pageRecord, "Stop", TRRecorderIcon::Stop, "Stop");
    connect(btnPause, &QToolButton::clicked, this, &TRRecorder::pauseClicked);
    connect(btnStop, &QToolButton::clicked, this, &TRRecorder::stopClicked);
    imgScreen = toolButton(pageRecord, {}, TRRecorderIcon::Screen, {});
    imgCamera = toolButton(pageRecord, {}, TRRecorderIcon::Camera, {});
    imgMic = toolButton(pageRecord, {}, TRRecorderIcon::Mic, "Mute/Unmute");
    imgsound = toolButton(pageRecord, {}, TRRecorderIcon::Sound, {});
    connect(imgMic, &QToolButton::clicked, this, [this] {
        if (FRun)
            FRun->ToggleMicMute();
    });
    pbmic = new TRLevelBar(pageRecord);
    pbsound = new TRLevelBar(pageRecord);
    ltime = new QLabel("00:00:00", pageRecord);
    QFont big = ltime->font();
    big.setPointSize(14);
    big.setBold(true);
    ltime->setFont(big);
    lsize = new QLabel("0 KB / 0 KB", pageRecord);
    lsize->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(btnPause);
    row->addWidget(btnStop);
    row->addWidget(divider(pageRecord));
    row->addWidget(imgScreen);
    row->addWidget(imgCamera);
    row->addWidget(imgMic);
    row->addWidget(pbmic);
    row->addWidget(imgsound);
    row->addWidget(pbsound);
    row->addStretch();
    auto* times = new QVBoxLayout;
    times->addWidget(ltime, 0, Qt::AlignRight);
    times->addWidget(lsize, 0, Qt::AlignRight);
    row->addLayout(times);
}

QToolButton* TRRecorder::ScreenButton() const {
    return btnScreen;
}
QToolButton* TRRecorder::CameraButton() const {
    return btnCamera;
}
QToolButton* TRRecorder::MicButton() const {
    return btnMic;
}
QToolButton* TRRecorder::SoundButton() const {
    return btnSound;
}

QString TRRecorder::SizeText() const {
    return lsize->text();
}

QString TRRecorder::TimeText() const {
    return ltime->text();
}

TrecordWindow* TRRecorder::Frame() const {
    if (recordWindow)
        return recordWindow;
    auto* self = const_cast<TRRecorder*>(this);
    self->ownFrame = std::make_unique<TrecordWindow>();
    return self->ownFrame.get();
}

int TRRecorder::ask(const QString& text, int buttons, int icon) {
    return AskUser ? AskUser(text, buttons, icon) : TRMessageBox::IDOK;
}

void TRRecorder::inform(const QString& text) {
    ask(text, TRMessageBox::MB_OK, TRMessageBox::MB_ICONERROR);
}

bool TRRecorder::eventFilter(QObject* watched, QEvent* event) {
    // The title strip moves the tool bar through the window manager.
    if (watched == titleStrip && event->type() == QEvent::MouseButtonPress && windowHandle()) {
        windowHandle()->startSystemMove();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// ---- the run ----

void TRRecorder::sizeForDpi(int clientWidth) {
    setFixedWidth(clientWidth);
    const int pageHeight = int(std::trunc(dpiY * 61)) + 1;
    pageViewer->setFixedHeight(pageHeight);
    setFixedHeight(pageHeight + TitleHeight + 2);
}

bool TRRecorder::prepareNames(const QString& AVR_FileName) {
    QString error;
    if (!RecorderRunNames(QDateTime::currentDateTime(), RecordToVideo, AVR_FileName, Names,
                          error)) {
        inform(error);
        return false;
    }
    filename_recording = Names.Recording;
    return true;
}

void TRRecorder::resetForRun() {
    btnPause->setChecked(false);
    btnPause->setText("Pause");
    for (QToolButton* b :
         {static_cast<QToolButton*>(btnScreen), static_cast<QToolButton*>(btnCamera),
          static_cast<QToolButton*>(btnMic), static_cast<QToolButton*>(btnSound)})
        b->setChecked(false);
    btnMic->SetLevel(0);
    btnSound->SetLevel(0);
    btnMic->SetVolume(-1);
    btnTimer->setText(QString::number(SettingsRecord.CountdownSeconds) + " s");
    FCameraBitmap = QImage();
    FAudioMicMute = false;
    FAudioMicVolume = 0;
    CloseTag = 0;
    stopFailed = false;
    recSeconds = 0;
    FSizeAlpha = 0;
    lsize->setStyleSheet({});
    pageViewer->setCurrentWidget(pageStart);
    titleSettings->setVisible(true);
    titleAlignment->setVisible(true);
    titleIcon->setPixmap(
        RecorderIcon(RecordToVideo ? TRRecorderIcon::Video : TRRecorderIcon::Project)
            .pixmap(16, 16));
    btnScreen->setToolTip(
        RecordToVideo ? QString("Record the Screen")
                      : QString("Record the Screen\nSet 'Capture Mode/Video' to record "
                                "games/videos/webinars.\nUse 'Capture Mode/Application' for "
                                "screen recordings with better image quality (software/website "
                                "presentations)."));
}

void TRRecorder::placeFrame() {
    TrecordWindow* frame = Frame();
    const TRRectI stored =
        SettingsRecord.FullScreen ? SettingsRecord.FullScreenArea : SettingsRecord.RecentAreas[0];
    if (stored == TRRectI{0, 0, 0, 0}) {
        QScreen* screen = QGuiApplication::screenAt(geometry().topLeft());
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        frame->SetInitialBoundsRect(screen ? screen->geometry() : QRect(0, 0, 1920, 1080));
    } else {
        frame->SetCaptureBoundsRect(
            QRect(QPoint(stored.Left, stored.Top), QPoint(stored.Right - 1, stored.Bottom - 1)));
    }
    frame->ForceVisibleOnScreen();
    frame->SourceButton()->setMenu(PopupMenuScreen);
    showAlignment();
    const TRRectI toolbar = SettingsRecord.RecorderRect;
    if (!(toolbar == TRRectI{0, 0, 0, 0}))
        move(toolbar.Left, toolbar.Top);
}

bool TRRecorder::Execute(bool ARecordToVideo, bool& AScreen, bool& ACamera, bool& AMic,
                         bool& ASound, const QString& AVR_FileName) {
    SaveLastStep(SettingsRecord, ActiveProject, "Recorder_Ex_Start");
    if (waylandSession()) {
        inform("Screen recording needs an X11 session.");
        return false;
    }
    FMutex = std::make_unique<platform::system::NamedMutex>(MutexName);
    if (FMutex->alreadyExisted()) {
        inform("The Screen Recorder is already running.\nRunning two simultaneous instances is "
               "not possible.\nPlease close all instances of Tavrin and restart the "
               "application.");
        FMutex.reset();
        return false;
    }
    SaveLastStep(SettingsRecord, ActiveProject, "Recorder_Ex_Go");
    SaveLastStep(SettingsRecord, ActiveProject, "Recorder_Ex_Init");
    RecordToVideo = ARecordToVideo;
    AScreen = ACamera = AMic = ASound = false;
    if (!prepareNames(AVR_FileName)) {
        FMutex.reset();
        return false;
    }
    TRRunSetup setup{RecordToVideo, DirTempProject, recordingsFolder(), Names,
                     Devices.HardwareH264 && Devices.HardwareH264()};
    FRun = std::make_unique<TRRecordingRun>(SettingsRecord, setup);
    FRun->Breadcrumb = [this](const QString& text) {
        SaveLastStep(SettingsRecord, ActiveProject, text);
    };
    FRun->OnSize = [this](TRSizeSource, uint32_t) { sizeChanged(); };
    FRun->OnMicLevel = [this](int level) {
        btnMic->SetLevel(level);
        pbmic->SetLevel(level);
    };
    FRun->OnSoundLevel = [this](int level) {
        btnSound->SetLevel(level);
        pbsound->SetLevel(level);
    };
    FRun->OnMicVolume = [this](int volume, bool mute) { micVolume(volume, mute); };
    FRun->OnCameraFrame = [this](int w, int h, const uint8_t* buffer) {
        if (w <= 0 || h <= 0 || !buffer)
            return;
        FCameraBitmap = QImage(buffer, w, h, w * 4, QImage::Format_ARGB32_Premultiplied).copy();
    };
    PopulateScreenMenu();
    PopulateCameraMenu();
    resetForRun();
    dpiX = logicalDpiX() / 96.0;
    dpiY = logicalDpiY() / 96.0;
    sizeForDpi(RecorderStartWidth(dpiX));
    placeFrame();
    UpdateCaption();
    SaveLastStep(SettingsRecord, ActiveProject, "Recorder_Ex_Show");
    Recording = false;
    TimerButtons.start();
    exec();

    SaveLastStep(SettingsRecord, ActiveProject, "Recorder_Ex_UnShow");
    TimerButtons.stop();
    FRun.reset();
    FCameraBitmap = QImage();
    const bool ok = CloseTag == 1 && !stopFailed;
    SaveLastStep(SettingsRecord, ActiveProject, "Recorder_Ex_Out_" + digit(ok));
    SettingsRecord.RecordScreen = btnScreen->isChecked();
    SettingsRecord.RecordCamera = btnCamera->isChecked();
    SettingsRecord.RecordMic = btnMic->isChecked();
    SettingsRecord.RecordSound = btnSound->isChecked();
    if (ok) {
        AScreen = btnScreen->isChecked();
        ACamera = btnCamera->isChecked();
        AMic = btnMic->isChecked();
        ASound = btnSound->isChecked();
        const int counter = RecordToVideo ? 2 : (SettingsRecord.CaptureMode == 1 ? 1 : 0);
        SettingsRecord.RecordedSeconds[counter] += recSeconds;
    }
    FMutex.reset();
    Recording = false;
    SaveLastStep(SettingsRecord, ActiveProject, "Recorder_Ex_End_" + digit(ok));
    return ok;
}

void TRRecorder::OpenDevicesNow() {
    TimerButtons.stop();
    openDevices();
}

void TRRecorder::openDevices() {
    TSettingsRecord& s = SettingsRecord;
    SaveLastStep(s, ActiveProject, "TimerButtonsTimer_Screen_" + digit(s.RecordScreen));
    btnScreen->setChecked(s.RecordScreen != 0);
    if (btnScreen->isChecked()) {
        if (s.FullScreen)
            Frame()->SetFullScreen(s.FullScreenDisplay, false);
        else
            ShowRecordWindow(true);
    }
    SaveLastStep(s, ActiveProject, "TimerButtonsTimer_Camera_" + digit(s.RecordCamera));
    if (!btnCamera->isEnabled())
        s.RecordCamera = 0;
    btnCamera->setChecked(s.RecordCamera != 0);
    if (btnCamera->isChecked() && !startCamera())
        btnCamera->setChecked(false);
    SaveLastStep(s, ActiveProject, "TimerButtonsTimer_Mic_" + digit(s.RecordMic));
    if (btnMic->isEnabled()) {
        btnMic->setChecked(s.RecordMic != 0);
        btnMic->isChecked() ? startMic() : stopMic();
    }
    SaveLastStep(s, ActiveProject, "TimerButtonsTimer_Sound_" + digit(s.RecordSound));
    if (btnSound->isEnabled()) {
        btnSound->setChecked(s.RecordSound != 0);
        btnSound->isChecked() ? startSound() : stopSound();
    }
    SaveLastStep(s, ActiveProject, "TimerButtonsTimer_Update");
    UpdateCaption();
    raise();
    SaveLastStep(s, ActiveProject, "TimerButtonsTimer_End_" + digit(RecordToVideo));
}

void TRRecorder::ShowRecordWindow(bool AShow) {
    Frame()->ShowFrame(AShow);
}

void TRRecorder::KeepWindowsTopMost() {
    raise();
}

void TRRecorder::screenToggled(bool down) {
    TrecordWindow* frame = Frame();
    if (down) {
        if (SettingsRecord.FullScreen)
            frame->SetFullScreen(SettingsRecord.FullScreenDisplay, false);
        else
            ShowRecordWindow(true);
    } else {
        ShowRecordWindow(false);
        if (SettingsRecord.FullScreen)
            frame->RestoreFullScreen();
    }
    UpdateCaption();
    raise();
}

void TRRecorder::cameraToggled(bool down) {
    SaveLastStep(SettingsRecord, ActiveProject, "Click Camera Button");
    if (down && !startCamera())
        btnCamera->setChecked(false);
    if (!btnCamera->isChecked())
        stopCamera();
    UpdateCaption();
}

void TRRecorder::micToggled(bool down) {
    SaveLastStep(SettingsRecord, ActiveProject, "Click Mic Button");
    down ? startMic() : stopMic();
    UpdateCaption();
}

void TRRecorder::soundToggled(bool down) {
    SaveLastStep(SettingsRecord, ActiveProject, "Click Sound Button");
    down ? startSound() : stopSound();
    UpdateCaption();
}

bool TRRecorder::startCamera() {
    if (!FRun)
        return false;
    if (FRun->CameraOpen())
        return true;
    const TSettingsRecord& s = SettingsRecord;
    const QString name = s.CameraName.text();
    TWebCamFormat format;
    format.Stream = s.CameraStream;
    format.Width = s.CameraWidth;
    format.Height = s.CameraHeight;
    format.FPS = s.CameraFPS;
    format.SubType = s.CameraSubType;
    format.FormatType = s.CameraFormatType;
    bool listed = false;
    for (const TWebCamFormat& offered : Devices.CameraFormats(name))
        listed = listed || offered.SameAs(format);
    if (!listed) {
        QString error = name + "\nUnable to access your webcam.\nPlease check the permissions "
                               "of the camera in the privacy settings.\n";
        const QString subTypes = Devices.CameraSubTypes(name);
        if (!subTypes.isEmpty()) {
            inform(error);
            error = name + "\nUnsupported formats:\n\n" + subTypes;
        }
        inform(error);
        return false;
    }
    int32_t code = Devices.TestCamera(name, format);
    if (code == 0)
        code = FRun->OpenCamera();
    if (code != 0) {
        const uint32_t hr = uint32_t(code);
        const bool inUse = (hr & 0xC00D3704u) == 0xC00D3704u || (hr & 0x800705AAu) == 0x800705AAu ||
                           code == WebCamInUse;
        inform(inUse ? name + "\nYour webcam is currently being used by another application.\n"
                              "Please close the application which is using it."
                     : name + "\nHardware access error [" +
                           QString::number(hr, 16).toUpper().rightJustified(8, '0') + "].");
        return false;
    }
    btnCamera->setToolTip(CameraHint + "\n" + name);
    return true;
}

void TRRecorder::stopCamera() {
    if (FRun)
        FRun->CloseCamera();
    FCameraBitmap = QImage();
    btnCamera->setToolTip(CameraHint);
}

void TRRecorder::startMic() {
    if (!FRun || !FRun->OpenMic())
        return;
    btnMic->setToolTip(MicHint + "\n" + SettingsRecord.MicDevice.text());
    if (micMute)
        micMute->setEnabled(true);
}

void TRRecorder::stopMic() {
    if (FRun)
        FRun->CloseMic();
    btnMic->SetLevel(0);
    btnMic->SetVolume(-1);
    pbmic->SetLevel(0);
    btnMic->setIcon(RecorderIcon(TRRecorderIcon::Mic));
    btnMic->setToolTip(MicHint);
    imgMic->setIcon(RecorderIcon(TRRecorderIcon::Mic));
    if (micMute)
        micMute->setEnabled(false);
}

void TRRecorder::startSound() {
    if (!FRun || !FRun->OpenSound())
        return;
    btnSound->setToolTip(SoundHint + "\n" + SettingsRecord.SoundDevice.text());
}

void TRRecorder::stopSound() {
    if (FRun)
        FRun->CloseSound();
    btnSound->SetLevel(0);
    pbsound->SetLevel(0);
    btnSound->setToolTip(SoundHint);
}

void TRRecorder::micVolume(int volume, bool mute) {
    FAudioMicVolume = volume;
    const bool open = FRun && FRun->MicOpen();
    if (mute && !FAudioMicMute && open && FAudioMicMutePlayer && SettingsRecord.MuteSound) {
        FAudioMicMutePlayer->SetPosition(0);
        FAudioMicMutePlayer->Play(1000, true);
    }
    if (!mute && FAudioMicMute && open && FAudioMicUnMutePlayer && SettingsRecord.UnmuteSound) {
        FAudioMicUnMutePlayer->SetPosition(0);
        FAudioMicUnMutePlayer->Play(1000, true);
    }
    FAudioMicMute = mute;
    const QIcon icon = RecorderIcon(mute ? TRRecorderIcon::MicMuted : TRRecorderIcon::Mic);
    btnMic->setIcon(icon);
    imgMic->setIcon(icon);
    btnMic->setToolTip(MicHint + "\n" + SettingsRecord.MicDevice.text() + (mute ? " - Muted" : ""));
    btnMic->SetVolume(volume);
    if (micMute)
        micMute->setChecked(mute);
}

void TRRecorder::UpdateCaption() {
    if (!pageViewer)
        return;
    TRCaptionState state;
    state.VideoMode = RecordToVideo;
    state.RecordPage = pageViewer->currentWidget() == pageRecord;
    state.Screen = btnScreen->isChecked();
    state.Camera = btnCamera->isChecked();
    state.Mic = btnMic->isChecked();
    state.Sound = btnSound->isChecked();
    if (state.Screen) {
        TrecordWindow* frame = Frame();
        state.ScreenSize = SettingsRecord.FullScreen
                               ? frame->GetFullScreenRect(SettingsRecord.FullScreenDisplay).size()
                               : frame->GetCaptureRect().size();
    }
    state.HardwareH264 = Devices.HardwareH264 && Devices.HardwareH264();
    const QString caption = RecorderCaption(SettingsRecord, state);
    setWindowTitle(caption);
    titleText->setText(caption);
    btnRec->setEnabled(state.Screen || state.Camera || state.Mic || state.Sound);
}

// ---- REC, countdown, recording ----

bool TRRecorder::checkFolder() {
    if (RecordToVideo) {
        const QString folder = recordingsFolder();
        if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
            inform("The output folder doesn't exist.\n" + folder +
                   "\nPlease enter a valid location.");
            return false;
        }
        QFile probe(QDir(folder).filePath(Names.Recording + ".mp4"));
        const bool existed = probe.exists();
        const bool writable = probe.open(QIODevice::WriteOnly | QIODevice::Append);
        probe.close();
        if (writable && !existed)
            probe.remove();
        if (!writable) {
            inform("Tavrin cannot write data to the following folder:\n" + folder +
                   "\nPlease enter a valid location.");
            return false;
        }
        return true;
    }
    if (DirTempProject.isEmpty() || !QFileInfo(DirTempProject).isDir()) {
        inform("The folder doesn't exist.\n" + DirTempProject +
               "\nPlease restart the application.");
        return false;
    }
    return true;
}

void TRRecorder::StartClicked() {
    if (!btnScreen->isChecked() && !btnCamera->isChecked() && !btnMic->isChecked() &&
        !btnSound->isChecked())
        return;
    if (!checkFolder())
        return;
    SaveLastStep(SettingsRecord, ActiveProject, "Click Start Record");
    if (SettingsRecord.CountdownSeconds <= 0)
        startRecording();
    else
        startCountdown();
}

void TRRecorder::startCountdown() {
    pageViewer->setCurrentWidget(pageCountDown);
    titleSettings->setVisible(false);
    titleAlignment->setVisible(false);
    sizeForDpi(RecorderRecordWidth(dpiX));
    const TRHotkey* keys = SettingsRecord.RecorderHotkeys;
    QStringList lines;
    if (keys[0].Enable)
        lines << HotkeyToText(keys[0]) + "   START/STOP recording.";
    if (keys[1].Enable)
        lines << HotkeyToText(keys[1]) + "   PAUSE/RESUME recording.";
    if (keys[6].Enable)
        lines << HotkeyToText(keys[6]) + "   START/STOP drawing.";
    lbHotkeys->setText(lines.join("\n"));
    countDownLeft = SettingsRecord.CountdownSeconds * 1000;
    TimercountDown.start();
    showCountdown(countDownLeft);
}

void TRRecorder::showCountdown(int leftMs) {
    const int total = SettingsRecord.CountdownSeconds * 1000;
    const int angle = total == 0 ? 360 : int(std::trunc((total - leftMs) * 360.0 / total));
    progress->SetValue(angle, QString::number(leftMs / 1000) + " s");
}

void TRRecorder::countdownTick() {
    countDownLeft -= CountdownStepMs;
    if (countDownLeft > 0) {
        showCountdown(countDownLeft);
        return;
    }
    TimercountDown.stop();
    startRecording();
}

void TRRecorder::storeLayout() {
    TrecordWindow* frame = Frame();
    auto stored = [](const QRect& r) {
        return TRRectI{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    };
    if (SettingsRecord.FullScreen)
        SettingsRecord.FullScreenArea = stored(frame->GetCaptureRect());
    else
        AddRecentArea(SettingsRecord, stored(frame->GetCaptureRect()));
    SettingsRecord.RecorderRect = stored(frameGeometry());
}

void TRRecorder::startRecording() {
    const bool screen = btnScreen->isChecked(), camera = btnCamera->isChecked(),
               mic = btnMic->isChecked(), sound = btnSound->isChecked();
    SaveLastStep(SettingsRecord, ActiveProject,
                 "Recorder Start Record_" + digit(screen) + "_" + digit(camera) + "_" + digit(mic) +
                     "_" + digit(sound));
    pageViewer->setCurrentWidget(pageRecord);
    titleSettings->setVisible(false);
    titleAlignment->setVisible(false);
    sizeForDpi(RecorderRecordWidth(dpiX));
    imgScreen->setEnabled(screen);
    imgCamera->setEnabled(camera);
    imgMic->setEnabled(mic);
    imgsound->setEnabled(sound);
    pbmic->Active = mic;
    pbsound->Active = sound;
    UpdateCaption();
    TrecordWindow* frame = Frame();
    frame->StartRecording();
    KeepWindowsTopMost();
    storeLayout();
    const QRect input = SettingsRecord.FullScreen
                            ? frame->GetFullScreenRect(SettingsRecord.FullScreenDisplay)
                            : frame->GetCaptureRect();
    FRun->Start(screen, input);
    recSeconds = 0;
    ltime->setText(RecorderTimeText(0));
    updateSize();
    TimerRec.start();
    Recording = true;
}

void TRRecorder::pauseClicked(bool down) {
    if (!FRun)
        return;
    if (down) {
        FRun->Pause();
        TimerRec.stop();
        btnPause->setText("Resume");
    } else {
        FRun->Resume();
        TimerRec.start();
        btnPause->setText("Pause");
    }
}

void TRRecorder::stopClicked() {
    SaveLastStep(SettingsRecord, ActiveProject, "Click Stop Record");
    stopRun();
    CloseTag = 1;
    QDialog::done(QDialog::Accepted);
}

void TRRecorder::StopRecording() {
    stopRun();
}

void TRRecorder::stopRun() {
    const QString caption = windowTitle();
    SaveLastStep(SettingsRecord, ActiveProject, "StopRecording_Start:" + caption);
    TimerRec.stop();
    TimercountDown.stop();
    if (!FRun)
        return;
    const bool wasRecording = FRun->Recording();
    FRun->Pause();
    TRWaitingReporter* waiting = wasRecording ? InstalledWaiting() : nullptr;
    if (waiting)
        waiting->Show();
    const bool written = FRun->Stop();
    ShowRecordWindow(false);
    Frame()->StopRecording();
    Frame()->hide();
    if (waiting)
        waiting->Close();
    SaveLastStep(SettingsRecord, ActiveProject, "StopRecording_End:" + caption);
    if (wasRecording && !written) {
        // The editor must never be handed a file the live recorder did not write.
        stopFailed = true;
        inform("The video recorder could not write the recording.\n" +
               QDir(recordingsFolder()).filePath(Names.Recording));
    }
}

void TRRecorder::deleteTempFiles() {
    const QString folder = RecordToVideo ? recordingsFolder() : DirTempProject;
    for (const QString& file : RecorderRunFiles(RecordToVideo, folder, Names))
        if (QFileInfo::exists(file) && !IsFileLocked(file))
            QFile::remove(file);
}

void TRRecorder::settle(const std::function<void()>& then) {
    QTimer::singleShot(SettleMs, this, then);
}

void TRRecorder::reject() {
    const int index = pageViewer->currentIndex();
    SaveLastStep(SettingsRecord, ActiveProject, "RRecorderFormClose_" + QString::number(index));
    if (pageViewer->currentWidget() != pageRecord) {
        stopRun();
        deleteTempFiles();
        QDialog::reject();
        return;
    }
    if (CloseTag == 1) {
        QDialog::reject();
        return;
    }
    const bool pausedByUser = btnPause->isChecked();
    if (!pausedByUser && FRun)
        FRun->Pause();
    TimerRec.stop();
    if (ask("Are you sure want to delete this recording and quit?", TRMessageBox::MB_YESNO,
            TRMessageBox::MB_ICONWARNING) == TRMessageBox::IDYES) {
        stopRun();
        QThread::msleep(ulong(std::max(SettleMs, 0)));
        deleteTempFiles();
        QDialog::reject();
        return;
    }
    if (!pausedByUser)
        settle([this] {
            if (FRun && !btnPause->isChecked()) {
                FRun->Resume();
                TimerRec.start();
            }
        });
}

void TRRecorder::closeEvent(QCloseEvent* event) {
    event->ignore();
    reject();
}

void TRRecorder::TimerRecTick() {
    if (!FRun)
        return;
    recSeconds = int(std::lround(FRun->RecordedMs() / 1000.0));
    ltime->setText(RecorderTimeText(recSeconds));
    if (RecorderTimeLimitReached(SettingsRecord, recSeconds)) {
        stopClicked();
        return;
    }
    const TRDiskVerdict verdict = RecorderDiskCheck(Devices.FreeKB(DirTempProject),
                                                    FRun->WrittenKB(), recSeconds, RecordToVideo);
    if (verdict.SizeAlpha >= 0) {
        FSizeAlpha = verdict.SizeAlpha;
        lsize->setStyleSheet(QString("background: rgba(220, 40, 40, %1);").arg(FSizeAlpha));
    }
    if (verdict.Stop) {
        stopClicked();
        inform("There is not sufficient disk space to continue recording.");
    }
}

void TRRecorder::sizeChanged() {
    updateSize();
}

void TRRecorder::updateSize() {
    if (!FRun)
        return;
    const uint32_t written = FRun->WrittenKB();
    QString text = RecorderSizeText(written, false);
    if (const auto free = Devices.FreeKB(DirTempProject))
        text += " / " + RecorderSizeText(*free, true);
    lsize->setText(text);
}
