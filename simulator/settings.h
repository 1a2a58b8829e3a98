// The simulator's settings: VEMTU_SIM_* environment variables, read on every
// call so that one process can change them between calls.
#ifndef VEMTU_SIM_SETTINGS_H
#define VEMTU_SIM_SETTINGS_H

#include <stdint.h>

// How a setting reads; an empty variable counts as unset.
enum SettingRead { kSettingUnset, kSettingSet, kSettingMalformed };

// Reads VEMTU_SIM_<name> as an unsigned 32-bit number, decimal or 0x-hex.
SettingRead ReadSetting(const char *name, uint32_t *value);

// Reads it as text; nullptr when unset or empty.
const char *ReadTextSetting(const char *name);

// One operation's answer as told by VEMTU_SIM_<prefix> (its value) and
// VEMTU_SIM_<prefix>_ERROR (fail with that code).
struct Answer {
    bool malformed;
    bool fails;
    uint32_t error;
    uint32_t value;
};

Answer ReadAnswer(const char *prefix, uint32_t defaultValue);

#endif
