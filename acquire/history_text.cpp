#include "acquire/history_text.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "store/errors.h"
#include "store/file_problems.h"

namespace arrange5 {

namespace fs = std::filesystem;

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

}  // namespace

std::string_view describe(LineProblem problem) {
    switch (problem) {
        case LineProblem::None:
            return "正常";
        case LineProblem::NotADrawLine:
            return "不是开奖号码行";
        case LineProblem::BadDigitField:
            return "号码不是五个数字";
        case LineProblem::IssueZero:
            return "期号为 0";
        case LineProblem::NotAscending:
            return "期号重复或顺序颠倒";
        case LineProblem::BlankLine:
            return "空行";
    }
    return "?";
}

ParsedLine parseHistoryLine(std::string_view line) {
    ParsedLine out;
    if (line.size() <= 10) {
        out.problem = LineProblem::NotADrawLine;
        return out;
    }
    int32_t issue = 0;
    for (int i = 0; i < 7; ++i) {
        if (!isDigit(line[i])) {
            out.problem = LineProblem::NotADrawLine;
            return out;
        }
        issue = issue * 10 + (line[i] - '0');
    }
    const std::string_view field = trimBlanks(line.substr(8, 8));
    if (field.size() != 5) {
        out.problem = LineProblem::BadDigitField;
        return out;
    }
    for (int i = 0; i < 5; ++i) {
        if (!isDigit(field[i])) {
            out.problem = LineProblem::BadDigitField;
            return out;
        }
        out.entry.digits[i] = static_cast<int16_t>(field[i] - '0');
    }
    if (issue <= 0) {
        out.problem = LineProblem::IssueZero;
        return out;
    }
    out.entry.issue = issue;
    return out;
}

std::string formatHistoryLine(int32_t issue, const Digits& digits) {
    // Seven columns always, so a small issue number still reads back from columns 1-7.
    char issueText[16];
    std::snprintf(issueText, sizeof issueText, "%07d", static_cast<int>(issue));
    return std::string(issueText) + " " + digitString(digits);
}

HistoryText parseHistoryText(std::string_view text, LineTrim trim) {
    HistoryText out;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    auto skip = [&out](std::size_t lineNumber, LineProblem problem) {
        ++out.skippedCount;
        if (out.firstSkipped.size() < HistoryText::kReportedSkips) {
            out.firstSkipped.push_back({lineNumber, problem});
        }
        out.everySkipped.push_back({lineNumber, problem});
    };
    std::size_t lineNumber = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        ++lineNumber;
        if (end == text.size()) {
            pos = end;
        } else if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') {
            pos = end + 2;
        } else {
            pos = end + 1;
        }
        // A blank line between draws is a line the file does not use, so it is counted with
        // the others (a final line end starts no line).
        if (trimBlanks(line).empty()) {
            skip(lineNumber, LineProblem::BlankLine);
            continue;
        }
        if (trim == LineTrim::Trimmed) line = trimBlanks(line);
        ParsedLine parsed = parseHistoryLine(line);
        if (parsed.problem == LineProblem::None && !out.entries.empty() &&
            parsed.entry.issue <= out.entries.back().issue) {
            parsed.problem = LineProblem::NotAscending;
        }
        if (parsed.problem != LineProblem::None) {
            skip(lineNumber, parsed.problem);
            continue;
        }
        out.entries.push_back(parsed.entry);
    }
    return out;
}

HistoryText readHistoryFile(const fs::path& file, LineTrim trim) {
    const std::string notFile = describeNotARegularFile(file);
    if (!notFile.empty()) {
        throw HistoryFileError("无法读取 " + file.string() + "：" + notFile + "，历史号码没有改变");
    }
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    if (!ec && size > kMaxHistoryFileBytes) {
        throw HistoryFileError(
            "没有读取 " + file.string() + "：文件有 " + std::to_string(size / (1024 * 1024)) +
            " MB，超过历史号码文件的上限 " + std::to_string(kMaxHistoryFileBytes / (1024 * 1024)) +
            " MB（一百万期约 15 MB），历史号码没有改变");
    }
    errno = 0;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        const int error = errno;
        throw HistoryFileError("无法打开 " + file.string() + "：" +
                               describeFileProblem(file, error) + "，历史号码没有改变");
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) throw HistoryFileError("无法读取 " + file.string() + "，历史号码没有改变");
    return parseHistoryText(buffer.str(), trim);
}

