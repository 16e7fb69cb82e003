#include "store/qt_ini.h"

#include <cstdint>
#include <optional>

#include "store/errors.h"

namespace arrange5 {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// One logical line: [start, start + length) of the text; `equals` the first '=' outside
// quotes, or none.
struct IniLine {
    std::size_t start = 0;
    std::size_t length = 0;
    std::optional<std::size_t> equals;
};

// The next logical line from `pos` as QSettings cuts it: leading blanks and blank lines are
// skipped, a line starting with ';' is a comment, a ';' outside quotes ends the line, a line
// break inside quotes or after a backslash does not.
std::optional<IniLine> nextLine(std::string_view text, std::size_t& pos) {
    IniLine line;
    bool inQuotes = false;
    line.start = pos;
    while (line.start < text.size() && isSpace(text[line.start])) ++line.start;
    std::size_t i = line.start;
    while (i < text.size()) {
        const char c = text[i++];
        if (c == '=') {
            if (!inQuotes && !line.equals) line.equals = i - 1;
        } else if (c == '\n' || c == '\r') {
            if (i == line.start + 1) {
                ++line.start;
            } else if (!inQuotes) {
                --i;
                break;
            }
        } else if (c == '\\') {
            if (i < text.size()) {
                const char escaped = text[i++];
                if (i < text.size()) {
                    const char after = text[i];
                    if ((escaped == '\n' && after == '\r') || (escaped == '\r' && after == '\n')) {
                        ++i;
                    }
                }
            }
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (c == ';') {
            if (i == line.start + 1) {
                while (i < text.size() && text[i] != '\n' && text[i] != '\r') ++i;
                while (i < text.size() && isSpace(text[i])) ++i;
                line.start = i;
                line.equals.reset();
            } else if (!inQuotes) {
                --i;
                break;
            }
        }
    }
    pos = i;
    line.length = i - line.start;
    if (line.length == 0) return std::nullopt;
    return line;
}

void appendUtf8(std::string& out, uint16_t unit) {
    const uint32_t c = unit;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Blanks at the end of an unquoted value go, but not those an escape or quotes put there.
void chopTrailingBlanks(std::string& value, std::size_t limit) {
    while (value.size() > limit && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
}

struct Unescaped {
    std::string text;
    bool list = false;
};

// A value as QSettings unescapes it.
Unescaped unescapedValue(std::string_view raw) {
    static constexpr std::pair<char, char> kEscapes[] = {
        {'a', '\a'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'},  {'r', '\r'},  {'t', '\t'},
        {'v', '\v'}, {'"', '"'},  {'?', '?'},  {'\'', '\''}, {'\\', '\\'},
    };
    Unescaped out;
    bool inQuotes = false;
    bool quoted = false;
    std::size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < raw.size() && (raw[i] == ' ' || raw[i] == '\t')) ++i;
    };
    skipBlanks();
    std::size_t chopLimit = 0;
    while (i < raw.size()) {
        const char c = raw[i];
        if (c == '\\') {
            ++i;
            if (i >= raw.size()) break;
            const char e = raw[i++];
            bool known = false;
            for (const auto& [code, value] : kEscapes) {
                if (e == code) {
                    out.text += value;
                    known = true;
                }
            }
            if (!known && e == 'x') {
                uint16_t unit = 0;
                while (i < raw.size() && hexValue(raw[i]) >= 0) {
                    unit = static_cast<uint16_t>((unit << 4) + hexValue(raw[i++]));
                }
                if (i > 0 && hexValue(raw[i - 1]) >= 0) appendUtf8(out.text, unit);
            } else if (!known && e >= '0' && e <= '7') {
                uint16_t unit = static_cast<uint16_t>(e - '0');
                while (i < raw.size() && raw[i] >= '0' && raw[i] <= '7') {
                    unit = static_cast<uint16_t>((unit << 3) + (raw[i++] - '0'));
                }
                appendUtf8(out.text, unit);
            } else if (!known && (e == '\n' || e == '\r')) {
                if (i < raw.size() && (raw[i] == '\n' || raw[i] == '\r') && raw[i] != e) ++i;
            }
            // Any other escaped character is dropped, as QSettings drops it.
            chopLimit = out.text.size();
        } else if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes) {
                skipBlanks();
                chopLimit = out.text.size();
            }
        } else if (c == ',' && !inQuotes) {
            // A list: QSettings gives it as a QStringList, whose text is empty.
            out.list = true;
            ++i;
            skipBlanks();
        } else {
            std::size_t j = i + 1;
            while (j < raw.size() && raw[j] != '\\' && raw[j] != '"' && raw[j] != ',') ++j;
            out.text.append(raw.substr(i, j - i));
            i = j;
        }
    }
    if (!quoted) chopTrailingBlanks(out.text, chopLimit);
    if (out.list) out.text.clear();
    return out;
}

std::string trimmed(std::string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && isSpace(text[first])) ++first;
    while (last > first && isSpace(text[last - 1])) --last;
    return std::string(text.substr(first, last - first));
}

std::size_t lineNumberAt(std::string_view text, std::size_t pos) {
    std::size_t line = 1;
    for (std::size_t i = 0; i < pos && i < text.size(); ++i) {
        if (text[i] == '\n') ++line;
    }
    return line;
}

}  // namespace

std::map<std::string, std::string> readQtIniSection(std::string_view text, std::string_view section,
                                                    const std::string& name) {
    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    std::size_t pos = text.substr(0, 3) == kByteOrderMark ? 3 : 0;
    const auto refuse = [&](std::size_t at, const std::string& why) {
        return SettingsFileError(
            "设置文件 " + name + " 第 " + std::to_string(lineNumberAt(text, at)) + " 行" + why +
            "，命令行无法按窗口的读法读取；请在窗口中改一次设置，或改正这一行");
    };
    std::map<std::string, std::string> values;
    bool inSection = false;
    while (const auto line = nextLine(text, pos)) {
        const std::string_view body = text.substr(line->start, line->length);
        if (body.front() == '[') {
            const auto close = body.find(']');
            const std::string title = trimmed(
                close == std::string_view::npos ? body.substr(1) : body.substr(1, close - 1));
            // Qt decodes %XX and '\' in a section's name; none of the window's names has them.
            if (title.find_first_of("%\\") != std::string::npos) {
                throw refuse(line->start, "的节名含有转义（% 或 \\）");
            }
            inSection = title == section;
            continue;
        }
        if (!inSection || !line->equals) continue;
        const std::size_t equals = *line->equals - line->start;
        const std::string key = trimmed(body.substr(0, equals));
        if (key.find_first_of("%\\") != std::string::npos) {
            throw refuse(line->start, "的键名含有转义（% 或 \\）");
        }
        Unescaped value = unescapedValue(body.substr(equals + 1));
        if (!value.list && value.text.starts_with('@')) {
            if (value.text.starts_with("@@")) {
                value.text.erase(0, 1);
            } else if (value.text.starts_with("@String(") && value.text.ends_with(')')) {
                value.text = value.text.substr(8, value.text.size() - 9);
            } else if (value.text.ends_with(')')) {
                // Values of other types, which the window would not read as this text.
                for (const char* typed : {"@ByteArray(", "@Variant(", "@DateTime(", "@Rect(",
                                          "@Size(", "@Point(", "@Invalid("}) {
                    if (value.text.starts_with(typed)) {
                        throw refuse(line->start, std::string("的值是 ") + typed + "…) 形式");
                    }
                }
            }
        }
        values[key] = std::move(value.text);
    }
    return values;
}

}  // namespace arrange5
