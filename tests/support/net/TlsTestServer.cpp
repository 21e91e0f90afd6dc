#include "tests/support/net/TlsTestServer.h"

#include <QFile>
#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <pthread.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

using Key = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using Certificate = std::unique_ptr<X509, decltype(&X509_free)>;

void require(bool ok, const char* what) {
    if (!ok)
        throw std::runtime_error(what);
}

void addExtension(X509* cert, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    require(extension, "certificate extension");
    X509_add_ext(cert, extension, -1);
    X509_EXTENSION_free(extension);
}

// A certificate for `key`, signed by the issuer (itself when there is none).
Certificate makeCertificate(EVP_PKEY* key, const char* commonName, X509* issuer,
                            EVP_PKEY* issuerKey, const QByteArray& subjectAltName) {
    static std::atomic<long> serial{1};
    Certificate cert(X509_new(), &X509_free);
    X509_set_version(cert.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), serial++);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 86400);
    X509_set_pubkey(cert.get(), key);
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
    X509* signer = issuer ? issuer : cert.get();
    X509_set_issuer_name(cert.get(), X509_get_subject_name(signer));
    addExtension(cert.get(), signer, NID_subject_key_identifier, "hash");
    addExtension(cert.get(), signer, NID_authority_key_identifier, "keyid:always");
    if (!issuer) {
        addExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:TRUE");
        addExtension(cert.get(), signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        addExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:FALSE");
        addExtension(cert.get(), signer, NID_ext_key_usage, "serverAuth");
        addExtension(cert.get(), signer, NID_subject_alt_name, subjectAltName.constData());
    }
    require(X509_sign(cert.get(), issuerKey ? issuerKey : key, EVP_sha256()) > 0, "signing");
    return cert;
}

QByteArray pem(X509* cert) {
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(bio, cert);
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    QByteArray text(data, size);
    BIO_free(bio);
    return text;
}

QByteArray lowerName(const QByteArray& line) {
    return line.left(line.indexOf(':')).trimmed().toLower();
}

// Reads from the connection until `done` says the bytes so far are enough or it ends.
template <typename Done> bool readUntil(SSL* ssl, QByteArray& buffer, Done&& done) {
    char chunk[16384];
    while (!done(buffer)) {
        const int count = SSL_read(ssl, chunk, sizeof chunk);
        if (count <= 0)
            return false;
        buffer.append(chunk, count);
    }
    return true;
}

TlsRequest parseHead(const QByteArray& head) {
    TlsRequest request;
    QList<QByteArray> lines = head.split('\n');
    for (QByteArray& line : lines)
        line = line.endsWith('\r') ? line.chopped(1) : line;
    const QList<QByteArray> first = lines.value(0).split(' ');
    request.method = first.value(0);
    request.target = first.value(1);
    request.version = first.value(2);
    request.headerLines = lines.mid(1);
    return request;
}

QByteArray reasonText(int status) {
    return status < 400 ? "OK" : "Error";
}

} // namespace

QByteArray TlsRequest::header(const QByteArray& name) const {
    for (const QByteArray& line : headerLines)
        if (lowerName(line) == name.toLower())
            return line.mid(line.indexOf(':') + 1).trimmed();
    return {};
}

bool TlsRequest::hasHeader(const QByteArray& name) const {
    for (const QByteArray& line : headerLines)
        if (lowerName(line) == name.toLower())
            return true;
    return false;
}

struct TlsTestServer::Tls {
    std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> context{nullptr, &SSL_CTX_free};
};

TlsTestServer::TlsTestServer(const QByteArray& subjectAltName) : tls_(std::make_unique<Tls>()) {
    Key caKey(EVP_EC_gen("P-256"), &EVP_PKEY_free);
    Key serverKey(EVP_EC_gen("P-256"), &EVP_PKEY_free);
    require(caKey && serverKey, "key generation");
    const Certificate ca =
        makeCertificate(caKey.get(), "Tavrin Test Authority", nullptr, nullptr, {});
    const Certificate server = makeCertificate(serverKey.get(), "Tavrin Test Server", ca.get(),
                                               caKey.get(), subjectAltName);
    caFile_ = dir_.filePath("ca.pem");
    QFile file(caFile_);
    require(file.open(QIODevice::WriteOnly) && file.write(pem(ca.get())) > 0, "authority file");
    file.close();

    tls_->context.reset(SSL_CTX_new(TLS_server_method()));
    SSL_CTX_set_num_tickets(tls_->context.get(), 0); // nothing written unasked
    require(SSL_CTX_use_certificate(tls_->context.get(), server.get()) == 1 &&
                SSL_CTX_use_PrivateKey(tls_->context.get(), serverKey.get()) == 1,
            "server certificate");

    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    require(::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                ::listen(listener_, 8) == 0,
            "listening socket");
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { run(); });
}

