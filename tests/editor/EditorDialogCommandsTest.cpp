// The editor's dialog commands: the Help menu's rows and the pages they open at the configured
// addresses, Timing (Ctrl+D) enabled only for one selected timeline object and applying the
// dialog's times as one undo step, and Preferences.

#include "core/URObject.h"
#include "core/URProject.h"
#include "core/URPropTransition.h"
#include "core/URServerMessages.h"
#include "core/URSettings.h"
#include "editor/ui/UEditor.h"
#include "editor/ui/URTiming.h"
#include "objects/URObjectsRegistry.h"
#include "platform/system/Shell.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class EditorDialogCommands : public testing::Test {
protected:
    static void SetUpTestSuite() { RegisterEngineKinds(); }
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.filePath("config")));
        SetDefaultSettings(SettingsRecord);
        saved_ = VendorBaseAddress();
        SetVendorBaseAddress("http://127.0.0.1:8123");
        platform::system::setUrlOpener([this](const QString& url) {
            opened_ << url;
            return true;
        });
        editor_ = std::make_unique<TEditor>();
        editor_->show();
        editor_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(editor_.get()));
    }
    void TearDown() override {
        editor_.reset();
        platform::system::setUrlOpener({});
        SetVendorBaseAddress(saved_);
    }
    QAction* Action(const char* name) const { return editor_->findChild<QAction*>(name); }
    // Lets the editor fall idle so the enabled states follow.
    bool Enabled(const char* name) {
        QEventLoop idle; // a loop that waits, unlike qWait, lets the dispatcher fall idle
        QTimer::singleShot(20, &idle, &QEventLoop::quit);
        idle.exec();
        return Action(name)->isEnabled();
    }
    TRProject* OpenProject() {
        auto owned = std::make_unique<TRProject>();
        TRProject* project = owned.get();
        project->SetProjectSize(640, 360);
        project->SetTimeEnd(10000);
        editor_->AddProject(std::move(owned));
        editor_->ClickProject(1);
        return project;
    }
    TRObject* AddShape(TRProject& project, int track, int start, int end) {
        auto object = std::make_unique<TRObject>(&project, otShape);
        object->SetTrack(track);
        object->SetTimeStartField(start);
        object->SetTimeEnd(end);
        object->TrIn()->SetChecked(false);
        object->TrOut()->SetChecked(false);
        return project.AddObject(std::move(object));
    }

    QTemporaryDir dir_;
    QString saved_;
    QStringList opened_;
    std::unique_ptr<TEditor> editor_;
};

TEST_F(EditorDialogCommands, HelpMenuRowsOpenTheConfiguredPages) {
    QStringList captions;
    for (QAction* action : editor_->Menu(7)->actions())
        captions << (action->isSeparator() ? QString("-") : action->text());
    EXPECT_EQ(captions, (QStringList{"&Online Help", "&How-To", "&Live Chat", "-", "&About"}));
    for (const char* name : {"actOnlineHelp", "acthowto", "actLiveChat"}) {
        EXPECT_TRUE(Enabled(name)) << name;
        Action(name)->trigger();
    }
    EXPECT_EQ(opened_, (QStringList{"http://127.0.0.1:8123/help", "http://127.0.0.1:8123/how-to",
                                    "http://127.0.0.1:8123/chat"}));
    EXPECT_TRUE(Enabled("actAbout"));
    EXPECT_TRUE(Enabled("actPreferences")) << "with no project open";
    EXPECT_EQ(Action("actPreferences")->text(), "Pre&ferences");
    EXPECT_EQ(Action("actTiming")->shortcut(), QKeySequence("Ctrl+D"));
}

TEST_F(EditorDialogCommands, TimingIsForOneSelectedTimelineObject) {
    EXPECT_FALSE(Enabled("actTiming")) << "no project";
    TRProject* project = OpenProject();
    TRObject* a = AddShape(*project, 0, 1000, 2000);
    TRObject* b = AddShape(*project, 1, 1000, 2000);
    editor_->SetSelectedObject(project, true);
    EXPECT_FALSE(Enabled("actTiming")) << "the project itself is selected";
    editor_->SetSelectedObject(a, true);
    EXPECT_TRUE(Enabled("actTiming"));
    a->SetMultiSelect(true);
    b->SetMultiSelect(true);
    EXPECT_FALSE(Enabled("actTiming")) << "a multi-selection";
}

TEST_F(EditorDialogCommands, CtrlDAppliesTheTimesAsOneUndoStep) {
    TRProject* project = OpenProject();
    TRObject* object = AddShape(*project, 0, 1000, 2000);
    editor_->SetSelectedObject(object, true);
    project->History_Init();
    EXPECT_TRUE(Enabled("actTiming"));
    QTimer::singleShot(0, editor_.get(), [this] {
        auto* timing = qobject_cast<TRTiming*>(QApplication::activeModalWidget());
        ASSERT_NE(timing, nullptr);
        timing->edTimeEnd->setTime(QTime::fromMSecsSinceStartOfDay(7000));
        timing->edTimeStart->setTime(QTime::fromMSecsSinceStartOfDay(5500));
        timing->btnSave->click();
    });
    QTest::keyClick(editor_->centralWidget(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(object->TimeStart(), 5500);
    EXPECT_EQ(object->TimeEnd(), 7000);
    EXPECT_EQ(editor_->GetPlayHead(), 5500);
    ASSERT_TRUE(project->History_CanUndo());
    project->History_Undo();
    EXPECT_EQ(object->TimeStart(), 1000);
    EXPECT_EQ(object->TimeEnd(), 2000);
}

} // namespace
