#pragma once

#include <string>
#include <vector>

#include "store/draw.h"

namespace arrange5 {

// The previous draw's occurrence string column of a kind: txtHisLstHm, …Dx, …Ds, …Duan.
std::string previousDrawColumn(CodeKind kind);

// The earlier draw's occurrence string column of a kind: txtHisPreLstHm, … (前期 mode).
std::string earlierDrawColumn(CodeKind kind);

// The five positions of a k-combination, in increasing order; the combinations come in
// lexicographic order ((1,2), (1,3), … for k = 2). None for k outside 1..5.
std::vector<std::vector<int>> positionCombinations(int k);

// Whether a code value can occur in a kind (number 0..9, big/small and odd/even 0..1,
// segment 0..5 to cover both segment bases).
bool valueInKindRange(CodeKind kind, int value);

}  // namespace arrange5
