// The program's entry point: the ordered environment checks, the long-lived forms, the message
// loop and the settings saved at exit.

#include "capture/URCaptureEngines.h"
#include "core/URFileFilter.h"
#include "core/URServerMessages.h"
#include "core/URSettings.h"
#include "core/URStartup.h"
#include "core/URTempFolders.h"
#include "core/URUtils.h"
#include "core/ui/URMessageBox.h"
#include "core/ui/URProgress.h"
#include "core/ui/URStyle.h"
#include "core/ui/URWaiting.h"
#include "core/ui/USplashScreen.h"
#include "editor/ui/UEditor.h"
#include "editor/ui/UNewBlankProject.h"
#include "editor/ui/URColorPicker.h"
#include "editor/ui/URCopyProperties.h"
#include "editor/ui/URPasteProperties.h"
#include "editor/ui/URTiming.h"
#include "export/URCloudClients.h"
#include "export/ui/URExport.h"
#include "export/ui/URExportCommand.h"
#include "export/ui/URExportSummary.h"
#include "export/ui/URGoogleDrive.h"
#include "graphics/URCustomEffects.h"
#include "graphics/URDX12Base.h"
#include "imagekit/IKFilterCatalogue.h"
#include "media/UMFApi.h"
#include "media/UREncoderProbe.h"
#include "objects/URObjectText.h"
#include "objects/URObjectsRegistry.h"
#include "objects/kinds/URKindsRegistry.h"
#include "objects/kinds/URMediaHooks.h"
#include "platform/system/NamedMutex.h"
#include "platform/system/Shell.h"
#include "platform/system/SystemInfo.h"
#include "properties/ui/UFramePropChromaKey.h"
#include "properties/ui/URDrawerEditor.h"
#include "recorder/ui/URDrawer.h"
#include "recorder/ui/URPreviewCamera.h"
#include "recorder/ui/URRecordEffect.h"
#include "recorder/ui/URRecordWindow.h"
#include "recorder/ui/URRecorder.h"
#include "recorder/ui/URRecorderSettings.h"
#include "recorder/ui/URRecordingTime.h"
#include "recorder/ui/URVideoRecorderSettings.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QStyleFactory>
#include <QTimer>
#include <exception>
#include <memory>
#include <vector>

namespace {

constexpr int FailedStartExitCode = 1;

// Reports a failed check, shows it with the plain system box, and gives the exit code.
int failStart(const TRStartupFailure& failure) {
    if (!failure.status.isEmpty()) {
        QString reply;
        SendServerMessage(reply, true, failure.synchronous ? 1 : 0, failure.status);
    }
    QMessageBox::critical(nullptr, "Tavrin", failure.message);
    if (failure.troubleshooting)
        platform::system::openUrl(TroubleshootingAddress());
    return FailedStartExitCode;
}

bool graphicsDevicesReady(int& initStep) {
    InitDX();
    InstallObjectTextPainter();
    initStep = DXInitStep;
    return DXReady;
}

bool mediaAvailable() {
    LoadMF();
    return MFAvailable;
}

// The program's one look: Fusion with the dark palette, style sheet and font of the widget kit.
bool applyStyle() {
    if (!QStyleFactory::keys().contains("Fusion", Qt::CaseInsensitive))
        return false;
    InstallStyle(*qApp);
    return true;
}

// Steps 3 to 9 of the start: the environment checks, each under its step name.
TRCheckResult runChecks(const QStringList& arguments) {
    StartupStep = "SetProcessShutdownParameters"; // no shutdown order to set on Linux
    StartupStep = "InitializeURUtils";
    InitializeURUtils(QCoreApplication::applicationDirPath());
    StartupStep = "CheckInstance";
    TRCheckResult result;
    try {
        result = CheckInstance(arguments);
    } catch (const std::exception&) {
        // A broken instance check never stops the start.
    }
    if (result)
        return result;
    StartupStep = "CheckSSSE3";
    if ((result = CheckSSSE3(platform::system::processorHasSSSE3())))
        return result;
    StartupStep = "CheckDirect2D";
    int initStep = 0;
    const bool ready = graphicsDevicesReady(initStep);
    if ((result = CheckDirect2D(ready, initStep)))
        return result;
    StartupStep = "CheckEffects";
    QString tag;
    const bool failed =
        RegisterCustomEffects(tag, D2DFactory != nullptr, CustomEffectRegistrations());
    if ((result = CheckEffects(failed, tag)))
        return result;
    StartupStep = "CheckMediaFoundation";
    if ((result = CheckMediaFoundation(mediaAvailable(), IsWindowsServer())))
        return result;
    StartupStep = "CheckStyle";
    return CheckStyle(applyStyle());
}

void sendStartReport() {
    const auto report = StartReport(SettingsRecord, CurrentDateTime());
    if (!report)
        return;
    QString reply;
    SendServerMessage(reply, report->ignoreCheckUpdates || SettingsRecord.CheckUpdates != 0, 0,
                      report->status);
}

// The chroma-key frame picks its key colour with the full-screen picker while it lives.
void installColorPick(TRColorPicker* form) {
    InstallColorPick([picker = QPointer<TRColorPicker>(form)](QWidget*) -> std::int64_t {
        if (!picker || !picker->TakeShot())
            return -1;
        picker->exec();
        return picker->Tag;
    });
}

// The long-lived forms, created in their fixed order and freed in reverse.
struct LongLivedForms {
    std::vector<std::unique_ptr<QWidget>> forms;

