#pragma once
// Registers the frames of the effect-driving groups and the transition groups.

void RegisterEffectGroupFrames();
