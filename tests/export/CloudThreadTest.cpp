#include "export/URCloudThread.h"
#include "tests/export/CloudNotes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <gtest/gtest.h>

namespace {

// One progress report of a scripted upload at a given tick count, or a network failure.
struct Step {
    qint64 position = 0;
    qint64 total = 0;
    std::uint32_t tick = 0;
    bool connectionError = false;
};

struct Script {
    bool tokensValid = false;
    bool refreshes = false;
    bool failOnTest = false;
    std::vector<Step> upload;
    bool uploadStores = true;
    bool convertSucceeds = true;
};

std::atomic<std::uint32_t> now{0};
// Whether a client was told to cancel (the clients go with their worker).
std::atomic<bool> cancelSeen{false};

// A client that plays its script instead of talking to a service.
class ScriptedClient : public TRCloudStorage {
public:
    explicit ScriptedClient(Script script) : script_(std::move(script)) {}

    bool TestTokens() override {
        if (script_.failOnTest)
            DoConnectionError("HttpSendRequest Error 7 Description Couldn't connect to server");
        return script_.tokensValid;
    }
    bool RefreshAccess() override { return script_.refreshes; }
    void LogOut() override {}
    void DoAuth() override {
        TRCloudStorage::DoAuth();
        if (OnCommandGet)
            OnCommandGet(this);
        DoReceivedAccessToken();
    }
    TRCloudItem* UploadExY(const QString&, const QString& fileName, const QString&, const QString&,
                           const QString&, const QString&) override {
        for (const Step& step : script_.upload) {
            now = step.tick;
            if (step.connectionError) {
                DoConnectionError("");
                continue;
            }
            bool cancel = false;
            DoUploadProgress(fileName, step.position, step.total, cancel);
            cancelSeen = cancelSeen || cancel;
            if (cancel)
                return nullptr;
        }
        if (!script_.uploadStores)
            return nullptr;
        TRCloudItem* item = Drive()->Add();
        item->FileName = fileName;
        return item;
    }
    void GetLinks(TRCloudItem* item, QString& download, QString& share, QString& media) override {
        download = "dl:" + item->FileName;
        share = "sh:" + item->FileName;
        media = "md:" + item->FileName;
    }
    bool Convert(const QString&, const QString&, const QString&, const QString&, const QString&,
                 const QString&) override {
        ErrorMessage = "quota exceeded";
        return script_.convertSucceeds;
    }

private:
    Script script_;
};

struct Case {
    const char* name;
    Script script;
    int storageType;
    bool cancel;
    std::vector<int> commands;
    std::vector<Note> expected;
};

const std::uint32_t Start = 0xFFFFF000u; // the tick count wraps during the upload

} // namespace

TEST(CloudThread, CommandsAndTheirNotifications) {
    const Script plain;
    Script upload;
    upload.upload = {{50, 100, Start + 1000}, {50, 100, Start + 5000}, {100, 100, Start + 9000}};
    Script cancelled;
    cancelled.upload = {{25, 100, Start + 10}, {50, 100, Start + 20}};
    Script failing = plain;
    failing.uploadStores = false;
    Script broken;
    broken.upload = {{10, 100, Start + 10}, {0, 0, Start + 20, true}, {20, 100, Start + 30}};
    Script empty;
    empty.upload = {{0, 0, Start + 10000}};
    Script refreshes;
    refreshes.refreshes = true;
    Script failedConversion;
    failedConversion.convertSucceeds = false;

    const Case cases[] = {
        {"a command before StorageType",
         plain,
         0,
         false,
         {CT_CHECKLOGIN, CT_QUIT},
         {{CN_THREADENDED}}},
        {"quit while idle", plain, 1, false, {CT_QUIT, CT_CHECKLOGIN}, {{CN_THREADENDED}}},
        {"login by refresh",
         refreshes,
         1,
         false,
         {CT_CHECKLOGIN, CT_QUIT},
         {{CN_LOGGEDIN}, {CN_THREADENDED}}},
        {"login needed",
         plain,
         1,
         false,
         {CT_CHECKLOGIN, CT_QUIT},
         {{CN_NEEDLOGIN}, {CN_THREADENDED}}},
        {"authorisation refused",
         plain,
         1,
         false,
         {CT_AUTHORIZE, CT_QUIT},
         {{CN_AUTHCODE}, {CN_AUTHFAILED}, {CN_AUTHPAGE}, {CN_THREADENDED}}},
        {"account and log-out",
         plain,
         1,
         false,
         {CT_GETACCOUNT, CT_LOGOUT, 1099, CT_QUIT},
         {{CN_ACCOUNTREADY}, {CN_LOGGEDOUT}, {CN_THREADENDED}}},
        {"upload done",
         upload,
         1,
         false,
         {CT_UPLOAD, CT_QUIT},
         {{CN_PROGRESS, 50, 0},
          {CN_PROGRESS, 50, 5},
          {CN_PROGRESS, 100, 0},
          {CN_UPLOADED},
          {CN_UPLOADDONE},
          {CN_THREADENDED}}},
        {"upload cancelled",
         cancelled,
         1,
         true,
         {CT_UPLOAD, CT_QUIT},
         {{CN_PROGRESS, 25, 0}, {CN_UPLOADCANCELLED}, {CN_THREADENDED}}},
        {"upload failed",
         failing,
         1,
         false,
         {CT_UPLOAD, CT_QUIT},
         {{CN_UPLOADFAILED}, {CN_THREADENDED}}},
        {"connection error, then silence",
         broken,
         1,
         false,
         {CT_UPLOAD, CT_CHECKLOGIN, CT_GETACCOUNT, CT_QUIT},
         {{CN_PROGRESS, 10, 0}, {CN_CONNECTIONERROR}, {CN_THREADENDED}}},
        {"Total 0 is 0 %",
         empty,
         1,
         false,
         {CT_UPLOAD, CT_QUIT},
         {{CN_PROGRESS, 0, 0}, {CN_UPLOADED}, {CN_UPLOADDONE}, {CN_THREADENDED}}},
        {"speech done",
         plain,
         4,
         false,
         {CT_TTSCONVERT, CT_QUIT},
         {{CN_TTSDONE}, {CN_THREADENDED}}},
        {"speech failed",
         failedConversion,
         4,
         false,
         {CT_TTSCONVERT, CT_QUIT},
         {{CN_TTSERROR}, {CN_THREADENDED}}},
    };
    for (const Case& c : cases) {
        Receiver receiver;
        TRCloudClientMakers makers;
        makers.googleDrive = [&] { return std::make_unique<ScriptedClient>(c.script); };
        makers.textToSpeech = [&] { return std::make_unique<ScriptedClient>(c.script); };
        now = Start;
        cancelSeen = false;
        QPointer<TRCloudThread> worker =
            new TRCloudThread(&receiver, makers, [] { return now.load(); });
        worker->SetStorageType(c.storageType);
        worker->FileName = "movie.mp4";
        worker->SetUserCancel(c.cancel);
        for (const int command : c.commands)
            worker->Post(command);
        runToEnd(worker, receiver.notes);
        EXPECT_EQ(receiver.notes, c.expected) << c.name;
        if (c.cancel) {
            EXPECT_TRUE(cancelSeen) << c.name;
        }
    }
}

