"""Peak memory of pellarin-sheets for a big run: the text to standard output against the same
run written as a .docx. The document is streamed into its package, so it should cost little
more than the text itself.

usage: peak_memory.py PELLARIN_SHEETS [SHEETS]"""
import os
import subprocess
import sys
import tempfile

TOOL = sys.argv[1]
SHEETS = sys.argv[2] if len(sys.argv) > 2 else "20000"


def peak_kib(args):
    with open(os.devnull, "wb") as null:
        child = subprocess.Popen([TOOL, "--sheets", SHEETS, "--seed", "1", *args], stdout=null)
        _, status, usage = os.wait4(child.pid, 0)
    if status != 0:
        sys.exit(f"pellarin-sheets {' '.join(args)} failed ({status})")
    return usage.ru_maxrss  # KiB on Linux


with tempfile.TemporaryDirectory() as folder:
    text = peak_kib([])
    document = peak_kib(["--docx", os.path.join(folder, "big.docx")])
    size = os.path.getsize(os.path.join(folder, "big.docx"))
print(f"{SHEETS} sheets, peak memory: text {text / 1024:.1f} MiB, .docx {document / 1024:.1f} MiB "
      f"({document / text:.2f} times the text; document {size / 1024 / 1024:.1f} MiB)")
