#pragma once
// Installs the creators of the property groups defined in the core library (project size,
// transition object and the effect-driving groups). Called once at start-up, beside
// RegisterObjectsPropertyGroups and RegisterPropertiesPropertyGroups.

void RegisterCorePropertyGroups();
