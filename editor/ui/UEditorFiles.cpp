// Projects in and out of the editor's slots: the open and save workers under the progress form,
// closing the active project with its save question, the name of a new project, the File
// menu's commands and the rules that enable them. The rules run when the event loop is about
// to wait and before the File menu opens.

#include "core/URFileFilter.h"
#include "core/URProject.h"
#include "core/URSettings.h"
#include "core/URTempFolders.h"
#include "core/URUtils.h"
#include "core/ui/URDimmer.h"
#include "core/ui/URMessageBox.h"
#include "editor/ui/UEditor.h"
#include "editor/ui/UREditorDialogs.h"
#include "properties/ui/URPropertiesPages.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace {

const QString NewProjectBase = "Untitled Project";
const QString ProjectFilter = "Tavrin Project (*.qmb)|*.qmb";

bool IsProjectFile(const QString& fileName) {
    return fileName.endsWith(".qmb", Qt::CaseInsensitive);
}

// The least number a name asks of the new project's name: 0 for a name not beginning with the
// base, the number after the base plus one, 1 for the base followed by anything else.
int NumberAfterBase(const QString& name) {
    if (!name.startsWith(NewProjectBase, Qt::CaseInsensitive))
        return 0;
    bool ok = false;
    const int value = name.mid(NewProjectBase.size()).toInt(&ok);
    return ok ? value + 1 : 1;
}

} // namespace

int TEditor::Ask(const QString& text, int buttons, int icon) {
    return RunDimmed(this, [&] { return EditorDialogs().Message(this, text, buttons, icon); });
}

int TEditor::FreeSlot() const {
    for (int slot = 1; slot <= SlotCount; ++slot)
        if (!Projects[slot])
            return slot;
    return 0;
}

void TEditor::ShowIntroWhenIdle() {
    if (!ActiveProject)
        UpdateInterface();
}

bool TEditor::EnoughSpaceToOpen(std::int64_t size) {
    const std::int64_t free = EditorDialogs().FreeDiskSpace(TempRoot);
    if (free < 0 || free >= size)
        return true;
    Ask(QString("The project cannot be opened.\r\r"
                "There is not enough space available on the disk %1.\r"
                "Please free up %2 KB of disk space.\r")
            .arg(QDir::toNativeSeparators(TempRoot))
            .arg(size / 1024),
        TRMessageBox::MB_OK, TRMessageBox::MB_ICONERROR);
    return false;
}

void TEditor::OpenProject() {
    const QString path = ProjectToOpen.trimmed();
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    const QString where = info.absolutePath() + "/\r" + info.fileName() + "\r";
    for (int slot = 1; slot <= SlotCount; ++slot)
        if (Projects[slot] && Projects[slot]->Path + Projects[slot]->FileName == path) {
            Ask("The project is already opened.\r" + where, TRMessageBox::MB_OK,
                TRMessageBox::MB_ICONERROR);
            ShowIntroWhenIdle();
            return;
        }
    if (!FreeSlot())
        return;
    const bool recovery = info.isDir();
    if (!EnoughSpaceToOpen(recovery ? 0 : info.size())) {
        ShowIntroWhenIdle();
        return;
    }
    auto project = std::make_unique<TRProject>();
    QString error;
    bool failed = false;
    const bool canceled = EditorDialogs().Progress("Loading...", [&] {
        try {
            error = project->OpenFromFile(path);
        } catch (const std::exception&) {
            failed = true;
        }
    });
    failed = failed || !error.isEmpty();
    if (canceled || failed) {
        // A folder left by a crash stays whole for the next start, whatever went wrong.
        if (recovery && SameTempFolder(project->TempFolder, path)) {
            ReleaseTempFolder(project->TempFolder);
            project->TempFolder = NewProjectTempFolder();
        }
        project.reset();
        if (failed && !canceled)
            Ask("The project cannot be opened.\r" + where + error, TRMessageBox::MB_OK,
                TRMessageBox::MB_ICONWARNING);
        ShowIntroWhenIdle();
        return;
    }
    if (recovery) {
        Ask("It seems that one project has closed unexpectedly. Please save it in another folder.",
            TRMessageBox::MB_OK, TRMessageBox::MB_ICONWARNING);
        // The folder is no package: saving goes through Save As.
        project->Path.clear();
        project->FileName.clear();
    }
    project->CheckObjectProperties();
    ClickProject(AddProject(std::move(project)));
    if (info.isFile()) {
        AddRecentProject(SettingsRecord, path);
        UpdateRecentProjects();
    }
}

void TEditor::SaveProject() {
    if (ActiveProject)
        ErrorProjectSave = ActiveProject->SaveToFile(ProjectToSave);
}

bool TEditor::RunSave(const QString& stepPrefix) {
    ErrorProjectSave.clear();
    EditorDialogs().Progress("Saving...", [this] { SaveProject(); });
    SaveLastStep(SettingsRecord, ActiveProject, stepPrefix + " Saving End" + ErrorProjectSave);
    if (!ErrorProjectSave.isEmpty()) {
        Ask("The project cannot be saved.\r" + ErrorProjectSave, TRMessageBox::MB_OK,
            TRMessageBox::MB_ICONERROR);
        return false;
    }
    AddRecentProject(SettingsRecord, ActiveProject->Path + ActiveProject->FileName);
    UpdateRecentProjects();
    UpdateCaption();
    return true;
}