TlsTestServer::~TlsTestServer() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
}

void TlsTestServer::route(const QByteArray& method, const QByteArray& path, TlsResponse response) {
    route(method, path, [response](const TlsRequest&) { return response; });
}

void TlsTestServer::route(const QByteArray& method, const QByteArray& path, TlsHandler handler) {
    std::lock_guard lock(mutex_);
    routes_[method + " " + path] = std::move(handler);
}

std::vector<TlsRequest> TlsTestServer::requests(std::size_t atLeast) const {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, std::chrono::seconds(5), [&] { return requests_.size() >= atLeast; });
    return requests_;
}

quint16 TlsTestServer::closedPort() {
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe); // bound, never listening: connections are refused
    return ntohs(address.sin_port);
}

void TlsTestServer::run() {
    // A client that went away makes writes fail with EPIPE here instead of ending the process.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    while (!stop_) {
        pollfd waiting{listener_, POLLIN, 0};
        if (::poll(&waiting, 1, 50) <= 0)
            continue;
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        timeval limit{5, 0}; // a stuck client never holds the server for long
        ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        serve(client);
        ::close(client);
    }
}

void TlsTestServer::serve(int client) {
    std::unique_ptr<SSL, decltype(&SSL_free)> ssl(SSL_new(tls_->context.get()), &SSL_free);
    SSL_set_fd(ssl.get(), client);
    if (SSL_accept(ssl.get()) != 1) { // the client refused the certificate
        ERR_clear_error();
        return;
    }
    QByteArray buffer;
    if (!readUntil(ssl.get(), buffer, [](QByteArray& b) { return b.contains("\r\n\r\n"); }))
        return;
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    TlsRequest request = parseHead(buffer.left(end));
    QByteArray body = buffer.mid(end + 4);
    const qint64 declared = request.header("Content-Length").toLongLong();
    qint64 received = 0;
    request.complete = readUntil(ssl.get(), body, [&](QByteArray& b) {
        if (!keepBodies_) {
            received += b.size();
            b.clear();
            return received >= declared;
        }
        return b.size() >= declared;
    });
    request.body = body;
    const bool complete = request.complete;
    const TlsResponse response = answerFor(request);
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(std::move(request));
    }
    arrived_.notify_all();
    if (!complete)
        return;
    QByteArray reply = "HTTP/1.1 " + QByteArray::number(response.status) + " " +
                       reasonText(response.status) + "\r\n";
    if (response.status != 204)
        reply += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    for (const QByteArray& line : response.headerLines)
        reply += line + "\r\n";
    reply += "Connection: close\r\n\r\n" + response.body;
    SSL_write(ssl.get(), reply.constData(), int(reply.size()));
    SSL_shutdown(ssl.get());
}

namespace {

// A query naming an access token or an API key: secrets travel in headers, never in a URL.
bool carriesSecret(const QByteArray& query) {
    for (const QByteArray& pair : query.split('&')) {
        const QByteArray name = pair.left(pair.indexOf('=')).toLower();
        if (name == "access_token" || name == "key")
            return true;
    }
    return false;
}

} // namespace

TlsResponse TlsTestServer::answerFor(const TlsRequest& request) const {
    const qsizetype query = request.target.indexOf('?');
    const QByteArray path = query < 0 ? request.target : request.target.left(query);
    if (query >= 0 && carriesSecret(request.target.mid(query + 1)))
        return {400, "secret in URL", {}};
    TlsHandler handler;
    {
        std::lock_guard lock(mutex_);
        auto found = routes_.find(request.method + " " + request.target);
        if (found == routes_.end())
            found = routes_.find(request.method + " " + path);
        if (found != routes_.end())
            handler = found->second;
    }
    return handler ? handler(request) : TlsResponse{404, "missing", {}};
}
