#include "export/URCloudBase.h"
#include "export/URCloudEndpoints.h"
#include "tests/support/net/TlsTestServer.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const TRCloudEndpoint AllRoles[] = {TRCloudEndpoint::GoogleApi,     TRCloudEndpoint::GoogleAccounts,
                                    TRCloudEndpoint::GoogleOAuth,   TRCloudEndpoint::TextToSpeech,
                                    TRCloudEndpoint::YoutubeUpload, TRCloudEndpoint::Vendor};

const char* const Agent = "Mozilla/5.001 (windows; U; NT4.0; en-US; rv:1.0) Gecko/25250101";

struct Progress {
    QString fileName;
    qint64 position;
    qint64 total;
    bool operator==(const Progress&) const = default;
};

// A client trusting the fake server's authority, every endpoint setting pointed at the server,
// and the client's reports collected.
class CloudRequests : public testing::Test {
protected:
    void SetUp() override {
        for (const TRCloudEndpoint role : AllRoles)
            SetCloudBaseAddress(role, server_.base());
        client_.SetCertificateAuthorities(server_.caFile());
        client_.OnConnectionError = [this](TRCloudBase*, const QString& text) {
            errors_.push_back(text);
        };
        const auto record = [this](TRCloudBase*, const QString& fileName, qint64 position,
                                   qint64 total, bool& cancel) {
            progress_.push_back({fileName, position, total});
            cancel = cancelAt_ > 0 && int(progress_.size()) >= cancelAt_;
        };
        client_.OnUploadProgress = record;
        client_.OnDownloadProgress = record;
    }
    void TearDown() override {
        for (const TRCloudEndpoint role : AllRoles)
            SetCloudBaseAddress(role, {});
    }

    QString server() const { return CloudServer(TRCloudEndpoint::GoogleApi); }
    QString writeFile(const QString& name, const QByteArray& data) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(data);
        return path;
    }

    TlsTestServer server_;
    TRCloudStorage client_;
    std::vector<QString> errors_;
    std::vector<Progress> progress_;
    int cancelAt_ = 0;
    QTemporaryDir dir_;
};

// Bytes whose every value tells its position.
QByteArray pattern(qint64 size) {
    QByteArray data(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        data[i] = char(i * 13 % 256);
    return data;
}

} // namespace

TEST_F(CloudRequests, EveryRoleAddressesTheServerByItsHostAndPort) {
    for (const TRCloudEndpoint role : AllRoles)
        EXPECT_EQ(CloudServer(role), server_.host());
}

TEST_F(CloudRequests, PostAndUpdateSendTheirBodyOverHttp10WithTheHeaderText) {
    server_.route("POST", "/token", {200, "{\"ok\":1}", {}});
    server_.route("PUT", "/files/1", {200, "put", {}});
    server_.route("PATCH", "/files/2", {200, "patched", {}});
    TCoreCloudHeaders two;
    AddCloudHeader(two, "Content-Type", "application/json\r\n");
    AddCloudHeader(two, "Authorization", "Bearer t0k\r\n");
    QByteArray response;
    EXPECT_EQ(client_.HttpsPost(server(), "/token?a=1&b=%20", {}, "code=x", response), 200);
    EXPECT_EQ(response, "{\"ok\":1}");
    EXPECT_EQ(client_.HttpsUpdate("", server(), "/files/1", two, "{\"name\":\"n\"}", response),
              200);
    EXPECT_EQ(response, "put");
    EXPECT_EQ(client_.HttpsUpdate("PATCH", server(), "/files/2", {}, "", response), 200);
    EXPECT_EQ(response, "patched");

    const auto requests = server_.requests(3);
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].target, "/token?a=1&b=%20");
    EXPECT_EQ(requests[0].version, "HTTP/1.0");
    EXPECT_EQ(requests[0].header("User-Agent"), Agent);
    EXPECT_EQ(requests[0].header("Content-Length"), "6");
    EXPECT_FALSE(requests[0].hasHeader("Content-Type")) << "no header text, no extra header";
    EXPECT_FALSE(requests[0].hasHeader("Authorization"));
    EXPECT_EQ(requests[0].body, "code=x");
    EXPECT_EQ(requests[1].method, "PUT") << "an empty method sends PUT";
    EXPECT_EQ(requests[1].version, "HTTP/1.0");
    EXPECT_EQ(requests[1].header("Content-Type"), "application/json");
    EXPECT_EQ(requests[1].header("Authorization"), "Bearer t0k");
    EXPECT_EQ(requests[1].body, "{\"name\":\"n\"}");
    EXPECT_EQ(requests[2].method, "PATCH");
    EXPECT_EQ(requests[2].header("Content-Length"), "0");
    EXPECT_TRUE(errors_.empty());
}

