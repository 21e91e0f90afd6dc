#pragma once
// What the editor's file commands ask of the user and the system: messages, the open and save
// file dialogs, the progress form around a long operation and the free space of a disk. The
// program uses the real ones; tests install answers of their own.

#include <QString>
#include <cstdint>
#include <functional>

class QWidget;

class TREditorDialogs {
public:
    virtual ~TREditorDialogs() = default;
    // A TRMessageBox with its button and icon codes; returns the code of the answer.
    virtual int Message(QWidget* parent, const QString& text, int buttons, int icon);
    // The chosen file, or empty when the dialog was cancelled. `filter` is in Qt's form.
    virtual QString OpenFileName(QWidget* parent, const QString& folder, const QString& filter);
    virtual QString SaveFileName(QWidget* parent, const QString& file, const QString& filter);
    // Runs `work` under the progress form captioned `action`; true when the user cancelled.
    virtual bool Progress(const QString& action, const std::function<void()>& work);
    // The New Blank Project dialog: true after Create, with the name, width and height chosen.
    virtual bool NewBlankProject(QWidget* parent, QString& name, int& width, int& height);
    // Bytes still free on the file system of `path`; -1 when unknown.
    virtual std::int64_t FreeDiskSpace(const QString& path);
};

// The installed dialogs, never null.
TREditorDialogs& EditorDialogs();
// Installs `dialogs` (null: back to the real dialogs).
void InstallEditorDialogs(TREditorDialogs* dialogs);
