// core/reducedfunction.cpp — the algebra of N(s) / D(s) * exp(-T s) with the factors as typed
// (core layer)
#include "core/reducedfunction.h"

#include <algorithm>

namespace velmora {

Factors MergedFactors(Factors a, const Factors &b, int power)
{
    for (const TypedFactor &f : b) {
        if (power == 0)
            break;
        const auto same = std::find_if(a.begin(), a.end(), [&](const TypedFactor &g) {
            return g.polynomial.coefficients() == f.polynomial.coefficients();
        });
        if (same != a.end())
            same->multiplicity += power * f.multiplicity;
        else
            a.push_back({ f.polynomial, power * f.multiplicity });
    }
    return a;
}

Factors SingleFactor(const Polynomial &p)
{
    return p.degree() >= 1 ? Factors { { p, 1 } } : Factors {};
}

Reduced ReducedProduct(const Reduced &a, const Reduced &b)
{
    return { a.numerator * b.numerator, a.denominator * b.denominator, a.delay + b.delay,
        MergedFactors(a.numeratorFactors, b.numeratorFactors),
        MergedFactors(a.denominatorFactors, b.denominatorFactors) };
}

Reduced ReducedQuotient(const Reduced &a, const Reduced &b)
{
    return { a.numerator * b.denominator, a.denominator * b.numerator, a.delay - b.delay,
        MergedFactors(a.numeratorFactors, b.denominatorFactors),
        MergedFactors(a.denominatorFactors, b.numeratorFactors) };
}

std::optional<Reduced> ReducedSum(const Reduced &a, const Reduced &b, bool subtract)
{
    const Polynomial right = subtract ? -b.numerator : b.numerator;
    long double delay = a.delay;
    if (a.numerator.isZero())
        delay = b.delay;
    else if (!b.numerator.isZero() && a.delay != b.delay)
        return std::nullopt;
    Reduced sum;
    if (a.denominator.coefficients() == b.denominator.coefficients()) {
        sum = { a.numerator + right, a.denominator, delay };
        sum.denominatorFactors = a.denominatorFactors;
    } else {
        sum = { a.numerator * b.denominator + right * a.denominator, a.denominator * b.denominator,
            delay };
        sum.denominatorFactors = MergedFactors(a.denominatorFactors, b.denominatorFactors);
    }
    sum.numeratorFactors = SingleFactor(sum.numerator);
    return sum;
}

} // namespace velmora
