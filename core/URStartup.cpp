#include "core/URStartup.h"

#include "core/URSettings.h"
#include "core/URTempFolders.h"
#include "core/URUtils.h"
#include "platform/system/Clock.h"
#include "platform/system/NamedMutex.h"

#include <QDateTime>
#include <QFileInfo>

QString StartupStep;
bool FirstInstance = true;
std::unique_ptr<platform::system::NamedMutex> InstanceMutex;

namespace {

const QString CR = "\r";

QString requirementsText(const QString& requirement) {
    return QString(CantRunText) + CR + "System requirements:" + CR + requirement + CR + CR;
}

} // namespace

void InitializeURUtils(const QString& programFolder) {
    LoadDwmApi();
    InitializeProgramFolders(programFolder);
    InitializeUserFolders();
    LoadSettings(SettingsRecord);
    SettingsRecord.SessionStartTick = platform::system::tickCount();
    SetupTempRoot();
    PropertiesClipboard.Reset();
}

bool IsProjectArgument(const QStringList& arguments) {
    if (arguments.size() != 1)
        return false;
    const QFileInfo file(arguments.first());
    return file.isFile() && file.suffix().toLower() == "qmb";
}

TRCheckResult CheckInstance(const QStringList& arguments) {
    InstanceMutex = std::make_unique<platform::system::NamedMutex>(InstanceMutexName);
    if (!InstanceMutex->alreadyExisted())
        return std::nullopt;
    FirstInstance = false;
    if (arguments.size() == 1 && arguments.first().toLower() == "-newinstance")
        return std::nullopt;
    TRStartupFailure failure;
    failure.message = "This program is already running on this computer." + CR +
                      "Running two simultaneous instances is not possible." + CR;
    if (IsProjectArgument(arguments))
        failure.message += "Please close the current project or create a new tab." + CR;
    InstanceMutex.reset();
    return failure;
}

TRCheckResult CheckSSSE3(bool processorHasSSSE3) {
    if (processorHasSSSE3)
        return std::nullopt;
    return TRStartupFailure{"_ssse3", true,
                            QString(CantRunText) + CR +
                                "The processor doesn't support 'Supplemental Streaming SIMD "
                                "Extensions 3'." +
                                CR,
                            false};
}

TRCheckResult CheckDirect2D(bool dxReady, int dxInitStep) {
    if (dxReady)
        return std::nullopt;
    // Linux has no service packs or platform updates to advise: every failure is "_err_".
    return TRStartupFailure{"_err_" + QString::number(dxInitStep), true,
                            requirementsText("Windows 7 SP1 with platform update installed"), true};
}

const QStringList& CustomEffectTags() {
    static const QStringList tags = {
        "_CEcontrast",   "_CEChromakey", "_CEPixelate",  "_CEOpacity",  "_CECircular",
        "_CEPush",       "_CEMagnify",   "_CERipple",    "_CESwirl",    "_CEFisheyelens",
        "_CERadialblur", "_CESpinBlur",  "_CEGrayscale", "_CEDissolve", "_CEGenie"};
    return tags;
}

bool RegisterCustomEffects(QString& tag, bool factoryExists,
                           const std::vector<TRCustomEffectRegistration>& registrations) {
    if (!factoryExists) {
        tag = "_effects";
        return true;
    }
    tag.clear();
    for (const TRCustomEffectRegistration& registration : registrations) {
        tag = registration.tag;
        try {
            registration.registerEffect();
        } catch (...) {
            return true;
        }
    }
    return false;
}

TRCheckResult CheckEffects(bool failed, const QString& tag) {
    if (!failed)
        return std::nullopt;
    return TRStartupFailure{tag, true, CantRunText, false};
}

TRCheckResult CheckMediaFoundation(bool mediaAvailable, bool isServer) {
    if (mediaAvailable)
        return std::nullopt;
    const QString advice = isServer ? "Please install Desktop Experience and Media Foundation on "
                                      "Windows Server."
                                    : "Please install Media Feature Pack.";
    return TRStartupFailure{"_mf", true, requirementsText("Media Foundation feature") + advice,
                            true};
}

TRCheckResult CheckStyle(bool styleApplied) {
    if (styleApplied)
        return std::nullopt;
    return TRStartupFailure{"_style", true, CantRunText, false};
}

TRStartupFailure ExceptionFailure(const QString& step, const QString& exceptionMessage) {
    return TRStartupFailure{"_" + step + "_" + exceptionMessage, false,
                            QString(CantRunText) + CR + exceptionMessage, false};
}

QString UsageCountersText(const TSettingsRecord& settings) {
    QStringList parts{QString::number(settings.SessionCount),
                      QString::number(settings.MinutesUsed)};
    for (const std::int32_t seconds : settings.RecordedSeconds)
        parts << QString::number(seconds / 60);
    return parts.join('_');
}

std::optional<TRStartReport> StartReport(TSettingsRecord& settings, double now) {
    const bool checkUpdates = settings.CheckUpdates != 0;
    if (settings.SessionCount == 0 && settings.MinutesUsed == 0)
        return TRStartReport{"_", true};
    const QString lastStep = settings.LastStep.text().trimmed();
    if (!lastStep.isEmpty() && lastStep != "Close")
        return TRStartReport{UsageCountersText(settings), true};
    if (settings.SessionCount < 5) {
        if (!checkUpdates)
            return std::nullopt;
        return TRStartReport{UsageCountersText(settings), false};
    }
    if (now - settings.LastReportDate < 1.0)
        return std::nullopt;
    settings.LastReportDate = now;
    if (!checkUpdates)
        return std::nullopt;
    return TRStartReport{UsageCountersText(settings), false};
}

QString StartRunStep(const QStringList& arguments) {
    if (arguments.isEmpty())
        return "Start_Run";
    return "Start_Run_" + arguments.first();
}

double CurrentDateTime() {
    static const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0));
    const QDateTime now = QDateTime::currentDateTime();
    return static_cast<double>(epoch.msecsTo(now)) / 86400000.0;
}
