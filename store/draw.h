#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/next_issue.h"  // every user of the draw record also counts issues

namespace arrange5 {

using Digits = std::array<int16_t, 5>;
using CodeVector = std::array<int16_t, 5>;

// The four readings of a draw, indexed by code kind.
enum class CodeKind : int { Number = 0, BigSmall = 1, OddEven = 2, Segment = 3 };
inline constexpr int kCodeKindCount = 4;
using CodeVectors = std::array<CodeVector, kCodeKindCount>;

// Column suffixes by kind index; 4 and 5 name no column but are part of the table.
inline constexpr std::array<std::string_view, 6> kCodeSuffixes = {"A", "B", "E", "F", "G", "H"};

// How many distinct values a kind can take (segment values run 0..5 to cover both bases).
inline constexpr std::array<int, kCodeKindCount> kValueCounts = {10, 2, 2, 6};

bool isValidKind(int kind);
std::string_view kindSuffix(CodeKind kind);

// The column "L" + position + suffix (+ "S" or "P").
std::string codeColumn(int position, CodeKind kind, std::string_view lagLetter = {});

// The four code vectors of a draw under the given segment base (0 or 1).
CodeVectors deriveCodes(const Digits& draw, int segmentBase);

// "1X1 1X2 2X1 1X3 3X1 " for the values 1 2 1 3 1: count, "X", value, blank, per position.
std::string occurrenceString(const CodeVector& values);

// The five digits written together, leading zeros kept.
std::string digitString(const Digits& draw);

// Shown name of an outcome value in the tally: 大/小, 单/双, or the number.
std::string outcomeName(CodeKind kind, int value);

}  // namespace arrange5
