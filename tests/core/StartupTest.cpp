#include "CoreTestEnvironment.h"
#include "core/URTempFolders.h"
#include "platform/system/NamedMutex.h"

#include <QProcess>
#include <stdexcept>

namespace {

using StartupTest = CoreTestEnvironment;

struct ReportCase {
    const char* name;
    std::int32_t sessionCount;
    std::int32_t minutesUsed;
    const char* lastStep;
    std::uint8_t checkUpdates;
    double daysSinceLastReport;
    std::optional<QString> status;
    bool ignoresCheckUpdates;
    bool updatesReportDate;
};

TEST_F(StartupTest, StartReportCases) {
    const double now = 45000.5;
    const ReportCase cases[] = {
        {"first start ever", 0, 0, "", 1, 10, "_", true, false},
        {"first start ever, checks off", 0, 0, "", 0, 10, "_", true, false},
        {"crash marker", 3, 40, "Start_Run", 1, 0, "3_40_2_0_60", true, false},
        {"crash marker, checks off", 12, 340, "Saving", 0, 0, "12_340_2_0_60", true, false},
        {"clean close is no crash", 3, 40, " Close ", 1, 0, "3_40_2_0_60", false, false},
        {"young install, checks off", 3, 40, "Close", 0, 0, std::nullopt, false, false},
        {"old install, within the day", 12, 340, "Close", 1, 0.5, std::nullopt, false, false},
        {"old install, a day later", 12, 340, "Close", 1, 1.0, "12_340_2_0_60", false, true},
        {"old install, a day later, checks off", 12, 340, "", 0, 2, std::nullopt, false, true},
    };
    for (const ReportCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetDefaultSettings(SettingsRecord);
        SettingsRecord.SessionCount = c.sessionCount;
        SettingsRecord.MinutesUsed = c.minutesUsed;
        SettingsRecord.RecordedSeconds[0] = 125;
        SettingsRecord.RecordedSeconds[1] = 0;
        SettingsRecord.RecordedSeconds[2] = 3600;
        SettingsRecord.LastStep.setText(c.lastStep);
        SettingsRecord.CheckUpdates = c.checkUpdates;
        SettingsRecord.LastReportDate = now - c.daysSinceLastReport;
        const double reportDateBefore = SettingsRecord.LastReportDate;
        const auto report = StartReport(SettingsRecord, now);
        ASSERT_EQ(report.has_value(), c.status.has_value());
        if (report) {
            EXPECT_EQ(report->status, *c.status);
            EXPECT_EQ(report->ignoreCheckUpdates, c.ignoresCheckUpdates);
        }
        EXPECT_EQ(SettingsRecord.LastReportDate != reportDateBefore, c.updatesReportDate);
    }
}

TEST_F(StartupTest, TwoStartsWithinADaySendOneReport) {
    SettingsRecord.SessionCount = 5;
    SettingsRecord.MinutesUsed = 1;
    SettingsRecord.LastStep.setText("Close");
    EXPECT_TRUE(StartReport(SettingsRecord, 50000.0).has_value());
    EXPECT_FALSE(StartReport(SettingsRecord, 50000.9).has_value());
    EXPECT_TRUE(StartReport(SettingsRecord, 50001.0).has_value());
}

TEST(StartupChecksTest, FailureTextsAndStatuses) {
    EXPECT_FALSE(CheckSSSE3(true));
    const auto ssse3 = CheckSSSE3(false);
    ASSERT_TRUE(ssse3);
    EXPECT_EQ(ssse3->status, "_ssse3");
    EXPECT_EQ(ssse3->message, "Tavrin can't run on your PC.\rThe processor doesn't support "
                              "'Supplemental Streaming SIMD Extensions 3'.\r");
    EXPECT_FALSE(ssse3->troubleshooting);

    EXPECT_FALSE(CheckDirect2D(true, 0));
    const auto devices = CheckDirect2D(false, 4);
    ASSERT_TRUE(devices);
    EXPECT_EQ(devices->status, "_err_4");
    EXPECT_EQ(devices->message, "Tavrin can't run on your PC.\rSystem requirements:\rWindows 7 "
                                "SP1 with platform update installed\r\r");
    EXPECT_TRUE(devices->troubleshooting);

    const auto media = CheckMediaFoundation(false, false);
    ASSERT_TRUE(media);
    EXPECT_EQ(media->status, "_mf");
    EXPECT_TRUE(media->message.endsWith("Media Foundation feature\r\rPlease install Media "
                                        "Feature Pack."));
    EXPECT_TRUE(CheckMediaFoundation(false, true)->message.endsWith("on Windows Server."));

    const auto style = CheckStyle(false);
    ASSERT_TRUE(style);
    EXPECT_EQ(style->status, "_style");
    EXPECT_EQ(style->message, "Tavrin can't run on your PC.");

    const TRStartupFailure thrown = ExceptionFailure("CheckDirect2D", "out of memory");
    EXPECT_EQ(thrown.status, "_CheckDirect2D_out of memory");
    EXPECT_FALSE(thrown.synchronous);
    EXPECT_EQ(thrown.message, "Tavrin can't run on your PC.\rout of memory");
}

TEST(StartupChecksTest, EffectRegistrationStopsAtTheFirstThatThrows) {
    std::vector<TRCustomEffectRegistration> registrations;
    QStringList ran;
    for (const QString& tag : CustomEffectTags())
        registrations.push_back({tag, [&ran, tag] {
                                     ran << tag;
                                     if (tag == "_CERipple")
                                         throw std::runtime_error("no kernel");
                                 }});
    QString tag;
    EXPECT_TRUE(RegisterCustomEffects(tag, true, registrations));
    EXPECT_EQ(tag, "_CERipple");
    EXPECT_EQ(ran.size(), 8);

    // The effect is named only in the status; the box shows the first line alone.
    const auto failure = CheckEffects(true, tag);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->status, "_CERipple");
    EXPECT_EQ(failure->message, "Tavrin can't run on your PC.");

