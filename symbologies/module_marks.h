// Wide/narrow decisions of the two-width symbologies (Code 39, Codabar,
// Interleaved 2 of 5). Each element of a character is judged against the
// other elements of its kind (bars against bars, spaces against spaces) by
// the symbology's wide-to-narrow ratios, and written as module marks: "1"
// or "11" for a narrow or wide bar, "0" or "00" for a narrow or wide space.
// The character tables hold those marks and are checked here when compiled.
#pragma once

#include "symbologies/laser_record.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

// How much wider than a narrow element of its kind a wide one is.
struct WideNarrow {
    double minRatio; // a wide element is at least this many times a narrow one
    double maxRatio; // and at most this many; wider, it is a blot or a quiet zone

    constexpr bool IsWider(double a, double b) const {
        double ratio = a / b;
        return ratio >= minRatio && ratio <= maxRatio;
    }
};

// One character of a table: its module marks, bar first, and what it reads as.
struct MarkedCharacter {
    char pattern[13]; // "1"/"11" a narrow/wide bar, "0"/"00" a narrow/wide space
    char character;
};

// The marks of the N elements from c[0] (a bar) into marks, which has room
// for 2N. Empty when an element is more than maxRatio times another of its
// kind: wider than any wide element may be, it is a blot or a quiet zone,
// not an element, even where the pattern would still match.
template <int N>
std::string_view ModuleMarks(const Element* c, const WideNarrow& widths, char (&marks)[2 * N]) {
    int length = 0;
    for (int i = 0; i < N; ++i) {
        bool wide = false;
        for (int j = i % 2; j < N; j += 2) {
            if (j == i) continue;
            if (c[i].width > widths.maxRatio * c[j].width) return {};
            if (widths.IsWider(c[i].width, c[j].width)) wide = true;
        }
        char mark = i % 2 == 0 ? '1' : '0';
        marks[length++] = mark;
        if (wide) marks[length++] = mark;
    }
    return {marks, std::size_t(length)};
}

// The index of the table's record whose pattern the marks are, or -1.
template <class Table>
int RecordOf(std::string_view marks, const Table& table) {
    if (marks.empty()) return -1;
    for (std::size_t r = 0; r < table.size(); ++r)
        if (marks == table[r].pattern) return int(r);
    return -1;
}

// The index of the table's record whose pattern the N elements from c[0]
// (a bar) show, or -1 when they show none.
template <int N, class Table>
int ReadCharacter(const Element* c, const WideNarrow& widths, const Table& table) {
    char marks[2 * N];
    return RecordOf(ModuleMarks<N>(c, widths, marks), table);
}

// Read harder, the marks of the N elements from c[0] (a bar) judged against
// the elements of their kind in the window [from, to) of the run table
// around them (the character and its neighbours): an element is wide when
// it is wider than the midpoint between the narrowest and the widest of its
// kind there. A coarse picture draws a narrow element one pixel or two
// wide and a wide one four, so that within one character a narrow element
// can be twice another; the neighbours' wide elements tell them apart.
// Empty when a kind shows less than minRatio between its extremes (no wide
// element to judge by) or more than maxRatio.
template <int N>
std::string_view WindowMarks(const Element* c, const Element* from, const Element* to,
                             const WideNarrow& widths, char (&marks)[2 * N]) {
    double lo[2] = {1e300, 1e300}, hi[2] = {0, 0};
    for (const Element* k = from; k < to; ++k) {
        lo[k->isBar] = std::min(lo[k->isBar], k->width);
        hi[k->isBar] = std::max(hi[k->isBar], k->width);
    }
    for (int kind : {0, 1})
        if (hi[kind] < widths.minRatio * lo[kind] || hi[kind] > widths.maxRatio * lo[kind])
            return {};
    int length = 0;
    for (int i = 0; i < N; ++i) {
        const int kind = c[i].isBar ? 1 : 0;
        char mark = kind ? '1' : '0';
        marks[length++] = mark;
        if (c[i].width > (lo[kind] + hi[kind]) / 2) marks[length++] = mark;
    }
    return {marks, std::size_t(length)};
}

// Bar first, `elements` elements alternating, from minWide to maxWide of
// them two modules wide.
constexpr bool IsWellFormed(std::string_view pattern, int elements, int minWide, int maxWide) {
    int count = 0, wide = 0;
    for (std::size_t i = 0; i < pattern.size();) {
        char kind = count % 2 == 0 ? '1' : '0';
        if (pattern[i] != kind) return false;
        bool isWide = i + 1 < pattern.size() && pattern[i + 1] == kind;
        i += isWide ? 2 : 1;
        ++count;
        wide += isWide ? 1 : 0;
    }
    return count == elements && wide >= minWide && wide <= maxWide;
}

// No two records of the table share their marks or their character.
template <class Table>
constexpr bool IsDistinct(const Table& table) {
    for (std::size_t i = 0; i < table.size(); ++i)
        for (std::size_t j = i + 1; j < table.size(); ++j)
            if (std::string_view(table[i].pattern) == table[j].pattern ||
                table[i].character == table[j].character)
                return false;
    return true;
}
