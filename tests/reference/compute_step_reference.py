#!/usr/bin/env python3
"""Reference closed-loop step responses for the step-response tests (tests/reference/steps.json).

Regenerate from the repository root with:

    PYTHONPATH=/work/pyctrl /usr/bin/python3 tests/reference/compute_step_reference.py > tests/reference/steps.json

Versions used to produce the steps.json stored next to this script:
    python-control  source tree at /work/pyctrl, the same export as for loops.json
                    (git describe 0.10.2-26-ge60e5ebc; control.__version__ reads "dev")
    numpy 1.24.2, scipy 1.10.1, mpmath 1.2.1 (Debian 12 packages), Python 3.11 (/usr/bin/python3)

Diagnostics and cross-checks go to stderr; only the JSON goes to stdout.

Every loop is K G(s) with K = 10^(gain_db / 20), closed by unity feedback, T = KG / (1 + KG), and
driven by a unit step at t = 0. The figures, with y_f = T(0) and z(t) = sign(y_f) y(t) / |y_f|:
    final_value        y_f
    overshoot_percent  100 (max z - 1), 0 when z never exceeds 1
    peak_time_s        where z is largest (null when the overshoot is 0)
    rise_time_s        first time z >= 0.9 less first time z >= 0.1
    settling_time_s    last time |z - 1| >= 0.05: where the response enters the 5 % band for good
These are python-control's step_info definitions (SettlingTimeThreshold=0.05,
RiseTimeLimits=(0.1, 0.9)) taken on the continuous response instead of a grid, except the peak
time, which step_info takes where |y| is largest (the end of its grid for a response without
overshoot); for every loop here with an overshoot both peaks are the same.

Rational loops: python-control builds the closed loop (feedback(K G, 1); the 28th-order loop as a
series of first-order state-space blocks, never expanded) and step_info reads the figures on a
uniform grid of 200001 points. Each figure is then refined inside the grid interval that brackets
it, by brentq on the exact response of that closed loop, y(t) = C x(t) + D with x(t) from the
matrix exponential of [[A, B], [0, 0]] t (scipy.linalg.expm), and y'(t) = C exp(A t) B for the
peak. The refined values are stored; step_info's grid values are stored alongside, and the
script checks that each refined time lies within one grid interval of step_info's.

Delay loops: the closed loop is the delay equation x' = A x + B u, y = C x + D u,
u(t) = r(t - T) - y(t - T), solved by the method of steps: scipy's solve_ivp (DOP853, rtol 1e-12)
over each interval [jT, (j+1)T], the delayed output read from the previous interval's dense
output. When the response is still moving after 1000 delays (the slow 10th-order loop), the rest
of it comes from the numerical inverse Laplace transform of T(s)/s (mpmath, de Hoog's method, 30
digits), which the script first checks against the method of steps where both are known. The
figures are refined by brentq on these. python-control's step_info on the sampled response is
stored alongside as a check.

Each case also lists the response at a few times ("samples"), from the same exact evaluation.
"""

import json
import math
import re
import sys

import mpmath as mp
import numpy as np
import scipy.linalg as la
import scipy.optimize as opt
from scipy.integrate import solve_ivp

import control as ct

COMMAND = ("PYTHONPATH=/work/pyctrl /usr/bin/python3 "
           "tests/reference/compute_step_reference.py > tests/reference/steps.json")
PYCONTROL_REF = "e60e5ebc593bea2f8c1104ac51399452d33a759d (git describe 0.10.2-26-ge60e5ebc)"

BAND = 0.05
RISE = (0.1, 0.9)
GRID_POINTS = 200001
STEPS_INTERVALS = 1000     # method of steps over at most this many delays
XTOL = 1e-15


def log(*args):
    print(*args, file=sys.stderr)


def split_delay(expression):
    """The rational part's text and the delay T of 'N/D*exp(-T*s)' as the tool types it."""
    match = re.search(r"\*?exp\(-([0-9.eE+-]+)\*s\)", expression)
    if not match:
        return expression, 0.0
    return expression[:match.start()] + expression[match.end():], float(match.group(1))


def rational_tf(text):
    s = ct.tf("s")
    return eval(text.replace("^", "**"), {"s": s})


def mp_loop(text, gain):
    """K G(s) with its delay, at a complex mpmath s, evaluated as typed."""
    code = text.replace("^", "**")
    return lambda s: gain * eval(code, {"s": s, "exp": mp.exp})


# --------------------------------------------------------------------------
# Figures, from samples (brackets) and an exact evaluator (refinement)
# --------------------------------------------------------------------------
class Piece:
    """The response on [t0, t1]: value(t) and slope(t) exact within it, and sample times."""

    def __init__(self, t0, t1, value, slope, times, values=None):
        self.t0, self.t1, self.value, self.slope = t0, t1, value, slope
        self.times = np.asarray(times, float)
        self.values = [value(t) for t in self.times] if values is None else list(values)


