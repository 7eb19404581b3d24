#!/usr/bin/env python3
"""Reference values for the loop-analysis tests (tests/reference/loops.json).

Regenerate from the repository root with:

    PYTHONPATH=/path/to/python-control /usr/bin/python3 tests/reference/compute_reference.py > tests/reference/loops.json

Versions used to produce the loops.json stored next to this script:
    python-control  git commit e60e5ebc593bea2f8c1104ac51399452d33a759d
                    (git describe: 0.10.2-26-ge60e5ebc, i.e. 26 commits after
                    tag 0.10.2), used straight from a source export via
                    PYTHONPATH (no install; control.__version__ reads "dev")
    numpy 1.24.2, scipy 1.10.1, matplotlib 3.6.3 (Debian 12 packages;
    python-control imports matplotlib), Python 3.11 (/usr/bin/python3)
    optional: sympy 1.11.1 and mpmath 1.2.1 for the 40-digit re-check at
    the end (skipped when missing; it does not change the output)

Diagnostics and cross-check results go to stderr; only the JSON goes to stdout.

How the values are obtained
---------------------------
Every loop is written twice: once as the expression string the tool parses,
and once as a product of low-order factors (gain, polynomial factors with
multiplicities, delay).  The script first checks that both forms agree at a
set of complex test points, then works on the factored form:

* |G(jw)| as a sum of log-magnitudes of the factors, and the phase as a sum of
  the factor angles.  Each factor is of degree 1 or 2 with a non-zero
  s-coefficient (or is s itself), so its angle at s = jw never crosses the
  negative real axis for w > 0 and is continuous; the sum is therefore the
  unwrapped phase up to a constant multiple of 360 deg, which is fixed by the
  low-frequency anchor (-90 deg per net integrator, -180 deg more when the
  low-frequency gain K = lim s^n G(s) is negative).  The delay adds exactly
  -w*T*180/pi.
* Gain crossovers: sign changes of ln|G(jw)| on a dense log grid, polished
  with brentq at machine precision.  Phase crossovers: the same on
  phase(w) - (-180 + 360 k) for every integer k crossed.
* Phase margin = 180 + phase, reduced to (-180, 180]; gain margin =
  -20 log10|G|.  The reported single values are those of smallest magnitude.
* Closed-loop poles (rational loops): numpy roots of N + D (common factors
  kept, as typed), each refined by Newton steps in long double.
  The right-half-plane count is cross-checked with the argument principle.
* Closed-loop right-half-plane count for delay loops: argument principle on
  chi(s) = D(s) + N(s) exp(-T s) along the imaginary axis (valid because
  every loop here is strictly proper, so chi ~ leading term of D on the big
  semicircle), cross-checked with Pade approximants of order 10..20.
* Peak of |T|, T = G/(1+G): roots of d ln|T(jw)|/dw = Re(j (G'/G) / (1+G))
  polished with brentq; bandwidth: first w with
  20 log10|T(jw)| = 20 log10|T(0)| - 3 (brentq).

python-control is used as an independent reference for the rational loops
(stability_margins(returnall=True), bandwidth(feedback(G, 1)),
poles(feedback(G, 1))) and, for delay loops, on Pade approximants and on a
FrequencyResponseData object built from the exact response.  Its conventions
differ from ours in these points, converted below:
  - gain margins come out as a linear factor 1/|G|; we store dB
    (20 log10 of it);
  - phase margins come out as mod(angle G, 360) - 180, in [-180, 180); ours
    are in (-180, 180], so only -180 maps to +180;
  - its phase-crossover list includes w = 0 when G(0) lies on the negative
    real axis (e.g. a negative static gain) or when the imaginary-part
    polynomial has a root at 0; we only keep w > 0;
  - its phase crossovers are points where G(jw) is real and <= 0; since our
    phase is unwrapped but never reduced, those are exactly the points where
    our phase equals -180 + 360 k, so the sets agree for w > 0.
"""

import cmath
import math
import sys

import numpy as np
import scipy
import scipy.optimize as opt

import control

PYCONTROL_REF = ("e60e5ebc593bea2f8c1104ac51399452d33a759d "
                 "(git describe 0.10.2-26-ge60e5ebc)")
COMMAND = ("PYTHONPATH=/path/to/python-control /usr/bin/python3 "
           "tests/reference/compute_reference.py > tests/reference/loops.json")

EPS = np.finfo(float).eps
RTOL = 4.0 * EPS          # smallest rtol brentq accepts
XTOL = 1e-300             # effectively relative-only termination
DELAY_WMAX = 1000.0       # crossovers of delay loops are listed up to here

S = (1.0, 0.0)            # the factor s


def log(*args):
    print(*args, file=sys.stderr)


