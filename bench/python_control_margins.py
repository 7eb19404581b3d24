#!/usr/bin/env python3
"""The yardstick for velmora-render --report-json: python-control computing the same quantities
(margins with every crossover, closed-loop bandwidth and poles) of the 10th-order loop with a delay
that bench/loop_bench.cpp analyses. python-control has no exact delay: it is replaced by a Pade
approximant of order 10, which only makes its work smaller.

Run with python-control on the path:
    PYTHONPATH=/path/to/python-control /usr/bin/python3 bench/python_control_margins.py
"""
import json

import control
import numpy as np

s = control.tf("s")
rational = 1000 * (s + 2) * (s + 5) / (
    s * (s + 1) * (s + 3) * (s + 10) ** 2 * (s**2 + 2 * s + 25) * (s + 20) * (s + 40) * (s + 50))
delay_num, delay_den = control.pade(0.05, 10)
loop = rational * control.tf(delay_num, delay_den)
gm, pm, sm, wpc, wgc, wms = control.stability_margins(loop, returnall=True)
closed = control.feedback(loop, 1)
poles = control.poles(closed)
print(json.dumps({
    "gain_margins_db": [float(20 * np.log10(g)) for g in gm],
    "phase_crossovers_rad_s": [float(w) for w in wpc],
    "phase_margins_deg": [float(p) for p in pm],
    "gain_crossovers_rad_s": [float(w) for w in wgc],
    "bandwidth_rad_s": float(control.bandwidth(closed)),
    "closed_loop_rhp_poles": int(np.sum(poles.real > 0)),
}))
