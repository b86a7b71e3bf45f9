#pragma once
// A rectangle as GoogleTest compares and prints it: left, top, right, bottom.
#include <windows.h>

#include <tuple>

namespace testsupport {

using Edges = std::tuple<LONG, LONG, LONG, LONG>;

inline Edges EdgesOf(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

} // namespace testsupport
