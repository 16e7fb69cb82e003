#pragma once

#include <array>
#include <string>

#include "store/draw.h"
#include "store/history_row.h"

namespace arrange5 {

// The digit string and the four occurrence strings of one draw; all empty for "no draw".
struct DrawStrings {
    std::string digits;
    std::array<std::string, kCodeKindCount> occurrences;

    bool empty() const { return digits.empty(); }
    static DrawStrings of(const CodeVectors& codes);
};

// The S and P state: codes of the last and the second-last draw appended since start-up.
// It belongs to whoever runs the program (the window, one CLI invocation) and is never
// loaded from the table.
struct LastTwoDraws {
    CodeVectors s{};
    CodeVectors p{};
};

// What Append draw needs: the S/P state (borrowed, advanced by every append) and the
// previous-draw strings (primed by each writer before its first append).
struct AppendState {
    LastTwoDraws sp;
    DrawStrings previous;

    // Previous-draw strings from the snapshot's last row, or empty for an empty history.
    void primeFrom(const HistorySnapshot& rows);
};

}  // namespace arrange5
