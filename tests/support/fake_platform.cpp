#include "fake_platform.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "platform/platform.h"

FakePlatform fakePlatform;

void PrepareStandardStreams() {}

bool IsConsole(FILE *)
{
    return false;
}

bool IsOptionLead(char c)
{
    return fakePlatform.optionLeads.find(c) != std::string::npos;
}

int FirstArgumentNotAsTyped(int, char **)
{
    return fakePlatform.argumentNotAsTyped;
}

void HoldInterrupts()
{
    fakePlatform.interrupts += "H";
}

void ReleaseInterrupts()
{
    fakePlatform.interrupts += "R";
}

// The simulator leaves its codes in errno, as on POSIX.
uint32_t LastErrorCode()
{
    return static_cast<uint32_t>(errno);
}

size_t LookUpSystemText(uint32_t code, char *buffer, size_t size)
{
    fakePlatform.lookedUp.push_back(code);
    if (!fakePlatform.hasText || size == 0)
        return 0;
    size_t length = fakePlatform.systemText.copy(buffer, size - 1);
    buffer[length] = '\0';
    return length;
}

void PauseMilliseconds(unsigned milliseconds)
{
    fakePlatform.pauses.push_back(milliseconds);
}

void EndProcess(int exitCode)
{
    // stdio is flushed as the real exit would, so captured output is whole.
    fflush(stdout);
    fflush(stderr);
    throw ProcessEnded{exitCode};
}
