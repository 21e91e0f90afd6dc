#include "core/URSettings.h"
#include "core/URUtils.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct TimeCase {
    std::int32_t ms;
    const char* frames;
    const char* hms;
    const char* ms_;
    const char* millis;
};

TEST(TimeTextTest, EveryFormatOfATime) {
    const TimeCase cases[] = {
        {0, "00:00.00", "00:00:00", "00:00", "00:00:000"},
        {16, "00:00.00", "00:00:00", "00:00", "00:00:016"},
        {17, "00:00.01", "00:00:00", "00:00", "00:00:017"},
        {450, "00:00.14", "00:00:00", "00:00", "00:00:450"}, // 13.5 frames round to even
        {984, "00:01.00", "00:00:00", "00:00", "00:00:984"}, // 29.52 frames carry a second
        {59990, "01:00.00", "00:00:59", "00:59", "00:59:990"},
        {3600000, "1:00:00.00", "01:00:00", "00:00", "00:00:000"},
        {3723045, "1:02:03.01", "01:02:03", "02:03", "02:03:045"},
        {3723450, "1:02:03.14", "01:02:03", "02:03", "02:03:450"},
        {43200000, "12:00:00.00", "12:00:00", "00:00", "00:00:000"},
    };
    for (const TimeCase& c : cases) {
        SCOPED_TRACE(c.ms);
        EXPECT_EQ(FormatTimeFrames(c.ms), c.frames);
        EXPECT_EQ(FormatTimeHMS(c.ms), c.hms);
        EXPECT_EQ(FormatTimeMS(c.ms), c.ms_);
        EXPECT_EQ(FormatTimeMillis(c.ms), c.millis);
    }
}

TEST(TimeTextTest, SnapToFrameUsesTheThirtyFramesGrid) {
    const std::pair<std::int32_t, std::int32_t> cases[] = {
        {0, 0},       {16, 0},      {17, 33},           {50, 67},
        {450, 433}, // 450/L is just below 13.5
        {1999, 2000}, {1000, 1000}, {3723450, 3723433}, {100, 100},
    };
    for (const auto& [ms, snapped] : cases)
        EXPECT_EQ(SnapToFrame(ms), snapped) << ms;
}

TEST(TimeTextTest, DurationLabelsOfTheRuler) {
    EXPECT_EQ(FormatDuration(90000, 1000), "1m30s");
    EXPECT_EQ(FormatDuration(60000, 1000), "1m");
    EXPECT_EQ(FormatDuration(5000, 1000), "5s");
    EXPECT_EQ(FormatDuration(5999, 1000), "5s");
    EXPECT_EQ(FormatDuration(0, 1000), "0s");
    EXPECT_EQ(FormatDuration(5000, 0), "");
    EXPECT_EQ(FormatDuration(5000, -1), "");
}

TEST(FileSizeTextTest, UnitsAndRounding) {
    // The byte limits of each unit hold over the odd example of 1 GiB shown as "1024 MB".
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0 bytes"},       {1023, "1023 bytes"},   {1024, "1 KB"},          {1536, "2 KB"},
        {1048575, "1024 KB"}, {1048576, "1 MB"},      {1073741823, "1024 MB"}, {1073741824, "1 GB"},
        {1073741825, "1 GB"}, {5LL << 40, "5120 GB"},
    };
    for (const auto& [size, text] : cases)
        EXPECT_EQ(FormatFileSize(size), text) << size;
}

TEST(HotkeyTest, TextsAndValidKeys) {
    const auto key = [](std::uint32_t modifiers, std::uint32_t vk) {
        return TRHotkey{modifiers, vk, 1, {}};
    };
    EXPECT_EQ(HotkeyToText(key(2 | 4, 120)), "Ctrl + Shift + F9");
    EXPECT_EQ(HotkeyToText(key(1, 'R')), "Alt + R");
    EXPECT_EQ(HotkeyToText(key(0, 101)), "5");
    EXPECT_EQ(HotkeyToText(key(0, 'A')), "A");
    EXPECT_EQ(HotkeyToText(key(2, 27)), "Ctrl");
    EXPECT_EQ(HotkeyToText(key(7, 109)), "Ctrl + Shift + Alt + SUBSTRACT");

    EXPECT_FALSE(IsValidHotkeyKey(27));
    EXPECT_TRUE(IsValidHotkeyKey(124));
    EXPECT_TRUE(IsValidHotkeyKey('0'));
    EXPECT_TRUE(IsValidHotkeyKey('Z'));
    EXPECT_FALSE(IsValidHotkeyKey(186)); // the ';' key is not offered
    EXPECT_TRUE(IsValidHotkeyKey(19));
}

