#pragma once

#include <QTableView>
#include <array>
#include <cstddef>

namespace arrange5 {

// Grid widths are given in twips; 15 twips make one pixel.
inline int twipsToPixels(int twips) {
    return (twips + 7) / 15;
}

// Each grid's column widths in twips, column 0 first.
inline constexpr std::array<int, 6> kHistoryColumns = {1200, 620, 620, 620, 620, 620};
inline constexpr std::array<int, 7> kHitsColumns = {1200, 680, 680, 680, 680, 680, 1800};
inline constexpr std::array<int, 4> kTallyColumns = {480, 680, 800, 880};

template <std::size_t N>
void setColumnWidths(QTableView* grid, const std::array<int, N>& twips) {
    for (std::size_t k = 0; k < N; ++k) {
        grid->setColumnWidth(static_cast<int>(k), twipsToPixels(twips[k]));
    }
}

// The pixels the columns take side by side.
template <std::size_t N>
int columnsWidth(const std::array<int, N>& twips) {
    int pixels = 0;
    for (const int t : twips) pixels += twipsToPixels(t);
    return pixels;
}

}  // namespace arrange5