# --------------------------------------------------------------------------
# Loop table.  Factors are (coefficients highest power first, multiplicity).
# --------------------------------------------------------------------------
class Loop:
    def __init__(self, name, kind, expr, gain, num, den, delay=0.0):
        self.name, self.kind, self.expr = name, kind, expr
        self.gain = float(gain)
        self.num = [(np.array(c, float), m) for c, m in num]
        self.den = [(np.array(c, float), m) for c, m in den]
        self.delay = float(delay)
        for c, m in self.num + self.den:
            assert m >= 1
            if len(c) == 2:
                assert c[0] != 0.0
            elif len(c) == 3:
                # the s-coefficient must be non-zero so that the factor's
                # angle stays continuous for w > 0 (no roots on the jw axis)
                assert c[0] != 0.0 and c[1] != 0.0
            else:
                raise ValueError("factors must be of degree 1 or 2")
        self._setup()

    @staticmethod
    def _is_s(c):
        return len(c) == 2 and c[1] == 0.0

    def _setup(self):
        nint = sum(m for c, m in self.den if self._is_s(c)) \
            - sum(m for c, m in self.num if self._is_s(c))
        self.n_int = nint
        k = self.gain
        for c, m in self.num:
            if not self._is_s(c):
                k *= c[-1] ** m
        for c, m in self.den:
            if not self._is_s(c):
                k /= c[-1] ** m
        self.K = k
        self.anchor = -90.0 * nint - (180.0 if k < 0 else 0.0)
        # limit of the raw (factor-sum) phase for w -> 0+
        raw0 = 180.0 if self.gain < 0 else 0.0
        for sign, fl in ((1, self.num), (-1, self.den)):
            for c, m in fl:
                if self._is_s(c):
                    a = 90.0 if c[0] > 0 else -90.0
                elif c[-1] > 0:
                    a = 0.0
                else:
                    a = 180.0 if c[-2] > 0 else -180.0
                raw0 += sign * m * a
        off = self.anchor - raw0
        assert abs(off / 360.0 - round(off / 360.0)) < 1e-12
        self.phase_offset = 360.0 * round(off / 360.0)
        # expanded polynomials, G = N/D * exp(-T s), as typed (no cancellation)
        N = np.array([self.gain])
        for c, m in self.num:
            for _ in range(m):
                N = np.polymul(N, c)
        D = np.array([1.0])
        for c, m in self.den:
            for _ in range(m):
                D = np.polymul(D, c)
        self.N, self.D = N, D
        assert len(N) < len(D), "all reference loops are strictly proper"

    # ---- exact evaluation at s (complex) ---------------------------------
    def G_s(self, s):
        s = np.asarray(s, complex)
        v = self.gain * np.ones_like(s)
        for c, m in self.num:
            v = v * np.polyval(c, s) ** m
        for c, m in self.den:
            v = v / np.polyval(c, s) ** m
        return v * np.exp(-self.delay * s)

    def N_s(self, s):
        s = np.asarray(s, complex)
        v = self.gain * np.ones_like(s)
        for c, m in self.num:
            v = v * np.polyval(c, s) ** m
        return v

    def D_s(self, s):
        s = np.asarray(s, complex)
        v = np.ones_like(s)
        for c, m in self.den:
            v = v * np.polyval(c, s) ** m
        return v

    def dlogG_s(self, s):
        """G'(s)/G(s) (logarithmic derivative, includes the delay)."""
        s = np.asarray(s, complex)
        v = -self.delay * np.ones_like(s)
        for sign, fl in ((1, self.num), (-1, self.den)):
            for c, m in fl:
                v = v + sign * m * np.polyval(np.polyder(c), s) / np.polyval(c, s)
        return v

    def G(self, w):
        return self.G_s(1j * np.asarray(w, float))

    def lnmag(self, w):
        s = 1j * np.asarray(w, float)
        v = math.log(abs(self.gain)) * np.ones(s.shape)
        for c, m in self.num:
            v = v + m * np.log(np.abs(np.polyval(c, s)))
        for c, m in self.den:
            v = v - m * np.log(np.abs(np.polyval(c, s)))
        return v

    def phase(self, w):
        """Unwrapped, anchored phase of G(jw) in degrees, w > 0."""
        w = np.asarray(w, float)
        s = 1j * w
        v = (180.0 if self.gain < 0 else 0.0) * np.ones(w.shape)
        for c, m in self.num:
            v = v + m * np.degrees(np.angle(np.polyval(c, s)))
        for c, m in self.den:
            v = v - m * np.degrees(np.angle(np.polyval(c, s)))
        return v + self.phase_offset - np.degrees(self.delay * w)

    def lnT(self, w):
        g = self.G(w)
        return np.log(np.abs(g)) - np.log(np.abs(1.0 + g))

    def dlnT(self, w):
        """d ln|T(jw)| / dw."""
        s = 1j * np.asarray(w, float)
        g = self.G_s(s)
        return np.real(1j * self.dlogG_s(s) / (1.0 + g))

    def T0(self):
        """|T(0)| (limit w -> 0)."""
        if self.n_int > 0:
            return 1.0
        if self.n_int < 0:
            return 0.0
        return abs(self.K / (1.0 + self.K))

    def tf(self):
        return control.tf(self.N, self.D)


def f(*c):
    return tuple(float(x) for x in c)


LOOPS = [
    Loop("L1", "type 0", "10/((s+1)*(0.5*s+1)*(0.1*s+1))",
         10, [], [(f(1, 1), 1), (f(0.5, 1), 1), (f(0.1, 1), 1)]),
    Loop("L2", "type 1", "4/(s*(s+1)*(s+2))",
         4, [], [(S, 1), (f(1, 1), 1), (f(1, 2), 1)]),
    Loop("L3", "type 2", "10*(s+1)/(s^2*(0.1*s+1))",
         10, [(f(1, 1), 1)], [(S, 2), (f(0.1, 1), 1)]),
    Loop("L4", "type 3", "5*(s+0.5)^3/(s^3*(0.05*s+1)^2)",
         5, [(f(1, 0.5), 3)], [(S, 3), (f(0.05, 1), 2)]),
    Loop("L5", "type 1, lightly damped resonance",
         "0.5/(s*(s^2+0.2*s+4))",
         0.5, [], [(S, 1), (f(1, 0.2, 4), 1)]),
    Loop("L6", "type 1, non-minimum phase",
         "2*(1-0.5*s)/(s*(s+1)*(0.2*s+1))",
         2, [(f(-0.5, 1), 1)], [(S, 1), (f(1, 1), 1), (f(0.2, 1), 1)]),
    Loop("L7", "type 1, open-loop unstable",
         "2*(s+3)/(s*(s-1))",
         2, [(f(1, 3), 1)], [(S, 1), (f(1, -1), 1)]),
    Loop("L8", "type 1, delay",
         "0.5*exp(-0.2*s)/(s*(0.5*s+1))",
         0.5, [], [(S, 1), (f(0.5, 1), 1)], delay=0.2),
    Loop("L9", "type 0, delay",
         "3*exp(-0.5*s)/(2*s+1)",
         3, [], [(f(2, 1), 1)], delay=0.5),
    Loop("L10", "type 3, conditionally stable, several crossovers",
         "100*(s+1)^2/(s^3*(0.1*s+1)*(0.0001*s^2+0.0004*s+1))",
         100, [(f(1, 1), 2)],
         [(S, 3), (f(0.1, 1), 1), (f(0.0001, 0.0004, 1), 1)]),
    Loop("L11", "type 1, 10th order, delay",
         "1000*(s+2)*(s+5)*exp(-0.05*s)/(s*(s+1)*(s+3)*(s+10)^2*(s^2+2*s+25)"
         "*(s+20)*(s+40)*(s+50))",
         1000, [(f(1, 2), 1), (f(1, 5), 1)],
         [(S, 1), (f(1, 1), 1), (f(1, 3), 1), (f(1, 10), 2), (f(1, 2, 25), 1),
          (f(1, 20), 1), (f(1, 40), 1), (f(1, 50), 1)], delay=0.05),
    Loop("L12", "type 0, negative low-frequency gain",
         "-2/((s+1)*(0.2*s+1))",
         -2, [], [(f(1, 1), 1), (f(0.2, 1), 1)]),
    Loop("L13", "type 1, lightly damped pair with near pole-zero",
         "20*(s^2+0.4*s+4)/(s*(s+1)*(s^2+0.08*s+16))",
         20, [(f(1, 0.4, 4), 1)], [(S, 1), (f(1, 1), 1), (f(1, 0.08, 16), 1)]),
]


