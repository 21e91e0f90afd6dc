// The kit's base types: pixel converters, colour packing, comparisons, rectangles and
// matrices, the two dictionaries and named properties.
#include "imagekit/IKTypes.h"

#include "imagekit/IKDictionary.h"
#include "imagekit/IKPersistent.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

TEST(IKPixels, ConvertersBetweenFormats) {
    const std::uint8_t rgb[6] = {10, 20, 30, 40, 50, 60};
    std::uint8_t bgra[8] = {};
    IKConvertPixels(rgb, bgra, 2, pfRGB, pfBGRA);
    const std::uint8_t expected[8] = {30, 20, 10, 255, 60, 50, 40, 255};
    EXPECT_EQ(0, std::memcmp(bgra, expected, 8));

    std::uint8_t rgbx[8] = {0, 0, 0, 77, 0, 0, 0, 88};
    IKConvertPixels(bgra, rgbx, 2, pfBGRA, pfRGBX);
    const std::uint8_t expectedX[8] = {10, 20, 30, 77, 40, 50, 60, 88};
    EXPECT_EQ(0, std::memcmp(rgbx, expectedX, 8));

    const std::uint8_t any[4] = {1, 2, 3, 4};
    std::uint8_t copy[4] = {};
    IKConvertPixel(any, pfRGBA, copy, pfRGBA);
    EXPECT_EQ(0, std::memcmp(any, copy, 4));

    for (const auto& [from, to] : {std::pair{pfNone, pfBGRA}, std::pair{pfBGRA, pfNone}}) {
        try {
            IKConvertPixels(any, copy, 0, from, to);
            ADD_FAILURE() << "no error";
        } catch (const std::exception& e) {
            EXPECT_STREQ(e.what(), "Invalid pixel format");
        }
    }
    EXPECT_EQ(IKReadPixel(any, pfBGRA), 0x04030201u);
    EXPECT_EQ(IKPixelBytes(pfRGB, 5), 15);
}

TEST(IKPixels, AddressingWidensTo64Bits) {
    auto* base = reinterpret_cast<std::uint8_t*>(std::uintptr_t(0x1000));
    EXPECT_EQ(IKPackedPixel(base, pfBGRA, 8192, 1, 70000) - base,
              std::int64_t(70000) * 8192 * 4 + 4);
    EXPECT_EQ(IKPackedScanLine(base, pfRGB, 10, 2) - base, 60);
}

TEST(IKColors, PackingRoundsHalvesToEvenAndClamps) {
    struct Case {
        TIKColorF color;
        std::uint32_t argb;
    };
    const Case cases[] = {
        {{1, 0.5f, 0, 1}, 0xFFFF8000u},
        // Out of range channels are clamped rather than wrapped.
        {{1.5f, 0, 0, 1}, 0xFFFF0000u},
        {{-0.2f, 0, 0, 1}, 0xFF000000u},
        {{0, 0, 1, 0.2f}, 0x330000FFu},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IKColorFToARGB(c.color), c.argb) << c.color.R;
    EXPECT_EQ(IKColorFToColor({1, 0.5f, 0, 1}), 0x000080FFu);
    const TIKColorF back = IKColorF(0x80FF0033u);
    EXPECT_FLOAT_EQ(back.R, 1);
    EXPECT_FLOAT_EQ(back.B, 0.2f);
    EXPECT_FLOAT_EQ(back.A, 128 / 255.0f);
}

TEST(IKGeometry, ComparisonsRectanglesAndMatrices) {
    EXPECT_TRUE(IKSameRect({100, 0, 1, 1}, {100.005f, 0, 1, 1}));
    EXPECT_FALSE(IKSameRect({0, 0, 1, 1}, {0.0002f, 0, 1, 1}));
    const TIKRect one = IKPointsBounds({{2, 3}});
    EXPECT_TRUE(IKSameRect(one, {2, 3, 0, 0}));
    EXPECT_TRUE(IKSameRect(IKVectorsBounds({{1, 5, 9}, {-1, 2, 0}}), {-1, 2, 2, 3}));
    EXPECT_TRUE(IKSameRect(IKUnionRect({10, 10, 5, 5}, {0, 12, 4, 10}), {0, 10, 15, 12}));
    EXPECT_TRUE(IKSameRect(IKInflateRect({10, 10, 5, 5}, 1, 2, 3, 4), {9, 8, 9, 11}));
    EXPECT_TRUE(IKSameRect(IKInflateRect({10, 10, 5, 5}, 1, 2), {9, 8, 7, 9}));
    EXPECT_TRUE(IKSameRect(IKOffsetRect(IKOriginRect({7, 8, 5, 6}), 1, 2), {1, 2, 5, 6}));

    const TIKVector turned = IKTransformVector({1, 0, 1}, IKRotationMatrix(90));
    EXPECT_NEAR(turned.X, 0, 1e-6);
    EXPECT_NEAR(turned.Y, 1, 1e-6);
    EXPECT_FLOAT_EQ(turned.W, 1);
    const TIKMatrix m = IKMultiplyMatrix(IKScaleMatrix(2, 3), IKTranslateMatrix(5, 7));
    const TIKVector moved = IKTransformVector({1, 1, 1}, m);
    EXPECT_FLOAT_EQ(moved.X, 7);
    EXPECT_FLOAT_EQ(moved.Y, 10);
    EXPECT_EQ(TIKTextureAttrs({taAntialias, taClampBorder}).Bits, 9);
}

