#pragma once
// One place that includes GDI+ the way every compiler accepts it.
// The build defines NOMINMAX and WIN32_LEAN_AND_MEAN, but the platform's GDI+ headers expect
// unqualified min/max and the COM stream types, so both are supplied before <gdiplus.h>.
#include <windows.h>
#include <objidl.h>

#include <algorithm>

namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus

#include <gdiplus.h>
