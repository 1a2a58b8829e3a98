// The device simulator: a stand-in for the PC's device-access library that
// behaves like a device. It answers a PC type and a device ID, and a
// download reads the named file in blocks at a simulated link speed,
// reports progress, and keeps the image as the component's new content.
// Everything it does is steered by VEMTU_SIM_* settings; it never prints.
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "device/vemtu.h"
#include "journal.h"
#include "settings.h"
#include "sim_platform.h"

// Only the three operations leave the library.
#ifndef VEMTU_EXPORT
#define VEMTU_EXPORT
#endif

const uint32_t kDefaultPcType = 16;
const uint32_t kDefaultDeviceId = 42;
// Fast enough for a quick demo, slow enough that the percentage visibly
// counts up: a 64 KiB image takes about 1.3 s.
const uint32_t kDefaultBytesPerSecond = 48 * 1024;
const size_t kBlockSize = 1024;
const uint32_t kNoPercent = 0xFFFFFFFFu;

// Paths are built in fixed buffers, each sized from the one it extends.
const size_t kStateDirectoryCapacity = 1024;
// "/type-<code>.img" or "/type-<code>.lock", the code up to 11 characters.
const size_t kComponentNameCapacity = 32;
const size_t kComponentPathCapacity = kStateDirectoryCapacity + kComponentNameCapacity;
// ".<process id>.part" after the image's path.
const size_t kPartSuffixCapacity = 24;
const size_t kPartPathCapacity = kComponentPathCapacity + kPartSuffixCapacity;
// The journal's texts are sized for their longest form, so they are never cut.
const size_t kDownloadCallCapacity =
    kJournalQuotedNameCapacity + sizeof "DownloadFile(, -2147483648, 4294967295)";
const size_t kShortTextCapacity = sizeof "QueryDeviceValue(4294967295, 4294967295)";

static bool IsKnownDataType(int32_t dataType)
{
    static const int32_t kKnown[] = {0, 1, 2, 6, 7, 13, 15, 17, 20, 21, 26};
    for (int32_t known : kKnown) {
        if (dataType == known)
            return true;
    }
    return false;
}

// Journals the call and sets the last-error code last, so nothing overwrites it.
static int Finish(const char *call, bool succeeded, uint32_t errorCode, const char *detail)
{
    JournalCall(call, succeeded, errorCode, detail);
    SimSetLastError(succeeded ? 0 : errorCode);
    return succeeded ? 1 : 0;
}

static int Fail(const char *call, uint32_t errorCode)
{
    return Finish(call, false, errorCode, "");
}

// snprintf that says whether everything fit; a cut text must not be used.
// printf-style on purpose, so the compiler checks each call's arguments.
static bool FormatFits(char *buffer, size_t size, const char *format, ...)  // NOLINT(cert-dcl50-cpp)
    __attribute__((format(printf, 3, 4)));

static bool FormatFits(char *buffer, size_t size, const char *format, ...)  // NOLINT(cert-dcl50-cpp)
{
    va_list arguments;
    va_start(arguments, format);
    int length = vsnprintf(buffer, size, format, arguments);
    va_end(arguments);
    return length >= 0 && static_cast<size_t>(length) < size;
}

extern "C" VEMTU_EXPORT int VEMTU_API QueryPcType(uint32_t *pcType)
{
    const char *call = "QueryPcType()";
    Answer answer = ReadAnswer("PC_TYPE", kDefaultPcType);
    if (answer.malformed || pcType == nullptr)
        return Fail(call, SimFaultCode(kSimInvalidParameter));
    if (answer.fails)
        return Fail(call, answer.error);
    *pcType = answer.value;
    char detail[kShortTextCapacity];
    FormatFits(detail, sizeof detail, "pcType %u", static_cast<unsigned>(answer.value));
    return Finish(call, true, 0, detail);
}

