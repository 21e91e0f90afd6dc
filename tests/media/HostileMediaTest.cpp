// Damaged and hostile files for every video reader, made here: cut at many points, with lying
// counts and huge declared sizes. Each file must give a clear error or a picture, in a child
// process whose memory is bounded, so that a reader allocating what the file claims instead of
// what it holds fails the test.
#include "media/UVideoReader.h"
#include "tests/support/BoundedRun.h"
#include "tests/support/media/MediaFixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr std::int64_t MemoryBudget = std::int64_t(768) << 20;

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// "ok" when the reader took the file and gave a picture, "error: <text>" when it refused it
// with a reason, "silent error" when it refused it without one.
QString OpenAndShow(const QString& path) {
    return bounded::Run(MemoryBudget, [&] {
        TVideoReaderEx reader(path);
        if (!reader.IsValid())
            return reader.ErrorText().isEmpty() ? QStringLiteral("silent error")
                                                : "error: " + reader.ErrorText();
        std::vector<uint8_t> picture(size_t(reader.GetWidth()) * size_t(reader.GetHeight()) * 4);
        reader.GetFrame(reader.GetDurationMs() / 2, picture.data());
        return QStringLiteral("ok");
    });
}

bool IsClearOutcome(const QString& outcome) {
    return outcome == "ok" || (outcome.startsWith("error: ") && outcome.size() > 7);
}

class HostileMedia : public testing::Test {
protected:
    QString Path(const QString& name) const { return dir.filePath(name); }

    QByteArray Valid(const QString& name) {
        const QString path = Path(name);
        const QString extension = TVideoReaderEx::ExtensionOf(name);
        if (extension == ".gif")
            fixtures::writeGif(path, {{10, 10, 10}, {2}, {}});
        else if (extension == ".webp")
            fixtures::writeWebP(path, {100, 100, 100});
        else {
            fixtures::VideoSpec spec;
            spec.frames = 6;
            spec.gop = 3;
            spec.muxer = extension == ".avi" ? "avi" : extension == ".wmv" ? "asf" : "mp4";
            spec.encoder = extension == ".avi" ? "mpeg4" : extension == ".wmv" ? "wmv2" : "libx264";
            fixtures::writeVideo(path, spec);
        }
        return ReadAll(path);
    }

    // Opens `bytes` as a file of this name in a bounded child.
    QString Open(const QString& name, const QByteArray& bytes) {
        WriteAll(Path(name), bytes);
        return OpenAndShow(Path(name));
    }

    QTemporaryDir dir;
};

// Every reader, its file cut at about twenty points (the 7-byte GIF among them) and not cut.
TEST_F(HostileMedia, CutFilesGiveAClearErrorOrAPicture) {
    for (const char* name : {"clip.gif", "clip.webp", "clip.avi", "clip.wmv", "clip.mp4"}) {
        const QByteArray whole = Valid(name);
        ASSERT_GT(whole.size(), 40) << name;
        EXPECT_EQ(Open(QString("whole.") + QString(name).section('.', 1), whole), "ok") << name;
        std::vector<qsizetype> cuts = {0, 1, 7, 13, whole.size() - 1};
        for (int i = 1; i < 16; ++i)
            cuts.push_back(whole.size() * i / 16);
        for (qsizetype cut : cuts) {
            const QString outcome =
                Open(QString("cut.") + QString(name).section('.', 1), whole.left(cut));
            EXPECT_TRUE(IsClearOutcome(outcome))
                << name << " cut at " << cut << ": " << outcome.toStdString();
        }
    }
}

void Put16(QByteArray& bytes, qsizetype at, int value) {
    qToLittleEndian(quint16(value), bytes.data() + at);
}

void Put24(QByteArray& bytes, qsizetype at, int value) {
    for (int i = 0; i < 3; ++i)
        bytes[at + i] = char(value >> (8 * i));
}

// A GIF of a few bytes: screen and one frame of the given sizes, two colours, an empty image.
QByteArray TinyGif(int screenWidth, int screenHeight, int frameWidth, int frameHeight) {
    QByteArray gif("GIF89a");
    gif.append(7, 0);
    Put16(gif, 6, screenWidth);
    Put16(gif, 8, screenHeight);
    gif[10] = char(0x80); // a global table of two colours
    gif.append(QByteArray("\0\0\0\xff\xff\xff", 6));
    gif.append(QByteArray("\x2c\0\0\0\0\0\0\0\0\0", 10));
    Put16(gif, gif.size() - 5, frameWidth);
    Put16(gif, gif.size() - 3, frameHeight);
    gif.append(QByteArray("\x02\x02\x44\x01\x00\x3b", 6)); // code size, one sub-block, end
    return gif;
}

struct Forgery {
    const char* name;
    const char* file; // the valid file it starts from ("" for none)
    std::function<QByteArray(QByteArray)> forge;
    bool refused; // true: the reader must refuse it; false: either outcome, clearly
};

