// A project whose keyframes hold every group kind with its real class survives a save and an
// open, and a description written with "," as decimal separator, unchanged.

#include "core/URServerMessages.h"
#include "core/URSettings.h"
#include "core/URTempFolders.h"
#include "core/URUtils.h"
#include "objects/URObjectsRegistry.h"
#include "tests/core/SaveTestProject.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ProjectSave : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        SetSettingsSaveEnabled(false);
        SetDefaultSettings(SettingsRecord);
        SetServerMessageSink([](const QString&, bool) { return QString(); });
        RegisterEngineKinds();
        TempRoot = dir_.filePath("QMBTemp/");
    }
    void TearDown() override {
        SetServerMessageSink(nullptr);
        TempRoot.clear();
    }

    std::unique_ptr<TRProject> NewProject() { return std::make_unique<TRProject>(); }

    QTemporaryDir dir_;
};

TEST_F(ProjectSave, EveryGroupRoundTripsThroughThePackage) {
    auto project = NewProject();
    savetest::BuildSampleProject(*project);
    const QString file = dir_.filePath("All.qmb");
    ASSERT_EQ(project->SaveToFile(file), "");
    auto opened = NewProject();
    ASSERT_EQ(opened->OpenFromFile(file), "");
    EXPECT_EQ(opened->ProjectDocument('.').toByteArray(2),
              project->ProjectDocument('.').toByteArray(2));
}

TEST_F(ProjectSave, EveryGroupRoundTripsWithACommaSeparator) {
    auto project = NewProject();
    savetest::BuildSampleProject(*project);
    const QByteArray written = project->ProjectDocument(',').toByteArray(2);
    const QString folder = dir_.filePath("recovered/");
    QDir().mkpath(folder);
    QFile description(folder + "project.xml");
    ASSERT_TRUE(description.open(QIODevice::WriteOnly));
    description.write(written);
    description.close();
    auto opened = NewProject();
    ASSERT_EQ(opened->OpenFromFile(folder), "");
    opened->SetObjectName(project->ObjectName());
    EXPECT_EQ(opened->ProjectDocument(',').toByteArray(2), written);
}

} // namespace
