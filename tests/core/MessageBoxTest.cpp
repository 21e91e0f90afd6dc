#include "core/URServerMessages.h"
#include "core/URSettings.h"
#include "core/ui/URMessageBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

enum class Act { ClickA, ClickB, ClickC, Escape, Close };

void act(TRMessageBox& box, Act action) {
    switch (action) {
    case Act::ClickA:
        box.button('A')->click();
        break;
    case Act::ClickB:
        box.button('B')->click();
        break;
    case Act::ClickC:
        box.button('C')->click();
        break;
    case Act::Escape: {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&box, &escape);
        break;
    }
    case Act::Close:
        box.close();
        break;
    }
}

class MessageBox : public testing::Test {
protected:
    void SetUp() override {
        SetSettingsSaveEnabled(false);
        SettingsRecord.ConfirmDelete = SettingsRecord.ConfirmTrim = SettingsRecord.ConfirmSplit = 1;
    }
    // Runs the box and, once it shows, does what the user would.
    int run(const QString& text, int uType, int uIcon, TRConfirmationMessage confirmation,
            const std::function<void()>& user) {
        QTimer::singleShot(0, &box, [this, user] {
            shown = box.isVisible();
            user();
        });
        shown = false;
        return box.Execute(text, uType, uIcon, confirmation);
    }
    int run(int uType, Act action, TRConfirmationMessage confirmation = cmNone) {
        return run("Question?", uType, 32, confirmation, [this, action] { act(box, action); });
    }

    TRMessageBox box;
    bool shown = false;
};

} // namespace

TEST_F(MessageBox, ButtonsAndResultsFollowTheCodes) {
    struct Case {
        int uType;
        Act action;
        int result;
        const char* buttons; // visible captions, left to right
    } const cases[] = {
        {0, Act::ClickC, 1, "OK"},
        {0, Act::Escape, 1, "OK"},
        {0, Act::Close, 1, "OK"},
        {3, Act::ClickA, 6, "Yes,No,Cancel"},
        {3, Act::ClickB, 7, "Yes,No,Cancel"},
        {3, Act::ClickC, 2, "Yes,No,Cancel"},
        {3, Act::Escape, 2, "Yes,No,Cancel"},
        {3, Act::Close, 2, "Yes,No,Cancel"},
        {4, Act::ClickB, 6, "Yes,No"},
        {4, Act::ClickC, 7, "Yes,No"},
        {4, Act::Close, 7, "Yes,No"},
        {4, Act::Escape, 7, "Yes,No"},
        {5, Act::ClickB, 4, "Retry,Cancel"},
        {5, Act::ClickC, 2, "Retry,Cancel"},
        {5, Act::Close, 2, "Retry,Cancel"},
    };
    for (const Case& c : cases) {
        QStringList captions;
        const int result = run("Text", c.uType, 16, cmNone, [&] {
            for (char name : {'A', 'B', 'C'})
                if (box.button(name)->isVisible())
                    captions << box.button(name)->text();
            act(box, c.action);
        });
        EXPECT_EQ(result, c.result) << "uType " << c.uType << " action " << int(c.action);
        EXPECT_EQ(captions.join(","), c.buttons) << "uType " << c.uType;
        EXPECT_TRUE(shown);
        EXPECT_FALSE(box.isVisible());
    }
}

TEST_F(MessageBox, UnknownTypeKeepsTheButtonsWithResultTwo) {
    run(4, Act::ClickB);
    EXPECT_EQ(run(99, Act::Close), 2);
    EXPECT_EQ(run(99, Act::ClickB), 6); // still the "Yes" of the previous use
}

TEST_F(MessageBox, IconsFollowTheCodesAndZeroKeepsThePrevious) {
    const std::pair<int, int> icons[] = {{16, 113}, {32, 89}, {48, 113}, {64, 90}, {0, 90}};
    for (const auto& [code, glyph] : icons) {
        run("Text", 0, code, cmNone, [this] { act(box, Act::ClickC); });
        EXPECT_EQ(box.Glyph(), glyph) << code;
    }
}

TEST_F(MessageBox, ConfirmationSwitchedOffAnswersYesWithoutShowing) {
    SettingsRecord.ConfirmDelete = 0;
    bool showed = false;
    QTimer::singleShot(0, &box, [&] {
        showed = box.isVisible();
        box.close();
    });
    EXPECT_EQ(box.Execute("Delete?", 4, 32, cmDelete), 6);
    QApplication::processEvents();
    EXPECT_FALSE(showed);
    EXPECT_EQ(SettingsRecord.ConfirmDelete, 0);
}

TEST_F(MessageBox, DoNotShowAgainIsStoredOnlyWithYes) {
    const auto tickAnd = [this](Act action) {
        return [this, action] {
            EXPECT_TRUE(box.doNotShowBox()->isVisible());
            EXPECT_FALSE(box.doNotShowBox()->isChecked());
            box.doNotShowBox()->setChecked(true);
            act(box, action);
        };
    };
    EXPECT_EQ(run("Split?", 4, 32, cmSplit, tickAnd(Act::ClickC)), 7);
    EXPECT_EQ(SettingsRecord.ConfirmSplit, 1); // "No" is never answered silently
    EXPECT_EQ(run("Split?", 4, 32, cmSplit, tickAnd(Act::ClickB)), 6);
    EXPECT_EQ(SettingsRecord.ConfirmSplit, 0);
    EXPECT_EQ(box.Execute("Split?", 4, 32, cmSplit), 6);

    EXPECT_EQ(run(4, Act::ClickB, cmTrim), 6); // not ticked: keeps asking
    EXPECT_EQ(SettingsRecord.ConfirmTrim, 1);
    run("Plain", 0, 64, cmNone, [this] {
        EXPECT_FALSE(box.doNotShowBox()->isVisible());
        act(box, Act::ClickC);
    });
}

TEST_F(MessageBox, CallWhileShowingIsReportedAndShowsTheNewText) {
    QStringList reports;
    SetServerMessageSink([&](const QString& status, bool) {
        reports << status;
        return QString();
    });
    int inner = 0;
    QString innerText;
    run("First", 0, 64, cmNone, [&] {
        QTimer::singleShot(0, &box, [&] {
            auto* nested = box.findChild<TRMessageBox*>();
            if (!nested)
                return act(box, Act::ClickC); // let the test end and fail below
            EXPECT_TRUE(nested->isVisible());
            innerText = nested->text();
            EXPECT_TRUE(box.isVisible()); // the first question stays open
            act(*nested, Act::ClickC);
        });
        inner = box.Execute("Second", 4, 32, cmNone);
        act(box, Act::ClickC);
    });
    SetServerMessageSink({});
    EXPECT_EQ(reports, QStringList{"MessageBox_1010_First_Second"});
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(innerText, "Second");
    EXPECT_EQ(inner, 7);
}
