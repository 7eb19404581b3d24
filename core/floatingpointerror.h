// core/floatingpointerror.h — the floating-point error and its French messages (core layer)
#pragma once

#include <stdexcept>

namespace velmora {

enum class FloatingPointFault { Overflow, DivideByZero, InvalidOperation };

// The text the user sees for each fault.
inline const char *FloatingPointMessage(FloatingPointFault fault)
{
    switch (fault) {
    case FloatingPointFault::Overflow:
        return "Débordement en virgule flottante";
    case FloatingPointFault::DivideByZero:
        return "Division par zéro en virgule flottante";
    case FloatingPointFault::InvalidOperation:
        break;
    }
    return "Opération en virgule flottante non valide";
}

// Raised where a computation would otherwise produce an infinity or a NaN. Hardware traps are
// never enabled: every fault is detected by an explicit test.
class FloatingPointError : public std::runtime_error {
public:
    explicit FloatingPointError(FloatingPointFault fault)
        : std::runtime_error(FloatingPointMessage(fault))
        , m_fault(fault)
    {
    }

    FloatingPointFault fault() const noexcept { return m_fault; }

private:
    FloatingPointFault m_fault;
};

} // namespace velmora
