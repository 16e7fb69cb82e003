#include "support/cli_process.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
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

int waitForProcess(pid_t pid, long* peakMemoryKb) {
    int raw = 0;
    struct rusage usage {};
    while (::wait4(pid, &raw, 0, &usage) < 0) {
        if (errno != EINTR) return -1;
    }
    if (peakMemoryKb) *peakMemoryKb = usage.ru_maxrss;
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
        // The user's own settings file never reaches a test; a test that wants one sets
        // XDG_CONFIG_HOME itself.
        if (!::getenv("XDG_CONFIG_HOME")) {
            ::setenv("XDG_CONFIG_HOME", (scratch / "no-settings").c_str(), 1);
        }
        execCli(args);
    }
    CliResult result;
    result.status = waitForProcess(pid, &result.peakMemoryKb);
    result.out = readFile(out);
    result.err = readFile(err);
    std::error_code ec;
    fs::remove(out, ec);
    fs::remove(err, ec);
    return result;
}

CliResult runCliOn(const TempDir& dir, const std::vector<std::string>& args) {
    std::vector<std::string> all{"--dir", dir.path().string()};
    all.insert(all.end(), args.begin(), args.end());
    return runCliProcess(all, dir.path());
}

pid_t startCliProcess(const std::vector<std::string>& args) {
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        redirect(STDOUT_FILENO, "/dev/null");
        redirect(STDERR_FILENO, "/dev/null");
        if (!::getenv("XDG_CONFIG_HOME")) ::setenv("XDG_CONFIG_HOME", "/nonexistent", 1);
        execCli(args);
    }
    return pid;
}

}  // namespace arrange5::test
