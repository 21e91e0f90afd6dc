// Projects in and out of the editor's slots with the dialogs answered by the test: the close
// question and its three answers (a Save As cancelled after Yes keeps the project), Save As
// renaming the project everywhere and listing it first among the recent projects, opening a
// file already open, too little room in the temporary root, a folder left by a crash opened,
// cancelled or failing (the folder stays whole unless it opened), Close All stopping at a
// cancel, the new project's name, and the File menu's rules.
#include "core/URProject.h"
#include "core/URSettings.h"
#include "core/URStartup.h"
#include "core/URTempFolders.h"
#include "core/URUtils.h"
#include "core/ui/URMessageBox.h"
#include "editor/ui/UEditor.h"
#include "editor/ui/UREditorDialogs.h"
#include "objects/URObjectsRegistry.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <deque>
#include <gtest/gtest.h>

namespace {

using MB = TRMessageBox;

// Answers every question the editor asks and remembers what it was asked.
class AnsweringDialogs : public TREditorDialogs {
public:
    int Message(QWidget*, const QString& text, int, int icon) override {
        Messages.push_back(text);
        Icons.push_back(icon);
        if (Answers.empty())
            return MB::IDOK;
        const int answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    QString OpenFileName(QWidget*, const QString&, const QString&) override { return OpenAnswer; }
    QString SaveFileName(QWidget*, const QString& file, const QString&) override {
        SaveOffered.push_back(file);
        return SaveAnswer;
    }
    bool Progress(const QString&, const std::function<void()>& work) override {
        work();
        return Cancel;
    }
    std::int64_t FreeDiskSpace(const QString&) override { return Free; }
    bool NewBlankProject(QWidget*, QString& name, int& width, int& height) override {
        Offered = name;
        name = NewName;
        width = NewWidth;
        height = NewHeight;
        return Create;
    }

    std::deque<int> Answers;
    QStringList Messages;
    std::vector<int> Icons;
    QStringList SaveOffered;
    QString OpenAnswer;
    QString SaveAnswer;
    bool Cancel = false;
    std::int64_t Free = -1;
    QString Offered;
    QString NewName;
    int NewWidth = 0;
    int NewHeight = 0;
    bool Create = true;
};

class EditorFiles : public testing::Test {
protected:
    static void SetUpTestSuite() { RegisterEngineKinds(); }
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.filePath("config")));
        SetDefaultSettings(SettingsRecord);
        TempRoot = dir_.filePath("QMBTemp/");
        QDir().mkpath(TempRoot);
        QDir().mkpath(dir_.filePath("Projects"));
        SettingsRecord.LastProjectFolder.setText(dir_.filePath("Projects"));
        InstallEditorDialogs(&dialogs_);
        editor_ = std::make_unique<TEditor>();
    }
    void TearDown() override {
        editor_.reset();
        InstallEditorDialogs(nullptr);
        TempRoot.clear();
    }
    // A new modified project, never saved, active in the next slot.
    TRProject* New(const QString& name) {
        auto project = std::make_unique<TRProject>();
        project->SetObjectName(name);
        project->SetTimeEnd(5000);
        project->SetModified(true);
        TRProject* raw = project.get();
        editor_->ClickProject(editor_->AddProject(std::move(project)));
        return raw;
    }
    int Filled() const {
        int filled = 0;
        for (int slot = 1; slot <= TEditor::SlotCount; ++slot)
            filled += editor_->Project(slot) != nullptr;
        return filled;
    }
    QString ProjectFile(const QString& name) const { return dir_.filePath("Projects/" + name); }
    // A folder a crashed run left: the project's description without its process's lock.
    QString CrashFolder(const QString& name) {
        auto project = std::make_unique<TRProject>();
        project->SetObjectName(name);
        project->SetTimeEnd(4000);
        EXPECT_TRUE(project->AutoSave());
        const QString folder = project->TempFolder;
        ReleaseTempFolder(folder);
        project->TempFolder.clear();
        return folder;
    }

    QTemporaryDir dir_;
    AnsweringDialogs dialogs_;
    std::unique_ptr<TEditor> editor_;
};

