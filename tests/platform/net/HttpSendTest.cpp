#include "platform/net/Http.h"
#include "tests/support/net/TlsTestServer.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace platform::net;

namespace {

HttpOptions trusting(const TlsTestServer& server) {
    HttpOptions options;
    options.userAgent = "TavrinTest/1";
    options.connectTimeoutMs = 2000;
    options.stallTimeoutMs = 2000;
    options.totalTimeoutMs = 10000;
    options.caFile = server.caFile();
    return options;
}

// A file of `size` bytes whose every byte tells its position.
QString patternFile(const QTemporaryDir& dir, qint64 size) {
    QByteArray data(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        data[i] = char(i * 7 % 251);
    const QString path = dir.filePath("upload.bin");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(data);
    return path;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

} // namespace

TEST(HttpSend, UploadIsByteExactWithAFixedLengthAndProgressPerBlock) {
    TlsTestServer server;
    server.route("PUT", "/up", {201, "stored", {}});
    QTemporaryDir dir;
    const QString file = patternFile(dir, 10000);
    HttpRequest request;
    request.method = "PUT";
    request.url = server.base() + "/up?x=1";
    request.headers = {"X-One: 1", "X-Two: 2"};
    request.body = HttpBody{"HEAD", file, "TAIL"};
    std::vector<std::pair<qint64, qint64>> progress;
    request.progress = [&](qint64 sent, qint64 total) {
        progress.emplace_back(sent, total);
        return true;
    };
    QByteArray reply;
    const HttpReply result = send(request, reply, trusting(server));
    EXPECT_TRUE(result.succeeded()) << result.error.toStdString();
    EXPECT_EQ(result.status, 201);
    EXPECT_EQ(reply, "stored");
    const auto requests = server.requests(1);
    ASSERT_EQ(requests.size(), 1u);
    const TlsRequest& seen = requests[0];
    EXPECT_EQ(seen.method, "PUT");
    EXPECT_EQ(seen.target, "/up?x=1");
    EXPECT_EQ(seen.version, "HTTP/1.1");
    EXPECT_EQ(seen.header("Content-Length"), "10008");
    EXPECT_FALSE(seen.hasHeader("Transfer-Encoding"));
    EXPECT_FALSE(seen.hasHeader("Expect"));
    EXPECT_EQ(seen.header("X-One"), "1");
    EXPECT_EQ(seen.header("X-Two"), "2");
    EXPECT_EQ(seen.body, "HEAD" + contents(file) + "TAIL");
    const std::vector<std::pair<qint64, qint64>> blocks{
        {4096, 10000}, {8192, 10000}, {10000, 10000}};
    EXPECT_EQ(progress, blocks);
}

TEST(HttpSend, CancelStopsBeforeTheRestIsSent) {
    TlsTestServer server;
    server.route("POST", "/up", {200, "never", {}});
    QTemporaryDir dir;
    const QString file = patternFile(dir, 20000);
    HttpRequest request;
    request.method = "POST";
    request.url = server.base() + "/up";
    request.body = HttpBody{"HEAD", file, "TAIL"};
    int calls = 0;
    request.progress = [&](qint64, qint64) { return ++calls < 2; };
    QByteArray reply;
    const HttpReply result = send(request, reply, trusting(server));
    EXPECT_EQ(result.failure, HttpFailure::Cancelled);
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(reply.isEmpty());
    const auto requests = server.requests(1);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_FALSE(requests[0].complete);
    EXPECT_FALSE(requests[0].body.endsWith("TAIL"));
    EXPECT_LE(requests[0].body.size(), 4 + 8192);
}

TEST(HttpSend, FailuresTellWhereTheyStopped) {
    TlsTestServer otherName("DNS:other.test");
    QTemporaryDir dir;
    HttpRequest request;
    request.url = otherName.base() + "/";
    QByteArray reply;
    HttpReply result = send(request, reply, trusting(otherName));
    EXPECT_EQ(result.failure, HttpFailure::Send) << "a certificate for another name is refused";
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.errorCode, 0);
    EXPECT_TRUE(otherName.requests().empty());

    request.url = "https://127.0.0.1:" + QString::number(TlsTestServer::closedPort()) + "/";
    result = send(request, reply, trusting(otherName));
    EXPECT_EQ(result.failure, HttpFailure::Send);
    EXPECT_FALSE(errorText(result.errorCode).isEmpty());
    EXPECT_FALSE(errorText(result.errorCode).endsWith('.'));

    request.url = "ftp://127.0.0.1/";
    EXPECT_EQ(send(request, reply).failure, HttpFailure::Address);

    TlsTestServer server;
    request.url = server.base() + "/";
    request.body = HttpBody{"", dir.filePath("missing.bin"), ""};
    EXPECT_EQ(send(request, reply, trusting(server)).failure, HttpFailure::Start);
    EXPECT_TRUE(server.requests().empty()) << "a missing body file sends nothing";
}

TEST(HttpSend, HttpTenAndEmptyBodies) {
    TlsTestServer server;
    server.route("DELETE", "/item", {204, "", {}});
    server.route("POST", "/form", {400, "{\"error\":1}", {}});
    HttpRequest request;
    request.method = "DELETE";
    request.url = server.base() + "/item";
    QByteArray reply = "stale";
    HttpReply result = send(request, reply, trusting(server));
    EXPECT_EQ(result.status, 204);
    EXPECT_TRUE(reply.isEmpty());

    request.method = "POST";
    request.url = server.base() + "/form";
    request.http10 = true;
    request.body = HttpBody{};
    result = send(request, reply, trusting(server));
    EXPECT_EQ(result.status, 400);
    EXPECT_TRUE(result.completed());
    EXPECT_EQ(reply, "{\"error\":1}");
    const auto requests = server.requests(2);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_FALSE(requests[0].hasHeader("Content-Length"));
    EXPECT_EQ(requests[1].version, "HTTP/1.0");
    EXPECT_EQ(requests[1].header("Content-Length"), "0");
    EXPECT_FALSE(requests[1].hasHeader("Content-Type"));
}
