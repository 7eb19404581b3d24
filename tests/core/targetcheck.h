// The quantity a tuning target sets, stated by the tests on their own, so that a target read from
// the wrong figure in the program shows as a failure.
#pragma once

#include "core/loopanalysis.h"
#include "core/tuning.h"

#include <optional>

namespace velmora::test {

inline std::optional<double> quantity(const LoopQuantities &q, TargetKind target)
{
    switch (target) {
    case TargetKind::Mr:
        return q.peakDb;
    case TargetKind::PhaseMargin:
        return q.phaseMarginDeg;
    case TargetKind::GainMargin:
        return q.gainMarginDb;
    case TargetKind::Bandwidth:
        return q.bandwidth;
    case TargetKind::Crossover:
        return q.gainCrossover;
    }
    return std::nullopt;
}

} // namespace velmora::test
