#pragma once
// The cloud worker: runs every cloud request away from the user interface. A dialog creates one
// worker while it is open, selects the client it drives (StorageType), posts commands and
// receives notifications posted to its receiver. The worker's queue exists from construction,
// so posting never fails; the worker deletes itself when it ends. Once a client reports a
// network failure the dialog hears CN_CONNECTIONERROR and then only CN_THREADENDED.

#include "export/URCloudBase.h"
#include "platform/system/Messages.h"

#include <QPointer>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

// Commands.
inline constexpr int CT_CHECKLOGIN = 1025;
inline constexpr int CT_AUTHORIZE = 1027;
inline constexpr int CT_GETACCOUNT = 1029;
inline constexpr int CT_UPLOAD = 1030;
inline constexpr int CT_LOGOUT = 1031;
inline constexpr int CT_REFRESHDRIVE = 1032;
inline constexpr int CT_QUIT = platform::system::msg::CloudCommandQuit;
inline constexpr int CT_TTSCONVERT = platform::system::msg::CloudCommandTextToSpeech;

// Notifications.
inline constexpr int CN_LOGGEDIN = 1025;
inline constexpr int CN_NEEDLOGIN = 1026;
inline constexpr int CN_AUTHPAGE = 1027;
inline constexpr int CN_AUTHCODE = 1028;
inline constexpr int CN_AUTHORIZED = 1029;
inline constexpr int CN_AUTHFAILED = 1030;
inline constexpr int CN_ACCOUNTREADY = 1031;
inline constexpr int CN_PROGRESS = 1032; // wParam percent, lParam seconds remaining
inline constexpr int CN_UPLOADDONE = 1033;
inline constexpr int CN_UPLOADCANCELLED = 1034;
inline constexpr int CN_UPLOADFAILED = 1035;
inline constexpr int CN_UPLOADED = 1036;
inline constexpr int CN_CONNECTIONERROR = 1037;
inline constexpr int CN_LOGGEDOUT = 1038;
inline constexpr int CN_DRIVEREFRESHED = 1039;
inline constexpr int CN_THREADENDED = 1040;
inline constexpr int CN_TTSDONE = 1125;
inline constexpr int CN_TTSERROR = 1126;

// Storage types.
inline constexpr int StorageGoogleDrive = 1;
inline constexpr int StorageTextToSpeech = 4;
inline constexpr int StorageYoutube = 5;

// How the worker makes its three clients; the client units install their makers at start-up.
// A client whose maker is missing is absent: selecting it leaves Storage empty.
struct TRCloudClientMakers {
    std::function<std::unique_ptr<TRCloudStorage>()> textToSpeech;
    std::function<std::unique_ptr<TRCloudStorage>()> youtube;
    std::function<std::unique_ptr<TRCloudStorage>()> googleDrive;
};
void SetCloudClientMakers(const TRCloudClientMakers& makers);
TRCloudClientMakers CloudClientMakers();

class TRCloudThread final : public QThread {
public:
    using TickCount = std::function<std::uint32_t()>;

    // Starts at once. Notifications go to `parent` while it exists.
    explicit TRCloudThread(QObject* parent, const TRCloudClientMakers& makers = CloudClientMakers(),
                           TickCount tickCount = nullptr);
    ~TRCloudThread() override;

    // Queues a command; never fails and never waits.
    void Post(int command, std::int64_t wParam = 0, std::int64_t lParam = 0);
    // CT_REFRESHDRIVE answering `receiver` instead of the parent.
    void PostRefreshDrive(QObject* receiver);
    // Asks the worker to end after the running command (the dialog then posts CT_QUIT).
    void Terminate();

    int StorageType() const { return FStorageType; }
    void SetStorageType(int type);
    TRCloudStorage* Storage() const { return FStorage.load(); }

    QString FileName, Folder, ResourceName, ResourceDescription, Tags, Category;
    bool UserCancel() const { return FUserCancel; }
    void SetUserCancel(bool cancel) { FUserCancel = cancel; }
    QString DownloadLink() const { return FDownloadLink; }
    QString ShareLink() const { return FShareLink; }
    QString MediaLink() const { return FMediaLink; }

    // Arguments of CT_TTSCONVERT and the error text of a failed conversion.
    QString gfilename, gtext, glang, gvoice, grate, gvolume;
    QString ErrorMessage;

protected:
    void run() override;

private:
    struct Command {
        int message;
        std::int64_t wParam;
        std::int64_t lParam;
        QPointer<QObject> receiver;
    };

    void Configure(TRCloudStorage* client, const QString& section);
    void Queue(Command command);
    Command Take();
    void Execute(const Command& command);
    void CheckLogin();
    void Upload();
    void ConvertText();
    void PostToParent(int message, std::int64_t wParam = 0, std::int64_t lParam = 0);

    void StorageTokenReceived();
    void StorageUploadProgress(qint64 position, qint64 total, bool& userCancel);
    void StorageConnectionError();

    std::unique_ptr<TRCloudStorage> FGoogleTTS;
    std::unique_ptr<TRCloudStorage> FYoutube;
    std::unique_ptr<TRCloudStorage> FGoogleDrive;
    // Set by the dialog between commands, read by the worker.
    std::atomic<TRCloudStorage*> FStorage{nullptr};
    std::atomic<int> FStorageType{0};
    QPointer<QObject> FParentHandle;
    QString FDownloadLink, FShareLink, FMediaLink;
    std::uint32_t FTimestamp = 0;
    std::atomic<bool> FUserCancel{false};
    std::atomic<bool> FConnectionError{false};
    TickCount FTickCount;

    std::mutex FQueueMutex;
    std::condition_variable FQueueReady;
    std::deque<Command> FQueue;
};