TEST(CloudThread, ResultsAreSetBeforeTheirNotificationAndRefreshAnswersItsOwnReceiver) {
    Receiver receiver;
    Receiver tree;
    Script script;
    script.convertSucceeds = false;
    script.failOnTest = true;
    TRCloudClientMakers makers;
    makers.googleDrive = [&] { return std::make_unique<ScriptedClient>(script); };
    makers.textToSpeech = makers.googleDrive;
    QPointer<TRCloudThread> worker = new TRCloudThread(&receiver, makers);
    worker->SetStorageType(StorageGoogleDrive);
    const TPersistTokens place = worker->Storage()->PersistTokens();
    EXPECT_EQ(place.Location, TPersistLocation::plRegistry);
    EXPECT_EQ(place.Section, "GoogleDrive");
    EXPECT_EQ(place.Key, "Software\\Tavrin");

    // The dialog reads the fields when their notification arrives, with the worker still idle.
    const auto waitFor = [&](int message) {
        QElapsedTimer clock;
        clock.start();
        while ((receiver.notes.empty() || receiver.notes.back().message != message) &&
               clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_FALSE(receiver.notes.empty());
        ASSERT_EQ(receiver.notes.back().message, message);
    };
    worker->FileName = "a.mp4";
    worker->Post(CT_UPLOAD);
    waitFor(CN_UPLOADDONE);
    EXPECT_EQ(worker->DownloadLink(), "dl:a.mp4");
    EXPECT_EQ(worker->ShareLink(), "sh:a.mp4");
    EXPECT_EQ(worker->MediaLink(), "md:a.mp4");

    worker->SetStorageType(StorageTextToSpeech);
    worker->Post(CT_TTSCONVERT);
    waitFor(CN_TTSERROR);
    EXPECT_EQ(worker->ErrorMessage, "quota exceeded");

    worker->SetStorageType(StorageGoogleDrive);
    worker->Post(CT_CHECKLOGIN);
    waitFor(CN_CONNECTIONERROR);
    worker->PostRefreshDrive(&tree);
    worker->Post(CT_QUIT);
    runToEnd(worker, receiver.notes);
    EXPECT_EQ(tree.notes, std::vector<Note>{{CN_DRIVEREFRESHED}});
    EXPECT_EQ(receiver.notes.size(), 5u); // uploaded, done, speech error, connection error, end
}

TEST(CloudThread, ADialogClosingWhileTheWorkerRunsHearsOnlyTheEnd) {
    Receiver receiver;
    TRCloudClientMakers makers;
    makers.googleDrive = [] { return std::make_unique<ScriptedClient>(Script{}); };
    QPointer<TRCloudThread> worker = new TRCloudThread(&receiver, makers);
    worker->SetStorageType(StorageGoogleDrive);
    worker->SetUserCancel(true);
    worker->Terminate();
    worker->Post(CT_CHECKLOGIN);
    worker->Post(CT_QUIT);
    runToEnd(worker, receiver.notes);
    EXPECT_EQ(receiver.notes, std::vector<Note>{{CN_THREADENDED}});
}

TEST(CloudThread, NotificationsToAReceiverThatIsGoneAreLost) {
    auto* receiver = new Receiver;
    TRCloudClientMakers makers;
    makers.googleDrive = [] { return std::make_unique<ScriptedClient>(Script{}); };
    QPointer<TRCloudThread> worker = new TRCloudThread(receiver, makers);
    delete receiver;
    worker->SetStorageType(StorageGoogleDrive);
    worker->Post(CT_CHECKLOGIN);
    worker->Post(CT_QUIT);
    QElapsedTimer clock;
    clock.start();
    while (worker && clock.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_FALSE(worker) << "the worker ends and deletes itself";
}
