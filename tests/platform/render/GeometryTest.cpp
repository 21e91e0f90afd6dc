#include "platform/render/Geometry.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <string>
#include <vector>

using namespace platform::render;

namespace {

GeometryPtr arcFromLeftToRight(SweepDirection sweep, ArcSize size = ArcSize::Small) {
    PathBuilder b;
    b.beginFigure({0, 0});
    b.addArc({{20, 0}, {10, 10}, 0, sweep, size});
    b.endFigure(FigureEnd::Open);
    return b.close();
}

TEST(Geometry, CombineModes) {
    const GeometryPtr outer = Geometry::rectangle({0, 0, 10, 10});
    const GeometryPtr inner = Geometry::rectangle({2, 2, 8, 8});
    const GeometryPtr right = Geometry::rectangle({5, 0, 15, 10});
    struct Case {
        const char* name;
        const Geometry& a;
        const Geometry& b;
        CombineMode mode;
        PointF inside, outside;
    };
    const Case cases[] = {
        {"xor makes a frame", *outer, *inner, CombineMode::Xor, {1, 1}, {5, 5}},
        {"xor drops the overlap", *outer, *right, CombineMode::Xor, {12, 5}, {7, 5}},
        {"union", *outer, *right, CombineMode::Union, {12, 5}, {16, 5}},
        {"intersect", *outer, *right, CombineMode::Intersect, {7, 5}, {3, 5}},
        {"exclude", *outer, *right, CombineMode::Exclude, {3, 5}, {7, 5}},
    };
    for (const Case& c : cases) {
        const GeometryPtr g = c.a.combined(c.b, c.mode, {}, 1.0f);
        EXPECT_TRUE(g->fillContainsPoint(c.inside)) << c.name;
        EXPECT_FALSE(g->fillContainsPoint(c.outside)) << c.name;
    }
}

TEST(Geometry, CombineAppliesTheOtherTransform) {
    const GeometryPtr a = Geometry::rectangle({0, 0, 10, 10});
    const GeometryPtr g = a->combined(*a, CombineMode::Union, Matrix3x2::translation(20, 0));
    EXPECT_TRUE(g->fillContainsPoint({25, 5}));
    EXPECT_FALSE(g->fillContainsPoint({15, 5}));
}

TEST(Geometry, FillModeDecidesNestedFigures) {
    for (FillMode mode : {FillMode::Alternate, FillMode::Winding}) {
        PathBuilder b;
        b.setFillMode(mode);
        for (float inset : {0.0f, 3.0f}) { // two rectangles drawn in the same direction
            b.beginFigure({inset, inset});
            b.addLine({10 - inset, inset});
            b.addLine({10 - inset, 10 - inset});
            b.addLine({inset, 10 - inset});
            b.endFigure(FigureEnd::Closed);
        }
        const GeometryPtr g = b.close();
        EXPECT_EQ(g->fillContainsPoint({5, 5}), mode == FillMode::Winding);
        EXPECT_TRUE(g->fillContainsPoint({1, 1}));
    }
}

TEST(Geometry, LengthAndPointAtLength) {
    const float pi = std::numbers::pi_v<float>;
    struct Case {
        const char* name;
        GeometryPtr geometry;
        float length;
        float at;
        PointF point, tangent;
        float tolerance;
    };
    const Case cases[] = {
        // A closed rectangle includes its closing edge; it starts at the top-left going right.
        {"rectangle", Geometry::rectangle({0, 0, 10, 10}), 40, 15, {10, 5}, {0, 1}, 1e-3f},
        {"circle", Geometry::ellipse({{0, 0}, 10, 10}), 2 * pi * 10, 0, {10, 0}, {0, 1}, 0.1f},
        // Clockwise on screen from 9 to 3 o'clock passes 12 o'clock (y up is negative).
        {"clockwise arc",
         arcFromLeftToRight(SweepDirection::Clockwise),
         pi * 10,
         pi * 5,
         {10, -10},
         {1, 0},
         0.1f},
        {"counter-clockwise arc",
         arcFromLeftToRight(SweepDirection::CounterClockwise),
         pi * 10,
         pi * 5,
         {10, 10},
         {1, 0},
         0.1f},
        {"beyond the end gives the end",
         arcFromLeftToRight(SweepDirection::Clockwise),
         pi * 10,
         1000,
         {20, 0},
         {0, 1},
         0.1f},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(c.geometry->computeLength({}, 1.0f), c.length, c.tolerance * 2) << c.name;
        PointF p, t;
        ASSERT_TRUE(c.geometry->computePointAtLength(c.at, p, t)) << c.name;
        EXPECT_NEAR(p.x, c.point.x, c.tolerance * 2) << c.name;
        EXPECT_NEAR(p.y, c.point.y, c.tolerance * 2) << c.name;
        EXPECT_NEAR(t.x, c.tangent.x, 0.05) << c.name;
        EXPECT_NEAR(t.y, c.tangent.y, 0.05) << c.name;
    }
}

TEST(Geometry, ArcRadiiTooSmallAreGrownToReachTheEnd) {
    PathBuilder b;
    b.beginFigure({0, 0});
    b.addArc({{20, 0}, {1, 1}, 0, SweepDirection::Clockwise, ArcSize::Small});
    b.endFigure(FigureEnd::Open);
    const GeometryPtr g = b.close();
    EXPECT_NEAR(g->bounds().top, -10, 0.1);
    EXPECT_NEAR(g->bounds().right, 20, 0.01);
}

TEST(Geometry, LargeArcTakesTheLongWay) {
    PathBuilder b;
    b.beginFigure({0, 0});
    b.addArc({{10, 10}, {10, 10}, 0, SweepDirection::Clockwise, ArcSize::Large});
    b.endFigure(FigureEnd::Open);
    EXPECT_NEAR(b.close()->computeLength(), 1.5 * std::numbers::pi * 10, 0.2);
}

TEST(Geometry, TransformedBoundsAndHitTest) {
    const GeometryPtr g = Geometry::rectangle({0, 0, 10, 20})->transformed(Matrix3x2::rotation(90));
    const RectF r = g->bounds();
    EXPECT_NEAR(r.left, -20, 1e-3);
    EXPECT_NEAR(r.right, 0, 1e-3);
    EXPECT_NEAR(r.bottom, 10, 1e-3);
    EXPECT_TRUE(g->fillContainsPoint({-10, 5}));
    EXPECT_TRUE(Geometry::rectangle({0, 0, 10, 10})
                    ->fillContainsPoint({25, 5}, Matrix3x2::translation(20, 0)));
}

TEST(Geometry, EmptyGeometryHasNoPointAtLength) {
    PathBuilder b;
    b.addLine({5, 5}); // outside a figure: ignored
    const GeometryPtr g = b.close();
    PointF p, t;
    EXPECT_FALSE(g->computePointAtLength(1, p, t));
    EXPECT_FLOAT_EQ(g->computeLength(), 0);
    EXPECT_TRUE(g->bounds().isEmpty());
}

} // namespace

