#include "journal.h"

#include <stdio.h>

#include "settings.h"

void JournalCall(const char *call, bool succeeded, uint32_t errorCode, const char *detail)
{
    const char *path = ReadTextSetting("JOURNAL");
    if (path == nullptr)
        return;
    FILE *journal = fopen(path, "ab");
    if (journal == nullptr)
        return;
    if (succeeded)
        fprintf(journal, "%s -> 1, %s\n", call, detail);
    else
        fprintf(journal, "%s -> 0, error %u\n", call, static_cast<unsigned>(errorCode));
    fclose(journal);
}

void QuoteForJournal(const char *text, char *buffer, size_t size)
{
    const size_t reserve = kJournalQuoteReserve;
    if (size < reserve + 1) {
        if (size > 0)
            buffer[0] = '\0';
        return;
    }
    size_t used = 0;
    buffer[used++] = '"';
    const unsigned char *byte = reinterpret_cast<const unsigned char *>(text);
    for (; *byte != '\0' && used + reserve < size; ++byte) {
        if (*byte >= 0x20 && *byte < 0x7F && *byte != '"' && *byte != '\\')
            buffer[used++] = static_cast<char>(*byte);
        else
            used += static_cast<size_t>(snprintf(buffer + used, size - used, "\\x%02X", *byte));
    }
    // A name too long for the line is cut, and says so.
    snprintf(buffer + used, size - used, "\"%s", *byte != '\0' ? "..." : "");
}
