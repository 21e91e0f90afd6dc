#include "export/ui/URCloudTreeView.h"

#include "export/URCloudBase.h"

#include <QApplication>
#include <QStyle>
#include <QTreeWidget>

namespace {

QVariant nodeData(const void* data) {
    return QVariant::fromValue(reinterpret_cast<quintptr>(data));
}

void addChildren(QTreeWidgetItem* parent, const TRCloudItems& items, bool onlyFolders) {
    const QIcon folderIcon = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon fileIcon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    for (int i = 0; i < items.Count(); ++i) {
        const TRCloudItem* item = items.Items(i);
        const bool folder = item->ItemType == TRCloudItemType::ciFolder;
        if (!folder && onlyFolders)
            continue;
        auto* node = new QTreeWidgetItem(parent, {item->FileName});
        node->setIcon(0, folder ? folderIcon : fileIcon);
        node->setData(0, Qt::UserRole, nodeData(item));
        if (folder && item->Folder())
            addChildren(node, *item->Folder(), onlyFolders);
    }
}

} // namespace

void FillTreeView(TRCloudStorage& storage, QTreeWidget* treeView, bool onlyFolders) {
    if (!treeView)
        return;
    treeView->clear();
    auto* root = new QTreeWidgetItem(treeView, {QStringLiteral("My Drive")});
    root->setIcon(0, QApplication::style()->standardIcon(QStyle::SP_DirIcon));
    root->setData(0, Qt::UserRole, nodeData(storage.Drive()));
    addChildren(root, *storage.Drive(), onlyFolders);
    treeView->setCurrentItem(root);
}
