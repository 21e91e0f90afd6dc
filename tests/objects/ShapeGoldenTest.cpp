// Every shape kind and the partial borders drawn by the 2-D engine: filled blue, bordered red
// 4 DIPs wide on black, compared with golden images that were looked at, and key pixels
// checked against positions worked out by hand from the constructions.
#include "objects/URPropShape.h"
#include "objects/URShapeKinds.h"
#include "platform/render/Brush.h"
#include "platform/render/DeviceContext.h"
#include "platform/render/Factory.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/SourcePaths.h"

#include <gtest/gtest.h>
#include <string>

using namespace platform::render;

namespace {

// Each cell is 100 x 70 with the shape's rectangle (10, 10, 90, 60) in it: w 80, h 50.
constexpr int kCellW = 100, kCellH = 70, kInset = 10;

QString GoldenFolder() {
    return QString::fromUtf8(kTestsSourceDir) + "/objects/golden";
}

struct Cell {
    const char* kind;
    float adjust;
};

// Draws the cells in rows of `columns` and returns the picture.
QImage DrawCells(const std::vector<Cell>& cells, int columns) {
    const int rows = int(cells.size() + columns - 1) / columns;
    auto context = DeviceContext::create(Factory::create());
    auto target = Bitmap::create({uint32_t(columns * kCellW), uint32_t(rows * kCellH)},
                                 {AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
    const auto fill = SolidColorBrush::create({0, 0, 1, 1});
    const auto border = SolidColorBrush::create({1, 0, 0, 1});
    context->setTarget(target);
    context->beginDraw();
    context->clear({0, 0, 0, 1});
    TRPropShape shape;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const double x = double(i % columns) * kCellW + kInset;
        const double y = double(i / columns) * kCellH + kInset;
        shape.FShapeName = cells[i].kind;
        shape.FRoundness = cells[i].adjust;
        const GeometryPtr g = shape.GetGeometry(QRectF(x, y, 80, 50), -1);
        context->fillGeometry(*g, *fill);
        context->drawGeometry(*g, *border, 4);
    }
    EXPECT_TRUE(context->endDraw());
    return target->image().convertToFormat(QImage::Format_RGB32);
}

enum Colour { Black, Blue, Red };

const char* Name(Colour c) {
    return c == Black ? "background" : c == Blue ? "fill" : "border";
}

// The pixel at (dx, dy) from the top-left of the shape's rectangle in cell `index`.
testing::AssertionResult PixelIs(const QImage& image, int columns, int index, int dx, int dy,
                                 Colour expected) {
    const int x = index % columns * kCellW + kInset + dx;
    const int y = index / columns * kCellH + kInset + dy;
    const QRgb p = image.pixel(x, y);
    const Colour found = qRed(p) > 200 && qBlue(p) < 55   ? Red
                         : qBlue(p) > 200 && qRed(p) < 55 ? Blue
                         : qRed(p) < 55 && qBlue(p) < 55  ? Black
                                                          : Colour(-1);
    if (found == expected)
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "at (" << dx << ", " << dy << ") " << Name(expected) << " expected, found rgb "
           << qRed(p) << "," << qGreen(p) << "," << qBlue(p);
}

struct KeyPixel {
    int dx, dy;
    Colour colour;
};

TEST(ShapeGolden, EveryKindFilledAndBordered) {
    std::vector<Cell> cells;
    for (const TRShapeKind& k : ShapeKinds)
        cells.push_back({k.Name, k.DefaultAdjust});
    const QImage image = DrawCells(cells, 6);
    ExpectGolden(image, GoldenFolder(), "shape_kinds.png");

    // Every closed kind covers the centre (40, 25).
    for (int i = 0; i < 32; ++i)
        EXPECT_TRUE(PixelIs(image, 6, i, 40, 25, Blue)) << cells[i].kind;
    const struct {
        const char* kind;
        std::vector<KeyPixel> pixels;
    } keys[] = {
        // Radius 0.25 * 50 = 12.5: the corner is cut, the middle of the top edge bordered.
        {"Rectangle", {{1, 1, Black}, {40, 0, Red}, {79, 25, Red}}},
        // Radii 40 and 25 round (40, 25).
        {"Ellipse", {{1, 1, Black}, {0, 25, Red}, {40, 49, Red}, {76, 4, Black}}},
        // Radius 25: the circle spans x 15 .. 65.
        {"Circle", {{40, 0, Red}, {10, 25, Black}, {70, 25, Black}}},
        // Side 50 from x 15.
        {"Square", {{10, 25, Black}, {15, 25, Red}, {64, 49, Red}, {70, 25, Black}}},
        // s = 28.87, a = 25: the left vertex at x 11.1.
        {"Hexagon", {{5, 25, Black}, {40, 0, Red}, {2, 2, Black}}},
        // Shaft 10 .. 40 high, head from x 40; tail notch 6 deep.
        {"Arrow R", {{20, 2, Black}, {20, 10, Red}, {20, 40, Red}, {2, 25, Black}}},
        // Straight line along y 25; the fill of an open line is empty.
        {"Line", {{40, 25, Red}, {40, 20, Black}, {40, 30, Black}}},
        // A bow tie: its right edge is the unstroked line, filled but not bordered.
        {"Cross", {{40, 25, Red}, {40, 5, Black}, {70, 25, Blue}, {79, 25, Blue}}},
    };
    for (const auto& key : keys) {
        const int index = ShapeKindIndex(QString::fromLatin1(key.kind));
        for (const KeyPixel& p : key.pixels)
            EXPECT_TRUE(PixelIs(image, 6, index, p.dx, p.dy, p.colour)) << key.kind;
    }
}

// The border pixel just inside each side: top row 0, right column 79, bottom row 49, left
// column 0 of the rectangle.
TEST(ShapeGolden, PartialBordersAtFiveAdjustValues) {
    const float values[] = {0, 0.125f, 0.25f, 0.375f, 0.5f};
    std::vector<Cell> cells;
    for (int kind = 1; kind <= 14; ++kind) {
        if (kind == 9 || kind == 10) // the notched and scooped rectangles
            continue;
        for (float a : values)
            cells.push_back({ShapeKinds[kind].Name, a});
    }
    const QImage image = DrawCells(cells, 5);
    ExpectGolden(image, GoldenFolder(), "partial_borders.png");

    for (std::size_t i = 0; i < cells.size(); ++i) {
        // The fill is always the whole rectangle.
        EXPECT_TRUE(PixelIs(image, 5, int(i), 40, 25, Blue)) << cells[i].kind;
        EXPECT_TRUE(PixelIs(image, 5, int(i), 3, 3, Blue)) << cells[i].kind;
        if (cells[i].adjust != 0)
            continue;
        // At 0 nothing is bordered.
        for (KeyPixel p : {KeyPixel{40, 0, Blue}, {79, 25, Blue}, {40, 49, Blue}, {0, 25, Blue}})
            EXPECT_TRUE(PixelIs(image, 5, int(i), p.dx, p.dy, p.colour)) << cells[i].kind;
    }
    const struct {
        const char* kind;
        float adjust;
        std::vector<KeyPixel> pixels;
    } keys[] = {
        // One, two, three and four whole sides clockwise from the top-left corner.
        {"Rectangle AB", 0.125f, {{40, 0, Red}, {79, 25, Blue}}},
        {"Rectangle AB", 0.25f, {{79, 25, Red}, {40, 49, Blue}}},
        {"Rectangle AB", 0.375f, {{40, 49, Red}, {0, 25, Blue}}},
        {"Rectangle AB", 0.5f, {{40, 0, Red}, {79, 25, Red}, {40, 49, Red}, {0, 25, Red}}},
        // The whole top side, then also the upper halves (25) of both vertical sides.
        {"Rectangle TB", 0.25f, {{40, 0, Red}, {5, 0, Red}, {0, 25, Blue}, {79, 25, Blue}}},
        {"Rectangle TB",
         0.5f,
         {{40, 0, Red}, {0, 10, Red}, {79, 10, Red}, {0, 40, Blue}, {40, 49, Blue}}},
        // f = 2 * 0.125 * 50 = 12.5 either side of the middle of the left side.
        {"Rectangle LB", 0.125f, {{0, 25, Red}, {0, 5, Blue}, {0, 45, Blue}}},
        // The left side and 20 of the top and bottom from the left.
        {"Rectangle LB", 0.375f, {{0, 5, Red}, {10, 0, Red}, {10, 49, Red}, {40, 0, Blue}}},
        {"Rectangle RB", 0.25f, {{79, 5, Red}, {79, 45, Red}, {40, 0, Blue}}},
        // The bottom side and 12.5 up both vertical sides.
        {"Rectangle BB",
         0.375f,
         {{40, 49, Red}, {0, 45, Red}, {79, 45, Red}, {0, 25, Blue}, {40, 0, Blue}}},
        {"Rectangle LRB", 0.125f, {{0, 25, Red}, {79, 25, Red}, {0, 5, Blue}, {79, 45, Blue}}},
        // f = 2 * 0.25 * 80 = 40 along the top and bottom from each side: the whole border.
        {"Rectangle LRB", 0.5f, {{20, 0, Red}, {60, 49, Red}, {0, 25, Red}}},
        {"Rectangle TBB",
         0.375f,
         {{40, 0, Red}, {40, 49, Red}, {0, 5, Red}, {79, 45, Red}, {0, 25, Blue}, {79, 25, Blue}}},
        // Arms of 0.25 * 50 = 12.5 round each corner.
        {"Rectangle CB",
         0.25f,
         {{5, 0, Red}, {0, 5, Red}, {75, 0, Red}, {79, 45, Red}, {40, 0, Blue}, {0, 25, Blue}}},
        // Runs of 2 * A * 80 along one horizontal side from the named end.
        {"Bottom LR", 0.25f, {{20, 49, Red}, {60, 49, Blue}, {20, 0, Blue}}},
        {"Top RL", 0.375f, {{30, 0, Red}, {75, 0, Red}, {10, 0, Blue}, {40, 49, Blue}}},
        {"Bottom RL", 0.125f, {{70, 49, Red}, {50, 49, Blue}}},
        {"Top LR", 0.5f, {{5, 0, Red}, {75, 0, Red}, {0, 25, Blue}}},
    };
    for (const auto& key : keys) {
        std::size_t index = 0;
        while (index < cells.size() &&
               !(cells[index].kind == std::string(key.kind) && cells[index].adjust == key.adjust))
            ++index;
        ASSERT_LT(index, cells.size()) << key.kind;
        for (const KeyPixel& p : key.pixels)
            EXPECT_TRUE(PixelIs(image, 5, int(index), p.dx, p.dy, p.colour))
                << key.kind << " " << key.adjust;
    }
}

} // namespace
