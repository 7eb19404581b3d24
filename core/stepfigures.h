// core/stepfigures.h — the figures of a step response, bracketed on its samples and refined on
// the response between them (core layer)
#pragma once

#include "core/stepresponse.h"

#include <functional>
#include <utility>
#include <vector>

namespace velmora {

// A sample of the response. Consecutive samples of one piece are joined by the smooth response
// the evaluator gives on that piece; between pieces the response may jump (two samples at one
// time).
struct StepSample {
    double time;
    double value;
    int piece;
};

// y and dy/dt at a time within a piece.
using StepEvaluator = std::function<std::pair<double, double>(int piece, double time)>;

// The root of f in [a, b], given f(a) and f(b) of opposite signs (or one of them 0), by Brent's
// method to full double precision.
double BrentRoot(const std::function<double(double)> &f, double a, double b, double fa, double fb);

// Reads the figures (StepFigures) as the samples come, in increasing time: the first crossings of
// 10 % and 90 %, the last exit from the 5 % band and the highest local maxima, each refined
// between the samples that bracket it. What happens between two samples of one piece without
// changing their order is not seen: the samples must resolve the response.
class StepFigureFinder {
public:
    StepFigureFinder(double finalValue, StepEvaluator evaluate);

    void add(const StepSample &sample);
    StepFigures figures() const;

private:
    struct Sample {
        double time;
        double z; // y / y_f
        int piece;
    };
    struct PeakCandidate {
        Sample before, at, after;
        bool hasBefore, hasAfter;
        // The height of the parabola through the three samples (within one piece), which ranks
        // the candidates far better than the middle sample: its error is of third order in the
        // spacing.
        double height;
    };

    double z(int piece, double t) const { return m_evaluate(piece, t).first / m_final; }
    double slope(int piece, double t) const { return m_evaluate(piece, t).second / m_final; }
    double crossing(const Sample &a, const Sample &b, double level) const;
    void offerPeak(PeakCandidate candidate);

    double m_final;
    StepEvaluator m_evaluate;
    long long m_count = 0;
    Sample m_first {}, m_previous {}, m_beforePrevious {};
    std::optional<double> m_rise10, m_rise90;
    bool m_outside = false;
    Sample m_lastOutside {};
    std::optional<std::pair<Sample, Sample>> m_exit;
    std::vector<PeakCandidate> m_peaks; // the highest few local maxima of the samples
};

} // namespace velmora
