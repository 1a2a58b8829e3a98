// The device simulator: a stand-in for the PC's device-access library that
// behaves like a device. It answers a PC type and a device ID, and a
// download reads the named file in blocks at a simulated link speed,
// reports progress, and keeps the image as the component's new content.
// Everything it does is steered by VEMTU_SIM_* settings; it never prints.
#include <stdio.h>
#include <string.h>

#include "journal.h"
#include "settings.h"
#include "sim_platform.h"
#include "device/vemtu.h"

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

extern "C" VEMTU_EXPORT int VEMTU_API QueryPcType(uint32_t *pcType)
{
    const char *call = "QueryPcType()";
    Answer answer = ReadAnswer("PC_TYPE", kDefaultPcType);
    if (answer.malformed || pcType == nullptr)
        return Fail(call, SimFaultCode(kSimInvalidParameter));
    if (answer.fails)
        return Fail(call, answer.error);
    *pcType = answer.value;
    char detail[32];
    snprintf(detail, sizeof detail, "pcType %u", static_cast<unsigned>(answer.value));
    return Finish(call, true, 0, detail);
}

extern "C" VEMTU_EXPORT int VEMTU_API QueryDeviceValue(uint32_t selector, void *buffer, uint32_t size)
{
    char call[64];
    snprintf(call, sizeof call, "QueryDeviceValue(%u, %u)", static_cast<unsigned>(selector),
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
    char detail[32];
    snprintf(detail, sizeof detail, "value %u", static_cast<unsigned>(answer.value));
    return Finish(call, true, 0, detail);
}

// How a download is told to go wrong.
struct DownloadPlan {
    bool malformed;
    uint32_t rate;        // bytes per second; 0 = as fast as the file reads
    uint32_t failAt;      // percent at which the component fails, or kNoPercent
    uint32_t failCode;
    uint32_t timeoutAt;   // percent at which it stops answering, or kNoPercent
    char stateDirectory[1024];
};

static DownloadPlan ReadDownloadPlan()
{
    DownloadPlan plan = {false, kDefaultBytesPerSecond, kNoPercent, SimFaultCode(kSimDeviceIo),
                         kNoPercent, ""};
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
        int length = snprintf(plan.stateDirectory, sizeof plan.stateDirectory, "%s", directory);
        plan.malformed = plan.malformed || length >= static_cast<int>(sizeof plan.stateDirectory);
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

// Programs the component: the file's bytes become its image, written beside
// the old one and renamed into place, so that a transfer that fails leaves
// the old image as it was. True when the new image is in place.
static bool ProgramImage(FILE *source, uint64_t size, const char *imagePath, const DownloadPlan &plan,
                         ProgressCallback progress, uint32_t context, uint32_t *error)
{
    char partPath[1110];
    snprintf(partPath, sizeof partPath, "%s.part", imagePath);
    if (!SimMakeDirectory(plan.stateDirectory))
        return Failed(error, SimFileErrorCode());
    FILE *image = fopen(partPath, "wb");
    if (image == nullptr)
        return Failed(error, SimFileErrorCode());
    bool ok = Transfer(source, size, image, plan, progress, context, error);
    if (ok && !SimSyncFile(image))
        ok = Failed(error, SimFileErrorCode());
    if (fclose(image) != 0 && ok)
        ok = Failed(error, SimFileErrorCode());
    if (ok && !SimReplaceFile(partPath, imagePath))
        ok = Failed(error, SimFileErrorCode());
    if (!ok)
        remove(partPath);
    return ok;
}

extern "C" VEMTU_EXPORT int VEMTU_API DownloadFile(const char *fileName, int32_t dataType,
                                                   ProgressCallback progress, uint32_t reserved)
{
    char quoted[512] = "\"\"";
    if (fileName != nullptr)
        QuoteForJournal(fileName, quoted, sizeof quoted);
    char call[600];
    snprintf(call, sizeof call, "DownloadFile(%s, %d, %u)", quoted, static_cast<int>(dataType),
             static_cast<unsigned>(reserved));

    DownloadPlan plan = ReadDownloadPlan();
    if (plan.malformed || fileName == nullptr || progress == nullptr || !IsKnownDataType(dataType))
        return Fail(call, SimFaultCode(kSimInvalidParameter));

    FILE *source = fopen(fileName, "rb");
    if (source == nullptr)
        return Fail(call, SimFileErrorCode());
    uint32_t error = 0;
    long long size = FileSize(source);
    char imagePath[1100];
    snprintf(imagePath, sizeof imagePath, "%s/type-%d.img", plan.stateDirectory, static_cast<int>(dataType));
    // A folder opens on some systems but reads as nothing.
    bool ok = size > 0 ? ProgramImage(source, static_cast<uint64_t>(size), imagePath, plan, progress,
                                      reserved, &error)
                       : Failed(&error, size < 0 ? SimFileErrorCode() : SimFaultCode(kSimInvalidData));
    fclose(source);
    if (!ok)
        return Fail(call, error);
    char detail[48];
    snprintf(detail, sizeof detail, "%lld bytes", size);
    return Finish(call, true, 0, detail);
}
