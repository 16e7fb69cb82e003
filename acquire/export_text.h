#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "store/history_store.h"

namespace arrange5 {

// "更新至" + last issue + "期历史号码.txt" in the data folder.
std::filesystem::path defaultExportPath(const HistoryStore& store);

// The text the export writes for these rows, byte for byte.
std::string exportTextOf(const HistorySnapshot& rows);

// Writes every row of the reading cursor as a history text line (CR LF) and returns the
// file written. An empty history writes nothing and throws InputError.
std::filesystem::path exportHistoryText(const HistoryStore& store,
                                        const std::optional<std::filesystem::path>& file = {});

}  // namespace arrange5