// Counts its live instances.
struct Counted {
    static inline int alive = 0;
    Counted() { ++alive; }
    ~Counted() { --alive; }
};

TEST(IKDictionaries, FirstKeyWinsWithoutRegardToCase) {
    TIKDictionary d;
    int first = 1, second = 2;
    d.Add("Blur", &first);
    d.Add("blur", &second);
    d.Add("Alpha", &second);
    void* found = nullptr;
    ASSERT_TRUE(d.TryGetValue("BLUR", found));
    EXPECT_EQ(found, &first);
    EXPECT_EQ(d.Keys(), QStringList({"Alpha", "Blur"}));
    void* untouched = &second;
    EXPECT_FALSE(d.TryGetValue("Nothing", untouched));
    EXPECT_EQ(untouched, &second);
}

TEST(IKDictionaries, AnOwningDictionaryFreesEachObjectOnce) {
    {
        TIKObjectDictionary<Counted> d(true);
        for (const char* key : {"a", "b", "c", "d", "e"})
            ASSERT_TRUE(d.Add(key, new Counted));
        auto* refused = new Counted;
        EXPECT_FALSE(d.Add("A", refused));
        delete refused; // an ignored object stays the caller's
        EXPECT_EQ(Counted::alive, 5);
        d.Remove("B");
        Counted* c = nullptr;
        ASSERT_TRUE(d.TryGetValue("c", c));
        d.RemoveByValue(c);
        d.Delete(0);
        EXPECT_EQ(Counted::alive, 2);
        EXPECT_THROW(d.Delete(5), std::out_of_range);
        EXPECT_EQ(Counted::alive, 2);
        d.Clear();
        EXPECT_EQ(Counted::alive, 0);
        d.Add("z", new Counted);
    }
    EXPECT_EQ(Counted::alive, 0);
    Counted kept;
    {
        TIKObjectDictionary<Counted> borrowing(false);
        borrowing.Add("k", &kept);
        borrowing.Remove("k");
    }
    EXPECT_EQ(Counted::alive, 1);
}

class TBaseInputs : public TIKPersistent {
    Q_OBJECT
    Q_PROPERTY(double Base MEMBER FBase)

public:
    double FBase = 0;
};

class TDerivedInputs : public TBaseInputs {
    Q_OBJECT
    Q_PROPERTY(double Radius MEMBER FRadius)
    Q_PROPERTY(QColor Color MEMBER FColor)

public:
    double FRadius = 0;
    QColor FColor;
    QStringList undefined;
    int changes = 0;
    void SetUndefinedValue(const QString& name, const TIKValue&) override { undefined << name; }
    void ValueChanged() override { ++changes; }
};

TEST(IKPersistent, NamesOfTheOwnClassAndSettingByName) {
    TDerivedInputs inputs;
    EXPECT_EQ(inputs.PropertyNames(), QStringList({"Radius", "Color"}));
    EXPECT_EQ(&inputs.PropertyNames(), &inputs.PropertyNames());
    EXPECT_TRUE(inputs.PropertyExists("Base"));
    inputs.SetValue("Radius", TIKValue(2.5));
    EXPECT_DOUBLE_EQ(inputs.FRadius, 2.5);
    EXPECT_DOUBLE_EQ(inputs.GetValue("Radius").AsFloat(), 2.5);
    EXPECT_TRUE(inputs.GetValue("Missing").IsNull());
    inputs.SetValue("Missing", TIKValue(1));
    EXPECT_EQ(inputs.undefined, QStringList({"Missing"}));
    EXPECT_EQ(inputs.changes, 2);
    EXPECT_THROW(inputs.SetValue("Radius", TIKValue(TIKPoint{1, 2})), EIKException);
    EXPECT_EQ(inputs.changes, 2);
}

} // namespace

#include "IKTypesTest.moc"
