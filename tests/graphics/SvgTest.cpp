#include "graphics/URDX12Base.h"
#include "graphics/URSVGUtils.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void Load(TD2DSVG& svg, const char* document) {
    QByteArray bytes(document);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    svg.LoadFromStream(buffer);
}

constexpr const char* RedSquare =
    R"(<svg xmlns="http://www.w3.org/2000/svg" width="40" height="20" viewBox="0 0 4 2">)"
    R"(<rect x="0" y="0" width="2" height="2" fill="#ff0000"/></svg>)";

} // namespace

TEST(Svg, NaturalSizeComesFromWidthHeightAndViewBox) {
    struct Case {
        const char* document;
        float width, height;
    } cases[] = {
        {R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 30 10"/>)", 30, 10},
        {R"(<svg xmlns="http://www.w3.org/2000/svg" width="50" viewBox="0,0,30,10"/>)", 50, 10},
        {R"(<svg xmlns="http://www.w3.org/2000/svg" width="12.5px" height="7"/>)", 12.5f, 7},
        {R"(<svg xmlns="http://www.w3.org/2000/svg"><rect width="5" height="5"/></svg>)", 0, 0},
        {"this is no svg", 0, 0},
    };
    for (const Case& c : cases) {
        TD2DSVG svg;
        Load(svg, c.document);
        EXPECT_FLOAT_EQ(svg.GetWidth(), c.width) << c.document;
        EXPECT_FLOAT_EQ(svg.GetHeight(), c.height) << c.document;
    }
    EXPECT_TRUE(IsSVGSupported());
}

TEST(Svg, ASecondLoadKeepsSizesTheNewDocumentLacks) {
    TD2DSVG svg;
    Load(svg, RedSquare);
    Load(svg, R"(<svg xmlns="http://www.w3.org/2000/svg" width="8"/>)");
    EXPECT_FLOAT_EQ(svg.GetWidth(), 8);
    EXPECT_FLOAT_EQ(svg.GetHeight(), 20);
}

TEST(Svg, LoadsFromFilesAndRefusesMissingOnes) {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("square.svg"));
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(RedSquare);
    file.close();
    TD2DSVG svg;
    EXPECT_TRUE(svg.LoadFromFile(name));
    EXPECT_FLOAT_EQ(svg.GetWidth(), 40);
    EXPECT_FALSE(svg.LoadFromFile(dir.filePath(QStringLiteral("missing.svg"))));
    EXPECT_FLOAT_EQ(svg.GetWidth(), 40);
}

TEST(Svg, DrawsTheViewportUnderTheContextTransform) {
    InitDX();
    auto target = platform::render::Bitmap::create(
        {100, 60}, {.options = platform::render::BitmapOptions::Target});
    D2DContext->setTarget(target);
    D2DContext->beginDraw();
    D2DContext->clear({0, 0, 0, 0});
    D2DContext->setTransform(platform::render::Matrix3x2::translation(10, 10));
    TD2DSVG empty;
    empty.Draw(); // nothing loaded: nothing drawn
    TD2DSVG svg;
    Load(svg, RedSquare);
    svg.Draw();
    D2DContext->setTransform({});
    ASSERT_TRUE(D2DContext->endDraw());
    const auto at = [&](int x, int y) {
        return reinterpret_cast<const uint32_t*>(target->image().constScanLine(y))[x];
    };
    // The view box (4 x 2) fills the 40 x 20 viewport: the square's half is red.
    EXPECT_EQ(at(15, 20), 0xffff0000u);
    EXPECT_EQ(at(40, 20), 0u); // the other half of the view box is empty
    EXPECT_EQ(at(5, 5), 0u);   // before the offset
    EXPECT_EQ(at(15, 35), 0u); // below the viewport
    D2DContext->setTarget(nullptr);
}
