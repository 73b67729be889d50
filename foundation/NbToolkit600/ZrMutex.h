#pragma once
#include "NbExport.h"
#include <memory>

namespace ZRC {

// Mutual-exclusion lock between threads, re-entrant for the thread that holds
// it: that thread may lock it again and must unlock it as often as it locked it.
class NBPS_API ZrMutex {
public:
    explicit ZrMutex(unsigned char initiallyOwned = 0);
    ZrMutex(const ZrMutex&) = delete;
    ZrMutex& operator=(const ZrMutex&) = delete;
    ~ZrMutex();
    void lock();
    void unlock();
    bool try_lock();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace ZRC
