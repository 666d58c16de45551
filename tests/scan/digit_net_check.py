"""The network's forward pass, computed independently with numpy from the weights compiled into
the program (read from the file they are compiled from), agrees with the program's own on
held-out digits.

usage: digit_net_check.py CLASSIFY_DIGITS WEIGHTS.bin DIGITS.bin"""
import os
import subprocess
import sys

import numpy as np

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import Checks  # noqa: E402

HELPER, SOURCE, DIGITS = sys.argv[1:4]
checks = Checks()
w = np.fromfile(SOURCE, dtype="<f4").astype(np.float64)
shapes = [("w1", (12, 1, 5, 5)), ("b1", (12,)), ("w2", (24, 12, 3, 3)), ("b2", (24,)), ("w3", (96, 1176)), ("b3", (96,)),
          ("w4", (11, 96)), ("b4", (11,))]
layers, at = {}, 0
for name, shape in shapes:
    size = int(np.prod(shape))
    layers[name] = w[at:at + size].reshape(shape)
    at += size
checks.check(at == len(w), f"the weights are the network's ({at} of {len(w)})")


def conv(x, k, b):
    """Same-padded cross-correlation, each output from a window of the padded input."""
    pad = k.shape[2] // 2
    padded = np.pad(x, ((0, 0), (pad, pad), (pad, pad)))
    windows = np.lib.stride_tricks.sliding_window_view(padded, k.shape[2:], axis=(1, 2))  # c, h, w, kh, kw
    return np.maximum(np.einsum("chwij,ocij->ohw", windows, k) + b[:, None, None], 0)


def pool(x):
    c, h, w_ = x.shape
    return x.reshape(c, h // 2, 2, w_ // 2, 2).max(axis=(2, 4))


count = 50
data = open(DIGITS, "rb").read()
program = subprocess.run([HELPER, DIGITS, str(count)], capture_output=True, text=True, check=True).stdout.split("\n")
worst = 0.0
for i in range(count):
    image = np.frombuffer(data[i * 785 + 1:(i + 1) * 785], dtype=np.uint8).reshape(1, 28, 28) / 255.0
    x = pool(conv(image, layers["w1"], layers["b1"]))
    x = pool(conv(x, layers["w2"], layers["b2"]))
    x = np.maximum(layers["w3"] @ x.reshape(-1) + layers["b3"], 0)
    x = layers["w4"] @ x + layers["b4"]
    p = np.exp(x - x.max())
    p /= p.sum()
    theirs = np.array([float(v) for v in program[i].split()])
    worst = max(worst, float(np.abs(p - theirs).max()))
checks.check(worst < 1e-4, f"the program's probabilities are numpy's within {worst:.2e}")
checks.finish()
