#pragma once
// The environment checks of the program's start, the start report, and the process-wide values
// they own. The checks do not show anything themselves: each returns the failure the start-up
// sequence must show and report, so that the sequence (and the tests) decide what happens next.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace platform::system {
class NamedMutex;
}
struct TSettingsRecord;

// The name of the start-up step under way.
extern QString StartupStep;
// False when another instance already held the instance mutex at start.
extern bool FirstInstance;
// The instance mutex "Tavrin_Mutex", held until the program ends.
extern std::unique_ptr<platform::system::NamedMutex> InstanceMutex;

inline const char* const InstanceMutexName = "Tavrin_Mutex";
inline const char* const CantRunText = "Tavrin can't run on your PC.";

// A failed check: what is sent to the vendor endpoint and what the user is shown.
struct TRStartupFailure {
    QString status;               // sent to the vendor endpoint; empty: nothing is sent
    bool synchronous = true;      // sent before the box, or in the background
    QString message;              // the text of the system message box
    bool troubleshooting = false; // open the troubleshooting page after the box
};
using TRCheckResult = std::optional<TRStartupFailure>;

// Folder set-up, settings load, temporary root and copy buffer reset.
void InitializeURUtils(const QString& programFolder);

// The single-instance rule. Creates InstanceMutex; with another instance running, the start
// goes on only when the arguments are exactly "-newinstance" (any letter case).
TRCheckResult CheckInstance(const QStringList& arguments);
TRCheckResult CheckSSSE3(bool processorHasSSSE3);

// The graphics-device check from the device creation's outcome.
TRCheckResult CheckDirect2D(bool dxReady, int dxInitStep);

// One custom effect's registration, run in the fixed registration order; it throws on failure.
struct TRCustomEffectRegistration {
    QString tag;
    std::function<void()> registerEffect;
};
// The fifteen registration tags in the order the effects are registered.
const QStringList& CustomEffectTags();
// Runs the registrations in order; returns true when one failed, with `tag` naming it. Without
// a factory the tag is "_effects".
bool RegisterCustomEffects(QString& tag, bool factoryExists,
                           const std::vector<TRCustomEffectRegistration>& registrations);
TRCheckResult CheckEffects(bool failed, const QString& tag);

TRCheckResult CheckMediaFoundation(bool mediaAvailable, bool isServer);
TRCheckResult CheckStyle(bool styleApplied);

// The failure of an exception raised inside the checks.
TRStartupFailure ExceptionFailure(const QString& step, const QString& exceptionMessage);

// The start report: the status to send, or nothing. `now` is a date in days since 1899-12-30;
// the once-a-day case updates LastReportDate.
struct TRStartReport {
    QString status;
    bool ignoreCheckUpdates = false; // sent even when update checks are off
};
std::optional<TRStartReport> StartReport(TSettingsRecord& settings, double now);
// "SessionCount_MinutesUsed_rec1_rec2_rec3" with the recorded seconds in whole minutes.
QString UsageCountersText(const TSettingsRecord& settings);

// True when the arguments name exactly one existing ".qmb" file (extension in any case).
bool IsProjectArgument(const QStringList& arguments);
// The breadcrumb of the start of the message loop: "Start_Run" or "Start_Run_" + first argument.
QString StartRunStep(const QStringList& arguments);

// The current date and time in days since 1899-12-30.
double CurrentDateTime();
