// The keystroke badge: the row of key caps (widths in units, order, the "+" between them, keys
// left out), where the row lies in the badge, the default badge in its outline style, the
// captions turning black on a white fill, the four cap styles and a badge too small for keys.
#include "core/URPropTransition.h"
#include "objects/URPropBackgroundFill.h"
#include "objects/URPropKeystroke.h"
#include "objects/kinds/URKeystroke.h"
#include "tests/objects/kinds/KindsTestSupport.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/SourcePaths.h"

#include <QPainter>

using namespace platform::render;

namespace {

constexpr std::uint32_t Alt = 1, Ctrl = 2, Shift = 4;

TEST(KeystrokeLayout, CapsAndTheirPlaceInTheBadge) {
    const struct {
        std::uint32_t modifiers, key;
        QStringList captions;
        std::vector<float> widths;
        std::vector<bool> small;
        float units;
    } cases[] = {
        // 1.5 + 1 + 1.
        {Ctrl, 'K', {"Ctrl", "K"}, {1.5f, 1}, {false, false}, 3.5f},
        // 1.5 + 1 + 2 + 1 + 1.5.
        {Ctrl | Shift, 116, {"Ctrl", "Shift", "F5"}, {1.5f, 2, 1.5f}, {false, false, false}, 7},
        {Shift, 0, {"Shift"}, {2}, {false}, 2},
        // The keypad's minus key.
        {0, 109, {"SUBSTRACT"}, {2}, {true}, 2},
        {0, '5', {"5"}, {1}, {false}, 1},
        // Ctrl, Shift, Alt, then the key, whatever the order of the bits.
        {Alt | Shift | Ctrl,
         'A',
         {"Ctrl", "Shift", "Alt", "A"},
         {1.5f, 2, 1.5f, 1},
         {false, false, false, false},
         9},
        // A code neither a digit, a letter nor in the caption table takes no room.
        {Alt, 255, {"Alt"}, {1.5f}, {false}, 1.5f},
        // The keypad's digits are table rows, not the digits' own codes.
        {0, 97, {"1"}, {1}, {false}, 1},
        {0, 0, {}, {}, {}, 1},
    };
    for (const auto& c : cases) {
        const TRKeyRow row = KeystrokeRow({c.modifiers, c.key, 0, {}});
        QStringList captions;
        std::vector<float> widths;
        std::vector<bool> small;
        for (const TRKeyCap& cap : row.Keys) {
            captions << cap.Caption;
            widths.push_back(cap.Units);
            small.push_back(cap.Small);
        }
        EXPECT_EQ(captions, c.captions) << c.modifiers << " " << c.key;
        EXPECT_EQ(widths, c.widths) << c.modifiers << " " << c.key;
        EXPECT_EQ(small, c.small) << c.modifiers << " " << c.key;
        EXPECT_FLOAT_EQ(row.Units, c.units) << c.modifiers << " " << c.key;
    }
    const struct {
        float units;
        QRectF badge;
        TRKeyRowPlace place;
    } places[] = {
        // The default badge holds Ctrl + K exactly.
        {3.5f, {0, 0, 370, 120}, {100, 10, 10}},
        // Ctrl + Shift + F5 is limited by the width: (370 - 20) / 7.
        {7, {0, 0, 370, 120}, {50, 10, 35}},
        // A tall badge centres the row vertically.
        {3.5f, {0, 0, 370, 300}, {100, 10, 100}},
        // A badge not at the origin: (370 - 2 x 100 - 20) / 2 + 10 from its left.
        {2, {5, 7, 370, 120}, {100, 90, 17}},
    };
    for (const auto& p : places) {
        const TRKeyRowPlace got = PlaceKeyRow(p.units, p.badge);
        EXPECT_FLOAT_EQ(got.Unit, p.place.Unit) << p.units;
        EXPECT_FLOAT_EQ(got.Left, p.place.Left) << p.units;
        EXPECT_FLOAT_EQ(got.Top, p.place.Top) << p.units;
    }
    EXPECT_LE(PlaceKeyRow(1, {0, 0, 15, 15}).Unit, 0);
}

TEST(KeystrokeLayout, ContrastColour) {
    EXPECT_EQ(ContrastColor(Qt::black), QColor(Qt::white));
    EXPECT_EQ(ContrastColor(QColor(125, 125, 125)), QColor(Qt::white));
    EXPECT_EQ(ContrastColor(QColor(126, 125, 125)), QColor(Qt::black));
    EXPECT_EQ(ContrastColor(QColor(255, 0, 120)), QColor(Qt::white));
    EXPECT_EQ(ContrastColor(Qt::white), QColor(Qt::black));
}

class Keystroke : public KindsTest {
protected:
    // The default badge (370 x 120, Ctrl + K) without shadow or reflection.
    std::unique_ptr<TRKeystroke> Badge(const char* style) {
        auto badge = std::make_unique<TRKeystroke>(project_.get(), otKeystroke);
        for (TRPropertyType off : {ptShadow, ptReflection})
            badge->GetProperty(off, true)->SetChecked(false);
        Own<TRPropKeystroke>(*badge, ptKeystroke)->FStyle = style;
        return badge;
    }

