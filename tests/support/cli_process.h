#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace arrange5::test {

class TempDir;

struct CliResult {
    int status = -1;  // exit status, or -1 when killed by a signal
    std::string out;
    std::string err;
    long peakMemoryKb = 0;  // the child's largest resident set
};

// The most a command may hold whatever a source sends. AddressSanitizer's shadow memory and
// quarantine roughly triple a process's resident set, so an instrumented build gets that room.
#ifdef ARRANGE5_SANITIZED
inline constexpr long kMemoryBoundKb = 3 * 256 * 1024;
#else
inline constexpr long kMemoryBoundKb = 256 * 1024;
#endif

// Runs arrange5-cli with `args` (no shell involved), optionally as another user, and waits.
// Output goes through files in `scratch`.
CliResult runCliProcess(const std::vector<std::string>& args, const std::filesystem::path& scratch,
                        std::optional<uid_t> asUser = {});

// Runs arrange5-cli on the data folder `dir` as a user would from a shell; the output passes
// through files in that folder.
CliResult runCliOn(const TempDir& dir, const std::vector<std::string>& args);

// Starts arrange5-cli with its output thrown away; the caller waits for or kills it.
pid_t startCliProcess(const std::vector<std::string>& args);

// Waits for the child; its exit status, or -1 when a signal ended it.
int waitForProcess(pid_t pid, long* peakMemoryKb = nullptr);

}  // namespace arrange5::test
