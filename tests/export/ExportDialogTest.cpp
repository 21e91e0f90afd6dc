// The export dialog on a small project: how it loads stored options (edge cases of the format
// list, frame rates and sizes), how its controls follow the format, the checks on "Export",
// and exactly which fields "Export" writes back while Cancel writes none.
#include "core/UREditorServices.h"
#include "core/URSettings.h"
#include "core/ui/URColorButton.h"
#include "core/ui/URGPEditEx.h"
#include "core/ui/URGlyphButton.h"
#include "core/ui/URMessageBox.h"
#include "export/ui/URExport.h"
#include "media/UREncoderProbe.h"
#include "media/URExportFormats.h"
#include "objects/URObjectsRegistry.h"
#include "tests/export/ExportFormsSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>
#include <gtest/gtest.h>

namespace {

class ExportDialog : public testing::Test {
protected:
    void SetUp() override {
        SetDefaultSettings(SettingsRecord);
        RegisterEngineKinds();
        GetHardwareH264Available(); // the probe once; the cases then set the flags they need
        table_ = ExportFormatTable;
        project_ = std::make_unique<TRProject>(); // with the groups of the registered kinds
        project_->SetProjectSize(1280, 720);
        project_->SetTimeEnd(10000);
        project_->SetObjectName("My video");
        TRProjectExportOptions& options = project_->ExportOptions();
        options.FileName = "My video.mp4";
        options.FilePath = dir_.path() + '/';
        editor_.Project = project_.get();
        InstallEditorServices(&editor_);
    }
    void TearDown() override {
        InstallEditorServices(nullptr);
        ExportFormatTable = table_;
    }
    void Enable(int code, bool enabled = true) { ExportFormatTable[code - 1].Enabled = enabled; }
    void Prepare() { ASSERT_TRUE(dialog_.Prepare(false, 0, 0)); }
    void SelectFormat(int code) {
        dialog_.cbformat->setCurrentIndex(dialog_.cbformat->findData(code));
    }
    // Presses "Export", answering a message box when one comes; its text, or empty.
    QString PressExport() {
        QString message;
        QTimer answer;
        answer.setInterval(10);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<TRMessageBox*>(QApplication::activeModalWidget())) {
                message = box->text();
                box->button('C')->click();
            }
        });
        answer.start();
        dialog_.btnCreate->click();
        return message;
    }
    // Whether the optimise row stands above the quality editor.
    bool OptimizeFirst() const {
        auto* rows = dialog_.gbVideo->findChild<QVBoxLayout*>("qualityRows");
        return rows->indexOf(dialog_.pOptimize) < rows->indexOf(dialog_.edVideoQuality);
    }

    std::array<TRExportFormat, ExportFormatCount> table_;
    QTemporaryDir dir_;
    std::unique_ptr<TRProject> project_;
    exportforms::OneProjectEditor editor_;
    Trexport dialog_;
};

TEST_F(ExportDialog, StoredOptionsLoadAsTheirEdgeCasesSay) {
    struct Case {
        const char* name;
        std::function<void(TRProjectExportOptions&)> store;
        std::function<void(Trexport&)> check;
    };
    const Case cases[] = {
        {"format 4 without a hardware HEVC encoder selects the first item (code 1)",
         [](TRProjectExportOptions& o) { o.Format = 4; },
         [](Trexport& d) {
             EXPECT_EQ(d.cbformat->currentIndex(), 0);
             EXPECT_EQ(d.SelectedFormat(), 1);
             EXPECT_EQ(d.cbformat->findData(4), -1);
         }},
        {"sizes 0 show the project's in the custom size",
         [](TRProjectExportOptions& o) {
             o.VideoSize = 1;
             o.Width = 0;
             o.Height = 0;
         },
         [](Trexport& d) {
             EXPECT_EQ(d.edWidth->value(), 1280);
             EXPECT_EQ(d.edHeight->value(), 720);
             EXPECT_TRUE(d.edWidth->isEnabled());
         }},
        {"rates not in the lists show 30 and 10 fps",
         [](TRProjectExportOptions& o) {
             o.FramePS = 12;
             o.FramePSGIF = 12;
         },
         [](Trexport& d) {
             EXPECT_EQ(d.cbFramerate->currentText(), "30 fps ");
             EXPECT_EQ(d.cbFramerateGIF->currentText(), "10 fps ");
         }},
        {"a stored range end of 0 shows the project end; the stored range is kept",
         [](TRProjectExportOptions& o) {
             o.Selection = true;
             o.SelTimeStart = 2000;
         },
         [](Trexport& d) {
             EXPECT_TRUE(d.cbSelection->isChecked());
             EXPECT_EQ(d.edTimeStart->time().msecsSinceStartOfDay(), 2000);
             EXPECT_EQ(d.edTimeEnd->time().msecsSinceStartOfDay(), 10000);
             EXPECT_TRUE(d.edTimeEnd->isEnabled());
         }},
        {"a preset shows its size, locked, with the scale choices open",
         [](TRProjectExportOptions& o) { o.VideoSize = 2 + 4; },
         [](Trexport& d) {
             EXPECT_EQ(d.edWidth->value(), 1920);
             EXPECT_FALSE(d.edWidth->isEnabled());
             EXPECT_FALSE(d.btnAspectRatio->isChecked());
             EXPECT_TRUE(d.cbScale->isEnabled());
         }},
    };
    for (const Case& c : cases) {
        project_->ExportOptions() = DefaultExportOptions();
        project_->ExportOptions().FilePath = dir_.path() + '/';
        c.store(project_->ExportOptions());
        Prepare();
        SCOPED_TRACE(c.name);
        c.check(dialog_);
    }
}

