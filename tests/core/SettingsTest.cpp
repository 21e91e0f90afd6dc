#include "CoreTestEnvironment.h"
#include "tests/support/BoundedRun.h"

#include <QFileInfo>
#include <cstring>
#include <functional>
#include <limits>
#include <sys/stat.h>
#include <variant>

namespace {

using SettingsTest = CoreTestEnvironment;

QByteArray bytesOf(const TSettingsRecord& record) {
    return QByteArray(reinterpret_cast<const char*>(&record), SettingsRecordSize);
}

template <typename T> T valueAt(const QByteArray& bytes, int offset) {
    T value;
    std::memcpy(&value, bytes.constData() + offset, sizeof(T));
    return value;
}

QString shortStringAt(const QByteArray& bytes, int offset) {
    const int length = static_cast<unsigned char>(bytes[offset]);
    return QString::fromUtf8(bytes.constData() + offset + 1, length);
}

// One stored field: where it is and what the defaults put there.
struct StoredField {
    const char* name;
    int offset;
    std::variant<std::uint8_t, std::int32_t, std::uint32_t, float, double, const char*> expected;
};

const StoredField DefaultFields[] = {
    {"CheckUpdates", 0, std::uint8_t(1)},
    {"ShowRecorderWizard", 1, std::uint8_t(1)},
    {"ShowVideoWizard", 2, std::uint8_t(1)},
    {"ConfirmDelete", 3, std::uint8_t(1)},
    {"ConfirmTrim", 4, std::uint8_t(1)},
    {"ConfirmSplit", 5, std::uint8_t(1)},
    {"NormalizeLoudness", 6, std::uint8_t(0)},
    {"TargetLoudness", 8, -14.0f},
    {"DefaultObjectDuration", 12, std::int32_t(5)},
    {"DefaultTransitionDuration", 16, std::int32_t(500)},
    {"DefaultAnimationDuration", 20, std::int32_t(500)},
    {"CopySamplesPending", 280, std::uint8_t(1)},
    {"PropertiesLayout", 284, std::int32_t(1)},
    {"FloatingInspector", 288, std::uint8_t(0)},
    {"width", 292, std::int32_t(1280)},
    {"height", 296, std::int32_t(720)},
    {"TTSSettings.API", 9004, std::int32_t(0)},
    {"TTSSettings.SAPI_Voice", 9008, ""},
    {"TTSSettings.SAPI_Rate", 9264, std::int32_t(0)},
    {"TTSSettings.SAPI_Volume", 9268, std::int32_t(100)},
    {"TTSSettings.Google_Language", 9272, "en-US"},
    {"TTSSettings.Google_VoiceDesc", 9528, "Standard-A   MALE"},
    {"TTSSettings.Google_Rate", 9784, std::int32_t(100)},
    {"TTSSettings.Google_Volume", 9788, std::int32_t(0)},
    {"TTSExportFilter", 9792, std::int32_t(1)},
    {"FrameExportFilter", 9796, std::int32_t(2)},
    {"AudioExportFilter", 9800, std::int32_t(1)},
    {"AlignToSelection", 9804, std::uint8_t(0)},
    {"GoogleDriveUser", 9805, ""},
    {"GoogleDriveFolder", 10061, ""},
    {"SketchToolColors[dtNone]", 10320, std::uint32_t(0x1FFFFFFF)},
    {"SketchToolColors[dtLine]", 10324, std::uint32_t(0x0000FF)},
    {"SketchToolColors[dtHighlighter]", 10344, std::uint32_t(0xA0FFFF)},
    {"SketchToolSizes[dtNone]", 10364, std::uint8_t(0)},
    {"SketchToolSizes[dtHighlighter]", 10370, std::uint8_t(10)},
    {"SketchToolSizes[dtText]", 10372, std::uint8_t(20)},
    {"SketchTool", 10375, std::uint8_t(1)},
    {"RecorderHotkeys[0].fsModifiers", 10376, std::uint32_t(2)},
    {"RecorderHotkeys[0].vk", 10380, std::uint32_t(112)},
    {"RecorderHotkeys[0].Enable", 10384, std::uint8_t(1)},
    {"RecorderHotkeys[2].fsModifiers", 10400, std::uint32_t(6)},
    {"RecorderHotkeys[2].vk", 10404, std::uint32_t('C')},
    {"RecorderHotkeys[19].fsModifiers", 10604, std::uint32_t(3)},
    {"RecorderHotkeys[19].vk", 10608, std::uint32_t('C')},
    {"FullScreen", 10616, std::uint8_t(0)},
    {"FullScreenDisplay", 10620, std::int32_t(-1)},
    {"CaptureRate", 10624, std::int32_t(30)},
    {"CaptureMode", 10628, std::uint8_t(1)},
    {"CaptureModeHA", 10629, std::uint8_t(1)},
    {"CaptureQuality", 10632, std::int32_t(80)},
    {"CaptureMethod", 10636, std::uint8_t(1)},
    {"CameraFPS", 10900, std::int32_t(30)},
    {"CameraQuality", 10944, std::int32_t(60)},
    {"CameraHA", 10948, std::uint8_t(1)},
    {"CameraPreview", 10949, std::uint8_t(1)},
    {"RecordScreen", 11676, std::uint8_t(1)},
    {"CountdownSeconds", 11680, std::int32_t(3)},
    {"UnlimitedTime", 11684, std::uint8_t(1)},
    {"TimeLimit", 11688, std::int32_t(600)},
    {"ToolbarAlignment", 11692, std::int32_t(1)},
    {"ShowCursor", 11712, std::uint8_t(1)},
    {"ScaleCursor", 11716, std::int32_t(100)},
    {"CEColor", 11728, std::uint32_t(0xA0FFFF)},
    {"CEZoom", 11740, 2.0f},
    {"LEColor", 11748, std::uint32_t(0xFF0000)},
    {"REColor", 11760, std::uint32_t(0x0000FF)},
    {"CameraScale", 11768, std::int32_t(4)},
    {"CameraPosition", 11776, std::int32_t(2)},
    {"CameraBorderColor", 11792, std::uint32_t(0xFFFFFF)},
    {"CameraOpacity", 11800, std::int32_t(100)},
    {"CameraChColor", 11808, std::uint32_t(0x00FF00)},
    {"OutputFormat", 14904, std::int32_t(1)},
    {"OutputFramePS", 14908, std::int32_t(30)},
    {"OutputVideoQuality", 14916, std::int32_t(80)},
    {"OutputAudioBitrate", 14924, std::int32_t(3)},
    {"OutputFrameGIF", 14928, std::int32_t(10)},
    {"OutputGifColor", 14936, std::uint32_t(0xFF00FF00)},
    {"LogoPosition", 15204, std::int32_t(1)},
    {"LogoOpacity", 15216, std::int32_t(9)},
    {"LogoPositionSS", 15484, std::int32_t(2)},
    {"ScreenshotName", 15508, "Screenshot"},
    {"ScreenshotCursor", 15764, std::uint8_t(1)},
    {"ScreenshotSound", 15766, std::uint8_t(1)},
    {"DrawToolColors[dtArrow]", 15776, std::uint32_t(0x008000)},
    {"DrawToolSizes[dtNumbering]", 15819, std::uint8_t(20)},
    {"DrawTool", 15823, std::uint8_t(1)},
    {"IntroPage", 15840, std::int32_t(0)},
    {"LastStep", 15844, ""},
    {"LastStepProjectOpen", 16100, std::uint8_t(0)},
    {"SessionCount", 16108, std::int32_t(0)},
    {"MinutesUsed", 16112, std::int32_t(0)},
    {"RecordedSeconds[2]", 16124, std::int32_t(0)},
    {"LastReportDate", 16128, 0.0},
};

TEST_F(SettingsTest, DefaultsStandAtTheirStoredOffsets) {
    SetDefaultSettings(SettingsRecord);
    const QByteArray bytes = bytesOf(SettingsRecord);
    ASSERT_EQ(bytes.size(), 16136);
    for (const StoredField& field : DefaultFields) {
        SCOPED_TRACE(field.name);
        std::visit(
            [&](auto expected) {
                using T = decltype(expected);
                if constexpr (std::is_same_v<T, const char*>)
                    EXPECT_EQ(shortStringAt(bytes, field.offset), QString::fromUtf8(expected));
                else
                    EXPECT_EQ(valueAt<T>(bytes, field.offset), expected);
            },
            field.expected);
    }
}

TEST_F(SettingsTest, DefaultListsHoldTheirDefaultFolderInSlotOne) {
    const QByteArray bytes = bytesOf(SettingsRecord);
    EXPECT_EQ(shortStringAt(bytes, 556 + 256), DefaultVideosFolder);
    EXPECT_EQ(shortStringAt(bytes, 6188 + 256), DefaultImagesFolder);
    EXPECT_EQ(shortStringAt(bytes, 12087 + 256), DefaultRecordingsFolder);
    EXPECT_EQ(shortStringAt(bytes, 3372 + 256), "");
    EXPECT_EQ(shortStringAt(bytes, 300), ProjectsFolder);
    EXPECT_TRUE(SettingsRecord.TempStorageFolder.text().endsWith('/'));
    for (int slot : {0, 2, 10})
        EXPECT_EQ(SettingsRecord.VideosFolders.Slots[slot].Length, 0) << slot;
}

TEST_F(SettingsTest, TheRecordRoundTripsThroughItsFileWhole) {
    SettingsRecord.SessionCount = 12;
    SettingsRecord.CEZoom = 3.5f;
    SettingsRecord.Padding7 = 0x5A; // padding is stored as it stands
    SettingsRecord.LastStep.setText("Start_Run");
    AddRecentProject(SettingsRecord, "/projects/one.qmb");
    ASSERT_TRUE(SaveSettings(SettingsRecord));
    EXPECT_EQ(QFileInfo(dataFile()).size(), 16136);

    TSettingsRecord loaded{};
    ASSERT_TRUE(LoadSettings(loaded));
    EXPECT_EQ(bytesOf(loaded), bytesOf(SettingsRecord));
}

TEST_F(SettingsTest, AStoredValueOfAnotherSizeGivesTheDefaultsAndIsRewrittenWhole) {
    for (const int size : {0, 1, 16135, 16137, 40000}) {
        SCOPED_TRACE(size);
        QDir().mkpath(path("config/Tavrin"));
        QFile file(dataFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(size, char(0xFF)));
        file.close();

        TSettingsRecord loaded{};
        loaded.SessionCount = 77;
        EXPECT_FALSE(LoadSettings(loaded));
        EXPECT_EQ(loaded.SessionCount, 0);
        EXPECT_EQ(loaded.DefaultTransitionDuration, 500);
        ASSERT_TRUE(SaveSettings(loaded));
        EXPECT_EQ(QFileInfo(dataFile()).size(), 16136);
    }
}

// A record of the right size whose fields are out of their range (damage, or another program's
// bytes) loads with those fields at their defaults; values in range stay as stored.
TEST_F(SettingsTest, FieldsOutOfRangeFallBackToTheirDefaults) {
    TSettingsRecord defaults{};
    SetDefaultSettings(defaults);
    QDir().mkpath(path("config/Tavrin"));
    const auto load = [&](const QByteArray& bytes) {
        QFile file(dataFile());
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        TSettingsRecord loaded{};
        EXPECT_TRUE(LoadSettings(loaded));
        return loaded;
    };
    const TSettingsRecord ff = load(QByteArray(SettingsRecordSize, char(0xFF)));
    EXPECT_EQ(ff.CheckUpdates, 1);
    EXPECT_EQ(ff.NormalizeLoudness, 0);
    EXPECT_FLOAT_EQ(ff.TargetLoudness, -14.0f);
    EXPECT_EQ(ff.DefaultObjectDuration, 5);
    EXPECT_EQ(ff.DefaultTransitionDuration, 500);
    EXPECT_EQ(ff.DefaultAnimationDuration, 500);
    EXPECT_EQ(ff.TempStorageFolder.text(), defaults.TempStorageFolder.text());
    EXPECT_EQ(ff.FrameExportFilter, 2);
    EXPECT_EQ(ff.IntroPage, 0);
    EXPECT_EQ(ff.CaptureRate, 30);
    EXPECT_EQ(ff.OutputFramePS, 30);
    EXPECT_EQ(ff.CameraFPS, 30);
    EXPECT_EQ(ff.SessionCount, 0);
    EXPECT_FLOAT_EQ(ff.CEZoom, 2.0f);
    EXPECT_EQ(ff.LogoScale, 9);
    EXPECT_EQ(ff.LastReportDate, 0.0);

    struct Field {
        const char* name;
        std::function<void(TSettingsRecord&)> store;
        std::function<bool(const TSettingsRecord&)> loadedRight;
    };
    const Field fields[] = {
        {"object duration past the integer's seconds",
         [](TSettingsRecord& r) { r.DefaultObjectDuration = INT32_MAX / 999; },
         [](const TSettingsRecord& r) { return r.DefaultObjectDuration == 5; }},
        {"negative transition", [](TSettingsRecord& r) { r.DefaultTransitionDuration = -1; },
         [](const TSettingsRecord& r) { return r.DefaultTransitionDuration == 500; }},
        {"an hour-long object is kept", [](TSettingsRecord& r) { r.DefaultObjectDuration = 3600; },
         [](const TSettingsRecord& r) { return r.DefaultObjectDuration == 3600; }},
        {"zero frames per second", [](TSettingsRecord& r) { r.OutputFramePS = 0; },
         [](const TSettingsRecord& r) { return r.OutputFramePS == 30; }},
        {"empty temporary folder", [](TSettingsRecord& r) { r.TempStorageFolder.clear(); },
         [&](const TSettingsRecord& r) {
             return r.TempStorageFolder.text() == defaults.TempStorageFolder.text();
         }},
        {"relative temporary folder",
         [](TSettingsRecord& r) { r.TempStorageFolder.setText("QMB"); },
         [&](const TSettingsRecord& r) {
             return r.TempStorageFolder.text() == defaults.TempStorageFolder.text();
         }},
        {"another temporary folder is kept",
         [](TSettingsRecord& r) { r.TempStorageFolder.setText("/data/scratch/"); },
         [](const TSettingsRecord& r) { return r.TempStorageFolder.text() == "/data/scratch/"; }},
        {"infinite zoom",
         [](TSettingsRecord& r) { r.CEZoom = std::numeric_limits<float>::infinity(); },
         [](const TSettingsRecord& r) { return r.CEZoom == 2.0f; }},
        {"flag of 2", [](TSettingsRecord& r) { r.ConfirmDelete = 2; },
         [](const TSettingsRecord& r) { return r.ConfirmDelete == 1; }},
        {"reversed recent area",
         [](TSettingsRecord& r) {
             r.RecentAreas[3] = {50, 0, 10, 10};
         },
         [](const TSettingsRecord& r) { return r.RecentAreas[3] == TRRectI{}; }},
        {"recent area kept",
         [](TSettingsRecord& r) {
             r.RecentAreas[3] = {10, 20, 650, 500};
         },
         [](const TSettingsRecord& r) {
             return r.RecentAreas[3] == TRRectI{10, 20, 650, 500};
         }},
    };
    for (const Field& f : fields) {
        TSettingsRecord stored = defaults;
        f.store(stored);
        EXPECT_TRUE(f.loadedRight(load(bytesOf(stored)))) << f.name;
    }
}

// Only a regular file is read, and no more of it than the record: a FIFO would block the start
// and a file of gigabytes would be read whole.
TEST_F(SettingsTest, AFifoOrAHugeFileGivesTheDefaultsAtOnce) {
    QDir().mkpath(path("config/Tavrin"));
    ASSERT_EQ(mkfifo(QFile::encodeName(dataFile()).constData(), 0600), 0);
    TSettingsRecord loaded{};
    loaded.SessionCount = 77;
    EXPECT_FALSE(LoadSettings(loaded));
    EXPECT_EQ(loaded.SessionCount, 0);
    ASSERT_TRUE(QFile::remove(dataFile()));

    QFile huge(dataFile());
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(qint64(5) << 30)); // sparse: no disk, and never read
    huge.close();
    const QString outcome = bounded::Run(qint64(64) << 20, [] {
        TSettingsRecord record{};
        return LoadSettings(record) ? QStringLiteral("loaded") : QStringLiteral("defaults");
    });
    EXPECT_EQ(outcome, "defaults");
}

