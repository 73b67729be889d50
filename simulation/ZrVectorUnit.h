#pragma once
#include "NbExport.h"

// Defined where the wide loops can be compiled at all (x86-64 with GCC or
// clang); whether they run is ZrVectorUnit::Wide().
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define NBPS_WIDE_UNIT 1
#endif

namespace ZRC {

// Whether the processor's 256-bit vector unit (AVX2 on x86-64) is there for the
// pool's update loop and the wind's drag; both give the same results as their
// plain forms, bit for bit. The environment variable NBPS_PLAIN_LOOPS, set to
// anything but "0" before the first update, keeps every loop on its plain form.
class NBPS_API ZrVectorUnit {
public:
    static bool Wide();
};

} // namespace ZRC
