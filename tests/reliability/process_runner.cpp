#include "reliability/process_runner.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <random>
#include <stdexcept>

#include "support/test_support.h"

namespace arrange5::test {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void execCli(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    std::string program = ARRANGE5_CLI_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copy = args;
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
}

void redirect(int target, const fs::path& file) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0) ::_exit(126);
    ::dup2(fd, target);
    ::close(fd);
}

}  // namespace

int waitForProcess(pid_t pid) {
    int raw = 0;
    while (::waitpid(pid, &raw, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

CliResult runCliProcess(const std::vector<std::string>& args, const fs::path& scratch,
                        std::optional<uid_t> asUser) {
    const fs::path out = scratch / "cli.out";
    const fs::path err = scratch / "cli.err";
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        redirect(STDOUT_FILENO, out);
        redirect(STDERR_FILENO, err);
        if (asUser) {
            if (::setgid(*asUser) != 0 || ::setuid(*asUser) != 0) ::_exit(125);
        }
        execCli(args);
    }
    CliResult result;
    result.status = waitForProcess(pid);
    result.out = readFile(out);
    result.err = readFile(err);
    std::error_code ec;
    fs::remove(out, ec);
    fs::remove(err, ec);
    return result;
}

pid_t startCliProcess(const std::vector<std::string>& args) {
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        redirect(STDOUT_FILENO, "/dev/null");
        redirect(STDERR_FILENO, "/dev/null");
        execCli(args);
    }
    return pid;
}

std::vector<std::string> storedDraws(const fs::path& database) {
    SQLite::Database db(database.string(), SQLite::OPEN_READWRITE);
    SQLite::Statement q(db,
                        "SELECT printf('%07d %d%d%d%d%d', SQQH, L1A, L2A, L3A, L4A, L5A) "
                        "FROM Lishi ORDER BY SQQH");
    std::vector<std::string> out;
    while (q.executeStep()) out.push_back(q.getColumn(0).getString());
    return out;
}

std::string integrityCheck(const fs::path& database) {
    SQLite::Database db(database.string(), SQLite::OPEN_READWRITE);
    SQLite::Statement q(db, "PRAGMA integrity_check");
    return q.executeStep() ? q.getColumn(0).getString() : "no answer";
}

std::vector<std::string> drawLines(const std::vector<HistoryEntry>& entries) {
    std::vector<std::string> out;
    out.reserve(entries.size());
    for (const auto& e : entries) out.push_back(formatHistoryLine(e.issue, e.digits));
    return out;
}

std::vector<HistoryEntry> manyDraws(std::size_t count, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<HistoryEntry> out;
    out.reserve(count);
    int32_t issue = 1740001;
    for (std::size_t i = 0; i < count; ++i) {
        HistoryEntry e;
        e.issue = issue;
        for (auto& d : e.digits) d = static_cast<int16_t>(rng() % 10);
        out.push_back(e);
        issue = issue % 1000 == 358 ? (issue / 1000 + 1) * 1000 + 1 : issue + 1;
    }
    return out;
}

std::optional<uid_t> unprivilegedUser() {
    if (const passwd* pw = ::getpwnam("nobody")) return pw->pw_uid;
    return std::nullopt;
}

}  // namespace arrange5::test
