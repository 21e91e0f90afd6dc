// The screen colour picker on the X server: a click returns the screen's pixel under it (white,
// black as 0, a mid grey), Escape returns -1, and the swatch sits beside the pointer inside
// the screen with an outline contrasting with what is behind it.
#include "editor/ui/URColorPicker.h"

#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Three bands at the top left of the screen: white, black and mid grey.
class Bands : public QWidget {
public:
    Bands() {
        setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        setGeometry(0, 0, 300, 100);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(0, 0, 100, 100, Qt::white);
        p.fillRect(100, 0, 100, 100, Qt::black);
        p.fillRect(200, 0, 100, 100, QColor(128, 128, 128));
    }
};

TEST(ColorPicker, AClickPicksTheScreenPixelAndEscapePicksNone) {
    Bands bands;
    bands.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bands));
    TRColorPicker picker;
    // Tests in other processes share the X server and may briefly show a window over the bands:
    // the shot is taken again until it holds them.
    const auto holdsTheBands = [&] {
        const QImage& shot = picker.Bitmap();
        return shot.width() >= 300 && shot.pixel(50, 50) == qRgb(255, 255, 255) &&
               shot.pixel(150, 50) == qRgb(0, 0, 0) && shot.pixel(250, 50) == qRgb(128, 128, 128);
    };
    for (int attempt = 0; attempt < 50; ++attempt) {
        bands.raise();
        QTest::qWait(100);
        ASSERT_TRUE(picker.TakeShot());
        if (holdsTheBands())
            break;
    }
    ASSERT_TRUE(holdsTheBands()) << "another window stayed over the bands";
    EXPECT_EQ(picker.Tag, -1);
    EXPECT_EQ(picker.geometry(), QRect(0, 0, 1920, 1080)) << "the primary monitor";
    struct Case {
        QPoint at;
        int value;
    };
    for (const Case& c :
         {Case{{50, 50}, 0xFFFFFF}, Case{{150, 50}, 0}, Case{{250, 50}, 0x808080}}) {
        picker.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&picker));
        QTest::mouseClick(&picker, Qt::LeftButton, {}, c.at);
        EXPECT_FALSE(picker.isVisible());
        EXPECT_EQ(picker.Tag, c.value) << c.at.x();
    }
    picker.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&picker));
    QTest::mouseMove(&picker, {60, 60});
    if (const QString folder = qEnvironmentVariable("TAVRIN_GALLERY_DIR"); !folder.isEmpty())
        picker.grab(QRect(0, 0, 400, 200)).save(folder + "/color_picker.png");
    QTest::keyClick(&picker, Qt::Key_Escape);
    EXPECT_FALSE(picker.isVisible());
    EXPECT_EQ(picker.Tag, -1);
}

TEST(ColorPicker, TheSwatchStaysBesideThePointerInsideTheScreen) {
    const QSize screen(1920, 1080);
    struct Case {
        QPoint pointer;
        QPoint swatch; // top left; (-1, -1): none
    };
    const Case cases[] = {
        {{500, 500}, {516, 516}},     // below right
        {{1900, 500}, {1852, 516}},   // near the right edge: below left
        {{1900, 1070}, {1852, 1022}}, // bottom right corner: above left
        {{10, 1070}, {26, 1022}},     // bottom left corner: above right
        {{0, 0}, {16, 16}},           {{20, 20}, {36, 36}},
    };
    for (const Case& c : cases) {
        const QRect swatch = TRColorPicker::SwatchRect(c.pointer, screen);
        EXPECT_EQ(swatch.topLeft(), c.swatch) << c.pointer.x() << "," << c.pointer.y();
        EXPECT_EQ(swatch.size(), QSize(32, 32));
    }
    EXPECT_TRUE(TRColorPicker::SwatchRect({20, 20}, QSize(60, 60)).isEmpty()) << "no room";
    EXPECT_EQ(TRColorPicker::OutlineOver(qRgb(255, 255, 255)), QColor(Qt::black));
    EXPECT_EQ(TRColorPicker::OutlineOver(qRgb(0, 0, 0)), QColor(Qt::white));
    EXPECT_EQ(TRColorPicker::OutlineOver(qRgb(126, 126, 126)), QColor(Qt::black));
    EXPECT_EQ(TRColorPicker::OutlineOver(qRgb(125, 125, 125)), QColor(Qt::white));
    EXPECT_EQ(TRColorPicker::ColorValue(qRgb(0x12, 0x34, 0x56)), 0x563412);
}

} // namespace
