// core/compensatortext.cpp — compensators as text: element functions, the typed product, the
// display of C(s) and the compensated function (core layer)
#include "core/compensatortext.h"

#include "core/expressionparser.h"
#include "core/numbertext.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace velmora {

namespace {

bool isLetter(char c)
{
    return c >= 'a' && c <= 'z';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string quoted(std::string_view text)
{
    return "« " + std::string(text) + " »";
}

// Columns count characters, not bytes: a UTF-8 continuation byte adds none.
int columnOf(std::string_view text, std::size_t position)
{
    int column = 1;
    for (std::size_t i = 0; i < position && i < text.size(); ++i)
        column += (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80 ? 0 : 1;
    return column;
}

// The whole character at a position, for messages.
std::string characterAt(std::string_view text, std::size_t position)
{
    std::size_t end = position + 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        ++end;
    return std::string(text.substr(position, end - position));
}

std::size_t skipBlanks(std::string_view text, std::size_t position)
{
    while (position < text.size() && (text[position] == ' ' || text[position] == '\t'))
        ++position;
    return position;
}

std::string functionList()
{
    std::string list;
    for (const ElementInfo &info : ElementTable()) {
        if (info.function.empty())
            continue;
        if (!list.empty())
            list += ", ";
        list += info.function;
    }
    return list;
}

// An unsigned decimal number at `position`, in double precision, and the position past it.
std::pair<double, std::size_t> numberAt(std::string_view text, std::size_t position)
{
    const NumberScan scan = ScanNumber(text.substr(position));
    if (!scan.hasDigits || scan.begin != 0)
        throw ExpressionError(columnOf(text, position), "nombre attendu");
    double value = 0;
    const char *first = text.data() + position;
    const auto [end, error] = std::from_chars(first, first + scan.end, value);
    if (error != std::errc())
        throw ExpressionError(columnOf(text, position), "nombre hors des limites");
    return { value, position + scan.end };
}

// The shortest decimal that reads back as x.
std::string exactText(double x)
{
    std::array<char, 64> buffer {};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), x);
    return std::string(buffer.data(), result.ptr);
}

std::string shortText(long double x)
{
    return SignificantText(static_cast<double>(x), 6, '.');
}

// A factor with nonnegative coefficients: from its constant term when that is 1 ("1+0.5*s"),
// otherwise from its highest power ("s^2+0.4*s+4"), in parentheses when it has several terms.
std::string factorText(const Polynomial &p)
{
    const std::vector<long double> &c = p.coefficients();
    const bool ascending = c.front() == 1;
    std::string text;
    int terms = 0;
    for (std::size_t i = 0; i < c.size(); ++i) {
        const std::size_t k = ascending ? i : c.size() - 1 - i;
        if (c[k] == 0)
            continue;
        const std::string number = shortText(c[k]);
        if (terms++ > 0)
            text += '+';
        if (k == 0 || number != "1")
            text += number;
        if (k > 0)
            text.append(number != "1" ? "*s" : "s");
        if (k > 1)
            text.append("^").append(std::to_string(k));
    }
    return terms > 1 ? std::string("(").append(text).append(")") : text;
}

bool isS(const Polynomial &p)
{
    return p.degree() == 1 && p.rootsAtZero() == 1;
}

// The factors multiplied: the factors s first, as one power of s.
std::string productText(const std::vector<Polynomial> &factors)
{
    const auto powers = std::count_if(factors.begin(), factors.end(), isS);
    std::string text;
    if (powers > 0)
        text.append(powers > 1 ? "s^" + std::to_string(powers) : "s");
    for (const Polynomial &p : factors) {
        if (isS(p))
            continue;
        if (!text.empty())
            text += '*';
        text += factorText(p);
    }
    return text;
}

// The number of factors, a power of s counting as one.
std::size_t factorCount(const std::vector<Polynomial> &factors)
{
    const auto powers = std::count_if(factors.begin(), factors.end(), isS);
    return factors.size() - static_cast<std::size_t>(powers) + (powers > 0 ? 1 : 0);
}

} // namespace

