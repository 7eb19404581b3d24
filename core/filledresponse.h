// core/filledresponse.h — the response of a loop filled where its quantities are read: every
// turn of a delay at low frequency, and around the ends of the stretches where |G| rises or
// falls beyond (core layer)
#pragma once

#include "core/frequencyresponse.h"

#include <vector>

namespace velmora {

// Runs of samples, each filled from its first sample to its last (a fill's steps: 90 degrees of
// phase, 20 degrees of the angle of 1 + G), in increasing frequency; between two runs, nothing
// is sampled.
using SampleRuns = std::vector<std::vector<ResponseSample>>;

// Where |K G| stops rising or falling, increasing: the gain crossovers given, the frequencies
// where the gain crosses the levels given (dB), the tops and bottoms of |G| (`extrema`, those
// the polynomials of a rational loop place (GainExtremaEstimates), and those the samples show),
// and the last coarse sample.
std::vector<double> StretchEnds(const std::vector<ResponseSample> &coarse,
    const ResponseModel &model, const LoopGain &gain, const std::vector<double> &gainCrossovers,
    const std::vector<double> &extrema, const std::vector<double> &levelsDb);

// The response where it is read. Without a delay, the coarse samples, one run. With one: the
// coarse intervals filled from the lowest frequency on, up to 20,000 points (the first run,
// which holds the first hundred phase crossovers whatever the delay); beyond, each stretch
// between two consecutive `ends` (increasing, see StretchEnds) filled whole where the delay
// turns at most 32 times across it, otherwise two turns of the delay on each side of each end,
// and two turns beyond the last coarse sample. Within a stretch |G| rises or falls, so that the
// smallest gain margin of a stretch, and its largest |T| and |S| (below the bounds |G| / |1 - |G||
// and 1 / |1 - |G||, reached where G is negative), lie next to one of its ends; and the first fall
// of |T| below a level lies after |G| / (1 + |G|) reaches it, its lower bound.
SampleRuns FilledRuns(const ResponseSampler &sampler, const std::vector<ResponseSample> &coarse,
    const std::vector<double> &ends);

} // namespace velmora
