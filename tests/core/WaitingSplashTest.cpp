#include "core/URFormHooks.h"
#include "core/URSettings.h"
#include "core/URStartup.h"
#include "core/URUtils.h"
#include "core/ui/URWaiting.h"
#include "core/ui/USplashScreen.h"

#include <gtest/gtest.h>

TEST(WaitingForm, ShowsInformationAndServesAsTheEngineWaitingForm) {
    {
        TRWaiting waiting;
        EXPECT_EQ(InstalledWaiting(), &waiting);
        waiting.UpdateInfo("old");
        waiting.Execute();
        EXPECT_TRUE(waiting.isVisible());
        EXPECT_EQ(waiting.info(), "");
        EXPECT_EQ(waiting.windowTitle(), "Tavrin");
        InstalledWaiting()->UpdateInfo("Downloading the file...5%");
        EXPECT_EQ(waiting.info(), "Downloading the file...5%");
        InstalledWaiting()->Close();
        EXPECT_FALSE(waiting.isVisible());
    }
    EXPECT_EQ(InstalledWaiting(), nullptr);
}

TEST(SplashScreen, ShowsVersionAndProgressAndRefusesToCloseDuringStart) {
    SetSettingsSaveEnabled(false);
    FirstInstance = true;
    TsplashScreen splash;
    splash.Execute();
    EXPECT_EQ(splash.version(), "Version " + GetVersionString());
    EXPECT_EQ(SettingsRecord.LastStep.text(), "Splash_Show");
    splash.SetProgress(50, "Creating the object inspector");
    EXPECT_EQ(splash.progress(), 50);
    EXPECT_EQ(SettingsRecord.LastStep.text(), "Creating the object inspector");
    splash.SetProgress(60, "  ");
    EXPECT_EQ(SettingsRecord.LastStep.text(), "Creating the object inspector");
    splash.close();
    EXPECT_TRUE(splash.isVisible());
    splash.Tag = 0;
    splash.close();
    EXPECT_FALSE(splash.isVisible());
}
