// The calendar's arithmetic depends on the last bit of double products that
// are then truncated, so it must round every step to double. The i686 build
// would otherwise keep intermediates in x87 extended precision.
#pragma once

#if defined(__i386__) && !defined(__SSE2_MATH__)
#pragma GCC target("sse2", "fpmath=sse")
#endif
