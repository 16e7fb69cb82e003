#include "store/draw.h"

#include <stdexcept>

namespace arrange5 {

bool isValidKind(int kind) {
    return kind >= 0 && kind < kCodeKindCount;
}

std::string_view kindSuffix(CodeKind kind) {
    return kCodeSuffixes.at(static_cast<int>(kind));
}

std::string codeColumn(int position, CodeKind kind, std::string_view lagLetter) {
    std::string name = "L";
    name += std::to_string(position);
    name += kindSuffix(kind);
    name += lagLetter;
    return name;
}

CodeVectors deriveCodes(const Digits& draw, int segmentBase) {
    CodeVectors codes{};
    for (int i = 0; i < 5; ++i) {
        const int16_t d = draw[i];
        codes[0][i] = d;
        codes[1][i] = d > 4 ? 1 : 0;
        codes[2][i] = static_cast<int16_t>(d % 2);
        codes[3][i] = static_cast<int16_t>(d / 2 + segmentBase);
    }
    return codes;
}

std::string occurrenceString(const CodeVector& values) {
    // Values beyond 0..9 never come from a derivation; counting them anyway keeps the
    // string well-formed instead of indexing outside a counter table.
    std::string out;
    out.reserve(20);
    for (int i = 0; i < 5; ++i) {
        int count = 0;
        for (int j = 0; j <= i; ++j) {
            if (values[j] == values[i]) ++count;
        }
        out += std::to_string(count);
        out += 'X';
        out += std::to_string(values[i]);
        out += ' ';
    }
    return out;
}

std::string digitString(const Digits& draw) {
    std::string out;
    out.reserve(5);
    for (int16_t d : draw) out += std::to_string(d);
    return out;
}

std::string outcomeName(CodeKind kind, int value) {
    if (kind == CodeKind::BigSmall && (value == 0 || value == 1)) return value ? "大" : "小";
    if (kind == CodeKind::OddEven && (value == 0 || value == 1)) return value ? "单" : "双";
    return std::to_string(value);
}

}  // namespace arrange5
