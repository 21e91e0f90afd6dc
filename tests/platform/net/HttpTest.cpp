#include "platform/net/Http.h"

#include "tests/platform/net/LocalHttpServer.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using platform::net::get;
using platform::net::HttpOptions;

namespace {

HttpOptions quickOptions() {
    HttpOptions options;
    options.userAgent = "TavrinTest/1";
    options.connectTimeoutMs = 2000;
    options.stallTimeoutMs = 1000;
    options.totalTimeoutMs = 5000;
    return options;
}

const QByteArray Large(300000, 'x');

} // namespace

struct StatusCase {
    const char* path;
    int status;
    bool succeeded;
};

TEST(Http, StatusIsReportedAndOnly2xxSucceeds) {
    LocalHttpServer server({{"/ok", {200, "fine"}},
                            {"/created", {201, "new"}},
                            {"/error", {500, "Build 9 error page"}},
                            {"/gone", {410, ""}}});
    const StatusCase cases[] = {{"/ok", 200, true},
                                {"/created", 201, true},
                                {"/error", 500, false},
                                {"/gone", 410, false},
                                {"/missing", 404, false}};
    for (const StatusCase& c : cases) {
        QByteArray body;
        const auto reply = get(server.url(c.path), body, quickOptions());
        EXPECT_EQ(reply.status, c.status) << c.path;
        EXPECT_TRUE(reply.completed()) << c.path;
        EXPECT_EQ(reply.succeeded(), c.succeeded) << c.path;
    }
}

TEST(Http, SendsTheUserAgentAndAsksForAFreshCopy) {
    LocalHttpServer server({{"/ok", {200, "fine"}}});
    QByteArray body;
    get(server.url("/ok?a=1"), body, quickOptions());
    ASSERT_EQ(server.requests().size(), 1u);
    const QByteArray request = server.requests().front();
    EXPECT_TRUE(request.startsWith("GET /ok?a=1 HTTP/1.1"));
    EXPECT_TRUE(request.contains("User-Agent: TavrinTest/1"));
    EXPECT_TRUE(request.contains("Cache-Control: no-cache"));
}

TEST(Http, DeclaredLengthAndBodyArrive) {
    LocalHttpServer server({{"/with", {200, Large}}, {"/without", {200, Large, false}}});
    QByteArray body;
    auto reply = get(server.url("/with"), body, quickOptions());
    EXPECT_TRUE(reply.succeeded());
    EXPECT_EQ(reply.contentLength, Large.size());
    EXPECT_EQ(body, Large);

    reply = get(server.url("/without"), body, quickOptions());
    EXPECT_TRUE(reply.succeeded()) << reply.error.toStdString();
    EXPECT_FALSE(reply.contentLength.has_value());
    EXPECT_EQ(reply.received, Large.size());
    EXPECT_EQ(body, Large);
}

TEST(Http, TruncatedBodyIsAFailure) {
    HttpRoute truncated{200, "short"};
    truncated.declaredLength = 100;
    LocalHttpServer server({{"/cut", truncated}});
    QByteArray body;
    const auto reply = get(server.url("/cut"), body, quickOptions());
    EXPECT_FALSE(reply.completed());
    EXPECT_FALSE(reply.succeeded());
}

TEST(Http, RedirectsAreFollowedAndLoopsEnd) {
    LocalHttpServer server({{"/final", {200, "here"}}});
    HttpRoute toFinal{302, ""};
    toFinal.location = server.url("/final").toUtf8();
    HttpRoute loop{302, ""};
    loop.location = "/loop";
    HttpRoute toFile{302, ""};
    toFile.location = "file:///etc/passwd";
    LocalHttpServer redirects({{"/go", toFinal}, {"/loop", loop}, {"/file", toFile}});

    QByteArray body;
    auto reply = get(redirects.url("/go"), body, quickOptions());
    EXPECT_TRUE(reply.succeeded());
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.contentLength, 4);
    EXPECT_EQ(body, "here");

    reply = get(redirects.url("/loop"), body, quickOptions());
    EXPECT_FALSE(reply.completed());

    reply = get(redirects.url("/file"), body, quickOptions());
    EXPECT_FALSE(reply.succeeded());
    EXPECT_FALSE(body.contains("root"));
}

TEST(Http, SilentServerIsGivenUpWithinTheTimeout) {
    HttpRoute silent;
    silent.neverAnswer = true;
    LocalHttpServer server({{"/silent", silent}});
    QElapsedTimer clock;
    clock.start();
    QByteArray body;
    const auto reply = get(server.url("/silent"), body, quickOptions());
    EXPECT_FALSE(reply.completed());
    EXPECT_EQ(reply.status, 0);
    EXPECT_LT(clock.elapsed(), 30000); // bounded, not hanging
}

TEST(Http, RefusedConnectionsAndOtherSchemesFail) {
    quint16 closedPort;
    {
        LocalHttpServer server({});
        closedPort = server.port();
    }
    QByteArray body;
    auto reply = get("http://127.0.0.1:" + QString::number(closedPort) + "/", body, quickOptions());
    EXPECT_FALSE(reply.completed());
    EXPECT_EQ(reply.status, 0);

    reply = get("file:///etc/hostname", body, quickOptions());
    EXPECT_FALSE(reply.completed());
    EXPECT_TRUE(body.isEmpty());
}

TEST(Http, SinkCanStopTheTransfer) {
    LocalHttpServer server({{"/big", {200, Large}}});
    qint64 seen = 0;
    const auto reply = get(
        server.url("/big"),
        [&](const char*, qsizetype size, const platform::net::HttpReply& soFar) {
            EXPECT_EQ(soFar.status, 200);
            EXPECT_EQ(soFar.contentLength, Large.size());
            seen += size;
            return false;
        },
        quickOptions());
    EXPECT_FALSE(reply.completed());
    EXPECT_LT(seen, Large.size());
}
