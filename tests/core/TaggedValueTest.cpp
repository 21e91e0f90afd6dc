// Tagged values, their interpolation, property access by name through Qt's property system,
// the Gaussian kernel and the style colour lookup.
#include "core/IKTypes.h"

#include <QApplication>
#include <QMatrix4x4>
#include <QPalette>
#include <QTransform>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

namespace {

class Target : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Count MEMBER count)
    Q_PROPERTY(double Level MEMBER level)
    Q_PROPERTY(QObject* Link MEMBER link)
    Q_PROPERTY(QRectF Area MEMBER area)
    Q_PROPERTY(QColor Tint MEMBER tint)
    Q_PROPERTY(QPointF Spot MEMBER spot)
    Q_PROPERTY(QSizeF Extent MEMBER extent)
    Q_PROPERTY(QTransform Matrix MEMBER matrix)
    Q_PROPERTY(QMatrix4x4 Matrix3D MEMBER matrix3D)
    Q_PROPERTY(bool Flag MEMBER flag)
    Q_PROPERTY(QString Text MEMBER text)
    Q_PROPERTY(QFont Font MEMBER font)
public:
    int count = 0;
    double level = 0;
    QObject* link = nullptr;
    QRectF area;
    QColor tint;
    QPointF spot;
    QSizeF extent;
    QTransform matrix;
    QMatrix4x4 matrix3D;
    bool flag = false;
    QString text;
    QFont font;
};

void ExpectRaises(const std::function<void()>& call, const char* message) {
    try {
        call();
        ADD_FAILURE() << "expected " << message;
    } catch (const EIKException& error) {
        EXPECT_STREQ(error.what(), message);
    }
}