TEST_F(ExportDialog, TheControlsFollowTheFormat) {
    Enable(6);
    Enable(8);
    project_->ExportOptions().Audio = false;
    Prepare();
    EXPECT_FALSE(OptimizeFirst());
    EXPECT_FALSE(dialog_.edAudio->isChecked());

    SelectFormat(6); // GIF
    EXPECT_EQ(dialog_.edFilename->text(), "My video.gif");
    EXPECT_FALSE(dialog_.gbAudio->isEnabled());
    EXPECT_TRUE(dialog_.gbVideo->isEnabled());
    EXPECT_TRUE(dialog_.cbFramerateGIF->isVisibleTo(&dialog_));
    EXPECT_FALSE(dialog_.cbFramerate->isVisibleTo(&dialog_));
    EXPECT_TRUE(dialog_.cbOptimizeGif->isVisibleTo(&dialog_));
    EXPECT_FALSE(dialog_.edVideoQuality->isVisibleTo(&dialog_));
    EXPECT_TRUE(OptimizeFirst());
    EXPECT_FALSE(dialog_.edHtml5->isEnabled());

    SelectFormat(8); // M4A
    EXPECT_EQ(dialog_.edFilename->text(), "My video.m4a");
    EXPECT_FALSE(dialog_.gbVideo->isEnabled());
    EXPECT_TRUE(dialog_.gbAudio->isEnabled());
    EXPECT_TRUE(dialog_.edAudio->isChecked());
    EXPECT_TRUE(dialog_.cbAudioBitrate->isEnabled());
    EXPECT_FALSE(OptimizeFirst());

    SelectFormat(1);
    EXPECT_EQ(dialog_.edFilename->text(), "My video.mp4");
    EXPECT_TRUE(dialog_.edHtml5->isEnabled());
    dialog_.edHtml5->click();
    EXPECT_TRUE(dialog_.cbatend->isEnabled());
    EXPECT_FALSE(dialog_.edurl->isEnabled());
    dialog_.cbatend->setCurrentIndex(3);
    EXPECT_TRUE(dialog_.edurl->isEnabled());
}

TEST_F(ExportDialog, TheRangeStaysInsideItselfAndTheProject) {
    Prepare();
    dialog_.cbSelection->click();
    dialog_.edTimeStart->setTime(QTime(0, 0, 5));
    dialog_.edTimeEnd->setTime(QTime(0, 0, 2)); // typed below the start
    EXPECT_EQ(dialog_.edTimeEnd->time(), QTime(0, 0, 5));
    dialog_.edTimeEnd->setTime(QTime(0, 0, 12)); // beyond the project's end
    EXPECT_EQ(dialog_.edTimeEnd->time(), QTime(0, 0, 10));
    dialog_.edTimeStart->setTime(QTime(0, 0, 11));
    EXPECT_EQ(dialog_.edTimeStart->time(), QTime(0, 0, 10));
    EXPECT_TRUE(dialog_.edTimeEnd->toolTip().startsWith("End time\nProject duration: "));
}

TEST_F(ExportDialog, ExportChecksTheFolderAndTheName) {
    struct Case {
        QString folder;
        QString name;
        QString message;
        QString stored; // the name written when the dialog closes
    };
    const QString missing = dir_.filePath("gone") + '/';
    const Case cases[] = {
        {missing,
         "clip.mp4",
         "The destination folder doesn't exist.\r" + missing + "\rPlease enter a valid location.",
         {}},
        {dir_.path() + '/', "", "The filename is incorrect.\r\r", {}},
        {dir_.path() + '/', "*?.mp4", "The filename is incorrect.\r*?.mp4\r", {}},
        {dir_.path() + '/', "a/b: c, d.mp4", {}, "ab c d.mp4"},
    };
    for (const Case& c : cases) {
        project_->ExportOptions().FilePath = c.folder;
        Prepare();
        dialog_.edFilename->setText(c.name);
        EXPECT_EQ(PressExport().toStdString(), c.message.toStdString());
        EXPECT_EQ(dialog_.Tag, c.message.isEmpty() ? 1 : 0) << c.name.toStdString();
        if (!c.stored.isEmpty()) {
            dialog_.Store();
            EXPECT_EQ(project_->ExportOptions().FileName, c.stored);
        }
    }
}

