// core/delaysimulation.cpp — method of steps for a loop closed around a delay, exact within a step
// for a polynomial input
#include "core/delaysimulation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace velmora {

namespace {

constexpr int Degree = DelaySimulation::Degree;
constexpr int Nodes = DelaySimulation::Nodes;
// Terms of the power series in a h; |a| h <= 2 leaves a remainder below 1e-23.
constexpr int Terms = 31;
// Gauss-Legendre points, exact for the polynomials of degree Terms + Degree integrated.
constexpr int QuadraturePoints = 24;

// What depends only on the nodes, computed once.
struct NodeTables {
    std::array<double, Nodes> nodes; // in [0, 1], increasing
    std::array<double, Nodes> weights; // barycentric
    // Chebyshev coefficients (of x = 2 theta - 1) from the node values.
    std::array<std::array<double, Nodes>, Nodes> toChebyshev;
    // integral[a][k][i] = integral from 0 to node a of (node a - s)^k / k! l_i(s) ds, l_i the
    // Lagrange polynomial of node i.
    std::array<std::array<std::array<double, Nodes>, Terms>, Nodes> integral;

    NodeTables();
    void lagrange(double s, std::array<double, Nodes> &l) const;
};

void GaussLegendre(std::array<double, QuadraturePoints> &x, std::array<double, QuadraturePoints> &w)
{
    constexpr int n = QuadraturePoints;
    for (int i = 0; i < n; ++i) {
        double z = std::cos(std::numbers::pi * (i + 0.75) / (n + 0.5));
        double derivative = 1;
        for (int iteration = 0; iteration < 100; ++iteration) {
            double p0 = 1, p1 = z; // Legendre polynomials by their recurrence
            for (int k = 2; k <= n; ++k) {
                const double p2 = ((2 * k - 1) * z * p1 - (k - 1) * p0) / k;
                p0 = p1;
                p1 = p2;
            }
            derivative = n * (z * p1 - p0) / (z * z - 1);
            const double step = p1 / derivative;
            z -= step;
            if (std::fabs(step) <= 1e-16)
                break;
        }
        x[i] = z;
        w[i] = 2 / ((1 - z * z) * derivative * derivative);
    }
}

NodeTables::NodeTables()
{
    for (int i = 0; i < Nodes; ++i) {
        nodes[i] = (1 - std::cos(std::numbers::pi * i / Degree)) / 2;
        weights[i] = (i % 2 ? -1.0 : 1.0) * (i == 0 || i == Degree ? 0.5 : 1.0);
    }
    nodes[0] = 0;
    nodes[Degree] = 1;
    // Node i sits at x = cos(pi (Degree - i) / Degree); c_k = 2/Degree sum'' f_j T_k(x_j).
    for (int k = 0; k < Nodes; ++k) {
        for (int i = 0; i < Nodes; ++i) {
            const int j = Degree - i;
            const double halfEnds = (j == 0 || j == Degree) ? 0.5 : 1.0;
            const double halfK = (k == 0 || k == Degree) ? 0.5 : 1.0;
            toChebyshev[k][i]
                = 2.0 / Degree * halfEnds * halfK * std::cos(std::numbers::pi * j * k / Degree);
        }
    }
    std::array<double, QuadraturePoints> x, w;
    GaussLegendre(x, w);
    std::array<double, Nodes> l;
    for (int a = 0; a < Nodes; ++a) {
        for (auto &row : integral[a])
            row.fill(0);
        const double end = nodes[a];
        for (int g = 0; g < QuadraturePoints; ++g) {
            const double s = end * (1 + x[g]) / 2;
            const double weight = end * w[g] / 2;
            lagrange(s, l);
            double kernel = 1; // (end - s)^k / k!
            for (int k = 0; k < Terms; ++k) {
                for (int i = 0; i < Nodes; ++i)
                    integral[a][k][i] += weight * kernel * l[i];
                kernel *= (end - s) / (k + 1);
            }
        }
    }
}

void NodeTables::lagrange(double s, std::array<double, Nodes> &l) const
{
    double sum = 0;
    for (int i = 0; i < Nodes; ++i) {
        if (s == nodes[i]) {
            l.fill(0);
            l[i] = 1;
            return;
        }
        l[i] = weights[i] / (s - nodes[i]);
        sum += l[i];
    }
    for (double &value : l)
        value /= sum;
}

const NodeTables &Tables()
{
    static const NodeTables tables;
    return tables;
}

} // namespace

