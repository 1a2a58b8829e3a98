// A platform seam the unit tests steer: a chosen system text, pauses
// recorded instead of slept, and an end of the process thrown as
// ProcessEnded so the test goes on.
#ifndef ZELK_TESTS_FAKE_PLATFORM_H
#define ZELK_TESTS_FAKE_PLATFORM_H

#include <stdint.h>

#include <string>
#include <vector>

struct FakePlatform {
    bool hasText = true;
    std::string systemText = "Some system text\r\n";
    std::vector<uint32_t> lookedUp;    // codes asked for
    std::vector<unsigned> pauses;      // milliseconds asked for
};

extern FakePlatform fakePlatform;

struct ProcessEnded {
    int exitCode;
};

#endif
