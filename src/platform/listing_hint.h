// FIND_FIRST_EX_QUORVEL_NO_DOS_ATTRIBUTES on both builds. The POSIX layer
// reads hidden, system and archive by a call per entry, which this flag of
// its own saves; Windows reads them with the entry itself, so there it is
// no flag at all.
#pragma once

#include "platform/win32.h"

#ifndef FIND_FIRST_EX_QUORVEL_NO_DOS_ATTRIBUTES
#define FIND_FIRST_EX_QUORVEL_NO_DOS_ATTRIBUTES 0
#endif