extern "C" VEMTU_EXPORT int VEMTU_API QueryDeviceValue(uint32_t selector, void *buffer, uint32_t size)
{
    char call[kShortTextCapacity];
    FormatFits(call, sizeof call, "QueryDeviceValue(%u, %u)", static_cast<unsigned>(selector),
               static_cast<unsigned>(size));
    uint32_t deviceId = kDefaultDeviceId;
    bool idMalformed = ReadSetting("DEVICE_ID", &deviceId) == kSettingMalformed;

    // Selector 31 is the device ID; selector 2 is the older place for it.
    const char *prefix = selector == 31 ? "SELECTOR_31" : selector == 2 ? "SELECTOR_2" : nullptr;
    if (prefix == nullptr || buffer == nullptr || size < sizeof deviceId || idMalformed)
        return Fail(call, SimFaultCode(kSimInvalidParameter));
    Answer answer = ReadAnswer(prefix, deviceId);
    if (answer.malformed)
        return Fail(call, SimFaultCode(kSimInvalidParameter));
    if (answer.fails)
        return Fail(call, answer.error);
    memcpy(buffer, &answer.value, sizeof answer.value);
    char detail[kShortTextCapacity];
    FormatFits(detail, sizeof detail, "value %u", static_cast<unsigned>(answer.value));
    return Finish(call, true, 0, detail);
}

// How a download is told to go wrong.
struct DownloadPlan {
    bool malformed;
    uint32_t rate;    // bytes per second; 0 = as fast as the file reads
    uint32_t failAt;  // percent at which the component fails, or kNoPercent
    uint32_t failCode;
    uint32_t timeoutAt;  // percent at which it stops answering, or kNoPercent
    char stateDirectory[kStateDirectoryCapacity];
};

static DownloadPlan ReadDownloadPlan()
{
    DownloadPlan plan = {false, kDefaultBytesPerSecond, kNoPercent, SimFaultCode(kSimDeviceIo), kNoPercent,
                         ""};
    SettingRead failCode = ReadSetting("DOWNLOAD_ERROR", &plan.failCode);
    SettingRead failAt = ReadSetting("DOWNLOAD_FAIL_AT", &plan.failAt);
    SettingRead reads[] = {ReadSetting("RATE", &plan.rate), failCode, failAt,
                           ReadSetting("TIMEOUT_AT", &plan.timeoutAt)};
    for (SettingRead read : reads)
        plan.malformed = plan.malformed || read == kSettingMalformed;
    // An error code alone fails the download before it starts.
    if (failCode == kSettingSet && failAt == kSettingUnset)
        plan.failAt = 0;
    plan.malformed = plan.malformed || (plan.failAt != kNoPercent && plan.failAt > 100) ||
                     (plan.timeoutAt != kNoPercent && plan.timeoutAt > 100);

    const char *directory = ReadTextSetting("STATE_DIR");
    if (directory != nullptr) {
        bool fits = FormatFits(plan.stateDirectory, sizeof plan.stateDirectory, "%s", directory);
        plan.malformed = plan.malformed || !fits;
    } else if (!SimDefaultStateDirectory(plan.stateDirectory, sizeof plan.stateDirectory)) {
        plan.malformed = true;
    }
    return plan;
}

// Waits until the link has carried done bytes at the plan's rate.
static void PaceTransfer(const DownloadPlan &plan, uint64_t startMs, uint64_t done)
{
    if (plan.rate == 0)
        return;
    uint64_t dueMs = startMs + done * 1000u / plan.rate;
    uint64_t nowMs = SimMonotonicMilliseconds();
    if (dueMs > nowMs)
        SimSleepMilliseconds(dueMs - nowMs);
}

static bool Failed(uint32_t *error, uint32_t code)
{
    *error = code;
    return false;
}

// Copies the file into the image in blocks, reporting each new whole percent.
// True when the image is complete; else false with the error code set.
static bool Transfer(FILE *source, uint64_t total, FILE *image, const DownloadPlan &plan,
                     ProgressCallback progress, uint32_t context, uint32_t *error)
{
    unsigned char block[kBlockSize];
    uint64_t done = 0;
    uint32_t shown = kNoPercent;
    uint64_t startMs = SimMonotonicMilliseconds();
    for (;;) {
        uint32_t percent = static_cast<uint32_t>(done * 100u / total);
        if (percent != shown) {
            shown = percent;
            if (progress(percent, context) != 1)
                return Failed(error, SimFaultCode(kSimCancelled));
            if (percent >= plan.timeoutAt)
                return Failed(error, SimFaultCode(kSimTimeout));
            if (percent >= plan.failAt)
                return Failed(error, plan.failCode);
        }
        if (done == total)
            return true;
        size_t got = fread(block, 1, sizeof block, source);
        if (got == 0)
            return Failed(error, ferror(source) ? SimFileErrorCode() : SimFaultCode(kSimInvalidData));
        if (done + got > total)
            return Failed(error, SimFaultCode(kSimInvalidData));  // the file grew under us
        if (fwrite(block, 1, got, image) != got)
            return Failed(error, SimFileErrorCode());
        done += got;
        PaceTransfer(plan, startMs, done);
    }
}

