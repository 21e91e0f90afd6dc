#pragma once
// Shows a cloud storage's item tree in a tree widget: a root "My Drive" and below it every
// folder (and every file unless only folders are wanted). Each node's data (Qt::UserRole) is
// the address of its item, or of the tree's root collection for "My Drive".

class QTreeWidget;
class TRCloudStorage;

void FillTreeView(TRCloudStorage& storage, QTreeWidget* treeView, bool onlyFolders);
