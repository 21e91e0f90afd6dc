#pragma once
// The range of every settings field whose value the program computes with: a record read from
// disk is damaged or hostile until checked.

#include "core/URSettings.h"

// Puts back the default of each field outside its range (durations, sizes, counts, choices,
// flags, rectangles, the temporary folder), so that nothing computed from the record
// overflows or divides by zero and no object ends before it starts.
void ValidateSettings(TSettingsRecord& settings);