# Hand-written remarks stored with each loop (computed facts are appended
# automatically in analyse()).
NOTES = {
    "L1": ('Phase crossover exactly at sqrt(32) rad/s, where G = -1/1.98.'),
    "L2": ('Phase crossover exactly at sqrt(2) rad/s, where G = -2/3 (gain'
           ' margin 20*log10(1.5) dB).'),
    "L3": ('The phase tends to -180 deg as w -> 0 but stays above -180 for'
           ' every w > 0 (it returns towards -180 only as w -> inf), so '
           'there is no phase crossover and the gain margin is null '
           '(infinite).'),
    "L4": ('Conditionally stable: the only phase crossover is at low '
           'frequency with |G| > 1 (negative gain margin); the phase '
           'approaches -180 deg from above as w -> inf, which is not a '
           'crossover.'),
    "L5": ('Phase crossover exactly at w = 2 rad/s (the open-loop '
           'resonance), where G = -0.625 (gain margin 20*log10(1.6) dB). '
           'The closed-loop peak is near the resonance, the bandwidth is '
           'set by the low-frequency crossover.'),
    "L6": ('Closed loop unstable as typed (complex pair in the right half '
           'plane); both margins are negative. Phase crossover exactly at '
           'sqrt(5)/2 rad/s.'),
    "L7": ('Open-loop pole at s = +1 makes the low-frequency gain K = -6 '
           'negative, so the anchored phase is -270 deg. Closed loop '
           'stable (s^2 + s + 6). Phase crossover exactly at sqrt(3) rad/s'
           ' with G = -2 (gain margin -6.02 dB: the loop goes unstable if '
           'the gain is reduced to half or less).'),
    "L8": ('|T| never exceeds its low-frequency value 1, so the peak is 0 '
           'dB at w = 0. Gain crossover exactly at sqrt(2*(sqrt(1.25)-1)) '
           'rad/s.'),
    "L9": ('Gain crossover exactly at sqrt(2) rad/s. |T(0)| = 0.75; the '
           'bandwidth is measured 3 dB below that.'),
    "L10": ('Adjusted: the loop as first proposed, '
            '100*(s+1)^2/(s^3*(0.1*s+1)), has only one gain crossover and '
            'one phase crossover (its phase tends to -180 deg from above as'
            ' w -> inf). A lightly damped mode at 100 rad/s (damping 0.02) '
            'was appended, original factors unchanged. Result: closed loop '
            'stable and conditionally stable (gain margins of both signs), '
            'three gain crossovers, two phase crossovers. The -3 dB '
            'bandwidth is reached before the closed-loop resonance near 94 '
            'rad/s, where |T| rises again.'),
    "L11": ('Closed loop stable. Note the small low-frequency gain K = '
            '1000*2*5/(3*100*25*20*40*50) = 1/30000, so the only gain '
            'crossover (and the bandwidth) is near 3.3e-5 rad/s, far below '
            'the poles; the peak of |T| is at w = 0 (0 dB).'),
    "L12": ('K = -2 < 0: the anchored phase is -180 deg at w -> 0 and '
            'decreases from there, so -180 is reached only in the limit w '
            '-> 0 and there is no phase crossover for w > 0 (gain margin '
            'null). Closed loop unstable (real pole at +0.742).'),
    "L13": ('Three gain crossovers. At the middle one the phase is about '
            '+0.5 deg (G close to +1), so its phase margin is about -179.5 '
            'deg. No phase crossovers (gain margin null). The bandwidth is '
            'the first -3 dB point; |T| rises again to the peak near the '
            'lightly damped closed-loop pair.'),
}


def check_expression(loop):
    """The factored form must match the expression string."""
    code = compile(loop.expr.replace("^", "**"), loop.name, "eval")
    worst = 0.0
    for s in (0.3 + 0.7j, -1.3 + 2.1j, 2.5 - 0.4j, 0.05 + 11j, 7 + 30j, 1j):
        ref = eval(code, {"__builtins__": {}}, {"s": s, "exp": cmath.exp})
        got = complex(loop.G_s(np.array([s]))[0])
        worst = max(worst, abs(got - ref) / abs(ref))
    assert worst < 1e-12, (loop.name, worst)