bool TEditor::SaveCommand() {
    if (!ActiveProject)
        return false;
    Stop();
    SaveLastStep(SettingsRecord, ActiveProject, "Save Project Execute");
    if (ActiveProject->FileName.isEmpty())
        return SaveAsCommand();
    SaveLastStep(SettingsRecord, ActiveProject, "Save Start");
    StoreViewState();
    SaveLastStep(SettingsRecord, ActiveProject, "Save Saving...");
    ProjectToSave.clear();
    return RunSave("Save");
}

bool TEditor::SaveAsCommand() {
    if (!ActiveProject)
        return false;
    Stop();
    const QString start =
        ActiveProject->FileName.isEmpty()
            ? QDir(SettingsRecord.LastProjectFolder.text()).filePath(ActiveProject->ObjectName())
            : ActiveProject->Path + ActiveProject->FileName;
    ActiveProject->AutoSave();
    SaveLastStep(SettingsRecord, ActiveProject, "Save Dialog Execute");
    QString file = RunDimmed(this, [&] {
        return EditorDialogs().SaveFileName(this, start, QtFileFilter(ProjectFilter));
    });
    SaveLastStep(SettingsRecord, ActiveProject, "Save Dialog Execute End");
    if (file.isEmpty())
        return false;
    if (!IsProjectFile(file))
        file += ".qmb";
    SettingsRecord.LastProjectFolder.setText(QFileInfo(file).absolutePath());
    SaveLastStep(SettingsRecord, ActiveProject, "SaveAs StartSave");
    StoreViewState();
    SaveLastStep(SettingsRecord, ActiveProject, "SaveAs Saving...");
    ProjectToSave = file;
    if (!RunSave("SaveAs"))
        return false;
    ActiveProject->SetObjectName(QFileInfo(file).completeBaseName());
    UpdateCaption();
    UpdateTabs();
    if (!ActiveProject->SelectedObject || ActiveProject->SelectedObject == ActiveProject) {
        ActiveProject->LastIndexShowProperties = -1;
        FInspector->ShowObjectProperties();
    }
    for (int slot = 1; slot <= SlotCount; ++slot)
        if (Projects[slot].get() == ActiveProject)
            FProjectActions[slot]->setText(ActiveProject->ObjectName());
    return true;
}

int TEditor::CloseActiveProject() {
    if (!ActiveProject)
        return 1;
    Stop();
    SaveLastStep(SettingsRecord, ActiveProject, "Close Active Project");
    if (ActiveProject->Modified()) {
        const bool saved = !ActiveProject->FileName.isEmpty();
        QString text = QString("Save changes to the project '%1' ?")
                           .arg(saved ? ActiveProject->FileName : ActiveProject->ObjectName());
        if (!saved)
            text += "\rIt will be completely deleted unless saved.";
        const int answer = Ask(text, TRMessageBox::MB_YESNOCANCEL, TRMessageBox::MB_ICONQUESTION);
        // A Save As cancelled after Yes keeps the project as surely as Cancel does.
        if (answer == TRMessageBox::IDYES ? !SaveCommand() : answer != TRMessageBox::IDNO)
            return 2;
    }
    int slot = 1;
    while (Projects[slot].get() != ActiveProject)
        ++slot;
    SetSelectedObject(nullptr, true);
    SetActiveProject(nullptr);
    Projects[slot].reset();
    FProjectActions[slot]->setChecked(false);
    FProjectActions[slot]->setVisible(false);
    setWindowTitle("Tavrin");
    for (int other = 1; other <= SlotCount; ++other)
        if (Projects[other]) {
            FMenus[6]->setEnabled(true);
            ClickProject(other);
            return 1;
        }
    FMenus[6]->setEnabled(false);
    UpdateInterface();
    return 1;
}

