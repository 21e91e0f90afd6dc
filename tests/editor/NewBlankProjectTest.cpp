// The New Blank Project dialog: a preset fills and greys the size boxes, Custom Size enables them
// with the values kept, the name comes back cleaned, and Cancel reports no project.
#include "editor/ui/UNewBlankProject.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(NewBlankProject, PresetsNameAndButtons) {
    Tnewblankproject dialog;
    ASSERT_EQ(dialog.Presets()->count(), 17);
    EXPECT_EQ(dialog.Presets()->itemText(0), "Custom Size");
    EXPECT_EQ(dialog.Presets()->itemText(4), "1280 x 720  [16:9]  HD");
    dialog.Load("Untitled Project", 1280, 720);
    EXPECT_TRUE(dialog.WidthEdit()->isEnabled());
    dialog.Presets()->setCurrentIndex(dialog.Presets()->findText("1080 x 1920  [9:16]  Large"));
    EXPECT_EQ(dialog.WidthEdit()->value(), 1080);
    EXPECT_EQ(dialog.HeightEdit()->value(), 1920);
    EXPECT_FALSE(dialog.WidthEdit()->isEnabled());
    EXPECT_FALSE(dialog.HeightEdit()->isEnabled());
    dialog.Presets()->setCurrentIndex(0);
    EXPECT_TRUE(dialog.HeightEdit()->isEnabled());
    EXPECT_EQ(dialog.HeightEdit()->value(), 1920);

    const struct {
        const char* Typed;
        QPushButton* Button;
        bool Created;
        const char* Name;
    } runs[] = {
        {"My: Demo?", dialog.CreateButton(), true, "My Demo"},
        {"/:*?", dialog.CreateButton(), true, ""},
        {"Kept", dialog.CancelButton(), false, "Kept"},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.Typed);
        QString name = "Untitled Project";
        int width = 640, height = 360;
        QTimer::singleShot(0, &dialog, [&] {
            EXPECT_EQ(dialog.NameEdit()->text(), "Untitled Project");
            EXPECT_EQ(dialog.Presets()->currentIndex(), 0);
            dialog.NameEdit()->setText(run.Typed);
            dialog.WidthEdit()->setValue(5000);
            run.Button->click();
        });
        EXPECT_EQ(dialog.Execute(name, width, height), run.Created);
        EXPECT_EQ(name, run.Name);
        EXPECT_EQ(width, 3840) << "the box keeps its range";
        EXPECT_EQ(height, 360);
    }
}

} // namespace
