// Editing a project: a table of edits on a small project with their resulting spans and tracks
// and the undo/redo round trip of each, the refusals with their exact messages, the timeline's
// drag tests, selection and the object clipboard. The project's consistency is checked after
// every edit, undo and redo.

#include "CoreTestEnvironment.h"
#include "core/URProject.h"
#include "core/URProjectEdit.h"
#include "core/URPropMediaSpeed.h"
#include "core/URPropTransition.h"
#include "core/URTempFolders.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropPlacement.h"

#include <QFileInfo>
#include <functional>

namespace {

QStringList& Warnings() {
    static QStringList warnings;
    return warnings;
}

class ProjectEditTest : public CoreTestEnvironment {
protected:
    void SetUp() override {
        CoreTestEnvironment::SetUp();
        RegisterEngineKinds();
        TempRoot = path("tmp/QMBTemp/");
        project_ = std::make_unique<TRProject>();
        project_->TempFolder = NewProjectTempFolder();
        Warnings().clear();
        EditWarningHook = [](const QString& text) { Warnings() << text; };
    }
    void TearDown() override {
        EditWarningHook = nullptr;
        PropertiesClipboard.Objects.clear();
        PropertiesClipboard.SourceProject = nullptr;
    }

    TRObject* Clip(TRObjectType type, const QString& name, std::int32_t start, std::int32_t end,
                   std::int32_t track, TRProject* project = nullptr) {
        TRProject& p = project ? *project : *project_;
        TRObject* object = p.AddObject(CreateObjectOfType(&p, type));
        object->SetObjectName(name);
        object->SetTimeStartField(start);
        object->SetTimeEnd(end);
        object->SetTrack(track);
        p.UpdateTimeEnd();
        return object;
    }

    TRObject* Named(const QString& name) const {
        for (const auto& object : project_->Objects())
            if (object->ObjectName() == name)
                return object.get();
        return nullptr;
    }

    void ExpectConsistent(const char* when) const {
        EXPECT_EQ(project_->CheckConsistency(), QStringList()) << when;
    }

    std::unique_ptr<TRProject> project_;
};

// Every clip as "start-end@track", ordered by track and start.
QString Spans(const TRProject& project) {
    QStringList spans;
    std::vector<std::tuple<int, int, int>> all;
    for (const auto& object : project.Objects())
        all.emplace_back(object->Track(), object->TimeStart(), object->TimeEnd());
    std::sort(all.begin(), all.end());
    for (const auto& [track, start, end] : all)
        spans << QStringLiteral("%1-%2@%3").arg(start).arg(end).arg(track);
    return spans.join(' ');
}

struct EditCase {
    const char* Name;
    std::int32_t Playhead;
    std::function<void(TRProject&, const std::function<TRObject*(const char*)>&)> Edit;
    const char* Expected;
};

// The project of the table: A [0, 5000] and B [6000, 9000] on track 0, C [1000, 4000] and a
// video V [6000, 8000] with a sound file of its own on track 1.
TEST_F(ProjectEditTest, EditScenariosGiveTheirSpansAndUndoAndRedoRoundTrip) {
    const EditCase cases[] = {
        {"add at playhead", 2000, [](TRProject& p, auto&) { p.AddObjectOfType(otShape); },
         "0-5000@0 6000-9000@0 1000-4000@1 6000-8000@1 2000-7000@2"},
        {"split", 2500,
         [](TRProject& p, auto& at) {
             p.History_Increment();
             p.SplitObject(at("A"), false);
         },
         "0-2500@0 2500-5000@0 6000-9000@0 1000-4000@1 6000-8000@1"},
        {"trim end", 3000, [](TRProject& p, auto& at) { p.TrimObject(at("A"), true); },
         "0-3000@0 6000-9000@0 1000-4000@1 6000-8000@1"},
        {"trim front", 3000, [](TRProject& p, auto& at) { p.TrimObject(at("A"), false); },
         "3000-5000@0 6000-9000@0 1000-4000@1 6000-8000@1"},
        {"ripple delete", 0, [](TRProject& p, auto& at) { p.DeleteObject(at("A"), true); },
         "1000-4000@0 1000-4000@1 6000-8000@1"},
        // Split at 3000 and 2000, the middle pieces go, everything from 3000 on moves 1 s left.
        {"cut a range", 0, [](TRProject& p, auto&) { p.DeleteSelection(3000, 2000, true); },
         "0-2000@0 2000-4000@0 5000-8000@0 1000-2000@1 2000-3000@1 5000-7000@1"},
        {"move a multi-selection", 0,
         [](TRProject& p, auto& at) {
             at("A")->SetMultiSelect(true);
             at("C")->SetMultiSelect(true);
             EXPECT_TRUE(p.MoveMultiSelectOnTimeLine(500, 2));
         },
         "6000-9000@0 6000-8000@1 500-5500@2 1500-4500@3"},
        {"refused multi-selection move", 0,
         [](TRProject& p, auto& at) {
             at("B")->SetMultiSelect(true);
             EXPECT_FALSE(p.MoveMultiSelectOnTimeLine(0, 1));
         },
         "0-5000@0 6000-9000@0 1000-4000@1 6000-8000@1"},
        // Copies of A and C keep their spacing from the playhead; track 0 counts as busy.
        {"paste", 10000,
         [](TRProject& p, auto& at) {
             PropertiesClipboard.Objects = {at("A"), at("C")};
             PropertiesClipboard.EarliestStart = 0;
             PropertiesClipboard.IsCut = 0;
             PropertiesClipboard.SourceProject = &p;
             p.PasteObjectsFromClipboard();
         },
         "0-5000@0 6000-9000@0 1000-4000@1 6000-8000@1 10000-15000@1 11000-14000@2"},
        {"separate audio", 0,
         [](TRProject& p, auto& at) {
             p.SelectedObject = at("V");
             p.SeparateAudioVideo();
         },
         "0-5000@0 6000-9000@0 1000-4000@1 6000-8000@1 6000-8000@2"},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.Name);
        project_ = std::make_unique<TRProject>();
        Clip(otShape, "A", 0, 5000, 0);
        Clip(otShape, "B", 6000, 9000, 0);
        Clip(otText, "C", 1000, 4000, 1);
        Clip(otVideo, "V", 6000, 8000, 1)->SetAudioName("voice.m4a");
        project_->SetTimePosition(c.Playhead);
        project_->History_Init();
        const QString before = Spans(*project_);
        c.Edit(*project_, [this](const char* name) { return Named(name); });
        project_->UpdateTimeEnd();
        EXPECT_EQ(Spans(*project_), c.Expected);
        ExpectConsistent("after the edit");
        PropertiesClipboard.Objects.clear();
        if (before == c.Expected)
            continue;
        project_->History_Undo();
        EXPECT_EQ(Spans(*project_), before);
        ExpectConsistent("after undo");
        project_->History_Redo();
        EXPECT_EQ(Spans(*project_), c.Expected);
        ExpectConsistent("after redo");
    }
}