def refine(f, a, b):
    fa, fb = f(a), f(b)
    if fa == 0:
        return a
    if fb == 0:
        return b
    assert fa * fb < 0, (a, b, fa, fb)
    return opt.brentq(f, a, b, xtol=XTOL, rtol=4 * np.finfo(float).eps, maxiter=500)


def figures(pieces, final):
    """The figures of a response given piece by piece (consecutive pieces share an end)."""
    sign = 1.0 if final > 0 else -1.0
    samples = [(p, t, sign * y / abs(final)) for p in pieces for t, y in zip(p.times, p.values)]
    z = lambda p, t: sign * p.value(t) / abs(final)
    dz = lambda p, t: sign * p.slope(t) / abs(final)
    rise = {}
    outside, best = None, 0
    for k, (p, t, v) in enumerate(samples):
        for level in RISE:
            if level not in rise and v >= level:
                q, s, _ = samples[k - 1] if k > 0 else (p, t, v)
                rise[level] = t if q is not p or k == 0 else refine(
                    lambda u: z(p, u) - level, s, t)
        if abs(v - 1) >= BAND:
            outside = k
        if v > samples[best][2]:
            best = k
    result = {"final_value": final, "rise_time_s": rise[RISE[1]] - rise[RISE[0]]}
    p, t, v = samples[outside]
    q, s, _ = samples[outside + 1]
    level = 1 + BAND if v > 1 else 1 - BAND
    result["settling_time_s"] = s if q is not p else refine(lambda u: z(p, u) - level, t, s)
    p, t, v = samples[best]
    if v <= 1:
        result["overshoot_percent"], result["peak_time_s"] = 0.0, None
        return result
    # the largest sample and its neighbours in the same piece bracket a zero of z'
    lo = samples[best - 1][1] if samples[best - 1][0] is p else t
    hi = samples[best + 1][1] if best + 1 < len(samples) and samples[best + 1][0] is p else t
    if lo < t < hi and dz(p, lo) > 0 > dz(p, hi):
        t = refine(lambda u: dz(p, u), lo, hi)
    result["peak_time_s"] = t
    result["overshoot_percent"] = 100 * (z(p, t) - 1)
    return result


def value_at(pieces, t):
    for p in pieces:
        if p.t0 < t <= p.t1:
            return p.value(t)
    raise ValueError(t)


def step_info_of(times, values, final):
    info = ct.step_info(values, timepts=times, final_output=final,
                        SettlingTimeThreshold=BAND, RiseTimeLimits=RISE)
    return {"rise_time_s": info["RiseTime"], "settling_time_s": info["SettlingTime"],
            "overshoot_percent": info["Overshoot"], "peak_time_s": info["PeakTime"]}


def check_against_grid(name, refined, grid, spacing):
    for key in ("rise_time_s", "settling_time_s"):
        assert abs(refined[key] - grid[key]) <= 2.5 * spacing, (name, key, refined[key], grid[key])
    if refined["peak_time_s"] is not None:
        assert abs(refined["peak_time_s"] - grid["peak_time_s"]) <= 2.5 * spacing, name
    assert abs(refined["overshoot_percent"] - grid["overshoot_percent"]) <= 1e-3 + 1e-3 * abs(
        refined["overshoot_percent"]), (name, refined["overshoot_percent"], grid)


def sample_times(result, horizon):
    settling = result["settling_time_s"]
    times = [0.3 * settling, 0.5 * settling, settling, 1.2 * settling]
    if result["peak_time_s"] is not None:
        times += [0.5 * result["peak_time_s"], result["peak_time_s"]]
    return sorted(t for t in times if 0 < t < horizon)


# --------------------------------------------------------------------------
# Rational loops
# --------------------------------------------------------------------------
def exact_step(A, B, C, D):
    n = A.shape[0]
    M = np.zeros((n + 1, n + 1))
    M[:n, :n], M[:n, n] = A, B[:, 0]

    def value(t):
        return float(C @ la.expm(M * t)[:n, n] + D)

    def slope(t):
        return float(C @ la.expm(A * t) @ B[:, 0])

    return value, slope