TEST_F(SettingsTest, AMissingKeyGivesTheDefaults) {
    TSettingsRecord loaded{};
    EXPECT_FALSE(LoadSettings(loaded));
    EXPECT_EQ(loaded.CheckUpdates, 1);
    EXPECT_EQ(loaded.TTSSettings.Google_Language.text(), "en-US");
}

TEST_F(SettingsTest, TheFirstBreadcrumbCreatesTheStoredRecord) {
    ASSERT_FALSE(QFile::exists(dataFile()));
    SaveLastStep(SettingsRecord, nullptr, "Start");
    ASSERT_TRUE(QFile::exists(dataFile()));
    TSettingsRecord loaded{};
    ASSERT_TRUE(LoadSettings(loaded));
    EXPECT_EQ(loaded.LastStep.text(), "Start");
    EXPECT_EQ(loaded.LastStepProjectOpen, 0);
}

TEST_F(SettingsTest, ASecondInstanceWritesNoBreadcrumbAndNoRecord) {
    FirstInstance = false;
    SetSettingsSaveEnabled(false);
    SaveLastStep(SettingsRecord, nullptr, "Start");
    EXPECT_EQ(SettingsRecord.LastStep.text(), "") << "not even in memory";
    EXPECT_FALSE(SaveSettings(SettingsRecord));
    EXPECT_FALSE(QFile::exists(dataFile()));
}

