#include "platform/net/Http.h"

#include <QFile>
#include <cstring>
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

// The body of a request as curl asks for it: the head, the file in blocks, the tail.
class BodyReader {
public:
    BodyReader(const HttpBody& body, const UploadProgress& progress)
        : body_(body), progress_(progress), file_(body.file) {}

    // False when the body file cannot be read.
    bool open() {
        if (body_.file.isEmpty())
            return true;
        if (!file_.open(QIODevice::ReadOnly))
            return false;
        fileSize_ = file_.size();
        return true;
    }
    qint64 length() const { return body_.head.size() + fileSize_ + body_.tail.size(); }
    bool cancelled() const { return cancelled_; }

    size_t read(char* buffer, size_t room) {
        if (cancelled_)
            return CURL_READFUNC_ABORT;
        if (headSent_ < body_.head.size())
            return copy(body_.head, headSent_, buffer, room);
        if (fileSent_ < fileSize_)
            return readBlock(buffer, room);
        return copy(body_.tail, tailSent_, buffer, room);
    }

private:
    static size_t copy(const QByteArray& part, qint64& sent, char* buffer, size_t room) {
        const size_t count = std::min<size_t>(room, size_t(part.size() - sent));
        std::memcpy(buffer, part.constData() + sent, count);
        sent += qint64(count);
        return count;
    }

    // One block of the file, then the progress report that may cancel what follows.
    size_t readBlock(char* buffer, size_t room) {
        const qint64 wanted = std::min({qint64(room), UploadBlockSize, fileSize_ - fileSent_});
        const qint64 count = file_.read(buffer, wanted);
        if (count <= 0) // the file shrank or failed: the announced length cannot be kept
            return CURL_READFUNC_ABORT;
        fileSent_ += count;
        if (progress_ && !progress_(fileSent_, fileSize_))
            cancelled_ = true;
        return size_t(count);
    }

    const HttpBody& body_;
    const UploadProgress& progress_;
    QFile file_;
    qint64 fileSize_ = 0;
    qint64 headSent_ = 0;
    qint64 fileSent_ = 0;
    qint64 tailSent_ = 0;
    bool cancelled_ = false;
};

struct Transfer {
    const BodySink* sink;
    BodyReader* reader = nullptr;
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

size_t onRead(char* buffer, size_t size, size_t count, void* user) {
    return static_cast<Transfer*>(user)->reader->read(buffer, size * count);
}

using Easy = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using Headers = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;

// The texts curl keeps pointers to for the whole transfer.
struct Texts {
    QByteArray url, agent, noProxy, method, caFile;
};

void configure(CURL* curl, const Texts& texts, const HttpOptions& options) {
    curl_easy_setopt(curl, CURLOPT_URL, texts.url.constData());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, texts.agent.constData());
    curl_easy_setopt(curl, CURLOPT_NOPROXY, texts.noProxy.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, long(options.maxRedirects));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!texts.caFile.isEmpty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, texts.caFile.constData());
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(options.connectTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, long(options.totalTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME,
                     std::max(1L, long(options.stallTimeoutMs / 1000)));
    // Never a cached copy from a proxy.
    curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
}

// The method and the body: an upload of a known length is sent with a fixed Content-Length;
// a request with a body is not redirected (the body cannot be sent twice).
void configureMethod(CURL* curl, const Texts& texts, const HttpRequest& request,
                     Transfer& transfer) {
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION,
                     request.http10 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
    if (transfer.reader) {
        curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(transfer.reader->length()));
        curl_easy_setopt(curl, CURLOPT_READFUNCTION, onRead);
        curl_easy_setopt(curl, CURLOPT_READDATA, &transfer);
    } else {
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    }
    if (request.method != "GET" || transfer.reader)
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, texts.method.constData());
}

curl_slist* headerList(const HttpRequest& request) {
    curl_slist* list = nullptr;
    for (const QByteArray& line : request.headers)
        list = curl_slist_append(list, line.constData());
    // The whole body goes at once; no waiting for a go-ahead.
    if (request.body)
        list = curl_slist_append(list, "Expect:");
    return list;
}

HttpReply failed(HttpFailure failure, int code, const QString& error) {
    HttpReply reply;
    reply.failure = failure;
    reply.errorCode = code;
    reply.error = error;
    return reply;
}

void judge(Transfer& transfer, CURLcode code) {
    HttpReply& reply = transfer.reply;
    if (transfer.aborted || (transfer.reader && transfer.reader->cancelled())) {
        reply.failure = HttpFailure::Cancelled;
        reply.error = "The transfer was stopped.";
    } else if (code != CURLE_OK) {
        reply.error = QString::fromUtf8(curl_easy_strerror(code));
        if (code == CURLE_URL_MALFORMAT || code == CURLE_UNSUPPORTED_PROTOCOL)
            reply.failure = HttpFailure::Address;
        else
            reply.failure = reply.status == 0 ? HttpFailure::Send : HttpFailure::Receive;
    }
    if (code != CURLE_OK)
        reply.errorCode = int(code);
}

} // namespace

HttpReply send(const HttpRequest& request, const BodySink& sink, const HttpOptions& options) {
    initializeOnce();
    Transfer transfer{&sink};
    std::optional<BodyReader> reader;
    if (request.body) {
        reader.emplace(*request.body, request.progress);
        if (!reader->open())
            return failed(HttpFailure::Start, CURLE_READ_ERROR, "The body file cannot be read.");
        transfer.reader = &*reader;
    }
    Easy curl(curl_easy_init(), &curl_easy_cleanup);
    if (!curl)
        return failed(HttpFailure::Start, CURLE_FAILED_INIT,
                      "The network library cannot start a request.");
    const Texts texts{request.url.toUtf8(), options.userAgent.toUtf8(), noProxyList(),
                      request.method, options.caFile.toLocal8Bit()};
    configure(curl.get(), texts, options);
    configureMethod(curl.get(), texts, request, transfer);
    Headers headers(headerList(request), &curl_slist_free_all);
    curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(curl.get(), CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(curl.get(), CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &transfer);
    const CURLcode code = curl_easy_perform(curl.get());
    long status = 0;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
    transfer.reply.status = int(status);
    judge(transfer, code);
    return transfer.reply;
}

HttpReply send(const HttpRequest& request, QByteArray& body, const HttpOptions& options) {
    body.clear();
    return send(
        request,
        [&body](const char* data, qsizetype size, const HttpReply&) {
            body.append(data, size);
            return true;
        },
        options);
}

namespace {

HttpRequest freshGet(const QString& url) {
    HttpRequest request;
    request.url = url;
    request.headers = {"Cache-Control: no-cache"};
    return request;
}

} // namespace

HttpReply get(const QString& url, const BodySink& sink, const HttpOptions& options) {
    return send(freshGet(url), sink, options);
}

HttpReply get(const QString& url, QByteArray& body, const HttpOptions& options) {
    return send(freshGet(url), body, options);
}

QString errorText(int code) {
    QString text = QString::fromUtf8(curl_easy_strerror(CURLcode(code)));
    while (!text.isEmpty() && (text.back().unicode() <= 32 || text.back() == '.'))
        text.chop(1);
    return text;
}

} // namespace platform::net
