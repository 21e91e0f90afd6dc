#pragma once
// The project temporary folders: one numbered folder per open project below TempRoot, the search
// for a folder that a crashed run left behind, and their clean-up.
//
// Linux has no mandatory file locks, so "in use" is told by advisory locks: a running Tavrin
// holds a lock on every project folder it works in (and a recorder on every file it writes), and
// no other instance adopts, deletes or removes what is locked.

#include <QString>
#include <QStringList>

// Sets TempRoot below the temporary storage folder that the user's settings name, or else (or
// when that one cannot be used) to the per-user root "Tavrin/QMBTemp" in the user's cache
// folder. The root is private: mode 0700 and owned by the user.
void SetupTempRoot();
// The per-user root "<cache>/Tavrin/QMBTemp/".
QString DefaultTempRoot();
// The folder a default root lives in: what the preferences show for an empty setting.
QString DefaultTempFolder();
// Whether two settings of the temporary folder give the same root (empty, the system's
// temporary folder and the default folder all give the default one).
bool SameTempFolder(const QString& a, const QString& b);
// Creates TempRoot (one level) when it is missing and checks that it is a folder of the user's
// own that no one else can enter; false with the reason otherwise.
bool UsableTempRoot(QString& error);
// True for a folder directly below TempRoot (never TempRoot itself or a folder elsewhere).
bool IsProjectTempFolder(const QString& path);

// Creates the next free numbered folder below TempRoot (mode 0700), locks it for this process
// and returns it (ending with '/'). Numbers are never reused within one run. Empty, with the
// reason in `error`, when the root cannot be used or no folder can be made in it.
QString NewProjectTempFolder(QString* error = nullptr);
// Deletes the folder's contents and the folder itself, sparing files in use (and the folders
// above them). A folder locked by another holder is left whole; TempRoot itself is never removed.
void DeleteTempFolder(const QString& path);
// True when the file exists and another holder has it locked.
bool IsFileLocked(const QString& fileName);

// The first project folder below TempRoot that holds a project description or a recorded track
// and is not in use by a running Tavrin; empty when there is none (always empty in a second
// instance). The folder found is locked for this process.
QString FindRecoveryFolder();
// Locks a project folder for this process (a project adopting an existing folder); false when
// another holder already has it.
bool LockTempFolder(const QString& path);
// Gives up this process's lock on the folder; the folder and its files stay.
void ReleaseTempFolder(const QString& path);
// Removes the project folders that are empty and not in use (first instance only).
void RemoveEmptyTempFolders();

// The names of the subfolders of a folder, lower-cased and sorted as text.
void ListSubfolders(const QString& path, QStringList& list);
// The names whose presence makes a folder recoverable, in the order they are tested.
const QStringList& RecoverableFileNames();
// The text with only '.', digits and ASCII letters kept, in their order.
QString FilterFileNameChars(const QString& text);
// "_F" and the number of folders below TempRoot when there are any, else empty.
QString LeftoverTempFoldersTag();

// Starts the folder numbering again at 1, as a new run does.
void ResetTempFolderCounter();
