// The custom effect family as registered: property tables and buffer offsets of every class,
// the registration text, the start-up order and tags, and the failure path of the check.
#include "graphics/URCEChromakey.h"
#include "graphics/URCECircular.h"
#include "graphics/URCEContrast.h"
#include "graphics/URCEDissolve.h"
#include "graphics/URCEFisheyelens.h"
#include "graphics/URCEGenie.h"
#include "graphics/URCEGrayscale.h"
#include "graphics/URCEMagnify.h"
#include "graphics/URCEOpacity.h"
#include "graphics/URCEPixelate.h"
#include "graphics/URCEPush.h"
#include "graphics/URCERadialblur.h"
#include "graphics/URCERipple.h"
#include "graphics/URCESpinBlur.h"
#include "graphics/URCESwirl.h"
#include "graphics/URCustomEffects.h"
#include "tests/platform/render/EffectsTestSupport.h"

#include <cstring>
#include <gtest/gtest.h>
#include <limits>

using namespace effectstest;

namespace {

constexpr auto F = PropertyType::Float;
constexpr auto V2 = PropertyType::Vector2;
constexpr auto V4 = PropertyType::Vector4;

struct Row {
    const char* name;
    PropertyType type;
    size_t offset;
    PropertyValue initial;
};

struct ClassTable {
    QUuid id;
    const char* display;
    int inputs;
    size_t bytes;
    std::vector<Row> rows;
    std::function<std::unique_ptr<TRCustomEffect>(Factory&)> make;
};

template <class T> std::function<std::unique_ptr<TRCustomEffect>(Factory&)> maker() {
    return [](Factory&) { return std::make_unique<T>(*CompiledShaders()); };
}

// The tables of the design, written out independently of the classes, in start-up order.
const std::vector<ClassTable>& tables() {
    static const std::vector<ClassTable> t = {
        {CLSID_CEContrast,
         "Contrast",
         1,
         8,
         {{"Contrast", F, 0, 0.0f}, {"Brightness", F, 4, 0.0f}},
         maker<TRCEContrast>()},
        {CLSID_CEChromakey,
         "Chroma-Key",
         1,
         20,
         {{"Tolerance", F, 0, 0.0f},
          {"Red", F, 4, 0.0f},
          {"Green", F, 8, 0.0f},
          {"Blue", F, 12, 0.0f},
          {"Invert", F, 16, 1.0f}},
         maker<TRCEChromakey>()},
        {CLSID_CEPixelate,
         "Pixelate",
         1,
         12,
         {{"Size", F, 0, 0.0f}, {"MaxWidth", F, 4, 0.0f}, {"MaxHeight", F, 8, 0.0f}},
         maker<TRCEPixelate>()},
        {CLSID_CEOpacity, "Opacity", 1, 4, {{"Opacity", F, 0, 1.0f}}, maker<TRCEOpacity>()},
        {CLSID_CECircular,
         "Circular",
         1,
         64,
         {{"Type", F, 0, 0.0f},
          {"Size", V2, 4, Vector2{}},
          {"Center", V2, 16, Vector2{}},
          {"Radius", F, 24, 0.0f},
          {"BorderWidth", F, 28, 0.0f},
          {"Invert", F, 12, 0.0f},
          {"Rectangle", V4, 32, Vector4{}},
          {"BorderType", F, 48, 0.0f},
          {"Red", F, 52, 1.0f},
          {"Green", F, 56, 0.0f},
          {"Blue", F, 60, 0.0f}},
         maker<TRCECircular>()},
        {CLSID_CEPush,
         "Push",
         1,
         24,
         {{"Type", F, 0, 0.0f},
          {"Size", V2, 4, Vector2{}},
          {"Masked", F, 12, 1.0f},
          {"BlurSize", F, 16, 0.0f},
          {"Progress", F, 20, 0.0f}},
         [](Factory& f) { return std::make_unique<TRCEPush>(f); }},
        {CLSID_CEMagnify,
         "Magnify",
         1,
         16,
         {{"Size", F, 0, 0.0f}, {"Center", V2, 4, Vector2{}}, {"Radius", F, 12, 0.0f}},
         maker<TRCEMagnify>()},
        {CLSID_CERipple,
         "Ripple",
         1,
         28,
         {{"Frequency", F, 0, 140.0f},
          {"Phase", F, 4, 0.0f},
          {"Amplitude", F, 8, 60.0f},
          {"Spread", F, 12, 0.01f},
          {"CenterX", F, 16, 0.0f},
          {"CenterY", F, 20, 0.0f}},
         maker<TRCERipple>()},
        {CLSID_CESwirl,
         "Swirl",
         1,
         28,
         {{"Size", F, 0, 0.0f},
          {"Center", V2, 4, Vector2{}},
          {"Radius", F, 12, 0.0f},
          {"Radiusin", F, 16, 0.0f},
          {"MaxWidth", F, 20, 0.0f},
          {"MaxHeight", F, 24, 0.0f}},
         maker<TRCESwirl>()},
        {CLSID_CEFisheyelens,
         "Fisheyelens",
         1,
         20,
         {{"Size", F, 0, 0.0f},
          {"Center", V2, 4, Vector2{}},
          {"RadiusOut", F, 12, 100.0f},
          {"RadiusIn", F, 16, 0.0f}},
         maker<TRCEFisheyelens>()},
        {CLSID_CERadialblur,
         "Radialblur",
         1,
         16,
         {{"Size", F, 0, 0.0f}, {"Center", V2, 4, Vector2{}}, {"Radius", F, 12, 0.0f}},
         maker<TRCERadialblur>()},
        {CLSID_CESpinBlur,
         "SpinBlur",
         1,
         24,
         {{"Size", F, 0, 0.0f},
          {"Center", V2, 4, Vector2{}},
          {"Radius", F, 12, 0.0f},
          {"MaxWidth", F, 16, 0.0f},
          {"MaxHeight", F, 20, 0.0f}},
         maker<TRCESpinBlur>()},
        {CLSID_CEGrayscale, "Grayscale", 1, 4, {{"Grayscale", F, 0, 1.0f}}, maker<TRCEGrayscale>()},
        {CLSID_CEDissolve, "Dissolve", 2, 4, {{"Size", F, 0, 0.0f}}, maker<TRCEDissolve>()},
        {CLSID_CEGenie,
         "Genie",
         1,
         8,
         {{"Progress", F, 0, 0.0f}, {"Position", F, 4, 0.0f}},
         maker<TRCEGenie>()},
    };
    return t;
}

PropertyValue marker(PropertyType type) {
    switch (type) {
    case PropertyType::Vector2:
        return Vector2{1234.5f, 1234.5f};
    case PropertyType::Vector4:
        return Vector4{1234.5f, 1234.5f, 1234.5f, 1234.5f};
    default:
        return 1234.5f;
    }
}

size_t floatsOf(PropertyType type) {
    return type == V2 ? 2 : type == V4 ? 4 : 1;
}

float floatAt(std::span<const std::byte> bytes, size_t offset) {
    float v;
    std::memcpy(&v, bytes.data() + offset, 4);
    return v;
}

FactoryPtr registeredFactory() {
    FactoryPtr f = Factory::create();
    QString tag;
    EXPECT_FALSE(RegisterCustomEffects(tag, true, CustomEffectRegistrations(f)))
        << tag.toStdString();
    return f;
}

} // namespace

