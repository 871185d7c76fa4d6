// The GDI+ flat API headers, included the one way they build here: they want what
// WIN32_LEAN_AND_MEAN leaves out (PROPID, IStream) and the min/max that NOMINMAX switches off.
#pragma once

#include <windows.h>

#include <objidl.h>
#include <propidl.h>

#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>