    template <typename Form> void create() { forms.push_back(std::make_unique<Form>()); }
};

void createForms(LongLivedForms& all) {
    all.forms.push_back(std::make_unique<TEditor>());
    Editor = static_cast<TEditor*>(all.forms.back().get());
    SplashScreen->SetProgress(70, "Creating the screen recorder");
    all.create<TrProgressForm>();
    all.create<TRMessageBox>();
    all.create<TRWaiting>();
    all.create<TRRecorder>();
    all.create<TrecordEffect>();
    all.create<TrecordWindow>();
    all.create<TpreviewCamera>();
    all.create<Tdrawerbuttons>();
    all.create<TRRecorderSettings>();
    all.create<TRVideoRecorderSettings>();
    all.create<TRRecordingTime>();
    SplashScreen->SetProgress(85, "Creating the video encoder");
    all.create<Trexport>();
    all.create<TRExportSummary>();
    all.create<Tnewblankproject>();
    all.create<TRColorPicker>();
    installColorPick(static_cast<TRColorPicker*>(all.forms.back().get()));
    all.create<TRTiming>();
    all.create<TRCopyProperties>();
    all.create<TRPasteProperties>();
    all.create<TDrawerEditorForm>();
}

void shutDown() {
    InstanceMutex.reset();
    FreeDwmApi();
    if (!SaveSettings(SettingsRecord) && SettingsSaveEnabled())
        qWarning().noquote() << "The settings were not saved:" << LastSettingsSaveError();
    PropertiesClipboard.Reset();
}

// The open-file dialog and the error box of the media objects.
void installMediaDialogs() {
    InstallMediaFileChooser([](const QString& filter) {
        return QFileDialog::getOpenFileName(nullptr, QString(), QString(), QtFileFilter(filter));
    });
    InstallMediaErrorBox([](const QString& text) {
        TRMessageBox().Execute(text, TRMessageBox::MB_OK, TRMessageBox::MB_ICONERROR);
    });
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The image kit's filters are known by name before anything else starts.
    IKRegisterFilters();
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    StartupStep.clear();
    try {
        if (const TRCheckResult failure = runChecks(arguments))
            return failStart(*failure);
    } catch (const std::exception& error) {
        return failStart(ExceptionFailure(StartupStep, QString::fromLocal8Bit(error.what())));
    }
    // A second instance must not write its settings over the first instance's at exit.
    SetSettingsSaveEnabled(FirstInstance);

    RegisterEngineKinds();
    RegisterDrawableKinds();
    installMediaDialogs();
    InstallGoogleCloudClients();
    InstallGoogleDriveWizard();
    InstallExportCommandForms();
    InstallCaptureEngines();
    QApplication::setApplicationName("Tavrin");
    QApplication::setApplicationDisplayName("Tavrin");
    sendStartReport();
    SaveLastStep(SettingsRecord, nullptr, "Start");
    TestEncodersASync();
    SaveLastStep(SettingsRecord, nullptr, "Start_Splash");
    auto splash = std::make_unique<TsplashScreen>();
    SplashScreen = splash.get();
    SplashScreen->Execute();
    SplashScreen->SetProgress(5, "");

    LongLivedForms forms;
    createForms(forms);

    SplashScreen->Tag = 0;
    SplashScreen->close();
    SplashScreen = nullptr;
    splash.reset();

    QObject::connect(Editor, &TEditor::openProjectRequested, Editor, [](const QString& path) {
        Editor->ProjectToOpen = path;
        Editor->OpenProject();
    });
    Editor->EnableProjectOpening(IsProjectArgument(arguments) ? arguments.first() : QString(),
                                 FindRecoveryFolder());
    SaveLastStep(SettingsRecord, nullptr, StartRunStep(arguments));
    Editor->show();
    const int exitCode = QApplication::exec();
    Editor = nullptr;
    forms.forms.clear();
    shutDown();
    return exitCode;
}
