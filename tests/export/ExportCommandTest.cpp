// A real export through the forms: the progress form reports the run, a delivered file gets
// its summary, a missing page its reason, and a copy that cannot be made the Retry/Cancel
// question, the box naming the file left behind, the file shown in its folder and the error
// message.
#include "core/URServerMessages.h"
#include "core/URUtils.h"
#include "core/ui/URMessageBox.h"
#include "core/ui/URProgress.h"
#include "export/ui/URExportCommand.h"
#include "export/ui/URExportSummary.h"
#include "tests/export/ExportFormsSupport.h"
#include "tests/export/ExportTestProject.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

namespace {

class ExportCommand : public exporttest::ExportProject {
protected:
    void SetUp() override {
        ExportProject::SetUp();
        SetServerMessageSink([this](const QString& status, bool) {
            sent_ << status;
            return QString();
        });
        // Every modal window is answered as it comes: message boxes by the next answer of
        // the script (Cancel or OK when the script has none left), the summary by Close.
        answering_.setInterval(10);
        QObject::connect(&answering_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<TRMessageBox*>(modal)) {
                seen_ << box->text();
                box->button(answers_.isEmpty() ? 'C' : answers_.takeFirst())->click();
            } else if (auto* summary = qobject_cast<TRExportSummary*>(modal)) {
                seen_ << "summary " + summary->FileName();
                summary->btnClose->click();
            }
        });
        answering_.start();
    }
    void TearDown() override {
        SetServerMessageSink({});
        ExportProject::TearDown();
    }

    TrProgressForm progress_;
    TRExportSummary summary_;
    QTimer answering_;
    QList<char> answers_;
    QStringList seen_;
    QStringList sent_;
};

TEST_F(ExportCommand, ADeliveredFileGetsItsSummaryAndTheRunKeepsThePlayhead) {
    project_->SetTimePosition(500);
    RunProjectExport(*project_);
    EXPECT_EQ(seen_, QStringList{"summary " + Delivered()});
    EXPECT_TRUE(QFile::exists(Delivered()));
    EXPECT_EQ(project_->TimePosition(), 500);
    EXPECT_TRUE(progress_.isHidden());
    EXPECT_TRUE(sent_.isEmpty());
}

TEST_F(ExportCommand, AMissingPageIsExplainedBeforeTheVideosSummary) {
    const QString templates = TemplatesFolder;
    TemplatesFolder = dir_.filePath("none/");
    project_->ExportOptions().Html = true;
    RunProjectExport(*project_);
    TemplatesFolder = templates;
    ASSERT_EQ(seen_.size(), 2);
    EXPECT_TRUE(seen_[0].startsWith("The HTML file was not created.\r")) << seen_[0].toStdString();
    EXPECT_EQ(seen_[1], "summary " + Delivered());
}

TEST_F(ExportCommand, ABlockedCopyAsksShowsTheLeftFileAndReportsTheFailure) {
    // A folder where the file should go: the copy cannot replace it.
    ASSERT_TRUE(QDir().mkpath(Delivered()));
    const exportforms::StubFileManager manager(dir_.path());

    answers_ = {'B', 'C'}; // Retry once, then Cancel
    RunProjectExport(*project_);

    const QString retry =
        "Cannot copy clip one.mp4.\rClose any programs that might be using the file and try again.";
    const QString left = project_->TempFolder + "clip one.mp4";
    EXPECT_EQ(seen_,
              (QStringList{retry, retry,
                           "Cannot copy the file to the destination directory.\r" + left + "\r",
                           "There was an error while exporting the video!\rPlease save "
                           "your project and restart the application."}));
    EXPECT_TRUE(QFile::exists(left));
    EXPECT_EQ(manager.Called(), dir_.filePath("work"));
    EXPECT_TRUE(sent_.isEmpty()); // nothing to report but the failed copy
    EXPECT_FALSE(progress_.Error);
}

TEST(ExportErrorMessage, PathErrorsGetTheLocationHint) {
    EXPECT_EQ(ExportErrorMessage("Cannot start the encoder [1,1920x1080]8007007B"),
              "There was an error while exporting the video!\rThe filename, directory name, or "
              "volume label syntax is incorrect.\rPlease enter a valid location.");
    EXPECT_EQ(ExportErrorMessage("Cannot start the encoder [1,1920x1080]80070005"),
              "There was an error while exporting the video!\rPlease save your project and "
              "restart the application.");
}

} // namespace
