// The Preferences dialog: every field shown from and written to the settings record, Cancel
// writing nothing, the restart message only when the temporary folder really changes, the
// loudness switch enabling its editor, and snap menus offering only values in range.
#include "core/URSettings.h"
#include "core/URTempFolders.h"
#include "core/URUtils.h"
#include "core/ui/URGPEditEx.h"
#include "core/ui/URMessageBox.h"
#include "editor/ui/UPreferencesForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

// Answers the next message box with OK and keeps its text.
class MessageWatch : public QObject {
public:
    MessageWatch() {
        connect(&timer_, &QTimer::timeout, this, [this] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<TRMessageBox*>(w); box && box->isRunning()) {
                    texts.push_back(box->text());
                    box->button('A')->click();
                }
        });
        timer_.start(10);
    }
    QStringList texts;

private:
    QTimer timer_;
};

// Plays the file manager.
class FileHandler : public QObject {
    Q_OBJECT
public:
    QString opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened = url.toLocalFile(); }
};

class Preferences : public testing::Test {
protected:
    void SetUp() override {
        saved_ = SettingsRecord;
        SetDefaultSettings(SettingsRecord);
    }
    void TearDown() override { SettingsRecord = saved_; }

    TSettingsRecord saved_;
};

TEST_F(Preferences, EveryFieldIsShownAndWrittenBack) {
    TSettingsRecord& s = SettingsRecord;
    s.CheckUpdates = 1;
    s.ShowRecorderWizard = 0;
    s.ShowVideoWizard = 1;
    s.ConfirmDelete = 0;
    s.ConfirmTrim = 1;
    s.ConfirmSplit = 0;
    s.NormalizeLoudness = 1;
    s.TargetLoudness = -18;
    s.DefaultObjectDuration = 12;
    s.DefaultTransitionDuration = 700;
    s.DefaultAnimationDuration = 1500;
    TPreferencesForm form;
    form.Load();
    EXPECT_TRUE(form.EdCfu->isChecked());
    EXPECT_FALSE(form.edShowSRconfigurator->isChecked());
    EXPECT_TRUE(form.edShowVRconfigurator->isChecked());
    EXPECT_FALSE(form.edCMDelete->isChecked());
    EXPECT_TRUE(form.edCMTrim->isChecked());
    EXPECT_FALSE(form.edCMSplit->isChecked());
    EXPECT_TRUE(form.edLoudness->isChecked());
    EXPECT_EQ(form.edLoudnessV->Value(), -18);
    EXPECT_EQ(form.edObject->Value(), 12);
    EXPECT_EQ(form.edTransition->Value(), 700);
    EXPECT_EQ(form.edAnimation->Value(), 1500);

    QTimer::singleShot(0, &form, [&form] {
        for (QCheckBox* box : {form.EdCfu, form.edShowSRconfigurator, form.edShowVRconfigurator,
                               form.edCMDelete, form.edCMTrim, form.edCMSplit, form.edLoudness})
            box->toggle();
        form.edObject->SetValue(30.7);
        form.edTransition->SetValue(0);
        form.edAnimation->SetValue(3000);
        form.edLoudnessV->SetValue(-10);
        form.btnSave->click();
    });
    EXPECT_TRUE(form.Execute());
    EXPECT_EQ(form.Tag, 1);
    EXPECT_EQ(s.CheckUpdates, 0);
    EXPECT_EQ(s.ShowRecorderWizard, 1);
    EXPECT_EQ(s.ShowVideoWizard, 0);
    EXPECT_EQ(s.ConfirmDelete, 1);
    EXPECT_EQ(s.ConfirmTrim, 0);
    EXPECT_EQ(s.ConfirmSplit, 1);
    EXPECT_EQ(s.NormalizeLoudness, 0);
    EXPECT_EQ(s.DefaultObjectDuration, 30) << "durations are truncated";
    EXPECT_EQ(s.DefaultTransitionDuration, 0);
    EXPECT_EQ(s.DefaultAnimationDuration, 3000);
    EXPECT_EQ(s.TargetLoudness, -10.0f);
}