TEST_F(CloudRequests, DeleteReturnsTheStatusAndBodyAndSendsNoBody) {
    server_.route("DELETE", "/files/refused", {403, "{\"error\":{\"code\":403}}", {}});
    server_.route("DELETE", "/files/gone", {204, "", {}});
    QByteArray response;
    EXPECT_EQ(client_.HttpsDelete(server(), "/files/refused", {}, "ignored", response), 403);
    EXPECT_EQ(response, "{\"error\":{\"code\":403}}");
    EXPECT_EQ(client_.HttpsDelete(server(), "/files/gone?x=1", {}, "", response), 204);
    EXPECT_TRUE(response.isEmpty());
    const auto requests = server_.requests(2);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].version, "HTTP/1.1");
    EXPECT_TRUE(requests[0].body.isEmpty());
    EXPECT_FALSE(requests[0].hasHeader("Content-Length"));
    EXPECT_EQ(requests[1].target, "/files/gone?x=1");
    EXPECT_TRUE(errors_.empty());
}

TEST_F(CloudRequests, GetIntoTextFileAndStreamWithProgress) {
    const QByteArray large = pattern(5000);
    server_.route("GET", "/about", {200, "{\"name\":\"Ann\",\"quota\":12}", {}});
    server_.route("GET", "/large", {200, large, {}});
    const QString url = server_.base() + "/about?fields=name";
    TCoreCloudHeaders headers;
    AddCloudHeader(headers, "Authorization", "Bearer t\r\n");
    EXPECT_EQ(client_.HttpsGet(url), "{\"name\":\"Ann\",\"quota\":12}");
    EXPECT_EQ(client_.HttpsGet(url, headers), "{\"name\":\"Ann\",\"quota\":12}");
    EXPECT_EQ(client_.GetJSONValue(url, "name"), "Ann");
    EXPECT_EQ(client_.GetJSONValue(url, "quota"), "12");
    EXPECT_EQ(client_.GetJSONValue(url, "missing"), "");
    EXPECT_TRUE(progress_.size() >= 1u) << "the stream variant reports progress";
    progress_.clear();

    const QString target = dir_.filePath("large.bin");
    EXPECT_TRUE(client_.HttpsGet(server_.base() + "/large", target, 5000).isEmpty());
    QFile saved(target);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), large);
    ASSERT_FALSE(progress_.empty());
    EXPECT_EQ(progress_.back(), (Progress{server_.base() + "/large", 5000, 5000}));

    QBuffer stream;
    stream.open(QIODevice::WriteOnly);
    stream.write("kept:");
    EXPECT_TRUE(client_.HttpsGet(server_.base() + "/large", stream, 0).isEmpty());
    EXPECT_EQ(stream.data(), "kept:" + large);

    const auto requests = server_.requests(6);
    EXPECT_EQ(requests[0].header("Cache-Control"), "no-cache");
    EXPECT_FALSE(requests[0].hasHeader("Authorization"));
    EXPECT_EQ(requests[1].header("Authorization"), "Bearer t");
    EXPECT_TRUE(errors_.empty());
    EXPECT_THROW(client_.GetJSONObject(server_.base() + "/large"), std::runtime_error);
}

TEST_F(CloudRequests, MultipartUploadIsByteExactWithAFixedLength) {
    server_.route("POST", "/upload/drive/v3/files", {200, "{\"id\":\"F1\"}", {}});
    const QByteArray data = pattern(10000);
    writeFile("movie.mp4", data);
    const QString url = server_.base() + "/upload/drive/v3/files?uploadType=multipart";
    const QByteArray result =
        client_.HttpsPut(url, dir_.path(), "movie.mp4", "Authorization: Bearer t\r\n",
                         "{\"name\":\"movie.mp4\"}", THTTPCommand::hcPostMultiPart);
    EXPECT_EQ(result, "{\"id\":\"F1\"}");
    const QByteArray expected = "--TavrinBoundary\r\n"
                                "Content-Type: application/json; charset=UTF-8\r\n\r\n"
                                "{\"name\":\"movie.mp4\"}\r\n"
                                "--TavrinBoundary\r\n"
                                "Content-Type: application/octet-stream\r\n\r\n" +
                                data + "\r\n--TavrinBoundary--\r\n";
    const auto requests = server_.requests(1);
    ASSERT_EQ(requests.size(), 1u);
    const TlsRequest& request = requests[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.target, "/upload/drive/v3/files?uploadType=multipart");
    EXPECT_EQ(request.version, "HTTP/1.1");
    EXPECT_EQ(request.header("Authorization"), "Bearer t");
    EXPECT_EQ(request.header("Content-Type"), "multipart/related; boundary=TavrinBoundary");
    EXPECT_EQ(request.header("Content-Length"), QByteArray::number(expected.size()));
    EXPECT_FALSE(request.hasHeader("Transfer-Encoding"));
    EXPECT_EQ(request.body, expected);
    const QString path = dir_.filePath("movie.mp4");
    const std::vector<Progress> blocks{
        {path, 4096, 10000}, {path, 8192, 10000}, {path, 10000, 10000}};
    EXPECT_EQ(progress_, blocks);
    EXPECT_TRUE(errors_.empty());
}

