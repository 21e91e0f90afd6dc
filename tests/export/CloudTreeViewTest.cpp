#include "export/URCloudBase.h"
#include "export/ui/URCloudTreeView.h"

#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

TRCloudItem* add(TRCloudItems& items, const QString& name, TRCloudItemType type) {
    TRCloudItem* item = items.Add();
    item->FileName = name;
    item->ItemType = type;
    if (type == TRCloudItemType::ciFolder)
        item->SetFolder(std::make_unique<TRCloudItems>());
    return item;
}

QStringList captions(const QTreeWidgetItem* node) {
    QStringList list;
    for (int i = 0; i < node->childCount(); ++i)
        list << node->child(i)->text(0);
    return list;
}

} // namespace

TEST(CloudTreeView, FoldersAndFilesUnderMyDrive) {
    TRCloudStorage storage;
    TRCloudItem* season = add(*storage.Drive(), "Season 1", TRCloudItemType::ciFolder);
    add(*season->Folder(), "Episode.mp4", TRCloudItemType::ciFile);
    add(*season->Folder(), "Extras", TRCloudItemType::ciFolder);
    add(*storage.Drive(), "Intro.mp4", TRCloudItemType::ciFile);

    QTreeWidget tree;
    tree.addTopLevelItem(new QTreeWidgetItem(QStringList{"stale"}));
    FillTreeView(storage, &tree, false);
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    const QTreeWidgetItem* root = tree.topLevelItem(0);
    EXPECT_EQ(root->text(0), "My Drive");
    EXPECT_EQ(root->data(0, Qt::UserRole).value<quintptr>(), quintptr(storage.Drive()));
    EXPECT_EQ(captions(root), (QStringList{"Season 1", "Intro.mp4"}));
    EXPECT_EQ(captions(root->child(0)), (QStringList{"Episode.mp4", "Extras"}));
    EXPECT_EQ(root->child(0)->data(0, Qt::UserRole).value<quintptr>(), quintptr(season));
    EXPECT_EQ(tree.currentItem(), root);

    FillTreeView(storage, &tree, true);
    root = tree.topLevelItem(0);
    EXPECT_EQ(captions(root), QStringList{"Season 1"});
    EXPECT_EQ(captions(root->child(0)), QStringList{"Extras"});
    FillTreeView(storage, nullptr, true); // no tree: nothing happens
}
