// core/expressionparser.h — expressions in s read into rational functions times a delay (core
// layer)
#pragma once

#include "core/transferfunction.h"

#include <string_view>

namespace velmora {

// The function typed as `text`, in the grammar TransferFunction describes: recursive descent,
// each subexpression reduced to N / D * exp(-T s) and written to the postfix program that
// evaluates it as typed. Throws ExpressionError with the column (in characters, from 1) and what
// was expected there, in French.
TransferFunction ParseExpression(std::string_view text);

} // namespace velmora
