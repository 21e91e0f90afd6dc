// What the tests of the export forms share: an editor that offers one project, and a stand-in
// for xdg-open on the PATH with no session bus, so that showing a file in its folder reaches
// the stand-in, which writes down what it was given.
#pragma once

#include "core/UREditorServices.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QThread>
#include <gtest/gtest.h>

namespace exportforms {

class OneProjectEditor : public TREditorServices {
public:
    TRProject* Project = nullptr;
    TRProject* ActiveProject() const override { return Project; }
    void RepaintScene() override {}
};

// Puts a stand-in xdg-open into `folder`, first on the PATH, with no session bus, until it ends.
class StubFileManager {
public:
    explicit StubFileManager(const QString& folder)
        : folder_(folder), path_(qgetenv("PATH")), bus_(qgetenv("DBUS_SESSION_BUS_ADDRESS")) {
        QFile stub(QDir(folder).filePath("xdg-open"));
        EXPECT_TRUE(stub.open(QIODevice::WriteOnly));
        stub.write("#!/bin/sh\nprintf '%s' \"$*\" > \"$0.called\"\n");
        stub.close();
        stub.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", QFile::encodeName(folder) + ':' + path_);
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    }
    ~StubFileManager() {
        qputenv("PATH", path_);
        if (!bus_.isNull())
            qputenv("DBUS_SESSION_BUS_ADDRESS", bus_);
    }
    StubFileManager(const StubFileManager&) = delete;
    StubFileManager& operator=(const StubFileManager&) = delete;

    // What the stand-in was called with, once it was (empty after `tries` × 50 ms without).
    QString Called(int tries = 100) const {
        const QString file = QDir(folder_).filePath("xdg-open.called");
        for (int i = 0; i < tries && !QFile::exists(file); ++i)
            QThread::msleep(50);
        QFile called(file);
        return called.open(QIODevice::ReadOnly) ? QString::fromUtf8(called.readAll()) : QString();
    }

private:
    QString folder_;
    QByteArray path_;
    QByteArray bus_;
};

} // namespace exportforms
