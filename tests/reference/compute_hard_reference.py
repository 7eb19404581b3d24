#!/usr/bin/env python3
"""Reference values for the hard loops of the loop-analysis tests (tests/reference/hard.json).

Regenerate from the repository root with:

    /usr/bin/python3 tests/reference/compute_hard_reference.py > tests/reference/hard.json

Versions used for the stored hard.json: Python 3.11, sympy 1.11.1, mpmath 1.2.1 (Debian 12).

Every value is computed from the expression string alone, independently of the program: sympy
reads it with exact rational coefficients (numbers as decimal fractions), expands N and D, and
the quantities come from exact polynomial algebra and 50-digit arithmetic:

* gain crossovers: the positive real roots of |N(jw)|^2 - |D(jw)|^2 as a polynomial in x = w^2,
  isolated exactly (sympy real_roots over the rationals) and evaluated to 40 digits; phase
  margin 180 + arg G reduced to (-180, 180];
* phase crossovers: the positive real roots of Im(N(jw) conj D(jw)) / w in x = w^2 where
  Re(N conj D) < 0 (G real and negative), the same way; gain margin -20 log10 |G|;
* closed-loop poles of a rational loop: the roots of N + D (mpmath polyroots at 60 digits, with
  as many extra digits as the clustered roots need), counted on the right; of K exp(-T s) / s,
  the branches W_k(-K T) / T of the Lambert function (s e^(sT) = -K), counted on the right;
* peak of |T| and of |S| (rational loops): the positive real roots of A'B - AB' in x, with
  A = |N|^2 (for T) or |D|^2 (for S) and B = |N + D|^2, and the limits at 0 and infinity; the
  bandwidth the first positive root of A - c B, c = |T(0)|^2 10^(-0.3).

Loops with a delay other than K exp(-T s) / s are given only the quantities the script derives
exactly (their gain crossovers, which the delay does not move).
"""

import json
import sys

import mpmath as mp
import sympy as sp
from sympy.parsing.sympy_parser import parse_expr, standard_transformations

mp.mp.dps = 50
S = sp.symbols("s")
X = sp.symbols("x", positive=True)
COMMAND = "/usr/bin/python3 tests/reference/compute_hard_reference.py > tests/reference/hard.json"

LOOPS = [
    ("three gain crossovers, two of them 3e-4 apart at a light resonance",
     "2.009308/(s*(s+1)*(0.01*s^2+0.002*s+1))"),
    ("a phase crossover at 316 rad/s, far beyond the poles and zeros, where the phase is within "
     "1e-5 degrees of -180 over decades", "10*(s+1)*(s+3)/(s^2*(s+1.5)*(s+2.49997))"),
    ("28th power: stable, the expanded denominator spans 1 to 1e56",
     "0.5/(100*s+1)^28"),
    ("40th power: four closed-loop poles on the right", "5/(0.1*s+1)^40"),
    ("an open-loop pole on the right and a 20th power", "3/((s-1)*(100*s+1)^20)"),
    ("a 60th power of a fast pole, coefficients down to 1e-180", "1.02/(1e-3*s+1)^60"),
    ("K exp(-T s) / s with K T = 1e4: 3184 closed-loop poles on the right", "1e4/s*exp(-s)"),
    ("K exp(-T s) / s with K T = 1.5: stable", "1.5/s*exp(-s)"),
]


def parse(text):
    expr = parse_expr(text.replace("^", "**"), local_dict={"s": S},
                      transformations=standard_transformations)
    expr = sp.nsimplify(expr, rational=True)
    delay = sp.Integer(0)
    rational = expr
    for e in expr.atoms(sp.exp):
        delay += -sp.Rational(sp.simplify(e.args[0] / S))
        rational = rational / e
    n, d = sp.fraction(sp.together(rational))
    return sp.Poly(sp.expand(n), S), sp.Poly(sp.expand(d), S), delay


