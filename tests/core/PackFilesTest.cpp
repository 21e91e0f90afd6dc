#include "core/UPackFiles.h"
#include "core/URFormHooks.h"
#include "core/URServerMessages.h"
#include "core/URSettings.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <vector>

namespace {

QByteArray int64le(qint64 value) {
    QByteArray bytes(8, 0);
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// One entry as it stands in a package, with whatever lengths the case needs.
QByteArray entry(const QByteArray& name, qint64 size, const QByteArray& data) {
    return int64le(name.size()) + name + int64le(size) + data;
}
QByteArray entry(const QByteArray& name, const QByteArray& data) {
    return entry(name, data.size(), data);
}

const QByteArray Header = QByteArray("QMB01") + QByteArray::fromHex("87d61200"); // 1234567 ms

struct FakeProgress : TRProgressReporter {
    void SetProgress(int percent) override { values.push_back(percent); }
    bool IsCanceled() const override {
        return cancelAfter >= 0 && int(values.size()) >= cancelAfter;
    }
    std::vector<int> values;
    int cancelAfter = -1;
};

class PackFiles : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        SetSettingsSaveEnabled(false);
        SetServerMessageSink([this](const QString& status, bool) {
            reports << status;
            return QString();
        });
        QDir().mkpath(path("src"));
    }
    void TearDown() override { SetServerMessageSink({}); }

    QString path(const QString& name) const { return dir.path() + "/" + name; }
    QString source(const QString& name, const QByteArray& data) const {
        const QString file = path("src/" + name);
        write(file, data);
        return file;
    }
    static void write(const QString& file, const QByteArray& data) {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(data);
    }
    static QByteArray read(const QString& file) {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
    // Everything below the test folder except the sources: what an extraction wrote.
    QStringList writtenOutside(const QString& target) const {
        QStringList found;
        for (const QString& name :
             QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
            if (name != "src" && name != "package.qmb" && name != QFileInfo(target).fileName())
                found << name;
        return found;
    }

    QTemporaryDir dir;
    QStringList reports;
};

QByteArray randomBytes(qsizetype size) {
    QByteArray data(size, 0);
    QRandomGenerator generator(42);
    for (qsizetype i = 0; i < size; ++i)
        data[i] = char(generator.generate());
    return data;
}

} // namespace

TEST_F(PackFiles, WritesTheExactLayout) {
    TPackFiles pack(nullptr);
    pack.AddFile(source("project_thumbnail.jpg", "JPG"));
    pack.AddFile(source("project.xml", "<p/>"));
    pack.AddFile(source("Screen.MP4", ""));
    pack.SetTotalTimeMs(1234567);
    pack.ComputeFileSize();
    EXPECT_EQ(pack.FileTotalSize, 7);
    ASSERT_TRUE(pack.PackTo(path("package.qmb"))) << pack.LastError().toStdString();
    const QByteArray golden = QByteArray("QMB01") + QByteArray::fromHex("87d61200") +
                              QByteArray::fromHex("1500000000000000") + "project_thumbnail.jpg" +
                              QByteArray::fromHex("0300000000000000") + "JPG" +
                              QByteArray::fromHex("0b00000000000000") + "project.xml" +
                              QByteArray::fromHex("0400000000000000") + "<p/>" +
                              QByteArray::fromHex("0a00000000000000") + "Screen.MP4" +
                              QByteArray::fromHex("0000000000000000");
    EXPECT_EQ(read(path("package.qmb")).toHex(), golden.toHex());
}

TEST_F(PackFiles, RoundTripKeepsBytesNamesAndDuration) {
    const QByteArray large = randomBytes(TPackFiles::BufferSize * 40 + 123);
    const QByteArray xml = "<project/>";
    TPackFiles pack(nullptr);
    pack.AddFile(source("project.xml", xml));
    pack.AddFile(source("empty.wav", ""));
    pack.AddFile(source("m1_42_MyVideo.MP4", large));
    pack.AddFile(source("Ünïcode.png", "png"));
    pack.SetTotalTimeMs(-5);
    pack.ComputeFileSize();
    ASSERT_TRUE(pack.PackTo(path("package.qmb")));

    TPackFiles unpack(nullptr);
    ASSERT_TRUE(unpack.Extract(path("package.qmb"), path("out/deeper")))
        << unpack.LastError().toStdString();
    EXPECT_EQ(unpack.TotalTimeMs(), -5);
    EXPECT_EQ(read(path("out/deeper/project.xml")), xml);
    EXPECT_TRUE(QFile::exists(path("out/deeper/empty.wav")));
    EXPECT_EQ(read(path("out/deeper/empty.wav")), "");
    EXPECT_EQ(read(path("out/deeper/m1_42_MyVideo.MP4")), large);
    EXPECT_EQ(read(path("out/deeper/Ünïcode.png")), "png");
    EXPECT_TRUE(unpack.LastError().isEmpty());
}

TEST_F(PackFiles, AddFileListsEachExistingFileOnce) {
    TPackFiles pack(nullptr);
    const QString file = source("Clip.mp4", "1");
    pack.AddFile(file);
    pack.AddFile(file + " ");
    pack.AddFile(" " + file);
    pack.AddFile(path("src/missing.mp4"));
    pack.AddFile(path("src")); // a folder is no file
    EXPECT_EQ(pack.Files(), QStringList{file});
}

TEST_F(PackFiles, EmptyListGivesANineBytePackageThatExtractsToNothing) {
    TPackFiles pack(nullptr);
    pack.SetTotalTimeMs(1234567);
    ASSERT_TRUE(pack.PackTo(path("package.qmb")));
    EXPECT_EQ(read(path("package.qmb")), Header);
    TPackFiles unpack(nullptr);
    EXPECT_TRUE(unpack.Extract(path("package.qmb"), path("out")));
    EXPECT_EQ(unpack.TotalTimeMs(), 1234567);
    EXPECT_TRUE(QDir(path("out")).isEmpty());
}

TEST_F(PackFiles, PackingFailuresAreReported) {
    TPackFiles pack(nullptr);
    pack.AddFile(source("gone.mp4", "data"));
    QFile::remove(path("src/gone.mp4"));
    EXPECT_FALSE(pack.PackTo(path("package.qmb")));
    EXPECT_TRUE(pack.LastError().startsWith("Cannot pack files.\n\r"));
    EXPECT_GT(pack.LastError().size(), QString("Cannot pack files.\n\r").size());
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports.front(), pack.LastError());

