// Crash recovery from end to end: a run writes its recovery copy and is killed; the next start
// finds its folder and reopens the project with nothing lost.

#include "CoreTestEnvironment.h"
#include "SaveTestProject.h"
#include "core/URTempFolders.h"

#include <QProcess>

namespace {

class SaveRecoveryTest : public CoreTestEnvironment {};

TEST_F(SaveRecoveryTest, AKilledRunIsRecoveredWithNothingLost) {
    TempRoot = path("tmp/QMBTemp/");
    // The groups the probe knows: the core's own, nothing another test registered.
    RegisterEngineKinds();
    RegisterPropertyGroup(ptPlacement, nullptr);
    QProcess probe;
    probe.start(SAVE_PROBE, {TempRoot});
    ASSERT_TRUE(probe.waitForReadyRead(60000)) << probe.readAllStandardError().toStdString();
    const QString crashed = QString::fromLocal8Bit(probe.readLine()).trimmed();
    probe.kill();
    ASSERT_TRUE(probe.waitForFinished(30000));

    ResetTempFolderCounter();
    EXPECT_EQ(FindRecoveryFolder(), crashed);

    TRProject expected;
    expected.TempFolder = NewProjectTempFolder();
    savetest::BuildSampleProject(expected);

    TRProject recovered;
    recovered.TempFolder = NewProjectTempFolder();
    ASSERT_EQ(recovered.OpenFromFile(crashed), "");
    EXPECT_TRUE(recovered.MissingMedia.isEmpty());
    EXPECT_TRUE(recovered.Modified());
    EXPECT_EQ(recovered.ObjectName(), expected.ObjectName() + "_r");
    recovered.SetObjectName(expected.ObjectName());
    EXPECT_EQ(recovered.ProjectDocument('.').toByteArray(2),
              expected.ProjectDocument('.').toByteArray(2));
    // The recovered project saves like any other.
    EXPECT_EQ(recovered.SaveToFile(path("home/Recovered.qmb")), "");
}

} // namespace
