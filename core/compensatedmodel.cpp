// core/compensatedmodel.cpp — a loop model times a compensator (core layer)
#include "core/compensatedmodel.h"

#include "core/frequencyresponse.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velmora {

namespace {

using Complex = std::complex<long double>;

constexpr long double RadiansPerDegree = std::numbers::pi_v<long double> / 180;

void addAxisRoot(std::vector<AxisRoot> &axis, double omega, int order)
{
    const auto same = std::find_if(axis.begin(), axis.end(),
        [&](const AxisRoot &a) { return std::fabs(a.omega - omega) <= 1e-7 * omega; });
    if (same != axis.end())
        same->order += order;
    else
        axis.push_back({ omega, order });
}

// The factors' roots other than s = 0 appended, and those on the axis (a quadratic without its
// middle term) counted with their order.
void addRoots(const std::vector<Polynomial> &factors, int order,
    std::vector<std::complex<double>> &roots, std::vector<AxisRoot> &axis)
{
    for (const Polynomial &p : factors) {
        const std::vector<long double> &c = p.coefficients();
        if (c.front() == 0)
            continue;
        for (const std::complex<double> &r : p.approximateRoots())
            roots.push_back(r);
        if (c.size() == 3 && c[1] == 0)
            addAxisRoot(axis, static_cast<double>(std::sqrt(c[0] / c[2])), order);
    }
}

class CompensatedModel final : public ResponseModel {
public:
    CompensatedModel(std::shared_ptr<const ResponseModel> plant, Compensator compensator)
        : m_plant(std::move(plant))
        , m_compensator(std::move(compensator))
        , m_response(m_compensator)
    {
        if (const std::optional<LoopStructure> s = m_plant->structure(LoopGain {}))
            m_delay = s->delay;
        m_smooth = m_plant->closedSlope(1, LoopGain {}).has_value();
    }

    std::shared_ptr<const ResponseModel> within(double low, double high) const override
    {
        return std::make_shared<const CompensatedModel>(m_plant->within(low, high), m_compensator);
    }

    std::optional<std::vector<ResponseSample>> givenSamples(const LoopGain &gain) const override
    {
        std::optional<std::vector<ResponseSample>> samples = m_plant->givenSamples(gain);
        if (!samples)
            return std::nullopt;
        for (ResponseSample &s : *samples) {
            const CompensatorPoint c = m_response.quickAt(s.omega);
            const double degrees = static_cast<double>(c.phaseDeg);
            s.rationalPhase += degrees;
            s.phase += degrees;
            const std::complex<double> r
                = std::polar(std::pow(10.0, (s.point.gainDb + static_cast<double>(c.gainDb)) / 20),
                    Wrap180(s.point.rationalArg + degrees) * std::numbers::pi / 180);
            s.point = QuickPointOf(r, s.omega, m_delay, true);
        }
        return samples;
    }

    std::optional<LoopStructure> structure(const LoopGain &gain) const override
    {
        std::optional<LoopStructure> s = m_plant->structure(gain);
        if (!s)
            return std::nullopt;
        long double low = m_response.gain();
        long double high = m_response.gain();
        for (const auto &[factors, sign] : { std::pair { &m_response.numeratorFactors(), 1 },
                 std::pair { &m_response.denominatorFactors(), -1 } }) {
            for (const Polynomial &p : *factors) {
                const long double lowest = p.lowestCoefficient();
                const long double highest = p.coefficients().back();
                low = sign > 0 ? low * lowest : low / lowest;
                high = sign > 0 ? high * highest : high / highest;
                s->integrators -= sign * p.rootsAtZero();
                s->excess -= sign * p.degree();
            }
            addRoots(*factors, sign, sign > 0 ? s->zeros : s->poles, s->axisRoots);
        }
        s->lowGain *= low;
        s->highGain *= high;
        s->axisRoots.erase(std::remove_if(s->axisRoots.begin(), s->axisRoots.end(),
                               [](const AxisRoot &a) { return a.order == 0; }),
            s->axisRoots.end());
        return s;
    }

    std::optional<std::vector<std::complex<double>>> closedLoopPoles(
        const LoopGain &) const override
    {
        return std::nullopt;
    }