    static QImage Drawn(TRKeystroke& badge) {
        badge.UpdateBitmap();
        return badge.FBitmap ? badge.FBitmap->image() : QImage();
    }

    // Whether some pixel of `area` has exactly `color`: a caption drawn there.
    static bool Shows(const QImage& image, const QRect& area, QRgb color) {
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (image.pixel(x, y) == color)
                    return true;
        return false;
    }
};

// The caps of Ctrl + K: Ctrl from x 10 to 160, "+" to 260, K to 360, from y 10 to 110; the
// captions sit in the caps above y 100.
const QRect CtrlCaption(30, 20, 110, 70), KCaption(280, 20, 60, 70);
// Black at a quarter opacity, premultiplied.
constexpr QRgb QuarterBlack = 0x40000000;

} // namespace

TEST_F(Keystroke, DefaultBadge) {
    auto badge = Badge("Outline");
    EXPECT_EQ(badge->ObjectName(), "Keystroke " + QString::number(badge->ObjectId()));
    EXPECT_EQ(badge->TimeEnd() - badge->TimeStart(), 2000);
    EXPECT_FALSE(badge->TrIn()->Checked());
    EXPECT_FALSE(badge->TrOut()->Checked());
    EXPECT_FALSE(badge->GetProperty(ptBackgroundBorder, true)->Checked());
    EXPECT_EQ(badge->GetText(), "Ctrl + K");
    auto fresh = std::make_unique<TRKeystroke>(project_.get(), otKeystroke);
    EXPECT_EQ(Own<TRPropKeystroke>(*fresh, ptKeystroke)->FStyle, "Outline");
    const QImage image = Drawn(*badge);
    ASSERT_EQ(image.size(), QSize(370, 120));
    EXPECT_TRUE(Near(image.pixel(5, 5), QuarterBlack, 1));    // the margin
    EXPECT_TRUE(Near(image.pixel(365, 60), QuarterBlack, 1)); // past the K cap
    EXPECT_TRUE(Near(image.pixel(85, 105), QuarterBlack, 1)); // inside Ctrl, below its caption
    EXPECT_EQ(image.pixel(10, 60), 0xFFFFFFFFu);              // Ctrl's left frame, 3 px wide
    EXPECT_EQ(image.pixel(359, 60), 0xFFFFFFFFu);             // K's right frame
    EXPECT_EQ(image.pixel(85, 10), 0xFFFFFFFFu);              // Ctrl's top frame
    EXPECT_TRUE(Shows(image, CtrlCaption, 0xFFFFFFFFu));
    EXPECT_TRUE(Shows(image, KCaption, 0xFFFFFFFFu));
    EXPECT_TRUE(Shows(image, {180, 20, 60, 89}, 0xFFFFFFFFu)); // the "+"
}

