// The update run: device identification, the default ZELK firmware file
// name, the download and its progress display. Percentages are redrawn in
// place with backspaces, so the terminal must honour \b.
#include "update_run.h"

#include <stdio.h>

#include "cli/console_output.h"
#include "cli/error_report.h"
#include "cli/run_options.h"
#include "platform/platform.h"

const uint32_t kNoDeviceId = 0xFFFFFFFFu;
const uint32_t kDeviceIdSelector = 31;
const uint32_t kDeviceIdFallbackSelector = 2;
const uint32_t kDownloadReserved = 0;

// Ten digits, "_0.fw" and the terminator fit with room to spare.
static char firmwareFileName[20];

static bool IsKnownPcType(uint32_t pcType)
{
    return pcType >= 15 && pcType <= 19;
}

int DeriveFirmwareFileName()
{
    uint32_t pcType = 0;
    if (!QueryPcType(&pcType)) {
        ReportError(LastErrorCode(), "cannot get device type");
        return kExitDeviceQuery;
    }

    uint32_t deviceId = kNoDeviceId;
    if (!QueryDeviceValue(kDeviceIdSelector, &deviceId, sizeof deviceId) || deviceId == kNoDeviceId) {
        // The fallback's answer stands, whatever it is.
        if (!QueryDeviceValue(kDeviceIdFallbackSelector, &deviceId, sizeof deviceId)) {
            ReportError(LastErrorCode(), "cannot get device ID");
            return kExitDeviceQuery;
        }
    }

    if (!IsKnownPcType(pcType)) {
        ReportError(kNoSystemCode, "cannot determine file name for this PC type\n");
        return kExitUnsupportedPcType;
    }

    // The device ID, at least five digits, then "_0.fw": 42 gives 00042_0.fw.
    snprintf(firmwareFileName, sizeof firmwareFileName, "%05lu%c%u.%s", static_cast<unsigned long>(deviceId),
             '_', 0u, "fw");
    runOptions.fileName = firmwareFileName;
    return kExitSuccess;
}

int VEMTU_CALLBACK ShowProgress(uint32_t percent, uint32_t)
{
    printf("%3u%%\b\b\b\b", static_cast<unsigned>(percent));
    ShowNow(stdout);
    return 1;
}

int RunUpdate()
{
    if (runOptions.fileName == nullptr) {
        int exitCode = DeriveFirmwareFileName();
        if (exitCode != kExitSuccess)
            return exitCode;
    }

    printf("Update with %s: ", runOptions.fileName);
    ShowNow(stdout);

    // Once the transfer has started it runs to its end: a component left
    // half-programmed may not start again.
    HoldInterrupts();
    bool downloaded =
        DownloadFile(runOptions.fileName, runOptions.dataType, ShowProgress, kDownloadReserved) != 0;
    uint32_t errorCode = downloaded ? kNoSystemCode : LastErrorCode();
    ReleaseInterrupts();

    if (!downloaded) {
        ReportError(errorCode, "cannot download file '%s'", runOptions.fileName);
        return kExitDownload;
    }
    fputs("finished\n", stdout);
    ShowNow(stdout);
    return kExitSuccess;
}