TEST(CustomEffectFamily, PropertyTablesAndBufferOffsets) {
    const FactoryPtr f = registeredFactory();
    for (const ClassTable& t : tables()) {
        SCOPED_TRACE(t.display);
        const EffectPtr e = f->createEffect(t.id);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->effectClass().displayName, t.display);
        EXPECT_EQ(e->inputCount(), t.inputs);
        ASSERT_EQ(e->effectClass().properties.size(), t.rows.size());
        const auto kernel = t.make(*f);
        ASSERT_EQ(kernel->bufferBytes().size(), t.bytes);
        std::vector<PropertyValue> initial;
        for (size_t i = 0; i < t.rows.size(); ++i) {
            const Row& row = t.rows[i];
            EXPECT_EQ(e->effectClass().properties[i].name, row.name);
            EXPECT_EQ(typeOf(*e->value(int(i))), row.type) << row.name;
            EXPECT_EQ(*e->value(int(i)), row.initial) << row.name;
            initial.push_back(row.initial);
        }
        // Each property writes its own field, wherever it lies in the buffer.
        for (size_t i = 0; i < t.rows.size(); ++i) {
            std::vector<PropertyValue> values = initial;
            values[i] = marker(t.rows[i].type);
            kernel->prepare(values);
            for (size_t k = 0; k < floatsOf(t.rows[i].type); ++k)
                EXPECT_EQ(floatAt(kernel->bufferBytes(), t.rows[i].offset + 4 * k), 1234.5f)
                    << t.rows[i].name;
            kernel->prepare(initial);
        }
    }
}

