#pragma once
// The tree of a cloud storage: files and folders, each folder with a collection of its own.

#include <QDateTime>
#include <QString>
#include <memory>
#include <vector>

class TRCloudItems;

enum class TRCloudItemType { ciFile, ciFolder };

class TRCloudItem {
public:
    TRCloudItem();
    virtual ~TRCloudItem();
    TRCloudItem(const TRCloudItem&) = delete;
    TRCloudItem& operator=(const TRCloudItem&) = delete;

    // Copies the fields of another item; the sub-collection of a folder stays as it is.
    virtual void Assign(const TRCloudItem& source);

    QString FileName;
    QString Path;
    TRCloudItemType ItemType = TRCloudItemType::ciFile;
    qint64 Size = 0;
    QDateTime ModifiedDate;
    QDateTime CreationDate;
    int Tag = 0;

    // The sub-collection of a folder item: none for files until a caller makes one.
    TRCloudItems* Folder() const { return FFolder.get(); }
    void SetFolder(std::unique_ptr<TRCloudItems> folder);
    // The collection that holds this item; none for an item made on its own.
    TRCloudItems* Collection() const { return FCollection; }

private:
    friend class TRCloudItems;
    std::unique_ptr<TRCloudItems> FFolder;
    TRCloudItems* FCollection = nullptr;
};

// A collection of items; a descendant collection makes its own item class.
class TRCloudItems {
public:
    TRCloudItems() = default;
    virtual ~TRCloudItems() = default;
    TRCloudItems(const TRCloudItems&) = delete;
    TRCloudItems& operator=(const TRCloudItems&) = delete;

    int Tag = 0;

    TRCloudItem* Add();
    TRCloudItem* Insert(int index);
    TRCloudItem* Items(int index) const { return items_.at(std::size_t(index)).get(); }
    // Replaces the fields of the item at `index` with those of `item` (as Assign does).
    void SetItems(int index, const TRCloudItem& item) { Items(index)->Assign(item); }
    int Count() const { return int(items_.size()); }
    // The position of an item in this collection; -1 when it is not here.
    int IndexOf(const TRCloudItem* item) const;
    void Clear() { items_.clear(); }

protected:
    virtual std::unique_ptr<TRCloudItem> GetItemClass() const;

private:
    std::vector<std::unique_ptr<TRCloudItem>> items_;
};

// A collection of one item class, owned by the folder item `Folder` (none for the top level).
template <class Item> class TRCloudItemsOf : public TRCloudItems {
public:
    explicit TRCloudItemsOf(Item* folder = nullptr) : Folder(folder) {}

    Item* Folder;

    Item* Add() { return static_cast<Item*>(TRCloudItems::Add()); }
    Item* Insert(int index) { return static_cast<Item*>(TRCloudItems::Insert(index)); }
    Item* Items(int index) const { return static_cast<Item*>(TRCloudItems::Items(index)); }

protected:
    std::unique_ptr<TRCloudItem> GetItemClass() const override { return std::make_unique<Item>(); }
};