std::string describeSkipped(const HistoryText& text) {
    return describeSkipped(text.skippedCount, text.firstSkipped, HistoryText::kReportedSkips);
}

std::string describeSkipped(std::size_t count, const std::vector<SkippedLine>& lines,
                            std::size_t named) {
    if (count == 0) return {};
    std::string out = "跳过 " + std::to_string(count) + " 行（";
    const std::size_t shown = std::min(named, lines.size());
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0) out += "；";
        out += describeSkippedLine(lines[i]);
    }
    if (count > shown) out += "；……";
    out += "）";
    return out;
}

std::string describeSkippedLine(const SkippedLine& line) {
    return "第 " + std::to_string(line.lineNumber) + " 行：" + std::string(describe(line.problem));
}

std::string historyTextOf(const std::vector<HistoryEntry>& entries) {
    std::string text;
    text.reserve(entries.size() * 15);
    for (const auto& e : entries) {
        text += formatHistoryLine(e.issue, e.digits);
        text += "\r\n";
    }
    return text;
}

namespace {

// What is at `file` when it is something a rename would replace by a plain file (a link, a
// pipe, a device, a socket, a folder); empty when nothing is there or a regular file is.
std::string notAFileToReplace(const fs::path& file) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(file, ec);
    switch (status.type()) {
        case fs::file_type::not_found:
        case fs::file_type::regular:
            return {};
        case fs::file_type::symlink:
            return "这是一个符号链接，不是普通文件";
        default: {
            const std::string what = describeNotARegularFile(file);
            return what.empty() ? "这不是一个普通文件" : what;
        }
    }
}

// Creates the scratch file anew, never through a link or onto a pipe left at its name. A
// regular file left by a write that died is taken away first.
int createScratch(const fs::path& file, const fs::path& temp) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd =
            ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0) return fd;
        const int error = errno;
        if (error != EEXIST || attempt > 0 || !notAFileToReplace(temp).empty()) {
            throw HistoryFileError(
                "无法写入 " + file.string() + "：临时文件 " + temp.string() + " " +
                (error == EEXIST ? notAFileToReplace(temp) : describeFileProblem(temp, error)));
        }
        std::error_code ec;
        fs::remove(temp, ec);
    }
    throw HistoryFileError("无法写入 " + file.string() + "：临时文件 " + temp.string() +
                           " 已经存在");
}

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

void writeHistoryFile(const fs::path& file, const std::vector<HistoryEntry>& entries) {
    // The text goes to a scratch name and is renamed over the file, so a failure never leaves
    // half a file. A rename replaces whatever has the name, so only a regular file (or a new
    // name) is written: a link, a pipe or a device keeps what it is.
    if (const std::string what = notAFileToReplace(file); !what.empty()) {
        throw HistoryFileError("无法写入 " + file.string() + "：" + what +
                               "，没有写入也没有替换它；请换一个文件名");
    }
    const fs::path temp = fs::path(file.string() + ".part");
    std::error_code ec;
    const int fd = createScratch(file, temp);
    errno = 0;
    const bool written = writeAll(fd, historyTextOf(entries));
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    const int error = written ? errno : writeError;
    if (!written || !closed) {
        fs::remove(temp, ec);
        throw HistoryFileError("无法写入 " + file.string() + "：" +
                               describeFileProblem(temp, error == 0 ? ENOSPC : error));
    }
    fs::rename(temp, file, ec);
    if (ec) {
        const std::string why = describeFileProblem(file, ec);  // before remove() resets ec
        fs::remove(temp, ec);
        throw HistoryFileError("无法写入 " + file.string() + "：" + why);
    }
}

}  // namespace arrange5
