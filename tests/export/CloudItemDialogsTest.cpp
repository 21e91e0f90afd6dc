#include "core/ui/URStyle.h"
#include "export/ui/URCloudItem.h"
#include "export/ui/URCloudItemLinks.h"
#include "platform/system/Shell.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Runs `execute` and, once the form shows, does what the user would.
template <class Run> auto WithUser(QDialog& form, const std::function<void()>& user, Run execute) {
    QTimer::singleShot(0, &form, [&form, user] {
        EXPECT_TRUE(form.isVisible());
        user();
    });
    return execute();
}

void PressEscape(QWidget& form) {
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&form, &escape);
}

} // namespace

TEST(CloudItemForm, NewFolderAsksForANameAndGivesItUntrimmed) {
    TRCloudItemForm form;
    EXPECT_EQ(form.windowTitle(), "Tavrin");
    EXPECT_EQ(form.size(), QSize(Scaled(500, &form), Scaled(170, &form)));
    QString shownText, shownName, shownAction;
    const QString name = WithUser(
        form,
        [&] {
            shownText = form.lbtext->text();
            shownName = form.edit->text();
            shownAction = form.btnCreate->text();
            form.edit->setText("  Holiday ");
            form.btnCreate->click();
        },
        [&] { return form.ExecuteNewFolder(); });
    EXPECT_EQ(shownText, "New Folder");
    EXPECT_EQ(shownName, "Untitled");
    EXPECT_EQ(shownAction, "Create");
    EXPECT_EQ(form.Icon(), TRCloudIcon::NewFolder);
    EXPECT_EQ(form.Tag, 1);
    EXPECT_EQ(name, "  Holiday ");

    struct Case {
        const char* name;
        std::function<void()> cancel;
    } cancels[] = {
        {"Cancel", [&] { form.btnClose->click(); }},
        {"Esc", [&] { PressEscape(form); }},
        {"closed", [&] { form.close(); }},
    };
    for (const Case& c : cancels) {
        const QString result = WithUser(
            form,
            [&] {
                form.edit->setText("typed");
                c.cancel();
            },
            [&] { return form.ExecuteNewFolder(); });
        EXPECT_EQ(result, "") << c.name;
        EXPECT_EQ(form.Tag, 0) << c.name;
    }
}

TEST(CloudItemForm, RenameKeepsAFilesExtensionOnly) {
    TRCloudItemForm form;
    struct Case {
        QString old;
        bool folder;
        QString typed;
        QString result;
    } cases[] = {
        {"video.mp4", false, "clip", "clip.mp4"},
        {"video.mp4", false, "clip.webm", "clip.webm"},
        {"video.mp4", false, " clip ", " clip .mp4"},
        {"notes", false, "memo", "memo"},
        {"Season 1.5", true, "Season 2", "Season 2"},
        {"Season 1.5", true, "Season 2.5", "Season 2.5"},
    };
    for (const Case& c : cases) {
        QString shown;
        const QString result = WithUser(
            form,
            [&] {
                shown = form.edit->text();
                EXPECT_EQ(form.btnCreate->text(), "Rename");
                EXPECT_EQ(form.lbtext->text(), "Rename");
                form.edit->setText(c.typed);
                form.btnCreate->click();
            },
            [&] { return form.ExecuteRename(c.old, c.folder); });
        EXPECT_EQ(shown, c.old);
        EXPECT_EQ(form.Icon(), TRCloudIcon::Rename);
        EXPECT_EQ(result, c.result) << c.old.toStdString() << " -> " << c.typed.toStdString();
    }
    const QString cancelled = WithUser(
        form, [&] { form.btnClose->click(); }, [&] { return form.ExecuteRename("a.mp4", false); });
    EXPECT_EQ(cancelled, "");
}

