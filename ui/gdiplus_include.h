// GDI+'s C++ wrapper headers use min and max unqualified and need the COM stream interfaces,
// both of which the project's lean Windows headers leave out.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <algorithm>

namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus

#include <gdiplus.h>
