// A recording folder as the recorder leaves it in a project's temporary folder, and what the
// recording tests share: the kinds and drawing objects, the program's click sound, and frames
// of a project painted as the export paints them.
#pragma once

#include "core/URProject.h"
#include "core/URServerMessages.h"
#include "core/URSettings.h"
#include "core/URTempFolders.h"
#include "core/URUtils.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropCursor.h"
#include "objects/kinds/URKindsRegistry.h"
#include "platform/render/Bitmap.h"
#include "platform/render/DeviceContext.h"
#include "tests/objects/SceneTestContext.h"
#include "tests/objects/kinds/recording/RecordingFiles.h"
#include "tests/support/SourcePaths.h"
#include "tests/support/audio/AudioFixtures.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace recordingtest {

constexpr int Width = 64, Height = 48;
constexpr int FrameMs = 100, Frames = 10;
// The first half of the recording is dark blue, the second green; the pointer is yellow.
constexpr std::uint32_t FirstHalf = 0x101060, SecondHalf = 0x50A050, PointerArgb = 0xFFFFFF00;
constexpr std::uint32_t LeftUp = 2, RightUp = 8;
// The pointer rests at (10, 10) until 250 ms, then at (40, 30); a left release at 400 ms and a
// right release at 700 ms.
inline const std::vector<recording::Sample> Samples{
    {0, 10, 10, 0, 0},        {250, 10, 10, 0, 0},       {300, 40, 30, 0, 0},
    {400, 40, 30, LeftUp, 0}, {700, 40, 30, RightUp, 0}, {950, 40, 30, 0, 0}};

class RecordingFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDefaultSettings(SettingsRecord);
        SetSettingsSaveEnabled(false);
        SetServerMessageSink([](const QString&, bool) { return QString(); });
        RegisterEngineKinds();
        RegisterDrawableKinds();
        savedTempRoot_ = TempRoot;
        savedCursorFolder_ = CursorFolder;
        TempRoot = dir_.filePath("QMBTemp/");
        CursorFolder = QString::fromUtf8(kTestsSourceDir) + "/../Depot/Cursor/";
        scene_ = std::make_unique<SceneTestContext>();
    }
    void TearDown() override {
        scene_.reset();
        CursorFolder = savedCursorFolder_;
        TempRoot = savedTempRoot_;
        SetServerMessageSink(nullptr);
        SetSettingsSaveEnabled(true);
    }

    // A recovery folder with the screen track, the cursor track of `samples` when
    // `withCursor`, and the system sound (a quiet 300 Hz tone).
    QString RecordingFolder(bool withCursor,
                            const std::vector<recording::Sample>& samples = Samples) {
        const QString folder = NewProjectTempFolder();
        EXPECT_FALSE(folder.isEmpty());
        recording::WriteScreenTrack(folder + "screen", Width, Height, Frames, FrameMs,
                                    [](int f) { return f < Frames / 2 ? FirstHalf : SecondHalf; });
        if (withCursor)
            recording::WriteBytes(folder + "screen.tcf",
                                  recording::CursorTrack({{8, 8, {}, PointerArgb}}, samples));
        fixtures::writeTone(folder + "sound.m4a", {"ipod", "aac", 44100, 2, 1.0, 300, 0.1, false});
        return folder;
    }

    // The project of a recovery folder; its one screen recording with the click sounds on
    // and the click rings off.
    std::unique_ptr<TRProject> Recovered(const QString& folder) {
        auto project = std::make_unique<TRProject>();
        EXPECT_EQ(project->OpenFromFile(folder), QString());
        for (const auto& object : project->Objects())
            if (object->ObjectType() == otScreenRecorder) {
                auto* cursor = object->Get<TRPropCursor>(ptCursor, true);
                cursor->SetChecked(true);
                cursor->FLSChecked = cursor->FRSChecked = true;
                cursor->FLEChecked = cursor->FREChecked = false;
            }
        return project;
    }

    // The canvas at `time`, as the export paints it.
    static QImage Frame(TRProject& project, std::int32_t time) {
        using namespace platform::render;
        const BitmapPtr target = Bitmap::create(
            {Width, Height}, {AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
        D2DContext->setTarget(target);
        D2DContext->beginDraw();
        D2DContext->setTransform(Matrix3x2::translation(Width / 2.0f, Height / 2.0f));
        project.PaintOnVideo(time, 0);
        EXPECT_TRUE(D2DContext->endDraw());
        D2DContext->setTarget(nullptr);
        return target->image().convertToFormat(QImage::Format_RGB32);
    }

    QTemporaryDir dir_;

private:
    std::unique_ptr<SceneTestContext> scene_;
    QString savedTempRoot_, savedCursorFolder_;
};

} // namespace recordingtest
