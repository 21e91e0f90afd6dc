#include "core/URServerMessages.h"

#include <QDebug>

namespace {

// Stand-in until the vendor endpoint client is built: nothing leaves the machine.
QString logOnly(const QString& status, bool synchronous) {
    qInfo().noquote() << "server message" << (synchronous ? "(sync)" : "(background)") << status;
    return {};
}

TRServerMessageSink sink = logOnly;

} // namespace

void SetServerMessageSink(TRServerMessageSink newSink) {
    sink = newSink ? std::move(newSink) : TRServerMessageSink(logOnly);
}

void SendServerMessage(QString& reply, bool enabled, int mode, const QString& status) {
    reply.clear();
    if (!enabled)
        return;
    const QString answer = sink(status, mode == 1);
    if (mode == 1)
        reply = answer;
}

QString TroubleshootingAddress() {
    QString base = qEnvironmentVariable("TAVRIN_VENDOR_URL", "https://tavrin.app");
    while (base.endsWith('/'))
        base.chop(1);
    return base + "/troubleshooting";
}
