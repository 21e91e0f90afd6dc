// The export dialog for an MP4, a GIF and an M4A, and the summary of an MP4, in the dark style
// on the X server. Their texts hold scratch folders, so the pictures are checked by their
// pixels and kept in the gallery folder (TAVRIN_GALLERY_DIR) to be looked at.
#include "core/UREditorServices.h"
#include "core/URSettings.h"
#include "core/ui/URStyle.h"
#include "export/ui/URExport.h"
#include "export/ui/URExportSummary.h"
#include "media/UREncoderProbe.h"
#include "media/URExportFormats.h"
#include "objects/URObjectsRegistry.h"
#include "tests/export/ExportFormsSupport.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/StyleScope.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

namespace {

void Keep(const QImage& image, const QString& name) {
    const QString gallery = qEnvironmentVariable("TAVRIN_GALLERY_DIR");
    if (!gallery.isEmpty())
        image.save(QDir(gallery).filePath(name));
}

QImage Shot(QWidget& widget) {
    widget.setAttribute(Qt::WA_ShowWithoutActivating);
    widget.show();
    QApplication::processEvents();
    const QImage image = RenderWidget(widget, 1.0);
    widget.hide();
    return image;
}

// The form's own colour at its top left and the bottom bar's at its bottom left.
void ExpectDarkForm(const QImage& image, const QString& name) {
    EXPECT_EQ(image.pixel(4, 4) & 0xFFFFFF, TRStyleColors::Window) << name.toStdString();
    EXPECT_EQ(image.pixel(4, image.height() - 4) & 0xFFFFFF, 0x1A1F26u) << name.toStdString();
}

TEST(ExportFormsShot, DialogLayoutsAndSummary) {
    const StyleScope style;
    SetDefaultSettings(SettingsRecord);
    RegisterEngineKinds();
    GetHardwareH264Available();
    const auto table = ExportFormatTable;
    ExportFormatTable[5].Enabled = true; // GIF
    QTemporaryDir dir;
    TRProject project;
    project.SetProjectSize(1280, 720);
    project.SetTimeEnd(12000);
    project.ExportOptions().FileName = "My video.mp4";
    project.ExportOptions().FilePath = dir.path() + '/';
    exportforms::OneProjectEditor editor;
    editor.Project = &project;
    InstallEditorServices(&editor);
    {
        Trexport dialog;
        ASSERT_TRUE(dialog.Prepare(false, 0, 0));
        for (const int code : {1, 6, 8}) {
            dialog.cbformat->setCurrentIndex(dialog.cbformat->findData(code));
            const QString name = QString("export_dialog_%1.png").arg(code);
            const QImage image = Shot(dialog);
            ExpectDarkForm(image, name);
            Keep(image, name);
        }
    }
    InstallEditorServices(nullptr);
    ExportFormatTable = table;

    QFile video(dir.filePath("My video.mp4"));
    ASSERT_TRUE(video.open(QIODevice::WriteOnly));
    ASSERT_TRUE(video.resize(5 * 1024 * 1024 + 1000));
    video.close();
    TRExportSummary summary;
    summary.Prepare(video.fileName());
    const QImage image = Shot(summary);
    ExpectDarkForm(image, "export_summary.png");
    Keep(image, "export_summary.png");
}

} // namespace
