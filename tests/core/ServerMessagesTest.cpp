#include "core/URFormHooks.h"
#include "core/URServerMessages.h"
#include "core/URSettings.h"
#include "core/URStartup.h"
#include "core/URUtils.h"
#include "platform/net/Http.h"
#include "tests/platform/net/LocalHttpServer.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QUrlQuery>
#include <gtest/gtest.h>

namespace {

struct FakeWaiting : TRWaitingReporter {
    void Show() override { shown = true; }
    void UpdateInfo(const QString& info) override { infos << info; }
    void Close() override { closed = true; }
    bool shown = false;
    bool closed = false;
    QStringList infos;
};

class ServerMessages : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        savedConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit() + "/config");
        SetSettingsSaveEnabled(false);
        FirstInstance = true;
        TempRoot = dir.path() + "/QMBTemp/";
        QDir().mkpath(TempRoot);
        SettingsRecord.LastStep.setText("Close");
        SettingsRecord.LastStepProjectOpen = 0;
        savedBase = VendorBaseAddress();
    }
    void TearDown() override {
        QThreadPool::globalInstance()->waitForDone();
        SetVendorBaseAddress(savedBase);
        InstallWaiting(nullptr);
        FirstInstance = true;
        qputenv("XDG_CONFIG_HOME", savedConfig);
    }
    QString path(const QString& name) const { return dir.path() + "/" + name; }
    static QByteArray read(const QString& file) {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
    static QUrlQuery queryOf(const QByteArray& request) {
        const QByteArray target = request.split(' ').value(1);
        return QUrlQuery(QString::fromLatin1(target.mid(target.indexOf('?') + 1)));
    }

    QTemporaryDir dir;
    QByteArray savedConfig;
    QString savedBase;
};

const QString Announcement = "2027.1 (Build 3.4)";

} // namespace

TEST_F(ServerMessages, QueryCarriesVersionMachineStatusFoldersAndLastStep) {
    QDir().mkpath(TempRoot + "1");
    QDir().mkpath(TempRoot + "2");
    SettingsRecord.LastStep.setText("PF_Saving..._Execute");
    SettingsRecord.LastStepProjectOpen = 1;
    const QString query = ServerQuery("_mf");
    EXPECT_TRUE(query.startsWith("?version=" + GetShortVersion() + ".2&os="))
        << query.toStdString();
    EXPECT_TRUE(query.endsWith("&status=_mf_F2_PF_Saving..._Execute_1")) << query.toStdString();
    const QString os = QUrlQuery(query.mid(1)).queryItemValue("os");
    EXPECT_TRUE(QRegularExpression(R"(^\d+(_\d+)?_\d+x\d+(_\d+)*$)").match(os).hasMatch())
        << os.toStdString();

    FirstInstance = false;
    EXPECT_TRUE(QUrlQuery(ServerQuery("_").mid(1)).queryItemValue("os").endsWith("_SI"));
}

TEST_F(ServerMessages, LastStepCloseAddsNothing) {
    EXPECT_TRUE(ServerQuery("_").endsWith("&status=_"));
    SettingsRecord.LastStep.setText("  ");
    EXPECT_TRUE(ServerQuery("_").endsWith("&status=_"));
}

TEST_F(ServerMessages, ValuesArePercentEncodedAndCarryNoFolders) {
    SettingsRecord.LastStep.setText("PackTo_/home/someone/My Projects/Trip & Co.qmb_2");
    const QString query = ServerQuery("_x=1&y #2");
    EXPECT_TRUE(query.endsWith("&status=_x%3D1%26y%20%232_PackTo_Trip%20%26%20Co.qmb_2_0"))
        << query.toStdString();
    EXPECT_FALSE(query.contains("home"));
    EXPECT_EQ(query.count('&'), 2);
    EXPECT_EQ(StripUserPaths("Start_Run_/tmp/a/b.qmb"), "Start_Run_b.qmb");
    EXPECT_EQ(StripUserPaths("Cannot pack files.\n\rNo such file: /home/u/x.mp4"),
              "Cannot pack files.\n\rNo such file: x.mp4");
    EXPECT_EQ(StripUserPaths("PF_Loading..._End"), "PF_Loading..._End");
}