    std::optional<CrossingPolynomials> crossingPolynomials(const LoopGain &gain) const override
    {
        const std::optional<CrossingPolynomials> plant = m_plant->crossingPolynomials(gain);
        if (!plant)
            return std::nullopt;
        Polynomial numerator({ 1 });
        for (const Polynomial &p : m_response.numeratorFactors())
            numerator = numerator * p;
        Polynomial denominator({ 1 });
        for (const Polynomial &p : m_response.denominatorFactors())
            denominator = denominator * p;
        return TimesRational(*plant, m_response.gain(), numerator, denominator);
    }

    QuickPoint quickPoint(double omega, const LoopGain &gain, bool closedLoop) const override
    {
        const QuickPoint p = m_plant->quickPoint(omega, gain, false);
        const std::complex<double> r
            = std::polar(std::pow(10.0, p.gainDb / 20), p.rationalArg * std::numbers::pi / 180)
            * m_response.quick(omega);
        return QuickPointOf(r, omega, m_delay, closedLoop);
    }

    long double delayDegrees(double omega) const override { return m_plant->delayDegrees(omega); }

    long double gainDb(double omega, const LoopGain &gain) const override
    {
        return m_plant->gainDb(omega, gain) + m_response.at(omega).gainDb;
    }
    long double quickGainDb(double omega, const LoopGain &gain) const override
    {
        return m_plant->quickGainDb(omega, gain)
            + 10 * std::log10(std::norm(m_response.quick(omega)));
    }

    long double phase(double omega, const LoopGain &gain, const ResponseSample &near) const override
    {
        return m_plant->phase(omega, gain, plantSample(near)) + m_response.at(omega).phaseDeg;
    }
    long double quickPhase(
        double omega, const LoopGain &gain, const ResponseSample &near) const override
    {
        return m_plant->quickPhase(omega, gain, plantSample(near))
            + std::arg(m_response.quick(omega)) * 180 / std::numbers::pi;
    }

    long double closedDb(double omega, const LoopGain &gain) const override
    {
        const Complex plant = std::polar(std::pow(10.0L, m_plant->gainDb(omega, gain) / 20),
            m_plant->phase(omega, gain, ResponseSample {}) * RadiansPerDegree);
        const Complex g = plant * m_response.value(Complex(0, omega));
        return 10 * std::log10(std::norm(g) / std::norm(1.0L + g));
    }
    long double quickClosedDb(double omega, const LoopGain &gain) const override
    {
        return quickPoint(omega, gain, true).closedDb;
    }

    // A plant with a slope (a function) times the compensator is smooth: d|T|^2 / d omega by a
    // central difference of the exact |T|^2, whose error (h^2, relative) displaces the peak it
    // locates by far less than the peak's value notices. None for data, whose peak is read at
    // their points.
    std::optional<long double> closedSlope(double omega, const LoopGain &gain) const override
    {
        if (!m_smooth)
            return std::nullopt;
        const double h = omega * 1e-5;
        const auto squared = [&](double w) { return std::pow(10.0L, closedDb(w, gain) / 10); };
        return (squared(omega + h) - squared(omega - h)) / (2 * static_cast<long double>(h));
    }

private:
    // A sample of this model as the plant's: the compensator's share taken out.
    ResponseSample plantSample(const ResponseSample &near) const
    {
        ResponseSample s = near;
        const CompensatorPoint c = m_response.at(near.omega);
        const double degrees = static_cast<double>(c.phaseDeg);
        s.rationalPhase -= degrees;
        s.phase -= degrees;
        s.point.rationalArg = Wrap180(s.point.rationalArg - degrees);
        s.point.gainDb -= static_cast<double>(c.gainDb);
        return s;
    }

    std::shared_ptr<const ResponseModel> m_plant;
    Compensator m_compensator;
    CompensatorResponse m_response;
    long double m_delay = 0; // seconds, the plant's
    bool m_smooth = false; // the plant has a slope
};

} // namespace

std::shared_ptr<const ResponseModel> MakeCompensatedModel(
    std::shared_ptr<const ResponseModel> plant, Compensator compensator)
{
    if (compensator.empty())
        return plant;
    return std::make_shared<const CompensatedModel>(std::move(plant), std::move(compensator));
}

} // namespace velmora
