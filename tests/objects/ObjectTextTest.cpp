#include "core/URObject.h"
#include "core/URSettings.h"
#include "graphics/URDX12Base.h"
#include "objects/URObjectText.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropText.h"
#include "objects/URPropTextPath.h"

#include <gtest/gtest.h>

using namespace platform::render;

namespace {

class ObjectText : public testing::Test {
protected:
    void SetUp() override {
        SetDefaultSettings(SettingsRecord);
        RegisterEngineKinds();
        InitDX();
        target = Bitmap::create({200, 100}, {.options = BitmapOptions::Target});
        D2DContext->setTarget(target);
    }
    void TearDown() override { D2DContext->setTarget(nullptr); }

    // A text object whose white-on-nothing text is `text` in 20 DIP DejaVu Sans, red.
    std::unique_ptr<TRObject> TextObject(const QString& text) {
        auto object = std::make_unique<TRObject>(nullptr, otText);
        auto* group = object->Get<TRPropText>(ptText);
        group->SetChecked(true);
        group->FText = text;
        group->FFontName = QStringLiteral("DejaVu Sans");
        group->FFontSize = 20;
        group->FAlignmentH = 0;
        group->FAlignmentV = 0;
        group->FColors.BeginAddColors();
        group->FColors.AddColor(0x0000FF, 0, 1); // red as a stored colour
        return object;
    }
    GeometryPtr Draw(TRObject& object) {
        D2DContext->beginDraw();
        D2DContext->clear({0, 0, 0, 0});
        GeometryPtr geometry = DrawObjectText(object, RectF::fromXYWH(0, 0, 200, 100));
        EXPECT_TRUE(D2DContext->endDraw());
        return geometry;
    }
    QRect Ink() const {
        QRect ink;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 200; ++x)
                if (reinterpret_cast<const uint32_t*>(target->image().constScanLine(y))[x] >> 24 >
                    0x80)
                    ink |= QRect(x, y, 1, 1);
        return ink;
    }
    uint32_t At(int x, int y) const {
        return reinterpret_cast<const uint32_t*>(target->image().constScanLine(y))[x];
    }
    BitmapPtr target;
};

} // namespace

TEST_F(ObjectText, TimeVariablesShowElapsedAndRemainingTime) {
    TRObject object(nullptr, otText);
    object.SetTimeStart(10000);
    object.SetTimeEnd(70000);
    object.SetTimePosition(25000);
    struct Case {
        const char* text;
        const char* expanded;
    } cases[] = {
        {"<$te> / <$tr>", "00:15 / 00:45"},
        {"<$tems>|<$trms>", "00:15:000|00:45:000"},
        {"<$teh> <$trh>", "00:00:15 00:00:45"},
        {"<$TE>", "<$TE>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExpandTimeVariables(object, QString::fromLatin1(c.text)),
                  QString::fromLatin1(c.expanded))
            << c.text;
    object.SetTimePosition(80000); // past the end: no negative remaining time
    EXPECT_EQ(ExpandTimeVariables(object, QStringLiteral("<$tr>")), QStringLiteral("00:00"));
}

TEST_F(ObjectText, TextIsDrawnInItsRectangleWithMargins) {
    auto object = TextObject(QStringLiteral("Hello"));
    auto* path = object->Get<TRPropTextPath>(ptTextPath);
    path->FMLeft = 30;
    path->FMTop = 20;
    EXPECT_EQ(Draw(*object), nullptr);
    const QRect ink = Ink();
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), 30);
    EXPECT_LE(ink.left(), 34);
    EXPECT_GE(ink.top(), 20);
    EXPECT_LE(ink.top(), 30);
    // The stored colour is red.
    const uint32_t centre = At(ink.center().x(), ink.center().y());
    EXPECT_EQ(centre & 0xffff, 0u);
}

TEST_F(ObjectText, NothingForBlankOrUncheckedText) {
    auto blank = TextObject(QStringLiteral("   "));
    Draw(*blank);
    EXPECT_EQ(Ink(), QRect());
    auto unchecked = TextObject(QStringLiteral("Hello"));
    unchecked->Get<TRPropText>(ptText)->SetChecked(false);
    Draw(*unchecked);
    EXPECT_EQ(Ink(), QRect());
}

TEST_F(ObjectText, ErasingTextGivesTheLettersInsteadOfDrawingThem) {
    auto object = TextObject(QStringLiteral("Hello"));
    object->Get<TRPropText>(ptText)->FBrushStyle = brsEraseBackGround;
    const GeometryPtr letters = Draw(*object);
    EXPECT_EQ(Ink(), QRect());
    ASSERT_NE(letters, nullptr);
    EXPECT_GT(letters->bounds().width(), 40);
}

TEST_F(ObjectText, OutlinedTextIsStrokedThenFilled) {
    auto object = TextObject(QStringLiteral("I"));
    auto* group = object->Get<TRPropText>(ptText);
    group->FFontSize = 60;
    group->FOutlineSize = 4;
    group->FOutlineColor = 0xFF0000; // blue as a stored colour
    Draw(*object);
    const QRect ink = Ink();
    ASSERT_FALSE(ink.isEmpty());
    const int midY = ink.center().y();
    EXPECT_EQ(At(ink.center().x(), midY), 0xffff0000u); // fill inside
    EXPECT_EQ(At(ink.left(), midY) & 0x00ff0000, 0u);   // the outline's edge is blue
    EXPECT_GT(At(ink.left(), midY) & 0xff, 0x80u);
}

TEST_F(ObjectText, InstallingSetsTheObjectPaintersHook) {
    ObjectTextPainter = nullptr;
    InstallObjectTextPainter();
    ASSERT_TRUE(static_cast<bool>(ObjectTextPainter));
    auto object = TextObject(QStringLiteral("Hi"));
    D2DContext->beginDraw();
    ObjectTextPainter(*object, RectF::fromXYWH(0, 0, 200, 100));
    EXPECT_TRUE(D2DContext->endDraw());
    EXPECT_FALSE(Ink().isEmpty());
}
