"""Peak memory and time of pellarin-sheets --mark on a scan (the benchmark's 40 pages).

usage: mark_memory.py PELLARIN_SHEETS SCAN.pdf"""
import os
import subprocess
import sys
import tempfile
import time

TOOL, SCAN = sys.argv[1], sys.argv[2]
with tempfile.TemporaryDirectory() as folder:
    start = time.monotonic()
    child = subprocess.Popen([TOOL, "--mark", SCAN, "--csv", os.path.join(folder, "out.csv")], stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    took = time.monotonic() - start
print(f"--mark {os.path.basename(SCAN)}: {took:.1f} s, peak memory {usage.ru_maxrss / 1024:.0f} MiB, "
      f"CPU {usage.ru_utime + usage.ru_stime:.1f} s (exit {os.waitstatus_to_exitcode(status)})")