TEST_F(ProjectEditTest, SeparatedSoundTakesTheVideoSoundAndOneUndoGivesItBack) {
    TRObject* video = Clip(otVideo, "V", 2000, 8000, 0);
    video->SetAudioName("voice.m4a");
    project_->History_Init();
    project_->SelectedObject = video;
    project_->SeparateAudioVideo();
    ASSERT_EQ(project_->Objects().size(), 2u);
    const TRObject* audio = project_->Objects().back().get();
    EXPECT_EQ(audio->ObjectType(), otAudio);
    EXPECT_EQ(audio->MediaName(), "voice.m4a");
    EXPECT_TRUE(video->AudioName().isEmpty());
    EXPECT_EQ(project_->SelectedObject, audio);
    project_->History_Undo();
    EXPECT_EQ(project_->Objects().size(), 1u);
    EXPECT_EQ(project_->Objects().front()->AudioName(), "voice.m4a");
    // Without a sound file of its own nothing happens.
    project_->SelectedObject = project_->Objects().front().get();
    project_->Objects().front()->SetAudioName({});
    project_->SeparateAudioVideo();
    EXPECT_EQ(project_->Objects().size(), 1u);
}

TEST_F(ProjectEditTest, RefusedEditsShowTheirMessages) {
    const QString room = "There is not enough space on the timeline for this operation.\r"
                         "Please leave %1 seconds empty after the object.";
    // A freeze frame of 5 s after a video with a clip 3 s after its end.
    TRObject* video = Clip(otVideo, "V", 0, 5000, 0);
    Clip(otShape, "S", 8000, 9000, 0);
    project_->SetTimePosition(2000);
    project_->SplitObject(video, true);
    EXPECT_EQ(Warnings(), QStringList{room.arg(3)});
    EXPECT_EQ(Spans(*project_), "0-5000@0 8000-9000@0");

    Warnings().clear();
    project_ = std::make_unique<TRProject>();
    TRObject* clip = Clip(otVideo, "V", 0, 10000, 0);
    Clip(otShape, "S", 12000, 13000, 0);
    EXPECT_TRUE(project_->TestChangeSpeedObjectProperties(clip, 2000));
    EXPECT_FALSE(project_->TestChangeSpeedObjectProperties(clip, 500));
    EXPECT_EQ(Warnings(), QStringList{room.arg(9)});

    Warnings().clear();
    clip->AddNewTransformation(1000);
    clip->AddNewTransformation(1200);
    EXPECT_FALSE(project_->TestChangeSpeedObjectProperties(clip, 2000));
    EXPECT_EQ(Warnings(), QStringList{"The animations are too close for this operation.\r"
                                      "Please leave more space between them."});

    // A new speech of 6 s at double speed needs 3 s.
    Warnings().clear();
    project_ = std::make_unique<TRProject>();
    TRObject* speech = Clip(otAudioTTS, "T", 0, 1000, 0);
    speech->MediaSpeed()->SetSpeed(2000);
    TRObject* next = Clip(otShape, "S", 3000, 4000, 0);
    EXPECT_TRUE(project_->TestChangeTTSText(speech, 6000));
    next->SetTimeStartField(2999);
    EXPECT_FALSE(project_->TestChangeTTSText(speech, 6000));
    EXPECT_EQ(Warnings(), QStringList{room.arg(1)});
    // The same speed refused without a message, and a speed of 0 never divides.
    Warnings().clear();
    EXPECT_FALSE(project_->TestChangeSpeedObjectProperties(speech, 2000));
    EXPECT_FALSE(project_->TestChangeSpeedObjectProperties(speech, 0));
    EXPECT_TRUE(Warnings().isEmpty());
}

