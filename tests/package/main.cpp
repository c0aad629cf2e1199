// Links against the installed library and calls it: 2024 is a leap year.
#include <quorvel/calendar.h>

int main() { return Tm_LastDay(2024, 2) == 29 ? 0 : 1; }
