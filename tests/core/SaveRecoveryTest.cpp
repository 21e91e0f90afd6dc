// Crash recovery from end to end: a run writes its recovery copy and is killed; the next start
// finds its folder and reopens the project with nothing lost. A run killed in the middle of a
// save leaves the previous package whole, and two runs describe one project with the same bytes.

#include "CoreTestEnvironment.h"
#include "SaveTestProject.h"
#include "core/URPropRegistry.h"
#include "core/URTempFolders.h"
#include "objects/URObjectsRegistry.h"

#include <QFile>
#include <QProcess>
#include <QThread>
#include <random>

namespace {

// The probe knows the engine's groups: so does this process while a test runs, whatever earlier
// tests registered or removed, and the registrations are put back afterwards.
class SaveRecoveryTest : public CoreTestEnvironment {
protected:
    void SetUp() override {
        CoreTestEnvironment::SetUp();
        RestorePropertyGroups(TRPropCreators{});
        RegisterEngineKinds();
    }
    void TearDown() override {
        TempRoot.clear();
        RestorePropertyGroups(saved_);
    }

private:
    const TRPropCreators saved_ = SavePropertyGroups();
};

// Starts the probe and returns its first line of output (empty when it printed none).
QString StartProbe(QProcess& probe, const QStringList& arguments) {
    probe.start(SAVE_PROBE, arguments);
    if (!probe.waitForReadyRead(60000))
        return {};
    return QString::fromLocal8Bit(probe.readLine()).trimmed();
}

QByteArray ReadAll(const QString& fileName) {
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST_F(SaveRecoveryTest, AKilledRunIsRecoveredWithNothingLost) {
    TempRoot = path("tmp/QMBTemp/");
    QProcess probe;
    probe.start(SAVE_PROBE, {TempRoot});
    ASSERT_TRUE(probe.waitForReadyRead(60000)) << probe.readAllStandardError().toStdString();
    const QString crashed = QString::fromLocal8Bit(probe.readLine()).trimmed();
    probe.kill();
    ASSERT_TRUE(probe.waitForFinished(30000));

    ResetTempFolderCounter();
    EXPECT_EQ(FindRecoveryFolder(), crashed);

    TRProject expected;
    savetest::BuildSampleProject(expected);

    TRProject recovered;
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

TEST_F(SaveRecoveryTest, KillingASaveMidWriteLeavesThePreviousPackageWhole) {
    TempRoot = path("tmp/QMBTemp/");
    const QString package = path("home/Killed.qmb");
    std::random_device device;
    const unsigned seed = device();
    std::mt19937 random(seed);
    SCOPED_TRACE(seed);
    for (int round = 0; round < 6; ++round) {
        QProcess probe;
        // The first save has finished: from here on a whole package is at the target.
        ASSERT_EQ(StartProbe(probe, {TempRoot, "save", package}), "saved")
            << probe.readAllStandardError().toStdString();
        QThread::msleep(std::uniform_int_distribution<int>(0, 250)(random));
        probe.kill();
        ASSERT_TRUE(probe.waitForFinished(30000));

        TRProject opened;
        ASSERT_EQ(opened.OpenFromFile(package), "") << "round " << round;
        TRProject expected;
        savetest::BuildSampleProject(expected);
        EXPECT_EQ(opened.Objects().size(), expected.Objects().size()) << "round " << round;
    }
}

TEST_F(SaveRecoveryTest, TwoRunsDescribeOneProjectWithTheSameBytes) {
    TempRoot = path("tmp/QMBTemp/");
    QProcess first;
    QProcess second;
    const QString firstFolder = StartProbe(first, {TempRoot});
    const QString secondFolder = StartProbe(second, {TempRoot});
    ASSERT_FALSE(firstFolder.isEmpty());
    ASSERT_FALSE(secondFolder.isEmpty());
    ASSERT_NE(firstFolder, secondFolder);
    const QByteArray description = ReadAll(firstFolder + "project.xml");
    EXPECT_FALSE(description.isEmpty());
    EXPECT_EQ(ReadAll(secondFolder + "project.xml"), description);
    first.kill();
    second.kill();
    first.waitForFinished(30000);
    second.waitForFinished(30000);
}

} // namespace
