#pragma once
// HTTP and HTTPS requests: any method with its header lines, a body from memory or streamed from
// a file with its length announced in advance (a fixed Content-Length, never chunked), the body
// of the reply streamed to the caller, the status code and the declared length of the final
// response. Redirects are followed for requests without a body (HTTP and HTTPS only), TLS
// certificates and host names are always verified, the system's proxy settings apply (never to
// the loopback addresses), and a server that stops sending is given up after a bounded wait.

#include <QByteArray>
#include <QList>
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
    // A PEM file of the certificate authorities to trust instead of the system's (tests).
    QString caFile;
};

// Where a request that did not complete stopped.
enum class HttpFailure {
    None,
    Start,     // the request could not be prepared (the library, a body file that cannot be read)
    Address,   // the address is malformed or names another protocol
    Send,      // connecting, the TLS handshake or sending failed: no response arrived
    Receive,   // the response began but its body did not arrive whole
    Cancelled, // the caller stopped the transfer
};

struct HttpReply {
    int status = 0; // the final response's status code; 0 when none arrived
    // The final response's Content-Length; nothing when it declared none.
    std::optional<qint64> contentLength;
    qint64 received = 0;                     // body bytes received
    QString error;                           // why the exchange did not complete; empty when it did
    HttpFailure failure = HttpFailure::None; // where it stopped
    int errorCode = 0;                       // the network library's code of the failure

    bool completed() const { return error.isEmpty(); }
    // Completed with a 2xx status.
    bool succeeded() const { return completed() && status >= 200 && status < 300; }
};

// Takes each piece of the body as it arrives (the reply tells the status and the declared
// length so far); returning false aborts the transfer.
using BodySink = std::function<bool(const char* data, qsizetype size, const HttpReply& reply)>;

// Told after each block of the body file with the file bytes sent so far and the file's size;
// returning false stops the transfer before anything further is sent.
using UploadProgress = std::function<bool(qint64 sent, qint64 total)>;

// The body of a request: `head`, then the file (in blocks of UploadBlockSize bytes), then
// `tail`; the announced length is their sum.
struct HttpBody {
    QByteArray head;
    QString file; // empty: no file
    QByteArray tail;
};

inline constexpr qint64 UploadBlockSize = 4096;

struct HttpRequest {
    QByteArray method = "GET";
    QString url;
    QList<QByteArray> headers; // complete header lines ("Name: value"), without CR LF
    bool http10 = false;       // speak HTTP/1.0 instead of HTTP/1.1
    std::optional<HttpBody> body;
    UploadProgress progress;
};

HttpReply send(const HttpRequest& request, const BodySink& sink, const HttpOptions& options = {});
// The whole reply body in memory.
HttpReply send(const HttpRequest& request, QByteArray& body, const HttpOptions& options = {});

// A GET that asks for a fresh copy (no cache on the way).
HttpReply get(const QString& url, const BodySink& sink, const HttpOptions& options = {});
HttpReply get(const QString& url, QByteArray& body, const HttpOptions& options = {});

// The network library's text for one of its failure codes, without a final full stop.
QString errorText(int code);

} // namespace platform::net
