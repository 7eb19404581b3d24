// Roots to the last bit of a double: Brent's method on known roots, and the quick-then-exact
// root whatever the quick function's error.
#include "core/rootfinding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>

using namespace velmora;

namespace {

constexpr double Epsilon = std::numeric_limits<double>::epsilon();

struct Case {
    const char *what;
    double a, b;
    std::function<long double(double)> f; // in extended precision
    long double root;
};

std::vector<Case> cases()
{
    return {
        { "x^2 - 2", 1, 2, [](double x) { return static_cast<long double>(x) * x - 2; },
            std::sqrt(2.0L) },
        { "cos x", 1, 2, [](double x) { return std::cos(static_cast<long double>(x)); },
            std::numbers::pi_v<long double> / 2 },
        { "x^3 - x - 1", 1, 2,
            [](double x) {
                const long double y = x;
                return y * y * y - y - 1;
            },
            1.32471795724474602596L },
        { "exp x - 10", 0, 5, [](double x) { return std::exp(static_cast<long double>(x)) - 10; },
            std::log(10.0L) },
        { "steep", 0, 1, [](double x) { return std::atan(1e6L * (x - 0.3L)); }, 0.3L },
        { "root at an end", 1, 2, [](double x) { return static_cast<long double>(x) - 1; }, 1 },
        { "tiny frequencies", 1e-9, 1e-7,
            [](double x) { return std::log(static_cast<long double>(x) / 3e-8L); }, 3e-8L },
    };
}

TEST(RootBetween, KnownRootsToTheLastBits)
{
    for (const Case &c : cases()) {
        const double root = RootBetween(c.a, c.b, [&](double x) { return c.f(x); });
        EXPECT_NEAR(root, static_cast<double>(c.root), 2 * Epsilon * std::fabs(root)) << c.what;
    }
}

// The quick function only comes near: too far off, the exact one takes the whole bracket.
TEST(RefinedRoot, ExactWhateverTheQuickFunctionsError)
{
    for (const Case &c : cases()) {
        for (const double offset : { 0.0, 1e-14, 1e-6, 0.1 }) {
            const double shifted = c.a + offset * (c.b - c.a);
            const auto quick
                = [&](double x) { return c.f(x) - c.f(shifted) * (offset > 0 ? 1 : 0); };
            const double root = RefinedRoot(c.a, c.b, quick, [&](double x) { return c.f(x); });
            EXPECT_NEAR(root, static_cast<double>(c.root), 2 * Epsilon * std::fabs(root))
                << c.what << " offset " << offset;
        }
    }
}

} // namespace