    TPackFiles unreadableName(nullptr);
    unreadableName.AddFile(source("a:b.mp4", "x"));
    ASSERT_EQ(unreadableName.Files().size(), 1);
    for (const QString& file : unreadableName.Files()) {
        TPackFiles one(nullptr);
        one.AddFile(file);
        EXPECT_FALSE(one.PackTo(path("package.qmb")));
        EXPECT_EQ(one.LastError(), "Cannot pack files.");
    }

    TPackFiles unwritable(nullptr);
    EXPECT_FALSE(unwritable.PackTo(path("no/such/folder/package.qmb")));
    EXPECT_EQ(unwritable.LastError(), "Cannot pack files.");
}

TEST_F(PackFiles, ExtractionFailuresBeforeTheEntries) {
    TPackFiles unpack(nullptr);
    EXPECT_FALSE(unpack.Extract(path("missing.qmb"), path("out")));
    EXPECT_EQ(unpack.LastError(), "The file does not exist.");

    write(path("package.qmb"), Header);
    write(path("blocker"), "a file where the folder should go");
    EXPECT_FALSE(unpack.Extract(path("package.qmb"), path("blocker/out")));
    EXPECT_EQ(unpack.LastError(), "Cannot create directory.");
}

struct DamagedCase {
    const char* what;
    QByteArray bytes;
    const char* error;
};

