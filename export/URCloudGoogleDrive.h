#pragma once
// The Google Drive client: OAuth tokens through the browser and a loopback listener, the account,
// the tree of the items under the program's own top-level folder "Tavrin", folder operations,
// sharing links and the upload. The access token travels only in the Authorization header.

#include "export/URCloudBase.h"
#include "export/URCloudEndpoints.h"
#include "platform/net/LoopbackListener.h"

#include <QString>
#include <chrono>
#include <functional>
#include <memory>

class TRGoogleDriveItems;

class TRGoogleDriveItem : public TRCloudItem {
public:
    // Copies the base fields and, from a Drive item, its identity, type, texts and links (not
    // its place in the tree).
    void Assign(const TRCloudItem& source) override;

    QString ID;
    QString Description;
    QString Link;
    QString LastUser;
    bool CommentsEnabled = false;
    QString AccessValue;
    QString MimeType;
    QString Owners;
    bool ParentRoot = false;
    QString ParentID;
    bool InTree = false;
    QString DownloadURL;

    bool IsFolder() const;
};

class TRGoogleDriveItems : public TRCloudItems {
public:
    explicit TRGoogleDriveItems(TRGoogleDriveItem* folder = nullptr) : Folder(folder) {}

    TRGoogleDriveItem* Folder;

    TRGoogleDriveItem* Add() { return static_cast<TRGoogleDriveItem*>(TRCloudItems::Add()); }
    TRGoogleDriveItem* Insert(int index) {
        return static_cast<TRGoogleDriveItem*>(TRCloudItems::Insert(index));
    }
    TRGoogleDriveItem* Items(int index) const {
        return static_cast<TRGoogleDriveItem*>(TRCloudItems::Items(index));
    }

protected:
    std::unique_ptr<TRCloudItem> GetItemClass() const override;
};

// The browser's answer to one request on the redirect listener.
struct TRAuthAnswer {
    int status = 404;
    QString location;      // for a redirect
    bool finished = false; // the sign-in ended (successfully or not)
};

class TRGoogleDrive : public TRCloudStorage {
public:
    static inline const QString FolderMimeType = "application/vnd.google-apps.folder";
    static inline const QString RootFolderName = "Tavrin";
    // Seconds before expiry at which a token-checked operation refreshes first.
    static constexpr qint64 RefreshMargin = 300;
    // Pages of a listing followed at most.
    static constexpr int MaxListPages = 100;

    TRGoogleDrive();

    // Seconds of the monotonic clock; tests replace it.
    std::function<qint64()> Now;
    // The redirect listener's port on 127.0.0.1 (0 picks a free one) and how long it waits.
    quint16 ListenerPort = 8889;
    std::chrono::milliseconds AuthTimeout = std::chrono::minutes(10);

    TRGoogleDriveItems* GDrive() { return static_cast<TRGoogleDriveItems*>(Drive()); }

    std::unique_ptr<TRCloudItems> CreateItems() override;
    bool TestTokens() override;
    bool RefreshAccess() override;
    // Starts the redirect listener and builds the sign-in address with a fresh state and PKCE
    // challenge. A port in use or the time-out ends the sign-in as failed.
    void DoAuth() override;
    void GetAccountInfo() override;
    void GetDriveInfo() override;
    TRCloudItem* UploadExY(const QString& folderName, const QString& fileName, const QString& title,
                           const QString& description, const QString& tags,
                           const QString& category) override;
    void GetLinks(TRCloudItem* item, QString& downloadLink, QString& shareLink,
                  QString& mediaLink) override;
    bool Delete(TRCloudItem* item) override;
    using TRCloudStorage::Delete;

    void CheckTokenValidAndRefressAccess();
    TRGoogleDriveItem* CreateFolderEx(const QString& folderParent, const QString& folderName);
    bool Rename(TRCloudItem* item, const QString& newName);
    QString FindRootFolder();
    // Handles one request of the browser on the redirect listener (its path and query): only
    // "/" with this sign-in's state is taken.
    platform::net::LoopbackAnswer HandleAuthRedirect(const QByteArray& target);

    // The sign-in's state and PKCE verifier made by DoAuth.
    QString AuthState() const { return FState; }
    QString CodeVerifier() const { return FCodeVerifier; }

private:
    TCoreCloudHeaders BearerHeaders(bool json) const;
    // The reply of a GET as an object; empty when there is none.
    QJsonObject GetObject(const QString& url);
    // The token endpoint's reply to a form; empty when there is none.
    QByteArray PostForm(TRCloudEndpoint role, const QString& path, const QString& form);
    void ExchangeCode();
    void AuthFailed();
    QByteArray VendorStatusPage(const QString& status) const;
    void ReadListing(const QJsonObject& reply, TRGoogleDriveItems& list) const;
    void BuildFolderTree(TRGoogleDriveItems& list);
    void AddChildItems(TRGoogleDriveItems& list, TRGoogleDriveItem& folder);
    TRGoogleDriveItem& PlaceCopy(TRGoogleDriveItems& into, TRGoogleDriveItem& source);
    void TakeRootLinks(const QJsonObject& folder);

    QString FState;
    QString FCodeVerifier;
    // Last, so that it stops before the fields its handler uses go.
    platform::net::LoopbackListener FHttpServer;
};
