/* The floor for the progress display: as many bare write(2) calls of the
 * bytes the tool shows per callback ("%3u%%\b\b\b\b", percentages counting
 * from 0 to 100) as the drop-in library makes callbacks. The texts are made
 * before the loop, so the loop is the system calls alone. */
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    unsigned long calls = argc > 1 ? strtoul(argv[1], NULL, 10) : 1000000ul;
    static char texts[101][9];
    for (unsigned percent = 0; percent <= 100; ++percent)
        snprintf(texts[percent], sizeof texts[percent], "%3u%%\b\b\b\b", percent);
    for (unsigned long i = 0; i < calls; ++i) {
        if (write(STDOUT_FILENO, texts[(unsigned long long)i * 101u / calls], 8) != 8)
            return 1;
    }
    return 0;
}