TEST_F(Preferences, CancelWritesNothing) {
    const TSettingsRecord before = SettingsRecord;
    TPreferencesForm form;
    QTimer::singleShot(0, &form, [&form] {
        form.EdCfu->toggle();
        form.edObject->SetValue(40);
        form.edFilePath->setText("/somewhere/else");
        form.btnCancel->click();
    });
    EXPECT_FALSE(form.Execute());
    EXPECT_EQ(form.Tag, 0);
    EXPECT_EQ(SettingsRecord.CheckUpdates, before.CheckUpdates);
    EXPECT_EQ(SettingsRecord.DefaultObjectDuration, before.DefaultObjectDuration);
    EXPECT_EQ(SettingsRecord.TempStorageFolder.text(), before.TempStorageFolder.text());
}

TEST_F(Preferences, OnlyARealFolderChangeAsksForARestart) {
    MessageWatch messages;
    TPreferencesForm form;
    // The default setting is the system's temporary folder; Reset shows the program's default
    // folder, which gives the same root: nothing to restart for.
    SettingsRecord.TempStorageFolder.setText(GetWindowsTempPath());
    form.Load();
    EXPECT_EQ(form.edFilePath->text(), DefaultTempFolder());
    QTest::mouseClick(form.btnReset, Qt::LeftButton);
    form.Store();
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_EQ(SettingsRecord.TempStorageFolder.text(), GetWindowsTempPath());

    form.Load();
    form.edFilePath->setText("/srv/tavrin-temp");
    form.Store();
    EXPECT_EQ(messages.texts, QStringList{"Please restart the application."});
    EXPECT_EQ(SettingsRecord.TempStorageFolder.text(), "/srv/tavrin-temp");

    // Reset from a folder of one's own is a change back to the default.
    form.Load();
    QTest::mouseClick(form.btnReset, Qt::LeftButton);
    form.Store();
    EXPECT_EQ(messages.texts.size(), 2);
    EXPECT_TRUE(SameTempFolder(SettingsRecord.TempStorageFolder.text(), QString()));
}

TEST_F(Preferences, TheLoudnessSwitchEnablesItsEditor) {
    TPreferencesForm form;
    SettingsRecord.NormalizeLoudness = 0;
    form.Load();
    EXPECT_FALSE(form.edLoudnessV->Edit()->isEnabled());
    EXPECT_FALSE(form.edLoudnessV->TrackBar()->isEnabled());
    QTest::mouseClick(form.edLoudness, Qt::LeftButton);
    EXPECT_TRUE(form.edLoudnessV->Edit()->isEnabled());
    EXPECT_TRUE(form.edLoudnessV->TrackBar()->isEnabled());
    EXPECT_TRUE(form.edLoudnessV->Caption()->isEnabled());
}

TEST_F(Preferences, EditorsHaveTheirRangesUnitsAndInRangeSnapValues) {
    TPreferencesForm form;
    struct Case {
        TRGPEditEx* editor;
        double min, max, defaultValue;
        const char* unit;
        QList<int> snaps;
    };
    for (const Case& c :
         {Case{form.edObject, 1, 60, 5, "s", {5, 10, 30, 60}},
          Case{form.edTransition, 0, 3000, 500, "ms", {100, 500, 1000, 2000, 3000}},
          Case{form.edAnimation, 100, 3000, 500, "ms", {100, 500, 1000, 2000, 3000}},
          Case{form.edLoudnessV, -23, -6, -14, "LUFS", {-23, -18, -14, -10, -6}}}) {
        EXPECT_EQ(c.editor->MinValue(), c.min);
        EXPECT_EQ(c.editor->MaxValue(), c.max);
        EXPECT_EQ(c.editor->DefaultValue(), c.defaultValue);
        EXPECT_EQ(c.editor->UM(), c.unit);
        EXPECT_EQ(c.editor->SnapValues(), c.snaps);
    }
}

TEST_F(Preferences, AClickOnTheFolderOpensIt) {
    FileHandler handler;
    QDesktopServices::setUrlHandler("file", &handler, "open");
    TPreferencesForm form;
    form.Load();
    form.edFilePath->setText("/srv/tavrin-temp");
    QTest::mouseClick(form.edFilePath, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("file");
    EXPECT_EQ(handler.opened, "/srv/tavrin-temp");
}

} // namespace

#include "PreferencesTest.moc"
