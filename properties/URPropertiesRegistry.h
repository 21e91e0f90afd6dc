#pragma once
// Installs the creators of the property groups of the properties library and the defaults
// they give a new project. Called once by the program's start-up (and by tests).

void RegisterPropertiesPropertyGroups();
