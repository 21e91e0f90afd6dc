// The editor on the X server with clips on several tracks and a rotated image selected: the
// timeline shows its ruler, tracks, clips, playhead and End in the dark style. The picture is
// kept with TAVRIN_GALLERY_DIR for looking at.
#include "core/URProject.h"
#include "core/URPropTransition.h"
#include "core/URSettings.h"
#include "editor/ui/UEditor.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropPlacement.h"
#include "tests/editor/TimelineTestSupport.h"
#include "tests/support/StyleScope.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(TimelineShot, ClipsOnSeveralTracksAndARotatedImageSelected) {
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("config")));
    SetDefaultSettings(SettingsRecord);
    RegisterEngineKinds();
    StyleScope style;
    SceneContextScope scene;
    TEditor editor;
    editor.resize(1320, 780);
    auto owned = std::make_unique<TRProject>();
    TRProject* project = owned.get();
    project->SetObjectName("Product Demo");
    project->SetProjectSize(1280, 720);
    project->SetTimeEnd(9000);
    editor.AddProject(std::move(owned));
    const struct {
        TRObjectType Type;
        const char* Name;
        int Track, Start, End;
    } clips[] = {{otImage, "Screenshot.png", 0, 0, 6000},
                 {otShape, "Callout", 1, 1500, 4500},
                 {otText, "Title", 2, 500, 3000},
                 {otShape, "Arrow", 2, 4000, 7000},
                 {otShape, "Highlight", 3, 2500, 8500}};
    TRObject* image = nullptr;
    for (const auto& c : clips) {
        TRObject* clip = project->AddObject(CreateObjectOfType(project, c.Type));
        clip->SetObjectName(c.Name);
        clip->SetTrack(c.Track);
        clip->SetTimeStartField(c.Start);
        clip->SetTimeEnd(c.End);
        clip->TrIn()->SetChecked(c.Track == 1);
        clip->TrIn()->FDuration = 500;
        image = image ? image : clip;
    }
    auto* placement = image->Get<TRPropPlacement>(ptPlacement, true);
    placement->FSize = placement->FOriginalSize = QSizeF(960, 540);
    placement->FRotationZ = 15;
    editor.ClickProject(1);
    editor.SetSelectedObject(image, true);
    editor.SetPlayHead(2000);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    QTest::qWait(300);
    const QImage shot = editor.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QString folder = qEnvironmentVariable("TAVRIN_GALLERY_DIR");
    if (!folder.isEmpty())
        shot.save(QDir(folder).filePath("editor_timeline.png"));
    // The timeline's own colours: the tracks, and the playhead's highlight at 2000 ms.
    const QPoint origin = editor.Timeline.mapTo(&editor, QPoint(0, 0));
    const TRTimeline& t = editor.Timeline;
    const int playheadX = origin.x() + t.LeftSpace + 240;
    EXPECT_EQ(shot.pixelColor(playheadX, origin.y() + 5).green(), 150) << "playhead handle";
    EXPECT_EQ(shot.pixelColor(origin.x() + t.LeftSpace + 745, origin.y() + 45),
              QColor(0x20, 0x26, 0x2F))
        << "an empty track";
}

} // namespace
