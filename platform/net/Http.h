#pragma once
// HTTP and HTTPS GET requests: the body streamed to the caller, the status code and the
// declared length of the final response. Redirects are followed (HTTP and HTTPS only), TLS
// certificates and host names are always verified, the system's proxy settings apply (never to
// the loopback addresses), and a server that stops sending is given up after a bounded wait.

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace platform::net {

struct HttpOptions {
    QString userAgent;
    int connectTimeoutMs = 15000;
    // Give up when no byte arrives for this long (whole seconds, at least one).
    int stallTimeoutMs = 30000;
    // Give up when the whole exchange takes longer; 0: no limit.
    int totalTimeoutMs = 0;
    int maxRedirects = 5;
};

struct HttpReply {
    int status = 0; // the final response's status code; 0 when none arrived
    // The final response's Content-Length; nothing when it declared none.
    std::optional<qint64> contentLength;
    qint64 received = 0; // body bytes received
    QString error;       // why the exchange did not complete; empty when it did

    bool completed() const { return error.isEmpty(); }
    // Completed with a 2xx status.
    bool succeeded() const { return completed() && status >= 200 && status < 300; }
};

// Takes each piece of the body as it arrives (the reply tells the status and the declared
// length so far); returning false aborts the transfer.
using BodySink = std::function<bool(const char* data, qsizetype size, const HttpReply& reply)>;

HttpReply get(const QString& url, const BodySink& sink, const HttpOptions& options = {});
// The whole body in memory.
HttpReply get(const QString& url, QByteArray& body, const HttpOptions& options = {});

} // namespace platform::net
