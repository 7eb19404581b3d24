// core/expressionparser.cpp — expressions in s read into rational functions times a delay
// (core layer)
#include "core/expressionparser.h"

#include "core/compensatortext.h"
#include "core/floatingpointerror.h"
#include "core/numbertext.h"
#include "core/reducedfunction.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace velmora {

namespace {

constexpr int MaxExponent = 99;
constexpr int MaxDegree = 60;
// Parentheses and signs nest at most so deep: the parser recurses once per level, and a
// pasted wall of "(" must be refused, not overflow the stack.
constexpr int MaxNesting = 200;
// The size of the numbers and of the coefficients of the expanded numerator and denominator.
constexpr const char *CoefficientRange = "de 2.3e-308 à 1.7e308 en valeur absolue, ou 0";

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
        int characters = 0;
        for (std::size_t i = 0; i < m_text.size(); ++i) {
            characters += (static_cast<unsigned char>(m_text[i]) & 0xC0) == 0x80 ? 0 : 1;
            if (characters > MaxExpressionLength)
                throw ExpressionError(MaxExpressionLength + 1,
                    "expression trop longue (" + std::to_string(MaxExpressionLength)
                        + " caractères au plus)");
        }
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
        if (whole.delay > 0 && whole.numerator.degree() > whole.denominator.degree())
            throw ExpressionError(1,
                "retard avec plus de zéros que de pôles : le degré du numérateur ("
                    + std::to_string(whole.numerator.degree())
                    + ") ne peut dépasser celui du dénominateur ("
                    + std::to_string(whole.denominator.degree())
                    + ") devant exp(-T*s), dont la boucle fermée n'aurait pas de sens");
        if (std::max(whole.numerator.degree(), whole.denominator.degree()) > MaxDegree)
            throw ExpressionError(
                1, "degré trop élevé (" + std::to_string(MaxDegree) + " au plus)");
        TransferFunction function;
        function.m_text = std::string(m_text);
        function.m_numerator = std::move(whole.numerator);
        function.m_denominator = std::move(whole.denominator);
        function.m_delay = whole.delay;
        function.m_numeratorFactors = std::move(whole.numeratorFactors);
        function.m_denominatorFactors = std::move(whole.denominatorFactors);
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
    // The character at the current position, whole, for messages; a control character is
    // written as an escape (\0, \x01), since a NUL would end the message's C string.
    std::string character() const
    {
        const unsigned char first = static_cast<unsigned char>(peek());
        if (first == 0)
            return "\\0";
        if (first < 0x20 || first == 0x7F) {
            constexpr char Hex[] = "0123456789ABCDEF";
            return std::string("\\x") + Hex[first >> 4] + Hex[first & 0xF];
        }
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
            left = checked(add(left, right, op == '-', where), where);
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
                    left = checked(ReducedProduct(left, right), where);
                } else {
                    if (right.numerator.isZero())
                        failAt(where, "dénominateur nul");
                    emit(Step::Divide);
                    left = checked(ReducedQuotient(left, right), where);
                }
            } else if (op == 's' || op == '(' || startsWord("exp")) {
                const std::size_t where = m_position;
                Reduced right = power();
                emit(Step::Multiply);
                left = checked(ReducedProduct(left, right), where);
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
            result.numerator = result.numerator * base.numerator;
            result.denominator = result.denominator * base.denominator;
            result = checked(std::move(result), start);
        }
        result.delay = exponent * base.delay;
        result.numeratorFactors = MergedFactors({}, base.numeratorFactors, exponent);
        result.denominatorFactors = MergedFactors({}, base.denominatorFactors, exponent);
        return result;
    }

    // primary := number | "s" | "(" sum ")" | "exp" "(" delay ")" | element function
    Reduced primary()
    {
        skipBlanks();
        if (atEnd())
            fail("nombre, « s » ou « ( » attendu en fin d'expression");
        const char c = peek();
        if (isDigit(c) || c == '.') {
            const std::size_t start = m_position;
            bool tiny = false;
            const long double value = number(&tiny);
            if (tiny || (value != 0 && std::fabs(value) < std::numeric_limits<double>::min()))
                failAt(start, "nombre trop petit (" + std::string(CoefficientRange) + ")");
            emit(Step::Constant, value);
            return { Polynomial::constant(value), Polynomial::constant(1), 0 };
        }
        if (c == 's') {
            ++m_position;
            emit(Step::S);
            return { Polynomial::s(), Polynomial::constant(1), 0, { { Polynomial::s(), 1 } } };
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
        if (const std::optional<ElementCall> call = ReadElementCall(m_text, m_position)) {
            m_position = call->end;
            return element(call->element);
        }
        fail("nombre, « s » ou « ( » attendu au lieu de " + quoted(character()));
    }

    // A compensator element ("lead(1.5, 40)"): its factors, each written to the program as the
    // same factor typed out would be (Horner's rule, highest power first), and multiplied out.
    Reduced element(const CompensatorElement &e)
    {
        const ElementFactors factors = FactorsOf(e);
        Reduced result { Polynomial::constant(factors.gain), Polynomial::constant(1), 0 };
        emit(Step::Constant, factors.gain);
        for (const Polynomial &p : factors.numerator) {
            emitFactor(p);
            emit(Step::Multiply);
            result.numerator = result.numerator * p;
            result.numeratorFactors = MergedFactors(result.numeratorFactors, SingleFactor(p));
        }
        for (const Polynomial &p : factors.denominator) {
            emitFactor(p);
            emit(Step::Divide);
            result.denominator = result.denominator * p;
            result.denominatorFactors = MergedFactors(result.denominatorFactors, SingleFactor(p));
        }
        return result;
    }

    void emitFactor(const Polynomial &p)
    {
        const std::vector<long double> &c = p.coefficients();
        emit(Step::Constant, c.back());
        for (std::size_t k = c.size() - 1; k-- > 0;) {
            emit(Step::S);
            emit(Step::Multiply);
            if (c[k] != 0) {
                emit(Step::Constant, c[k]);
                emit(Step::Add);
            }
        }
    }

    // A decimal number: digits, an optional point and digits, an optional exponent, as the number
    // text of the whole program reads it (here without blanks or sign, which the grammar of
    // expressions takes apart).
    // A comma between two digits of the whole part is the decimal point, as in "0,5": the number
    // is then read from a copy with a point in its place.
    long double number(bool *tiny = nullptr)
    {
        const std::size_t start = m_position;
        NumberScan scan = ScanNumber(m_text.substr(start));
        std::string withPoint;
        const std::size_t comma = start + scan.end;
        if (scan.end > 0 && comma + 1 < m_text.size() && m_text[comma] == ','
            && isDigit(m_text[comma - 1]) && isDigit(m_text[comma + 1])
            && m_text.substr(start, scan.end).find_first_of(".eE") == std::string_view::npos) {
            withPoint = std::string(m_text.substr(start));
            withPoint[scan.end] = '.';
            scan = ScanNumber(withPoint);
        }
        m_position = start + scan.end;
        if (!scan.hasDigits)
            failAt(start, "nombre attendu");
        const std::string_view digits
            = std::string_view(withPoint.empty() ? m_text.substr(start) : withPoint)
                  .substr(0, scan.end);
        // Read in extended precision: 0.2 is kept as close to 0.2 as the arithmetic allows.
        long double value = 0;
        const auto [end, error]
            = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error == std::errc::result_out_of_range) {
            // Beyond the extended range: far too large, or so small that it is zero (`tiny`).
            try {
                StrictTextToReal(digits);
            } catch (const FloatingPointError &) {
                failAt(start, "nombre trop grand");
            }
            value = 0;
            if (tiny)
                *tiny = true;
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

    // The sum keeps the factors of the denominators (once when they are the same); its
    // numerator is one factor.
    Reduced add(const Reduced &a, const Reduced &b, bool subtract, std::size_t where) const
    {
        std::optional<Reduced> sum = ReducedSum(a, b, subtract);
        if (!sum)
            failAt(where, "retard dans une somme : exp(-T*s) doit multiplier toute la fonction");
        return std::move(*sum);
    }

    // The result of an operation at `where`, refused there when its degree is above MaxDegree:
    // each operation then works on operands of degree MaxDegree at most.
    // Its coefficients must be doubles of normal size, or zero: the evaluations the analysis
    // runs in double precision and the exact ones in extended precision then stay finite and
    // nonzero over the frequencies it looks at.
    Reduced checked(Reduced r, std::size_t where) const
    {
        if (std::max(r.numerator.degree(), r.denominator.degree()) > MaxDegree)
            failAt(where, "degré trop élevé (" + std::to_string(MaxDegree) + " au plus)");
        for (const Polynomial *p : { &r.numerator, &r.denominator })
            for (const long double c : p->coefficients())
                if (!(std::fabs(c) <= std::numeric_limits<double>::max())
                    || (c != 0 && std::fabs(c) < std::numeric_limits<double>::min()))
                    failAt(
                        where, "coefficient hors limites (" + std::string(CoefficientRange) + ")");
        if (r.numerator.isZero())
            r.numeratorFactors.clear();
        return r;
    }

    std::string_view m_text;
    std::size_t m_position = 0;
    int m_nesting = 0; // parentheses and signs open around m_position
    std::vector<Step> m_program;
};

TransferFunction ParseExpression(std::string_view text)
{
    return ExpressionParser(text).parse();
}

} // namespace velmora
