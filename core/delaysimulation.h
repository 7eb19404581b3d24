// core/delaysimulation.h — the unit-step response of a plant closed by unity feedback around a
// delay, by steps of a fraction of the delay over which the state equation is solved exactly
// (core layer; included by core sources only)
#pragma once

#include "core/statespace.h"

#include <utility>
#include <vector>

namespace velmora {

// The closed loop x' = a x + b u, y = c x + d u, u(t) = 1 - y(t - T) for t >= T and 0 before
// (so y = 0 on [0, T)), advanced from t = T by steps of h = T / m. Within a step the input is
// the polynomial of degree Degree through its values at the Chebyshev-Lobatto nodes of the step,
// and the state equation is solved exactly for that input (the matrix exponential and its
// integrals against the Lagrange basis, by their power series, which converge fast since
// |a| h <= 2 is asked of the caller). The nodes of step k are those of step k - m shifted by
// T, so the delayed output is read where it was computed: no interpolation between steps, and the
// jumps of y at multiples of T (d != 0) and its kinks fall on step boundaries. The one
// approximation is the polynomial input, of error about (|s| h / 4)^(Degree+1) / (Degree+1)! for
// the modes exp(st) the output holds.
class DelaySimulation {
public:
    static constexpr int Degree = 10;
    static constexpr int Nodes = Degree + 1;

    DelaySimulation(const StateSpace &plant, double delay, int stepsPerDelay);

    int steps() const { return static_cast<int>(m_values.size()) / Nodes; }
    double stepStart(int k) const { return m_delay + k * m_step; }
    // Node i of step k: its time, and y there (node 0 is y(t_k+), node Degree is y(t_(k+1)-)).
    double nodeTime(int k, int i) const { return stepStart(k) + node(i) * m_step; }
    double nodeValue(int k, int i) const { return m_values[k * Nodes + i]; }
    // The step that holds time t (clamped to those computed).
    int stepAt(double t) const;

    // One more step.
    void advance();
    // y and dy/dt at t within step k, from the polynomial through its node values.
    std::pair<double, double> at(int k, double t) const;

    // The node positions in [0, 1], increasing.
    static double node(int i);

private:
    double m_delay;
    double m_step;
    int m_delaySteps;
    int m_order;
    // [y at the nodes; x at the end] = m_transition [x at the start; u at the nodes].
    Eigen::MatrixXd m_transition;
    Eigen::VectorXd m_input; // [x; u]
    Eigen::VectorXd m_output; // [y; x]
    std::vector<double> m_values; // y at the nodes, step after step
};

} // namespace velmora
