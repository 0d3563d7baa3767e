#pragma once

#include <string>
#include <vector>

// Where the program looks for one of its modules: beside itself (the build tree), then where
// the package installs it.
std::vector<std::string> ModulePaths(const char* fileName);
