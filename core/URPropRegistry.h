#pragma once
// The group factory read back, so that a caller that replaces registrations for a while (a tool
// that knows only some groups, a test) can put them back as they were.

#include "core/URPropBase.h"

#include <array>

// Every registration by type (nullptr where none is); RestorePropertyGroups installs such a set.
using TRPropCreators = std::array<TRPropCreator, PropertyTypeCount>;
TRPropCreators SavePropertyGroups();
void RestorePropertyGroups(const TRPropCreators& creators);