TEST(CustomEffectFamily, InitializeFillsTheBuffer) {
    // Ripple: 140, 0, 60, 0.01, 0, 0 and the DPI 96 that no property reaches.
    TRCERipple ripple(*CompiledShaders());
    const float expected[] = {140, 0, 60, 0.01f, 0, 0, 96};
    for (size_t i = 0; i < 7; ++i)
        EXPECT_EQ(floatAt(ripple.bufferBytes(), 4 * i), expected[i]) << i;
    ripple.prepare(std::vector<PropertyValue>{1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f});
    EXPECT_EQ(ripple.buffer().DPI, 96);
    EXPECT_EQ(ripple.buffer().CenterY, 6);

    // Circular's Size is never set by its users: zeros at offsets 4 to 11; Red 1.
    TRCECircular circular(*CompiledShaders());
    EXPECT_EQ(circular.buffer().Size.x, 0);
    EXPECT_EQ(circular.buffer().Size.y, 0);
    EXPECT_EQ(circular.buffer().Red, 1);
    EXPECT_EQ(TRCEFisheyelens(*CompiledShaders()).buffer().RadiusOut, 100);
    EXPECT_EQ(TRCEChromakey(*CompiledShaders()).buffer().Invert, 1);
}

TEST(CustomEffectFamily, RegistrationTextOfOpacity) {
    EXPECT_EQ(TRCustomEffect::RegistrationText(TRCEOpacity::Info()),
              QString("<?xml version='1.0'?>"
                      "<Effect>"
                      "<Property name='DisplayName' type='string' value='Opacity' />"
                      "<Property name='Author' type='string' value='Harbek' />"
                      "<Property name='Category' type='string' value='Effects' />"
                      "<Property name='Description' type='string' value='Opacity' />"
                      "<Inputs>"
                      "<Input name='SourceOne'/>"
                      "</Inputs>"
                      "<Property name='Opacity' type='float' value='1'>"
                      "  <Property name='DisplayName' type='string' value='Opacity'/>"
                      "</Property>"
                      "</Effect>"));
    const QString dissolve = TRCustomEffect::RegistrationText(TRCEDissolve::Info());
    EXPECT_TRUE(dissolve.contains("<Input name='SourceOne'/><Input name='SourceTwo'/></Inputs>"));
    // Declared values stay in the text even where Initialize differs.
    EXPECT_TRUE(TRCustomEffect::RegistrationText(TRCEChromakey::Info())
                    .contains("<Property name='Invert' type='float' value='0'>"));
    EXPECT_TRUE(TRCustomEffect::RegistrationText(TRCECircular::Info())
                    .contains("<Property name='Type' type='float'>"));
}

TEST(CustomEffectFamily, RegistrationsRunInStartupOrderWithTheirTags) {
    const FactoryPtr f = Factory::create();
    const auto registrations = CustomEffectRegistrations(f);
    ASSERT_EQ(registrations.size(), tables().size());
    for (size_t i = 0; i < registrations.size(); ++i) {
        EXPECT_EQ(registrations[i].tag, CustomEffectTags()[qsizetype(i)]);
        EXPECT_FALSE(f->isRegistered(tables()[i].id)) << i;
        registrations[i].registerEffect();
        EXPECT_TRUE(f->isRegistered(tables()[i].id)) << tables()[i].display;
    }
    // Again on the same factory, and on a second one: each succeeds.
    QString tag;
    EXPECT_FALSE(RegisterCustomEffects(tag, true, CustomEffectRegistrations(f)));
    const FactoryPtr second = registeredFactory();
    EXPECT_TRUE(second->createEffect(CLSID_CEGenie));
}