namespace {

// The line pieces of a path as "x0,y0-x1,y1" strings (moveTo starts a new point).
std::vector<std::string> linePieces(const QPainterPath& path) {
    std::vector<std::string> out;
    QPointF current;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isLineTo())
            out.push_back(QString("%1,%2-%3,%4")
                              .arg(current.x())
                              .arg(current.y())
                              .arg(e.x)
                              .arg(e.y)
                              .toStdString());
        current = e;
    }
    return out;
}

} // namespace

TEST(Geometry, UnstrokedLinesFillButLeaveNoStroke) {
    PathBuilder b;
    b.setFillMode(FillMode::Winding);
    b.beginFigure({0, 0});
    b.addLine({10, 0});
    b.setStroked(false);
    b.addLine({10, 10});
    b.setStroked(true);
    b.addLine({0, 10});
    b.endFigure(FigureEnd::Closed); // the closing line (0,10)-(0,0) is stroked
    const GeometryPtr g = b.close();
    EXPECT_TRUE(g->fillContainsPoint({5, 5}));
    EXPECT_EQ(linePieces(g->path()),
              (std::vector<std::string>{"0,0-10,0", "10,0-10,10", "10,10-0,10", "0,10-0,0"}));
    EXPECT_EQ(linePieces(g->strokePath()),
              (std::vector<std::string>{"0,0-10,0", "10,10-0,10", "0,10-0,0"}));
    // Transforms keep the flags.
    const GeometryPtr moved = g->transformed(Matrix3x2::translation(1, 0));
    EXPECT_EQ(linePieces(moved->strokePath()),
              (std::vector<std::string>{"1,0-11,0", "11,10-1,10", "1,10-1,0"}));
}

TEST(Geometry, UnstrokedClosingLineAndWhollyUnstrokedFigure) {
    PathBuilder b;
    b.beginFigure({0, 0});
    b.addLine({10, 0});
    b.setStroked(false);
    b.endFigure(FigureEnd::Closed);
    b.beginFigure({20, 0});
    b.setStroked(false);
    b.addLine({30, 0});
    b.addLine({30, 10});
    b.endFigure(FigureEnd::Closed);
    const GeometryPtr g = b.close();
    EXPECT_EQ(linePieces(g->strokePath()), (std::vector<std::string>{"0,0-10,0"}));
    EXPECT_TRUE(g->fillContainsPoint({28, 2}));
}

TEST(Geometry, AWhollyStrokedFigureKeepsOnePath) {
    PathBuilder b;
    b.beginFigure({0, 0});
    b.addLine({10, 0});
    b.addLine({10, 10});
    b.endFigure(FigureEnd::Closed);
    const GeometryPtr g = b.close();
    EXPECT_EQ(&g->strokePath(), &g->path());
}
