#pragma once
// For the screenshot programs (tests/*/screens.cpp), which tests/support/shots.sh drives: the folder they
// are given, a window saved from the screen as a bitmap file, and the marks of the scene protocol.
#include <windows.h>

#include <string>

namespace qs::test {

// The folder given as the program's one argument; empty, after a usage line naming `program`, when none
// was given.
std::string shotFolder(int argc, char** argv, const char* program);

// The window as the screen shows it, saved as <folder>\<name>.bmp (32 bits a pixel, bottom-up), and the
// name printed.
bool saveShot(HWND hwnd, const std::string& folder, const std::string& name);

// Scenes shot from outside: the program writes <folder>\ready-<scene> once the scene is on screen, the
// script writes <folder>\shot-<scene> once it has taken it.
void markSceneReady(const std::string& folder, const std::string& scene);
bool sceneShot(const std::string& folder, const std::string& scene);

}  // namespace qs::test
