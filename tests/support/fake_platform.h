// A platform seam the unit tests steer: a chosen system text, option leads
// and argument check, pauses and interrupt holds recorded instead of made, and an end of the process thrown
// as ProcessEnded so the test goes on.
#ifndef ZELK_TESTS_FAKE_PLATFORM_H
#define ZELK_TESTS_FAKE_PLATFORM_H

#include <stdint.h>

#include <string>
#include <vector>

struct FakePlatform {
    bool hasText = true;
    std::string systemText = "Some system text\r\n";
    std::vector<uint32_t> lookedUp;  // codes asked for
    std::vector<unsigned> pauses;    // milliseconds asked for
    std::string optionLeads = "-/";  // Windows' leads; POSIX has "-" only
    int argumentNotAsTyped = 0;      // what FirstArgumentNotAsTyped answers
    std::string interrupts;          // "H" per HoldInterrupts, "R" per ReleaseInterrupts
};

extern FakePlatform fakePlatform;

struct ProcessEnded {
    int exitCode;
};

#endif
