#include "process.h"

#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

extern char **environ;

static double Now()
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

static void Check(bool ok, const char *what)
{
    if (!ok)
        throw std::runtime_error(std::string(what) + ": " + strerror(errno));
}

// Opens a pseudo-terminal pair in raw mode, so bytes pass unchanged.
static void OpenTerminal(int *master, int *slave)
{
    *master = posix_openpt(O_RDWR | O_NOCTTY);
    Check(*master >= 0 && grantpt(*master) == 0 && unlockpt(*master) == 0, "posix_openpt");
    *slave = open(ptsname(*master), O_RDWR | O_NOCTTY);
    Check(*slave >= 0, "open pty");
    struct termios mode;
    Check(tcgetattr(*slave, &mode) == 0, "tcgetattr");
    cfmakeraw(&mode);
    Check(tcsetattr(*slave, TCSANOW, &mode) == 0, "tcsetattr");
}

ProcessResult RunProcess(const ProcessSpec &spec)
{
    int outPipe[2] = {-1, -1};
    int errPipe[2];
    int terminal = -1;
    int childOut = -1;
    Check(pipe(errPipe) == 0, "pipe");
    switch (spec.stdoutTarget) {
    case StdoutTarget::kPipe:
    case StdoutTarget::kClosedPipe:
        Check(pipe(outPipe) == 0, "pipe");
        childOut = outPipe[1];
        if (spec.stdoutTarget == StdoutTarget::kClosedPipe) {
            close(outPipe[0]);
            outPipe[0] = -1;
        }
        break;
    case StdoutTarget::kDevFull:
        childOut = open("/dev/full", O_WRONLY);
        Check(childOut >= 0, "open /dev/full");
        break;
    case StdoutTarget::kClosed:
        break;
    case StdoutTarget::kTerminal:
        OpenTerminal(&terminal, &childOut);
        break;
    }

    // Ours, with the caller's settings in place of any of the same name; a
    // later setting wins over an earlier one.
    std::vector<std::string> environment;
    for (char **entry = environ; *entry != nullptr; ++entry)
        environment.push_back(*entry);
    for (const auto &setting : spec.environment) {
        std::string prefix = setting.first + "=";
        for (auto entry = environment.begin(); entry != environment.end();) {
            entry = entry->compare(0, prefix.size(), prefix) == 0 ? environment.erase(entry) : entry + 1;
        }
        environment.push_back(prefix + setting.second);
    }
    std::vector<char *> envp;
    for (std::string &entry : environment)
        envp.push_back(&entry[0]);
    envp.push_back(nullptr);
    std::vector<std::string> arguments = spec.argv;
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(&argument[0]);
    argv.push_back(nullptr);

    double start = Now();
    pid_t child = fork();
    Check(child >= 0, "fork");
    if (child == 0) {
        if (spec.stdoutTarget == StdoutTarget::kTerminal)
            setsid();
        int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        if (childOut >= 0)
            dup2(childOut, 1);
        else
            close(1);
        if (spec.stderrToStdout && childOut >= 0)
            dup2(childOut, 2);
        else
            dup2(errPipe[1], 2);
        // Only 0, 1 and 2 reach the program.
        for (int fd = 3; fd < 1024; ++fd)
            close(fd);
        signal(SIGPIPE, SIG_DFL);
        if (!spec.workingDirectory.empty() && chdir(spec.workingDirectory.c_str()) != 0)
            _exit(126);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    if (childOut >= 0)
        close(childOut);
    close(errPipe[1]);

    ProcessResult result;
    struct pollfd watched[3];
    std::string *sinks[3];
    int count = 0;
    if (outPipe[0] >= 0) {
        watched[count] = {outPipe[0], POLLIN, 0};
        sinks[count++] = &result.out;
    }
    watched[count] = {errPipe[0], POLLIN, 0};
    sinks[count++] = &result.err;
    if (terminal >= 0) {
        watched[count] = {terminal, POLLIN, 0};
        sinks[count++] = &result.out;
    }
    int reading = count;
    bool exited = false;
    int status = 0;
    while (reading > 0) {
        // A terminal never reports end of file while we hold it, so stop
        // reading it once the child has gone and nothing more is waiting.
        int ready = poll(watched, static_cast<nfds_t>(count), exited ? 0 : 50);
        if (ready < 0 && errno == EINTR)
            continue;
        if (!exited && waitpid(child, &status, WNOHANG) == child)
            exited = true;
        if (ready == 0 && exited)
            break;
        for (int i = 0; i < count; ++i) {
            if (watched[i].fd < 0 || watched[i].revents == 0)
                continue;
            char buffer[65536];
            ssize_t got = read(watched[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(got));
                if (watched[i].fd == terminal)
                    result.arrivals.push_back({Now() - start, std::string(buffer, static_cast<size_t>(got))});
            } else if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) {
                close(watched[i].fd);
                watched[i].fd = -1;
                --reading;
            }
        }
    }
    for (int i = 0; i < count; ++i) {
        if (watched[i].fd >= 0)
            close(watched[i].fd);
    }
    if (!exited)
        waitpid(child, &status, 0);
    result.seconds = Now() - start;
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
    return result;
}

std::string ReadFileBytes(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void WriteFileBytes(const std::string &path, const std::string &bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
    Check(static_cast<bool>(file), "write file");
}

bool FileExists(const std::string &path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

static std::vector<std::string> temporaryFolders;

static int RemoveEntry(const char *path, const struct stat *, int, struct FTW *)
{
    return remove(path);
}

static void RemoveTemporaryFolders()
{
    for (const std::string &folder : temporaryFolders)
        nftw(folder.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string MakeTempDirectory()
{
    const char *base = getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/zelk-test-XXXXXX";
    Check(mkdtemp(&pattern[0]) != nullptr, "mkdtemp");
    if (temporaryFolders.empty())
        atexit(RemoveTemporaryFolders);
    temporaryFolders.push_back(pattern);
    return pattern;
}