TEST_F(EditorFiles, ClosingANeverSavedProjectAsksAndKeepsItUnlessToldNo) {
    TRProject* project = New("Demo");
    const QString folder = project->TempFolder;
    const struct {
        const char* Name;
        std::deque<int> Answers;
        int Result;
    } cases[] = {
        {"cancel", {MB::IDCANCEL}, 2},
        // Yes runs Save As; its dialog cancelled keeps the project open.
        {"yes, then no file", {MB::IDYES}, 2},
        {"no", {MB::IDNO}, 1},
    };
    for (const auto& run : cases) {
        SCOPED_TRACE(run.Name);
        dialogs_.Messages.clear();
        dialogs_.Answers = run.Answers;
        EXPECT_EQ(editor_->CloseActiveProject(), run.Result);
        ASSERT_FALSE(dialogs_.Messages.isEmpty());
        EXPECT_EQ(dialogs_.Messages.first(), "Save changes to the project 'Demo' ?\r"
                                             "It will be completely deleted unless saved.");
        EXPECT_EQ(editor_->ActiveProject != nullptr, run.Result == 2);
    }
    EXPECT_EQ(dialogs_.SaveOffered, QStringList{ProjectFile("Demo")});
    EXPECT_EQ(Filled(), 0);
    EXPECT_FALSE(QFileInfo::exists(folder)) << "No deletes the unsaved project's folder";
    EXPECT_TRUE(editor_->IntroPanel()->isVisibleTo(editor_.get()));
    EXPECT_EQ(editor_->windowTitle(), "Tavrin");
}

TEST_F(EditorFiles, SaveAsRenamesTheProjectAndOpeningItAgainIsRefused) {
    New("Demo");
    New("Other");
    editor_->ClickProject(1);
    dialogs_.SaveAnswer = ProjectFile("intro");
    ASSERT_TRUE(editor_->SaveCommand()) << dialogs_.Messages.join("|").toStdString();
    const QString file = ProjectFile("intro.qmb");
    EXPECT_TRUE(QFileInfo(file).isFile());
    EXPECT_EQ(editor_->ActiveProject->ObjectName(), "intro");
    EXPECT_EQ(editor_->windowTitle(), "Tavrin - intro");
    EXPECT_EQ(editor_->Tabs()->tabText(0), "intro");
    EXPECT_EQ(editor_->ProjectAction(1)->text(), "intro");
    EXPECT_EQ(SettingsRecord.RecentProjects.Slots[1].text(), file);
    ASSERT_EQ(editor_->RecentMenu()->actions().size(), 1);
    // Open the same file again: refused, nothing changes.
    editor_->ProjectToOpen = file;
    editor_->OpenProject();
    EXPECT_EQ(dialogs_.Messages.last(),
              "The project is already opened.\r" + dir_.filePath("Projects") + "/\rintro.qmb\r");
    EXPECT_EQ(Filled(), 2);
    // Closed, it opens again from the recent list into the first free slot.
    EXPECT_EQ(editor_->CloseActiveProject(), 1);
    editor_->RecentMenu()->actions().first()->trigger();
    ASSERT_NE(editor_->ActiveProject, nullptr);
    EXPECT_EQ(editor_->ActiveProject, editor_->Project(1));
    EXPECT_EQ(editor_->ActiveProject->ObjectName(), "intro");
    EXPECT_FALSE(editor_->ActiveProject->Modified());
}

