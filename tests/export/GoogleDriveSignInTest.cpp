#include "export/URCloudEndpoints.h"
#include "export/URCloudGoogleDrive.h"
#include "export/URCloudTokens.h"
#include "platform/net/Http.h"
#include "platform/system/Shell.h"
#include "tests/export/CloudNotes.h"
#include "tests/export/TestBrowser.h"
#include "tests/support/net/TlsTestServer.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrlQuery>
#include <gtest/gtest.h>
#include <sys/stat.h>

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

namespace {

QByteArray s256(const QByteArray& verifier) {
    return QCryptographicHash::hash(verifier, QCryptographicHash::Sha256)
        .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

unsigned fileMode(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777 : 0;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The vendor's relay on the fake server: the consent start takes the state and S256 challenge
// and sends the browser back to the client's loopback address with a code; the token script
// gives tokens only for that code with the verifier of that challenge.
class FakeRelay {
public:
    FakeRelay(TlsTestServer& server, std::function<QString()> callback) {
        server.route("GET", "/api/googledrive/auth.php", [this, callback](const TlsRequest& r) {
            const QUrlQuery query(QUrl::fromEncoded("http://x" + r.target));
            state_ = query.queryItemValue("state");
            challenge_ = query.queryItemValue("code_challenge").toLatin1();
            if (state_.isEmpty() || query.queryItemValue("code_challenge_method") != "S256")
                return TlsResponse{400, "no state or challenge", {}};
            return TlsResponse{
                302,
                "",
                {"Location: " + callback().toUtf8() + "?state=" + state_.toUtf8() + "&code=c%2F1"}};
        });
        server.route("POST", "/api/googledrive/token.php", [this](const TlsRequest& r) {
            const QUrlQuery form(QString::fromLatin1(r.body));
            const QByteArray verifier = form.queryItemValue("code_verifier").toLatin1();
            if (form.queryItemValue("code", QUrl::FullyDecoded) != "c/1" ||
                s256(verifier) != challenge_)
                return TlsResponse{400, R"({"error":"invalid_grant"})", {}};
            return TlsResponse{200, Tokens, {}};
        });
        server.route("GET", "/uploadtogoogledrive", {200, "signed in", {}});
    }

private:
    QString state_;
    QByteArray challenge_;
};

// The worker with a Drive client on a free listener port, its tokens kept in a scratch
// configuration folder, and the test playing the browser through the shell's hook.
class DriveSignInThroughTheWorker : public testing::Test {
protected:
    void SetUp() override {
        saved_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.filePath("config")));
        SetCloudBaseAddress(TRCloudEndpoint::Vendor, server_.base());
        platform::system::setUrlOpener([this](const QString& url) {
            landed_ = BrowseTo(url, server_.caFile());
            return true;
        });
    }
    void TearDown() override {
        platform::system::setUrlOpener({});
        SetCloudBaseAddress(TRCloudEndpoint::Vendor, {});
        qputenv("XDG_CONFIG_HOME", saved_);
    }

    // A worker whose Drive client waits `timeout` on `port`.
    TRCloudThread* StartWorker(quint16 port, std::chrono::milliseconds timeout) {
        TRCloudClientMakers makers;
        makers.googleDrive = [this, port, timeout] {
            auto drive = std::make_unique<TRGoogleDrive>();
            drive->SetCertificateAuthorities(server_.caFile());
            drive->ListenerPort = port;
            drive->AuthTimeout = timeout;
            client_ = drive.get();
            return drive;
        };
        auto* worker = new TRCloudThread(&receiver_, makers);
        worker->SetStorageType(StorageGoogleDrive);
        return worker;
    }
    QString Config(const QString& path) const { return dir_.filePath("config/Tavrin/" + path); }

    QTemporaryDir dir_;
    QByteArray saved_;
    TlsTestServer server_;
    Receiver receiver_;
    TRGoogleDrive* client_ = nullptr;
    int landed_ = 0;
};

} // namespace

TEST_F(DriveSignInThroughTheWorker, TheBrowserSignsInAndThePrivateTokenFilesAreWritten) {
    FakeRelay relay(server_, [this] { return client_->CallbackURL(); });
    QPointer<TRCloudThread> worker = StartWorker(0, std::chrono::seconds(20));
    worker->Post(CT_CHECKLOGIN);
    ASSERT_TRUE(receiver_.WaitFor(CN_NEEDLOGIN));
    worker->Post(CT_AUTHORIZE);
    ASSERT_TRUE(receiver_.WaitFor(CN_AUTHPAGE));
    // What the wizard does on its Authorize button.
    EXPECT_TRUE(platform::system::openUrl(client_->AuthURL()));
    ASSERT_TRUE(receiver_.WaitFor(CN_AUTHORIZED));
    worker->Post(CT_QUIT);
    runToEnd(worker, receiver_.notes);
    EXPECT_EQ(
        receiver_.notes,
        (std::vector<Note>{
            {CN_NEEDLOGIN}, {CN_AUTHPAGE}, {CN_AUTHCODE}, {CN_AUTHORIZED}, {CN_THREADENDED}}));
    // The browser landed on the vendor's page for a successful sign-in.
    EXPECT_EQ(landed_, 200);
    EXPECT_EQ(server_.requests().back().target, "/uploadtogoogledrive?status=authorized");
    EXPECT_EQ(contents(Config("GoogleDrive/ACCESS_TOKEN")), ScrambleToken("a", TokenStartKey));
    EXPECT_EQ(contents(Config("GoogleDrive/REFRESH_TOKEN")), ScrambleToken("r", TokenStartKey));
    for (const char* name : {"GoogleDrive/ACCESS_TOKEN", "GoogleDrive/REFRESH_TOKEN"})
        EXPECT_EQ(fileMode(Config(name)), 0600u) << name;
}

TEST_F(DriveSignInThroughTheWorker, ATimeOutOrABusyPortEndsAsFailedInsideTheWorker) {
    platform::net::LoopbackListener holder;
    ASSERT_TRUE(holder.start(0, [](const QByteArray&) { return platform::net::LoopbackAnswer{}; },
                             std::chrono::seconds(20), {}));
    struct Case {
        const char* name;
        quint16 port;
        std::vector<Note> notes;
    } cases[] = {
        {"nobody returns", 0, {{CN_AUTHPAGE}, {CN_AUTHFAILED}, {CN_THREADENDED}}},
        {"port in use", holder.port(), {{CN_AUTHFAILED}, {CN_AUTHPAGE}, {CN_THREADENDED}}},
    };
    for (const Case& c : cases) {
        receiver_.notes.clear();
        QPointer<TRCloudThread> worker = StartWorker(c.port, std::chrono::milliseconds(300));
        worker->Post(CT_AUTHORIZE);
        EXPECT_TRUE(receiver_.WaitFor(CN_AUTHFAILED)) << c.name;
        worker->Post(CT_QUIT);
        runToEnd(worker, receiver_.notes);
        EXPECT_EQ(receiver_.notes, c.notes) << c.name;
    }
    EXPECT_FALSE(QFile::exists(Config("GoogleDrive/ACCESS_TOKEN")));
}