    EXPECT_TRUE(RegisterCustomEffects(tag, false, registrations));
    EXPECT_EQ(tag, "_effects");

    registrations.clear();
    for (const QString& t : CustomEffectTags())
        registrations.push_back({t, [] {}});
    EXPECT_FALSE(RegisterCustomEffects(tag, true, registrations));
    EXPECT_EQ(CustomEffectTags().size(), 15);
    EXPECT_EQ(CustomEffectTags().first(), "_CEcontrast");
    EXPECT_EQ(CustomEffectTags().last(), "_CEGenie");
}

TEST_F(StartupTest, CommandLineArguments) {
    const QString project = path("PROJECT.QMB");
    QFile file(project);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_TRUE(IsProjectArgument({project}));
    EXPECT_FALSE(IsProjectArgument({path("missing.qmb")}));
    EXPECT_FALSE(IsProjectArgument({project, project}));
    EXPECT_FALSE(IsProjectArgument({path("")}));
    EXPECT_FALSE(IsProjectArgument({}));

    EXPECT_EQ(StartRunStep({}), "Start_Run");
    EXPECT_EQ(StartRunStep({"a.qmb", "b.qmb"}), "Start_Run_a.qmb");
}

// Runs the instance probe with these arguments; returns the process, started, and its answer.
QString startProbe(QProcess& probe, const QStringList& arguments) {
    probe.start(INSTANCE_PROBE, arguments);
    probe.waitForStarted();
    probe.waitForReadyRead(10000);
    return QString::fromLocal8Bit(probe.readLine()).trimmed();
}

void stopProbe(QProcess& probe) {
    probe.closeWriteChannel();
    probe.waitForFinished(10000);
}

