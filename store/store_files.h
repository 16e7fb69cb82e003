#pragma once

#include <filesystem>

namespace arrange5 {

// Zembric.mdb of `folder` as the file that holds the history: a symbolic link is followed
// (so a compaction replaces the link's target, in the target's folder). A link whose target
// does not exist (an unmounted drive) throws StoreError naming the target; nothing is
// created in its place.
std::filesystem::path resolvedDatabaseFile(const std::filesystem::path& folder);

// Whether `candidate` is one of the files the store of `folder` keeps for itself: the
// database (and, for a link, its target), its log and shared-memory files, the writer lock,
// the compaction and creation scratch files and lsbf.txt. Paths are compared once resolved,
// so "./", ".." and links are caught.
bool isStoreOwnFile(const std::filesystem::path& folder, const std::filesystem::path& candidate);

// Whether Zembric.mdb exists in `folder` (a dangling link counts as existing: it is refused
// when opened, never replaced).
bool hasDatabaseFile(const std::filesystem::path& folder);

}  // namespace arrange5
