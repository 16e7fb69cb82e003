#include "store/append_state.h"

namespace arrange5 {

DrawStrings DrawStrings::of(const CodeVectors& codes) {
    DrawStrings out;
    out.digits = digitString(codes[0]);
    for (int k = 0; k < kCodeKindCount; ++k) out.occurrences[k] = occurrenceString(codes[k]);
    return out;
}

void AppendState::primeFrom(const HistorySnapshot& rows) {
    previous = rows.empty() ? DrawStrings{} : DrawStrings::of(rows.back().codes);
}

}  // namespace arrange5
