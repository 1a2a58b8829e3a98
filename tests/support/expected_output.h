// Output fragments that several tests expect, byte for byte, as users and
// scripts see them. The tests keep their own copy on purpose: a change to
// the tool's texts must show up here as a deliberate edit.
#ifndef ZELK_TESTS_EXPECTED_OUTPUT_H
#define ZELK_TESTS_EXPECTED_OUTPUT_H

#include <string>

const std::string kUsage =
    "Version: 1.1\n"
    "Syntax: ZelkSvc <action> <datatype> [<file>] [<opts>]\n"
    "Function: ZELK service utility\n"
    "Arguments:\n"
    "    action    u[pdate] firmware/settings\n"
    "    datatype  BIOS\n"
    "              BIOSSET = BIOS settings\n"
    "              IO[FPGA] = I/O board FPGA firmware\n"
    "              KCF = key configuration\n"
    "              LINK[FPGA] = display link FPGA firmware\n"
    "              ZELK[FW] = ZELK firmware\n"
    "              [ZELK]FPGA = ZELK FPGA firmware\n"
    "              [ZELK]VARO = ZELK VARO firmware\n"
    "              UPS[FW] = add-on UPS firmware\n"
    "              UPSBSET = add-on UPS battery settings\n"
    "              UPSUSET = add-on UPS user settings\n"
    "    file      firmware/settings file name (optional for datatype ZELK[FW])\n"
    "Options:\n"
    "    -b        beep at program end: 1x = success, 3x = error\n"
    "              (not supported under Windows 7)\n"
    "Exit codes:\n"
    "    0 indicates success\n"
    "    1 indicates a command line error\n"
    "    2 indicates a file download error\n";

// The -b signal after a report.
const std::string kBells = "\a\a\a";

const std::string kFileNameMissing = "\nERROR: file name missing\n";

#endif
