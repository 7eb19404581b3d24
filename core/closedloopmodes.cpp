// core/closedloopmodes.cpp — closed-loop roots refined on the loop as typed, and their residues
#include "core/closedloopmodes.h"

#include <Eigen/Eigenvalues>

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

using Complex = std::complex<long double>;

// p(s) and p'(s) by Horner's rule, coefficients lowest power first.
void Horner(const std::vector<long double> &c, Complex s, Complex &value, Complex &slope)
{
    value = 0;
    slope = 0;
    for (auto k = c.size(); k-- > 0;) {
        slope = slope * s + value;
        value = value * s + c[k];
    }
}

bool IsFinite(Complex z)
{
    return std::isfinite(z.real()) && std::isfinite(z.imag());
}

} // namespace

RefinedRoot RefineClosedLoopRoot(
    const TransferFunction &loop, long double gain, std::complex<double> estimate)
{
    RefinedRoot result;
    const std::vector<long double> &n = loop.numerator().coefficients();
    const std::vector<long double> &d = loop.denominator().coefficients();
    const long double delay = loop.delay();
    Complex s(estimate.real(), estimate.imag());
    const bool real = s.imag() == 0;

    // On the expanded polynomials, where the function has no poles: quick and global enough.
    bool settled = false;
    for (int i = 0; i < 60; ++i) {
        Complex nv, ns, dv, ds;
        Horner(n, s, nv, ns);
        Horner(d, s, dv, ds);
        const Complex e = std::exp(-delay * s);
        const Complex f = dv + gain * nv * e;
        const Complex df = ds + gain * e * (ns - delay * nv);
        if (f == Complex(0)) {
            settled = true;
            break;
        }
        if (df == Complex(0) || !IsFinite(f / df))
            break;
        const Complex step = f / df;
        s -= step;
        settled = std::abs(step) <= 1e-10L * std::abs(s);
        if (std::abs(step) <= 1e-14L * std::abs(s))
            break;
    }
    if (settled && IsFinite(s))
        result.characteristic = std::complex<double>(
            static_cast<double>(s.real()), real ? 0.0 : static_cast<double>(s.imag()));
    else // the expansion has lost the root (clustered roots): from the estimate, at more length
        s = Complex(estimate.real(), estimate.imag());

    // On the loop as typed, which the expansion may have rounded: a few steps to full precision.
    const auto atS = [&](Complex z) { return loop.rationalAt(z); };
    const ValueAndSlope first = atS(s);
    const bool nearPole = std::abs(gain * first.value * std::exp(-delay * s)) > 1;
    long double last = INFINITY;
    for (int i = 0; i < (result.characteristic ? 12 : 50); ++i) {
        const ValueAndSlope g = i == 0 ? first : atS(s);
        const Complex e = std::exp(-delay * s);
        Complex f, df;
        if (nearPole) { // 1 / L + 1: smooth through the poles of G
            f = 1.0L / (gain * g.value * e) + 1.0L;
            df = -(g.slope - delay * g.value) / (gain * g.value * g.value * e);
        } else { // 1 + L: smooth through the zeros of G
            f = 1.0L + gain * g.value * e;
            df = gain * e * (g.slope - delay * g.value);
        }
        const Complex step = f / df;
        if (!IsFinite(step))
            return result;
        s -= step;
        last = std::abs(step);
        if (last <= 1e-17L * std::abs(s)) // below the rounding of the double result
            break;
    }
    if (!(last <= 1e-11L * std::abs(s)) || !IsFinite(s))
        return result;
    if (real || std::abs(s.imag()) <= 1e-13L * std::abs(s))
        s.imag(0);
    result.root
        = std::complex<double>(static_cast<double>(s.real()), static_cast<double>(s.imag()));
    return result;
}

std::complex<double> StepResidue(
    const TransferFunction &loop, long double gain, std::complex<double> root)
{
    const Complex s(root.real(), root.imag());
    const ValueAndSlope g = loop.rationalAt(s);
    const long double delay = loop.delay();
    const Complex slope = gain * std::exp(-delay * s) * (g.slope - delay * g.value);
    const Complex r = -1.0L / (s * slope);
    return { static_cast<double>(r.real()),
        root.imag() == 0 ? 0.0 : static_cast<double>(r.imag()) };
}

ClosedLoopRoots ClosedLoopModes(const TransferFunction &loop, long double gain,
    const std::vector<std::complex<double>> &estimates, Refinement refinement)
{
    ClosedLoopRoots roots;
    std::vector<ClosedLoopMode> &modes = roots.modes;
    std::vector<std::complex<double>> unconverged;
    const auto seen = [&](std::complex<double> root) {
        return std::any_of(modes.begin(), modes.end(),
            [&](const auto &mode) { return std::abs(mode.root - root) <= 1e-9 * std::abs(root); });
    };
    for (std::complex<double> estimate : estimates) {
        if (estimate.imag() < 0)
            continue;
        if (estimate.imag() <= 1e-12 * std::abs(estimate))
            estimate.imag(0);
        const RefinedRoot refined = RefineClosedLoopRoot(loop, gain, estimate);
        if (refined.characteristic && !(refined.characteristic->real() < 0))
            roots.unstable = true;
        if (!refined.root || refined.root->imag() < 0) {
            unconverged.push_back(estimate);
            continue;
        }
        if (!(refined.root->real() < 0))
            roots.unstable = true;
        if (!seen(*refined.root))
            modes.push_back({ *refined.root, StepResidue(loop, gain, *refined.root) });
    }
    if (refinement == Refinement::KeepUnconverged)
        for (const std::complex<double> estimate : unconverged)
            if (estimate.real() < 0 && !seen(estimate))
                modes.push_back({ estimate, StepResidue(loop, gain, estimate) });
    std::sort(modes.begin(), modes.end(),
        [](const auto &a, const auto &b) { return a.root.real() > b.root.real(); });
    return roots;
}

std::vector<std::complex<double>> PadeClosedLoopRoots(
    const StateSpace &plant, double delay, int order)
{
    // exp(-x) ~ P(-x) / P(x), P(x) = sum c_k x^k, c_k = (2p-k)! p! / ((2p)! k! (p-k)!), x = sT.
    std::vector<long double> numerator(order + 1), denominator(order + 1);
    long double c = 1;
    long double power = 1;
    for (int k = 0; k <= order; ++k) {
        numerator[k] = c * (k % 2 ? -power : power);
        denominator[k] = c * power;
        c *= static_cast<long double>(order - k) / ((2 * order - k) * (k + 1.0L));
        power *= delay;
    }
    const std::optional<StateSpace> pade = Realise(numerator, denominator);
    if (!pade)
        return {};
    const int n = plant.order();
    const int p = pade->order();
    const double g = 1 / (1 + pade->d * plant.d);
    if (!std::isfinite(g))
        return {};
    // u = Pade(e), e = -y, y = c x + d u: u = g (cp xp - dp c x), e = -g (c x + d cp xp).
    Eigen::MatrixXd a(n + p, n + p);
    a.topLeftCorner(n, n) = plant.a - g * pade->d * plant.b * plant.c;
    a.topRightCorner(n, p) = g * plant.b * pade->c;
    a.bottomLeftCorner(p, n) = -g * pade->b * plant.c;
    a.bottomRightCorner(p, p) = pade->a - g * plant.d * pade->b * pade->c;
    Balance(a);
    const Eigen::EigenSolver<Eigen::MatrixXd> solver(a, false);
    if (solver.info() != Eigen::Success)
        return {};
    const Eigen::VectorXcd values = solver.eigenvalues();
    return { values.data(), values.data() + values.size() };
}

} // namespace velmora
