/* The size floor for the shipped exe: printf of one line, built with the
 * same MinGW-w64 runtime as the tool, with msvcrt's own printf. */
#include <stdio.h>

int main(int argc, char **argv)
{
    (void)argv;
    printf("Hello from ZelkSvc, %d argument(s)\n", argc - 1);
    return 0;
}