TEST(KeyCaptionsTest, TheTableRowsAndTheirColumns) {
    EXPECT_EQ(KeyCaptions[0].VirtualKey, 112);
    EXPECT_STREQ(KeyCaptions[23].Caption, "F24");
    EXPECT_STREQ(KeyCaptions[24].Caption, "RETURN");
    EXPECT_STREQ(KeyCaptions[35].Caption, "PRINT SCREEN");
    EXPECT_EQ(KeyCaptions[35].VirtualKey, 44);
    EXPECT_STREQ(KeyCaptions[51].Caption, "SUBSTRACT");
    EXPECT_EQ(KeyCaptions[54].VirtualKey, 19);
    for (int row = 0; row < KeyCaptionCount; ++row) {
        SCOPED_TRACE(row + 1);
        const bool functionKey = row < 24;
        const bool keypadDigit = row >= 38 && row <= 47;
        EXPECT_FLOAT_EQ(KeyCaptions[row].WidthUnits,
                        functionKey ? 1.5f : (keypadDigit ? 1.0f : 2.0f));
        EXPECT_EQ(KeyCaptions[row].SmallCaption, !functionKey && !keypadDigit);
        if (keypadDigit) {
            EXPECT_EQ(KeyCaptions[row].Caption, std::to_string(row - 38));
        }
    }
}

TEST(FileNameTest, InvalidCharactersAreRemoved) {
    EXPECT_EQ(ReplaceInvalidFileNameChars("  a:b*c?  "), "abc");
    EXPECT_EQ(ReplaceInvalidFileNameChars(R"(x/y\z"<>|,w)"), "xyzw");
    EXPECT_EQ(ReplaceInvalidFileNameChars(QString::fromUtf8("Vidéo 1")),
              QString::fromUtf8("Vidéo 1"));
}

TEST(FileSizeOfTest, SizeOfAFileOrZero) {
    QTemporaryDir dir;
    QFile file(dir.filePath("f.bin"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(3000, 'x'));
    file.close();
    EXPECT_EQ(FileSizeOf(file.fileName()), 3000);
    EXPECT_EQ(FileSizeOf(dir.filePath("missing")), 0);
    EXPECT_EQ(FileSizeOf(dir.path()), 0);
}

TEST(VersionTest, VersionTexts) {
    const QString version = GetVersionString();
    EXPECT_TRUE(version.contains(" (Build ")) << version.toStdString();
    const QString shortVersion = GetShortVersion();
    EXPECT_FALSE(shortVersion.contains(' '));
    EXPECT_FALSE(shortVersion.contains(')'));
    EXPECT_EQ(shortVersion.count('.'), version.count('.') + 1);
    EXPECT_FALSE(IsWindowsServer());
}

TEST(SpecialFolderTest, KnownAndUnknownFolders) {
    EXPECT_TRUE(GetSpecialFolder(CSIDL_PERSONAL).endsWith('/'));
    EXPECT_EQ(GetSpecialFolder(0x7FFF), "");
    EXPECT_TRUE(GetWindowsTempPath().endsWith('/'));
}

TEST(PropertiesClipboardTest, ResetEmptiesEveryField) {
    TRObject* const someObject = reinterpret_cast<TRObject*>(0x10);
    PropertiesClipboard.Objects << someObject;
    PropertiesClipboard.IsCut = 1;
    PropertiesClipboard.MarkerFlag = 1;
    PropertiesClipboard.EarliestStart = 500;
    PropertiesClipboard.Reset();
    EXPECT_TRUE(PropertiesClipboard.Objects.isEmpty());
    EXPECT_EQ(PropertiesClipboard.IsCut, 0);
    EXPECT_EQ(PropertiesClipboard.MarkerFlag, 0);
    EXPECT_EQ(PropertiesClipboard.EarliestStart, 0);
    EXPECT_EQ(PropertiesClipboard.SourceProject, nullptr);
}

} // namespace
