#pragma once

#include <windows.h>

#include <cstdio>
#include <iostream>
#include <string>

// Asks the calling script for a screenshot of the rectangle that holds the
// windows given ("SNAP name x y width height") and waits until it is taken.
inline void Snap(const char* name, HWND window, HWND alsoWindow = nullptr) {
    RECT r = {}, other = {};
    GetWindowRect(window, &r);
    if (alsoWindow != nullptr && GetWindowRect(alsoWindow, &other)) {
        UnionRect(&r, &r, &other);
    }
    std::printf("SNAP %s %ld %ld %ld %ld\n", name, r.left, r.top, r.right - r.left,
                r.bottom - r.top);
    std::fflush(stdout);
    std::string answer;
    std::getline(std::cin, answer);
}
