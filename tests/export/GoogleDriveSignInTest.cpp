#include "export/URCloudEndpoints.h"
#include "export/URCloudGoogleDrive.h"
#include "tests/support/net/TlsTestServer.h"

#include <QCryptographicHash>
#include <QTcpSocket>
#include <QUrlQuery>
#include <gtest/gtest.h>

namespace {

const QByteArray Tokens = R"({"access_token":"a","refresh_token":"r","expires_in":3600})";

struct BrowserReply {
    int status = 0; // 0: no connection
    QByteArray location;
};

// What a browser gets for a GET on the listener.
BrowserReply browse(const QString& host, quint16 port, const QByteArray& target) {
    QTcpSocket socket;
    socket.connectToHost(host, port);
    if (!socket.waitForConnected(2000))
        return {};
    socket.write("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    QByteArray reply;
    while (socket.waitForReadyRead(2000))
        reply += socket.readAll();
    reply += socket.readAll();
    BrowserReply result;
    result.status = reply.mid(9, 3).toInt();
    for (const QByteArray& line : reply.split('\n'))
        if (line.startsWith("Location: "))
            result.location = line.mid(10).trimmed();
    return result;
}

// A Drive client signing in through its listener on a free port, the fake server playing the
// relay and the token endpoint.
class DriveSignIn : public testing::Test {
protected:
    void SetUp() override {
        SetCloudBaseAddress(TRCloudEndpoint::Vendor, server_.base());
        server_.route("POST", "/api/googledrive/token.php", {200, Tokens, {}});
        drive_.SetCertificateAuthorities(server_.caFile());
        drive_.ListenerPort = 0;
        drive_.AuthTimeout = std::chrono::seconds(20);
        drive_.OnReceivedAccessToken = [this](TRCloudBase*) { ++ended_; };
    }
    void TearDown() override { SetCloudBaseAddress(TRCloudEndpoint::Vendor, {}); }

    quint16 port() const { return QUrl(drive_.CallbackURL()).port(); }
    QByteArray page(const char* status) const {
        return (server_.base() + "/uploadtogoogledrive?status=" + status).toUtf8();
    }

    TlsTestServer server_;
    TRGoogleDrive drive_;
    std::atomic<int> ended_{0};
};

} // namespace

TEST_F(DriveSignIn, TheBrowserReturnsWithStateAndTheExchangeCarriesTheVerifier) {
    drive_.DoAuth();
    // The relay checks the state and the S256 challenge it is handed.
    const QUrl address(drive_.AuthURL());
    EXPECT_EQ(address.path(), "/api/googledrive/auth.php");
    const QUrlQuery query(address);
    const QString state = query.queryItemValue("state");
    EXPECT_GE(state.size(), 32);
    const QByteArray challenge =
        QCryptographicHash::hash(drive_.CodeVerifier().toLatin1(), QCryptographicHash::Sha256)
            .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
    EXPECT_EQ(query.queryItemValue("code_challenge"), challenge);
    EXPECT_EQ(query.queryItemValue("code_challenge_method"), "S256");

    const BrowserReply reply =
        browse("127.0.0.1", port(), "/?state=" + state.toLatin1() + "&code=c1");
    EXPECT_EQ(reply.status, 302);
    EXPECT_EQ(reply.location, page("authorized"));
    EXPECT_TRUE(drive_.Authorized());
    EXPECT_EQ(drive_.Token_Refresh(), "r");
    EXPECT_EQ(ended_, 1);
    const auto requests = server_.requests(1);
    EXPECT_TRUE(
        requests.back().body.endsWith("&code_verifier=" + drive_.CodeVerifier().toLatin1()));
    // The listener has stopped.
    EXPECT_EQ(browse("127.0.0.1", port(), "/?state=" + state.toLatin1() + "&code=c2").status, 0);
}

TEST_F(DriveSignIn, StrayAndHostileRequestsChangeNothing) {
    drive_.DoAuth();
    const QByteArray state = drive_.AuthState().toLatin1();
    struct Case {
        const char* name;
        QString host;
        QByteArray target;
        int status;
    } cases[] = {
        {"wrong state", "127.0.0.1", "/?state=x" + state + "&code=c", 400},
        {"no query", "127.0.0.1", "/", 404},
        {"icon", "127.0.0.1", "/favicon.ico", 404},
        {"other path with the state", "127.0.0.1", "/cb?state=" + state + "&code=c", 404},
        {"another address", "127.0.0.2", "/?state=" + state + "&code=c", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(browse(c.host, port(), c.target).status, c.status) << c.name;
        EXPECT_FALSE(drive_.Authorized()) << c.name;
        EXPECT_EQ(ended_, 0) << c.name;
    }
    EXPECT_TRUE(server_.requests().empty());
    // The user refuses: the right state with an error ends the sign-in.
    const BrowserReply refused =
        browse("127.0.0.1", port(), "/?state=" + state + "&error=access_denied");
    EXPECT_EQ(refused.location, page("access_denied"));
    EXPECT_EQ(drive_.ErrorMessage, "The authorization process was unsuccessful.");
    EXPECT_EQ(ended_, 1);
    EXPECT_TRUE(server_.requests().empty());
}

TEST_F(DriveSignIn, TimeOutAndPortInUseEndTheSignInAsFailed) {
    drive_.AuthTimeout = std::chrono::milliseconds(200);
    drive_.DoAuth();
    for (int i = 0; i < 100 && ended_ == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(ended_, 1);
    EXPECT_FALSE(drive_.Authorized());
    EXPECT_EQ(browse("127.0.0.1", port(), "/?state=" + drive_.AuthState().toLatin1()).status, 0);

    platform::net::LoopbackListener holder;
    ASSERT_TRUE(holder.start(0, [](const QByteArray&) { return platform::net::LoopbackAnswer{}; },
                             std::chrono::seconds(5), {}));
    drive_.ListenerPort = holder.port();
    drive_.DoAuth();
    EXPECT_EQ(ended_, 2);
    EXPECT_EQ(drive_.ErrorMessage, "The authorization process was unsuccessful.");
}