# --------------------------------------------------------------------------
# Root finding helpers
# --------------------------------------------------------------------------
def brent(fun, a, b):
    return opt.brentq(fun, a, b, xtol=XTOL, rtol=RTOL, maxiter=1000)


def sign_change_roots(fun, grid, vals):
    """All roots of fun bracketed by sign changes of vals on grid."""
    roots = [float(grid[i]) for i in np.nonzero(vals[:-1] == 0.0)[0]]
    for i in np.nonzero(vals[:-1] * vals[1:] < 0.0)[0]:
        roots.append(brent(fun, grid[i], grid[i + 1]))
    return sorted(roots)


def near_misses(vals, grid, tol):
    """Local minima of |vals| that come close to 0 without a sign change
    (possible tangential crossings a sign-change search would miss)."""
    av = np.abs(vals)
    i = np.arange(1, len(vals) - 1)
    m = (av[i] <= av[i - 1]) & (av[i] <= av[i + 1]) & (av[i] < tol) \
        & (vals[i - 1] * vals[i] > 0) & (vals[i] * vals[i + 1] > 0)
    return [float(grid[k]) for k in i[m]]


def log_grid(lo, hi, per_decade=40000):
    n = int(round((math.log10(hi) - math.log10(lo)) * per_decade)) + 1
    return np.logspace(math.log10(lo), math.log10(hi), n)


def reduce_pm(x):
    """Reduce an angle in degrees to (-180, 180]."""
    return x - 360.0 * math.ceil((x - 180.0) / 360.0)


# --------------------------------------------------------------------------
# Crossovers and margins on the exact expression
# --------------------------------------------------------------------------
def gain_crossovers(loop, grid):
    v = loop.lnmag(grid)
    fun = lambda w: float(loop.lnmag(np.array([w]))[0])
    roots = sign_change_roots(fun, grid, v)
    return roots, near_misses(v, grid, 1e-6)


def phase_crossovers(loop, grid):
    ph = loop.phase(grid)
    g = (ph + 180.0) / 360.0          # integer where phase = -180 + 360 k
    roots = []
    fl = np.floor(g)
    for i in np.nonzero((fl[:-1] != fl[1:]) | (g[:-1] == fl[:-1]))[0]:
        lo, hi = sorted((g[i], g[i + 1]))
        for k in range(math.ceil(lo), math.floor(hi) + 1):
            target = -180.0 + 360.0 * k
            fun = lambda w, t=target: float(loop.phase(np.array([w]))[0]) - t
            fa, fb = fun(grid[i]), fun(grid[i + 1])
            if fa == 0.0:
                roots.append(float(grid[i]))
            elif fb == 0.0:
                continue                # picked up by the next interval
            elif fa * fb < 0.0:
                roots.append(brent(fun, grid[i], grid[i + 1]))
    # tangential touches: distance of g to the nearest integer
    d = g - np.round(g)
    return sorted(roots), near_misses(d, grid, 1e-8)


def margins(loop, wgc, wpc):
    pms = [reduce_pm(180.0 + float(loop.phase(np.array([w]))[0])) for w in wgc]
    gms = [-20.0 * float(loop.lnmag(np.array([w]))[0]) / math.log(10.0)
           for w in wpc]
    pm = wg = gm = wp = None
    if pms:
        i = int(np.argmin(np.abs(pms)))
        pm, wg = pms[i], wgc[i]
    if gms:
        i = int(np.argmin(np.abs(gms)))
        gm, wp = gms[i], wpc[i]
    return pms, gms, pm, wg, gm, wp


# --------------------------------------------------------------------------
# Closed loop
# --------------------------------------------------------------------------
def closed_loop_poles(loop):
    """Roots of N + D (expanded as typed), refined by Newton steps in long
    double so that the result rounds to the same doubles on every run (the
    last bit of np.roots itself may vary between runs)."""
    P = np.polyadd(loop.N, loop.D)
    Pl = P.astype(np.longdouble)
    dPl = np.polyder(Pl)
    epsl = np.finfo(np.longdouble).eps
    r0 = np.roots(P)
    out, maxstep = [], 0.0
    for r in r0:
        z = np.clongdouble(complex(r))
        for _ in range(50):
            der = np.polyval(dPl, z)
            if der == 0:
                break
            step = np.polyval(Pl, z) / der
            z = z - step
            if abs(step) <= 4 * epsl * abs(z):
                break
        z = complex(z)
        if abs(z - r) > 1e-8 * abs(r):
            z = complex(r)     # not converged (multiple root?): keep np.roots
        maxstep = max(maxstep, abs(z - r) / max(abs(r), 1e-300))
        out.append(z)
    # clean conjugate pairs / real roots
    clean = []
    for z in out:
        if abs(z.imag) <= 1e-13 * abs(z):
            z = complex(z.real, 0.0)
        clean.append(z)
    # enforce exact conjugate symmetry
    fixed = []
    used = [False] * len(clean)
    for i, z in enumerate(clean):
        if used[i]:
            continue
        used[i] = True
        if z.imag == 0.0:
            fixed.append(z)
            continue
        j = min((k for k in range(len(clean)) if not used[k]),
                key=lambda k: abs(clean[k] - z.conjugate()))
        used[j] = True
        re = 0.5 * (z.real + clean[j].real)
        im = abs(0.5 * (z.imag - clean[j].imag))
        fixed += [complex(re, im), complex(re, -im)]
    fixed.sort(key=lambda z: (z.real, z.imag))
    return fixed, maxstep, P