TEST_F(CloudRequests, OtherUploadCommandsShapeTheirHeadersAndBody) {
    server_.route("POST", "/raw", {200, "raw", {}});
    server_.route("PUT", "/plain", {200, "plain", {}});
    writeFile("a.bin", "DATA");
    EXPECT_EQ(client_.HttpsPut(server_.base() + "/raw", dir_.path() + "/", "a.bin",
                               "Content-Type: text/plain\r\nX-Keep: 1\r\n", "meta",
                               THTTPCommand::hcPost),
              "raw");
    EXPECT_EQ(client_.HttpsPut(server_.base() + "/plain", dir_.path(), "a.bin", "", "meta",
                               THTTPCommand::hcPutNoHeader),
              "plain");
    const auto requests = server_.requests(2);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].header("Content-Type"), "application/octet-stream");
    EXPECT_EQ(requests[0].header("Content-Transfer-Encoding"), "binary");
    EXPECT_EQ(requests[0].header("X-Keep"), "1");
    EXPECT_EQ(requests[0].body, "DATA");
    EXPECT_EQ(requests[1].method, "PUT");
    EXPECT_EQ(requests[1].body, "Content-Type: application/json; charset=UTF-8\r\n\r\nmeta\r\n"
                                "Content-Type: application/octet-stream\r\n\r\nDATA");
}

TEST_F(CloudRequests, ACancelledUploadEndsWithoutItsClosingBoundary) {
    server_.route("POST", "/up", {200, "{\"id\":\"F1\"}", {}});
    writeFile("big.bin", pattern(20000));
    cancelAt_ = 2;
    EXPECT_TRUE(client_
                    .HttpsPut(server_.base() + "/up", dir_.path(), "big.bin", "", "{}",
                              THTTPCommand::hcPostMultiPart)
                    .isEmpty());
    EXPECT_EQ(progress_.size(), 2u);
    const auto requests = server_.requests(1);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_FALSE(requests[0].complete);
    EXPECT_FALSE(requests[0].body.contains("--TavrinBoundary--"));
    EXPECT_TRUE(errors_.empty()) << "a cancel is no network failure";
}

TEST_F(CloudRequests, FilesOfTwoGibibytesAndMoreAnnounceTheirWholeLength) {
    // A sparse file: nothing is written to disk; the upload is cancelled after its first block.
    const qint64 size = (qint64(1) << 31) + 10;
    QFile file(dir_.filePath("huge.bin"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(size));
    file.close();
    cancelAt_ = 1;
    EXPECT_TRUE(
        client_
            .HttpsPut(server_.base() + "/up", dir_.path(), "huge.bin", "", "", THTTPCommand::hcPut)
            .isEmpty());
    ASSERT_EQ(progress_.size(), 1u);
    EXPECT_EQ(progress_[0].position, 4096);
    EXPECT_EQ(progress_[0].total, size);
    const auto requests = server_.requests(1);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].header("Content-Length"), QByteArray::number(size));
}

TEST_F(CloudRequests, AMissingFileSendsNothing) {
    EXPECT_TRUE(client_
                    .HttpsPut(server_.base() + "/up", dir_.path(), "missing.mp4", "", "{}",
                              THTTPCommand::hcPostMultiPart)
                    .isEmpty());
    EXPECT_TRUE(server_.requests().empty());
    EXPECT_TRUE(errors_.empty());
}

TEST_F(CloudRequests, NetworkFailuresAreReportedOnceWithStatusZero) {
    TlsTestServer otherName("DNS:other.test");
    const QString closed = "127.0.0.1:" + QString::number(TlsTestServer::closedPort());
    struct Case {
        const char* name;
        QString server;
    };
    for (const Case& c : {Case{"a certificate for another name", otherName.host()},
                          Case{"a closed port", closed}}) {
        errors_.clear();
        QByteArray response = "stale";
        EXPECT_EQ(client_.HttpsPost(c.server, "/token", {}, "x", response), 0) << c.name;
        EXPECT_TRUE(response.isEmpty()) << c.name;
        ASSERT_EQ(errors_.size(), 1u) << c.name;
        EXPECT_TRUE(errors_[0].startsWith("HttpSendRequest Error ")) << errors_[0].toStdString();
        EXPECT_TRUE(errors_[0].contains(" Description ")) << c.name;

        errors_.clear();
        EXPECT_EQ(client_.HttpsDelete(c.server, "/f", {}, "", response), 0) << c.name;
        EXPECT_EQ(errors_.size(), 1u) << c.name;

        errors_.clear();
        EXPECT_TRUE(client_.HttpsGet("https://" + c.server + "/about").isEmpty()) << c.name;
        ASSERT_EQ(errors_.size(), 1u) << c.name;
        EXPECT_EQ(errors_[0], "Cannot open URL https://" + c.server + "/about");
    }
    EXPECT_TRUE(otherName.requests().empty());

    writeFile("a.bin", "DATA");
    errors_.clear();
    EXPECT_TRUE(client_
                    .HttpsPut("https://" + closed + "/up", dir_.path(), "a.bin", "", "",
                              THTTPCommand::hcPut)
                    .isEmpty());
    EXPECT_EQ(errors_.size(), 1u);
    EXPECT_NE(client_.LastError(), 0);
}
