// ZelkSvc: updates one component's firmware or settings through the PC's
// device-access library, showing the transfer's progress in place.
#include <stdio.h>

#include "cli/command_line.h"
#include "cli/error_report.h"
#include "cli/run_options.h"
#include "device/vemtu.h"
#include "platform/platform.h"
#include "update_run.h"

int main(int argc, char **argv)
{
    PrepareStandardStreams();

    if (!ParseCommandLine(argc, argv))
        return kExitCommandLine;

    if (runOptions.fileName == nullptr) {
        int exitCode = DeriveFirmwareFileName();
        if (exitCode != kExitSuccess)
            return exitCode;
    }

    printf("Update with %s: ", runOptions.fileName);
    if (!DownloadFile(runOptions.fileName, runOptions.dataType, ShowProgress, 0)) {
        ReportError(LastErrorCode(), "cannot download file '%s'", runOptions.fileName);
        return kExitDownload;
    }
    fputs("finished\n", stdout);
    return kExitSuccess;
}
