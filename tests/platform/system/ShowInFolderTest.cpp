// Showing a file in the desktop's file manager: the FileManager1 service of a private session
// bus gets the file's address; without one, xdg-open (a stub here) gets the folder.
#include "platform/system/Shell.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <gtest/gtest.h>
#include <optional>

using platform::system::showInFolder;

// The file manager's service: records what it was asked to show.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList Items() const {
        const QMutexLocker lock(&mutex_);
        return items_;
    }

public Q_SLOTS:
    void ShowItems(const QStringList& uris, const QString& startupId) {
        const QMutexLocker lock(&mutex_);
        items_ = uris;
        Q_UNUSED(startupId);
    }

private:
    mutable QMutex mutex_;
    QStringList items_;
};

namespace {

// Sets an environment variable for one test and puts the old value back.
class EnvironmentValue {
public:
    EnvironmentValue(const char* name, const QByteArray& value)
        : name_(name),
          old_(qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name))
                                               : std::nullopt) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvironmentValue() {
        if (old_)
            qputenv(name_, *old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    std::optional<QByteArray> old_;
};

class ShowInFolder : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(dir_.path()).mkpath("My clips"));
        file_ = dir_.filePath("My clips/clip #1.mp4");
        QFile out(file_);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        // A stub xdg-open that writes down its arguments.
        QFile stub(dir_.filePath("xdg-open"));
        ASSERT_TRUE(stub.open(QIODevice::WriteOnly));
        stub.write("#!/bin/sh\nprintf '%s' \"$*\" > \"$0.called.tmp\" && mv \"$0.called.tmp\" "
                   "\"$0.called\"\n");
        stub.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // What the stub was called with, once it was (empty after `tries` × 50 ms without).
    QString StubCall(int tries = 100) const {
        for (int i = 0; i < tries && !QFile::exists(dir_.filePath("xdg-open.called")); ++i)
            QThread::msleep(50);
        QFile called(dir_.filePath("xdg-open.called"));
        return called.open(QIODevice::ReadOnly) ? QString::fromUtf8(called.readAll()) : QString();
    }
    QByteArray StubPath() const { return QFile::encodeName(dir_.path()) + ':' + qgetenv("PATH"); }

    QTemporaryDir dir_;
    QString file_;
};

TEST_F(ShowInFolder, TheFileManagerOfTheSessionBusGetsTheFilesAddress) {
    QProcess daemon;
    daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    ASSERT_TRUE(daemon.waitForReadyRead(10000));
    const QByteArray address = daemon.readLine().trimmed();
    ASSERT_FALSE(address.isEmpty());

    FakeFileManager manager;
    QThread managerThread;
    manager.moveToThread(&managerThread);
    managerThread.start();
    {
        QDBusConnection service = QDBusConnection::connectToBus(QString(address), "fake-fm");
        ASSERT_TRUE(service.isConnected());
        ASSERT_TRUE(service.registerService("org.freedesktop.FileManager1"));
        ASSERT_TRUE(service.registerObject("/org/freedesktop/FileManager1", &manager,
                                           QDBusConnection::ExportAllSlots));
        const EnvironmentValue bus("DBUS_SESSION_BUS_ADDRESS", address);
        const EnvironmentValue path("PATH", StubPath());
        EXPECT_TRUE(showInFolder(file_));
        service.unregisterObject("/org/freedesktop/FileManager1");
    }
    QDBusConnection::disconnectFromBus("fake-fm");
    managerThread.quit();
    managerThread.wait();
    daemon.kill();
    daemon.waitForFinished();

    EXPECT_EQ(manager.Items(),
              QStringList{QUrl::fromLocalFile(file_).toString(QUrl::FullyEncoded)});
    EXPECT_TRUE(manager.Items().value(0).endsWith("/My%20clips/clip%20%231.mp4"));
    EXPECT_FALSE(QFile::exists(dir_.filePath("xdg-open.called")));
}

TEST_F(ShowInFolder, WithoutAFileManagerTheFolderIsOpenedAndAMissingFileNot) {
    const EnvironmentValue bus("DBUS_SESSION_BUS_ADDRESS", QByteArray());
    const EnvironmentValue path("PATH", StubPath());
    EXPECT_FALSE(showInFolder(dir_.filePath("My clips/missing.mp4")));
    EXPECT_TRUE(StubCall(20).isEmpty());
    EXPECT_TRUE(showInFolder(file_));
    EXPECT_EQ(StubCall(), dir_.filePath("My clips"));
}

} // namespace

#include "ShowInFolderTest.moc"