QString TEditor::GetNewProjectName() const {
    int number = 0;
    const auto take = [&number](const QString& name) {
        number = std::max(number, NumberAfterBase(name));
    };
    const QDir folder(SettingsRecord.LastProjectFolder.text());
    if (!SettingsRecord.LastProjectFolder.isEmpty())
        for (const QFileInfo& entry :
             folder.entryInfoList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
            if (IsProjectFile(entry.fileName()))
                take(entry.completeBaseName());
    for (int slot = 1; slot <= SlotCount; ++slot)
        if (Projects[slot])
            take(QFileInfo(Projects[slot]->ObjectName()).completeBaseName());
    return number == 0 ? NewProjectBase : NewProjectBase + " " + QString::number(number);
}

void TEditor::NewProjectCommand() {
    if (!FreeSlot())
        return;
    Stop();
    panelIntro->hide();
    QString name = GetNewProjectName();
    int width = 1280;
    int height = 720;
    if (RunDimmed(this,
                  [&] { return EditorDialogs().NewBlankProject(this, name, width, height); })) {
        auto project = std::make_unique<TRProject>();
        project->SetProjectSize(width, height);
        project->SetProjectOriginalSize(width, height);
        // A name of nothing but characters a file cannot hold falls back to a numbered one.
        project->SetObjectName(name.isEmpty() ? GetNewProjectName() : name);
        project->InterfaceOptions.DesignScale = ComputeDesignScale(width, height);
        project->SetModified(true);
        ClickProject(AddProject(std::move(project)));
    }
    ShowIntroWhenIdle();
}

void TEditor::OpenProjectCommand() {
    Stop();
    if (!FreeSlot())
        return;
    const QString file = RunDimmed(this, [&] {
        SaveLastStep(SettingsRecord, ActiveProject, "Open Dialog Execute");
        const QString chosen = EditorDialogs().OpenFileName(
            this, SettingsRecord.LastProjectFolder.text(), QtFileFilter(ProjectFilter));
        SaveLastStep(SettingsRecord, ActiveProject, "Open Dialog End");
        return chosen;
    });
    if (file.isEmpty() || !IsProjectFile(file))
        return;
    panelIntro->hide();
    SaveLastStep(SettingsRecord, ActiveProject, "OpenProject");
    SettingsRecord.LastProjectFolder.setText(QFileInfo(file).absolutePath());
    ProjectToOpen = file;
    OpenProject();
    SaveLastStep(SettingsRecord, ActiveProject, "OpenProject End");
}

void TEditor::RecentExecute(int tag) {
    if (tag < 1 || tag > 10 || TimerOpenProject->isActive())
        return;
    Stop();
    SaveLastStep(SettingsRecord, ActiveProject, "OpenProjectRecent");
    ProjectToOpen = SettingsRecord.RecentProjects.Slots[tag].text();
    OpenProject();
    SaveLastStep(SettingsRecord, ActiveProject, "OpenProjectRecent End");
}

void TEditor::UpdateRecentProjects() {
    FRecentMenu->clear();
    const QStringList recent = ListEntries(SettingsRecord.RecentProjects);
    for (int tag = 1; tag <= recent.size(); ++tag) {
        const QString& file = recent[tag - 1];
        if (file.isEmpty() || !QFileInfo::exists(file))
            continue;
        QAction* item = FRecentMenu->addAction(file);
        connect(item, &QAction::triggered, this, [this, tag] { RecentExecute(tag); });
    }
}

void TEditor::CloseAllCommand() {
    while (ActiveProject)
        if (CloseActiveProject() == 2)
            return;
}

void TEditor::ExitCommand() {
    close();
}

void TEditor::CreateFileActions() {
    QMenu* menu = FMenus[0];
    const auto add = [&](const char* name, const char* caption, const char* shortcut,
                         auto handler) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        if (*shortcut)
            action->setShortcut(QKeySequence(shortcut));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    const auto slotFree = [this] { return FreeSlot() != 0; };
    const auto projectActive = [this] { return ActiveProject != nullptr; };
    QAction* newBlank =
        add("actNewProject", "&New Blank", "Ctrl+N", [this] { NewProjectCommand(); });
    // New Screen Recording and New Video arrive with the recorder's commands.
    for (const char* caption : {"N&ew Screen Recording", "Ne&w Video"})
        menu->addAction(caption)->setEnabled(false);
    menu->addSeparator();
    QAction* open = add("actOpenProject", "&Open", "Ctrl+O", [this] { OpenProjectCommand(); });
    FRecentMenu = new QMenu("O&pen Recent", menu);
    FRecentMenu->setObjectName("actOpenRecent");
    QAction* recent = menu->addMenu(FRecentMenu);
    menu->addSeparator();
    QAction* save = add("actSaveProject", "&Save", "Ctrl+S", [this] { SaveCommand(); });
    QAction* saveAs = add("actSaveAs", "S&ave As", "", [this] { SaveAsCommand(); });
    menu->addSeparator();
    QAction* closeProject = add("actClose", "&Close", "Ctrl+W", [this] { CloseActiveProject(); });
    QAction* closeAll = add("actCloseAll", "C&lose All", "", [this] { CloseAllCommand(); });
    menu->addSeparator();
    add("actExit", "E&xit", "", [this] { ExitCommand(); });
    FFileRules = {
        {newBlank, slotFree},
        {open, slotFree},
        {recent, [=, this] { return slotFree() && !FRecentMenu->isEmpty(); }},
        {save, projectActive},
        {saveAs, projectActive},
        {closeProject, projectActive},
        {closeAll, projectActive},
    };
    UpdateRecentProjects();
    connect(menu, &QMenu::aboutToShow, this, &TEditor::UpdateFileActions);
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &TEditor::UpdateFileActions);
}

void TEditor::UpdateFileActions() {
    for (const auto& [action, rule] : FFileRules)
        action->setEnabled(rule());
    btnSave->setEnabled(ActiveProject != nullptr);
}