double DelaySimulation::node(int i)
{
    return Tables().nodes[i];
}

DelaySimulation::DelaySimulation(const StateSpace &plant, double delay, int stepsPerDelay)
    : m_delay(delay)
    , m_step(delay / stepsPerDelay)
    , m_delaySteps(stepsPerDelay)
    , m_order(plant.order())
{
    const NodeTables &tables = Tables();
    const int n = m_order;
    const Eigen::MatrixXd a = plant.a * m_step;
    const Eigen::VectorXd b = plant.b * m_step;

    // Krylov sequences: rows c a^k and columns a^k b (a, b for the step).
    Eigen::MatrixXd rows(Terms, n);
    Eigen::MatrixXd columns(n, Terms);
    if (n > 0) {
        rows.row(0) = plant.c;
        columns.col(0) = b;
        for (int k = 1; k < Terms; ++k) {
            rows.row(k) = rows.row(k - 1) * a;
            columns.col(k) = a * columns.col(k - 1);
        }
    }

    m_transition = Eigen::MatrixXd::Zero(Nodes + n, n + Nodes);
    for (int node = 0; node < Nodes; ++node) {
        // y(theta) = c exp(a theta) x + sum_i u_i c integral(theta, i) + d u(theta)
        double power = 1; // theta^k / k!
        for (int k = 0; k < Terms && n > 0; ++k) {
            m_transition.block(node, 0, 1, n) += power * rows.row(k);
            const double ck = (plant.c * columns.col(k))(0);
            for (int i = 0; i < Nodes; ++i)
                m_transition(node, n + i) += ck * tables.integral[node][k][i];
            power *= tables.nodes[node] / (k + 1);
        }
        m_transition(node, n + node) += plant.d;
    }
    if (n > 0) {
        // exp(a) by Horner's rule on its series, and the integrals over the whole step.
        Eigen::MatrixXd exponential = Eigen::MatrixXd::Identity(n, n);
        for (int k = Terms - 1; k > 0; --k)
            exponential = Eigen::MatrixXd::Identity(n, n) + a * exponential / k;
        m_transition.block(Nodes, 0, n, n) = exponential;
        for (int k = 0; k < Terms; ++k)
            for (int i = 0; i < Nodes; ++i)
                m_transition.block(Nodes, n + i, n, 1)
                    += tables.integral[Degree][k][i] * columns.col(k);
    }
    m_input = Eigen::VectorXd::Zero(n + Nodes);
    m_output.resize(Nodes + n);
}

int DelaySimulation::stepAt(double t) const
{
    const int k = static_cast<int>(std::floor((t - m_delay) / m_step));
    return std::clamp(k, 0, std::max(0, steps() - 1));
}

void DelaySimulation::advance()
{
    const int k = steps();
    const int n = m_order;
    for (int i = 0; i < Nodes; ++i)
        m_input(n + i) = k >= m_delaySteps ? 1 - m_values[(k - m_delaySteps) * Nodes + i] : 1.0;
    m_output.noalias() = m_transition * m_input;
    m_values.insert(m_values.end(), m_output.data(), m_output.data() + Nodes);
    m_input.head(n) = m_output.tail(n);
}

std::pair<double, double> DelaySimulation::at(int k, double t) const
{
    const NodeTables &tables = Tables();
    std::array<double, Nodes> c;
    for (int j = 0; j < Nodes; ++j) {
        c[j] = 0;
        for (int i = 0; i < Nodes; ++i)
            c[j] += tables.toChebyshev[j][i] * m_values[k * Nodes + i];
    }
    // The derivative's coefficients: d_(j-1) = d_(j+1) + 2 j c_j, d_0 halved.
    std::array<double, Nodes + 1> d {};
    for (int j = Degree; j >= 1; --j)
        d[j - 1] = d[j + 1] + 2 * j * c[j];
    d[0] /= 2;
    const double x = std::clamp(2 * (t - stepStart(k)) / m_step - 1, -1.0, 1.0);
    const auto clenshaw = [x](const double *coefficients, int degree) {
        double b1 = 0, b2 = 0;
        for (int j = degree; j >= 1; --j) {
            const double b0 = coefficients[j] + 2 * x * b1 - b2;
            b2 = b1;
            b1 = b0;
        }
        return coefficients[0] + x * b1 - b2;
    };
    return { clenshaw(c.data(), Degree), clenshaw(d.data(), Degree - 1) * 2 / m_step };
}

} // namespace velmora