def rhp_count_argument(loop, R=1e8):
    """Number of zeros of chi(s) = D(s) + N(s) exp(-T s) with Re s > 0.

    Counter-clockwise contour: down the imaginary axis, back along the big
    semicircle.  As chi ~ d_n s^n on the semicircle,
        Z = n/2 - (theta(R) - theta(0) - delta) / pi
    with theta the continuous argument of chi(jw) for w in [0, R] and delta
    the principal argument of chi(jR) / (d_n (jR)^n)."""
    w = np.unique(np.concatenate([
        [0.0], np.logspace(-8, math.log10(R), 400001),
        np.linspace(0.0, 2000.0, 400001)]))
    s = 1j * w
    chi = loop.D_s(s) + loop.N_s(s) * np.exp(-loop.delay * s)
    th = np.unwrap(np.angle(chi))
    maxjump = float(np.max(np.abs(np.diff(th))))
    assert maxjump < 0.5, (loop.name, maxjump)
    n = len(loop.D) - 1
    lead = loop.D[0] * (1j * R) ** n
    delta = cmath.phase(complex(chi[-1]) / lead)
    Z = n / 2.0 - (th[-1] - th[0] - delta) / math.pi
    minabs = float(np.min(np.abs(chi) / np.maximum(np.abs(loop.D_s(s)), 1.0)))
    return Z, maxjump, minabs


def peak_and_bandwidth(loop):
    grid = log_grid(1e-6, 1e6, 20000)
    lnT = loop.lnT(grid)
    d = loop.dlnT(grid)
    fun = lambda w: float(loop.dlnT(np.array([w]))[0])
    cands = []
    for i in np.nonzero((d[:-1] > 0.0) & (d[1:] <= 0.0))[0]:
        if d[i + 1] == 0.0:
            cands.append(float(grid[i + 1]))
        else:
            cands.append(brent(fun, grid[i], grid[i + 1]))
    T0 = loop.T0()
    lnT0 = math.log(T0)
    best_w, best = 0.0, lnT0
    for w in cands:
        v = float(loop.lnT(np.array([w]))[0])
        if v > best:
            best_w, best = w, v
    # the grid maximum must not beat the polished maximum
    assert np.max(lnT) <= best + 1e-12, loop.name
    peak_db = 20.0 * best / math.log(10.0)
    # bandwidth: first w with 20 log10|T| = 20 log10|T(0)| - 3
    target = lnT0 - 3.0 * math.log(10.0) / 20.0
    fb = lambda w: float(loop.lnT(np.array([w]))[0]) - target
    below = np.nonzero(lnT - target < 0.0)[0]
    assert len(below) and below[0] > 0, loop.name
    i = below[0]
    wb = brent(fb, grid[i - 1], grid[i])
    # independent check of the peak location with a bracketing minimiser on
    # -ln|T| (only good to ~1e-8 relative in w, being value-based)
    if best_w > 0.0:
        r = opt.minimize_scalar(lambda w: -float(loop.lnT(np.array([w]))[0]),
                                bracket=(best_w * 0.999, best_w, best_w * 1.001),
                                tol=1e-12)
        assert rel(r.x, best_w) < 1e-6 and -r.fun <= best + 1e-14, loop.name
    return peak_db, best_w, wb, cands


def sensitivity_peak(loop):
    """Ms = the largest |S| = 1 / |1 + G| in dB and its frequency: every top of ln|S| on the grid
    polished where its slope changes sign, against the limits at 0 (1 / |1 + K| without
    integrators) and at infinity (|S| -> 1 for a strictly proper loop: no frequency)."""
    grid = log_grid(1e-6, 1e6, 20000)
    lnS = lambda w: -np.log(np.abs(1.0 + loop.G(w)))
    dlnS = lambda w: -np.real(1j * loop.G(w) * loop.dlogG_s(1j * np.asarray(w, float))
                              / (1.0 + loop.G(w)))
    d = dlnS(grid)
    fun = lambda w: float(dlnS(np.array([w]))[0])
    best_w, best = None, 0.0  # the limit at infinity
    if loop.n_int == 0:
        low = -math.log(abs(1.0 + loop.K))
        if low > best:
            best_w, best = 0.0, low
    for i in np.nonzero((d[:-1] > 0.0) & (d[1:] <= 0.0))[0]:
        w = float(grid[i + 1]) if d[i + 1] == 0.0 else brent(fun, grid[i], grid[i + 1])
        v = float(lnS(np.array([w]))[0])
        if v > best:
            best_w, best = w, v
    assert np.max(lnS(grid)) <= best + 1e-12, loop.name
    return 20.0 * best / math.log(10.0), best_w


# --------------------------------------------------------------------------
# python-control cross-checks
# --------------------------------------------------------------------------
def rel(a, b):
    return abs(a - b) / max(abs(b), 1e-300)


def match_lists(ref, other):
    """Largest relative difference between two ascending lists (None if the
    lengths differ)."""
    if len(ref) != len(other):
        return None
    return max([rel(o, r) for r, o in zip(ref, other)] + [0.0])


