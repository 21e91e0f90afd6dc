// The editor's commands that open dialogs and pages: Timing, Preferences, the help pages, live
// chat, About, and the capture-device report.
#include "core/UREditorServices.h"
#include "core/URProject.h"
#include "core/URServerMessages.h"
#include "core/URSettings.h"
#include "core/ui/URDimmer.h"
#include "editor/ui/UAbout.h"
#include "editor/ui/UEditor.h"
#include "editor/ui/ULiveChat.h"
#include "editor/ui/UPreferencesForm.h"
#include "editor/ui/URTiming.h"
#include "platform/system/Shell.h"
#include "properties/ui/URPropertiesPages.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QMenu>

namespace {

QAction* Command(QMenu* menu, const QString& caption, const char* name,
                 const QKeySequence& shortcut = {}) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    return action;
}

} // namespace

void TEditor::CreateDialogActions() {
    QAction* timing = Command(FMenus[1], "Timing", "actTiming", QKeySequence("Ctrl+D"));
    connect(timing, &QAction::triggered, this, &TEditor::TimingClick);
    FMenus[1]->addSeparator();
    connect(Command(FMenus[1], "Pre&ferences", "actPreferences"), &QAction::triggered, this,
            &TEditor::PreferencesClick);

    connect(Command(FMenus[7], "&Online Help", "actOnlineHelp"), &QAction::triggered, this,
            [] { platform::system::openUrl(HelpAddress()); });
    connect(Command(FMenus[7], "&How-To", "acthowto"), &QAction::triggered, this,
            [] { platform::system::openUrl(HowToAddress()); });
    connect(Command(FMenus[7], "&Live Chat", "actLiveChat"), &QAction::triggered, this, [] {
        EditorServices().Stop();
        StartLiveChat();
    });
    FMenus[7]->addSeparator();
    connect(Command(FMenus[7], "&About", "actAbout"), &QAction::triggered, this,
            &TEditor::AboutClick);

    // On no menu: support asks for it by its keys.
    auto* report = new QAction("Save Device List", this);
    report->setObjectName("actSaveDeviceList");
    report->setShortcut(QKeySequence("Ctrl+Shift+D"));
    addAction(report);
    connect(report, &QAction::triggered, this,
            [this] { SaveDeviceList(this, SettingsRecord, DeviceReportSources); });

    // Enabled states follow the editor's state whenever the program falls idle.
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &TEditor::UpdateDialogActions);
    UpdateDialogActions();
}

TRObject* TEditor::TimingObject() const {
    if (!ActiveProject || ActiveProject->HasMultiSelect())
        return nullptr;
    TRObject* selected = ActiveProject->SelectedObject;
    return selected == ActiveProject ? nullptr : selected;
}

void TEditor::UpdateDialogActions() {
    if (QAction* timing = findChild<QAction*>("actTiming"))
        timing->setEnabled(TimingObject() != nullptr);
}

void TEditor::TimingClick() {
    EditorServices().Stop();
    TRObject* object = TimingObject();
    if (!object)
        return;
    if (!FTiming)
        FTiming = new TRTiming(this);
    if (!FTiming->Execute(object))
        return;
    object->SetTimeStartField(FTiming->TimeStart());
    object->SetTimeEnd(FTiming->TimeEnd());
    ActiveProject->History_AddModify(object, undohtObject, undoIncrement);
    SetPlayHead(object->TimeStart());
    GoToPlayhead();
    object->LastIndexShowProperties = -1;
    FInspector->ShowObjectProperties();
}

void TEditor::PreferencesClick() {
    EditorServices().Stop();
    RunDimmed(this, [] {
        TPreferencesForm form;
        return form.Execute();
    });
}

void TEditor::AboutClick() {
    EditorServices().Stop();
    RunDimmed(this, [] {
        Tabout form;
        form.Execute();
    });
}
