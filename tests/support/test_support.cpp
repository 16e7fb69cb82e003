#include "support/test_support.h"

#include <SQLiteCpp/Statement.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <stdexcept>

#include "acquire/replace_history.h"
#include "store/draw.h"

namespace arrange5::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = fs::temp_directory_path() / ("arrange5-test-" + std::to_string(rd()));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

void writeFile(const fs::path& file, const std::string& content) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string historyText(const std::vector<HistoryEntry>& entries) {
    std::string out;
    for (const auto& e : entries) out += formatHistoryLine(e.issue, e.digits) + "\r\n";
    return out;
}

std::vector<HistoryEntry> entriesFrom(int firstIssue, const std::vector<std::string>& draws) {
    std::vector<HistoryEntry> out;
    int issue = firstIssue;
    for (const auto& d : draws) {
        HistoryEntry e;
        e.issue = issue;
        for (int i = 0; i < 5; ++i) e.digits[i] = static_cast<int16_t>(d.at(i) - '0');
        out.push_back(e);
        issue = nextIssueForDisplay(issue);
    }
    return out;
}

std::vector<std::string> patternDraws(std::size_t count) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < count; ++i) {
        std::string d;
        for (int p = 0; p < 5; ++p) d += static_cast<char>('0' + (i * 7 + p * 3) % 10);
        out.push_back(d);
    }
    return out;
}

std::vector<std::string> drawLines(const std::vector<HistoryEntry>& entries) {
    std::vector<std::string> out;
    out.reserve(entries.size());
    for (const auto& e : entries) out.push_back(formatHistoryLine(e.issue, e.digits));
    return out;
}

std::vector<std::string> dumpLishi(SQLite::Database& db) {
    std::vector<std::string> rows;
    SQLite::Statement q(db, "SELECT * FROM Lishi ORDER BY SQQH");
    while (q.executeStep()) {
        std::string row;
        for (int c = 0; c < q.getColumnCount(); ++c) {
            row += q.getColumn(c).isNull() ? "<null>" : q.getColumn(c).getString();
            row += '|';
        }
        rows.push_back(row);
    }
    return rows;
}

void seedHistory(HistoryStore& store, const std::vector<HistoryEntry>& entries, LastTwoDraws& sp,
                 int segmentBase, const std::string& description, EarlierColumns earlier) {
    HistoryText text;
    text.entries = entries;
    // Written with the base asked for, whatever the store's context holds, which it keeps.
    WriterContext seeding;
    seeding.segmentBase = segmentBase;
    seeding.lastTwo = sp;
    WriterContext* const previous = store.setWriterContext(&seeding);
    try {
        replaceHistory(store, text, earlier, description);
    } catch (...) {
        store.setWriterContext(previous);
        throw;
    }
    store.setWriterContext(previous);
    sp = seeding.lastTwo;
}

void seedHistory(HistoryStore& store, const std::vector<HistoryEntry>& entries, int segmentBase) {
    LastTwoDraws sp;
    seedHistory(store, entries, sp, segmentBase);
}

void seedFolder(const fs::path& folder, const std::vector<HistoryEntry>& entries, int segmentBase) {
    HistoryStore store(folder);
    seedHistory(store, entries, segmentBase);
}

std::string sha256sumOf(const fs::path& file) {
    const std::string command = "sha256sum '" + file.string() + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) throw std::runtime_error("cannot run sha256sum");
    char hex[65] = {};
    if (std::fread(hex, 1, 64, pipe.get()) != 64) throw std::runtime_error("no sha256sum output");
    return hex;
}

fs::path realHistoryFile() {
    return ARRANGE5_REAL_HISTORY;
}
fs::path testDataFolder() {
    return ARRANGE5_TEST_DATA;
}

void emptyHistoryIn(const std::filesystem::path& folder) {
    const HistoryStore created(folder);
}

}  // namespace arrange5::test
