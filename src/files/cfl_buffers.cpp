// The Cfl_ family's module-wide result buffers.
#include <quorvel/paths.h>

unsigned short g_szCflWork[QUORVEL_MAX_TEXT];
unsigned short g_szCflDrive[QUORVEL_MAX_TEXT];
unsigned short g_szCflResult[QUORVEL_MAX_TEXT];
