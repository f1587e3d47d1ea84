// Wide/narrow decisions of the two-width symbologies (Code 39, Codabar,
// Interleaved 2 of 5). Each element of a character is judged against the
// other elements of its kind (bars against bars, spaces against spaces) by
// the symbology's own IsWider, and written as module marks: "1" or "11" for
// a narrow or wide bar, "0" or "00" for a narrow or wide space.
#pragma once

#include "symbologies/laser_record.h"

#include <string_view>

// The marks of the N elements from c[0] (a bar) into marks, which has room
// for 2N. Empty when an element is more than maxRatio times another of its
// kind: wider than any wide element may be, it is a blot or a quiet zone,
// not an element, even where the pattern would still match.
template <int N, class IsWider>
std::string_view ModuleMarks(const Element* c, double maxRatio, IsWider isWider,
                             char (&marks)[2 * N]) {
    int length = 0;
    for (int i = 0; i < N; ++i) {
        bool wide = false;
        for (int j = i % 2; j < N; j += 2) {
            if (j == i) continue;
            if (c[i].width > maxRatio * c[j].width) return {};
            if (isWider(c[i].width, c[j].width)) wide = true;
        }
        char mark = i % 2 == 0 ? '1' : '0';
        marks[length++] = mark;
        if (wide) marks[length++] = mark;
    }
    return {marks, std::size_t(length)};
}
