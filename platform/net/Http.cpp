#include "platform/net/Http.h"

#include <QList>
#include <curl/curl.h>
#include <memory>
#include <mutex>

namespace platform::net {

namespace {

void initializeOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The loopback addresses never go through a proxy, whatever the environment says.
QByteArray noProxyList() {
    QByteArray list = qgetenv("no_proxy");
    if (list.isEmpty())
        list = qgetenv("NO_PROXY");
    if (!list.isEmpty())
        list += ',';
    return list + "127.0.0.1,localhost,::1";
}

struct Transfer {
    const BodySink* sink;
    HttpReply reply;
    bool aborted = false;
};

// Each response (one per redirect) starts with its status line; its Content-Length replaces the
// one of the response before.
size_t onHeader(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const QByteArray line = QByteArray(data, qsizetype(size * count)).trimmed();
    if (line.startsWith("HTTP/")) {
        transfer->reply.contentLength.reset();
        transfer->reply.status = line.split(' ').value(1).toInt();
    }
    const qsizetype colon = line.indexOf(':');
    if (colon > 0 &&
        line.left(colon).trimmed().compare("content-length", Qt::CaseInsensitive) == 0) {
        bool ok = false;
        const qint64 length = line.mid(colon + 1).trimmed().toLongLong(&ok);
        if (ok && length >= 0)
            transfer->reply.contentLength = length;
    }
    return size * count;
}

size_t onBody(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    transfer->reply.received += qint64(bytes);
    if (!(*transfer->sink)(data, qsizetype(bytes), transfer->reply)) {
        transfer->aborted = true;
        return CURL_WRITEFUNC_ERROR;
    }
    return bytes;
}

using Easy = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;

void configure(CURL* curl, const QByteArray& url, const QByteArray& agent,
               const QByteArray& noProxy, const HttpOptions& options) {
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, agent.constData());
    curl_easy_setopt(curl, CURLOPT_NOPROXY, noProxy.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, long(options.maxRedirects));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(options.connectTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, long(options.totalTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME,
                     std::max(1L, long(options.stallTimeoutMs / 1000)));
    // Never a cached copy from a proxy.
    curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
}

} // namespace

HttpReply get(const QString& url, const BodySink& sink, const HttpOptions& options) {
    initializeOnce();
    Transfer transfer{&sink};
    Easy curl(curl_easy_init(), &curl_easy_cleanup);
    if (!curl) {
        transfer.reply.error = "The network library cannot start a request.";
        return transfer.reply;
    }
    const QByteArray address = url.toUtf8();
    const QByteArray agent = options.userAgent.toUtf8();
    const QByteArray noProxy = noProxyList();
    configure(curl.get(), address, agent, noProxy, options);
    curl_slist* headers = curl_slist_append(nullptr, "Cache-Control: no-cache");
    curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl.get(), CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(curl.get(), CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &transfer);
    const CURLcode code = curl_easy_perform(curl.get());
    curl_slist_free_all(headers);
    long status = 0;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
    transfer.reply.status = int(status);
    if (transfer.aborted)
        transfer.reply.error = "The transfer was stopped.";
    else if (code != CURLE_OK)
        transfer.reply.error = QString::fromUtf8(curl_easy_strerror(code));
    return transfer.reply;
}

HttpReply get(const QString& url, QByteArray& body, const HttpOptions& options) {
    body.clear();
    return get(
        url,
        [&body](const char* data, qsizetype size, const HttpReply&) {
            body.append(data, size);
            return true;
        },
        options);
}

} // namespace platform::net
