#pragma once
// A small HTTPS server on 127.0.0.1 (an ephemeral port) for the network tests. It makes a
// certificate authority of its own and a server certificate for the names it is given; the
// authority's certificate is written to a PEM file that the client is told to trust. It runs its
// own thread and serves one connection at a time: each request is read whole (its body by its
// Content-Length), kept for the test, and answered from the routes; unknown paths get 404.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

struct TlsRequest {
    QByteArray method;
    QByteArray target; // path and query
    QByteArray version;
    QList<QByteArray> headerLines; // as sent, in order
    QByteArray body;
    bool complete = false; // the body arrived up to its declared length

    // The value of the first header of that name (case-insensitive); empty when missing.
    QByteArray header(const QByteArray& name) const;
    bool hasHeader(const QByteArray& name) const;
};

struct TlsResponse {
    int status = 200;
    QByteArray body;
    QList<QByteArray> headerLines;
};

// Answers a request that a route matched (a fake service that checks what it is sent).
using TlsHandler = std::function<TlsResponse(const TlsRequest& request)>;

class TlsTestServer {
public:
    // `subjectAltName` names the server certificate's names ("IP:127.0.0.1", "DNS:other.test").
    explicit TlsTestServer(const QByteArray& subjectAltName = "IP:127.0.0.1");
    ~TlsTestServer();
    TlsTestServer(const TlsTestServer&) = delete;
    TlsTestServer& operator=(const TlsTestServer&) = delete;

    // The answer to `method` on `path`: a path with its query is matched before the bare path.
    // A request naming "access_token" or "key" in its query is answered 400.
    void route(const QByteArray& method, const QByteArray& path, TlsResponse response);
    // The same with an answer made for each request (on the server's thread).
    void route(const QByteArray& method, const QByteArray& path, TlsHandler handler);

    quint16 port() const { return port_; }
    QString host() const { return "127.0.0.1:" + QString::number(port_); }
    QString base() const { return "https://" + host(); }
    // The PEM file of the authority that signed the server's certificate.
    QString caFile() const { return caFile_; }

    // Whether request bodies are kept (benchmarks sending much data turn it off).
    void keepBodies(bool keep) { keepBodies_ = keep; }

    // The requests so far, after waiting (up to a few seconds) until there are `atLeast`.
    std::vector<TlsRequest> requests(std::size_t atLeast = 0) const;

    // A port on 127.0.0.1 on which nothing listens.
    static quint16 closedPort();

private:
    struct Tls;
    void run();
    void serve(int client);
    TlsResponse answerFor(const TlsRequest& request) const;

    QTemporaryDir dir_;
    QString caFile_;
    std::unique_ptr<Tls> tls_;
    int listener_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<bool> keepBodies_{true};
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::map<QByteArray, TlsHandler> routes_;
    std::vector<TlsRequest> requests_;
    std::thread thread_;
};
