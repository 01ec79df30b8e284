// Paths of files in the source tree, usable natively and under Wine.
#pragma once

#include <string>

std::string SourcePath(const std::string& relative);
// Device path of COM<n> as the program forms it: "\\.\COM<n>".
std::string ComPath(int portNumber);