TEST_F(SettingsTest, AFailedSaveIsReported) {
    QDir().mkpath(path("config"));
    QFile blocker(path("config/Tavrin"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(SaveSettings(SettingsRecord));
    EXPECT_FALSE(LastSettingsSaveError().isEmpty());
}

TEST(ShortStringTest, TextIsCutAt255BytesOnACharacterBoundary) {
    TRShortString slot{};
    slot.setText(QString(300, 'a'));
    EXPECT_EQ(slot.Length, 255);
    EXPECT_EQ(slot.text(), QString(255, 'a'));

    // 254 ASCII bytes and then a two-byte letter: the letter does not fit and is left out whole.
    slot.setText(QString(254, 'a') + QString::fromUtf8("é"));
    EXPECT_EQ(slot.Length, 254);
    EXPECT_EQ(slot.text(), QString(254, 'a'));

    slot.setText(QString::fromUtf8("Vidéos ✓"));
    EXPECT_EQ(slot.text(), QString::fromUtf8("Vidéos ✓"));
}

QStringList names(std::initializer_list<const char*> items) {
    QStringList list;
    for (const char* item : items)
        list << item;
    while (list.size() < 10)
        list << "";
    return list;
}

void fillList(TRStringList11& list, const QStringList& entries) {
    for (int slot = 1; slot <= 10; ++slot)
        list.Slots[slot].setText(entries.value(slot - 1));
}

TEST_F(SettingsTest, AddingAnEntryMovesItToTheTopInItsNewLetterCase) {
    fillList(SettingsRecord.RecentProjects,
             names({"a", "b", "c", "Dee", "e", "f", "g", "h", "i", "j"}));
    AddRecentProject(SettingsRecord, "DEE");
    EXPECT_EQ(ListEntries(SettingsRecord.RecentProjects),
              names({"DEE", "a", "b", "c", "e", "f", "g", "h", "i", "j"}));

    AddRecentProject(SettingsRecord, "k");
    EXPECT_EQ(ListEntries(SettingsRecord.RecentProjects),
              names({"k", "DEE", "a", "b", "c", "e", "f", "g", "h", "i"}));

    AddRecentProject(SettingsRecord, "   ");
    EXPECT_EQ(ListEntries(SettingsRecord.RecentProjects).first(), "k");
    EXPECT_EQ(SettingsRecord.RecentProjects.Slots[0].Length, 0) << "slot 0 is never written";
}

TEST_F(SettingsTest, RemovingAnEntryMovesTheLaterOnesUp) {
    fillList(SettingsRecord.RecentProjects,
             names({"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"}));
    RemoveRecentProject(SettingsRecord, "missing");
    EXPECT_EQ(ListEntries(SettingsRecord.RecentProjects),
              names({"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"}));
    RemoveRecentProject(SettingsRecord, "A");
    EXPECT_EQ(ListEntries(SettingsRecord.RecentProjects),
              names({"b", "c", "d", "e", "f", "g", "h", "i", "j"}));
}

TEST_F(SettingsTest, GettingAFolderSkipsDeletedOnesAndFallsBackToTheDefault) {
    const QString kept = path("kept/");
    QDir().mkpath(kept);
    fillList(SettingsRecord.VideosFolders, names({"/nowhere/one/", "/nowhere/two/"}));
    AddVideosFolder(SettingsRecord, kept);
    AddVideosFolder(SettingsRecord, "/nowhere/three/");
    EXPECT_EQ(GetVideosFolder(SettingsRecord), kept);

    fillList(SettingsRecord.VideosFolders, names({"/nowhere/one/"}));
    QDir(DefaultVideosFolder).removeRecursively();
    EXPECT_EQ(GetVideosFolder(SettingsRecord), DefaultVideosFolder);
    EXPECT_TRUE(QFileInfo(DefaultVideosFolder).isDir());
    EXPECT_EQ(ListEntries(SettingsRecord.VideosFolders).first(), DefaultVideosFolder);
}

TEST_F(SettingsTest, RecentAreasKeepEachRectangleOnceNewestFirst) {
    for (int i = 9; i >= 0; --i)
        AddRecentArea(SettingsRecord, {i, i, i + 10, i + 10});
    AddRecentArea(SettingsRecord, {5, 5, 15, 15});
    const int expected[10] = {5, 0, 1, 2, 3, 4, 6, 7, 8, 9};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(SettingsRecord.RecentAreas[i].Left, expected[i]) << i;

    AddRecentArea(SettingsRecord, {5, 5, 15, 15});
    EXPECT_EQ(SettingsRecord.RecentAreas[1].Left, 0) << "equal to entry 0: nothing changes";

    AddRecentArea(SettingsRecord, {100, 0, 0, 0});
    EXPECT_EQ(SettingsRecord.RecentAreas[0].Left, 100);
    EXPECT_EQ(SettingsRecord.RecentAreas[9].Left, 8) << "the last entry is dropped";
}

} // namespace
