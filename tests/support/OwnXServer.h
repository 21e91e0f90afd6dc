#pragma once
// An X server of one test's own (Xvfb on a free display number), so that what the test draws
// and records is not disturbed by other tests on the shared server. Extra arguments go to
// Xvfb (for example "-extension", "MIT-SHM").

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QThread>
#include <xcb/xcb.h>

class OwnXServer {
public:
    explicit OwnXServer(QStringList extra = {}, const QString& screen = "640x480x24") {
        for (int n = 180; n < 400 && Display.isEmpty(); ++n) {
            if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
                continue;
            Server.start(QStringLiteral("Xvfb"),
                         QStringList{QStringLiteral(":%1").arg(n), QStringLiteral("-screen"),
                                     QStringLiteral("0"), screen, QStringLiteral("-nolisten"),
                                     QStringLiteral("tcp")} +
                             extra);
            if (WaitForConnection(QStringLiteral(":%1").arg(n).toLatin1()))
                Display = QStringLiteral(":%1").arg(n).toLatin1();
            else
                Stop();
        }
    }
    ~OwnXServer() { Stop(); }
    OwnXServer(const OwnXServer&) = delete;
    OwnXServer& operator=(const OwnXServer&) = delete;

    bool Ok() const { return !Display.isEmpty(); }
    qint64 Pid() const { return Server.processId(); }
    QByteArray Display;

private:
    bool WaitForConnection(const QByteArray& name) {
        for (int i = 0; i < 100 && Server.state() != QProcess::NotRunning; ++i) {
            xcb_connection_t* conn = xcb_connect(name.constData(), nullptr);
            const bool ok = !xcb_connection_has_error(conn);
            xcb_disconnect(conn);
            if (ok)
                return true;
            QThread::msleep(30);
        }
        return false;
    }
    void Stop() {
        if (Server.state() != QProcess::NotRunning) {
            Server.terminate();
            Server.waitForFinished(3000);
        }
    }

    QProcess Server;
};
