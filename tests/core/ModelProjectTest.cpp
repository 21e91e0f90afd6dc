// The project object: a new project's state, ids, tracks, the project end, the playhead
// forwarded to every object, markers, neighbours and the object factory.

#include "core/UREditorServices.h"
#include "core/URProject.h"
#include "core/URPropProjectSize.h"
#include "core/URSettings.h"
#include "objects/URObjectsRegistry.h"

#include <gtest/gtest.h>

namespace {

// Default settings and the core groups, in place before the fixture's project is built.
struct ModelReady {
    ModelReady() {
        SetDefaultSettings(SettingsRecord);
        RegisterEngineKinds();
    }
};

class Projects : public testing::Test {
protected:
    // An object of the type on `track` spanning [start, end], added to the project.
    TRObject* Add(TRObjectType type, std::int32_t start, std::int32_t end, std::int32_t track = 0) {
        auto object = CreateObjectOfType(&project, type);
        object->SetTimeStartField(start);
        object->SetTimeEnd(end);
        object->SetTrack(track);
        return project.AddObject(std::move(object));
    }

    ModelReady ready;
    TRProject project;
};

TEST_F(Projects, NewProject) {
    EXPECT_EQ(project.ObjectType(), otProject);
    EXPECT_EQ(project.ObjectId(), 1);
    EXPECT_EQ(project.ObjectName(), "Untitled Project");
    EXPECT_EQ(project.Project(), &project);
    EXPECT_EQ(project.SelectedObject, &project);
    EXPECT_EQ(project.TimeStart(), 0);
    EXPECT_EQ(project.TimeEnd(), 5000);
    EXPECT_FALSE(project.Modified());
    std::int32_t width = 0, height = 0;
    project.GetProjectSize(width, height);
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 720);
    EXPECT_EQ(project.Get<TRPropProjectSize>(ptProjectSize)->OriginalWidth, 1280);
    EXPECT_TRUE(project.GetProperty(ptBackgroundFill)->Checked());
    EXPECT_TRUE(project.GetProperty(ptClosedCaptioning)->Checked());
    EXPECT_FALSE(project.GetProperty(ptProgressBar)->Checked());
    EXPECT_EQ(project.Transformations().size(), 1u);
    EXPECT_GT(project.InterfaceOptions.DateCreated, 45000); // a day after 2023
    EXPECT_EQ(project.InterfaceOptions.Timeline_PixelPS, 120);
    EXPECT_EQ(project.m_BrushOutside.Color, QColor(43, 51, 62));
    EXPECT_FLOAT_EQ(project.m_BrushOutside.Opacity, 0.7f);
}

TEST_F(Projects, ExportOptionsOfANewProject) {
    SettingsRecord.NormalizeLoudness = 1;
    SettingsRecord.TargetLoudness = -16;
    TRProject fresh;
    const TRProjectExportOptions& options = fresh.ExportOptions();
    EXPECT_EQ(options.Format, 1);
    EXPECT_TRUE(options.Html_Controls);
    EXPECT_EQ(options.Html_AtEnd_URL, "https://");
    EXPECT_EQ(options.MediaSpeed, 1000);
    EXPECT_EQ(options.FramePS, 30);
    EXPECT_EQ(options.FramePSGIF, 10);
    EXPECT_EQ(options.Quality, 80);
    EXPECT_EQ(options.GifColor, 0xFF00FF00u);
    EXPECT_EQ(options.AudioBitrateMP3, 4);
    EXPECT_TRUE(options.AudioNormalizeLoudness);
    EXPECT_EQ(options.AudioLoudness, -16.0f);
    EXPECT_EQ(options.AudioVolume, 1.0f);
}

