#include "ZrVectorUnit.h"

#include <cstdlib>
#include <cstring>

namespace ZRC {

namespace {

bool Detect()
{
    const char* plain = std::getenv("NBPS_PLAIN_LOOPS");
    if (plain != nullptr && std::strcmp(plain, "0") != 0)
        return false;
#if defined(NBPS_WIDE_UNIT)
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

} // namespace

bool ZrVectorUnit::Wide()
{
    static const bool wide = Detect();
    return wide;
}

} // namespace ZRC