std::optional<ElementCall> ReadElementCall(std::string_view text, std::size_t position)
{
    std::size_t end = position;
    while (end < text.size() && (isLetter(text[end]) || (end > position && isDigit(text[end]))))
        ++end;
    if (end == position)
        return std::nullopt;
    const std::string_view name = text.substr(position, end - position);
    const std::optional<ElementKind> kind = ElementKindOfFunction(name);
    std::size_t at = skipBlanks(text, end);
    const bool call = at < text.size() && text[at] == '(';
    if (!kind) {
        if (!call)
            return std::nullopt;
        throw ExpressionError(columnOf(text, position),
            "fonction inconnue " + quoted(name) + " (" + functionList() + ")");
    }
    if (!call)
        throw ExpressionError(columnOf(text, at), quoted("(") + " attendue après " + quoted(name));
    const ElementInfo &info = InfoOf(*kind);
    const std::string usage = std::string(name) + " attend " + std::to_string(info.parameterCount)
        + " argument" + (info.parameterCount > 1 ? "s" : "");
    ElementCall result { { *kind, {} }, 0 };
    ++at;
    for (std::size_t k = 0; k < info.parameterCount; ++k) {
        at = skipBlanks(text, at);
        if (k > 0) {
            if (at >= text.size() || text[at] != ',')
                throw ExpressionError(columnOf(text, at), usage);
            at = skipBlanks(text, at + 1);
        }
        const std::size_t start = at;
        bool negative = false;
        if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
            negative = text[at] == '-';
            ++at;
        }
        if (at >= text.size() || !(isDigit(text[at]) || text[at] == '.'))
            throw ExpressionError(columnOf(text, at), usage + " : nombre attendu");
        const auto [value, past] = numberAt(text, at);
        at = past;
        result.element.parameters[k] = negative ? -value : value;
        if (const std::optional<std::string> refusal
            = ParameterRefusal(*kind, k, result.element.parameters[k]))
            throw ExpressionError(columnOf(text, start), std::string(name) + " : " + *refusal);
    }
    at = skipBlanks(text, at);
    if (at >= text.size() || text[at] != ')')
        throw ExpressionError(columnOf(text, at),
            at < text.size() && text[at] == ',' ? usage : quoted(")") + " attendue");
    result.end = at + 1;
    return result;
}

Compensator ParseCompensator(std::string_view text)
{
    Compensator compensator;
    std::size_t at = skipBlanks(text, 0);
    if (at >= text.size())
        return compensator;
    char op = '*';
    while (true) {
        at = skipBlanks(text, at);
        const int column = columnOf(text, at);
        if (at >= text.size())
            throw ExpressionError(column, "élément, nombre ou « s » attendu en fin d'expression");
        const char c = text[at];
        if (c == 's' && (at + 1 >= text.size() || !isLetter(text[at + 1]))) {
            if (op != '/')
                throw ExpressionError(column, "« s » seul ne peut que diviser : « /s »");
            compensator.push_back({ ElementKind::Integrator, {} });
            ++at;
        } else if (isDigit(c) || c == '.') {
            const auto [value, past] = numberAt(text, at);
            at = past;
            if (!(value > 0))
                throw ExpressionError(column, "gain nul refusé");
            const double db = 20 * std::log10(op == '/' ? 1 / value : value);
            if (const std::optional<std::string> refusal
                = ParameterRefusal(ElementKind::Gain, 0, db))
                throw ExpressionError(column, *refusal);
            if (value != 1)
                compensator.push_back({ ElementKind::Gain, { db } });
        } else if (const std::optional<ElementCall> call = ReadElementCall(text, at)) {
            if (op == '/')
                throw ExpressionError(column, "seuls « s » et un nombre peuvent diviser");
            compensator.push_back(call->element);
            at = call->end;
        } else {
            throw ExpressionError(column,
                "élément, nombre ou « s » attendu au lieu de " + quoted(characterAt(text, at)));
        }
        at = skipBlanks(text, at);
        if (at >= text.size())
            return compensator;
        op = text[at];
        if (op != '*' && op != '/')
            throw ExpressionError(columnOf(text, at),
                "« * », « / » ou fin attendu au lieu de " + quoted(characterAt(text, at)));
        ++at;
    }
}

std::string CompensatorText(const Compensator &compensator)
{
    std::string text;
    for (const CompensatorElement &element : compensator) {
        const ElementInfo &info = InfoOf(element.kind);
        if (element.kind == ElementKind::Integrator) {
            text += text.empty() ? "1/s" : "/s";
            continue;
        }
        if (!text.empty())
            text += '*';
        text.append(info.function).append("(");
        for (std::size_t k = 0; k < info.parameterCount; ++k) {
            if (k > 0)
                text += ',';
            text += exactText(element.parameters[k]);
        }
        text += ')';
    }
    return text.empty() ? "1" : text;
}

std::string CompensatorDisplayText(const Compensator &compensator)
{
    const CompensatorResponse c(compensator);
    std::string text = productText(c.numeratorFactors());
    std::string gain = shortText(c.gain());
    if (gain != "1")
        text = text.empty() ? gain : gain.append("*").append(text);
    if (text.empty())
        text.push_back('1');
    const std::vector<Polynomial> &below = c.denominatorFactors();
    if (factorCount(below) == 1)
        text.append("/").append(productText(below));
    else if (factorCount(below) > 1)
        text.append("/(").append(productText(below)).append(")");
    return text;
}

TransferFunction CompensatedFunction(const TransferFunction &plant, const Compensator &compensator)
{
    if (compensator.empty())
        return plant;
    return ParseExpression("(" + plant.text() + ")*" + CompensatorText(compensator));
}

} // namespace velmora
