#pragma once
// Installs the creators of every engine property group (those of the core, the effect groups of
// the graphics library and the groups of the objects library) and the defaults they give a new
// project. Called once by the program's start-up and by every test and probe that builds
// projects; calling it again changes nothing.

void RegisterEngineKinds();
