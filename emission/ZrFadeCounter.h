#pragma once
#include "ZrCounter.h"

namespace ZRC {

// One burst of count-per-second particles, then silence until Reset.
class NBPS_API ZrFadeCounter : public ZrCounter {
public:
    ZrFadeCounter();
    ~ZrFadeCounter() override;
    int GetType() const override;
    int GetCount(double dt) override;
    unsigned char FromXML(VEXA::VexaString& xml) override;
    unsigned char ToXML(VEXA::VexaString& xml) override;
    unsigned char Reset() override;
    unsigned char Copy(const ZrFadeCounter& other);
    unsigned char IsFired() const { return m_bFired; }

private:
    unsigned char m_bFired;
};

} // namespace ZRC