// Size of an open file, or -1 if it cannot be read as a file.
static long long FileSize(FILE *file)
{
    if (fseek(file, 0, SEEK_END) != 0)
        return -1;
    long long size = ftell(file);
    if (size < 0 || fseek(file, 0, SEEK_SET) != 0)
        return -1;
    return size;
}

// Where a component's image, its lock, and this transfer's part file live.
struct ComponentPaths {
    char image[kComponentPathCapacity];
    char lock[kComponentPathCapacity];
    char part[kPartPathCapacity];
};

static bool MakeComponentPaths(const char *stateDirectory, int32_t dataType, ComponentPaths *paths)
{
    int code = static_cast<int>(dataType);
    return FormatFits(paths->image, sizeof paths->image, "%s/type-%d.img", stateDirectory, code) &&
           FormatFits(paths->lock, sizeof paths->lock, "%s/type-%d.lock", stateDirectory, code) &&
           FormatFits(paths->part, sizeof paths->part, "%s.%u.part", paths->image,
                      static_cast<unsigned>(SimProcessId()));
}

// Writes the file's bytes into a part file of this transfer's own and renames
// it into place, so that a transfer that fails leaves the old image as it was.
static bool WriteImage(FILE *source, uint64_t size, const ComponentPaths &paths, const DownloadPlan &plan,
                       ProgressCallback progress, uint32_t context, uint32_t *error)
{
    FILE *image = fopen(paths.part, "wb");
    if (image == nullptr)
        return Failed(error, SimFileErrorCode());
    bool ok = Transfer(source, size, image, plan, progress, context, error);
    if (ok && !SimSyncFile(image))
        ok = Failed(error, SimFileErrorCode());
    if (fclose(image) != 0 && ok)
        ok = Failed(error, SimFileErrorCode());
    if (ok && !SimReplaceFile(paths.part, paths.image))
        ok = Failed(error, SimFileErrorCode());
    if (!ok)
        remove(paths.part);
    return ok;
}

// Programs the component: the file's bytes become its image. A component
// takes one transfer at a time; another finds it busy and changes nothing.
// True when the new image is in place.
static bool ProgramImage(FILE *source, uint64_t size, int32_t dataType, const DownloadPlan &plan,
                         ProgressCallback progress, uint32_t context, uint32_t *error)
{
    ComponentPaths paths;
    if (!MakeComponentPaths(plan.stateDirectory, dataType, &paths))
        return Failed(error, SimFaultCode(kSimNameTooLong));
    if (!SimMakeDirectory(plan.stateDirectory))
        return Failed(error, SimFileErrorCode());
    SimLock lock;
    if (!SimLockComponent(paths.lock, &lock, error))
        return false;
    bool ok = WriteImage(source, size, paths, plan, progress, context, error);
    SimUnlockComponent(lock);
    return ok;
}

extern "C" VEMTU_EXPORT int VEMTU_API DownloadFile(const char *fileName, int32_t dataType,
                                                   ProgressCallback progress, uint32_t reserved)
{
    char quoted[kJournalQuotedNameCapacity] = "\"\"";
    if (fileName != nullptr)
        QuoteForJournal(fileName, quoted, sizeof quoted);
    char call[kDownloadCallCapacity];
    FormatFits(call, sizeof call, "DownloadFile(%s, %d, %u)", quoted, static_cast<int>(dataType),
               static_cast<unsigned>(reserved));

    DownloadPlan plan = ReadDownloadPlan();
    if (plan.malformed || fileName == nullptr || progress == nullptr || !IsKnownDataType(dataType))
        return Fail(call, SimFaultCode(kSimInvalidParameter));

    uint32_t error = 0;
    FILE *source = SimOpenFirmwareFile(fileName, &error);
    if (source == nullptr)
        return Fail(call, error);
    long long size = FileSize(source);
    bool ok = size > 0 ? ProgramImage(source, static_cast<uint64_t>(size), dataType, plan, progress, reserved,
                                      &error)
                       : Failed(&error, size < 0 ? SimFileErrorCode() : SimFaultCode(kSimInvalidData));
    fclose(source);
    if (!ok)
        return Fail(call, error);
    char detail[kShortTextCapacity];
    FormatFits(detail, sizeof detail, "%lld bytes", size);
    return Finish(call, true, 0, detail);
}
