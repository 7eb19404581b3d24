// core/compensatortext.h — compensators as text: the element functions of expressions, the
// compensator typed as a product of them, C(s) written for display, and the plant times its
// compensator as one function (core layer)
#pragma once

#include "core/compensator.h"
#include "core/transferfunction.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// An element function read from an expression: the element and the position just past its ")".
struct ElementCall {
    CompensatorElement element;
    std::size_t end;
};

// The element function whose name starts at `position` (bytes) in `text`: a name of the table
// ("lead", "pid", ...), then "(", its arguments (signed decimal numbers, separated by commas,
// blanks allowed) in the order of the table, and ")". Nothing when no letter starts there, or
// when a name that is not a function is not followed by "(" (it is then not a call at all).
// Throws ExpressionError, with the column (characters, from 1) of the fault and the reason in
// French: an unknown function, a missing "(", ")" or argument, too many arguments, an argument
// out of its range.
std::optional<ElementCall> ReadElementCall(std::string_view text, std::size_t position);

// A compensator typed as a product, read left to right: element functions, positive numbers (a
// gain element each, 1 adding none), and "/s" (an integrator) or "/" a number (a gain below 1):
// "lead(1.5, 40)*pi(0.2)*2", "2/s*zero(0.5)". Blank or empty text is no compensator. Throws
// ExpressionError with the column and the reason in French.
Compensator ParseCompensator(std::string_view text);

// The compensator as the text ParseCompensator reads back to the same elements, each parameter
// written in full (the shortest decimal that reads back as it): "lead(1.5,40)*pi(0.2)/s". It is
// also an expression (ParseExpression) of C(s). "1" for no compensator.
std::string CompensatorText(const Compensator &compensator);

// C(s) for display as a rational expression in factored form: the constant gain first, then the
// numerator's factors over the denominator's, each number with at most 6 significant digits and
// "." as the separator: "4.6*(1+0.92*s)*(s+0.2)/(s*(1+0.22*s))". "1" for no compensator.
std::string CompensatorDisplayText(const Compensator &compensator);

// The plant times its compensator, as one function evaluated as typed (the plant's expression
// times the element functions). Throws ExpressionError when the product is beyond the limits of
// an expression (degree 60).
TransferFunction CompensatedFunction(const TransferFunction &plant, const Compensator &compensator);

} // namespace velmora
