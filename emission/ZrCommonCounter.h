#pragma once
#include "ZrCounter.h"

namespace ZRC {

// Steady stream: count per second x dt, rounded, at least 1 per step.
class NBPS_API ZrCommonCounter : public ZrCounter {
public:
    ZrCommonCounter();
    ~ZrCommonCounter() override;
    int GetType() const override;
    int GetCount(double dt) override;
    unsigned char FromXML(VEXA::VexaString& xml) override;
    unsigned char ToXML(VEXA::VexaString& xml) override;
    unsigned char Copy(const ZrCommonCounter& other);
};

} // namespace ZRC
