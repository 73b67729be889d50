#pragma once
#include "ZrCounter.h"

namespace ZRC {

// Steady stream: count per second x dt, rounded, at least 1 per step.
//
// Steady emission (off by default) makes the count per second the rate at any
// step length instead: the counter keeps the part of a particle that rounding
// left over from one step to the next, so that after any run of steps it has
// answered the count per second times the time passed, rounded to the nearest
// whole number (halves up), and a count of 0 or below answers 0. At 8 per
// second, 30 steps of 1/30 s give 30 particles by the rule above and 8 when
// steady; 60 steps of 1/60 s give 60 and 8.
class NBPS_API ZrCommonCounter : public ZrCounter {
public:
    ZrCommonCounter();
    ~ZrCommonCounter() override;
    int GetType() const override;
    int GetCount(double dt) override;
    unsigned char FromXML(VEXA::VexaString& xml) override;
    unsigned char ToXML(VEXA::VexaString& xml) override;
    // Copies the count per second and the steady state with its carry.
    unsigned char Copy(const ZrCommonCounter& other);

    // Switches steady emission on or off; either way the carry starts again
    // from nothing. It is not part of the document.
    void SetSteadyEmission(bool steady);
    bool GetSteadyEmission() const { return m_bSteady; }

private:
    bool m_bSteady;
    // Particles due but not yet answered, from -0.5 up to 0.5.
    double m_dCarry;
};

} // namespace ZRC