TEST_F(Keystroke, WhiteFillTurnsCaptionsAndFramesBlack) {
    auto badge = Badge("Outline");
    auto* fill = Own<TRPropBackgroundFill>(*badge, ptBackgroundFill);
    fill->FColors.SetColor(0, 0xFFFFFF, 0, 1);
    fill->FOpacity = 1;
    const QImage image = Drawn(*badge);
    EXPECT_EQ(image.pixel(5, 5), 0xFFFFFFFFu);
    EXPECT_EQ(image.pixel(10, 60), 0xFF000000u);
    EXPECT_TRUE(Shows(image, CtrlCaption, 0xFF000000u));
    EXPECT_TRUE(Shows(image, KCaption, 0xFF000000u));
    EXPECT_TRUE(Shows(image, {180, 20, 60, 89}, 0xFF000000u));
}

TEST_F(Keystroke, CapStyles) {
    // Classic: the cap's shade runs from 0xD8 at its top (y 10) to 0xA3 at its bottom (y 110),
    // 0xBD at y 60.5; the face inside (x 18..152, y 17..100) runs 0xD7, 0xE7, 0xD7 across,
    // 0xE7 at its middle. Captions black.
    QImage classic = Drawn(*Badge("Classic"));
    EXPECT_TRUE(Near(classic.pixel(13, 60), 0xFFBDBDBD, 2));
    EXPECT_TRUE(Near(classic.pixel(85, 95), 0xFFE7E7E7, 2));
    EXPECT_TRUE(Shows(classic, CtrlCaption, 0xFF000000u));
    // Dark: a 0x1E cap with white captions.
    QImage dark = Drawn(*Badge("Dark"));
    EXPECT_EQ(dark.pixel(13, 60), 0xFF1E1E1Eu);
    EXPECT_TRUE(Shows(dark, CtrlCaption, 0xFFFFFFFFu));
    // Transparent (and any unknown name): only the captions over the background.
    for (const char* style : {"Transparent", "Rounded"}) {
        QImage bare = Drawn(*Badge(style));
        EXPECT_TRUE(Near(bare.pixel(13, 60), QuarterBlack, 1)) << style;
        EXPECT_TRUE(Near(bare.pixel(10, 60), QuarterBlack, 1)) << style;
        EXPECT_TRUE(Shows(bare, CtrlCaption, 0xFFFFFFFFu)) << style;
    }
}

TEST_F(Keystroke, GoldenBadges) {
    // The four styles on the default background, then the outline style on a white fill, one
    // under another on grey.
    QImage sheet(370, 5 * 130, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(128, 128, 128));
    QPainter painter(&sheet);
    int y = 0;
    for (const char* style : {"Classic", "Dark", "Outline", "Transparent", "Outline"}) {
        auto badge = Badge(style);
        if (y == 4 * 130) {
            auto* fill = Own<TRPropBackgroundFill>(*badge, ptBackgroundFill);
            fill->FColors.SetColor(0, 0xFFFFFF, 0, 1);
            fill->FOpacity = 1;
        }
        painter.drawImage(0, y, Drawn(*badge));
        y += 130;
    }
    painter.end();
    ExpectGolden(sheet, QString::fromUtf8(kTestsSourceDir) + "/objects/kinds/golden",
                 "keystroke_badges.png");
}

TEST_F(Keystroke, BadgeSmallerThanItsMarginsDrawsNoKeys) {
    for (QSizeF size : {QSizeF(20, 120), QSizeF(370, 18), QSizeF(15, 15)}) {
        auto badge = Badge("Outline");
        Place(*badge, size);
        const QImage image = Drawn(*badge);
        ASSERT_FALSE(image.isNull());
        for (int yy = 0; yy < image.height(); ++yy)
            for (int xx = 0; xx < image.width(); ++xx)
                ASSERT_TRUE(Near(image.pixel(xx, yy), QuarterBlack, 1))
                    << size.width() << " x " << size.height() << " at " << xx << ", " << yy;
    }
}