def pc_rational(loop, res, issues):
    G = loop.tf()
    gm, pm, sm, wpc, wgc, wms = control.stability_margins(G, returnall=True)
    gm, pm, wpc, wgc = (np.atleast_1d(x) for x in (gm, pm, wpc, wgc))
    # ours keeps w > 0 only
    keep = wpc > 0.0
    dropped = [float(x) for x in wpc[~keep]]
    wpc_pc = [float(x) for x in wpc[keep]]
    gm_pc = [20.0 * math.log10(float(x)) for x in gm[keep]]
    wgc_pc = [float(x) for x in wgc]
    pm_pc = [180.0 if float(x) == -180.0 else float(x) for x in pm]
    out = {"pc_dropped_w0": dropped,
           "pc_dropped_w0_gm": [float(x) for x in gm[~keep]]}
    pairs = [("gain crossovers", res["gain_crossovers_rad_s"], wgc_pc),
             ("phase margins", res["phase_margins_deg"], pm_pc),
             ("phase crossovers", res["phase_crossovers_rad_s"], wpc_pc),
             ("gain margins dB", res["gain_margins_db"], gm_pc)]
    for label, ours, theirs in pairs:
        d = match_lists(ours, theirs)
        if d is None:
            issues.append("python-control %s %r vs ours %r"
                          % (label, theirs, ours))
        else:
            out[label] = d
            if d > 1e-9:
                issues.append("python-control raw %s differ by %.3g relative "
                              "(raw %r, polished %r)"
                              % (label, d, theirs, ours))
    # single-value selection
    sgm, spm, _, swpc, swgc, _ = control.stability_margins(G)
    out["single"] = (float(sgm), float(spm), float(swpc), float(swgc))
    # closed loop
    CL = control.feedback(G, 1)
    p = np.sort_complex(control.poles(CL))
    ours = sorted(res["_poles"], key=lambda z: (z.real, z.imag))
    pd = max(abs(a - b) / abs(b) for a, b in
             zip(sorted(p, key=lambda z: (z.real, z.imag)), ours))
    out["poles"] = pd
    if pd > 1e-9:
        issues.append("python-control closed-loop poles differ by %.3g "
                      "relative" % pd)
    if res["stable"] and res["peak_rad_s"] > 0:
        tp = abs(complex(CL(1j * res["peak_rad_s"])))
        out["peak_value_eval"] = rel(20 * math.log10(tp), res["peak_db"])
        if out["peak_value_eval"] > 1e-12:
            issues.append("python-control |T(j wr)| differs: %r dB"
                          % (20 * math.log10(tp)))
    if res["stable"]:
        bw = float(control.bandwidth(CL))
        out["bandwidth"] = rel(bw, res["bandwidth_rad_s"])
        if out["bandwidth"] > 1e-9:
            issues.append("python-control bandwidth %r vs polished %r "
                          "(rel %.3g)" % (bw, res["bandwidth_rad_s"],
                                          out["bandwidth"]))
    return out


def pade_tf(loop, order):
    pn, pd = control.pade(loop.delay, order)
    return control.tf(np.polymul(loop.N, pn), np.polymul(loop.D, pd))


def pc_delay(loop, res, issues):
    out = {}
    counts = {}
    for order in range(10, 21):
        Gp = pade_tf(loop, order)
        p = control.poles(control.feedback(Gp, 1))
        counts[order] = int(np.sum(np.real(p) > 0))
    out["pade_rhp_counts"] = counts
    if any(c != res["closed_loop_rhp_poles"] for c in counts.values()):
        issues.append("Pade right-half-plane counts %r differ from the "
                      "argument principle (%d)"
                      % (counts, res["closed_loop_rhp_poles"]))
    # margins on an order-10 Pade approximant (compare the crossings below
    # 2/T rad/s, where the approximant's phase is accurate)
    Gp = pade_tf(loop, 10)
    gm, pm, sm, wpc, wgc, wms = control.stability_margins(Gp, returnall=True)
    wlim = 2.0 / loop.delay
    lo_ours = [w for w in res["phase_crossovers_rad_s"] if w < wlim]
    lo_pc = sorted(float(w) for w in np.atleast_1d(wpc) if 0 < w < wlim)
    out["pade10_phase_crossovers"] = match_lists(lo_ours, lo_pc)
    out["pade10_gain_crossovers"] = match_lists(
        res["gain_crossovers_rad_s"], sorted(float(w) for w in np.atleast_1d(wgc)))
    # every gain crossover from the polynomial |N(jw)|^2 = |D(jw)|^2 of the
    # delay-free part (|exp(-jwT)| = 1)
    _, _, _, _, wgc_r, _ = control.stability_margins(loop.tf(), returnall=True)
    wgc_r = sorted(float(w) for w in np.atleast_1d(wgc_r)
                   if 0 < w <= DELAY_WMAX)
    out["rational_part_gain_crossovers"] = match_lists(
        res["gain_crossovers_rad_s"], wgc_r)
    if out["rational_part_gain_crossovers"] is None \
            or out["rational_part_gain_crossovers"] > 1e-9:
        issues.append("gain crossovers of the rational part: python-control "
                      "%r, ours %r" % (wgc_r, res["gain_crossovers_rad_s"]))
    # FRD built from the exact response
    w = np.unique(np.concatenate([log_grid(1e-6, DELAY_WMAX, 500),
                                  np.linspace(0.01, DELAY_WMAX, 40001)]))
    frd = control.frd(loop.G(w), w)
    gm, pm, sm, wpc, wgc, wms = control.stability_margins(frd, returnall=True)
    wpc_f = sorted(float(x) for x in np.atleast_1d(wpc) if x > 0)
    wgc_f = sorted(float(x) for x in np.atleast_1d(wgc) if x > 0)
    out["frd_phase_crossovers"] = match_lists(res["phase_crossovers_rad_s"],
                                              wpc_f)
    out["frd_gain_crossovers"] = match_lists(res["gain_crossovers_rad_s"],
                                             wgc_f)
    for k in ("frd_phase_crossovers", "frd_gain_crossovers"):
        if out[k] is None or out[k] > 1e-5:
            issues.append("FRD cross-check %s: %r" % (k, out[k]))
    if res["stable"]:
        CLp = control.feedback(pade_tf(loop, 20), 1)
        out["pade20_bandwidth"] = rel(float(control.bandwidth(CLp)),
                                      res["bandwidth_rad_s"])
    return out


# --------------------------------------------------------------------------
# Exact closed-loop roots of a delay loop near the Pade roots (for the notes)
# --------------------------------------------------------------------------
def exact_delay_roots_rhp(loop, order=20):
    Gp = pade_tf(loop, order)
    p = control.poles(control.feedback(Gp, 1))
    roots = []
    for z0 in p:
        if z0.real <= 0:
            continue
        z = complex(z0)
        for _ in range(60):
            chi = complex(loop.D_s(np.array([z]))[0]
                          + loop.N_s(np.array([z]))[0] * cmath.exp(-loop.delay * z))
            dchi = complex(np.polyval(np.polyder(loop.D), z)
                           + (np.polyval(np.polyder(loop.N), z)
                              - loop.delay * np.polyval(loop.N, z))
                           * cmath.exp(-loop.delay * z))
            step = chi / dchi
            z -= step
            if abs(step) < 1e-15 * abs(z):
                break
        roots.append(z)
    return roots