qsizetype Find(const QByteArray& bytes, const QByteArray& what) {
    const qsizetype at = bytes.indexOf(what);
    EXPECT_GE(at, 0) << what.toStdString();
    return at;
}

// The File Properties Object of an ASF file, by its GUID as stored.
qsizetype AsfFileProperties(const QByteArray& bytes) {
    return Find(bytes, QByteArray::fromHex("a1dcab8c47a9cf118ee400c00c205365"));
}

const Forgery forgeries[] = {
    {"GifOfAFewBytesWithAHugeScreen", "", [](QByteArray) { return TinyGif(19999, 19999, 1, 1); },
     true},
    {"GifWithAHugeFrameOnASmallScreen", "", [](QByteArray) { return TinyGif(16, 16, 9000, 8000); },
     true},
    {"GifWithEightMillionPixelFramesInFortyBytes", "",
     [](QByteArray) { return TinyGif(4000, 4000, 4000, 4000); }, false},
    {"WebPWithAHugeCanvas", "clip.webp",
     [](QByteArray b) {
         // The extended header's canvas size, stored minus one in 24 bits.
         const qsizetype vp8x = Find(b, "VP8X") + 8;
         Put24(b, vp8x + 4, 19998);
         Put24(b, vp8x + 7, 19998);
         return b;
     },
     true},
    {"AviClaimingTwoBillionFramesAtAHighRate", "clip.avi",
     [](QByteArray b) {
         const qsizetype header = Find(b, "strh") + 8;
         qToLittleEndian(quint32(1), b.data() + header + 20);          // scale
         qToLittleEndian(quint32(1000000), b.data() + header + 24);    // rate
         qToLittleEndian(quint32(0x7FFFFFFF), b.data() + header + 32); // length
         const qsizetype main = Find(b, "avih") + 8;
         qToLittleEndian(quint32(1), b.data() + main);               // µs per frame
         qToLittleEndian(quint32(0x7FFFFFFF), b.data() + main + 16); // total frames
         return b;
     },
     false},
    {"WmvClaimingAMonthOfPlay", "clip.wmv",
     [](QByteArray b) {
         const qsizetype properties = AsfFileProperties(b);
         const quint64 month = quint64(30) * 24 * 3600 * 10000000;
         qToLittleEndian(month, b.data() + properties + 64); // play duration
         qToLittleEndian(month, b.data() + properties + 72); // send duration
         return b;
     },
     false},
    {"Mp4WithFourBillionSamplesAndNoSizeTable", "clip.mp4",
     [](QByteArray b) {
         const qsizetype stts = Find(b, "stts") - 4;
         qToBigEndian(quint32(0xFFFFFFFF), b.data() + stts + 16); // first entry's count
         b.replace(Find(b, "stsz"), 4, "xxxx");
         return b;
     },
     true},
    {"Mp4WithFourBillionSamplesOfOneByte", "clip.mp4",
     [](QByteArray b) {
         const qsizetype stts = Find(b, "stts") - 4;
         qToBigEndian(quint32(0xFFFFFFFF), b.data() + stts + 16);
         const qsizetype stsz = Find(b, "stsz") - 4;
         qToBigEndian(quint32(1), b.data() + stsz + 12);          // every sample 1 byte
         qToBigEndian(quint32(0xFFFFFFFF), b.data() + stsz + 16); // this many samples
         return b;
     },
     false},
};

class HostileMediaForgery : public HostileMedia, public testing::WithParamInterface<Forgery> {};

TEST_P(HostileMediaForgery, GivesAClearErrorWithinBoundedMemory) {
    const Forgery& f = GetParam();
    const QString file = f.file;
    const QByteArray bytes = f.forge(file.isEmpty() ? QByteArray() : Valid(file));
    const QString name = "forged." + (file.isEmpty() ? QString("gif") : file.section('.', 1));
    const QString outcome = Open(name, bytes);
    if (f.refused)
        EXPECT_TRUE(outcome.startsWith("error: ") && outcome.size() > 7) << outcome.toStdString();
    else
        EXPECT_TRUE(IsClearOutcome(outcome)) << outcome.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Forgeries, HostileMediaForgery, testing::ValuesIn(forgeries),
                         [](const auto& info) { return std::string(info.param.name); });

// The bounded run itself: work that allocates past the budget does not come back "ok".
TEST(BoundedRun, AllocationPastTheBudgetFails) {
    const QString outcome = bounded::Run(MemoryBudget, [] {
        std::vector<char> huge(size_t(MemoryBudget) * 2, 1);
        return QString::number(huge[size_t(MemoryBudget)]);
    });
    EXPECT_NE(outcome, "1");
    EXPECT_EQ(bounded::Run(MemoryBudget, [] { return QStringLiteral("fine"); }), "fine");
}

} // namespace
