#include "core/URCaptionFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>
#include <stdexcept>

namespace {

const QByteArray Bom = "\xEF\xBB\xBF";

TRSubRipRead readText(const QByteArray& text) {
    return ReadSubRip(text);
}

TEST(SubRipWriteTest, CaptionsGoInStartOrderWithCrLfAndAByteOrderMark) {
    // A at 5 s, then B and C both at 2 s: B and C keep their list order.
    const TRCaptionRecords captions = {{5000, 6000, "A"}, {2000, 3000, "B"}, {2000, 2500, "C"}};
    EXPECT_EQ(WriteSubRip(captions), Bom + "1\r\n00:00:02,000 --> 00:00:03,000\r\nB\r\n\r\n"
                                           "2\r\n00:00:02,000 --> 00:00:02,500\r\nC\r\n\r\n"
                                           "3\r\n00:00:05,000 --> 00:00:06,000\r\nA\r\n\r\n");
}

TEST(SubRipWriteTest, MultiLineAndEmptyTexts) {
    EXPECT_EQ(WriteSubRip({{0, 1500, "one\r\ntwo"}, {1500, 1600, ""}}),
              Bom + "1\r\n00:00:00,000 --> 00:00:01,500\r\none\r\ntwo\r\n\r\n"
                    "2\r\n00:00:01,500 --> 00:00:01,600\r\n\r\n\r\n");
    EXPECT_EQ(WriteSubRip({}), Bom);
}

TEST(SubRipWriteTest, TimesAreExactAndHoursKeepCounting) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {0, "00:00:00,000"},        {189, "00:00:00,189"},      {1500, "00:00:01,500"},
        {61001, "00:01:01,001"},    {3599999, "00:59:59,999"},  {86399999, "23:59:59,999"},
        {86400000, "24:00:00,000"}, {90061001, "25:01:01,001"}, {360000000, "100:00:00,000"},
    };
    for (const auto& [ms, text] : cases)
        EXPECT_EQ(FormatSubRipTime(ms), text) << ms;
}

TEST(SubRipRoundTripTest, WrittenCaptionsReadBackUnchanged) {
    const TRCaptionRecords captions = {
        {0, 189, "first"},
        {189, 1500, "zwei\r\nZeilen äöü"},
        {2000, 2001, ""},
        {3000, 4000, "after the empty one"},
        {90061001, 93600000, "past a day"},
    };
    const TRSubRipRead read = ReadSubRip(WriteSubRip(captions));
    EXPECT_EQ(read.ErrorLine, 0);
    EXPECT_EQ(read.Captions, captions);
}

// Files as other programs write them.
TEST(SubRipReadTest, RealWorldVariants) {
    const TRCaptionRecords expected = {{1000, 2500, "Hello,\r\nworld"},
                                       {90000000, 90001000, "Grüße"}};
    const QByteArray lf = "1\n00:00:01,000 --> 00:00:02,500\nHello,\nworld\n\n"
                          "2\n25:00:00,000 --> 25:00:01,000\nGrüße\n";
    QByteArray crlf = lf;
    crlf.replace("\n", "\r\n");
    const QByteArray variants[] = {
        lf,
        crlf,
        Bom + crlf,
        // Extra blank lines, blanks around lines, position tags after the end time.
        "\n\n1 \r\n 00:00:01,000  -->  00:00:02,500 X1:10 X2:20\r\nHello,  \r\n world\r\n\r\n\r\n"
        "2\r\n25:00:00,000 --> 25:00:01,000\r\nGrüße\r\n\r\n",
        // No line break after the last text.
        "1\n00:00:01,000 --> 00:00:02,500\nHello,\nworld\n\n2\n25:00:00,000 --> "
        "25:00:01,000\nGrüße",
        // An old 8-bit file: no byte-order mark and no valid UTF-8.
        QString::fromUtf8(lf).toLatin1(),
    };
    for (const QByteArray& text : variants) {
        const TRSubRipRead read = readText(text);
        EXPECT_EQ(read.ErrorLine, 0) << text.toStdString();
        EXPECT_EQ(read.Captions, expected) << text.toStdString();
    }
}

TEST(SubRipReadTest, Utf16WithByteOrderMark) {
    const QString text = QStringLiteral("1\r\n00:00:01,000 --> 00:00:02,000\r\nЖ\r\n\r\n");
    QByteArray little = "\xFF\xFE";
    little.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    const TRSubRipRead read = readText(little);
    EXPECT_EQ(read.ErrorLine, 0);
    EXPECT_EQ(read.Captions, (TRCaptionRecords{{1000, 2000, QStringLiteral("Ж")}}));
}

struct MalformedCase {
    const char* name;
    QByteArray text;
    int errorLine;
    std::size_t captionsRead;
};