TEST_F(EditorFiles, TooLittleRoomInTheTemporaryRootOpensNothing) {
    New("Demo");
    dialogs_.SaveAnswer = ProjectFile("big.qmb");
    ASSERT_TRUE(editor_->SaveAsCommand());
    ASSERT_EQ(editor_->CloseActiveProject(), 1);
    const QString file = ProjectFile("big.qmb");
    dialogs_.Free = QFileInfo(file).size() - 1;
    editor_->ProjectToOpen = file;
    editor_->OpenProject();
    EXPECT_EQ(Filled(), 0);
    ASSERT_FALSE(dialogs_.Messages.isEmpty());
    EXPECT_EQ(dialogs_.Messages.last(),
              QString("The project cannot be opened.\r\r"
                      "There is not enough space available on the disk %1.\r"
                      "Please free up %2 KB of disk space.\r")
                  .arg(TempRoot)
                  .arg(QFileInfo(file).size() / 1024));
    dialogs_.Free = QFileInfo(file).size();
    editor_->OpenProject();
    EXPECT_EQ(Filled(), 1);
}

TEST_F(EditorFiles, AFolderLeftByACrashStaysWholeUnlessItOpened) {
    const struct {
        const char* Name;
        bool Cancel;
        bool Damaged;
        bool Opens;
    } cases[] = {
        {"cancelled", true, false, false},
        {"damaged", false, true, false},
        {"opens", false, false, true},
    };
    for (const auto& run : cases) {
        SCOPED_TRACE(run.Name);
        const QString folder = CrashFolder("Crashed");
        if (run.Damaged) {
            QFile description(folder + "project.xml");
            ASSERT_TRUE(description.open(QIODevice::WriteOnly | QIODevice::Truncate));
            description.write("<Project><Objects><broken");
        }
        dialogs_.Messages.clear();
        dialogs_.Cancel = run.Cancel;
        editor_->ProjectToOpen = folder;
        editor_->OpenProject();
        EXPECT_EQ(Filled(), run.Opens ? 1 : 0);
        EXPECT_TRUE(QFileInfo::exists(folder + "project.xml"));
        if (run.Opens) {
            EXPECT_EQ(dialogs_.Messages, QStringList{"It seems that one project has closed "
                                                     "unexpectedly. Please save it in another "
                                                     "folder."});
            EXPECT_TRUE(editor_->ActiveProject->FileName.isEmpty()) << "saving asks for a file";
            EXPECT_TRUE(SettingsRecord.RecentProjects.Slots[1].isEmpty());
        } else {
            EXPECT_EQ(dialogs_.Messages.size(), run.Damaged ? 1 : 0);
            DeleteTempFolder(folder);
        }
    }
}

TEST_F(EditorFiles, CloseAllStopsAtTheFirstCancel) {
    New("One");
    New("Two");
    New("Three");
    editor_->ClickProject(1);
    dialogs_.Answers = {MB::IDNO, MB::IDCANCEL};
    editor_->CloseAllCommand();
    EXPECT_EQ(Filled(), 2);
    EXPECT_EQ(editor_->ActiveProject->ObjectName(), "Two");
    EXPECT_EQ(dialogs_.Messages.size(), 2);
}

TEST_F(EditorFiles, NewProjectNamesSkipUsedNumbers) {
    const struct {
        const char* Name;
        QStringList Files;
        QStringList Open;
        QString Expected;
    } cases[] = {
        {"none", {}, {}, "Untitled Project"},
        {"the base", {"Untitled Project.qmb"}, {}, "Untitled Project 1"},
        {"any case", {"untitled project 3.QMB"}, {}, "Untitled Project 4"},
        {"other extensions",
         {"Untitled Project 7.mp4", "Untitled Project 2.qmb"},
         {},
         "Untitled Project 3"},
        {"text after the number", {"Untitled Project 2b.qmb"}, {}, "Untitled Project 1"},
        {"open projects", {"Untitled Project 1.qmb"}, {"Untitled Project 5"}, "Untitled Project 6"},
    };
    for (const auto& run : cases) {
        SCOPED_TRACE(run.Name);
        QDir folder(dir_.filePath("Projects"));
        for (const QString& entry : folder.entryList(QDir::Files))
            folder.remove(entry);
        for (const QString& file : run.Files) {
            QFile touch(folder.filePath(file));
            ASSERT_TRUE(touch.open(QIODevice::WriteOnly));
        }
        for (const QString& name : run.Open)
            New(name)->SetModified(false);
        EXPECT_EQ(editor_->GetNewProjectName(), run.Expected);
        editor_->CloseAllCommand();
    }
}

