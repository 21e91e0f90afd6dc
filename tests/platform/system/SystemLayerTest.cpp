#include "platform/system/Clock.h"
#include "platform/system/Messages.h"
#include "platform/system/NamedMutex.h"
#include "platform/system/Registry.h"
#include "platform/system/Shell.h"
#include "platform/system/SystemInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace platform::system;

namespace {

// Points the per-user configuration and runtime folders at a scratch folder.
class ScratchEnvironment : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.filePath("config")));
        QDir().mkpath(dir_.filePath("run"));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir_.filePath("run")));
    }
    QTemporaryDir dir_;
};

using RegistryTest = ScratchEnvironment;
using NamedMutexTest = ScratchEnvironment;

TEST_F(RegistryTest, BinaryAndStringValuesRoundTripThroughFiles) {
    RegistryKey key("Tavrin");
    EXPECT_FALSE(key.exists());
    EXPECT_FALSE(key.readBinary("Data").has_value());

    QByteArray data(16136, '\0');
    data[0] = 1;
    data[16135] = char(0xAB);
    ASSERT_TRUE(key.writeBinary("Data", data));
    ASSERT_TRUE(key.writeString("VersionS", QString::fromUtf8("2026 (Build 1.0) ✓")));

    RegistryKey again("Tavrin");
    EXPECT_TRUE(again.exists());
    EXPECT_EQ(again.readBinary("Data"), data);
    EXPECT_EQ(again.readString("VersionS"), QString::fromUtf8("2026 (Build 1.0) ✓"));
    EXPECT_TRUE(QFile::exists(dir_.filePath("config/Tavrin/Data")));
    // The atomic write leaves no temporary file behind.
    EXPECT_EQ(QDir(dir_.filePath("config/Tavrin")).entryList(QDir::Files).size(), 2);
}

TEST_F(RegistryTest, ValueNamesWithSeparatorsAreRefused) {
    RegistryKey key("Tavrin");
    EXPECT_FALSE(key.writeBinary("../escape", "x"));
    EXPECT_FALSE(key.writeBinary("", "x"));
    EXPECT_FALSE(QFile::exists(dir_.filePath("config/escape")));
}

TEST_F(RegistryTest, AnUnwritableKeyReportsFailure) {
    // A file where the key's folder should be makes every write fail.
    QDir().mkpath(dir_.filePath("config"));
    QFile blocker(dir_.filePath("config/Tavrin"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(RegistryKey("Tavrin").writeBinary("Data", "x"));
}

TEST_F(RegistryTest, PrivateValuesAreTheUsersAloneEvenOverAnOpenFolder) {
    QDir().mkpath(dir_.filePath("config/Tavrin/GoogleDrive"));
    QFile::setPermissions(dir_.filePath("config/Tavrin/GoogleDrive"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                              QFileDevice::ReadOther | QFileDevice::ExeOther);
    RegistryKey key("Tavrin/GoogleDrive");
    ASSERT_TRUE(key.writePrivate("ACCESS_TOKEN", "first"));
    ASSERT_TRUE(key.writePrivate("ACCESS_TOKEN", "second"));
    EXPECT_EQ(key.readBinary("ACCESS_TOKEN"), QByteArray("second"));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(key.valuePath("ACCESS_TOKEN")).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(QFile::encodeName(key.folder()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(QDir(key.folder()).entryList(QDir::Files), QStringList{"ACCESS_TOKEN"});
    EXPECT_FALSE(key.writePrivate("../escape", "x"));
}

// Starts the probe process holding `name` and returns once it said what it got.
struct Probe {
    QProcess process;
    QString answer;

    explicit Probe(const QString& name) {
        process.start(MUTEX_PROBE, {name});
        process.waitForStarted();
        process.waitForReadyRead(10000);
        answer = QString::fromLocal8Bit(process.readLine()).trimmed();
    }
    ~Probe() {
        process.closeWriteChannel();
        process.waitForFinished(10000);
    }
};

TEST_F(NamedMutexTest, ASecondProcessFindsTheMutexTaken) {
    Probe first("Tavrin_Test_Mutex");
    ASSERT_EQ(first.answer, "held");
    {
        NamedMutex mine("Tavrin_Test_Mutex");
        EXPECT_TRUE(mine.alreadyExisted());
        EXPECT_FALSE(mine.owned());
    }
    Probe second("Tavrin_Test_Mutex");
    EXPECT_EQ(second.answer, "taken");
}

TEST_F(NamedMutexTest, TheMutexIsFreeAgainWhenItsHolderEnds) {
    {
        Probe holder("Tavrin_Test_Mutex");
        ASSERT_EQ(holder.answer, "held");
    }
    NamedMutex mine("Tavrin_Test_Mutex");
    EXPECT_FALSE(mine.alreadyExisted());
    EXPECT_TRUE(mine.owned());
    // Another process now finds it taken, and finds it free once this one is closed.
    {
        Probe other("Tavrin_Test_Mutex");
        EXPECT_EQ(other.answer, "taken");
    }
    mine.close();
    Probe after("Tavrin_Test_Mutex");
    EXPECT_EQ(after.answer, "held");
}

TEST(MessagesTest, AMessagePostedFromAWorkerRunsOnTheReceiversThread) {
    MessageReceiver receiver;
    std::int64_t seenW = 0, seenL = 0;
    QThread* seenThread = nullptr;
    receiver.on(msg::AudioLevel, [&](std::int64_t w, std::int64_t l) {
        seenW = w;
        seenL = l;
        seenThread = QThread::currentThread();
    });
    QThread* worker = QThread::create(
        [&] { postMessage(&receiver, msg::AudioLevel, 42, std::int64_t(1) << 40); });
    worker->start();
    worker->wait();
    delete worker;
    EXPECT_EQ(seenThread, nullptr) << "delivery must wait for the receiver's event loop";
    QCoreApplication::processEvents();
    EXPECT_EQ(seenThread, QThread::currentThread());
    EXPECT_EQ(seenW, 42);
    EXPECT_EQ(seenL, std::int64_t(1) << 40);
    EXPECT_FALSE(postMessage(nullptr, msg::AudioLevel));
}

TEST(ClockTest, TheClockIsMonotonicAndTheTickCountFollowsIt) {
    const double before = monotonicMilliseconds();
    const std::uint32_t tick = tickCount();
    QThread::msleep(20);
    const double after = monotonicMilliseconds();
    EXPECT_GE(after - before, 19.0);
    EXPECT_GE(static_cast<std::uint32_t>(tickCount() - tick), 19u);
    EXPECT_EQ(performanceFrequency(), 1'000'000'000);
}

TEST(SystemInfoTest, SSSE3AgreesWithTheKernelsCpuFlags) {
    QFile cpuinfo("/proc/cpuinfo");
    ASSERT_TRUE(cpuinfo.open(QIODevice::ReadOnly));
    const bool kernelSays = cpuinfo.readAll().contains(" ssse3");
    EXPECT_EQ(processorHasSSSE3(), kernelSays);
    EXPECT_GT(osVersion().major, 0);
    EXPECT_GT(physicalMemory(), 0u);
    EXPECT_FALSE(isServerEdition());
}

TEST(ShellTest, KnownFoldersHaveNoTrailingSeparator) {
    for (KnownFolder folder : {KnownFolder::Documents, KnownFolder::Temp}) {
        const QString path = knownFolderPath(folder);
        EXPECT_FALSE(path.isEmpty());
        EXPECT_FALSE(path.endsWith('/')) << path.toStdString();
    }
}

} // namespace
