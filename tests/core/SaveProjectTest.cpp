// Saving and opening projects: the package layout, the description round trip with either
// decimal separator, the naming, backup and failure rules of a save, and recovery folders.

#include "CoreTestEnvironment.h"
#include "SaveTestProject.h"
#include "core/UPackFiles.h"
#include "core/URFormHooks.h"
#include "core/URServerMessages.h"
#include "core/URSettings.h"
#include "core/URTempFolders.h"
#include "core/URXmlValues.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

namespace {

QByteArray ReadAll(const QString& fileName) {
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& fileName, const QByteArray& bytes) {
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class SaveProjectTest : public CoreTestEnvironment {
protected:
    void SetUp() override {
        CoreTestEnvironment::SetUp();
        TempRoot = path("tmp/QMBTemp/");
        ResetTempFolderCounter();
        RegisterEngineKinds();
        target_ = path("home/Projects/");
        QDir().mkpath(target_);
    }

    void TearDown() override { TempRoot.clear(); }

    std::unique_ptr<TRProject> NewProject() { return std::make_unique<TRProject>(); }

    // The run ends without closing the project, as a crash does: its folder stays behind.
    static QString Abandon(std::unique_ptr<TRProject>& project) {
        const QString folder = project->TempFolder;
        project->TempFolder.clear();
        project.reset();
        return folder;
    }

    std::unique_ptr<TRProject> SampleProject() {
        auto project = NewProject();
        savetest::BuildSampleProject(*project);
        return project;
    }

    QString target_;
};

TEST_F(SaveProjectTest, PackageStartsWithThumbnailAndDescriptionAndHoldsTheMedia) {
    auto project = SampleProject();
    ASSERT_EQ(project->SaveToFile(target_ + "Demo.qmb"), "");
    TPackFiles package(nullptr);
    const QString unpacked = path("unpacked/");
    ASSERT_TRUE(package.Extract(target_ + "Demo.qmb", unpacked));
    QFile file(target_ + "Demo.qmb");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    file.seek(5 + 4 + 8);
    EXPECT_EQ(file.read(21), "project_thumbnail.jpg");
    EXPECT_FALSE(QImage(unpacked + "project_thumbnail.jpg").isNull());
    EXPECT_EQ(ReadAll(unpacked + "project.xml"), ReadAll(project->TempFolder + "project.xml"));
    for (int type = otShape; type < otEnd; ++type)
        EXPECT_TRUE(QFileInfo::exists(unpacked + savetest::MediaFileName(type))) << type;
    EXPECT_TRUE(QFileInfo::exists(unpacked + "cursor.tcf"));
    EXPECT_TRUE(QFileInfo::exists(unpacked + "audio.m4a"));
    EXPECT_FALSE(project->Modified());
    EXPECT_FALSE(project->History_CanUndo());
}

// The saved description is written object by object; it must be the bytes of the whole
// document.
TEST_F(SaveProjectTest, DescriptionWrittenByPartsIsTheWholeDocument) {
    auto project = SampleProject();
    ASSERT_EQ(project->SaveToFile(target_ + "Parts.qmb"), "");
    const QByteArray written = ReadAll(project->TempFolder + "project.xml");
    EXPECT_EQ(written, XmlDocumentBytes(project->ProjectDocument(SystemDecimalSeparator())));
    EXPECT_TRUE(written.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Project "));
    EXPECT_TRUE(written.endsWith("</Objects>\n</Project>\n"));
}

TEST_F(SaveProjectTest, SaveThenOpenGivesTheSameDescription) {
    auto project = SampleProject();
    ASSERT_EQ(project->SaveToFile(target_ + "Sample.qmb"), "");
    auto opened = NewProject();
    ASSERT_EQ(opened->OpenFromFile(target_ + "Sample.qmb"), "");
    EXPECT_EQ(opened->Objects().size(), std::size_t(otEnd - otShape));
    EXPECT_EQ(opened->ProjectDocument('.').toByteArray(2),
              project->ProjectDocument('.').toByteArray(2));
    EXPECT_TRUE(opened->MissingMedia.isEmpty());
    EXPECT_FALSE(opened->History_CanUndo());
    EXPECT_FALSE(opened->Modified());
    EXPECT_EQ(opened->FileName, "Sample.qmb");
}

TEST_F(SaveProjectTest, CommaSeparatorRoundTripsAndIsReadWithoutTheLocale) {
    auto project = SampleProject();
    const QByteArray written = project->ProjectDocument(',').toByteArray(2);
    ASSERT_TRUE(written.contains("AudioVolume=\"0,300000011920929\""));
    const QString folder = path("recovery/");
    QDir().mkpath(folder);
    WriteAll(folder + "project.xml", written);
    auto opened = NewProject();
    ASSERT_EQ(opened->OpenFromFile(folder), "");
    EXPECT_FLOAT_EQ(opened->ExportOptions().AudioVolume, 0.3f);
    EXPECT_FLOAT_EQ(opened->InterfaceOptions.DesignScale, 0.75f);
    opened->SetObjectName(project->ObjectName());
    EXPECT_EQ(opened->ProjectDocument(',').toByteArray(2), written);
}

TEST_F(SaveProjectTest, TheProjectTakesTheFileNameOnlyWhenItHadNoOtherName) {
    struct Case {
        const char* name;
        const char* oldFile;
        const char* newFile;
        const char* expected;
    };
    const Case cases[] = {{"Untitled", "", "Demo.qmb", "Demo"},
                          {"Talk", "Old.qmb", "New.qmb", "Talk"},
                          {"Old", "Old.qmb", "New.qmb", "New"}};
    for (const Case& c : cases) {
        auto project = NewProject();
        project->SetObjectName(c.name);
        project->FileName = c.oldFile;
        ASSERT_EQ(project->SaveToFile(target_ + c.newFile), "");
        EXPECT_EQ(project->ObjectName(), c.expected) << c.name;
        EXPECT_EQ(project->Path, target_);
        EXPECT_EQ(project->FileName, c.newFile);
    }
}

TEST_F(SaveProjectTest, FailedSavesReportAndKeepTheEarlierFile) {
    auto project = SampleProject();
    ASSERT_EQ(project->SaveToFile(target_ + "Keep.qmb"), "");
    const QByteArray earlier = ReadAll(target_ + "Keep.qmb");
    WriteAll(target_ + "Keep_backup.qmb", "another project");

    ProjectThumbnailWriter = [](TRProject&, const QString&) { return false; };
    EXPECT_EQ(project->SaveToFile(target_ + "Keep.qmb"), "Cannot pack files.");
    ProjectThumbnailWriter = nullptr;

    EXPECT_EQ(project->SaveToFile(path("nowhere/") + "X.qmb"), "Invalid file path.");
    EXPECT_EQ(project->SaveToFile(target_ + ".qmb"), "Invalid file name.");

    EXPECT_EQ(ReadAll(target_ + "Keep.qmb"), earlier);
    EXPECT_EQ(ReadAll(target_ + "Keep_backup.qmb"), "another project");
    EXPECT_EQ(QDir(target_).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

// A project that opened with a media file missing can still be saved: what exists goes into
// the package and the missing names come back as a warning.
TEST_F(SaveProjectTest, MissingMediaAreLeftOutWithAWarning) {
    auto project = SampleProject();
    QFile::remove(project->TempFolder + savetest::MediaFileName(otImage));
    ASSERT_EQ(project->SaveToFile(target_ + "Partial.qmb"), "");
    EXPECT_EQ(project->SaveWarning, "Missing media files: " + savetest::MediaFileName(otImage));
    EXPECT_FALSE(project->Modified());
    TRProject opened;
    ASSERT_EQ(opened.OpenFromFile(target_ + "Partial.qmb"), "");
    EXPECT_EQ(opened.Objects().size(), project->Objects().size());
    EXPECT_TRUE(QFileInfo::exists(opened.TempFolder + savetest::MediaFileName(otVideo)));
    EXPECT_EQ(opened.MissingMedia, QStringList{savetest::MediaFileName(otImage)});

    ASSERT_EQ(opened.SaveToFile(""), "");
    EXPECT_EQ(opened.SaveWarning, "Missing media files: " + savetest::MediaFileName(otImage));
    ASSERT_EQ(project->SaveToFile(""), "");
    WriteAll(project->TempFolder + savetest::MediaFileName(otImage), "back");
    ASSERT_EQ(project->SaveToFile(""), "");
    EXPECT_EQ(project->SaveWarning, "");
}

// Records what the save and the open tell the progress form.
class StepRecorder final : public TRProgressReporter {
public:
    void SetProgress(int) override {}
    bool IsCanceled() const override { return false; }
    void InitSteps(const QString& a, const QString& b, const QString& c) override {
        log << "steps " + QStringList{a, b, c}.join('|');
    }
    void StartStep(int step) override { log << "start " + QString::number(step); }
    void EndStep(int step) override { log << "end " + QString::number(step); }
    QStringList log;
};

TEST_F(SaveProjectTest, SaveAndOpenNameTheirStepsOnTheProgressForm) {
    auto project = SampleProject();
    StepRecorder steps;
    InstallProgress(&steps);
    EXPECT_EQ(project->SaveToFile(target_ + "Steps.qmb"), "");
    EXPECT_EQ(steps.log,
              QStringList({"steps Saving objects...|Saving media files...|Saving project...",
                           "start 1", "end 1", "start 2", "end 2", "start 3", "end 3"}));
    EXPECT_EQ(SettingsRecord.LastStep.text(), "Save_End");
    steps.log.clear();
    TRProject opened;
    EXPECT_EQ(opened.OpenFromFile(target_ + "Steps.qmb"), "");
    EXPECT_EQ(steps.log, QStringList({"steps Extracting files...|Loading objects...|", "start 1",
                                      "end 1", "start 2", "end 2"}));
    steps.log.clear();
    ASSERT_TRUE(project->AutoSave());
    const QString folder = Abandon(project);
    TRProject recovered;
    EXPECT_EQ(recovered.OpenFromFile(folder), "");
    EXPECT_EQ(steps.log.value(0), "steps Recovering files...|Loading objects...|");
    InstallProgress(nullptr);
}

// The last breadcrumb of a save that could not write its description names that step.
TEST_F(SaveProjectTest, AFailedDescriptionWriteLeavesItsBreadcrumb) {
    auto project = SampleProject();
    QStringList sent;
    SetServerMessageSink([&](const QString& status, bool) {
        sent << status;
        return QString();
    });
    QDir().mkpath(project->TempFolder + "project.xml"); // a folder where the file should go
    EXPECT_EQ(project->SaveToFile(target_ + "Crumbs.qmb"), "XML error.");
    SetServerMessageSink(nullptr);
    EXPECT_EQ(SettingsRecord.LastStep.text(), "Save_XML_SaveToFile");
    EXPECT_EQ(sent.size(), 1);
    EXPECT_TRUE(sent.value(0).contains("Save_XML_Error")) << sent.value(0).toStdString();
    EXPECT_FALSE(QFileInfo::exists(target_ + "Crumbs.qmb"));
}

// Cancels as soon as the save reaches its copy step.
class CancelAtCopy final : public TRProgressReporter {
public:
    void SetProgress(int percent) override { canceled_ = canceled_ || percent >= 60; }
    bool IsCanceled() const override { return canceled_; }

private:
    bool canceled_ = false;
};

TEST_F(SaveProjectTest, ACancelledCopyLeavesTheTargetUntouched) {
    auto project = SampleProject();
    ASSERT_EQ(project->SaveToFile(target_ + "Copy.qmb"), "");
    const QByteArray earlier = ReadAll(target_ + "Copy.qmb");
    project->SetObjectName("Changed");
    project->SetModified(true);
    CancelAtCopy cancel;
    InstallProgress(&cancel);
    EXPECT_EQ(project->SaveToFile(""), "");
    InstallProgress(nullptr);
    EXPECT_EQ(ReadAll(target_ + "Copy.qmb"), earlier);
    EXPECT_EQ(QDir(target_).entryList(QDir::Files | QDir::Hidden).size(), 1);
    EXPECT_TRUE(project->Modified());
}

TEST_F(SaveProjectTest, RecoveryFolderOpensWithItsNameMarked) {
    auto project = SampleProject();
    ASSERT_TRUE(project->AutoSave());
    const QByteArray expected = project->ProjectDocument('.').toByteArray(2);
    const QString folder = Abandon(project);
    auto opened = NewProject();
    const QString fresh = opened->TempFolder;
    ASSERT_EQ(opened->OpenFromFile(folder), "");
    EXPECT_EQ(opened->TempFolder, folder);
    EXPECT_FALSE(QFileInfo::exists(fresh));
    EXPECT_EQ(opened->ObjectName(), "Sample_r");
    EXPECT_TRUE(opened->Modified());
    opened->SetObjectName("Sample");
    EXPECT_EQ(opened->ProjectDocument('.').toByteArray(2), expected);
}

TEST_F(SaveProjectTest, FailedRecoveryOpenKeepsTheRecoveryFolder) {
    const QString folder = TempRoot + "77/";
    QDir().mkpath(folder);
    WriteAll(folder + "screen.tvf", "unfinished track");
    auto opened = NewProject();
    EXPECT_EQ(opened->OpenFromFile(folder), "Recovering error!");
    EXPECT_NE(opened->TempFolder, folder);
    opened.reset();
    EXPECT_EQ(ReadAll(folder + "screen.tvf"), "unfinished track");

    WriteAll(folder + "project.xml", "<Project><Objects>");
    auto damaged = NewProject();
    EXPECT_EQ(damaged->OpenFromFile(folder), "The file is not a valid Tavrin project.");
    EXPECT_NE(damaged->TempFolder, folder);
    EXPECT_TRUE(QFileInfo::exists(folder + "screen.tvf"));
}

TEST_F(SaveProjectTest, MissingMediaIsReportedOnOpen) {
    auto project = SampleProject();
    ASSERT_TRUE(project->AutoSave());
    QFile::remove(project->TempFolder + savetest::MediaFileName(otVideo));
    QFile::remove(project->TempFolder + "cursor.tcf");
    const QString folder = Abandon(project);
    auto opened = NewProject();
    ASSERT_EQ(opened->OpenFromFile(folder), "");
    EXPECT_EQ(opened->MissingMedia, QStringList({savetest::MediaFileName(otVideo), "cursor.tcf"}));
}

// A cleanly closed project is never offered for recovery, and an opened package does not leave
// its media behind.
TEST_F(SaveProjectTest, AProjectMakesItsFolderAndRemovesItWhenClosed) {
    auto project = NewProject();
    const QString made = project->TempFolder;
    ASSERT_TRUE(made.startsWith(TempRoot)) << made.toStdString();
    EXPECT_TRUE(QFileInfo(made).isDir());
    ASSERT_EQ(project->SaveToFile(target_ + "Fresh.qmb"), "");
    project.reset();
    EXPECT_FALSE(QFileInfo::exists(made));
    EXPECT_EQ(FindRecoveryFolder(), "");

    auto opened = NewProject();
    ASSERT_EQ(opened->OpenFromFile(target_ + "Fresh.qmb"), "");
    EXPECT_EQ(opened->ObjectName(), "Fresh");
    const QString unpacked = opened->TempFolder;
    EXPECT_TRUE(QFileInfo::exists(unpacked + "project.xml"));
    opened.reset();
    EXPECT_FALSE(QFileInfo::exists(unpacked));

    // A folder that the project only points at is not the project's to delete.
    const QString elsewhere = path("elsewhere/");
    QDir().mkpath(elsewhere);
    auto pointing = NewProject();
    const QString own = pointing->TempFolder;
    DeleteTempFolder(own);
    pointing->TempFolder = elsewhere;
    ASSERT_TRUE(pointing->AutoSave());
    pointing.reset();
    EXPECT_TRUE(QFileInfo::exists(elsewhere + "project.xml"));
}

TEST_F(SaveProjectTest, AProjectWithoutAFolderWritesNothingAndSaysWhy) {
    TempRoot = path("no-such-parent/QMBTemp/");
    TRProject project;
    EXPECT_EQ(project.TempFolder, "");
    EXPECT_TRUE(project.TempFolderError().startsWith("Cannot use the temporary folder"));
    EXPECT_FALSE(project.AutoSave());
    EXPECT_FALSE(QFileInfo::exists("project.xml"));
    EXPECT_EQ(project.SaveToFile(target_ + "Nowhere.qmb"), project.TempFolderError());
    EXPECT_EQ(project.OpenFromFile(target_ + "Nowhere.qmb"), project.TempFolderError());
    EXPECT_FALSE(QFileInfo::exists(target_ + "Nowhere.qmb"));
}

} // namespace