TEST(TaggedValueTest, NumbersConvertAndRoundHalvesToEven) {
    EXPECT_EQ(TIKValue::Null().AsFloat(), 0);
    EXPECT_EQ(TIKValue::Null().AsInt(), 0);
    EXPECT_EQ(TIKValue(7).AsFloat(), 7.0);
    const struct {
        double value;
        int rounded;
    } cases[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {2.6, 3}, {-0.4, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(TIKValue(c.value).AsInt(), c.rounded) << c.value;
}

TEST(TaggedValueTest, AccessorsOfAnotherKindRaise) {
    const TIKValue point(TIKPoint{1, 2});
    const TIKValue number(1.0);
    ExpectRaises([&] { point.AsFloat(); }, "Invalid float value");
    ExpectRaises([&] { point.AsInt(); }, "Invalid int value");
    ExpectRaises([&] { number.AsObject(); }, "Invalid instance value");
    ExpectRaises([&] { number.AsPoint(); }, "Invalid Point value");
    ExpectRaises([&] { number.AsRect(); }, "Invalid Rect value");
    ExpectRaises([&] { number.AsSize(); }, "Invalid Size value");
    ExpectRaises([&] { number.AsColor(); }, "Invalid color value");
    ExpectRaises([&] { number.AsMatrix(); }, "Invalid matrix value");
    ExpectRaises([&] { number.AsMatrix3D(); }, "Invalid 3D matrix value");
}

TEST(TaggedValueTest, InterpolationFollowsTheStartKind) {
    EXPECT_DOUBLE_EQ(IKInterpolate(TIKValue(1.0), TIKValue(3.0), 0.25).AsFloat(), 1.5);
    // An integer start rounds the result, halves to even; a floating-point end is allowed.
    EXPECT_EQ(IKInterpolate(TIKValue(0), TIKValue(5), 0.5).AsInt(), 2);
    EXPECT_EQ(IKInterpolate(TIKValue(0), TIKValue(7.0), 0.5).AsInt(), 4);
    const TIKPoint point =
        IKInterpolate(TIKValue(TIKPoint{0, 10}), TIKValue(TIKPoint{10, 20}), 0.5).AsPoint();
    EXPECT_FLOAT_EQ(point.X, 5);
    EXPECT_FLOAT_EQ(point.Y, 15);
    const TIKColorF color =
        IKInterpolate(TIKValue(TIKColorF{0, 0, 0, 1}), TIKValue(TIKColorF{1, 0.5f, 0, 0}), 0.5)
            .AsColor();
    EXPECT_FLOAT_EQ(color.R, 0.5f);
    EXPECT_FLOAT_EQ(color.G, 0.25f);
    EXPECT_FLOAT_EQ(color.A, 0.5f);
    TIKMatrix3D a, b;
    b.M[15] = 4;
    EXPECT_FLOAT_EQ(IKInterpolate(TIKValue(a), TIKValue(b), 0.25).AsMatrix3D().M[15], 1);
    for (const TIKValue& still : {TIKValue(TIKRect{}), TIKValue(TIKSize{}), TIKValue(TIKMatrix{}),
                                  TIKValue(static_cast<QObject*>(nullptr)), TIKValue::Null()})
        EXPECT_TRUE(IKInterpolate(still, still, 0.5).IsNull());
    ExpectRaises([] { IKInterpolate(TIKValue(TIKPoint{}), TIKValue(1.0), 0.5); },
                 "Invalid Point value");
    EXPECT_EQ(IKInterpolate(TIKValue(2.7), TIKValue(12.7), 1.0).AsFloat(), 12.7);
}

TEST(PropertyByNameTest, ReadsAndWritesEveryKind) {
    Target target;
    QObject other;
    EXPECT_TRUE(IKFindProperty(&target, "Count"));
    EXPECT_TRUE(IKFindProperty(&target, "objectName")); // inherited
    EXPECT_FALSE(IKFindProperty(&target, "Missing"));

    EXPECT_TRUE(IKSetValue(&target, "Count", TIKValue(2.5)));
    EXPECT_EQ(target.count, 2);
    EXPECT_TRUE(IKSetValue(&target, "Level", TIKValue(0.1)));
    EXPECT_EQ(target.level, 0.1);
    EXPECT_TRUE(IKSetValue(&target, "Link", TIKValue(&other)));
    EXPECT_EQ(target.link, &other);
    IKSetValue(&target, "Area", TIKValue(TIKRect{1, 2, 3, 4}));
    EXPECT_EQ(target.area, QRectF(1, 2, 3, 4));
    IKSetValue(&target, "Tint", TIKValue(TIKColorF{1, 0, 0, 1}));
    EXPECT_EQ(target.tint, QColor(Qt::red));
    IKSetValue(&target, "Spot", TIKValue(TIKPoint{5, 6}));
    EXPECT_EQ(target.spot, QPointF(5, 6));
    IKSetValue(&target, "Extent", TIKValue(TIKSize{7, 8}));
    EXPECT_EQ(target.extent, QSizeF(7, 8));
    IKSetValue(&target, "Matrix", TIKValue(TIKMatrix{{2, 0, 0, 0, 3, 0, 4, 5, 1}}));
    EXPECT_EQ(target.matrix, QTransform(2, 0, 0, 0, 3, 0, 4, 5, 1));
    TIKMatrix3D m3;
    m3.M = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    IKSetValue(&target, "Matrix3D", TIKValue(m3));
    EXPECT_EQ(target.matrix3D(0, 1), 2); // row order

    EXPECT_EQ(IKGetValue(&target, "Count").Kind(), TIKValueKind::ivInt);
    EXPECT_EQ(IKGetValue(&target, "Level").AsFloat(), 0.1);
    EXPECT_EQ(IKGetValue(&target, "Link").AsObject(), &other);
    EXPECT_FLOAT_EQ(IKGetValue(&target, "Area").AsRect().Width, 3);
    EXPECT_FLOAT_EQ(IKGetValue(&target, "Tint").AsColor().R, 1);
    EXPECT_FLOAT_EQ(IKGetValue(&target, "Spot").AsPoint().Y, 6);
    EXPECT_FLOAT_EQ(IKGetValue(&target, "Extent").AsSize().Height, 8);
    EXPECT_FLOAT_EQ(IKGetValue(&target, "Matrix").AsMatrix().M[6], 4);
    EXPECT_FLOAT_EQ(IKGetValue(&target, "Matrix3D").AsMatrix3D().M[1], 2);
}

TEST(PropertyByNameTest, MissingAndUnsupportedProperties) {
    Target target;
    EXPECT_FALSE(IKSetValue(&target, "Missing", TIKValue(1)));
    EXPECT_TRUE(IKGetValue(&target, "Missing").IsNull());
    ExpectRaises([&] { IKGetValue(&target, "Flag"); }, "Invalid property type");
    ExpectRaises([&] { IKSetValue(&target, "Text", TIKValue(1)); }, "Invalid property type");
    ExpectRaises([&] { IKGetValue(&target, "Font"); }, "Unsupported structure");
    EXPECT_FALSE(IKFindProperty(nullptr, "Count"));
}

TEST(GaussianKernelTest, RadiusFollowsSigma) {
    const struct {
        float sigma;
        int radius;
    } cases[] = {{1, 2},   {2, 5},   {5, 14},   {10, 30}, {36, 96},
                 {50, 99}, {60, 99}, {0.5f, 1}, {0.1f, 1}};
    // The trimming rule gives 96 at sigma 36; the largest radius, 99, comes from about 50 on.
    for (const auto& c : cases) {
        TIKGaussianKernel kernel;
        IKGaussianKernel(kernel, c.sigma);
        EXPECT_EQ(kernel.Radius, c.radius) << c.sigma;
        double sum = 0;
        for (int i = -kernel.Radius; i <= kernel.Radius; ++i) {
            sum += kernel.Weight(i);
            EXPECT_EQ(kernel.Weight(i), kernel.Weight(-i));
        }
        EXPECT_NEAR(sum, 1.0, 1e-5) << c.sigma;
    }
    TIKGaussianKernel kernel;
    IKGaussianKernel(kernel, 1);
    EXPECT_NEAR(kernel.Weight(0), 0.4026, 1e-4);
}

TEST(StyleColorTest, ResolvesThroughTheApplicationPalette) {
    const QPalette saved = QApplication::palette();
    QPalette styled = saved;
    styled.setColor(QPalette::Highlight, QColor(0x00A1A1));
    QApplication::setPalette(styled);
    EXPECT_EQ(IKStyleSystemColor(QPalette::Highlight), QColor(0x00A1A1));
    QApplication::setPalette(saved);
    EXPECT_EQ(IKStyleSystemColor(QPalette::Highlight), saved.color(QPalette::Highlight));
}

} // namespace

#include "TaggedValueTest.moc"
