#include "export/URCloudThread.h"

#include "platform/system/Clock.h"

#include <cmath>

namespace {

std::mutex makersMutex;
TRCloudClientMakers installedMakers;

std::unique_ptr<TRCloudStorage>
make(const std::function<std::unique_ptr<TRCloudStorage>()>& maker) {
    return maker ? maker() : nullptr;
}

// The whole seconds an upload still needs at the rate so far: none in its first 4 s.
std::int64_t secondsRemaining(qint64 position, qint64 total, std::uint32_t elapsedMs) {
    if (elapsedMs <= 4000 || position == 0)
        return 0;
    const double elapsed = elapsedMs;
    return std::llround((double(total) * elapsed / double(position) - elapsed) / 1000.0);
}

} // namespace

void SetCloudClientMakers(const TRCloudClientMakers& makers) {
    std::lock_guard lock(makersMutex);
    installedMakers = makers;
}

TRCloudClientMakers CloudClientMakers() {
    std::lock_guard lock(makersMutex);
    return installedMakers;
}

TRCloudThread::TRCloudThread(QObject* parent, const TRCloudClientMakers& makers,
                             TickCount tickCount)
    : FGoogleTTS(make(makers.textToSpeech)), FYoutube(make(makers.youtube)),
      FGoogleDrive(make(makers.googleDrive)), FParentHandle(parent),
      FTickCount(tickCount ? std::move(tickCount) : TickCount(platform::system::tickCount)) {
    Configure(FGoogleTTS.get(), "GoogleTTS");
    Configure(FYoutube.get(), "Youtube");
    Configure(FGoogleDrive.get(), "GoogleDrive");
    connect(this, &QThread::finished, this, &QObject::deleteLater);
    start();
}

TRCloudThread::~TRCloudThread() {
    wait();
}

void TRCloudThread::Configure(TRCloudStorage* client, const QString& section) {
    if (!client)
        return;
    client->App() = TRCloudApp{};
    client->SetLogging(false);
    client->PersistTokens() = {TPersistLocation::plRegistry, section, "Software\\Tavrin"};
    client->OnReceivedAccessToken = [this](TRCloudBase*) { StorageTokenReceived(); };
    client->OnUploadProgress = [this](TRCloudBase*, const QString&, qint64 position, qint64 total,
                                      bool& userCancel) {
        StorageUploadProgress(position, total, userCancel);
    };
    client->OnConnectionError = [this](TRCloudBase*, const QString&) { StorageConnectionError(); };
    client->OnCommandGet = [this](TRCloudBase*) { PostToParent(CN_AUTHCODE); };
}

void TRCloudThread::SetStorageType(int type) {
    FStorageType = type;
    if (type == StorageGoogleDrive)
        FStorage = FGoogleDrive.get();
    else if (type == StorageTextToSpeech)
        FStorage = FGoogleTTS.get();
    else if (type == StorageYoutube)
        FStorage = FYoutube.get();
}

void TRCloudThread::Post(int command, std::int64_t wParam, std::int64_t lParam) {
    Queue({command, wParam, lParam, nullptr});
}

void TRCloudThread::PostRefreshDrive(QObject* receiver) {
    Queue({CT_REFRESHDRIVE, 0, 0, receiver});
}

void TRCloudThread::Terminate() {
    requestInterruption();
    FQueueReady.notify_all();
}

void TRCloudThread::Queue(Command command) {
    {
        std::lock_guard lock(FQueueMutex);
        FQueue.push_back(std::move(command));
    }
    FQueueReady.notify_all();
}

TRCloudThread::Command TRCloudThread::Take() {
    std::unique_lock lock(FQueueMutex);
    FQueueReady.wait(lock, [this] { return !FQueue.empty() || isInterruptionRequested(); });
    if (FQueue.empty())
        return {CT_QUIT, 0, 0, nullptr};
    Command command = FQueue.front();
    FQueue.pop_front();
    return command;
}

