// core/compensatedmodel.h — a loop model times a compensator: measured data (or any model) with
// the compensator's exact response applied (core layer)
#pragma once

#include "core/compensator.h"
#include "core/responsemodel.h"

#include <memory>

namespace velmora {

// The plant's model times the compensator C, for the analysis: |C| (dB) and its phase
// (continuous, anchored at low frequency) added to the plant's gain and phase at every frequency,
// C evaluated exactly. Measured data keep their points, between which the plant is interpolated
// as before and C is exact (the peak of |T| is still read at the points). For a plant of known
// structure, the structure gains the compensator's integrators, poles and zeros, and the slope of
// |T| is taken by a central difference; the closed-loop poles are not known (stability then comes
// from the Nyquist criterion). A rational plant is better multiplied as a function
// (CompensatedFunction). The compensator's parameters must be accepted (CheckCompensator).
std::shared_ptr<const ResponseModel> MakeCompensatedModel(
    std::shared_ptr<const ResponseModel> plant, Compensator compensator);

} // namespace velmora