TEST_F(Projects, SizeWithoutItsGroupFallsBack) {
    RegisterPropertyGroup(ptProjectSize, nullptr);
    TRProject bare;
    RegisterEngineKinds();
    std::int32_t width = 0, height = 0;
    bare.SetProjectSize(100, 100);
    bare.GetProjectSize(width, height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
}

TEST_F(Projects, ObjectsTakeTheirIdTrackAndStartFromTheProject) {
    project.SetTimePosition(2000);
    TRObject* first = project.AddObject(CreateObjectOfType(&project, otText));
    TRObject* second = project.AddObject(CreateObjectOfType(&project, otText));
    TRObject* image = project.AddObject(CreateObjectOfType(&project, otImage));
    EXPECT_EQ(first->ObjectId(), 1);
    EXPECT_EQ(second->ObjectId(), 2);
    EXPECT_EQ(image->ObjectId(), 1);
    EXPECT_EQ(first->TimeStart(), 2000);
    EXPECT_EQ(first->TimeEnd(), 7000);
    EXPECT_EQ(first->Track(), 0);
    EXPECT_EQ(second->Track(), 1);
    EXPECT_EQ(image->Track(), 2);
    EXPECT_EQ(first->TimePosition(), 2000);
}

TEST_F(Projects, NextIdIsOneAboveTheLargestOfItsType) {
    for (std::int32_t id : {1, 2, 5})
        Add(otShape, 0, 1000)->SetObjectId(id);
    EXPECT_EQ(project.GetNextId(otShape), 6);
    EXPECT_EQ(project.GetNextId(otAudio), 1);
    project.DeleteObject(project.FindObject(otShape, 5));
    EXPECT_EQ(project.GetNextId(otShape), 3);
}

TEST_F(Projects, FreeTrackSearch) {
    Add(otShape, 0, 5000, 0);
    EXPECT_EQ(project.GetNextTrack(5000, 8000), 1); // touching counts as busy
    EXPECT_EQ(project.GetNextTrack(5001, 8000), 0);
    EXPECT_EQ(project.GetNextTrack(1000, 2000), 1); // inside
    EXPECT_EQ(project.GetNextTrack(-100, 9000), 1); // around
    Add(otShape, 20000, 30000, 150);                // a track beyond the search counts as 0
    EXPECT_EQ(project.GetNextTrack(21000, 22000), 1);
    for (std::int32_t track = 0; track < SearchedTrackCount; ++track)
        Add(otShape, 40000, 50000, track);
    EXPECT_EQ(project.GetNextTrack(41000, 42000), 0);
}

TEST_F(Projects, ProjectEndGrowsAndShrinks) {
    TRObject* clip = Add(otShape, 0, 12000);
    project.UpdateTimeEnd();
    EXPECT_EQ(project.TimeEnd(), 11999);
    project.UpdateTimeEnd();
    EXPECT_EQ(project.TimeEnd(), 11999);
    clip->OffsetTime(3000); // moving a clip brings the end up to date
    EXPECT_EQ(project.TimeEnd(), 14999);

    project.DeleteObject(clip);
    Add(otShape, 0, 10000);
    project.SetTimeEnd(30000);
    project.SetTimePosition(20000);
    project.ShrinkTimeEnd();
    EXPECT_EQ(project.TimeEnd(), 20000); // never before the playhead
    project.SetTimePosition(0);
    project.ShrinkTimeEnd();
    EXPECT_EQ(project.TimeEnd(), 9999);
}

TEST_F(Projects, TimePositionReachesEveryObject) {
    TRObject* a = Add(otShape, 0, 4000);
    TRObject* b = Add(otAudio, 1000, 3000);
    project.SetTimePosition(2500);
    EXPECT_EQ(a->TimePosition(), 2500);
    EXPECT_EQ(b->TimePosition(), 2500);
    EXPECT_FLOAT_EQ(project.Progress, 0.5f);
    project.SetTimePosition(7500);
    EXPECT_FLOAT_EQ(project.Progress, 1.5f);
}

TEST_F(Projects, NeighboursOfThePlayhead) {
    TRObject* early = Add(otShape, 1000, 2000);
    TRObject* atPlayhead = Add(otShape, 3000, 4000);
    TRObject* late = Add(otShape, 5000, 6000);
    project.SetTimePosition(3000);
    EXPECT_EQ(project.GetNextObject(), late);
    EXPECT_EQ(project.GetPreviousObject(), early);
    project.SetTimePosition(0);
    EXPECT_EQ(project.GetPreviousObject(), nullptr);
    EXPECT_EQ(project.GetNextObject(), early);
    (void)atPlayhead;
}

TEST_F(Projects, MarkersInTimeOrderBetweenBeginningAndEnd) {
    TRMarkerObjectsArray markers;
    project.GetMarkerObjectsArray(markers);
    ASSERT_EQ(markers.size(), 2);
    EXPECT_EQ(markers[0].ObjectName, "Beginning");
    EXPECT_EQ(markers[1].ObjectCode, ObjectCodeEnd);

    TRObject* late = Add(otShape, 3000, 4000);
    TRObject* early = Add(otText, 1000, 2000);
    late->SetMarker(true);
    early->SetMarker(true);
    project.GetMarkerObjectsArray(markers);
    ASSERT_EQ(markers.size(), 4);
    EXPECT_EQ(markers[1].ObjectCode, otText * 1000 + 1);
    EXPECT_EQ(markers[2].ObjectTime, 3000);
    EXPECT_EQ(markers[3].ObjectTime, project.TimeEnd());
    EXPECT_EQ(project.GetMarkerTime(otShape * 1000 + 1), 3000);
    EXPECT_EQ(project.GetMarkerTime(ObjectCodeEnd), project.TimeEnd());
    project.DeleteObject(late);
    EXPECT_EQ(project.GetMarkerTime(otShape * 1000 + 1), 0);
}

TEST_F(Projects, MediaObjectsForAFill) {
    TRObject* image = Add(otImage, 0, 1000);
    Add(otVideo, 0, 1000);
    Add(otText, 0, 1000);
    Add(otScreenRecorder, 0, 1000);
    TRMediaObjectsArray media;
    project.GetMediaObjectsArray(image, media);
    ASSERT_EQ(media.size(), 2);
    EXPECT_EQ(media[0].ObjectCode, otVideo * 1000 + 1);
    EXPECT_EQ(media[1].ObjectCode, otScreenRecorder * 1000 + 1);
}

TEST_F(Projects, FactoryCreatesEveryKindWithItsType) {
    for (int type = otShape; type < otEnd; ++type) {
        const auto object = CreateObjectOfType(&project, type);
        ASSERT_TRUE(object) << type;
        EXPECT_EQ(object->ObjectType(), type);
        EXPECT_EQ(object->Project(), &project);
    }
    for (int type : {int{otBase}, int{otProject}, int{otEnd}, 99, -1})
        EXPECT_FALSE(CreateObjectOfType(&project, type)) << type;
}

TEST_F(Projects, RegisteredKindsAreUsed) {
    struct Caption : TRObject {
        Caption(TRProject* project, TRObjectType type) : TRObject(project, type) {}
    };
    RegisterObjectKind(otCaption, [](TRProject* owner, TRObjectType type) {
        return std::unique_ptr<TRObject>(std::make_unique<Caption>(owner, type));
    });
    EXPECT_TRUE(dynamic_cast<Caption*>(CreateObjectOfType(&project, otCaption).get()));
    RegisterObjectKind(otCaption, nullptr);
}

TEST_F(Projects, ModifiedFlagTellsTheView) {
    struct ViewServices : TREditorServices {
        TRProject* ActiveProject() const override { return nullptr; }
        void RepaintScene() override {}
        void ProjectViewChanged(TRProject&) override { ++calls; }
        int calls = 0;
    } services;
    InstallEditorServices(&services);
    project.SetModified(true);
    EXPECT_TRUE(project.Modified());
    project.SetModified(false);
    EXPECT_FALSE(project.Modified());
    EXPECT_EQ(services.calls, 2);
    InstallEditorServices(nullptr);
}

} // namespace
