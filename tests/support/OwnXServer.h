#pragma once
// An X server of one test's own (Xvfb on a display number it picks itself), so that what the
// test draws and records is not disturbed by other tests on the shared server. Extra arguments
// go to Xvfb (for example "-extension", "MIT-SHM").

#include <QProcess>
#include <QStringList>

class OwnXServer {
public:
    explicit OwnXServer(const QStringList& extra = {}, const QString& screen = "640x480x24") {
        // Xvfb writes the number of the display it took to standard output once it is ready.
        Server.start(QStringLiteral("Xvfb"),
                     QStringList{QStringLiteral("-displayfd"), QStringLiteral("1"),
                                 QStringLiteral("-screen"), QStringLiteral("0"), screen,
                                 QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                                 // Without it the server resets whenever its last client
                                 // leaves, and a connection made during the reset is refused.
                                 QStringLiteral("-noreset")} +
                         extra);
        QByteArray number;
        while (!number.endsWith('\n') && Server.waitForReadyRead(10000))
            number += Server.readAllStandardOutput();
        if (number.trimmed().toInt() > 0 || number.trimmed() == "0")
            Display = ":" + number.trimmed();
    }
    ~OwnXServer() {
        Server.terminate();
        Server.waitForFinished(3000);
    }
    OwnXServer(const OwnXServer&) = delete;
    OwnXServer& operator=(const OwnXServer&) = delete;

    bool Ok() const { return !Display.isEmpty(); }
    qint64 Pid() const { return Server.processId(); }
    QByteArray Display;

private:
    QProcess Server;
};
