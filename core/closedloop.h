// core/closedloop.h — the closed-loop point of an open-loop point under unity feedback (core
// layer)
#pragma once

namespace velmora {

// A point of the chart's plane, or the frequency response at one frequency: gain in dB, phase in
// degrees.
struct GainPhase {
    double gainDb;
    double phaseDeg;
};

// Closed-loop gain (dB) and phase (degrees, in (-360, 0]) of T = G / (1 + G), where G is the
// open-loop point of the given gain and phase (any phase: whole turns do not matter). At G = -1
// exactly (0 dB and an odd multiple of -180 degrees) the gain is +infinity and the phase NaN;
// nothing throws. A NaN in gives NaN out.
GainPhase ClosedLoopOf(GainPhase openLoop);

// The phase reduced by whole turns into (-360, 0].
double PhaseInOneTurnBelowZero(double phaseDeg);

} // namespace velmora