TEST_F(ExportDialog, ExportWritesEveryFieldAndCancelNone) {
    Prepare();
    const TRProjectExportOptions before = project_->ExportOptions();
    dialog_.edVideoSpeed->SetValue(150);
    dialog_.cbSize->setCurrentIndex(1);
    dialog_.btnCancel->click();
    EXPECT_EQ(dialog_.Tag, 0);
    EXPECT_FALSE(project_->Modified());
    EXPECT_EQ(project_->ExportOptions().MediaSpeed, before.MediaSpeed);
    EXPECT_EQ(project_->ExportOptions().VideoSize, before.VideoSize);

    project_->ExportOptions().FramePS = 12;
    Prepare();
    dialog_.edHtml5->setChecked(true);
    dialog_.edcontrols->setChecked(false);
    dialog_.cbatstart->setCurrentIndex(0);
    dialog_.cbatend->setCurrentIndex(3);
    dialog_.edurl->setText("https://example.org/ä");
    dialog_.cbMode->setCurrentIndex(2);
    dialog_.edVideoSpeed->SetValue(150);
    dialog_.edReverseSpeed->SetValue(75);
    dialog_.cbSelection->click();
    dialog_.edTimeStart->setTime(QTime(0, 0, 1, 500));
    dialog_.edTimeEnd->setTime(QTime(0, 0, 4));
    dialog_.cbFramerateGIF->setCurrentIndex(0);
    dialog_.cbFrameRateMode->setCurrentIndex(1);
    dialog_.edVideoQuality->SetValue(91.6);
    dialog_.cbSize->setCurrentIndex(1);
    dialog_.edWidth->setValue(640); // the aspect lock makes the height 360
    dialog_.cbScale->setCurrentIndex(2);
    dialog_.btnColor->SetColor(QColor(0x10, 0x20, 0x30));
    dialog_.cbOptimizeGif->setCurrentIndex(3);
    dialog_.cbOptimizeWebP->setCurrentIndex(0);
    dialog_.edAudio->setChecked(false);
    dialog_.cbAudioBitrate->setCurrentIndex(1);
    dialog_.cbAudioBitrateMP3->setCurrentIndex(6);
    dialog_.edAudioPitch->setChecked(false);
    dialog_.edAudioPitchReversed->setChecked(false);
    dialog_.edNormalizeL->setChecked(true);
    dialog_.edAudioLoudness->SetValue(-18);
    dialog_.edAudioVolume->SetValue(50);
    EXPECT_TRUE(PressExport().isEmpty());
    ASSERT_EQ(dialog_.Tag, 1);
    dialog_.Store();

    const TRProjectExportOptions& o = project_->ExportOptions();
    EXPECT_TRUE(project_->Modified());
    EXPECT_EQ(o.Format, 1);
    EXPECT_EQ(o.FileName, "My video.mp4");
    EXPECT_EQ(o.FilePath, dir_.path() + '/');
    EXPECT_EQ(GetVideosFolder(SettingsRecord), dir_.path() + '/');
    EXPECT_TRUE(o.Html);
    EXPECT_FALSE(o.Html_Controls);
    EXPECT_EQ(o.Html_AtStart_Action, 0);
    EXPECT_EQ(o.Html_AtEnd_Action, 3);
    EXPECT_EQ(o.Html_AtEnd_URL, "https://example.org/ä");
    EXPECT_EQ(o.ExportMode, 2);
    EXPECT_EQ(o.MediaSpeed, 1500);
    EXPECT_EQ(o.ReversedSpeed, 750);
    EXPECT_TRUE(o.Selection);
    EXPECT_EQ(o.SelTimeStart, 1500);
    EXPECT_EQ(o.SelTimeEnd, 4000);
    EXPECT_EQ(o.FramePS, 30); // 12 was not in the list
    EXPECT_EQ(o.FramePSGIF, 1);
    EXPECT_EQ(o.FrameMode, 1);
    EXPECT_EQ(o.Quality, 91);
    EXPECT_TRUE(o.AspectRatio);
    EXPECT_EQ(o.VideoSize, 1);
    EXPECT_EQ(o.Width, 640);
    EXPECT_EQ(o.Height, 360);
    EXPECT_EQ(o.Scale, 2);
    EXPECT_EQ(o.Color, TColor(0x302010));
    EXPECT_EQ(o.GifOptimize, 3);
    EXPECT_EQ(o.GifColor, TColor(0xFF00FF00)); // untouched, kept as stored
    EXPECT_EQ(o.WebPOptimize, 0);
    EXPECT_FALSE(o.Audio);
    EXPECT_EQ(o.AudioBitrate, 1);
    EXPECT_EQ(o.AudioBitrateMP3, 6);
    EXPECT_FALSE(o.AudioPitch);
    EXPECT_FALSE(o.AudioPitchReversed);
    EXPECT_TRUE(o.AudioNormalizeLoudness);
    EXPECT_FLOAT_EQ(o.AudioLoudness, -18);
    EXPECT_FLOAT_EQ(o.AudioVolume, 0.5f);
}

} // namespace
