// The editor's dialogs (and the waiting form of the device report) in the dark style on the X
// server, kept with TAVRIN_GALLERY_DIR for looking at; each must be dark and show its controls.
#include "core/UREditorServices.h"
#include "core/URObject.h"
#include "core/URProject.h"
#include "core/URSettings.h"
#include "core/URUtils.h"
#include "core/ui/URWaiting.h"
#include "editor/ui/UAbout.h"
#include "editor/ui/UPreferencesForm.h"
#include "editor/ui/URPasteProperties.h"
#include "editor/ui/URTiming.h"
#include "objects/URObjectsRegistry.h"
#include "tests/support/StyleScope.h"

#include <QDir>
#include <QLabel>
#include <QTest>
#include <QTimeEdit>
#include <gtest/gtest.h>

namespace {

QImage Shot(QWidget& window) {
    QImage image(window.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    window.render(&image);
    return image;
}

void Keep(const QImage& image, const QString& name) {
    const QString folder = qEnvironmentVariable("TAVRIN_GALLERY_DIR");
    if (!folder.isEmpty())
        image.save(QDir(folder).filePath(name));
}

// The share of pixels brighter than mid-grey: a dark form keeps it small.
double BrightShare(const QImage& image) {
    qint64 bright = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            bright += qGray(image.pixel(x, y)) > 128;
    return double(bright) / (qint64(image.width()) * image.height());
}

class TActiveProject : public TREditorServices {
public:
    TRProject* Project = nullptr;
    TRProject* ActiveProject() const override { return Project; }
    void RepaintScene() override {}
};

class DialogShot : public testing::Test {
protected:
    static void SetUpTestSuite() {
        SetDefaultSettings(SettingsRecord);
        RegisterEngineKinds();
    }
    void SetUp() override { InstallEditorServices(&services_); }
    void TearDown() override { InstallEditorServices(nullptr); }

    // Shows `dialog`, keeps its picture as `name` and checks that it is dark.
    void Look(QWidget& dialog, const QString& name) {
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        const QImage image = Shot(dialog);
        Keep(image, name);
        EXPECT_LT(BrightShare(image), 0.12) << name.toStdString();
        dialog.hide();
    }

    StyleScope style_;
    TActiveProject services_;
};

TEST_F(DialogShot, Timing) {
    TRProject project;
    project.SetTimeEnd(60000);
    services_.Project = &project;
    TRObject* clip = project.AddObject(std::make_unique<TRObject>(&project, otShape));
    clip->SetObjectName("Title card");
    clip->SetTimeStartField(5500);
    clip->SetTimeEnd(12000);
    project.SelectedObject = clip;
    TRTiming dialog;
    ASSERT_TRUE(dialog.Prepare(clip));
    EXPECT_EQ(dialog.edTimeStart->text(), "00:00:05.500");
    Look(dialog, "dialog_timing.png");
}

TEST_F(DialogShot, PasteProperties) {
    TRProject project;
    TRObject shape(&project, otShape);
    shape.CopyCurrentPropertiesToClipBoard();
    TRPasteProperties dialog;
    dialog.Prepare(otText, TRPropertiesChecked{});
    Look(dialog, "dialog_paste_properties.png");
    PropertiesClipboard.Reset();
}

TEST_F(DialogShot, Preferences) {
    TPreferencesForm dialog;
    dialog.Load();
    Look(dialog, "dialog_preferences.png");
}

TEST_F(DialogShot, DeviceReportScanning) {
    TRWaiting waiting;
    waiting.Execute();
    waiting.UpdateInfo("Scanning...");
    EXPECT_EQ(waiting.info(), "Scanning...");
    Look(waiting, "dialog_device_report_scanning.png");
}

TEST_F(DialogShot, About) {
    Tabout dialog;
    dialog.lbversion->setText("Version " + GetVersionString());
    Look(dialog, "dialog_about.png");
}

} // namespace
