#include "core/URSettings.h"
#include "core/URStartup.h"
#include "core/ui/URProgress.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

class ProgressForm : public testing::Test {
protected:
    void SetUp() override {
        SetSettingsSaveEnabled(false);
        FirstInstance = true;
        other.show();
    }
    TrProgressForm form;
    QWidget other;
};

// Reports progress until the form is cancelled or the steps run out.
void reportUntilCanceled(TrProgressForm& form, int steps) {
    for (int i = 1; i <= steps && !form.Canceled; ++i)
        form.SetProgress(i % 100);
}

} // namespace

TEST(ProgressRemainingTime, FollowsTheElapsedTimeAndProgress) {
    struct Case {
        qint64 elapsed;
        int percent;
        std::optional<QString> text;
    } const cases[] = {
        {10000, 50, "10 sec remaining"}, {30000, 10, "4 min, 30 sec remaining"},
        {120000, 50, "2 min remaining"}, {3000, 99, ""}, // under a second left: the line is hidden
        {2000, 50, std::nullopt},                        // too early for an estimate
        {10000, 0, std::nullopt},        {10000, 100, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TrProgressForm::RemainingText(c.elapsed, c.percent), c.text)
            << c.elapsed << " ms at " << c.percent << "%";
}

TEST_F(ProgressForm, RunsTheProcedureWithTheOtherWindowsDisabled) {
    bool ran = false;
    const bool result = form.Execute("Saving...", [&] {
        ran = true;
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(form.windowTitle(), "Saving...");
        EXPECT_FALSE(other.isEnabled());
        EXPECT_TRUE(form.isEnabled());
        form.SetProgress(40);
        EXPECT_EQ(form.progressValue(), 40);
        EXPECT_EQ(SettingsRecord.LastStep.text(), "PF_Saving..._Execute");
    });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(result);
    EXPECT_TRUE(other.isEnabled());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(SettingsRecord.LastStep.text(), "PF_Saving..._End");
    EXPECT_FALSE(form.Canceled);
}

TEST_F(ProgressForm, FailureOfTheProcedureIsReported) {
    EXPECT_FALSE(form.Execute("Loading...", [&] { form.Error = true; }));
    EXPECT_TRUE(form.Error);

    EXPECT_FALSE(form.Execute("Loading...", [] { throw std::runtime_error("disk gone"); }));
    EXPECT_TRUE(form.Error);
    EXPECT_EQ(form.ErrorText, "disk gone");
    EXPECT_TRUE(other.isEnabled());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(SettingsRecord.LastStep.text(), "PF_Loading..._End");

    EXPECT_TRUE(form.Execute("Loading...", {})); // the next run starts clean
    EXPECT_FALSE(form.Error);
    EXPECT_TRUE(form.ErrorText.isEmpty());
}

TEST_F(ProgressForm, CancelButtonStopsTheProcedure) {
    int clicks = 0;
    const bool result = form.Execute("Exporting...", [&] {
        QTimer::singleShot(0, &form, [&] {
            form.cancelButton()->click();
            form.cancelButton()->click();
            clicks = 2;
        });
        reportUntilCanceled(form, 1000000);
        const int value = form.progressValue();
        form.SetProgress(value + 1); // ignored once cancelled
        EXPECT_EQ(form.progressValue(), value);
    });
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(result); // a cancel is no failure
    EXPECT_TRUE(form.Canceled);
    EXPECT_TRUE(form.IsCanceled());
    EXPECT_EQ(form.windowTitle(), "Canceling...");
    EXPECT_FALSE(form.isVisible());
}

TEST_F(ProgressForm, ClosingTheFormCancelsButKeepsItOpen) {
    form.Execute("Saving...", [&] {
        QTimer::singleShot(0, &form, [&] { form.close(); });
        reportUntilCanceled(form, 1000000);
        EXPECT_TRUE(form.isVisible());
    });
    EXPECT_TRUE(form.Canceled);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(ProgressForm, StepsShowOnlyTheirTexts) {
    form.Execute("Loading...", [&] {
        form.InitSteps("Extracting files...", "Loading objects...", "");
        EXPECT_TRUE(form.isStepVisible(1));
        EXPECT_TRUE(form.isStepVisible(2));
        EXPECT_FALSE(form.isStepVisible(3));
        form.StartStep(1);
        form.EndStep(1);
        form.StartStep(4); // nothing
        form.EndStep(0);   // nothing
        EXPECT_TRUE(form.isStepDone(1));
        EXPECT_FALSE(form.isStepDone(2));
        form.SetProgress(50); // too early for an estimate
        EXPECT_EQ(form.remainingText(), "");
    });
    form.Execute("Loading...", [&] { EXPECT_FALSE(form.isStepVisible(1)); });
}

TEST_F(ProgressForm, ProgressIsIgnoredWhileTheFormIsHidden) {
    form.SetProgress(70);
    EXPECT_EQ(form.progressValue(), 0);
}