TEST(SubRipReadTest, MalformedFilesNameTheFailingLine) {
    const QByteArray one = "1\n00:00:01,000 --> 00:00:02,000\nOne\n\n";
    const QByteArray two = one + "2\n00:00:03,000 --> 00:00:04,000\nTwo\n\n";
    const MalformedCase cases[] = {
        {"numbered 1, 2, 4", two + "4\n00:00:05,000 --> 00:00:06,000\nFour\n\n", 9, 2},
        {"first number not 1", "2\n00:00:01,000 --> 00:00:02,000\nx\n\n", 1, 0},
        {"number not a number", one + "two\n00:00:03,000 --> 00:00:04,000\nx\n\n", 5, 1},
        {"single hyphen", one + "2\n00:00:03,000 - 00:00:04,000\nx\n\n", 6, 1},
        {"no arrow at all", "1\n00:00:01,000\nx\n\n", 2, 0},
        {"minutes past 59", one + "2\n00:60:00,000 --> 00:61:00,000\nx\n\n", 6, 1},
        {"seconds past 59", "1\n00:00:60,000 --> 00:01:00,000\nx\n\n", 2, 0},
        {"two-digit milliseconds", "1\n00:00:01,00 --> 00:00:02,000\nx\n\n", 2, 0},
        {"point before milliseconds", "1\n00:00:01.000 --> 00:00:02,000\nx\n\n", 2, 0},
        {"end time missing", two + "3\n00:00:05,000 -->\nx\n\n", 10, 2},
        {"end time not a time", "1\n00:00:01,000 --> soon\nx\n\n", 2, 0},
        {"time beyond the stored limit", "1\n999999:00:00,000 --> 999999:00:01,000\nx\n\n", 2, 0},
        {"text where a number belongs", one + "Stray text\n\n", 5, 1},
        {"negative number", "-1\n00:00:01,000 --> 00:00:02,000\nx\n\n", 1, 0},
    };
    for (const MalformedCase& c : cases) {
        const TRSubRipRead read = readText(c.text);
        EXPECT_EQ(read.ErrorLine, c.errorLine) << c.name;
        EXPECT_EQ(read.Captions.size(), c.captionsRead) << c.name;
    }
}

TEST(SubRipReadTest, IncompleteEndsAreNoError) {
    // A last entry without its text still counts; a lone number line at the end is dropped.
    const TRSubRipRead noText = readText("1\n00:00:01,000 --> 00:00:02,000\n");
    EXPECT_EQ(noText.ErrorLine, 0);
    EXPECT_EQ(noText.Captions, (TRCaptionRecords{{1000, 2000, ""}}));
    const TRSubRipRead loneNumber = readText("1\n00:00:01,000 --> 00:00:02,000\nx\n\n2\n");
    EXPECT_EQ(loneNumber.ErrorLine, 0);
    EXPECT_EQ(loneNumber.Captions.size(), 1u);
    EXPECT_EQ(readText("").Captions.size(), 0u);
    EXPECT_EQ(readText(Bom + "\r\n\r\n").ErrorLine, 0);
}

TEST(SubRipFileTest, SavesLoadsAndReportsFailures) {
    QTemporaryDir dir;
    const QString path = dir.filePath("captions.srt");
    const TRCaptionRecords captions = {{0, 1500, "x"}};
    SaveSubRipFile(path, captions);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), WriteSubRip(captions));
    EXPECT_EQ(LoadSubRipFile(path).Captions, captions);

    EXPECT_THROW(SaveSubRipFile(dir.filePath("missing/captions.srt"), captions),
                 std::runtime_error);
    EXPECT_THROW(LoadSubRipFile(dir.filePath("missing.srt")), std::runtime_error);
    EXPECT_EQ(SubRipImportError("/tmp/a.srt", 6),
              "Cannot import /tmp/a.srt file.\rParse error at line 6.");
}

// A deterministic stand-in for the fuzzer of the reader (which needs clang): mutated files
// never crash it, a failing line lies inside the file, and whatever was read writes and reads
// back the same (in order of start time).
TEST(SubRipFuzzTest, MutatedFilesKeepTheReadersPromises) {
    const QByteArray valid =
        WriteSubRip({{0, 1500, "one\r\ntwo"}, {1500, 1600, ""}, {90061001, 93600000, "Grüße"}});
    const QByteArray tokens[] = {"\r\n", "\n", "-->", ":", ",", "99", "\xFF", "\xC3", " ", "0"};
    std::mt19937 random(20261211);
    for (int round = 0; round < 3000; ++round) {
        QByteArray text = valid;
        const int edits = 1 + int(random() % 4);
        for (int e = 0; e < edits; ++e) {
            const auto at = qsizetype(random() % std::uint32_t(text.size() + 1));
            switch (random() % 3) {
            case 0:
                if (at < text.size())
                    text[at] = char(random() % 256);
                break;
            case 1:
                text.remove(at, 1 + qsizetype(random() % 20));
                break;
            default:
                text.insert(at, tokens[random() % std::size(tokens)]);
            }
        }
        const TRSubRipRead read = ReadSubRip(text);
        ASSERT_GE(read.ErrorLine, 0);
        ASSERT_LE(read.ErrorLine, text.count('\n') + text.count('\r') + 1);
        const TRSubRipRead again = ReadSubRip(WriteSubRip(read.Captions));
        ASSERT_EQ(again.ErrorLine, 0) << text.toStdString();
        TRCaptionRecords inStartOrder = read.Captions;
        SortCaptionsByStart(inStartOrder);
        ASSERT_EQ(again.Captions, inStartOrder) << text.toStdString();
    }
}

} // namespace