# --------------------------------------------------------------------------
def analyse(loop):
    check_expression(loop)
    issues = []
    res = {"name": loop.name, "expression": loop.expr, "kind": loop.kind}
    if loop.delay > 0:
        grid = np.unique(np.concatenate([
            log_grid(1e-6, DELAY_WMAX, 40000),
            np.linspace(1e-3, DELAY_WMAX, 2000001)]))
    else:
        grid = log_grid(1e-6, 1e6, 40000)
    wgc, nm_g = gain_crossovers(loop, grid)
    wpc, nm_p = phase_crossovers(loop, grid)
    if nm_g or nm_p:
        issues.append("possible tangential crossings near %r / %r"
                      % (nm_g, nm_p))
    if loop.delay > 0:
        # delay loops: crossovers are reported up to DELAY_WMAX only (the
        # gain-crossover list is checked for completeness against the
        # polynomial |N(jw)|^2 = |D(jw)|^2 in pc_delay)
        wgc = [w for w in wgc if w <= DELAY_WMAX]
        wpc = [w for w in wpc if w <= DELAY_WMAX]
    pms, gms, pm, wg, gm, wp = margins(loop, wgc, wpc)
    res["gain_crossovers_rad_s"] = wgc
    res["phase_margins_deg"] = pms
    res["phase_crossovers_rad_s"] = wpc
    res["gain_margins_db"] = gms

    # closed-loop stability
    Zarg, maxjump, minabs = rhp_count_argument(loop)
    Zi = int(round(Zarg))
    assert abs(Zarg - Zi) < 1e-6, (loop.name, Zarg)
    if loop.delay == 0:
        poles, maxstep, P = closed_loop_poles(loop)
        nrhp = sum(1 for z in poles if z.real > 0)
        on_axis = any(abs(z.real) <= 1e-12 * abs(z) for z in poles)
        assert nrhp == Zi, (loop.name, nrhp, Zi)
        res["_poles"] = poles
        res["closed_loop_poles"] = [[z.real, z.imag] for z in poles]
        stable = (nrhp == 0) and not on_axis and all(z.real < 0 for z in poles)
    else:
        nrhp = Zi
        res["closed_loop_poles"] = None
        stable = (nrhp == 0) and minabs > 1e-9
        maxstep = None
    res["stable"] = bool(stable)
    res["closed_loop_rhp_poles"] = nrhp

    res["gain_margin_db"], res["phase_crossover_rad_s"] = gm, wp
    res["phase_margin_deg"], res["gain_crossover_rad_s"] = pm, wg
    cands = []
    if stable:
        peak_db, wr, wb, cands = peak_and_bandwidth(loop)
    else:
        peak_db = wr = wb = None
    res["peak_db"], res["peak_rad_s"], res["bandwidth_rad_s"] = peak_db, wr, wb
    res["sensitivity_peak_db"], res["sensitivity_peak_rad_s"] = (
        sensitivity_peak(loop) if stable else (None, None))
    res["low_frequency_phase_deg"] = loop.anchor

    # independent references
    if loop.delay == 0:
        pcx = pc_rational(loop, res, issues)
    else:
        pcx = pc_delay(loop, res, issues)
        if nrhp:
            rr = exact_delay_roots_rhp(loop)
            res["_exact_rhp_roots"] = rr
            issues.append("exact right-half-plane roots near the Pade ones: "
                          "%r" % (rr,))
    # remarks computed from the results
    auto = []
    if loop.delay > 0:
        auto.append("Crossovers listed for w <= %g rad/s only (the phase "
                    "falls without bound, phase crossovers continue above)."
                    % DELAY_WMAX)
        auto.append("Closed-loop right-half-plane count from the argument "
                    "principle on D(s) + N(s)*exp(-%g*s); Pade approximants "
                    "of orders 10 to 20 give the same count." % loop.delay)
    elif pcx.get("pc_dropped_w0"):
        auto.append("python-control's stability_margins also lists w = 0 as "
                    "a phase crossover (gain factor %s); only w > 0 is "
                    "kept here." % ", ".join("%.17g" % g for g in
                                             pcx["pc_dropped_w0_gm"]))
    if stable and len(cands) > 1:
        others = [w for w in cands if w != res["peak_rad_s"]]
        auto.append("Other local maxima of |T| at w = %s rad/s (%s dB)." % (
            ", ".join("%.6g" % w for w in others),
            ", ".join("%.6g" % (20 * float(loop.lnT(np.array([w]))[0])
                                / math.log(10.0)) for w in others)))
    res["notes"] = " ".join([NOTES.get(loop.name, "")] + auto).strip()
    log("%s: argument-principle count %.9f (max step %.3g rad), "
        "Newton max rel change %r" % (loop.name, Zarg, maxjump, maxstep))
    log("   cross-checks: %r" % (pcx,))
    for s in issues:
        log("   NOTE: " + s)
    res["_issues"] = issues
    res["_pcx"] = pcx
    return res