TEST_F(PackFiles, DamagedPackagesAreRefusedWithoutWritingOutside) {
    const char* notValid = "The file is not a valid Tavrin project.";
    const char* cannot = "Cannot extract files.";
    const QByteArray good = entry("good.txt", "fine");
    const DamagedCase cases[] = {
        {"five bytes", "QMB01", notValid},
        {"wrong magic", QByteArray("QMB02") + QByteArray(4, 0), notValid},
        {"wrong fifth byte of a long file", QByteArray("QMB0x") + QByteArray(40, 0), notValid},
        {"empty file", "", notValid},
        {"duration cut", QByteArray("QMB01") + "\x01\x02", cannot},
        {"name length 0", Header + int64le(0) + int64le(0), cannot},
        {"name length 1000", Header + int64le(1000) + QByteArray(1000, 'a') + int64le(0), cannot},
        {"negative name length", Header + int64le(-1) + "a" + int64le(0), cannot},
        {"huge name length", Header + int64le(qint64(1) << 62) + "abc", cannot},
        {"name cut", Header + int64le(10) + "abc", cannot},
        {"size cut", Header + int64le(1) + "a" + "\x01\x00", cannot},
        {"parent reference", Header + entry("../evil.txt", "x"), cannot},
        {"bare parent", Header + entry("..", "x"), cannot},
        {"dot", Header + entry(".", "x"), cannot},
        {"folder part", Header + entry("sub/evil.txt", "x"), cannot},
        {"absolute path", Header + entry(path("evil.txt").toUtf8(), "x"), cannot},
        {"backslash", Header + entry("..\\evil.txt", "x"), cannot},
        {"drive", Header + entry("C:evil.txt", "x"), cannot},
        {"NUL in name", Header + entry(QByteArray("evil\0.txt", 9), "x"), cannot},
        {"negative size", Header + entry("evil.txt", -1, ""), cannot},
        {"huge size", Header + entry("evil.txt", qint64(1) << 62, "x"), cannot},
        {"truncated bytes", Header + entry("evil.txt", 100, "only ten b"), cannot},
        {"good entry then a bad one", Header + good + entry("../evil.txt", "x"), cannot},
    };
    for (const DamagedCase& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(path("out")).removeRecursively();
        QFile::remove(path("evil.txt"));
        reports.clear();
        write(path("package.qmb"), c.bytes);
        TPackFiles unpack(nullptr);
        EXPECT_FALSE(unpack.Extract(path("package.qmb"), path("out")));
        EXPECT_EQ(unpack.LastError(), c.error);
        EXPECT_EQ(writtenOutside(path("out")), QStringList());
        const QStringList inside = QDir(path("out")).entryList(QDir::Files);
        EXPECT_TRUE(inside.isEmpty() || inside == QStringList{"good.txt"})
            << inside.join(",").toStdString();
        if (QString(c.error) == cannot && c.bytes.size() >= 9) {
            EXPECT_EQ(reports, QStringList{cannot});
        }
    }
}

TEST_F(PackFiles, ExtractionNeverWritesThroughALink) {
    QDir().mkpath(path("out"));
    write(path("victim.txt"), "keep");
    ASSERT_TRUE(QFile::link(path("victim.txt"), path("out/project.xml")));
    write(path("package.qmb"), Header + entry("project.xml", "new"));
    TPackFiles unpack(nullptr);
    EXPECT_TRUE(unpack.Extract(path("package.qmb"), path("out")));
    EXPECT_EQ(read(path("victim.txt")), "keep");
    EXPECT_EQ(read(path("out/project.xml")), "new");
}

