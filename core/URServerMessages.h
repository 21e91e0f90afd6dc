#pragma once
// Messages to the vendor endpoint: the start report, start-up failures and crash markers.

#include <QString>
#include <functional>

// Sends the status. `mode` 1 sends synchronously and returns the reply; any other mode sends in
// the background. With `enabled` false nothing is sent and the reply is empty.
void SendServerMessage(QString& reply, bool enabled, int mode, const QString& status);

// Where messages go. Until the network client exists, messages are only logged; tests install
// their own sink to see what would be sent.
using TRServerMessageSink = std::function<QString(const QString& status, bool synchronous)>;
void SetServerMessageSink(TRServerMessageSink sink);

// The vendor's troubleshooting page; TAVRIN_VENDOR_URL replaces the vendor's base address.
QString TroubleshootingAddress();
