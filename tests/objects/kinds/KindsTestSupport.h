// What the tests of the drawable kinds share: the drawing objects with every kind registered,
// a project in a folder of its own, pictures of known pixels and pixel look-ups.
#pragma once

#include "core/URProject.h"
#include "core/URScenePaint.h"
#include "graphics/URDX12Base.h"
#include "graphics/URPropShadow.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropPlacement.h"
#include "objects/kinds/URKindsRegistry.h"
#include "platform/render/Bitmap.h"
#include "tests/objects/SceneTestContext.h"
#include "tests/support/ScenePlaying.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

class KindsTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterEngineKinds();
        RegisterDrawableKinds();
        scene_ = std::make_unique<SceneTestContext>();
        project_ = std::make_unique<TRProject>();
        project_->TempFolder = folder_.path() + QLatin1Char('/');
    }
    void TearDown() override {
        SetScenePlaying(false);
        project_.reset();
        scene_.reset();
    }

    template <class Kind> std::unique_ptr<Kind> Make(TRObjectType type) {
        auto object = std::make_unique<Kind>(project_.get(), type);
        object->SetTimeEnd(3000);
        return object;
    }

    // The current keyframe's own group (what the inspector edits).
    template <class Group> static Group* Own(TRObject& object, TRPropertyType type) {
        return object.Get<Group>(type, true);
    }

    static void Place(TRObject& object, QSizeF size, QPointF position = {}) {
        auto* p = Own<TRPropPlacement>(object, ptPlacement);
        p->FSize = size;
        p->FPosition = position;
    }

    // Writes `image` into the project's folder as `name` and returns the name.
    QString Store(const QImage& image, const QString& name) {
        EXPECT_TRUE(image.save(project_->TempFolder + name));
        return name;
    }

    QTemporaryDir folder_;
    std::unique_ptr<SceneTestContext> scene_;
    std::unique_ptr<TRProject> project_;
};

// A picture whose colour is f(x, y) (an ARGB value), opaque unless f says otherwise.
inline QImage Picture(int width, int height, const std::function<QRgb(int, int)>& f) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, f(x, y));
    return image;
}

// A shadow without blur at full opacity, `offset` px away at `angle` degrees (-90: to the right of
// an upright object), in `color` (0x00BBGGRR).
inline void HardShadow(TRObject& object, TColor color, float offset, float angle) {
    auto* shadow = object.Get<TRPropShadow>(ptShadow, true);
    shadow->SetChecked(true);
    shadow->FColor = color;
    shadow->FOpacity = 1;
    shadow->FBlur = 0;
    shadow->FOffset = offset;
    shadow->FAngle = angle;
}

// The premultiplied pixel of a bitmap as 0xAARRGGBB.
inline uint32_t PixelOf(const platform::render::Bitmap& bitmap, int x, int y) {
    return bitmap.image().pixel(x, y);
}

inline ::testing::AssertionResult Near(uint32_t got, uint32_t want, int tolerance = 2) {
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(int((got >> shift) & 0xFF) - int((want >> shift) & 0xFF)) > tolerance)
            return ::testing::AssertionFailure() << std::hex << got << " is not near " << want;
    return ::testing::AssertionSuccess();
}

// The whole frame of `project` at `time` (PaintOnVideo), the size of the project.
inline QImage PaintProjectFrame(TRProject& project, std::int32_t time) {
    using namespace platform::render;
    std::int32_t w = 0, h = 0;
    project.GetProjectSize(w, h);
    const BitmapPtr target =
        Bitmap::create({std::uint32_t(w), std::uint32_t(h)},
                       {AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
    const Matrix3x2 centre = Matrix3x2::translation(float(w) / 2, float(h) / 2);
    D2DContext->setTarget(target);
    D2DContext->setTransform(centre);
    D2DContext->beginDraw();
    project.PaintOnVideo(time, 0);
    EXPECT_EQ(D2DContext->transform(), centre);
    EXPECT_TRUE(D2DContext->endDraw());
    D2DContext->setTarget(nullptr);
    return target->image();
}
