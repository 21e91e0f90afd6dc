#pragma once
// The root of the projects' temporary folders and the search for a folder that a crashed run
// left behind.

#include <QString>
#include <QStringList>

// Sets TempRoot below the settings' temporary storage folder, or below the system's temporary
// folder when that one cannot be used.
void SetupTempRoot();
// The first project folder below TempRoot that holds a project description or a recorded track;
// empty when there is none (always empty in a second instance).
QString FindRecoveryFolder();
// The names of the subfolders of a folder, lower-cased and sorted as text.
void ListSubfolders(const QString& path, QStringList& list);
// The names whose presence makes a folder recoverable, in the order they are tested.
const QStringList& RecoverableFileNames();
