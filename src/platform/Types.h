#pragma once
// Plain value types shared by the ports and the core.
#include <cstdint>
#include <string>
#include <vector>

// A registered message target (the stand-in for a window handle). 0 is none.
using WindowHandle = std::uint32_t;

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

using StringList = std::vector<std::string>;
