/* The floor for any hook: read standard input to the end, print "{}". */
#include <unistd.h>

int main(void) {
    char buffer[65536];
    while (read(0, buffer, sizeof buffer) > 0) {
    }
    return write(1, "{}\n", 3) == 3 ? 0 : 1;
}
