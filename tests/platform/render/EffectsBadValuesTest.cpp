// Property values no caller should pass (not a number, infinities, huge numbers, unknown enum
// values) leave every standard effect drawing something defined, never crashing.
#include "platform/render/StandardEffects.h"
#include "tests/platform/render/EffectsTestSupport.h"

#include <gtest/gtest.h>
#include <limits>

using namespace effectstest;
namespace fx = platform::render::effects;

namespace {

// `v` in every float of a value of the type of `like`.
PropertyValue filled(const PropertyValue& like, float v) {
    switch (typeOf(like)) {
    case PropertyType::Float:
        return v;
    case PropertyType::Vector2:
        return Vector2{v, v};
    case PropertyType::Vector3:
        return Vector3{v, v, v};
    case PropertyType::Vector4:
        return Vector4{v, v, v, v};
    case PropertyType::Matrix3x2:
        return Matrix3x2{v, v, v, v, v, v};
    case PropertyType::Matrix4x4: {
        Matrix4x4 m;
        m.m[0][0] = m.m[1][1] = m.m[3][0] = m.m[2][3] = v;
        return m;
    }
    case PropertyType::Enum:
        return uint32_t(0xffffffffu);
    }
    return like;
}

} // namespace

TEST(EffectsBadValues, EveryPropertyOfEveryStandardEffect) {
    const FactoryPtr f = Factory::create();
    const BitmapPtr input = noiseBitmap(8, 8);
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity(), 1e30f, -1e30f};
    for (const EffectClass& cls : fx::standardClasses())
        for (size_t i = 0; i < cls.properties.size(); ++i)
            for (const float v : bad) {
                const EffectPtr e = f->createEffect(cls.id);
                for (int k = 0; k < e->inputCount(); ++k)
                    e->setInput(k, input);
                ASSERT_TRUE(e->setValue(int(i), filled(cls.properties[i].initial, v)));
                const ImageTile out = e->render({0, 0, 8, 8});
                EXPECT_EQ(out.region, (RectL{0, 0, 8, 8})) << cls.displayName.toStdString();
            }
}