TEST_F(PackFiles, ProgressBandsAndCancel) {
    const QByteArray large = randomBytes(TPackFiles::BufferSize * TPackFiles::ChunksPerCheck * 6);
    FakeProgress packing;
    TPackFiles pack(&packing);
    pack.AddFile(source("a.bin", large));
    pack.AddFile(source("b.bin", large));
    pack.ComputeFileSize();
    ASSERT_TRUE(pack.PackTo(path("package.qmb")));
    ASSERT_GE(packing.values.size(), 10u);
    EXPECT_TRUE(std::is_sorted(packing.values.begin(), packing.values.end()));
    EXPECT_GE(packing.values.front(), 20);
    EXPECT_EQ(packing.values.back(), 60);

    FakeProgress extracting;
    TPackFiles unpack(&extracting);
    ASSERT_TRUE(unpack.Extract(path("package.qmb"), path("out")));
    EXPECT_TRUE(std::is_sorted(extracting.values.begin(), extracting.values.end()));
    EXPECT_LE(extracting.values.back(), 80);
    EXPECT_GE(extracting.values.back(), 78);

    FakeProgress cancelPack;
    cancelPack.cancelAfter = 2;
    TPackFiles cancelled(&cancelPack);
    cancelled.AddFile(path("src/a.bin"));
    cancelled.AddFile(path("src/b.bin"));
    cancelled.ComputeFileSize();
    EXPECT_FALSE(cancelled.PackTo(path("cancelled.qmb")));
    EXPECT_TRUE(cancelled.Canceled());
    EXPECT_TRUE(cancelled.LastError().isEmpty());
    EXPECT_LT(QFileInfo(path("cancelled.qmb")).size(), large.size());

    FakeProgress cancelExtract;
    cancelExtract.cancelAfter = 2;
    TPackFiles stopped(&cancelExtract);
    EXPECT_FALSE(stopped.Extract(path("package.qmb"), path("stopped")));
    EXPECT_TRUE(stopped.Canceled());
    EXPECT_TRUE(stopped.LastError().isEmpty());
    EXPECT_FALSE(QFile::exists(path("stopped/b.bin")));
    QFile::remove(path("cancelled.qmb"));
}

TEST_F(PackFiles, InstalledProgressFormIsTheDefault) {
    FakeProgress form;
    InstallProgress(&form);
    TPackFiles pack;
    pack.AddFile(source("a.bin", randomBytes(TPackFiles::BufferSize * TPackFiles::ChunksPerCheck)));
    pack.ComputeFileSize();
    EXPECT_TRUE(pack.PackTo(path("package.qmb")));
    InstallProgress(nullptr);
    EXPECT_EQ(form.values, std::vector<int>{60});
}

TEST_F(PackFiles, ThumbnailReader) {
    std::int32_t duration = -1;
    const QString thumb = path("thumb.jpg");

    write(path("package.qmb"),
          Header + entry("project_thumbnail.jpg", "JPEG") + entry("project.xml", "<p/>"));
    EXPECT_TRUE(ReadPackageThumbnail(path("package.qmb"), thumb, duration));
    EXPECT_EQ(duration, 1234567);
    EXPECT_EQ(read(thumb), "JPEG");
    QFile::remove(thumb);

    write(path("package.qmb"), Header + entry("PROJECT_Thumbnail.JPG", "UP"));
    EXPECT_TRUE(ReadPackageThumbnail(path("package.qmb"), thumb, duration));
    EXPECT_EQ(read(thumb), "UP");
    QFile::remove(thumb);

    write(path("package.qmb"), Header + entry("project.xml", "<p/>"));
    EXPECT_TRUE(ReadPackageThumbnail(path("package.qmb"), thumb, duration));
    EXPECT_EQ(duration, 1234567);
    EXPECT_FALSE(QFile::exists(thumb));

    write(path("package.qmb"), Header);
    EXPECT_TRUE(ReadPackageThumbnail(path("package.qmb"), thumb, duration));

    write(path("package.qmb"), Header + entry(QByteArray(100, 'a'), "x"));
    EXPECT_TRUE(ReadPackageThumbnail(path("package.qmb"), thumb, duration));
    EXPECT_FALSE(QFile::exists(thumb));

    const QByteArray damaged[] = {"QMB01", "QMBxx12345",
                                  Header + entry("project_thumbnail.jpg", 50, "short"),
                                  Header + entry("project_thumbnail.jpg", -3, "")};
    for (const QByteArray& bytes : damaged) {
        write(path("package.qmb"), bytes);
        EXPECT_FALSE(ReadPackageThumbnail(path("package.qmb"), thumb, duration));
        EXPECT_FALSE(QFile::exists(thumb));
    }
    EXPECT_FALSE(ReadPackageThumbnail(path("missing.qmb"), thumb, duration));
    EXPECT_EQ(duration, 0);
}
