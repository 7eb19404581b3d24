// core/transferfunction.cpp — open-loop transfer functions typed as expressions in s (core layer)
#include "core/transferfunction.h"

#include "core/floatingpointerror.h"
#include "core/numbertext.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <type_traits>

namespace velmora {

namespace {

constexpr int MaxExponent = 99;
constexpr int MaxDegree = 60;
// Parentheses and signs nest at most so deep: the parser recurses once per level, and a
// pasted wall of "(" must be refused, not overflow the stack.
constexpr int MaxNesting = 200;

// A subexpression reduced to N / D * exp(-T s).
struct Reduced {
    Polynomial numerator;
    Polynomial denominator;
    long double delay = 0;
};

std::string quoted(std::string_view text)
{
    return "« " + std::string(text) + " »";
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

ExpressionError::ExpressionError(int column, const std::string &what)
    : std::runtime_error("colonne " + std::to_string(column) + " : " + what)
    , m_column(column)
{
}

// Recursive descent over the text, reducing each subexpression to N / D * exp(-T s) and writing
// the postfix program that evaluates it as typed.
class ExpressionParser {
public:
    explicit ExpressionParser(std::string_view text)
        : m_text(text)
    {
    }

    TransferFunction parse()
    {
        skipBlanks();
        if (atEnd())
            throw ExpressionError(1, "expression vide");
        Reduced whole = sum();
        skipBlanks();
        if (!atEnd()) {
            if (peek() == ')')
                fail(quoted(")") + " sans « ( »");
            fail("opérateur ou fin de l'expression attendu au lieu de " + quoted(character()));
        }
        if (whole.delay < 0)
            throw ExpressionError(
                1, "avance exp(+Ts) refusée : le retard doit être positif ou nul");
        if (std::max(whole.numerator.degree(), whole.denominator.degree()) > MaxDegree)
            throw ExpressionError(
                1, "degré trop élevé (" + std::to_string(MaxDegree) + " au plus)");
        TransferFunction function;
        function.m_text = std::string(m_text);
        function.m_numerator = std::move(whole.numerator);
        function.m_denominator = std::move(whole.denominator);
        function.m_delay = whole.delay;
        function.m_program = std::move(m_program);
        function.prepareQuickParts();
        return function;
    }

private:
    using Step = TransferFunction::Step;

    [[noreturn]] void fail(const std::string &what) const { throw ExpressionError(column(), what); }
    [[noreturn]] void failAt(std::size_t position, const std::string &what) const
    {
        throw ExpressionError(columnOf(position), what);
    }

    // Columns count characters, not bytes: a UTF-8 continuation byte adds none.
    int columnOf(std::size_t position) const
    {
        int column = 1;
        for (std::size_t i = 0; i < position && i < m_text.size(); ++i)
            column += (static_cast<unsigned char>(m_text[i]) & 0xC0) == 0x80 ? 0 : 1;
        return column;
    }
    int column() const { return columnOf(m_position); }
    bool atEnd() const { return m_position >= m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text[m_position]; }
    // The character at the current position, whole, for messages.
    std::string character() const
    {
        std::size_t end = m_position + 1;
        while (end < m_text.size() && (static_cast<unsigned char>(m_text[end]) & 0xC0) == 0x80)
            ++end;
        return std::string(m_text.substr(m_position, end - m_position));
    }
    void skipBlanks()
    {
        while (!atEnd() && (peek() == ' ' || peek() == '\t'))
            ++m_position;
    }
    bool startsWord(std::string_view word) const
    {
        return m_text.substr(m_position, word.size()) == word;
    }
    void expect(char c, const std::string &what)
    {
        skipBlanks();
        if (peek() != c)
            fail(what);
        ++m_position;
    }

    // Appends a step, fusing a binary step with a constant or s pushed just before it.
    void emit(Step::Kind kind, long double constant = 0, int exponent = 0)
    {
        if (!m_program.empty()) {
            const Step last = m_program.back();
            if (last.kind == Step::Constant
                && (kind == Step::Add || kind == Step::Subtract || kind == Step::Multiply)) {
                const long double c = kind == Step::Subtract ? -last.constant : last.constant;
                m_program.back()
                    = { kind == Step::Multiply ? Step::MultiplyConstant : Step::AddConstant, c,
                          static_cast<double>(c), 0 };
                return;
            }
            if (last.kind == Step::S && kind == Step::Multiply) {
                m_program.back() = { Step::MultiplyS, 0, 0, 0 };
                return;
            }
        }
        m_program.push_back({ kind, constant, static_cast<double>(constant), exponent });
    }

    // sum := product (("+" | "-") product)*
    Reduced sum()
    {
        Reduced left = product();
        while (true) {
            skipBlanks();
            const char op = peek();
            if (op != '+' && op != '-')
                return left;
            const std::size_t where = m_position++;
            Reduced right = product();
            emit(op == '+' ? Step::Add : Step::Subtract);
            left = add(left, right, op == '-', where);
        }
    }

    // product := signed (("*" | "/") signed | implicit)*, an implicit product before s, "(" or
    // exp.
    Reduced product()
    {
        Reduced left = signedFactor();
        while (true) {
            skipBlanks();
            const char op = peek();
            if (op == '*' || op == '/') {
                const std::size_t where = m_position++;
                Reduced right = signedFactor();
                if (op == '*') {
                    emit(Step::Multiply);
                    left = multiply(left, right);
                } else {
                    if (right.numerator.isZero())
                        failAt(where, "dénominateur nul");
                    emit(Step::Divide);
                    left = divide(left, right);
                }
            } else if (op == 's' || op == '(' || startsWord("exp")) {
                Reduced right = power();
                emit(Step::Multiply);
                left = multiply(left, right);
            } else {
                return left;
            }
        }
    }

    // One level deeper for as long as it lives; refused beyond MaxNesting.
    class Nesting {
    public:
        explicit Nesting(ExpressionParser &parser)
            : m_parser(parser)
        {
            if (++m_parser.m_nesting > MaxNesting)
                m_parser.fail("expression trop imbriquée (" + std::to_string(MaxNesting)
                    + " niveaux au plus)");
        }
        ~Nesting() { --m_parser.m_nesting; }
        Nesting(const Nesting &) = delete;
        Nesting &operator=(const Nesting &) = delete;

    private:
        ExpressionParser &m_parser;
    };

    // signed := ("+" | "-") signed | power
    Reduced signedFactor()
    {
        skipBlanks();
        if (peek() == '-' || peek() == '+') {
            const bool negative = peek() == '-';
            const Nesting nested(*this);
            ++m_position;
            Reduced operand = signedFactor();
            if (!negative)
                return operand;
            emit(Step::Negate);
            operand.numerator = -operand.numerator;
            return operand;
        }
        return power();
    }

    // power := primary ("^" whole number)?
    Reduced power()
    {
        Reduced base = primary();
        skipBlanks();
        if (peek() != '^')
            return base;
        ++m_position;
        skipBlanks();
        const std::size_t start = m_position;
        while (!atEnd() && isDigit(peek()))
            ++m_position;
        int exponent = 0;
        const auto [end, error]
            = std::from_chars(m_text.data() + start, m_text.data() + m_position, exponent);
        if (start == m_position || error != std::errc() || exponent > MaxExponent
            || (!atEnd() && (peek() == '.' || peek() == 'e' || peek() == 'E')))
            failAt(start, "exposant entier de 0 à " + std::to_string(MaxExponent) + " attendu");
        emit(Step::Power, 0, exponent);
        Reduced result { Polynomial::constant(1), Polynomial::constant(1), 0 };
        for (int i = 0; i < exponent; ++i) {
            result = multiply(result, base);
            if (std::max(result.numerator.degree(), result.denominator.degree()) > MaxDegree)
                failAt(start, "degré trop élevé (" + std::to_string(MaxDegree) + " au plus)");
        }
        return result;
    }

    // primary := number | "s" | "(" sum ")" | "exp" "(" delay ")"
    Reduced primary()
    {
        skipBlanks();
        if (atEnd())
            fail("nombre, « s » ou « ( » attendu en fin d'expression");
        const char c = peek();
        if (isDigit(c) || c == '.') {
            const long double value = number();
            emit(Step::Constant, value);
            return { Polynomial::constant(value), Polynomial::constant(1), 0 };
        }
        if (c == 's') {
            ++m_position;
            emit(Step::S);
            return { Polynomial::s(), Polynomial::constant(1), 0 };
        }
        if (c == '(') {
            const Nesting nested(*this);
            ++m_position;
            Reduced inside = sum();
            expect(')', quoted(")") + " attendue");
            return inside;
        }
        if (startsWord("exp")) {
            m_position += 3;
            expect('(', quoted("(") + " attendue après exp");
            const long double seconds = delay();
            expect(')', quoted(")") + " attendue");
            emit(Step::Constant, 1);
            return { Polynomial::constant(1), Polynomial::constant(1), seconds };
        }
        fail("nombre, « s » ou « ( » attendu au lieu de " + quoted(character()));
    }

    // A decimal number: digits, an optional point and digits, an optional exponent.
    long double number()
    {
        const std::size_t start = m_position;
        while (!atEnd() && isDigit(peek()))
            ++m_position;
        if (peek() == '.') {
            ++m_position;
            while (!atEnd() && isDigit(peek()))
                ++m_position;
        }
        if (peek() == 'e' || peek() == 'E') {
            std::size_t j = m_position + 1;
            if (j < m_text.size() && (m_text[j] == '+' || m_text[j] == '-'))
                ++j;
            if (j < m_text.size() && isDigit(m_text[j])) {
                m_position = j;
                while (!atEnd() && isDigit(peek()))
                    ++m_position;
            }
        }
        const std::string_view digits = m_text.substr(start, m_position - start);
        if (digits == ".")
            failAt(start, "nombre attendu");
        // Read in extended precision: 0.2 is kept as close to 0.2 as the arithmetic allows.
        long double value = 0;
        const auto [end, error]
            = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error == std::errc::result_out_of_range) {
            // Beyond the extended range: far too large, or so small that it is zero.
            try {
                StrictTextToReal(digits);
            } catch (const FloatingPointError &) {
                failAt(start, "nombre trop grand");
            }
            value = 0;
        } else if (error != std::errc()) {
            failAt(start, "nombre attendu");
        }
        if (std::fabs(value) > std::numeric_limits<double>::max())
            failAt(start, "nombre trop grand");
        return value;
    }

    // Inside exp( ): -T*s, -Ts, -T s, -s*T, -s, with T >= 0 seconds.
    long double delay()
    {
        skipBlanks();
        const std::size_t start = m_position;
        bool negative = false;
        if (peek() == '-' || peek() == '+') {
            negative = peek() == '-';
            ++m_position;
            skipBlanks();
        }
        long double seconds = 1;
        const bool numberFirst = isDigit(peek()) || peek() == '.';
        if (numberFirst) {
            seconds = number();
            skipBlanks();
            if (peek() == '*') {
                ++m_position;
                skipBlanks();
            }
        }
        if (peek() != 's')
            fail("retard attendu sous la forme exp(-T*s)");
        ++m_position;
        skipBlanks();
        if (!numberFirst && peek() == '*') {
            ++m_position;
            skipBlanks();
            if (!(isDigit(peek()) || peek() == '.'))
                fail("retard attendu sous la forme exp(-T*s)");
            seconds = number();
        }
        if (!negative && seconds != 0)
            failAt(
                start, "avance exp(+Ts) refusée : le retard doit être exp(-T*s), T positif ou nul");
        return seconds;
    }

    Reduced add(const Reduced &a, const Reduced &b, bool subtract, std::size_t where) const
    {
        const Polynomial right = subtract ? -b.numerator : b.numerator;
        // A delay must multiply the whole function: terms of a sum share one, or are zero.
        long double delay = a.delay;
        if (a.numerator.isZero())
            delay = b.delay;
        else if (!b.numerator.isZero() && a.delay != b.delay)
            failAt(where, "retard dans une somme : exp(-T*s) doit multiplier toute la fonction");
        if (a.denominator.coefficients() == b.denominator.coefficients())
            return { a.numerator + right, a.denominator, delay };
        return { a.numerator * b.denominator + right * a.denominator, a.denominator * b.denominator,
            delay };
    }

    static Reduced multiply(const Reduced &a, const Reduced &b)
    {
        return { a.numerator * b.numerator, a.denominator * b.denominator, a.delay + b.delay };
    }

    static Reduced divide(const Reduced &a, const Reduced &b)
    {
        return { a.numerator * b.denominator, a.denominator * b.numerator, a.delay - b.delay };
    }

    std::string_view m_text;
    std::size_t m_position = 0;
    int m_nesting = 0; // parentheses and signs open around m_position
    std::vector<Step> m_program;
};

TransferFunction TransferFunction::parse(std::string_view text)
{
    return ExpressionParser(text).parse();
}

namespace {

void splitForAxis(const Polynomial &p, std::vector<double> &even, std::vector<double> &odd)
{
    const std::vector<long double> &c = p.coefficients();
    for (std::size_t k = 0; k < c.size(); ++k) {
        const double signed_ = static_cast<double>((k / 2) % 2 == 0 ? c[k] : -c[k]);
        (k % 2 == 0 ? even : odd).push_back(signed_);
    }
}

// (real, imaginary) of a polynomial at j omega from its split coefficients, by Horner in w^2.
std::complex<double> onAxis(
    const std::vector<double> &even, const std::vector<double> &odd, double omega)
{
    const double w2 = omega * omega;
    double re = 0;
    for (auto c = even.rbegin(); c != even.rend(); ++c)
        re = re * w2 + *c;
    double im = 0;
    for (auto c = odd.rbegin(); c != odd.rend(); ++c)
        im = im * w2 + *c;
    return { re, im * omega };
}

} // namespace

void TransferFunction::prepareQuickParts()
{
    splitForAxis(m_numerator, m_numeratorEven, m_numeratorOdd);
    splitForAxis(m_denominator, m_denominatorEven, m_denominatorOdd);
}

std::optional<std::complex<double>> TransferFunction::quickOnAxis(double omega) const
{
    const std::complex<double> n = onAxis(m_numeratorEven, m_numeratorOdd, omega);
    const std::complex<double> d = onAxis(m_denominatorEven, m_denominatorOdd, omega);
    const double norm = d.real() * d.real() + d.imag() * d.imag();
    const std::complex<double> r { (n.real() * d.real() + n.imag() * d.imag()) / norm,
        (n.imag() * d.real() - n.real() * d.imag()) / norm };
    if (!std::isfinite(r.real()) || !std::isfinite(r.imag()) || (r.real() == 0 && r.imag() == 0)
        || !(norm > 1e-280))
        return std::nullopt;
    return r;
}

int TransferFunction::netIntegrators() const
{
    return m_denominator.rootsAtZero() - m_numerator.rootsAtZero();
}

long double TransferFunction::lowFrequencyGain() const
{
    if (m_numerator.isZero())
        return 0;
    return m_numerator.lowestCoefficient() / m_denominator.lowestCoefficient();
}

namespace {

// Complex arithmetic spelled out: the library's complex division goes through a checking routine
// for infinities that the values here never need.
template <typename Real> struct Z {
    Real re;
    Real im;
};

template <typename Real> inline Z<Real> operator+(Z<Real> a, Z<Real> b)
{
    return { a.re + b.re, a.im + b.im };
}
template <typename Real> inline Z<Real> operator-(Z<Real> a, Z<Real> b)
{
    return { a.re - b.re, a.im - b.im };
}
template <typename Real> inline Z<Real> operator*(Z<Real> a, Z<Real> b)
{
    return { a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re };
}
template <typename Real> inline Z<Real> operator/(Z<Real> a, Z<Real> b)
{
    const Real norm = b.re * b.re + b.im * b.im;
    return { (a.re * b.re + a.im * b.im) / norm, (a.im * b.re - a.re * b.im) / norm };
}

} // namespace

std::complex<long double> TransferFunction::rationalValue(std::complex<long double> s) const
{
    return evaluate<long double>(s);
}

std::complex<double> TransferFunction::rationalValue(std::complex<double> s) const
{
    return evaluate<double>(s);
}

template <typename Real> std::complex<Real> TransferFunction::evaluate(std::complex<Real> s) const
{
    using Z = velmora::Z<Real>;
    // The top of the stack stays in `top`; the rest below it.
    constexpr std::size_t Depth = 64;
    Z fixed[Depth];
    std::vector<Z> grown; // for expressions nested deeper than the fixed stack
    Z *below = fixed;
    if (m_program.size() > Depth) {
        grown.resize(m_program.size());
        below = grown.data();
    }
    std::size_t depth = 0;
    Z top { 0, 0 };
    const Z at { s.real(), s.imag() };
    const auto constantOf = [](const Step &step) -> Real {
        if constexpr (std::is_same_v<Real, double>)
            return step.quickConstant;
        else
            return step.constant;
    };
    for (const Step &step : m_program) {
        switch (step.kind) {
        case Step::Constant:
            below[depth++] = top;
            top = { constantOf(step), 0 };
            break;
        case Step::S:
            below[depth++] = top;
            top = at;
            break;
        case Step::Negate:
            top = { -top.re, -top.im };
            break;
        case Step::Power: {
            Z base = top;
            Z power { 1, 0 };
            for (int n = step.exponent; n > 0; n >>= 1) {
                if (n & 1)
                    power = power * base;
                base = base * base;
            }
            top = power;
            break;
        }
        case Step::Add:
            top = below[--depth] + top;
            break;
        case Step::Subtract:
            top = below[--depth] - top;
            break;
        case Step::Multiply:
            top = below[--depth] * top;
            break;
        case Step::Divide:
            top = below[--depth] / top;
            break;
        case Step::AddConstant:
            top.re += constantOf(step);
            break;
        case Step::MultiplyConstant: {
            const Real c = constantOf(step);
            top = { top.re * c, top.im * c };
            break;
        }
        case Step::MultiplyS:
            top = top * at;
            break;
        }
    }
    return { top.re, top.im };
}

ValueAndSlope TransferFunction::rationalAt(std::complex<long double> s) const
{
    // A small stack machine over (value, derivative) pairs.
    ValueAndSlope stack[64];
    std::vector<ValueAndSlope> spill; // deeper expressions than the stack above
    int top = 0;
    const auto push = [&](ValueAndSlope v) {
        if (top < 64)
            stack[top] = v;
        else
            spill.push_back(v);
        ++top;
    };
    const auto pop = [&]() {
        --top;
        if (top < 64)
            return stack[top];
        const ValueAndSlope v = spill.back();
        spill.pop_back();
        return v;
    };
    for (const Step &step : m_program) {
        switch (step.kind) {
        case Step::Constant:
            push({ step.constant, 0 });
            break;
        case Step::S:
            push({ s, 1 });
            break;
        case Step::Negate: {
            const ValueAndSlope a = pop();
            push({ -a.value, -a.slope });
            break;
        }
        case Step::AddConstant: {
            const ValueAndSlope a = pop();
            push({ a.value + step.constant, a.slope });
            break;
        }
        case Step::MultiplyConstant: {
            const ValueAndSlope a = pop();
            push({ a.value * step.constant, a.slope * step.constant });
            break;
        }
        case Step::MultiplyS: {
            const ValueAndSlope a = pop();
            push({ a.value * s, a.slope * s + a.value });
            break;
        }
        case Step::Power: {
            const ValueAndSlope a = pop();
            std::complex<long double> power = 1;
            std::complex<long double> lower = 1; // a^(n-1)
            for (int i = 0; i < step.exponent; ++i) {
                lower = power;
                power *= a.value;
            }
            push({ power,
                step.exponent == 0 ? 0
                                   : static_cast<long double>(step.exponent) * lower * a.slope });
            break;
        }
        default: {
            const ValueAndSlope b = pop();
            const ValueAndSlope a = pop();
            switch (step.kind) {
            case Step::Add:
                push({ a.value + b.value, a.slope + b.slope });
                break;
            case Step::Subtract:
                push({ a.value - b.value, a.slope - b.slope });
                break;
            case Step::Multiply:
                push({ a.value * b.value, a.slope * b.value + a.value * b.slope });
                break;
            default: { // Divide
                const std::complex<long double> quotient = a.value / b.value;
                push({ quotient, (a.slope - quotient * b.slope) / b.value });
                break;
            }
            }
        }
        }
    }
    return pop();
}

} // namespace velmora