TEST_F(StartupTest, OneInstanceAcrossTwoProcesses) {
    QProcess first, second, third, fourth;
    ASSERT_EQ(startProbe(first, {}), "ok first=1");

    EXPECT_EQ(startProbe(second, {}),
              "refused This program is already running on this computer.|Running two "
              "simultaneous instances is not possible.|");

    const QString project = path("Demo.QMB");
    QFile file(project);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_TRUE(startProbe(third, {project})
                    .endsWith("|Please close the current project or create a new tab.|"));

    EXPECT_EQ(startProbe(fourth, {"-NewInstance"}), "ok first=0");
    for (QProcess* probe : {&first, &second, &third, &fourth})
        stopProbe(*probe);

    // With the first one gone, the next start is the first instance again.
    QProcess fifth;
    EXPECT_EQ(startProbe(fifth, {"-newinstance"}), "ok first=1");
    stopProbe(fifth);
}

TEST_F(StartupTest, ARefusedStartReleasesItsMutexHandle) {
    platform::system::NamedMutex holder(InstanceMutexName);
    ASSERT_TRUE(holder.owned());
    EXPECT_TRUE(CheckInstance({}).has_value());
    EXPECT_FALSE(FirstInstance);
    EXPECT_EQ(InstanceMutex, nullptr);
}

void touch(const QString& file) {
    QDir().mkpath(QFileInfo(file).path());
    QFile f(file);
    f.open(QIODevice::WriteOnly);
}

TEST_F(StartupTest, RecoveryFolderSearchFollowsTextOrder) {
    SetupTempRoot();
    ASSERT_TRUE(TempRoot.endsWith("/QMBTemp/"));
    EXPECT_EQ(FindRecoveryFolder(), "");

    QDir().mkpath(TempRoot + "1");               // empty: not recoverable
    touch(TempRoot + "2/project.xml");           // recoverable
    touch(TempRoot + "10/camera.tvf");           // recoverable, and "10" sorts before "2"
    touch(TempRoot + "0/project_thumbnail.jpg"); // only a thumbnail: not recoverable
    EXPECT_EQ(FindRecoveryFolder(), TempRoot + "10/");

    QDir(TempRoot + "10").removeRecursively();
    EXPECT_EQ(FindRecoveryFolder(), TempRoot + "2/");

    FirstInstance = false;
    EXPECT_EQ(FindRecoveryFolder(), "") << "a second instance never recovers";
}

TEST_F(StartupTest, TheTemporaryRootFallsBackWhenTheStoredFolderIsGone) {
    SettingsRecord.TempStorageFolder.setText("/nonexistent/drive/");
    SetupTempRoot();
    EXPECT_EQ(TempRoot, DefaultTempRoot()) << "the user's own root, not the shared folder";
    EXPECT_TRUE(QFileInfo(TempRoot).isDir());
}

TEST_F(StartupTest, InitializeLaysOutFoldersAndLoadsSettings) {
    SetDefaultSettings(SettingsRecord);
    SettingsRecord.SessionCount = 9;
    ASSERT_TRUE(SaveSettings(SettingsRecord));
    SettingsRecord.SessionCount = 0;
    PropertiesClipboard.IsCut = 1;

    InitializeURUtils(path("program"));
    EXPECT_EQ(AppFolder, path("program") + "/");
    EXPECT_EQ(EffectsFolder, path("program") + "/Depot/Effects/");
    EXPECT_EQ(SamplesFolder, path("program") + "/Depot/Samples/");
    EXPECT_FALSE(QFileInfo::exists(EffectsFolder)) << "program folders are not created";
    EXPECT_TRUE(UserFolder.endsWith("/Tavrin"));
    for (const QString& folder :
         {ProjectsFolder, DefaultVideosFolder, DefaultRecordingsFolder, DefaultImagesFolder}) {
        EXPECT_TRUE(folder.startsWith(UserFolder + "/"));
        EXPECT_TRUE(QFileInfo(folder).isDir()) << folder.toStdString();
    }
    EXPECT_TRUE(DownloadsFolder.endsWith('/'));
    EXPECT_EQ(SettingsRecord.SessionCount, 9);
    EXPECT_NE(SettingsRecord.SessionStartTick, 0u);
    EXPECT_TRUE(QFileInfo(TempRoot).isDir());
    EXPECT_EQ(PropertiesClipboard.IsCut, 0);
}

} // namespace
