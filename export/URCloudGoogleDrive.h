#pragma once
// The Google Drive client: OAuth tokens through the browser and a loopback listener, the account,
// the tree of the items under the program's own top-level folder "Tavrin", folder operations,
// sharing links and the upload. The access token travels only in the Authorization header.

#include "export/URCloudGoogle.h"

#include <QString>
#include <memory>

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

class TRGoogleDriveItems : public TRCloudItemsOf<TRGoogleDriveItem> {
public:
    using TRCloudItemsOf::TRCloudItemsOf;
};

// Places a copy of a listed item in a tree collection: with its parent, marked as placed, with
// an empty child collection of its own. The listed item is marked as placed too.
template <class Items> auto& PlaceTreeCopy(Items& into, TRGoogleDriveItem& source) {
    source.InTree = true;
    auto* copy = into.Add();
    copy->Assign(source);
    copy->ParentRoot = source.ParentRoot;
    copy->ParentID = source.ParentID;
    copy->InTree = true;
    copy->SetFolder(std::make_unique<Items>(copy));
    return *copy;
}

class TRGoogleDrive : public TRGoogleStorage {
public:
    static inline const QString RootFolderName = "Tavrin";
    // Seconds before expiry at which a token-checked operation refreshes first.
    static constexpr qint64 RefreshMargin = 300;
    // Pages of a listing followed at most.
    static constexpr int MaxListPages = 100;

    TRGoogleDrive();
    ~TRGoogleDrive() override { StopSignIn(); }

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

protected:
    platform::net::LoopbackAnswer TakeRedirect(const QUrlQuery& query) override;

private:
    void ExchangeCode();
    QByteArray VendorStatusPage(const QString& status) const;
    void ReadListing(const QJsonObject& reply, TRGoogleDriveItems& list) const;
    void BuildFolderTree(TRGoogleDriveItems& list);
    void AddChildItems(TRGoogleDriveItems& list, TRGoogleDriveItem& folder);
    void TakeRootLinks(const QJsonObject& folder);
};