TEST_F(ServerMessages, SynchronousMessageReturnsTheReply) {
    LocalHttpServer server({{"/cfu/cfu.php", {200, Announcement.toUtf8()}}});
    SetVendorBaseAddress(server.base() + "/");
    QString reply;
    SendServerMessage(reply, true, 1, "_ssse3");
    EXPECT_EQ(reply, Announcement);
    ASSERT_EQ(server.requests().size(), 1u);
    const QByteArray request = server.requests().front();
    EXPECT_TRUE(request.contains(
        "User-Agent: Mozilla/5.001 (windows; U; NT4.0; en-US; rv:1.0) Gecko/25250101"));
    EXPECT_EQ(queryOf(request).queryItemValue("status"), "_ssse3");
    EXPECT_EQ(ReadLatestVersion(), ""); // a synchronous reply is not stored

    SendServerMessage(reply, false, 1, "_ssse3");
    EXPECT_EQ(reply, "");
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(ServerMessages, BackgroundReplyUpdatesTheLatestVersionOnlyWhenItAnnouncesOne) {
    LocalHttpServer good({{"/cfu/cfu.php", {200, Announcement.toUtf8()}}});
    SetVendorBaseAddress(good.base());
    QString reply = "old";
    SendServerMessage(reply, true, 0, "_");
    EXPECT_EQ(reply, "");
    QThreadPool::globalInstance()->waitForDone();
    EXPECT_EQ(ReadLatestVersion(), Announcement);

    const std::pair<int, QByteArray> ignored[] = {
        {500, "Build 9 internal error page"}, {200, "no version today"}, {200, "   "}};
    for (const auto& [status, body] : ignored) {
        LocalHttpServer server({{"/cfu/cfu.php", {status, body}}});
        SetVendorBaseAddress(server.base());
        SendServerMessage(reply, true, 0, "_");
        QThreadPool::globalInstance()->waitForDone();
        EXPECT_EQ(server.requests().size(), 1u);
        EXPECT_EQ(ReadLatestVersion(), Announcement) << body.toStdString();
    }
}

TEST_F(ServerMessages, SinkReplacesTheRequest) {
    QStringList seen;
    SetServerMessageSink([&](const QString& status, bool synchronous) {
        seen << status + (synchronous ? "!" : "");
        return QString("answer");
    });
    QString reply;
    SendServerMessage(reply, true, 1, "a");
    EXPECT_EQ(reply, "answer");
    SendServerMessage(reply, true, 0, "b");
    EXPECT_EQ(reply, "");
    SendServerMessage(reply, false, 1, "c");
    SetServerMessageSink({});
    EXPECT_EQ(seen, (QStringList{"a!", "b"}));
}

TEST_F(ServerMessages, HttpGetTextChecksTheStatus) {
    LocalHttpServer server({{"/ok", {200, "body text"}}, {"/fail", {503, "maintenance"}}});
    EXPECT_EQ(HttpGetText(server.url("/ok")), "body text");
    EXPECT_EQ(HttpGetText(server.url("/fail")), "error");
    EXPECT_EQ(HttpGetText(server.url("/missing")), "error");
}

TEST_F(ServerMessages, DownloadWithAndWithoutDeclaredLength) {
    const QByteArray data(200000, 'd');
    HttpRoute cut{200, "partial"};
    cut.declaredLength = 5000;
    LocalHttpServer server({{"/with", {200, data}},
                            {"/without", {200, data, false}},
                            {"/cut", cut},
                            {"/error", {404, "not here"}}});
    HttpRoute moved{301, ""};
    moved.location = server.url("/with").toUtf8();
    LocalHttpServer redirect({{"/moved", moved}});
    FakeWaiting waiting;
    InstallWaiting(&waiting);

    const QString file = path("setup.bin");
    ASSERT_TRUE(DownloadToFile(server.url("/with"), file));
    EXPECT_EQ(read(file), data);
    EXPECT_TRUE(waiting.shown);
    EXPECT_TRUE(waiting.closed);
    EXPECT_EQ(waiting.infos.front(), "Downloading the file...");
    EXPECT_TRUE(waiting.infos.contains("Downloading the file...100%"));
    EXPECT_EQ(waiting.infos.back(), "");

    waiting.infos.clear();
    ASSERT_TRUE(DownloadToFile(server.url("/without"), file)); // replaces the earlier file
    EXPECT_EQ(read(file), data);
    EXPECT_EQ(waiting.infos, (QStringList{"Downloading the file...", ""}));

    ASSERT_TRUE(DownloadToFile(redirect.url("/moved"), file));
    EXPECT_EQ(read(file), data);

    for (const char* failing : {"/cut", "/error"}) {
        EXPECT_FALSE(DownloadToFile(server.url(failing), file)) << failing;
        EXPECT_FALSE(QFile::exists(file)) << failing;
    }
}

TEST_F(ServerMessages, DeclaredLengthOfAReply) {
    platform::net::HttpReply reply;
    EXPECT_EQ(GetContentLength(reply), -1);
    reply.contentLength = 0;
    EXPECT_EQ(GetContentLength(reply), 0);
    reply.contentLength = 5000000000;
    EXPECT_EQ(GetContentLength(reply), 5000000000);
}

TEST(Versions, AreComparedByTheirNumbers) {
    struct Case {
        const char* a;
        const char* b;
        int sign;
    } const cases[] = {
        {"2023.10", "2023.9", 1},
        {"2023.9", "2023.10", -1},
        {"2023.3", "2023.3", 0},
        {"2024", "2023.12", 1},
        {"2023", "2023.0", 0},
        {"2023.3 (Build 2.10)", "2023.3 (Build 2.9)", 1},
        {"2023.3 (Build 2.1)", "2023.3", 1},
        {"2027.1 (Build 3.4)", "2026 (Build 0.1)", 1},
        {"", "2023", -1},
    };
    for (const Case& c : cases) {
        const int result = CompareVersions(c.a, c.b);
        EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.a << " vs " << c.b;
    }
}

TEST_F(ServerMessages, SamplesAreCopiedOnceAndNeverOverAFile) {
    SamplesFolder = path("samples/");
    ProjectsFolder = path("projects/");
    QDir().mkpath(SamplesFolder);
    QDir().mkpath(ProjectsFolder);
    for (const char* name : {"Sample - Interactivity.qmb", "Sample - Contact.qmb"}) {
        QFile sample(SamplesFolder + name);
        ASSERT_TRUE(sample.open(QIODevice::WriteOnly));
        sample.write("sample");
    }
    QFile mine(ProjectsFolder + "Sample - Contact.qmb");
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
    mine.write("mine");
    mine.close();

    SettingsRecord.CopySamplesPending = 1;
    CopySamples();
    EXPECT_EQ(SettingsRecord.CopySamplesPending, 0);
    QThreadPool::globalInstance()->waitForDone();
    EXPECT_EQ(read(ProjectsFolder + "Sample - Interactivity.qmb"), "sample");
    EXPECT_EQ(read(ProjectsFolder + "Sample - Contact.qmb"), "mine");

    QFile::remove(ProjectsFolder + "Sample - Interactivity.qmb");
    CopySamples();
    QThreadPool::globalInstance()->waitForDone();
    EXPECT_FALSE(QFile::exists(ProjectsFolder + "Sample - Interactivity.qmb"));
}

TEST(BrowserEngine, IsAlwaysModern) {
    EXPECT_TRUE(IsModernBrowserEngine());
}