TEST_F(ProjectEditTest, TimelineDragTestsAnswerAtTheirLimits) {
    TRObject* a = Clip(otShape, "A", 1000, 3000, 0);
    Clip(otShape, "B", 5000, 7000, 0);
    EXPECT_FALSE(project_->TestMoveObjectTimeline(a, 0));
    EXPECT_TRUE(project_->TestMoveObjectTimeline(a, 2000)); // ends where B starts
    EXPECT_FALSE(project_->TestMoveObjectTimeline(a, 2001));
    EXPECT_TRUE(project_->TestMoveObjectTimeline(a, -5000)); // as if moved to 0
    EXPECT_TRUE(project_->TestExtendRightObjectTimeline(a, 2000));
    EXPECT_FALSE(project_->TestExtendRightObjectTimeline(a, 2001));
    EXPECT_FALSE(project_->TestExtendLeftObjectTimeline(a, -1001));
    // Only the transition-out of 500 ms: a clip of 400 ms is refused from either side.
    a->TrIn()->SetChecked(false);
    a->TrOut()->SetChecked(true);
    a->TrOut()->FDuration = 500;
    EXPECT_FALSE(project_->TestExtendLeftObjectTimeline(a, 1600));
    EXPECT_FALSE(project_->TestExtendRightObjectTimeline(a, -1600));
    EXPECT_TRUE(project_->TestExtendRightObjectTimeline(a, -1500));
    a->TrOut()->SetChecked(false);
    // The animation into the second keyframe starts at 1500 (start + 1000 - 500).
    a->AddNewTransformation(1000);
    a->TransformationAt(1).AnimateDuration = 500;
    EXPECT_TRUE(project_->TestExtendLeftObjectTimeline(a, 400));
    EXPECT_FALSE(project_->TestExtendLeftObjectTimeline(a, 401));

    std::int32_t speed = 0;
    TRObject* c = Clip(otVideo, "C", 0, 10000, 1);
    EXPECT_TRUE(project_->TestChangeSpeedObjectTimeline(c, 5000, speed));
    EXPECT_EQ(speed, 660);
    EXPECT_FALSE(project_->TestChangeSpeedObjectTimeline(c, 30040, speed));
    EXPECT_EQ(speed, 249);

    // A clip on a track beyond the searched ones counts on track 0; the clip's own track is
    // busy with itself.
    TRObject* late = Clip(otShape, "Late", 20000, 21000, 5);
    EXPECT_TRUE(project_->TestChangeObjectTrack(late, 0));
    Clip(otShape, "Far", 20500, 30000, 150);
    EXPECT_FALSE(project_->TestChangeObjectTrack(late, 0));
    EXPECT_FALSE(project_->TestChangeObjectTrack(late, 5));
    EXPECT_TRUE(project_->TestChangeObjectTrack(late, 2));
}

