// The shape catalogue and the outline of every kind, checked against hand-computed vertices,
// figure ends and stroked lines; the partial borders; the text rectangle; empty rectangles.

#include "objects/URPropShape.h"
#include "objects/URShapeKinds.h"

#include <QDomDocument>
#include <QStringList>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

using platform::render::GeometryPtr;

namespace {

const QRectF kRect(10, 20, 200, 100); // L 10, T 20, R 210, B 120: cx 110, cy 70, m 100

GeometryPtr Outline(const char* kind, float adjust, const QRectF& rect = kRect, int segment = -1) {
    TRPropShape shape;
    shape.FShapeName = QString::fromLatin1(kind);
    shape.FRoundness = adjust;
    return shape.GetGeometry(rect, segment);
}

std::string Num(double v) {
    return QString::number(std::round(v * 1000) / 1000, 'g', 8).toStdString();
}

// Every element point of a path, "x,y", with "M" before the start of each figure.
std::vector<std::string> Vertices(const QPainterPath& path) {
    std::vector<std::string> out;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        out.push_back((e.isMoveTo() ? "M" : "") + Num(e.x) + "," + Num(e.y));
    }
    return out;
}

// The straight pieces of a path, "x0,y0-x1,y1".
std::vector<std::string> Lines(const QPainterPath& path) {
    std::vector<std::string> out;
    QPointF current;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isLineTo() && QPointF(e) != current)
            out.push_back(Num(current.x()) + "," + Num(current.y()) + "-" + Num(e.x) + "," +
                          Num(e.y));
        current = e;
    }
    return out;
}

using Strings = std::vector<std::string>;

TEST(ShapeKinds, TheCatalogue) {
    QStringList names;
    for (const TRShapeKind& k : ShapeKinds)
        names << k.Name;
    EXPECT_EQ(names.removeDuplicates(), 0);
    EXPECT_EQ(ShapeKindIndex(u"Rectangle"), 0);
    EXPECT_EQ(ShapeKindIndex(u"Cross"), 35);
    EXPECT_EQ(ShapeKindIndex(u"rectangle"), -1);
    const struct {
        TRObjectType type;
        int count;
    } offered[] = {{otProject, 7}, {otKeystroke, 15}, {otSketch, 36}, {otShape, 34},
                   {otImage, 32},  {otAudio, 0},      {otBase, 0}};
    for (const auto& o : offered) {
        int n = 0;
        for (const TRShapeKind& k : ShapeKinds)
            n += k.AllowedFor[o.type];
        EXPECT_EQ(n, o.count) << int(o.type);
    }
    EXPECT_STREQ(ShapeKinds[20].Name, "Hexagon");
    EXPECT_FALSE(ShapeKinds[20].HasAdjust);
    EXPECT_STREQ(ShapeKinds[27].AdjustCaption, "Angle");
    EXPECT_FLOAT_EQ(ShapeKinds[30].DefaultAdjust, 0.4f);
    EXPECT_FLOAT_EQ(ShapeKinds[2].DefaultAdjust, 0.3f);
}

