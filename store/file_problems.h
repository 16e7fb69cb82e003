#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

namespace arrange5 {

// Why `file` could not be written or read, in words a user can act on: it is a folder, the
// folder it should be in does not exist, there is no permission, the disk is read-only or
// full. Other errors are named by the system's own words, in parentheses after a Chinese
// phrase. `error` is an errno value, read before anything else could reset it.
std::string describeFileProblem(const std::filesystem::path& file, int error);
std::string describeFileProblem(const std::filesystem::path& file, const std::error_code& ec);

// What `file` is when it is not a regular file a command can read: "是一个文件夹", "是一个
// 管道（FIFO）", "不存在", ...; empty for a regular file.
std::string describeNotARegularFile(const std::filesystem::path& file);

// The largest history text file read into memory. A history of a million draws is about
// 15 MB; anything larger is refused before reading.
inline constexpr std::uintmax_t kMaxHistoryFileBytes = 64u * 1024u * 1024u;

}  // namespace arrange5