void TRCloudThread::run() {
    for (;;) {
        const Command command = Take();
        if (isInterruptionRequested() || command.message == CT_QUIT)
            break;
        if (FStorageType > 0 && FStorage)
            Execute(command);
        if (isInterruptionRequested())
            break;
        msleep(50);
    }
    platform::system::postMessage(FParentHandle.data(), CN_THREADENDED);
}

void TRCloudThread::Execute(const Command& command) {
    switch (command.message) {
    case CT_CHECKLOGIN:
        CheckLogin();
        break;
    case CT_AUTHORIZE:
        FStorage.load()->DoAuth();
        PostToParent(CN_AUTHPAGE);
        break;
    case CT_GETACCOUNT:
        FStorage.load()->GetAccountInfo();
        FStorage.load()->GetDriveInfo();
        PostToParent(CN_ACCOUNTREADY);
        break;
    case CT_UPLOAD:
        Upload();
        break;
    case CT_LOGOUT:
        FStorage.load()->LogOut();
        PostToParent(CN_LOGGEDOUT);
        break;
    case CT_REFRESHDRIVE:
        FStorage.load()->GetDriveInfo();
        platform::system::postMessage(command.receiver.data(), CN_DRIVEREFRESHED);
        break;
    case CT_TTSCONVERT:
        ConvertText();
        break;
    default:
        break;
    }
}

void TRCloudThread::CheckLogin() {
    FStorage.load()->LoadTokens();
    bool ok = FStorage.load()->TestTokens();
    if (!ok)
        ok = FStorage.load()->RefreshAccess();
    PostToParent(ok ? CN_LOGGEDIN : CN_NEEDLOGIN);
}

void TRCloudThread::Upload() {
    FTimestamp = FTickCount();
    TRCloudItem* item = FStorage.load()->UploadExY(Folder, FileName, ResourceName,
                                                   ResourceDescription, Tags, Category);
    if (FConnectionError)
        return;
    if (FUserCancel) {
        PostToParent(CN_UPLOADCANCELLED);
        return;
    }
    if (!item) {
        PostToParent(CN_UPLOADFAILED);
        return;
    }
    PostToParent(CN_UPLOADED);
    QString download, share, media;
    FStorage.load()->GetLinks(item, download, share, media);
    if (FConnectionError)
        return;
    FDownloadLink = download;
    FShareLink = share;
    FMediaLink = media;
    PostToParent(CN_UPLOADDONE);
}

void TRCloudThread::ConvertText() {
    FTimestamp = FTickCount();
    if (FStorage.load()->Convert(gfilename, gtext, glang, gvoice, grate, gvolume)) {
        PostToParent(CN_TTSDONE);
        return;
    }
    ErrorMessage = FStorage.load()->ErrorMessage;
    PostToParent(CN_TTSERROR);
}

void TRCloudThread::PostToParent(int message, std::int64_t wParam, std::int64_t lParam) {
    if (isInterruptionRequested() || FConnectionError)
        return;
    platform::system::postMessage(FParentHandle.data(), message, wParam, lParam);
}

void TRCloudThread::StorageTokenReceived() {
    if (FConnectionError)
        return;
    if (FStorage && FStorage.load()->Authorized()) {
        FStorage.load()->SaveTokens();
        PostToParent(CN_AUTHORIZED);
    } else {
        PostToParent(CN_AUTHFAILED);
    }
}

void TRCloudThread::StorageUploadProgress(qint64 position, qint64 total, bool& userCancel) {
    userCancel = FUserCancel;
    const std::int64_t percent = total <= 0 ? 0 : position * 100 / total;
    const std::uint32_t elapsed = FTickCount() - FTimestamp;
    PostToParent(CN_PROGRESS, percent, secondsRemaining(position, total, elapsed));
}

void TRCloudThread::StorageConnectionError() {
    FConnectionError = true;
    platform::system::postMessage(FParentHandle.data(), CN_CONNECTIONERROR);
}