TEST_F(ProjectEditTest, OverlapsResolveOneAtATimeAndAddsNeverOverlap) {
    Clip(otShape, "A", 0, 5000, 0);
    TRObject* b = Clip(otShape, "B", 4000, 9000, 0);
    EXPECT_TRUE(project_->CheckConsistency().size() == 1);
    EXPECT_TRUE(project_->CheckAndResolveOverlap());
    EXPECT_EQ(b->Track(), 1);
    EXPECT_FALSE(project_->CheckAndResolveOverlap());
    ExpectConsistent("resolved");
    // A new clip at the playhead lands on a free track.
    project_->SetTimePosition(5000);
    TRObject* added = project_->AddObjectOfType(otShape);
    EXPECT_EQ(added->Track(), 2);
    ExpectConsistent("added");
}

TEST_F(ProjectEditTest, SplitAllTrimProjectAndInsertTime) {
    Clip(otShape, "A", 0, 3000, 0);
    Clip(otShape, "B", 6000, 9000, 0);
    Clip(otShape, "C", 1000, 1400, 1); // too short to split
    project_->SetTimePosition(1200);
    EXPECT_FALSE(project_->CanSplitAll(false));
    project_->SetTimePosition(2000);
    EXPECT_TRUE(project_->CanSplitAll(false));
    project_->History_Increment();
    project_->SplitAllObjects();
    EXPECT_EQ(Spans(*project_), "0-2000@0 2000-3000@0 6000-9000@0 1000-1400@1");
    ExpectConsistent("split all");

    project_ = std::make_unique<TRProject>();
    Clip(otShape, "A", 0, 5000, 0);
    Clip(otShape, "B", 6000, 9000, 0);
    project_->SetTimePosition(4000);
    project_->History_Init();
    const std::int32_t end = project_->TimeEnd();
    project_->TrimProject(false);
    EXPECT_EQ(Spans(*project_), "0-1000@0 2000-5000@0");
    EXPECT_EQ(project_->TimeEnd(), end - 4000);
    ExpectConsistent("trim front");
    project_->History_Undo();
    EXPECT_EQ(Spans(*project_), "0-5000@0 6000-9000@0");

    project_->InsertTime(6000, 1000);
    EXPECT_EQ(Spans(*project_), "0-5000@0 7000-10000@0");
    ExpectConsistent("insert time");
}

TEST_F(ProjectEditTest, RippleDeletesCloseTheirGaps) {
    TRObject* a = Clip(otShape, "A", 2000, 5000, 1);
    Clip(otShape, "B", 6000, 7000, 1);
    Clip(otShape, "C", 6000, 7000, 2);
    project_->DeleteObject(a, true);
    EXPECT_EQ(Spans(*project_), "3000-4000@1 6000-7000@2");
    EXPECT_EQ(project_->TimePosition(), 2000);
    ExpectConsistent("ripple");

    project_ = std::make_unique<TRProject>();
    Clip(otShape, "A", 0, 3000, 0)->SetMultiSelect(true);
    Clip(otShape, "B", 0, 5000, 1)->SetMultiSelect(true);
    Clip(otShape, "C", 5000, 10000, 1);
    const std::int32_t end = project_->TimeEnd();
    project_->DeleteMultiSelect(true);
    EXPECT_EQ(Spans(*project_), "0-5000@1");
    EXPECT_EQ(project_->TimeEnd(), end - 5000);
    ExpectConsistent("ripple multi");
    // A selection beyond the project end does nothing.
    project_->DeleteSelection(1000, project_->TimeEnd() + 1, false);
    EXPECT_EQ(Spans(*project_), "0-5000@1");
}

TEST_F(ProjectEditTest, SelectionAndRubberBands) {
    TRObject* a = Clip(otShape, "A", 0, 2000, 0);
    TRObject* b = Clip(otShape, "B", 0, 5000, 1);
    project_->SetTimePosition(2000);
    project_->SelectAll();
    EXPECT_TRUE(a->MultiSelect() && b->MultiSelect());
    EXPECT_TRUE(project_->HasMultiSelect());
    EXPECT_EQ(project_->SelectedObject, project_.get());
    EXPECT_TRUE(project_->UnSelectAll());
    EXPECT_FALSE(project_->UnSelectAll());

    // Both clips sit at the centre of the frame (240 x 135): a band over the centre drawn
    // either way selects both; the single flagged one becomes the selection.
    for (const QRectF band :
         {QRectF(QPointF(-10, -10), QPointF(10, 10)), QRectF(QPointF(10, 10), QPointF(-10, -10))}) {
        project_->rectMultiSelect = band;
        project_->ComputeMultiSelect();
        EXPECT_EQ(project_->UpdateMultiSelect(), 2);
    }
    project_->rectMultiSelect = QRectF(QPointF(500, 500), QPointF(400, 400));
    project_->ComputeMultiSelect();
    EXPECT_EQ(project_->UpdateMultiSelect(), 0);

    a->rectTimeline = QRectF(10, 10, 50, 20);
    b->rectTimeline = QRectF(10, 40, 50, 20);
    project_->ComputeMultiSelectOnTimeline(QRectF(QPointF(70, 35), QPointF(20, 45)));
    EXPECT_FALSE(a->MultiSelect());
    EXPECT_EQ(project_->SelectedObject, b);
    // Rectangles that only touch do not count.
    project_->ComputeMultiSelectOnTimeline(QRectF(60, 0, 10, 100));
    EXPECT_EQ(project_->SelectedObject, project_.get());
}

