// Generators, stylize and sharpen on small pictures, against values worked from their
// formulas: defaults, ranges clamped through SetValue, and known pixels.
#include "imagekit/IKFilterGenerator.h"
#include "imagekit/IKFilterSharpen.h"
#include "imagekit/IKFilterStylize.h"
#include "tests/imagekit/IKFilterPictures.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace ikfilters;

namespace {

const QRgb kWhite = qRgba(255, 255, 255, 255);
const QRgb kBlack = qRgba(0, 0, 0, 255);

QRgb Pattern(int x, int y) {
    return qRgba(10 + 20 * x, 10 + 20 * y, 100 + 5 * (x + y), 255);
}

struct Range {
    std::function<std::unique_ptr<TIKFilter>()> make;
    const char* input;
    double min, max, initial, set, stored;
};

TEST(IKPatternFilters, RangesAndDefaults) {
    const Range ranges[] = {
        {[] { return std::make_unique<TIKCheckerboardGeneratorFilter>(); }, "InputWidth", 1, 1000,
         10, 0, 1},
        {[] { return std::make_unique<TIKCheckerboardGeneratorFilter>(); }, "InputWidth", 1, 1000,
         10, 5000, 1000},
        {[] { return std::make_unique<TIKPixellateFilter>(); }, "InputScale", 1, 100, 8, 0, 1},
        {[] { return std::make_unique<TIKPixellateFilter>(); }, "InputScale", 1, 100, 8, 500, 100},
        {[] { return std::make_unique<TIKSharpenFilter>(); }, "InputAmount", 0, 2, 1, 3, 2},
    };
    for (const Range& r : ranges) {
        auto filter = r.make();
        const QString input = QString::fromLatin1(r.input);
        EXPECT_EQ(filter->GetValue(input + "_Min").AsFloat(), r.min) << r.input;
        EXPECT_EQ(filter->GetValue(input + "_Max").AsFloat(), r.max) << r.input;
        EXPECT_EQ(filter->GetValue(input).AsFloat(), r.initial) << r.input;
        filter->SetValue(input, TIKValue(r.set));
        EXPECT_EQ(filter->GetValue(input).AsFloat(), r.stored) << r.input << " " << r.set;
    }
    EXPECT_EQ(TIKCheckerboardGeneratorFilter().PropertyNames(),
              QStringList({"InputRect", "InputColor1", "InputColor2", "InputWidth",
                           "InputWidth_Min", "InputWidth_Max"}));
    EXPECT_EQ(TIKConvolution3X3Filter().PropertyNames(),
              QStringList({"InputWeights", "InputBias", "InputImage"}));
    EXPECT_EQ(TIKSharpenFilter().PropertyNames(),
              QStringList({"InputAmount_Min", "InputAmount_Max", "InputAmount", "InputImage"}));
}

TEST(IKPatternFilters, Generators) {
    TIKColorGeneratorFilter color;
    TIKCheckerboardGeneratorFilter board;
    TIKRandomGeneratorFilter random;
    for (TIKFilter* f : std::initializer_list<TIKFilter*>{&color, &board, &random}) {
        EXPECT_EQ(Rendered(*f).size(), QSize(100, 100));
        EXPECT_TRUE(SameRect(f->OutputImage()->Extent(), {0, 0, 100, 100}));
    }
    EXPECT_EQ(Rendered(color).pixel(57, 3), kWhite);
    // The colour is used as given: premultiplied, half covered.
    color.SetValue("InputColor", TIKValue(TIKColorF{0.5f, 0, 0, 0.5f}));
    EXPECT_EQ(Rendered(color).pixel(57, 3), qRgba(128, 0, 0, 128));

    struct Square {
        int x, y;
        QRgb expected;
    };
    const Square squares[] = {{0, 0, kWhite},  {9, 9, kWhite},   {10, 0, kBlack},
                              {0, 19, kBlack}, {15, 15, kWhite}, {95, 85, kBlack}};
    for (const TIKRect& rect : {TIKRect{0, 0, 100, 100}, TIKRect{50, 50, 100, 100}}) {
        board.SetValue("InputRect", TIKValue(rect));
        const QImage out = Rendered(board);
        EXPECT_TRUE(SameRect(board.OutputImage()->Extent(), rect));
        for (const Square& s : squares)
            EXPECT_EQ(out.pixel(s.x, s.y), s.expected) << s.x << "," << s.y;
    }
    board.SetValue("InputWidth", TIKValue(100.0));
    EXPECT_EQ(Rendered(board).pixel(99, 99), kWhite);

    // The noise of the formula at pixel centres, the same for every generator of that size.
    const QImage noise = Rendered(random);
    TIKRandomGeneratorFilter other;
    EXPECT_EQ(Rendered(other), noise);
    const auto frac = [](float v) { return v - std::floor(v); };
    for (const auto& [x, y] : {std::pair{3, 7}, {64, 12}, {99, 99}}) {
        const float t = std::sin(12.9898f * ((x + 0.5f) / 100) + 78.233f * ((y + 0.5f) / 100));
        const QRgb p = noise.pixel(x, y);
        EXPECT_NEAR(qRed(p), std::lround(frac(t * 43758.547f) * 255), 2) << x << "," << y;
        EXPECT_NEAR(qGreen(p), std::lround(frac(t * 65445.855f) * 255), 2) << x << "," << y;
        EXPECT_NEAR(qBlue(p), std::lround(frac(t * 12432.345f) * 255), 2) << x << "," << y;
        EXPECT_EQ(qAlpha(p), 255);
    }
    random.SetValue("InputRect", TIKValue(TIKRect{5, 5, 0, 20}));
    EXPECT_TRUE(Rendered(random).isNull());
}

TEST(IKPatternFilters, Convolution) {
    auto input = Picture(6, 5, Pattern);
    const QImage original = input->Bitmap();
    TIKConvolution3X3Filter convolution;
    convolution.SetValue("InputImage", ImageValue(input.get()));
    EXPECT_EQ(Rendered(convolution), original);

    convolution.SetValue("InputBias", TIKValue(1.0));
    EXPECT_EQ(Rendered(convolution).pixel(2, 3), kWhite);

    // A 3 x 3 box blur: the inside keeps a flat colour, a corner keeps 4/9 of it.
    auto flat = Picture(6, 5, [](int, int) { return qRgba(90, 180, 45, 255); });
    convolution.SetValue("InputImage", ImageValue(flat.get()));
    convolution.SetValue("InputBias", TIKValue(0.0));
    TIKMatrix box;
    box.M.fill(1.0f / 9);
    convolution.SetValue("InputWeights", TIKValue(box));
    const QImage out = Rendered(convolution);
    EXPECT_EQ(out.pixel(2, 2), qRgba(90, 180, 45, 255));
    EXPECT_EQ(out.pixel(0, 0), qRgba(40, 80, 20, 113));

    // One weight picks one neighbour: m13 is the upper-right one.
    TIKMatrix upperRight{};
    upperRight.M[2] = 1;
    convolution.SetValue("InputImage", ImageValue(input.get()));
    convolution.SetValue("InputWeights", TIKValue(upperRight));
    EXPECT_EQ(Rendered(convolution).pixel(2, 3), Pattern(3, 2));
}

TEST(IKPatternFilters, Pixellate) {
    auto input = Picture(12, 12, Pattern);
    TIKPixellateFilter pixellate;
    pixellate.SetValue("InputImage", ImageValue(input.get()));
    pixellate.SetValue("InputScale", TIKValue(1.0));
    EXPECT_EQ(Rendered(pixellate), input->Bitmap());
    // Blocks of three show the colour at their centre, the middle pixel.
    pixellate.SetValue("InputScale", TIKValue(3.0));
    QImage out = Rendered(pixellate);
    EXPECT_EQ(out.pixel(0, 0), Pattern(1, 1));
    EXPECT_EQ(out.pixel(2, 1), Pattern(1, 1));
    EXPECT_EQ(out.pixel(5, 3), Pattern(4, 4));
    EXPECT_EQ(out.pixel(11, 6), Pattern(10, 7));
    pixellate.SetValue("InputScale", TIKValue(8.0));
    out = Rendered(pixellate);
    EXPECT_EQ(out.pixel(0, 0), out.pixel(7, 7));
    EXPECT_NE(out.pixel(7, 7), out.pixel(8, 7));
}

// Light above-left of a diagonal edge, dark below-right: the pixels within reach of it gain
// Amount x (light - dark).
TEST(IKPatternFilters, Sharpen) {
    auto edge = Picture(12, 12, [](int x, int y) {
        return x + y < 10 ? qRgba(128, 128, 128, 255) : qRgba(64, 64, 64, 255);
    });
    TIKSharpenFilter sharpen;
    sharpen.SetValue("InputImage", ImageValue(edge.get()));
    sharpen.SetValue("InputAmount", TIKValue(0.0));
    EXPECT_EQ(Rendered(sharpen), edge->Bitmap());
    sharpen.SetValue("InputAmount", TIKValue(0.5));
    const QImage out = Rendered(sharpen);
    EXPECT_EQ(out.pixel(4, 5), qRgba(160, 160, 160, 255));
    EXPECT_EQ(out.pixel(5, 6), qRgba(96, 96, 96, 255));
    // Flat areas stay as they are.
    EXPECT_EQ(out.pixel(1, 1), qRgba(128, 128, 128, 255));
    EXPECT_EQ(out.pixel(8, 8), qRgba(64, 64, 64, 255));
}

} // namespace
