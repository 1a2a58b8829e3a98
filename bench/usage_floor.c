/* The start-up floor: a C program that prints the tool's usage text (made
 * into usage_text.h by bench/run from the tool's own -h output) the way the
 * tool does, with one fputs to stdout. */
#include <stdio.h>

#include "usage_text.h"

int main(void)
{
    fputs(kUsageText, stdout);
    return 0;
}
