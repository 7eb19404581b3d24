// core/rootfinding.h — roots of real functions of a frequency, to the last bit of a double (core
// layer)
#pragma once

#include <concepts>
#include <type_traits>

namespace velmora {

// A real function of a frequency, referred to, not owned: what the root finders call. It must
// outlive the call it is passed to.
class FrequencyFunction {
public:
    template <typename F>
    requires(!std::same_as<std::remove_cvref_t<F>, FrequencyFunction>)
        && std::invocable<const F &, double> FrequencyFunction(const F &function)
        : m_function(&function)
    , m_call([](const void *f, double omega) -> long double {
        return (*static_cast<const F *>(f))(omega);
    })
    {
    }

    long double operator()(double omega) const { return m_call(m_function, omega); }

private:
    const void *m_function;
    long double (*m_call)(const void *, double);
};

// Brent's method on a bracket [a, b] where f changes sign (a root at an end is that end), to the
// last bit of a double: the bracket is narrowed until it is two ulps wide, or for at most 200
// steps.
double RootBetween(double a, double b, FrequencyFunction f);

// A root in [a, b] to the last bit of a double: first with the quick function, then, on a
// bracket a few ulps wide around what it found, with the exact one; on the whole bracket with
// the exact one if the quick function misplaced the root.
double RefinedRoot(double a, double b, FrequencyFunction quick, FrequencyFunction exact);

// Brent's method for a minimum of f over [a, b] (0 < a < b) in log frequency (golden sections,
// and parabolas where those shrink the bracket), until the bracket is within `relative` |log
// omega| + `absolute` of the point found, or for at most 200 steps: where it ends, and f there.
// A bottom inside the bracket is found when f falls to it and rises from it; of several, one.
struct FrequencyMinimum {
    double omega;
    long double value;
};
FrequencyMinimum MinimumBetween(
    double a, double b, FrequencyFunction f, long double relative, long double absolute);

// Where f is largest over [a, b] (0 < a < b): Brent's method for a minimum (golden sections and
// parabolas) on -f in log frequency, to a few ulps of the frequency where f is not flat, then the
// best of that point and the ends. A top inside the bracket is found when f rises to it and falls
// from it; of several, one.
double MaximumBetween(double a, double b, FrequencyFunction f);

} // namespace velmora