def axis_parts(p):
    """p(j w) = even(x) + j w odd(x), x = w^2."""
    even = sp.Integer(0)
    odd = sp.Integer(0)
    for (k,), c in p.terms():
        sign = 1 if (k // 2) % 2 == 0 else -1
        if k % 2 == 0:
            even += sign * c * X ** (k // 2)
        else:
            odd += sign * c * X ** (k // 2)
    return sp.expand(even), sp.expand(odd)


def positive_roots(poly_x):
    poly = sp.Poly(poly_x, X)
    if poly.is_zero or poly.degree() < 1:
        return []
    roots = [r for r in sp.real_roots(poly) if r > 0]
    return sorted(mp.mpf(sp.N(r, 60)) for r in set(roots))


def value(n, d, delay, w):
    s = mp.mpc(0, w)
    nc = [mp.mpf(sp.Rational(c).p) / sp.Rational(c).q for c in n.all_coeffs()]
    dc = [mp.mpf(sp.Rational(c).p) / sp.Rational(c).q for c in d.all_coeffs()]
    return mp.polyval(nc, s) / mp.polyval(dc, s) * mp.exp(-s * mp.mpf(sp.N(delay, 60)))


def deg(z):
    return float(mp.degrees(z))


def wrap180(a):
    a = a - 360 * mp.floor((a + 180) / 360)
    return a if a != -180 else mp.mpf(180)


def analyse(name, text):
    n, d, delay = parse(text)
    out = {"name": name, "expression": text}
    ne, no = axis_parts(n)
    de, do = axis_parts(d)
    n2 = sp.expand(ne ** 2 + X * no ** 2)
    d2 = sp.expand(de ** 2 + X * do ** 2)
    wgc = [mp.sqrt(x) for x in positive_roots(n2 - d2)]
    out["gain_crossovers_rad_s"] = [float(w) for w in wgc]
    out["phase_margins_deg"] = [float(wrap180(180 + deg(mp.arg(value(n, d, delay, w)))))
                                for w in wgc]
    if delay == 0:
        q = sp.expand(no * de - ne * do)
        re = sp.expand(ne * de + X * no * do)
        wpc = [mp.sqrt(x) for x in positive_roots(q)
               if sp.N(re.subs(X, sp.Rational(str(x))), 30) < 0]
        out["phase_crossovers_rad_s"] = [float(w) for w in wpc]
        out["gain_margins_db"] = [float(-20 * mp.log10(abs(value(n, d, delay, w)))) for w in wpc]
        # Closed-loop poles: roots of N + D.
        c = [mp.mpf(sp.Rational(v).p) / sp.Rational(v).q for v in (n + d).all_coeffs()]
        roots = mp.polyroots(c, maxsteps=2000, extraprec=600)
        out["closed_loop_rhp_poles"] = sum(1 for r in roots if mp.re(r) > 0)
        on_axis = any(abs(mp.re(r)) <= mp.mpf(10) ** -30 * max(1, abs(r)) for r in roots)
        out["stable"] = out["closed_loop_rhp_poles"] == 0 and not on_axis
        out["closed_loop_rhp_poles_at_least"] = False
        if out["stable"]:
            closed(out, n, d, ne, no, de, do)
    elif n.degree() == 0 and d.degree() == 1 and d.all_coeffs()[1] == 0:
        k = mp.mpf(sp.N(n.all_coeffs()[0] / d.all_coeffs()[0], 60))
        t = mp.mpf(sp.N(delay, 60))
        count = 0
        branch = 0
        while True:  # s e^(s T) = -K: s = W_k(-K T) / T; Re W_k decreases with |k|
            found = 0
            for k_ in ([0] if branch == 0 else [branch, -branch]):
                if mp.re(mp.lambertw(-k * t, k_)) > 0:
                    found += 1
            if found == 0 and branch > 0:
                break
            count += found
            branch += 1
        out["closed_loop_rhp_poles"] = count
        out["closed_loop_rhp_poles_at_least"] = False
        out["stable"] = count == 0
    return out


def closed(out, n, d, ne, no, de, do):
    """Peak of |T| and |S| and the bandwidth of a stable rational loop."""
    se = sp.expand(ne + de)
    so = sp.expand(no + do)
    b = sp.expand(se ** 2 + X * so ** 2)
    n2 = sp.expand(ne ** 2 + X * no ** 2)
    d2 = sp.expand(de ** 2 + X * do ** 2)

    def ratio_at(a, x):
        return mp.mpf(sp.N((a / b).subs(X, x), 60))

    def limit(a, at):
        return mp.mpf(sp.N(sp.limit(a / b, X, at), 60))

    for key, a in (("peak", n2), ("sensitivity_peak", d2)):
        crit = positive_roots(sp.expand(sp.diff(a, X) * b - a * sp.diff(b, X)))
        best = None
        for x in crit:
            v = ratio_at(a, sp.Rational(str(x)))
            if best is None or v > best[0]:
                best = (v, mp.sqrt(x))
        low = limit(a, 0)
        high = limit(a, sp.oo)
        candidates = [(low, mp.mpf(0)), (high, None)] + ([best] if best else [])
        value_, omega = max(candidates, key=lambda c: c[0])
        out[key + "_db"] = float(10 * mp.log10(value_))
        out[key + "_rad_s"] = None if omega is None else float(omega)
    # |T|^2 = c |T(0)|^2 with c = 10^-0.3 as a 60-digit fraction: the root to far below 1e-40.
    target = sp.Rational(mp.nstr(limit(n2, 0) * mp.power(10, mp.mpf(-3) / 10), 60))
    band = positive_roots(sp.expand(n2 - target * b))
    out["bandwidth_rad_s"] = float(mp.sqrt(band[0])) if band else None


def main():
    results = [analyse(name, text) for name, text in LOOPS]
    print(json.dumps({"generated_by": COMMAND, "loops": results}, indent=1))


if __name__ == "__main__":
    main()
