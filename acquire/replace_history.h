#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "acquire/history_text.h"
#include "store/append_state.h"
#include "store/history_store.h"
#include "store/progress.h"

namespace arrange5 {

struct ReplaceReport {
    std::size_t stored = 0;
    std::size_t skipped = 0;
    int32_t firstIssue = 0;
    int32_t lastIssue = 0;
    std::string skippedText;                // describeSkipped()
    std::vector<SkippedLine> skippedLines;  // every skipped line, in file order
    // Set when the change committed but a step after it failed (the compaction of a
    // deletion): the user is told, and the command still counts as done.
    std::string warning;

    // "已存入 7641 期（2004009 期至 2026174 期）" plus the skipped lines, for status lines.
    std::string summary() const;
    // The same naming only the first `named` skipped lines, for a line of limited width.
    std::string summary(std::size_t named) const;
};

enum class EarlierColumns { LeaveEmpty, FromDrawTwoBefore };

// Replaces the whole history by `text` in one transaction: every row is deleted and every
// entry appended with Append draw, starting without a previous draw, coded with the store's
// writer context, whose last two draws advance only when the transaction committed. A text without
// entries changes nothing and throws HistoryFileError.
// `kind` is what the viewers are told: a replacement, or the deletion a rebuild carries out.
ReplaceReport replaceHistory(HistoryStore& store, const HistoryText& text, EarlierColumns earlier,
                             const std::string& sourceName, const Progress& progress = {},
                             ChangeKind kind = ChangeKind::Replaced);

// Whether the name ends in "txt" in any letter case, as the import dialog requires.
bool hasTxtExtension(const std::filesystem::path& file);

// The import command: the history becomes the draws of a history text file.
ReplaceReport importHistoryFile(HistoryStore& store, const std::filesystem::path& file,
                                const Progress& progress = {});

}  // namespace arrange5