TEST(CustomEffectFamily, CheckFailsWithTheTagOfTheBrokenEffect) {
    struct Case {
        const char* what;
        std::function<void(TRShaderLibrary&)> damage;
        QString tag;
    };
    const Case cases[] = {
        {"missing program", [](TRShaderLibrary& l) { l.erase(TRCEGrayscale::Info().shaderId); },
         "_CEGrayscale"},
        {"wrong program",
         [](TRShaderLibrary& l) { l[TRCEOpacity::Info().shaderId] = TRCEGrayscale::Shader(); },
         "_CEOpacity"},
        {"program drawing nothing",
         [](TRShaderLibrary& l) {
             l[TRCEDissolve::Info().shaderId].run = [](const void*, std::span<const ImageTile>,
                                                       ImageTile& out) {
                 out.pixels.fill(Qt::transparent);
             };
         },
         "_CEDissolve"},
    };
    for (const Case& c : cases) {
        auto library = std::make_shared<TRShaderLibrary>(*CompiledShaders());
        c.damage(*library);
        QString tag;
        const bool failed =
            RegisterCustomEffects(tag, true, CustomEffectRegistrations(Factory::create(), library));
        EXPECT_TRUE(failed) << c.what;
        EXPECT_EQ(tag, c.tag) << c.what;
        const TRCheckResult check = CheckEffects(failed, tag);
        ASSERT_TRUE(check.has_value()) << c.what;
        EXPECT_EQ(check->status, c.tag);
    }
    QString tag;
    EXPECT_TRUE(RegisterCustomEffects(tag, true, CustomEffectRegistrations(nullptr)));
    EXPECT_EQ(tag, "_CEcontrast");
}

TEST(CustomEffectFamily, WithoutItsProgramAnEffectStillTakesPropertiesButDrawsNothing) {
    const FactoryPtr f = Factory::create();
    TRCEMagnify::RegisterEffect(*f, std::make_shared<TRShaderLibrary>());
    const EffectPtr e =
        effectOn(f, CLSID_CEMagnify, bitmapFrom(2, 2, [](int, int) { return grey(255); }));
    ASSERT_TRUE(e);
    EXPECT_TRUE(e->setValue(1, Vector2{3, 4}));
    EXPECT_EQ(e->valueAs<Vector2>(1), (Vector2{3, 4}));
    EXPECT_EQ(e->render({0, 0, 2, 2}).pixelAt(1, 1), 0u);
    EXPECT_FALSE(ProbeCustomEffect(*f, TRCEMagnify::Info()));
}

TEST(CustomEffectFamily, SecondInputNeverWidensTheOutput) {
    const FactoryPtr f = registeredFactory();
    const auto noise = std::make_shared<CountingImage>(noiseBitmap(10, 10));
    const EffectPtr e =
        effectOn(f, CLSID_CEDissolve, bitmapFrom(4, 4, [](int, int) { return grey(255); }));
    e->setInput(1, noise);
    EXPECT_EQ(e->bounds(), (RectL{0, 0, 4, 4}));
    e->render({1, 1, 3, 2});
    ASSERT_EQ(noise->requested.size(), 1u);
    EXPECT_EQ(noise->requested[0], (RectL{1, 1, 3, 2}));
}

TEST(CustomEffectFamily, PropertiesNoCallerShouldPassDrawSomethingDefined) {
    const FactoryPtr f = registeredFactory();
    const BitmapPtr input = noiseBitmap(8, 8);
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity(), -1e30f, 1e30f};
    for (const ClassTable& t : tables())
        for (size_t i = 0; i < t.rows.size(); ++i)
            for (const float v : bad) {
                const EffectPtr e = f->createEffect(t.id);
                for (int k = 0; k < e->inputCount(); ++k)
                    e->setInput(k, input);
                const PropertyValue value = t.rows[i].type == V2 ? PropertyValue(Vector2{v, v})
                                            : t.rows[i].type == V4
                                                ? PropertyValue(Vector4{v, v, v, v})
                                                : PropertyValue(v);
                ASSERT_TRUE(e->setValue(int(i), value));
                EXPECT_EQ(e->render({0, 0, 8, 8}).region, (RectL{0, 0, 8, 8})) << t.display;
            }
}