TEST_F(ProjectEditTest, MultiSelectionMovesBeyondTheShownTracks) {
    TRObject* a = Clip(otShape, "A", 0, 1000, 19);
    TRObject* old = Clip(otShape, "Old", 0, 1000, 25); // from an old file
    a->SetMultiSelect(true);
    EXPECT_FALSE(project_->MoveMultiSelectOnTimeLine(0, 1));
    EXPECT_TRUE(project_->MoveMultiSelectOnTimeLine(1000, 0));
    old->SetMultiSelect(true);
    EXPECT_TRUE(project_->MoveMultiSelectOnTimeLine(500, -1));
    EXPECT_EQ(Spans(*project_), "1500-2500@18 500-1500@24");
    ExpectConsistent("moved");
}

TEST_F(ProjectEditTest, ClipboardAcrossProjects) {
    auto other = std::make_unique<TRProject>();
    other->TempFolder = NewProjectTempFolder();
    TRObject* source = Clip(otVideo, "V", 3000, 5000, 0, other.get());
    source->SetMediaName("screen.mp4");
    source->SetAudioName("screen.m4a");
    for (const char* file : {"screen.mp4", "screen.m4a", "screen.waveform"}) {
        QFile f(other->TempFolder + file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(file);
    }
    Clip(otShape, "W", 4000, 6000, 1, other.get());
    PropertiesClipboard.Objects = {source};
    PropertiesClipboard.SourceProject = other.get();
    PropertiesClipboard.EarliestStart = 3000;
    PropertiesClipboard.IsCut = 1;
    project_->SetTimePosition(10000);
    project_->History_Init();
    other->History_Init();
    TRObject* pasted = project_->PasteObjectsFromClipboard();
    ASSERT_NE(pasted, nullptr);
    EXPECT_EQ(Spans(*project_), "10000-12000@1");
    EXPECT_EQ(Spans(*other), "4000-6000@1");
    EXPECT_TRUE(PropertiesClipboard.Objects.isEmpty());
    // Media and sound are copied under names of their own, each with its own caches.
    EXPECT_NE(pasted->MediaName(), "screen.mp4");
    EXPECT_NE(QFileInfo(pasted->MediaName()).completeBaseName(),
              QFileInfo(pasted->AudioName()).completeBaseName());
    EXPECT_TRUE(QFile::exists(project_->TempFolder + pasted->MediaName()));
    EXPECT_TRUE(QFile::exists(project_->TempFolder + pasted->AudioName()));
    EXPECT_TRUE(QFile::exists(project_->TempFolder +
                              QFileInfo(pasted->AudioName()).completeBaseName() + ".waveform"));
    ExpectConsistent("pasted");
    EXPECT_EQ(other->CheckConsistency(), QStringList());
    // The cut is one undo step of the other project.
    other->History_Undo();
    EXPECT_EQ(Spans(*other), "3000-5000@0 4000-6000@1");

    // A closing project takes its objects out of the clipboard.
    PropertiesClipboard.Objects = {other->Objects().front().get()};
    PropertiesClipboard.SourceProject = other.get();
    other.reset();
    EXPECT_TRUE(PropertiesClipboard.Objects.isEmpty());
    EXPECT_EQ(PropertiesClipboard.SourceProject, nullptr);
    EXPECT_EQ(project_->PasteObjectsFromClipboard(), nullptr);
}

TEST_F(ProjectEditTest, ArrangeMovesOneVisibleStep) {
    TRObject* audio = Clip(otAudio, "Sound", 0, 5000, 0);
    TRObject* a = Clip(otShape, "A", 0, 5000, 1);
    TRObject* b = Clip(otShape, "B", 0, 5000, 2);
    project_->SelectedObject = b;
    project_->Arrange(1); // already on top
    EXPECT_EQ(project_->IndexOfObject(b), 2);
    project_->Arrange(2); // under A, which it covers
    EXPECT_EQ(project_->IndexOfObject(b), 1);
    EXPECT_EQ(project_->IndexOfObject(a), 2);
    project_->Arrange(3);
    EXPECT_EQ(project_->IndexOfObject(b), 0);
    EXPECT_EQ(project_->IndexOfObject(audio), 1);
    project_->Arrange(0);
    EXPECT_EQ(project_->IndexOfObject(b), 2);
    std::int32_t pos = 0, total = 0;
    project_->SetTimePosition(100);
    project_->HelperArrange(pos, total);
    EXPECT_EQ(pos, total);
}

// Places a shape's picture in the scene.
TRObject* Placed(TRObject* object, QPointF at, QSizeF size) {
    auto* placement = object->Get<TRPropPlacement>(ptPlacement);
    placement->FPosition = at;
    placement->FSize = size;
    return object;
}

TEST_F(ProjectEditTest, ArrangeComparesSceneOutlinesAndUndoesInOneStep) {
    // A and C cover each other at the left of the frame, B lies apart at the right.
    TRObject* a = Placed(Clip(otShape, "A", 0, 5000, 0), {-300, 0}, {100, 100});
    TRObject* b = Placed(Clip(otShape, "B", 0, 5000, 1), {300, 0}, {100, 100});
    TRObject* c = Placed(Clip(otShape, "C", 0, 5000, 2), {-280, 20}, {100, 100});
    project_->History_Init();
    project_->SelectedObject = a;
    project_->Arrange(1); // over C, passing B, which it does not touch
    EXPECT_EQ(project_->IndexOfObject(b), 0);
    EXPECT_EQ(project_->IndexOfObject(c), 1);
    EXPECT_EQ(project_->IndexOfObject(a), 2);
    project_->SelectedObject = b;
    project_->Arrange(2); // nothing below it overlaps: one place down
    EXPECT_EQ(project_->IndexOfObject(b), 0);
    project_->SelectedObject = c;
    project_->Arrange(0);
    EXPECT_EQ(project_->IndexOfObject(c), 2);
    ExpectConsistent("after arranging");
    // Each arrangement is one undo step; redo repeats it.
    project_->History_Undo();
    EXPECT_EQ(project_->IndexOfObject(c), 1);
    project_->History_Undo();
    EXPECT_EQ(project_->IndexOfObject(a), 0);
    EXPECT_EQ(project_->IndexOfObject(b), 1);
    EXPECT_EQ(project_->IndexOfObject(c), 2);
    EXPECT_FALSE(project_->History_CanUndo());
    project_->History_Redo();
    EXPECT_EQ(project_->IndexOfObject(a), 2);
    ExpectConsistent("after undo and redo");
}

std::vector<TRSceneHelperLine>& SceneGuides() {
    static std::vector<TRSceneHelperLine> guides;
    return guides;
}

std::vector<std::int32_t>& TimelineGuides() {
    static std::vector<std::int32_t> guides;
    return guides;
}

TEST_F(ProjectEditTest, SnapGuidesOfTheSceneAndTheTimeline) {
    SceneGuides().clear();
    TimelineGuides().clear();
    SceneHelperLineHook = [](TRProject&, const TRSceneHelperLine& line) {
        SceneGuides().push_back(line);
    };
    TimelineHelperLineHook = [](TRProject&, std::int32_t time) {
        TimelineGuides().push_back(time);
    };
    TRObject* selected = Placed(Clip(otShape, "S", 0, 5000, 0), {0, 0}, {100, 100});
    // 20.5 px apart across rounds to 20 (halves to even) and counts; 21 px does not.
    Placed(Clip(otShape, "Near", 0, 5000, 1), {20.5, 300}, {100, 100});
    Placed(Clip(otShape, "Far", 0, 5000, 2), {-21, 300}, {100, 100});
    // A keyframe at 3000 moves the selected object to (50, 40).
    selected->AddNewTransformation(3000);
    TRTransformation& key = selected->TransformationAt(1);
    key.Properties->Get<TRPropPlacement>(ptPlacement)->FPosition = {50, 40};
    key.AnimateDuration = 500;
    project_->SetTimePosition(1000);
    project_->SelectedObject = selected;
    project_->ComputeSceneHelperLines();
    ASSERT_EQ(SceneGuides().size(), 3U);
    // To the next keyframe, snapping by P - Q.
    EXPECT_EQ(SceneGuides()[0].To, QPointF(50, 40));
    EXPECT_FLOAT_EQ(SceneGuides()[0].SnapX, -50);
    EXPECT_FLOAT_EQ(SceneGuides()[0].SnapY, -40);
    EXPECT_TRUE(SceneGuides()[0].Selected);
    // Itself, then the near object.
    EXPECT_FLOAT_EQ(SceneGuides()[1].SnapX, 0);
    EXPECT_EQ(SceneGuides()[2].To, QPointF(20.5, 300));
    EXPECT_FLOAT_EQ(SceneGuides()[2].SnapX, -20);
    EXPECT_FALSE(SceneGuides()[2].Selected);

    // Timeline: the other clips' edges, transition ends and keyframe animations, to the ms.
    TRObject* other = Clip(otShape, "T", 6000, 9000, 0);
    other->TrIn()->SetChecked(true);
    other->TrIn()->FDuration = 500;
    other->TrOut()->SetChecked(false);
    other->AddNewTransformation(2000);
    other->TransformationAt(1).AnimateDuration = 300;
    for (std::int32_t time : {6000, 9000, 6500, 7700, 8000, 6501, 3000, 5000})
        project_->ComputeTimeLineHelperLines(time);
    // 5000 is the selected clip's own end and 3000 its keyframe: the selected clip is left out;
    // the other shapes end at 5000 too.
    EXPECT_EQ(TimelineGuides(), (std::vector<std::int32_t>{6000, 9000, 6500, 7700, 8000, 5000}));
    SceneHelperLineHook = nullptr;
    TimelineHelperLineHook = nullptr;
}

TEST_F(ProjectEditTest, MultiSelectionPropertiesAndPastingThem) {
    TRPropertiesChecked props{};
    project_->ComputeMultiSelectProperties(props);
    EXPECT_TRUE(std::all_of(props.begin(), props.end(), [](bool b) { return b; }));
    TRObject* shape = Clip(otShape, "S", 0, 5000, 0);
    TRObject* text = Clip(otText, "T", 0, 5000, 1);
    shape->SetMultiSelect(true);
    text->SetMultiSelect(true);
    project_->ComputeMultiSelectProperties(props);
    for (TRPropertyType type :
         {ptPlacement, ptShape, ptBackgroundFill, ptBackgroundBorder, ptShadow, ptReflection,
          ptEffect, ptTrIn, ptTrOut, ptHTMLMarker, ptInteractivity})
        EXPECT_TRUE(props[type]) << int(type);
    for (TRPropertyType type : {ptText, ptName, ptBase, ptAudioV})
        EXPECT_FALSE(props[type]) << int(type);

    // The transition-in of a third object goes into both, its transition-out does not; one
    // undo takes the paste back.
    const std::int32_t before = shape->TrIn()->FDuration;
    const std::int32_t out = shape->TrOut()->FDuration;
    TRObject* source = Clip(otShape, "Source", 0, 5000, 2);
    source->TrIn()->FDuration = 1200;
    source->TrOut()->FDuration = 900;
    source->CopyCurrentPropertiesToClipBoard();
    project_->History_Init();
    TRPropertiesChecked onlyTrIn{};
    onlyTrIn[ptTrIn] = true;
    project_->MultiSelectPastePropertiesFromClipboard(onlyTrIn);
    EXPECT_EQ(shape->TrIn()->FDuration, 1200);
    EXPECT_EQ(text->TrIn()->FDuration, 1200);
    EXPECT_EQ(shape->TrOut()->FDuration, out);
    project_->History_Undo();
    EXPECT_EQ(Named("S")->TrIn()->FDuration, before);
    EXPECT_EQ(Named("T")->TrIn()->FDuration, before);
    EXPECT_FALSE(project_->History_CanUndo());
    ExpectConsistent("after undoing the paste");
    PropertiesClipboard = TRPropertiesClipboard{};
}

// The media kinds of a recording as far as adding it needs: each takes its raw track by
// renaming it, as the real kinds do, and notes which raw files it took.
QString TakeRaw(TRObject& object, const QString& fileName) {
    if (fileName.isEmpty())
        return {};
    const QFileInfo raw(fileName);
    if (!raw.exists())
        throw std::runtime_error("missing");
    const QString taken =
        raw.path() + "/m" + QString::number(object.ObjectId()) + "_1_" + raw.fileName();
    if (!QFile::rename(fileName, taken))
        throw std::runtime_error("not taken");
    return raw.fileName();
}

class FakeRecording : public TRObject {
public:
    using TRObject::TRObject;
    bool LoadMedia(const QString&, std::int32_t& width, std::int32_t& height,
                   const QString& audio) override {
        const QString folder = Project()->TempFolder;
        try {
            SetMediaName(TakeRaw(*this, folder + "screen.tvf"));
            SetAudioName(TakeRaw(*this, audio));
        } catch (const std::exception&) {
            return false;
        }
        width = 1920;
        height = 1080;
        SetTimeEnd(TimeStart() + 8000);
        return true;
    }
    bool LoadCamera(std::int32_t& width, std::int32_t& height, std::int32_t, std::int32_t,
                    const QString& audio) override {
        const QString folder = Project()->TempFolder;
        try {
            SetMediaName(TakeRaw(*this, folder + "camera.mp4"));
            SetAudioName(TakeRaw(*this, audio));
        } catch (const std::exception&) {
            return false;
        }
        width = 640;
        height = 480;
        SetTimeEnd(TimeStart() + 8000);
        return true;
    }
};

class FakeSound : public TRObject {
public:
    using TRObject::TRObject;
    bool LoadMedia(const QString& fileName, std::int32_t&, std::int32_t&, const QString&) override {
        try {
            SetMediaName(TakeRaw(*this, fileName));
        } catch (const std::exception&) {
            return false;
        }
        SetTimeEnd(TimeStart() + 9000);
        return true;
    }
};

template <class T> std::unique_ptr<TRObject> Make(TRProject* project, TRObjectType type) {
    return std::make_unique<T>(project, type);
}

// Installs the media kinds above for one test and takes them out again.
struct FakeMediaKinds {
    FakeMediaKinds() {
        RegisterObjectKind(otScreenRecorder, Make<FakeRecording>);
        RegisterObjectKind(otVideo, Make<FakeRecording>);
        RegisterObjectKind(otAudio, Make<FakeSound>);
    }
    ~FakeMediaKinds() {
        for (TRObjectType type : {otScreenRecorder, otVideo, otAudio})
            RegisterObjectKind(type, nullptr);
    }
};

TEST_F(ProjectEditTest, RecordingsBecomeObjectsInOneUndoStep) {
    const FakeMediaKinds kinds;
    struct Case {
        bool Screen, Camera, Mic, Sound;
        const char* Objects; // type:media+audio, in list order
        int Width;
    };
    const Case cases[] = {
        {true, false, false, false, "5:screen.tvf+", 1920},
        {true, false, true, false, "5:screen.tvf+mic.m4a", 1920},
        {true, false, true, true, "5:screen.tvf+sound.m4a Voice:mic.m4a+", 1920},
        {true, true, true, true, "5:screen.tvf+sound.m4a Camera:camera.mp4+mic.m4a", 1920},
        {true, true, false, true, "5:screen.tvf+sound.m4a Camera:camera.mp4+", 1920},
        {false, true, true, true, "Camera:camera.mp4+mic.m4a Sound:sound.m4a+", 640},
        {false, true, false, true, "Camera:camera.mp4+sound.m4a", 640},
        {false, false, true, true, "Voice:mic.m4a+ Sound:sound.m4a+", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Objects);
        project_ = std::make_unique<TRProject>();
        project_->TempFolder = NewProjectTempFolder();
        Clip(otShape, "Before", 0, 3000, 0);
        for (const char* raw : {"screen.tvf", "camera.mp4", "mic.m4a", "sound.m4a"}) {
            QFile file(project_->TempFolder + raw);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        project_->SetTimePosition(1000);
        project_->History_Init();
        std::int32_t w = -1, h = -1;
        TRObject* selected = nullptr;
        ASSERT_TRUE(
            project_->AddScreenRecorder(c.Screen, c.Camera, c.Mic, c.Sound, w, h, selected));
        EXPECT_EQ(w, c.Width);
        QStringList objects;
        for (const auto& object : project_->Objects()) {
            if (object->ObjectName() == "Before")
                continue;
            const QString name = object->ObjectName();
            const QString kind = name.isEmpty() ? QString::number(object->ObjectType())
                                                : name.left(name.indexOf(' '));
            objects << kind + ":" + object->MediaName() + "+" + object->AudioName();
            EXPECT_EQ(object->TimeStart(), 1000);
        }
        EXPECT_EQ(objects.join(' '), c.Objects);
        EXPECT_EQ(selected, project_->Objects()[1].get());
        ExpectConsistent("after adding the recording");
        project_->History_Undo();
        EXPECT_EQ(project_->Objects().size(), 1U);
        EXPECT_FALSE(project_->History_CanUndo());
    }
    // A camera without its file adds nothing.
    QFile::remove(project_->TempFolder + "camera.mp4");
    std::int32_t w = -1, h = -1;
    TRObject* selected = project_.get();
    EXPECT_FALSE(project_->AddScreenRecorder(false, true, false, false, w, h, selected));
    EXPECT_EQ(selected, nullptr);
    EXPECT_EQ(w, 0);
}

} // namespace
