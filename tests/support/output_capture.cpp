#include "output_capture.h"

#include <stdio.h>
#include <unistd.h>

#include <stdexcept>

namespace {

// One descriptor sent to an unnamed temporary file while a capture runs.
struct Redirect {
    int fd;
    int saved;
    FILE *file;
};

Redirect Begin(int fd)
{
    FILE *file = tmpfile();
    int saved = dup(fd);
    if (file == nullptr || saved < 0 || dup2(fileno(file), fd) < 0)
        throw std::runtime_error("cannot redirect a standard descriptor");
    return {fd, saved, file};
}

std::string End(const Redirect &redirect)
{
    dup2(redirect.saved, redirect.fd);
    close(redirect.saved);
    std::string bytes;
    rewind(redirect.file);
    char buffer[4096];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, redirect.file)) > 0;)
        bytes.append(buffer, got);
    fclose(redirect.file);
    return bytes;
}

}  // namespace

CapturedOutput CaptureOutput(const std::function<void()> &statement)
{
    fflush(stdout);
    fflush(stderr);
    Redirect out = Begin(STDOUT_FILENO);
    Redirect err = Begin(STDERR_FILENO);
    try {
        statement();
    } catch (...) {
        fflush(stdout);
        fflush(stderr);
        End(err);
        End(out);
        throw;
    }
    fflush(stdout);
    fflush(stderr);
    CapturedOutput captured;
    captured.err = End(err);
    captured.out = End(out);
    return captured;
}
