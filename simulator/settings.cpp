#include "settings.h"

#include <stdio.h>
#include <stdlib.h>

const char *ReadTextSetting(const char *name)
{
    char variable[64];
    snprintf(variable, sizeof variable, "VEMTU_SIM_%s", name);
    const char *text = getenv(variable);
    return text != nullptr && text[0] != '\0' ? text : nullptr;
}

static int DigitValue(char c, unsigned base)
{
    unsigned digit;
    if (c >= '0' && c <= '9')
        digit = static_cast<unsigned>(c - '0');
    else if (c >= 'a' && c <= 'f')
        digit = static_cast<unsigned>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F')
        digit = static_cast<unsigned>(c - 'A' + 10);
    else
        return -1;
    return digit < base ? static_cast<int>(digit) : -1;
}

// Strict: digits only, no sign or blanks, and nothing past 0xFFFFFFFF.
static bool ParseNumber(const char *text, uint32_t *value)
{
    unsigned base = 10;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text += 2;
    }
    if (*text == '\0')
        return false;
    uint64_t number = 0;
    for (; *text != '\0'; ++text) {
        int digit = DigitValue(*text, base);
        if (digit < 0)
            return false;
        number = number * base + static_cast<unsigned>(digit);
        if (number > 0xFFFFFFFFu)
            return false;
    }
    *value = static_cast<uint32_t>(number);
    return true;
}

SettingRead ReadSetting(const char *name, uint32_t *value)
{
    const char *text = ReadTextSetting(name);
    if (text == nullptr)
        return kSettingUnset;
    return ParseNumber(text, value) ? kSettingSet : kSettingMalformed;
}

Answer ReadAnswer(const char *prefix, uint32_t defaultValue)
{
    Answer answer = {false, false, 0, defaultValue};
    char errorName[48];
    snprintf(errorName, sizeof errorName, "%s_ERROR", prefix);
    SettingRead value = ReadSetting(prefix, &answer.value);
    SettingRead error = ReadSetting(errorName, &answer.error);
    answer.malformed = value == kSettingMalformed || error == kSettingMalformed;
    answer.fails = error == kSettingSet;
    return answer;
}
