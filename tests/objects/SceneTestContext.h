// The shared drawing objects of the program for one test: the factories, the device context
// with every custom effect registered, and the scene hook pointing at it; all released again
// when the scope ends, so no test leaves them behind.
#pragma once

#include "core/URScenePaint.h"
#include "graphics/URCustomEffects.h"
#include "graphics/URDX12Base.h"

#include <QColor>
#include <QImage>

class SceneTestContext {
public:
    SceneTestContext() {
        InitDX();
        for (const TRCustomEffectRegistration& r : CustomEffectRegistrations())
            r.registerEffect();
    }
    ~SceneTestContext() {
        SceneContextHook = nullptr;
        D2DContext.reset();
        DWriteFactory.reset();
        WICFactory.reset();
        D2DFactory.reset();
        DXReady = false;
    }
    SceneTestContext(const SceneTestContext&) = delete;
    SceneTestContext& operator=(const SceneTestContext&) = delete;
};

// A picture of one colour as a bitmap the engine can draw.
inline platform::render::BitmapPtr SolidPicture(int width, int height, QColor color) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return platform::render::Bitmap::fromImage(image);
}
