#include "export/URCloudItems.h"

#include <algorithm>

TRCloudItem::TRCloudItem() = default;
TRCloudItem::~TRCloudItem() = default;

void TRCloudItem::Assign(const TRCloudItem& source) {
    FileName = source.FileName;
    Path = source.Path;
    Size = source.Size;
    ModifiedDate = source.ModifiedDate;
    CreationDate = source.CreationDate;
    ItemType = source.ItemType;
    Tag = source.Tag;
}

void TRCloudItem::SetFolder(std::unique_ptr<TRCloudItems> folder) {
    FFolder = std::move(folder);
}

TRCloudItem* TRCloudItems::Add() {
    return Insert(Count());
}

TRCloudItem* TRCloudItems::Insert(int index) {
    const int at = std::clamp(index, 0, Count());
    TRCloudItem* item = items_.insert(items_.begin() + at, GetItemClass())->get();
    item->FCollection = this;
    return item;
}

int TRCloudItems::IndexOf(const TRCloudItem* item) const {
    const auto found = std::find_if(items_.begin(), items_.end(),
                                    [item](const auto& held) { return held.get() == item; });
    return found == items_.end() ? -1 : int(found - items_.begin());
}

std::unique_ptr<TRCloudItem> TRCloudItems::GetItemClass() const {
    return std::make_unique<TRCloudItem>();
}