def rational_case(case):
    gain = 10 ** (case["gain_db"] / 20)
    if case.get("factored"):
        # 0.5/(100 s + 1)^28 as 28 first-order blocks in series, never expanded
        block = ct.ss(ct.tf([0.5 ** (1 / 28)], [100, 1]))
        loop = block
        for _ in range(27):
            loop = ct.series(loop, block)
        loop = gain * loop
    else:
        loop = ct.ss(gain * rational_tf(case["expression"]))
    closed = ct.feedback(loop, 1)
    A, B, C, D = (np.asarray(m, float) for m in (closed.A, closed.B, closed.C, closed.D))
    D = float(D[0, 0])
    poles = np.linalg.eigvals(A)
    assert poles.real.max() < 0, case["name"]
    final = float(closed.dcgain())
    horizon = 15 / -poles.real.max()
    times = np.linspace(0, horizon, GRID_POINTS)
    values = np.asarray(ct.step_response(closed, timepts=times).outputs, float)
    value, slope = exact_step(A, B, C, D)
    for k in range(0, GRID_POINTS, GRID_POINTS // 7):
        assert abs(values[k] - value(times[k])) <= 1e-9 * max(1, abs(final)), case["name"]
    pieces = [Piece(0, horizon, value, slope, times, values)]
    result = figures(pieces, final)
    grid = step_info_of(times, values, final)
    check_against_grid(case["name"], result, grid, times[1])
    result["samples"] = [[t, value(t)] for t in sample_times(result, horizon)]
    result["step_info_grid"] = grid
    result["grid_spacing_s"] = times[1]
    return result


# --------------------------------------------------------------------------
# Delay loops
# --------------------------------------------------------------------------
class Interval:
    """The output on one interval [jT, (j+1)T] of the method of steps."""

    def __init__(self, sol, before, A, B, C, D, delay):
        self.sol, self.before, self.A, self.B, self.C, self.D = sol, before, A, B, C, D
        self.delay = delay

    def input(self, t):
        return 1.0 - self.before.value(t - self.delay)

    def value(self, t):
        y = float(self.C @ self.sol(t))
        return y if self.D == 0 else y + self.D * self.input(t)

    def slope(self, t):
        dy = float(self.C @ (self.A @ self.sol(t) + self.B * self.input(t)))
        return dy if self.D == 0 else dy - self.D * self.before.slope(t - self.delay)


class Rest:
    def value(self, t):
        return 0.0

    def slope(self, t):
        return 0.0


def delay_case(case):
    gain = 10 ** (case["gain_db"] / 20)
    text, delay = split_delay(case["expression"])
    rational = gain * rational_tf(text)
    plant = ct.ss(rational)
    A, B, C, D = (np.asarray(m, float) for m in (plant.A, plant.B, plant.C, plant.D))
    B, C, D = B[:, 0], C[0], float(D[0, 0])
    integrators = np.sum(np.abs(rational.poles()) < 1e-12)
    g0 = float(rational.dcgain()) if integrators == 0 else math.inf
    final = 1.0 if math.isinf(g0) else g0 / (1 + g0)
    # the slowest closed-loop mode, from a Pade approximant of high order, only sets the horizon
    num, den = ct.pade(delay, 20)
    closed = ct.feedback(plant * ct.ss(ct.tf(num, den)), 1)
    slowest = -np.linalg.eigvals(np.asarray(closed.A, float)).real.max()
    assert slowest > 0, case["name"]
    horizon = 15 / slowest
    intervals = min(int(math.ceil(horizon / delay)), STEPS_INTERVALS)
    scale = max(1.0, abs(final))
    pieces = [Piece(0, delay, lambda t: 0.0, lambda t: 0.0, np.linspace(0, delay, 9))]
    before, x = Rest(), np.zeros(A.shape[0])
    for j in range(1, intervals):
        t0, t1 = j * delay, (j + 1) * delay
        u = (lambda before: lambda t: 1.0 - before.value(t - delay))(before)
        sol = solve_ivp(lambda t, x: A @ x + B * u(t), (t0, t1), x, method="DOP853",
                        rtol=1e-12, atol=1e-15 * scale, dense_output=True)
        assert sol.success
        x = sol.y[:, -1]
        before = Interval(sol.sol, before, A, B, C, D, delay)
        pieces.append(Piece(t0, t1, before.value, before.slope, np.linspace(t0, t1, 65)))
    steps_end = intervals * delay
    if steps_end < horizon:
        # the rest by the inverse Laplace transform, checked where both are known
        loop = mp_loop(case["expression"], gain)
        mp.mp.dps = 30
        closed_loop = lambda s: loop(s) / (1 + loop(s))
        value = lambda t: float(mp.invertlaplace(lambda s: closed_loop(s) / s, t, method="dehoog"))
        slope = lambda t: float(mp.invertlaplace(closed_loop, t, method="dehoog"))
        for t in np.linspace(steps_end - 20 * delay, steps_end - 0.5 * delay, 5):
            a, b = value_at(pieces, t), value(t)
            log("    method of steps and inverse Laplace at", t, a, b)
            assert abs(a - b) <= 1e-10 * scale, (case["name"], t, a, b)
        times = np.concatenate([np.linspace(steps_end, 200 * steps_end, 200)[:-1],
                                np.linspace(200 * steps_end, horizon, 400)])
        pieces.append(Piece(steps_end, horizon, value, slope, times))
    result = figures(pieces, final)
    times = np.concatenate([p.times for p in pieces])
    values = np.concatenate([p.values for p in pieces])
    result["step_info_samples"] = step_info_of(times, values, final)
    result["samples"] = [[t, value_at(pieces, t)] for t in sample_times(result, pieces[-1].t1)]
    # the samples again, by the inverse Laplace transform (away from the jumps of a proper loop;
    # near the kinks at multiples of T, de Hoog's method is good to about 1e-8)
    loop = mp_loop(case["expression"], gain)
    mp.mp.dps = 30
    for t, y in result["samples"]:
        if D != 0 and abs(t / delay - round(t / delay)) < 1e-3:
            continue
        check = float(mp.invertlaplace(lambda s: loop(s) / (1 + loop(s)) / s, t, method="dehoog"))
        log("    sample at", t, y, "inverse Laplace", check)
        assert abs(y - check) <= 1e-7 * scale, (case["name"], t, y, check)
    result["delay_s"] = delay
    return result


# --------------------------------------------------------------------------
CASES = [
    # the stable rational loops of loops.json
    {"name": "L1", "expression": "10/((s+1)*(0.5*s+1)*(0.1*s+1))"},
    {"name": "L2", "expression": "4/(s*(s+1)*(s+2))"},
    {"name": "L3", "expression": "10*(s+1)/(s^2*(0.1*s+1))"},
    {"name": "L4", "expression": "5*(s+0.5)^3/(s^3*(0.05*s+1)^2)"},
    {"name": "L5", "expression": "0.5/(s*(s^2+0.2*s+4))"},
    {"name": "L7", "expression": "2*(s+3)/(s*(s-1))"},
    {"name": "L10", "expression": "100*(s+1)^2/(s^3*(0.1*s+1)*(0.0001*s^2+0.0004*s+1))"},
    {"name": "L13", "expression": "20*(s^2+0.4*s+4)/(s*(s+1)*(s^2+0.08*s+16))"},
    # and others: a gain, light damping, a non-minimum-phase zero with a static error, a proper
    # loop, a negative final value, a double closed-loop pole, factors whose expansion spans 1e56
    {"name": "L2 -6 dB", "expression": "4/(s*(s+1)*(s+2))", "gain_db": -6},
    {"name": "S1", "expression": "4/(s*(s+0.1))"},
    {"name": "S2", "expression": "2*(1-0.5*s)/((s+1)*(0.2*s+1))"},
    {"name": "S3", "expression": "(s+2)/(2*s+1)"},
    {"name": "S4", "expression": "-0.5/(s+1)"},
    {"name": "S5", "expression": "1/(s*(s+2))"},
    {"name": "S6", "expression": "0.5/(100*s+1)^28", "factored": True},
    # the delay loops of loops.json
    {"name": "L8", "expression": "0.5*exp(-0.2*s)/(s*(0.5*s+1))"},
    {"name": "L9", "expression": "3*exp(-0.5*s)/(2*s+1)"},
    {"name": "L11", "expression": "1000*(s+2)*(s+5)*exp(-0.05*s)/"
                                  "(s*(s+1)*(s+3)*(s+10)^2*(s^2+2*s+25)*(s+20)*(s+40)*(s+50))"},
    # and others: a gain, a proper (neutral) loop, light damping, a non-minimum-phase zero, a long
    # delay
    {"name": "L8 +3 dB", "expression": "0.5*exp(-0.2*s)/(s*(0.5*s+1))", "gain_db": 3},
    {"name": "D1", "expression": "0.5*(s+3)*exp(-0.3*s)/(s+1)"},
    {"name": "D2", "expression": "4*exp(-0.1*s)/(s*(s+1))"},
    {"name": "D3", "expression": "(1-s)*exp(-0.2*s)/((s+1)*(s+2))"},
    {"name": "D4", "expression": "0.5*exp(-2*s)/(s+1)"},
]


def main():
    out = []
    for case in CASES:
        case.setdefault("gain_db", 0)
        log("computing", case["name"], case["expression"])
        if "exp(" in case["expression"]:
            result = delay_case(case)
        else:
            result = rational_case(case)
        entry = {"name": case["name"], "expression": case["expression"],
                 "gain_db": case["gain_db"]}
        entry.update(result)
        log("   ", {k: v for k, v in entry.items() if k not in ("samples",)})
        out.append(entry)
    json.dump({"generated_by": COMMAND, "python_control": PYCONTROL_REF,
               "settling_threshold": BAND, "rise_time_limits": list(RISE), "loops": out},
              sys.stdout, indent=1)
    sys.stdout.write("\n")


if __name__ == "__main__":
    main()
