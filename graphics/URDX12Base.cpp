#include "graphics/URDX12Base.h"

#include "core/URScenePaint.h"

using namespace platform::render;

FactoryPtr D2DFactory;
std::shared_ptr<ImageFactory> WICFactory;
std::shared_ptr<TextFactory> DWriteFactory;
DeviceContextPtr D2DContext;
bool DXReady = false;
uint8_t DXInitStep = 0;

namespace {

// Steps 1 to 3; false when the chain must stop.
bool CreateFactories() {
    DXInitStep = 1;
    D2DFactory = Factory::create();
    if (!D2DFactory)
        return false;
    WICFactory = ImageFactory::create();
    DXInitStep = 2;
    DWriteFactory = TextFactory::create();
    DXInitStep = 3;
    return DWriteFactory != nullptr;
}

// The device chain: only the shared context exists on the CPU engine.
void CreateDevices() {
    DXInitStep = 7;
    D2DContext = DeviceContext::create(D2DFactory);
    if (D2DContext)
        DXInitStep = 0;
}

} // namespace

void InitDX() {
    DXInitStep = 0;
    D2DContext.reset();
    D2DFactory.reset();
    if (CreateFactories())
        CreateDevices();
    DXReady = D2DFactory && WICFactory && DWriteFactory && D2DContext;
    // The core paints the project and its objects through the same context.
    SceneContextHook = [] { return D2DContext.get(); };
}
