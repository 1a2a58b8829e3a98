// The journal: one line per call with its arguments and result, appended to
// the file named by VEMTU_SIM_JOURNAL. Tests read it to see which device
// calls a run made.
#ifndef VEMTU_SIM_JOURNAL_H
#define VEMTU_SIM_JOURNAL_H

#include <stddef.h>
#include <stdint.h>

// Appends "<call> -> 1, <detail>" or "<call> -> 0, error <code>". A journal
// that cannot be written is skipped: it must never change the device's answer.
void JournalCall(const char *call, bool succeeded, uint32_t errorCode, const char *detail);

// Room for a file name as a journal line quotes it, terminator included.
const size_t kJournalQuotedNameCapacity = 512;
// Kept back while quoting: one escaped byte, the closing quote, "..." and the
// terminator.
const size_t kJournalQuoteReserve = 9;
// The most characters of a long name a line keeps before it is cut: all the
// room but the opening quote and the reserve.
const size_t kJournalNameKept = kJournalQuotedNameCapacity - 1 - kJournalQuoteReserve;

// Quotes a file name for the journal, with \xHH for bytes outside printable
// ASCII; a name that does not fit in size is cut and ends in "...
void QuoteForJournal(const char *text, char *buffer, size_t size);

#endif