# --------------------------------------------------------------------------
# Optional second opinion: re-derive the stored values at 40 digits from the
# expression strings alone (sympy parses them with exact rational
# coefficients, mpmath does the arithmetic).  Only reports on stderr.
# --------------------------------------------------------------------------
def high_precision_check(results):
    try:
        import mpmath as mp
        import sympy as sp
        from sympy.parsing.sympy_parser import (parse_expr,
                                                standard_transformations)
    except ImportError:
        log("mpmath/sympy not available: high-precision check skipped")
        return
    mp.mp.dps = 40
    s = sp.symbols("s")
    worst = {}

    def upd(key, val):
        worst[key] = max(worst.get(key, 0.0), float(val))

    def mpq(c):
        c = sp.Rational(c)
        return mp.mpf(c.p) / c.q

    for r in results:
        e = sp.nsimplify(parse_expr(r["expression"].replace("^", "**"),
                                    local_dict={"s": s},
                                    transformations=standard_transformations),
                         rational=True)
        T, rat = sp.Integer(0), e
        for d in e.atoms(sp.exp):
            T += -sp.Rational(d.args[0] / s)
            rat = rat / d
        nn, dd = sp.fraction(sp.together(sp.simplify(rat)))
        nn, dd = sp.Poly(sp.expand(nn), s), sp.Poly(sp.expand(dd), s)
        nc = [mpq(c) for c in nn.all_coeffs()]
        dc = [mpq(c) for c in dd.all_coeffs()]
        Tm = mpq(T)

        def G(w):
            return (mp.polyval(nc, 1j * w) / mp.polyval(dc, 1j * w)
                    * mp.exp(-1j * w * Tm))

        def Tcl(w):
            g = G(w)
            return g / (1 + g)

        lowd = next(i for i, c in enumerate(reversed(dc)) if c != 0)
        lown = next(i for i, c in enumerate(reversed(nc)) if c != 0)
        K = nc[len(nc) - 1 - lown] / dc[len(dc) - 1 - lowd]
        anchor = -90 * (lowd - lown) - (180 if K < 0 else 0)
        upd("low-frequency phase", abs(anchor - r["low_frequency_phase_deg"]))
        for w0, pm in zip(r["gain_crossovers_rad_s"], r["phase_margins_deg"]):
            w = mp.findroot(lambda x: mp.log(abs(G(x))), mp.mpf(w0))
            upd("gain crossovers", abs(w0 - w) / w)
            p = 180 + mp.degrees(mp.arg(G(w)))
            p -= 360 * mp.ceil((p - 180) / 360)
            upd("phase margins", abs(pm - p) / max(abs(p), 1))
        for w0, gm in zip(r["phase_crossovers_rad_s"], r["gain_margins_db"]):
            w = mp.findroot(lambda x: mp.im(G(x)), mp.mpf(w0))
            assert mp.re(G(w)) < 0, r["name"]
            upd("phase crossovers", abs(w0 - w) / w)
            ref = -20 * mp.log10(abs(G(w)))
            upd("gain margins", abs(gm - ref) / max(abs(ref), 1))
        if r["closed_loop_poles"] is not None:
            roots = sp.Poly(nn + dd, s).nroots(n=30, maxsteps=200)
            roots = sorted((complex(z) for z in roots),
                           key=lambda z: (z.real, z.imag))
            ours = [complex(a, b) for a, b in r["closed_loop_poles"]]
            upd("closed-loop poles",
                max(abs(a - b) / abs(b) for a, b in zip(ours, roots)))
            assert r["closed_loop_rhp_poles"] == \
                sum(1 for z in roots if z.real > 0), r["name"]
        if r["stable"]:
            T0 = abs(Tcl(mp.mpf("1e-30")))
            if r["peak_rad_s"] > 0:
                w = mp.findroot(lambda x: mp.diff(lambda y: abs(Tcl(y)) ** 2,
                                                  x), mp.mpf(r["peak_rad_s"]))
                upd("peak frequency", abs(r["peak_rad_s"] - w) / w)
                ref = 20 * mp.log10(abs(Tcl(w)))
            else:
                ref = 20 * mp.log10(T0)
            upd("peak value", abs(r["peak_db"] - ref) / max(abs(ref), 1))
            tgt = 20 * mp.log10(T0) - 3
            w = mp.findroot(lambda x: 20 * mp.log10(abs(Tcl(x))) - tgt,
                            mp.mpf(r["bandwidth_rad_s"]))
            upd("bandwidth", abs(r["bandwidth_rad_s"] - w) / w)
    log("40-digit re-derivation from the expression strings, largest "
        "relative differences:")
    for k, v in worst.items():
        log("   %-20s %.3g" % (k, v))
        assert v < 1e-12, k


KEYS = ["name", "expression", "kind", "stable", "closed_loop_rhp_poles",
        "closed_loop_poles", "gain_crossovers_rad_s", "phase_margins_deg",
        "phase_crossovers_rad_s", "gain_margins_db", "gain_margin_db",
        "phase_crossover_rad_s", "phase_margin_deg", "gain_crossover_rad_s",
        "peak_db", "peak_rad_s", "bandwidth_rad_s", "sensitivity_peak_db",
        "sensitivity_peak_rad_s", "low_frequency_phase_deg",
        "notes"]


def num(x):
    if x is None:
        return "null"
    if isinstance(x, bool):
        return "true" if x else "false"
    if isinstance(x, int):
        return str(x)
    x = float(x)
    if not math.isfinite(x):
        raise ValueError("non-finite value")
    if x == 0.0:
        x = 0.0                      # no "-0"
    return "%.17g" % x


def js(x):
    if isinstance(x, str):
        import json
        return json.dumps(x)
    if isinstance(x, list):
        return "[" + ", ".join(js(v) for v in x) + "]"
    return num(x)


def main():
    log("python-control %s from %s; numpy %s; scipy %s"
        % (control.__version__, control.__file__, np.__version__,
           scipy.__version__))
    results = [analyse(loop) for loop in LOOPS]
    high_precision_check(results)
    lines = ['{"generated_by": %s,' % js(COMMAND),
             ' "python_control": %s,' % js(PYCONTROL_REF),
             ' "loops": [']
    for li, (loop, r) in enumerate(zip(LOOPS, results)):
        body = ",\n   ".join('"%s": %s' % (k, js(r[k])) for k in KEYS)
        lines.append("  {" + body + "}" + ("," if li < len(LOOPS) - 1 else ""))
    lines.append(" ]}")
    print("\n".join(lines))


if __name__ == "__main__":
    main()
