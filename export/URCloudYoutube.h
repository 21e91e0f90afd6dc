#pragma once
// The YouTube client: video upload with the browser sign-in the Google clients share, a tree of
// items like the Drive client's, folder creation, trash and download. Only storage type 5 of
// the cloud worker selects it. The access token travels only in the Authorization header.

#include "export/URCloudGoogleDrive.h"

#include <QString>
#include <memory>

class TRYoutubeItem : public TRGoogleDriveItem {
public:
    // The item after this one in tree order: its first child; else the next item of its
    // collection; else the item after its collection's folder (one level up only); else none.
    TRYoutubeItem* GetNext() const;
};

class TRYoutubeItems : public TRCloudItemsOf<TRYoutubeItem> {
public:
    using TRCloudItemsOf::TRCloudItemsOf;
};

class TRYoutube : public TRGoogleStorage {
public:
    TRYoutube();
    ~TRYoutube() override { StopSignIn(); }

    TRYoutubeItems* GDrive() { return static_cast<TRYoutubeItems*>(Drive()); }

    std::unique_ptr<TRCloudItems> CreateItems() override;
    bool TestTokens() override;
    bool RefreshAccess() override;
    // Starts the redirect listener and builds the consent address with a fresh state and PKCE
    // challenge.
    void DoAuth() override;
    TRCloudItem* UploadExY(const QString& folderName, const QString& fileName, const QString& title,
                           const QString& description, const QString& tags,
                           const QString& category) override;
    // The download link is the video's id; the other two stay as they are.
    void GetLinks(TRCloudItem* item, QString& downloadLink, QString& shareLink,
                  QString& mediaLink) override;
    void GetAccountInfo() override;
    void GetDriveInfo() override;
    TRCloudItem* CreateFolder(TRCloudItem* parent, const QString& folderName) override;
    // Moves the item to the trash.
    bool Delete(TRCloudItem* item) override;
    using TRCloudStorage::Delete;
    // True when the transfer completed with a 2xx status and the file was written.
    bool Download(TRCloudItem* item, const QString& targetFile) override;
    using TRCloudStorage::Download;

    // "&hl=" and the language of the client's locale; empty for the default.
    QString GetLocaleParam() const;
    // Asks for the channel's search list; the reply is not used.
    void GetList();
    TRCloudItem* Upload(const QString& folderName, const QString& fileName);
    // Turns a flat list into the GDrive tree: the root's items first, then the others under the
    // first placed item with their parent's id, pass after pass while a pass places one.
    void BuildItemTree(TRYoutubeItems& list);

protected:
    platform::net::LoopbackAnswer TakeRedirect(const QUrlQuery& query) override;

private:
    TRYoutubeItem* FindPlaced(const QString& id);
};
