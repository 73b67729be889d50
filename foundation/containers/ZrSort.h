#pragma once
#include "NbExport.h"
#include <algorithm>
#include <functional>

namespace ZRC {

template <class T>
class ZrSort {
public:
    ZrSort() = default;
    ZrSort& operator=(const ZrSort&) { return *this; }

    // Sorts data[first .. last], both included, in place: ascending when
    // ascending is non-zero, descending otherwise. Not stable.
    static void QSort(T* data, int first, int last, unsigned char ascending)
    {
        if (data == nullptr || first < 0 || last <= first)
            return;
        if (ascending)
            std::sort(data + first, data + last + 1, std::less<T>());
        else
            std::sort(data + first, data + last + 1, std::greater<T>());
    }
};

} // namespace ZRC

// The instantiations exported by the library.
#include "VexaInstances.h"
