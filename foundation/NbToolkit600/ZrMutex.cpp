#include "ZrMutex.h"

#include <mutex>

namespace ZRC {

struct ZrMutex::Impl {
    std::recursive_mutex mutex;
};

ZrMutex::ZrMutex(unsigned char initiallyOwned) : m_impl(new Impl)
{
    if (initiallyOwned)
        m_impl->mutex.lock();
}

ZrMutex::~ZrMutex() = default;

void ZrMutex::lock() { m_impl->mutex.lock(); }

void ZrMutex::unlock() { m_impl->mutex.unlock(); }

bool ZrMutex::try_lock() { return m_impl->mutex.try_lock(); }

} // namespace ZRC
