#pragma once

#include <string>
#include <vector>

#include "store/file_names.h"

namespace arrange5 {

inline constexpr const char* kDatabaseFileName = file_names::kDatabase;
inline constexpr const char* kCompactScratchFileName = file_names::kCompactScratch;

// Every column of Lishi in table order.
const std::vector<std::string>& lishiColumns();

// The statements that create Lishi and Carcu in an empty database.
std::string schemaSql();

// The statement that creates Carcu alone (the tally table; a history that lost it keeps
// its draws).
std::string carcuSql();

}  // namespace arrange5