TEST(ShapeGeometry, PolygonKindsAgainstTheirFormulas) {
    const struct {
        const char* kind;
        float adjust;
        Strings vertices;
    } cases[] = {
        {"Rectangle IC",
         0.1f,
         {"M20,20", "200,20", "200,30", "210,30", "210,110", "200,110", "200,120", "20,120",
          "20,110", "10,110", "10,30", "20,30", "20,20"}},
        // s = min(100/sqrt 3, 100) = 57.735, a = 50
        {"Hexagon",
         0.3f,
         {"M81.132,20", "138.868,20", "167.735,70", "138.868,120", "81.132,120", "52.265,70",
          "81.132,20"}},
        // s = 100/(sqrt 2 + 1) = 41.421, d = 29.289
        {"Octagon",
         0,
         {"M89.289,20", "130.711,20", "160,49.289", "160,90.711", "130.711,120", "89.289,120",
          "60,90.711", "60,49.289", "89.289,20"}},
        // s = 20, k = 100, n = 2 * 30 * 0.25 = 15
        {"Arrow R",
         0.25f,
         {"M25,70", "10,40", "110,40", "110,20", "210,70", "110,120", "110,100", "10,100",
          "25,70"}},
        // s = 40, k = 50, n = (50/100) * 60 * 0.5 = 15
        {"Arrow T",
         0.5f,
         {"M110,105", "50,120", "50,70", "10,70", "110,20", "210,70", "170,70", "170,120",
          "110,105"}},
        {"Parallelogram", 0.25f, {"M10,20", "210,20", "210,120", "10,120", "10,20"}},
        // k = 0.15 * 2 * 200 = 60, top shifted right
        {"Parallelogram", 0.4f, {"M70,20", "210,20", "150,120", "10,120", "70,20"}},
        {"Parallelogram", 0.1f, {"M10,20", "150,20", "210,120", "70,120", "10,20"}},
        {"Triangle", 0, {"M110,20", "210,120", "10,120", "110,20"}},
        {"Check", 0.4f, {"M83,75", "96,89", "143,45"}},
        {"Line", 0.25f, {"M10,70", "210,70"}},
        {"Line", 0.2f, {"M10,70", "210,70"}},
        // bend = (0.1 - 0.2) * 3 * 100 = -30
        {"Line", 0.1f, {"M10,70", "60,40", "160,40", "210,70"}},
        // bend = (0.4 - 0.3) * 3 * 100 = 30
        {"Line", 0.4f, {"M10,70", "60,100", "160,100", "210,70"}},
        // y1 = 20, a = 0: the curve's controls lie on the edge
        {"Wave",
         0.25f,
         {"M10,20", "85,20", "135,20", "210,20", "210,120", "85,120", "135,120", "10,120",
          "10,20"}},
        // a = 0.2 * 100 * 0.25/0.25 = 20, y1 = 40, y2 = 100
        {"Wave",
         0.5f,
         {"M10,40", "85,60", "135,20", "210,40", "210,100", "85,80", "135,120", "10,100", "10,40"}},
        {"Square", 0.3f, {"M60,20", "160,20", "160,120", "60,120", "60,20"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Vertices(Outline(c.kind, c.adjust)->path()), c.vertices)
            << c.kind << " " << c.adjust;
}

TEST(ShapeGeometry, StarAndHexagramPointsOnTheirCircles) {
    const double pi = std::numbers::pi;
    const double ri = 50 * (1 - 2 * std::pow(std::sin(pi / 5), 2)) / std::cos(pi / 5);
    const struct {
        const char* kind;
        float adjust;
        int points;
        double inner;
    } cases[] = {{"Star", 0, 5, ri},
                 {"Star", 0.5f, 5, 50},
                 {"Hexagram", 0, 6, 50 * std::cos(pi / 6) * 2 / 3},
                 {"Hexagram", 0.25f, 6, (50 + 50 * std::cos(pi / 6) * 2 / 3) / 2}};
    for (const auto& c : cases) {
        const QPainterPath path = Outline(c.kind, c.adjust)->path();
        ASSERT_EQ(path.elementCount(), 2 * c.points + 1) << c.kind;
        EXPECT_NEAR(path.elementAt(0).x, 110, 1e-4);
        EXPECT_NEAR(path.elementAt(0).y, 20, 1e-4);
        for (int i = 0; i < 2 * c.points; ++i) {
            const double r = std::hypot(path.elementAt(i).x - 110, path.elementAt(i).y - 70);
            EXPECT_NEAR(r, i % 2 ? c.inner : 50, 1e-3) << c.kind << " " << c.adjust << " " << i;
        }
    }
}

TEST(ShapeGeometry, AdjustFreeKindsIgnoreTheAdjustValue) {
    for (const char* kind : {"Hexagon", "Octagon", "Square", "Check"})
        EXPECT_EQ(Vertices(Outline(kind, 0)->path()), Vertices(Outline(kind, 0.45f)->path()))
            << kind;
}

TEST(ShapeGeometry, RoundedAndPlainRectangleAndUnknownNames) {
    TRPropShape shape;
    const QRectF bounds = shape.GetGeometry(kRect, -1)->path().boundingRect();
    EXPECT_EQ(bounds, kRect);
    // Radius 25: the corner point is outside, a point 25 in along the diagonal is inside.
    EXPECT_FALSE(shape.GetGeometry(kRect, -1)->fillContainsPoint({11, 21}));
    EXPECT_TRUE(shape.GetGeometry(kRect, -1)->fillContainsPoint({20, 30}));
    shape.FShapeName = "Pentagon";
    EXPECT_FALSE(shape.GetGeometry(kRect, -1)->fillContainsPoint({11, 21}));
    shape.FRoundness = 0;
    EXPECT_EQ(Vertices(shape.GetGeometry(kRect, -1)->path()),
              (Strings{"M10,20", "210,20", "210,120", "10,120", "10,20"}));
    EXPECT_EQ(shape.FShapeName, "Pentagon");
}

TEST(ShapeGeometry, RingsAndTheirSegments) {
    // Circle: radius 50 round (110, 70); at 0.5 the hole's radius is 47.5.
    const GeometryPtr ring = Outline("Circle", 0.5f);
    EXPECT_TRUE(ring->fillContainsPoint({110 + 48.5f, 70}));
    EXPECT_FALSE(ring->fillContainsPoint({110 + 46.5f, 70}));
    EXPECT_FALSE(ring->fillContainsPoint({110 + 51, 70}));
    EXPECT_TRUE(Outline("Circle", 0)->fillContainsPoint({110 + 10, 70}));
    EXPECT_EQ(Outline("Circle", 0.5f, kRect, 0)->path().boundingRect(),
              QRectF(110 - 47.5, 70 - 47.5, 95, 95));
    EXPECT_EQ(Outline("Circle", 0.5f, kRect, 1)->path().boundingRect(), QRectF(60, 20, 100, 100));
    EXPECT_EQ(Outline("Circle", 0, kRect, 0)->path().boundingRect(), QRectF(60, 20, 100, 100));
    // Ellipse: radii 100, 50; hole radii 19, 9.5 at 0.1.
    const GeometryPtr band = Outline("Ellipse", 0.1f);
    EXPECT_TRUE(band->fillContainsPoint({110 + 20, 70}));
    EXPECT_FALSE(band->fillContainsPoint({110 + 18, 70}));
    EXPECT_EQ(Outline("Ellipse", 0, kRect, 3)->path().boundingRect(), kRect);
}

TEST(ShapeGeometry, BalloonTailTipWalksRoundTheRectangle) {
    const struct {
        float adjust;
        QPointF tip;
    } cases[] = {{0, {210, 120}},     {0.125f, {10, 120}}, {0.25f, {10, 20}},
                 {0.375f, {210, 20}}, {0.5f, {210, 120}},  {0.0625f, {110, 120}}};
    for (const char* kind : {"Balloon E", "Balloon R", "Balloon RR"})
        for (const auto& c : cases) {
            const QPainterPath path = Outline(kind, c.adjust)->path();
            bool found = false;
            for (int i = 0; i < path.elementCount(); ++i)
                found |= std::hypot(path.elementAt(i).x - c.tip.x(),
                                    path.elementAt(i).y - c.tip.y()) < 0.01;
            EXPECT_TRUE(found) << kind << " " << c.adjust;
            // The body stays 20 (0.2 * m) in from the rectangle: its middle is filled.
            EXPECT_TRUE(Outline(kind, c.adjust)->fillContainsPoint({110, 70}));
        }
}

TEST(ShapeGeometry, StrokedLinesOfArrowAndCross) {
    // Straight arrow: k = 40, alpha = atan(1.8 * 100 / 50) / 2 in degrees; beta = 0.
    const double alpha = std::atan(3.6) / 2;
    const std::string p1 = Num(210 - 40 * std::cos(-alpha)) + "," + Num(70 + 40 * std::sin(-alpha));
    const std::string p2 = Num(210 - 40 * std::cos(alpha)) + "," + Num(70 + 40 * std::sin(alpha));
    const GeometryPtr arrow = Outline("Arrow", 0.25f);
    EXPECT_EQ(Lines(arrow->strokePath()),
              (Strings{"10,70-210,70", p1 + "-210,70", "210,70-" + p2}));
    EXPECT_EQ(Lines(arrow->path()), (Strings{"10,70-210,70", "210,70-" + p1, p1 + "-210,70",
                                             "210,70-" + p2, p2 + "-210,70"}));
    EXPECT_EQ(Lines(Outline("Arrow", 0.25f, kRect, 0)->strokePath()), (Strings{"10,70-210,70"}));
    EXPECT_EQ(Lines(Outline("Arrow", 0.25f, kRect, 1)->strokePath()),
              (Strings{p1 + "-210,70", "210,70-" + p2}));
    EXPECT_EQ(Lines(Outline("Cross", 0)->strokePath()),
              (Strings{"10,20-210,120", "210,20-10,120"}));
    EXPECT_EQ(Lines(Outline("Cross", 0, kRect, 1)->strokePath()), (Strings{"210,20-10,120"}));
}

TEST(ShapeGeometry, EmptyRectanglesGiveEmptyOutlinesForEveryKind) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const QRectF empty[] = {{10, 20, 0, 100},  {10, 20, 200, 0},   {10, 20, -5, 100},
                            {10, 20, 200, -1}, {10, 20, nan, 100}, {10, 20, 200, nan}};
    for (const TRShapeKind& k : ShapeKinds)
        for (const QRectF& r : empty)
            for (int segment : {-1, 0, 1}) {
                const GeometryPtr g = Outline(k.Name, 0.3f, r, segment);
                ASSERT_TRUE(g) << k.Name;
                EXPECT_TRUE(g->path().isEmpty()) << k.Name;
                EXPECT_TRUE(g->strokePath().isEmpty()) << k.Name;
            }
}

TEST(ShapeGeometry, EveryKindDrawsSomethingAtSeveralAdjustValues) {
    for (const TRShapeKind& k : ShapeKinds)
        for (float a : {0.f, 0.1f, 0.25f, 0.35f, 0.5f}) {
            const GeometryPtr g = Outline(k.Name, a);
            ASSERT_TRUE(g) << k.Name;
            EXPECT_FALSE(g->path().isEmpty()) << k.Name << " " << a;
            const QRectF b = g->path().boundingRect();
            const bool inside = b.left() >= kRect.left() - 0.01 && b.top() >= kRect.top() - 0.01 &&
                                b.right() <= kRect.right() + 0.01 &&
                                b.bottom() <= kRect.bottom() + 0.01;
            EXPECT_TRUE(inside) << k.Name << " " << a;
        }
}

TEST(PartialBorders, StrokedLinesAtTheirAdjustValues) {
    const struct {
        const char* kind;
        float adjust;
        Strings stroked;
    } cases[] = {
        {"Rectangle AB", 0.0625f, {"10,20-110,20"}},
        {"Rectangle AB", 0.125f, {"10,20-210,20"}},
        {"Rectangle AB", 0.25f, {"10,20-210,20", "210,20-210,120"}},
        {"Rectangle AB", 0.375f, {"10,20-210,20", "210,20-210,120", "210,120-10,120"}},
        {"Rectangle AB",
         0.4375f,
         {"10,20-210,20", "210,20-210,120", "210,120-10,120", "10,120-10,70"}},
        {"Rectangle AB",
         0.5f,
         {"10,20-210,20", "210,20-210,120", "210,120-10,120", "10,120-10,20"}},
        {"Rectangle AB",
         0.7f,
         {"10,20-210,20", "210,20-210,120", "210,120-10,120", "10,120-10,20"}},
        {"Rectangle TB", 0.125f, {"60,20-160,20"}},
        {"Rectangle TB", 0.25f, {"10,20-210,20"}},
        {"Rectangle TB", 0.5f, {"10,70-10,20", "10,20-210,20", "210,20-210,70"}},
        {"Rectangle BB", 0.125f, {"160,120-60,120"}},
        {"Rectangle BB", 0.5f, {"210,70-210,120", "210,120-10,120", "10,120-10,70"}},
        {"Rectangle LB", 0.125f, {"10,95-10,45"}},
        {"Rectangle LB", 0.375f, {"60,120-10,120", "10,120-10,20", "10,20-60,20"}},
        {"Rectangle RB", 0.25f, {"210,20-210,120"}},
        {"Rectangle RB", 0.375f, {"160,20-210,20", "210,20-210,120", "210,120-160,120"}},
        {"Rectangle LRB", 0.125f, {"210,45-210,95", "10,95-10,45"}},
        {"Rectangle LRB",
         0.5f,
         {"110,20-210,20", "210,20-210,120", "210,120-110,120", "110,120-10,120", "10,120-10,20",
          "10,20-110,20"}},
        {"Rectangle TBB", 0.25f, {"10,20-210,20", "210,120-10,120"}},
        {"Rectangle TBB",
         0.375f,
         {"10,45-10,20", "10,20-210,20", "210,20-210,45", "210,95-210,120", "210,120-10,120",
          "10,120-10,95"}},
        {"Rectangle CB",
         0.2f,
         {"10,40-10,20", "10,20-30,20", "190,20-210,20", "210,20-210,40", "210,100-210,120",
          "210,120-190,120", "30,120-10,120", "10,120-10,100"}},
        {"Top LR", 0.25f, {"10,20-110,20"}},
        {"Top RL", 0.25f, {"210,20-110,20"}},
        {"Bottom LR", 0.25f, {"10,120-110,120"}},
        {"Bottom RL", 0.5f, {"210,120-10,120"}},
    };
    for (const auto& c : cases) {
        const GeometryPtr g = Outline(c.kind, c.adjust);
        EXPECT_EQ(Lines(g->strokePath()), c.stroked) << c.kind << " " << c.adjust;
        EXPECT_EQ(g->path().boundingRect(), kRect) << c.kind << " " << c.adjust;
        EXPECT_TRUE(g->fillContainsPoint({110, 70})) << c.kind << " " << c.adjust;
    }
}

TEST(PartialBorders, NothingIsStrokedAtZeroAndSegmentsHaveNoLength) {
    for (int i = 1; i <= 14; ++i) {
        if (i == 9 || i == 10)
            continue; // "Rectangle IC" and "Rectangle IR" are whole shapes
        const GeometryPtr g = Outline(ShapeKinds[i].Name, 0);
        EXPECT_TRUE(Lines(g->strokePath()).empty()) << ShapeKinds[i].Name;
        EXPECT_EQ(g->path().boundingRect(), kRect) << ShapeKinds[i].Name;
    }
    for (const char* kind : {"Rectangle CB", "Rectangle LRB", "Rectangle TBB"})
        for (int segment : {0, 1})
            EXPECT_FLOAT_EQ(Outline(kind, 0, kRect, segment)->computeLength(), 0) << kind;
}

TEST(PartialBorders, Segments) {
    const struct {
        const char* kind;
        float adjust;
        int segment;
        Strings lines;
    } cases[] = {
        {"Rectangle CB", 0.2f, 0, {"10,40-10,20", "10,20-30,20"}},
        {"Rectangle CB", 0.2f, 2, {"210,100-210,120", "210,120-190,120"}},
        {"Rectangle CB", 0.2f, 3, {"30,120-10,120", "10,120-10,100"}},
        {"Rectangle LRB", 0.125f, 0, {"210,45-210,95"}},
        {"Rectangle LRB", 0.125f, 1, {"10,95-10,45"}},
        {"Rectangle LRB", 0.375f, 1, {"60,120-10,120", "10,120-10,20", "10,20-60,20"}},
        {"Rectangle TBB", 0.125f, 1, {"160,120-60,120"}},
        {"Rectangle TBB", 0.375f, 0, {"10,45-10,20", "10,20-210,20", "210,20-210,45"}},
    };
    for (const auto& c : cases) {
        const GeometryPtr g = Outline(c.kind, c.adjust, kRect, c.segment);
        EXPECT_EQ(Lines(g->strokePath()), c.lines) << c.kind << " " << c.segment;
        EXPECT_EQ(Lines(g->path()), c.lines) << c.kind << " " << c.segment;
    }
}

TEST(ShapeGeometry, TextRectangle) {
    const double pi = std::numbers::pi;
    const struct {
        const char* kind;
        float adjust;
        QRectF expected;
    } cases[] = {
        {"Rectangle", 0.2f, QRectF(QPointF(20, 30), QPointF(200, 110))}, // 0.2*100/4 + 5
        {"Rectangle", 0, QRectF(QPointF(15, 25), QPointF(205, 115))},
        {"Rectangle IC", 0.1f, QRectF(QPointF(25, 35), QPointF(195, 105))},
        {"Circle", 0.3f, QRectF(QPointF(65, 25), QPointF(155, 115))},
        {"Square", 0, QRectF(QPointF(65, 25), QPointF(155, 115))},
        {"Arrow R", 0.3f, QRectF(QPointF(15, 45), QPointF(205, 95))},
        {"Arrow B", 0.3f, QRectF(QPointF(55, 25), QPointF(165, 115))},
        {"Balloon R", 0.3f, QRectF(QPointF(35, 45), QPointF(185, 95))},
        {"Check", 0.3f, QRectF(QPointF(15, 25), QPointF(205, 115))},
        {"Cross", 0.3f, QRectF(QPointF(15, 25), QPointF(205, 115))},
        {"Top LR", 0.3f, QRectF(QPointF(15, 25), QPointF(205, 115))},
        {"Triangle", 0.3f, QRectF(QPointF(15, 25), QPointF(205, 115))},
        {"Star", 0.3f,
         QRectF(QPointF(10 + 100 - 50 * std::sin(0.4 * pi), 20),
                QPointF(210 - 100 + 50 * std::sin(0.4 * pi), 120 - 50 + 50 * std::cos(pi / 5)))},
        {"Hexagram", 0.3f,
         QRectF(QPointF(10 + 100 - 50 * std::sin(pi / 3), 20),
                QPointF(210 - 100 + 50 * std::sin(pi / 3), 120))},
    };
    for (const auto& c : cases) {
        TRPropShape shape;
        shape.FShapeName = c.kind;
        shape.FRoundness = c.adjust;
        const QRectF r = shape.GetTextRectangle(kRect);
        EXPECT_NEAR(r.left(), c.expected.left(), 1e-4) << c.kind;
        EXPECT_NEAR(r.top(), c.expected.top(), 1e-4) << c.kind;
        EXPECT_NEAR(r.right(), c.expected.right(), 1e-4) << c.kind;
        EXPECT_NEAR(r.bottom(), c.expected.bottom(), 1e-4) << c.kind;
    }
}

TEST(ShapeSegments, CountsAndLengths) {
    const double pi = std::numbers::pi;
    const double diagonal = std::hypot(200.0, 100.0);
    const struct {
        const char* kind;
        float adjust;
        QRectF rect;
        int count;
        double longest, total;
    } cases[] = {
        {"Rectangle", 0, kRect, 1, 600, 600},
        {"Rectangle CB", 0.2f, kRect, 4, 40, 160},
        {"Rectangle LRB", 0.125f, kRect, 2, 50, 100},
        {"Rectangle TBB", 0.375f, kRect, 2, 250, 500},
        {"Circle", 0, kRect, 1, 100 * pi, 100 * pi},
        {"Circle", 0.5f, kRect, 2, 100 * pi, 195 * pi},
        {"Cross", 0, kRect, 2, diagonal, 2 * diagonal},
        {"Arrow", 0.25f, kRect, 2, 200, 280},
        {"Animation", 0.3f, kRect, 1, 0, 0},
        {"Rectangle", 0, QRectF(0, 0, 0.1, 0.1), 1, 1, 0.4},
        {"Rectangle CB", 0, kRect, 4, 1, 0},
    };
    for (const auto& c : cases) {
        TRPropShape shape;
        shape.FShapeName = c.kind;
        shape.FRoundness = c.adjust;
        EXPECT_EQ(shape.GetNrSegments(), c.count) << c.kind;
        if (c.longest == 0)
            continue;
        EXPECT_NEAR(shape.GetMaxSegmentLength(c.rect), c.longest, 0.01 * c.longest) << c.kind;
        EXPECT_NEAR(shape.GetTotalLength(c.rect), c.total, 0.01 * c.total + 1e-4) << c.kind;
    }
}

// The group between two keyframes at `pos`, as the object's interpolation makes it.
std::unique_ptr<TRPropShape> Morph(const char* from, float fromAdjust, const char* to,
                                   float toAdjust, float pos) {
    TRPropShape a, b;
    a.FShapeName = from;
    a.FRoundness = fromAdjust;
    b.FShapeName = to;
    b.FRoundness = toAdjust;
    auto between = std::make_unique<TRPropShape>();
    a.EaseTo(pos, &b, between.get());
    return between;
}

TEST(ShapeMorph, EaseToWritesTheMorphState) {
    const auto m = Morph("Star", 0.1f, "Star", 0.5f, 0.25f);
    EXPECT_EQ(m->FShapeName, "Animation"); // also between keyframes of one kind
    EXPECT_FLOAT_EQ(m->FRoundness, 0.2f);
    EXPECT_EQ(m->AShapeName, "Star");
    EXPECT_EQ(m->BShapeName, "Star");
    EXPECT_FLOAT_EQ(m->APos, 0.25f);
    EXPECT_EQ(m->GetNrSegments(), 1);
    // The morph state is never saved.
    QDomDocument doc;
    doc.appendChild(doc.createElement("Properties"));
    const QDomElement e = m->SaveToXML(doc.documentElement());
    EXPECT_FALSE(e.hasAttribute("AShapeName") || e.hasAttribute("APos"));
    // Without a target or destination nothing happens.
    TRPropShape a;
    a.EaseTo(0.5f, nullptr, m.get());
    a.EaseTo(0.5f, m.get(), nullptr);
    EXPECT_EQ(m->AShapeName, "Star");
}

TEST(ShapeMorph, OutlinesBetweenKeyframes) {
    // Rectangle 0 -> 0.5, halfway: a rounded rectangle of radius 0.25 * 100 = 25, corner
    // centre (35, 45).
    const auto half = Morph("Rectangle", 0, "Rectangle", 0.5f, 0.5f);
    EXPECT_FLOAT_EQ(half->FRoundness, 0.25f);
    const GeometryPtr rounded = half->GetGeometry(kRect, -1);
    EXPECT_TRUE(rounded->fillContainsPoint({35 - 17, 45 - 17}, {}, 0));        // 24 from the centre
    EXPECT_FALSE(rounded->fillContainsPoint({35 - 18.4f, 45 - 18.4f}, {}, 0)); // 26 from it
    EXPECT_FALSE(rounded->fillContainsPoint({12, 22}, {}, 0));

    // Star (0) -> Circle (0.4), halfway: still the star, with adjust 0.2 (inner radius
    // 19.098 + 30.902 * 0.4 = 31.459), for every segment asked.
    const auto star = Morph("Star", 0, "Circle", 0.4f, 0.5f);
    for (int segment : {-1, 0, 1}) {
        const Strings v = Vertices(star->GetGeometry(kRect, segment)->path());
        ASSERT_EQ(v.size(), 11u);
        EXPECT_EQ(v[0], "M110,20");
        EXPECT_EQ(v[1], "128.491,44.549");
        EXPECT_EQ(v[3], "139.919,79.721");
    }

    // Rectangle (0) -> Circle (0) at 0: the full rectangle united with the circle inside it.
    const GeometryPtr start = Morph("Rectangle", 0, "Circle", 0, 0)->GetGeometry(kRect, -1);
    const platform::render::RectF bounds = start->bounds();
    EXPECT_FLOAT_EQ(bounds.left, 10);
    EXPECT_FLOAT_EQ(bounds.bottom, 120);
    EXPECT_TRUE(start->fillContainsPoint({11, 21}, {}, 0));
    EXPECT_TRUE(start->fillContainsPoint({209, 119}, {}, 0));

    // At 1: the rectangle inset by a fifth, (50, 40, 170, 100), fully rounded (radii clamped
    // to 60 and 30: the ellipse of radii 60, 30 round (110, 70)), united with the circle of
    // radius 50. The circle keeps the keyframes' roundness 0: raised to the position it would
    // be a ring closed up to nothing.
    const GeometryPtr end = Morph("Rectangle", 0, "Circle", 0, 1)->GetGeometry(kRect, -1);
    EXPECT_TRUE(end->fillContainsPoint({52, 70}, {}, 0));  // the ellipse's left end
    EXPECT_TRUE(end->fillContainsPoint({165, 70}, {}, 0)); // the ellipse, outside the circle
    EXPECT_TRUE(end->fillContainsPoint({110, 21}, {}, 0)); // the circle's top
    EXPECT_FALSE(end->fillContainsPoint({55, 50}, {}, 0)); // outside both
    EXPECT_FALSE(end->fillContainsPoint({12, 22}, {}, 0)); // the rectangle has gone
    EXPECT_TRUE(end->fillContainsPoint({110, 70}, {}, 0)); // the centre

    // A start kind outside the catalogue draws the rectangle with the interpolated roundness.
    const auto unknown = Morph("Blob", 0, "Circle", 0, 0.5f);
    EXPECT_TRUE(unknown->GetGeometry(kRect, -1)->fillContainsPoint({11, 21}, {}, 0));
    TRPropShape empty;
    empty.FShapeName = "Animation";
    empty.FRoundness = 0;
    EXPECT_TRUE(empty.GetGeometry(kRect, -1)->fillContainsPoint({11, 21}, {}, 0));
}

TEST(ShapeMorph, TextRectangleFollowsTheStartKind) {
    const auto m = Morph("Circle", 0, "Star", 0, 0.5f);
    // "Circle" on 200 x 100: 50 + 5 left and right, 5 top and bottom.
    EXPECT_EQ(m->GetTextRectangle(kRect), QRectF(QPointF(65, 25), QPointF(155, 115)));
    EXPECT_EQ(m->FShapeName, "Animation");
}

} // namespace
