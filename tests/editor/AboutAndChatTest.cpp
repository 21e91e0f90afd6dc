// The About box fades in on every opening and links to the configured home page; live chat
// opens the configured chat page in the browser.
#include "core/IKAnimation.h"
#include "core/URServerMessages.h"
#include "core/URUtils.h"
#include "editor/ui/UAbout.h"
#include "editor/ui/ULiveChat.h"
#include "platform/system/Shell.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class AboutAndChat : public testing::Test {
protected:
    void SetUp() override {
        saved_ = VendorBaseAddress();
        SetVendorBaseAddress("http://127.0.0.1:8123/");
        platform::system::setUrlOpener([this](const QString& url) {
            opened_ << url;
            return true;
        });
    }
    void TearDown() override {
        platform::system::setUrlOpener({});
        SetVendorBaseAddress(saved_);
    }

    QString saved_;
    QStringList opened_;
};

TEST_F(AboutAndChat, AboutFadesInOnEveryOpening) {
    Tabout about;
    for (int opening = 0; opening < 2; ++opening) {
        about.show();
        EXPECT_EQ(about.windowOpacity(), 0.0) << "opening " << opening;
        ASSERT_NE(about.FadeIn(), nullptr);
        EXPECT_TRUE(about.FadeIn()->IsRunning());
        IKAnimationTick();
        QThread::msleep(350);
        IKAnimationTick();
        EXPECT_EQ(about.windowOpacity(), 1.0);
        EXPECT_FALSE(about.FadeIn()->IsRunning());
        about.hide();
    }
}

TEST_F(AboutAndChat, AboutShowsTheVersionAndLinksToTheHomePage) {
    Tabout about;
    QTimer::singleShot(0, &about, [&] {
        EXPECT_EQ(about.lbversion->text(), "Version " + GetVersionString());
        EXPECT_EQ(about.lbhome->text(), "http://127.0.0.1:8123");
        QTest::mouseClick(about.lbhome, Qt::LeftButton);
        about.btnSave->click();
    });
    about.Execute();
    EXPECT_EQ(opened_, QStringList{"http://127.0.0.1:8123"});
}

TEST_F(AboutAndChat, LiveChatOpensTheChatPageInTheBrowser) {
    EXPECT_TRUE(StartLiveChat());
    EXPECT_TRUE(StartLiveChat());
    EXPECT_EQ(opened_, QStringList({"http://127.0.0.1:8123/chat", "http://127.0.0.1:8123/chat"}));
}

} // namespace
