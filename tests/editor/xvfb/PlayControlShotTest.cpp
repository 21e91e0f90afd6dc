// The player bar stopped and playing, the playback-speed menu, the File menu and the New Blank
// Project dialog on the X server.
// The pictures are kept with TAVRIN_GALLERY_DIR for looking at; the test checks that the play
// button shows the highlight colour only while playing and that the menus and the dialog are dark.
#include "core/URProject.h"
#include "core/URSettings.h"
#include "core/ui/URStyle.h"
#include "editor/ui/UEditor.h"
#include "editor/ui/UNewBlankProject.h"
#include "objects/URObjectsRegistry.h"
#include "tests/support/StyleScope.h"

#include <QDir>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

void Keep(const QImage& image, const QString& name) {
    const QString folder = qEnvironmentVariable("TAVRIN_GALLERY_DIR");
    if (!folder.isEmpty())
        image.save(QDir(folder).filePath(name));
}

int HighlightPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.red() < 40 && c.green() > 130 && c.blue() > 130;
        }
    return count;
}

double MeanGray(const QImage& image) {
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += qGray(image.pixel(x, y));
    return sum / (image.width() * image.height());
}

TEST(PlayControlShot, PlayerBarAndMenus) {
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("config")));
    SetDefaultSettings(SettingsRecord);
    RegisterEngineKinds();
    StyleScope style;
    TEditor editor;
    editor.resize(1320, 780);
    auto project = std::make_unique<TRProject>();
    project->SetObjectName("Product Demo");
    project->SetProjectSize(1280, 720);
    project->SetTimeEnd(60000);
    editor.ClickProject(editor.AddProject(std::move(project)));
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    QWidget* bar = editor.PlayButton()->parentWidget()->parentWidget();
    const QImage stopped = bar->grab().toImage();
    Keep(stopped, "player_bar_stopped.png");
    EXPECT_EQ(HighlightPixels(editor.PlayButton()->grab().toImage()), 0);
    editor.Play();
    QTest::qWait(100);
    const QImage playing = bar->grab().toImage();
    Keep(playing, "player_bar_playing.png");
    EXPECT_GT(HighlightPixels(editor.PlayButton()->grab().toImage()), 20);
    editor.Stop();

    for (QMenu* menu : {editor.PlaybackSpeedMenu(), editor.Menu(0)}) {
        editor.UpdateFileActions();
        menu->popup(editor.mapToGlobal(QPoint(300, 300)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        const QImage shot = menu->grab().toImage();
        Keep(shot, menu == editor.Menu(0) ? "file_menu.png" : "playback_speed_menu.png");
        EXPECT_LT(MeanGray(shot), 110.0);
        menu->hide();
    }

    Tnewblankproject dialog(&editor);
    dialog.Load("Untitled Project 2", 1280, 720);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QImage shot = dialog.grab().toImage();
    Keep(shot, "new_blank_project.png");
    EXPECT_LT(MeanGray(shot), 110.0);
}

} // namespace
