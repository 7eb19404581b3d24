// core/reducedfunction.h — the algebra of N(s) / D(s) * exp(-T s) that keeps the factors of N and
// D as typed, on which the expression parser reduces each subexpression (core layer)
#pragma once

#include "core/polynomial.h"
#include "core/transferfunction.h"

#include <optional>
#include <vector>

namespace velmora {

using Factors = std::vector<TypedFactor>;

// A subexpression reduced to N / D * exp(-T s), with the factors of N and of D as typed: each is
// a constant times the product of its factors.
struct Reduced {
    Polynomial numerator;
    Polynomial denominator;
    long double delay = 0;
    Factors numeratorFactors {};
    Factors denominatorFactors {};
};

// The factors of a product: those of both, a factor typed in both counted once more often; those
// of b counted `power` times.
Factors MergedFactors(Factors a, const Factors &b, int power = 1);

// A polynomial as one factor, or none when it is a constant.
Factors SingleFactor(const Polynomial &p);

Reduced ReducedProduct(const Reduced &a, const Reduced &b);
Reduced ReducedQuotient(const Reduced &a, const Reduced &b);

// a + b, or a - b: over the common denominator (the same one once), the numerator one factor.
// Nothing when the terms carry different delays: a delay must multiply the whole function.
std::optional<Reduced> ReducedSum(const Reduced &a, const Reduced &b, bool subtract);

} // namespace velmora
