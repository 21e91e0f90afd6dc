#pragma once
// The kit's 26 ready-made filters.

// Registers every filter of the kit under its name, module by module in catalogue order:
// core, blur, colour effects, compositing, chains, generators, colour adjustments, stylize,
// sharpen. The program calls it once at start-up; names already registered keep their class.
void IKRegisterFilters();
