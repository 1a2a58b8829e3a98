// ZelkSvc: updates one component's firmware or settings through the PC's
// device-access library, showing the transfer's progress in place.
#include "cli/command_line.h"
#include "cli/console_output.h"
#include "update_run.h"

int main(int argc, char **argv)
{
    PrepareOutput();

    if (!ParseCommandLine(argc, argv))
        return kExitCommandLine;

    return RunUpdate();
}
