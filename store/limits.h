#pragma once

// The ranges every front end and library checks its numbers against, written once.
namespace arrange5::limits {

// Years of history the online update keeps (setting txtYearsToKeep).
inline constexpr int kMinYearsToKeep = 2;
inline constexpr int kMaxYearsToKeep = 16;
inline constexpr int kDefaultYearsToKeep = 6;

// N of 前期 mode: how many draws back the reference lies.
inline constexpr int kMinEarlier = 1;
inline constexpr int kMaxEarlier = 9;

// The number of the segment that holds the digits 0 and 1: 0 (segments 0..4) or 1 (1..5).
inline constexpr int kSegmentBaseZero = 0;
inline constexpr int kSegmentBaseOne = 1;
inline constexpr bool validSegmentBase(int base) {
    return base == kSegmentBaseZero || base == kSegmentBaseOne;
}

// Positions of a draw, and the k of a combination search.
inline constexpr int kPositions = 5;

}  // namespace arrange5::limits
