#pragma once
// What opening a media file needs from the user interface: the open-file dialog and the error
// box. The UI installs them; without them no dialog is shown (a missing file is then simply not
// opened) and errors go to the log.

#include <QString>

// Lets the user pick an existing file; `filter` is "Name|patterns|Name|patterns..." with
// patterns separated by ";". Empty when cancelled.
using TRMediaFileChooser = QString (*)(const QString& filter);
// Shows `text` in the modal error box with an OK button.
using TRMediaErrorBox = void (*)(const QString& text);

void InstallMediaFileChooser(TRMediaFileChooser chooser);
void InstallMediaErrorBox(TRMediaErrorBox box);

// The installed chooser's answer; empty without one.
QString ChooseMediaFile(const QString& filter);
void ShowMediaError(const QString& text);
