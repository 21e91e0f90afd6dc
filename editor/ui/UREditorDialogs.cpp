#include "editor/ui/UREditorDialogs.h"

#include "core/ui/URMessageBox.h"
#include "core/ui/URProgress.h"
#include "editor/ui/UNewBlankProject.h"
#include "platform/system/DiskSpace.h"

#include <QFileDialog>
#include <memory>

namespace {

TREditorDialogs* Installed = nullptr;

} // namespace

int TREditorDialogs::Message(QWidget* parent, const QString& text, int buttons, int icon) {
    TRMessageBox box(parent);
    return box.Execute(text, buttons, icon);
}

QString TREditorDialogs::OpenFileName(QWidget* parent, const QString& folder,
                                      const QString& filter) {
    return QFileDialog::getOpenFileName(parent, QString(), folder, filter);
}

QString TREditorDialogs::SaveFileName(QWidget* parent, const QString& file, const QString& filter) {
    QFileDialog dialog(parent, QString(), file, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("qmb");
    dialog.selectFile(file);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
               ? dialog.selectedFiles().first()
               : QString();
}

bool TREditorDialogs::Progress(const QString& action, const std::function<void()>& work) {
    std::unique_ptr<TrProgressForm> own;
    auto* shared = dynamic_cast<TrProgressForm*>(InstalledProgress());
    if (!shared)
        own = std::make_unique<TrProgressForm>();
    TrProgressForm& form = shared ? *shared : *own;
    form.Execute(action, work);
    return form.Canceled;
}

bool TREditorDialogs::NewBlankProject(QWidget* parent, QString& name, int& width, int& height) {
    Tnewblankproject dialog(parent);
    return dialog.Execute(name, width, height);
}

std::int64_t TREditorDialogs::FreeDiskSpace(const QString& path) {
    return platform::system::freeDiskSpace(path);
}

TREditorDialogs& EditorDialogs() {
    static TREditorDialogs real;
    return Installed ? *Installed : real;
}

void InstallEditorDialogs(TREditorDialogs* dialogs) {
    Installed = dialogs;
}
