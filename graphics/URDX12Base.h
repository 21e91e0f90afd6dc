// The process-wide graphics objects through which the whole program draws: the 2-D factory
// (geometries, stroke styles, effect registry, desktop DPI), the image and text factories, and
// the one shared device context D2DContext. Created once by InitDX on the UI thread at start-up;
// every scene, object, timeline and effect drawing goes through D2DContext on that thread.
#pragma once

#include "platform/render/DeviceContext.h"
#include "platform/render/Factory.h"
#include "platform/render/ImageFactory.h"
#include "platform/render/TextFactory.h"

#include <cstdint>
#include <memory>

extern platform::render::FactoryPtr D2DFactory;
extern std::shared_ptr<platform::render::ImageFactory> WICFactory;
extern std::shared_ptr<platform::render::TextFactory> DWriteFactory;
extern platform::render::DeviceContextPtr D2DContext;

/// True when D2DFactory, WICFactory, DWriteFactory and D2DContext all exist.
extern bool DXReady;

/// How far InitDX got; 0 when every step succeeded. 1: the 2-D factory failed; 2: the image
/// factory failed; 3: the text factory failed; 7: the device context failed. The engine draws
/// on the CPU, so the graphics-device steps 4 to 6, 8 and 9 of the start-up codes never fail.
extern uint8_t DXInitStep;

/// Releases the device context and factories and creates them again (steps above). A failed
/// 2-D factory or text factory stops the chain; a failed image factory does not, but leaves
/// DXReady false. Run on the UI thread; may be run again.
void InitDX();
