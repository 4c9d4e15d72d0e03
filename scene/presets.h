#pragma once

// Preset scenes: NAME.toml files in the package's scenes folder, found relative
// to the program or module that runs this code, so that the build tree and an
// installed tree under any prefix both find theirs. RIPPLEMOOR_SCENES, where set,
// names a folder searched first.

#include <string>
#include <vector>

// The scenes folders that exist, in the order searched.
std::vector<std::string> presetFolders();

// Whether text can name a preset: non-empty, no '/', not ending in ".toml".
bool canNamePreset(const std::string& text);

// The preset's file, or an empty string where no folder holds it.
std::string findPreset(const std::string& name);
