#include "core/URSettings.h"
#include "core/URStartup.h"
#include "editor/ui/UEditor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class EditorOpenTimerTest : public testing::Test {
protected:
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.filePath("config")));
        FirstInstance = true;
        SetDefaultSettings(SettingsRecord);
    }
    // Runs the event loop until the timer has fired or a generous limit passed.
    void runTimer() {
        QElapsedTimer clock;
        clock.start();
        while (editor_.TimerOpenProject->isActive() && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    QTemporaryDir dir_;
    TEditor editor_;
};

TEST_F(EditorOpenTimerTest, TheRecoveryFolderWinsOverTheCommandLineProject) {
    QSignalSpy requested(&editor_, &TEditor::openProjectRequested);
    editor_.EnableProjectOpening("/home/u/Demo.QMB", "/tmp/QMBTemp/3/");
    EXPECT_TRUE(editor_.TimerOpenProject->isActive());
    runTimer();
    ASSERT_EQ(requested.size(), 1);
    EXPECT_EQ(requested.first().first().toString(), "/tmp/QMBTemp/3/");
    EXPECT_EQ(SettingsRecord.LastStep.text(), "OpenProjectTimer_/tmp/qmbtemp/3/");
    EXPECT_FALSE(editor_.TimerOpenProject->isActive()) << "the timer fires once";
}

TEST_F(EditorOpenTimerTest, TheCommandLineProjectOpensWithoutARecoveryFolder) {
    QSignalSpy requested(&editor_, &TEditor::openProjectRequested);
    editor_.EnableProjectOpening("/home/u/Demo.QMB", "");
    runTimer();
    ASSERT_EQ(requested.size(), 1);
    EXPECT_EQ(editor_.OpenedProject, "/home/u/Demo.QMB");
}

TEST_F(EditorOpenTimerTest, NothingToOpenLeavesTheTimerOff) {
    editor_.EnableProjectOpening("", "");
    EXPECT_FALSE(editor_.TimerOpenProject->isActive());
    EXPECT_EQ(editor_.windowTitle(), "Tavrin");
}

} // namespace
