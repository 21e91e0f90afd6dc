// The Drive upload wizard's seven pages and the two cloud item dialogs in the dark style on the
// X server. The pages are reached through the real flow against the fake Drive; the still ones
// are compared with golden images that were looked at; the busy page and the prompts are
// checked by their pixels.
#include "core/ui/URStyle.h"
#include "export/ui/URCloudItem.h"
#include "export/ui/URCloudItemLinks.h"
#include "platform/system/Messages.h"
#include "tests/export/DriveWizardFixture.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/SourcePaths.h"
#include "tests/support/StyleScope.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace drivewizard;

namespace {

QString Golden() {
    return QString::fromUtf8(kTestsSourceDir) + "/export/golden";
}

// The window's own colour above and, on a form with buttons, the bottom bar's below.
void ExpectDarkForm(const QImage& image, const char* name, bool bar = true) {
    EXPECT_EQ(image.pixel(4, 4) & 0xFFFFFF, TRStyleColors::Window) << name;
    const QRgb bottom = image.pixel(4, image.height() - 4) & 0xFFFFFF;
    EXPECT_EQ(bottom, bar ? 0x1A1F26u : TRStyleColors::Window) << name;
}

// Keeps a picture that is only checked by its pixels in the gallery folder, when there is one.
void Keep(const QImage& image, const QString& name) {
    const QString gallery = qEnvironmentVariable("TAVRIN_GALLERY_DIR");
    if (!gallery.isEmpty())
        image.save(QDir(gallery).filePath(name));
}

QImage Shot(QWidget& widget) {
    QApplication::processEvents();
    return RenderWidget(widget, 1.0);
}

class DriveFormsShot : public DriveWizardFixture {
protected:
    void SetUp() override {
        style_ = std::make_unique<StyleScope>();
        DriveWizardFixture::SetUp();
        wizard_->setAttribute(Qt::WA_ShowWithoutActivating);
    }
    void TearDown() override {
        DriveWizardFixture::TearDown();
        style_.reset();
    }

    // A still page is compared with its golden image; the busy one is only kept.
    void Page(const char* name, bool still = true) {
        if (QWidget* focus = QApplication::focusWidget())
            focus->clearFocus();
        const QImage image = Shot(*wizard_);
        ExpectDarkForm(image, name, still);
        if (still)
            ExpectGolden(image, Golden(), QString("drive_%1.png").arg(name));
        else
            Keep(image, QString("drive_%1.png").arg(name));
    }

    std::unique_ptr<StyleScope> style_;
};

TEST_F(DriveFormsShot, EveryPage) {
    RouteDrive();
    RouteRelay(true);
    SettingsRecord.GoogleDriveFolder.setText("F2");
    wizard_->Start(file_);
    wizard_->edDescription->setPlainText("Our summer holiday, first cut.");
    wizard_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(wizard_.get()));
    Page("start");

    wizard_->btnBrowse->click();
    EXPECT_EQ(wizard_->pages->currentWidget(), wizard_->pageMessage);
    Page("message", false);
    ASSERT_TRUE(WaitForPage(wizard_->pageAuthorize));
    Page("authorize");

    wizard_->btnAuthorize->click();
    ASSERT_TRUE(WaitForPage(wizard_->pageSelectFolder));
    Page("select_folder");

    // The upload page as a progress report leaves it.
    wizard_->pages->setCurrentWidget(wizard_->pageUpload);
    platform::system::postMessage(wizard_.get(), CN_PROGRESS, 42, 75);
    QCoreApplication::sendPostedEvents(wizard_.get());
    Page("upload");

    wizard_->pages->setCurrentWidget(wizard_->pageSelectFolder);
    wizard_->btnUpload->click();
    ASSERT_TRUE(WaitForPage(wizard_->pageFinal));
    Page("final");

    platform::system::postMessage(wizard_.get(), CN_CONNECTIONERROR);
    QCoreApplication::sendPostedEvents(wizard_.get());
    Page("error");
}

TEST(CloudDialogsShot, PromptAndLinks) {
    StyleScope style;
    TRCloudItemForm prompt;
    prompt.setAttribute(Qt::WA_ShowWithoutActivating);
    QImage newFolder, rename;
    QTimer::singleShot(0, &prompt, [&] {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&prompt));
        prompt.edit->clearFocus();
        newFolder = Shot(prompt);
        prompt.btnClose->click();
    });
    prompt.ExecuteNewFolder();
    QTimer::singleShot(0, &prompt, [&] {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&prompt));
        prompt.edit->clearFocus();
        rename = Shot(prompt);
        prompt.btnClose->click();
    });
    prompt.ExecuteRename("Summer holiday.mp4", false);
    // Shown inside their modal loop, the prompts may or may not take the activation from the
    // window system; they are checked by their pixels.
    ExpectDarkForm(newFolder, "new folder");
    ExpectDarkForm(rename, "rename");
    Keep(newFolder, "cloud_new_folder.png");
    Keep(rename, "cloud_rename.png");

    TRCloudItemLinksForm links;
    links.setAttribute(Qt::WA_ShowWithoutActivating);
    links.SetLinks("https://drive.example/uc?id=1a2b3c&export=download",
                   "https://drive.example/file/d/1a2b3c/view?usp=sharing",
                   "https://drive.example/uc?id=1a2b3c&export=view");
    links.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&links));
    if (QWidget* focus = QApplication::focusWidget())
        focus->clearFocus();
    const QImage all = Shot(links);
    ExpectDarkForm(all, "links");
    ExpectGolden(all, Golden(), "cloud_links.png");
    links.SetLinks("", "https://drive.example/drive/folders/9z8y", "");
    ExpectGolden(Shot(links), Golden(), "cloud_links_share_only.png");
}

} // namespace
