#ifndef ZELKSVC_CLI_COMMAND_LINE_H
#define ZELKSVC_CLI_COMMAND_LINE_H

// Fills runOptions from argv[1..argc-1]. Returns 1 for a complete command
// line, 0 after reporting why it is not. A help option prints the usage text
// and ends the process with exit code 0.
int ParseCommandLine(int argc, char **argv);

void PrintUsage();

#endif