TEST(CloudItemForm, ExtensionRule) {
    const std::pair<QString, QString> cases[] = {
        {"a.mp4", ".mp4"},      {"a", ""},       {"a.b.c", ".c"},
        {".hidden", ".hidden"}, {"dir.x/a", ""}, {"Season 1.5", ".5"},
        {"trailing.", "."},
    };
    for (const auto& [name, extension] : cases)
        EXPECT_EQ(ExtractFileExt(name), extension) << name.toStdString();
}

TEST(CloudItemLinksForm, RowsShowOnlyTheirTrimmedLinks) {
    TRCloudItemLinksForm form;
    EXPECT_EQ(form.windowTitle(), "Tavrin");
    EXPECT_EQ(form.size(), QSize(Scaled(600, &form), Scaled(321, &form)));
    form.show();
    struct Case {
        const char* name;
        QString download, share, media;
        bool shareShown, downloadShown, mediaShown;
    } cases[] = {
        {"all three", "https://d/1", "https://s/1", "https://m/1", true, true, true},
        {"a folder: share only", "", "https://s/2", "", true, false, false},
        {"blank and padded", "   ", "  https://s/3 \t", "\n", true, false, false},
        {"none", "", "", "", false, false, false},
    };
    for (const Case& c : cases) {
        form.SetLinks(c.download, c.share, c.media);
        EXPECT_EQ(form.links.share.edit->isVisible(), c.shareShown) << c.name;
        EXPECT_EQ(form.links.share.copy->isVisible(), c.shareShown) << c.name;
        EXPECT_EQ(form.links.download.label->isVisible(), c.downloadShown) << c.name;
        EXPECT_EQ(form.links.download.view->isVisible(), c.downloadShown) << c.name;
        EXPECT_EQ(form.links.media.edit->isVisible(), c.mediaShown) << c.name;
        EXPECT_EQ(form.links.share.edit->text(), c.share.trimmed()) << c.name;
    }
    EXPECT_TRUE(form.links.share.edit->isReadOnly());
    EXPECT_EQ(form.links.share.copy->toolTip(), "Copy to Clipboard");
    EXPECT_EQ(form.links.share.view->toolTip(), "View");
    form.hide();

    // Run modally, the links are shown trimmed and Close ends the form.
    bool shown = false;
    WithUser(
        form,
        [&] {
            shown = form.links.media.edit->text() == "https://m/4";
            form.btnClose->click();
        },
        [&] {
            form.ExecuteLinks(" https://d/4", "", "https://m/4 ");
            return 0;
        });
    EXPECT_TRUE(shown);
    EXPECT_FALSE(form.isVisible());
}

TEST(CloudItemLinksForm, CopyBeepsAndViewOpensOnlyHttps) {
    int beeps = 0;
    SetWarningBeep([&] { ++beeps; });
    std::vector<QString> opened;
    platform::system::setUrlOpener([&](const QString& url) {
        opened.push_back(url);
        return true;
    });
    TRCloudItemLinksForm form;
    form.SetLinks("https://d/1?id=a&export=download", "file:///etc/passwd", "javascript:alert(1)");
    form.links.download.copy->click();
    EXPECT_EQ(QApplication::clipboard()->text(), "https://d/1?id=a&export=download");
    EXPECT_EQ(beeps, 1);
    for (TRCloudLinkRow* row : {&form.links.download, &form.links.share, &form.links.media})
        row->view->click();
    EXPECT_EQ(opened, std::vector<QString>{"https://d/1?id=a&export=download"});

    const std::pair<QString, bool> addresses[] = {
        {"https://drive.test/x?usp=sharing", true},
        {"HTTPS://drive.test/", true},
        {"http://drive.test/", false},
        {"https:///nohost", false},
        {"ftp://drive.test/", false},
        {"", false},
    };
    for (const auto& [address, opens] : addresses) {
        opened.clear();
        EXPECT_EQ(OpenCloudLink(address), opens) << address.toStdString();
        EXPECT_EQ(opened.size(), opens ? 1u : 0u) << address.toStdString();
    }
    platform::system::setUrlOpener({});
    SetWarningBeep({});
}
