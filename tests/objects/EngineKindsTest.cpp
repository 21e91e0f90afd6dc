// RegisterEngineKinds installs the class of every group kind: each number makes its own class,
// the kinds without a class of their own make a plain group of their number.

#include "core/URPropMediaSpeed.h"
#include "core/URPropProjectSize.h"
#include "core/URPropTransition.h"
#include "graphics/URPropBlur.h"
#include "graphics/URPropChromaKey.h"
#include "graphics/URPropColorAdjust.h"
#include "graphics/URPropEffect.h"
#include "graphics/URPropFlipOpacity.h"
#include "graphics/URPropReflection.h"
#include "graphics/URPropShadow.h"
#include "graphics/URPropZoomAndPan.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropAudio.h"
#include "objects/URPropAudioTTS.h"
#include "objects/URPropBackgroundBorder.h"
#include "objects/URPropBackgroundFill.h"
#include "objects/URPropCaption.h"
#include "objects/URPropClosedCaptioning.h"
#include "objects/URPropCursor.h"
#include "objects/URPropDrawing.h"
#include "objects/URPropInteractivity.h"
#include "objects/URPropKeystroke.h"
#include "objects/URPropMask.h"
#include "objects/URPropMultiSelect.h"
#include "objects/URPropPlacement.h"
#include "objects/URPropProgressBar.h"
#include "objects/URPropShape.h"
#include "objects/URPropSketch.h"
#include "objects/URPropText.h"
#include "objects/URPropTextAnimation.h"
#include "objects/URPropTextPath.h"
#include "objects/URPropVideoAction.h"
#include "objects/URPropZoomSource.h"

#include <gtest/gtest.h>
#include <typeindex>

namespace {

struct Kind {
    int number;
    std::type_index cls;
};

template <class T> Kind K(int number) {
    return {number, typeid(T)};
}

} // namespace

TEST(EngineKinds, EveryGroupNumberCreatesItsClass) {
    RegisterEngineKinds();
    const Kind kinds[] = {
        K<TRPropBase>(1), // name
        K<TRPropProjectSize>(2),
        K<TRPropBase>(3), // project background
        K<TRPropPlacement>(4),
        K<TRPropShape>(5),
        K<TRPropBackgroundFill>(6),
        K<TRPropBackgroundBorder>(7),
        K<TRPropShadow>(8),
        K<TRPropZoomAndPan>(9),
        K<TRPropColorAdjust>(10),
        K<TRPropTransitionIn>(11),
        K<TRPropTransitionOut>(12),
        K<TRPropMask>(13),
        K<TRPropChromaKey>(14),
        K<TRPropEffect>(15),
        K<TRPropFlipOpacity>(16),
        K<TRPropCursor>(17),
        K<TRPropAudio>(18),
        K<TRPropText>(19),
        K<TRPropSketch>(20),
        K<TRPropZoomSource>(21),
        K<TRPropTextPath>(22),
        K<TRPropTransitionObj>(23),
        K<TRPropAudioTTS>(24),
        K<TRPropTextAnimation>(25),
        K<TRPropInteractivity>(26),
        K<TRPropVideoAction>(27),
        K<TRPropMultiSelect>(28),
        K<TRPropBase>(29), // HTML marker
        K<TRPropAudioV>(30),
        K<TRPropKeystroke>(31),
        K<TRPropClosedCaptioning>(32),
        K<TRPropCaption>(33),
        K<TRPropProgressBar>(34),
        K<TRPropMediaSpeed>(35),
        K<TRPropReflection>(36),
        K<TRPropDrawing>(37),
        K<TRPropBlur>(38),
    };
    ASSERT_EQ(std::size(kinds), std::size_t(ptEnd - 1));
    for (const Kind& kind : kinds) {
        const auto type = static_cast<TRPropertyType>(kind.number);
        const std::unique_ptr<TRPropBase> group = CreatePropertyGroup(type);
        ASSERT_NE(group, nullptr) << kind.number;
        const TRPropBase& created = *group;
        EXPECT_EQ(std::type_index(typeid(created)), kind.cls) << kind.number;
        EXPECT_EQ(group->PropType(), type) << kind.number;
    }
}