TEST_F(EditorFiles, NewBlankTakesTheChosenSizeAndANumberedNameForAnEmptyOne) {
    const struct {
        const char* Name;
        QString Typed;
        bool Create;
        QString Expected;
    } cases[] = {
        {"named", "Tutorial", true, "Tutorial"},
        // The dialog cleans a name of only invalid characters down to nothing.
        {"emptied", "", true, "Untitled Project"},
        {"cancelled", "Never", false, ""},
    };
    for (const auto& run : cases) {
        SCOPED_TRACE(run.Name);
        dialogs_.NewName = run.Typed;
        dialogs_.NewWidth = 1080;
        dialogs_.NewHeight = 1920;
        dialogs_.Create = run.Create;
        editor_->NewProjectCommand();
        EXPECT_EQ(dialogs_.Offered, "Untitled Project");
        if (!run.Create) {
            EXPECT_EQ(editor_->ActiveProject, nullptr);
            EXPECT_TRUE(editor_->IntroPanel()->isVisibleTo(editor_.get()));
            continue;
        }
        ASSERT_NE(editor_->ActiveProject, nullptr);
        EXPECT_EQ(editor_->ActiveProject->ObjectName(), run.Expected);
        std::int32_t width = 0, height = 0;
        editor_->ActiveProject->GetProjectSize(width, height);
        EXPECT_EQ(width, 1080);
        EXPECT_EQ(height, 1920);
        EXPECT_TRUE(editor_->ActiveProject->Modified());
        EXPECT_FLOAT_EQ(editor_->ActiveProject->InterfaceOptions.DesignScale,
                        editor_->ComputeDesignScale(1080, 1920));
        editor_->ActiveProject->SetModified(false);
        editor_->CloseActiveProject();
    }
}

TEST_F(EditorFiles, FileMenuRulesFollowTheSlots) {
    const auto action = [&](const char* name) {
        return editor_->Menu(0)->findChild<QAction*>(name);
    };
    const auto enabled = [&](const char* name) {
        editor_->UpdateFileActions();
        QAction* found = action(name);
        return found && found->isEnabled();
    };
    EXPECT_EQ(action("actNewProject")->shortcut(), QKeySequence("Ctrl+N"));
    EXPECT_EQ(action("actOpenProject")->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(action("actSaveProject")->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_EQ(action("actClose")->shortcut(), QKeySequence("Ctrl+W"));
    EXPECT_TRUE(enabled("actOpenProject"));
    EXPECT_FALSE(enabled("actSaveProject"));
    EXPECT_FALSE(enabled("actCloseAll"));
    EXPECT_FALSE(editor_->RecentMenu()->menuAction()->isEnabled()) << "no recent project";
    for (int i = 0; i < TEditor::SlotCount; ++i)
        New(QString("P%1").arg(i));
    EXPECT_FALSE(enabled("actOpenProject"));
    EXPECT_FALSE(enabled("actNewProject"));
    EXPECT_TRUE(enabled("actSaveAs"));
    EXPECT_TRUE(enabled("actExit"));
    // Open with all slots filled does nothing, not even the dialog.
    dialogs_.OpenAnswer = ProjectFile("x.qmb");
    editor_->OpenProjectCommand();
    EXPECT_EQ(Filled(), TEditor::SlotCount);
    // A recent entry does nothing while the start-up open is pending.
    dialogs_.Answers = {MB::IDNO};
    EXPECT_EQ(editor_->CloseActiveProject(), 1);
    dialogs_.Messages.clear();
    SettingsRecord.RecentProjects.Slots[1].setText(ProjectFile("x.qmb"));
    editor_->TimerOpenProject->start(60000);
    editor_->RecentExecute(1);
    EXPECT_TRUE(dialogs_.Messages.isEmpty());
    editor_->TimerOpenProject->stop();
}

} // namespace
