"""Two writers of one document name at once: one wins, the other is told, and nothing that
appears at the name while a document is being written is ever replaced."""
import glob
import os
import subprocess
import sys
import tempfile
import time
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import Checks  # noqa: E402

TOOL = sys.argv[1]
checks = Checks()
check = checks.check

with tempfile.TemporaryDirectory() as folder:
    both_won = 0
    for pair in range(40):
        path = os.path.join(folder, f"race-{pair}.docx")
        writers = [subprocess.Popen([TOOL, "--sheets", "3", "--docx", path], stderr=subprocess.PIPE)
                   for _ in range(2)]
        codes = [w.wait(timeout=60) for w in writers]
        errors = [w.stderr.read().decode() for w in writers]
        both_won += codes == [0, 0]
        check(sorted(codes) == [0, 1] and any("已经有同名的文件" in e for e in errors),
              f"pair {pair}: one writes, the other is refused ({codes})")
        with zipfile.ZipFile(path) as package:
            check(package.testzip() is None, f"pair {pair}: the document is whole")
    check(both_won == 0, f"never both exit 0 ({both_won} times)")

    # A file that appears at the name while a long document is being written stays, as it was.
    path = os.path.join(folder, "long.docx")
    writer = subprocess.Popen([TOOL, "--sheets", "20000", "--seed", "1", "--docx", path], stderr=subprocess.PIPE)
    deadline = time.monotonic() + 60
    while not glob.glob(os.path.join(folder, ".long.docx.*")) and time.monotonic() < deadline:
        time.sleep(0.005)
    check(writer.poll() is None, "the write is still going on when the file appears")
    with open(path, "w") as other:
        other.write("somebody else's")
    code = writer.wait(timeout=120)
    check(code == 1 and "已经有同名的文件" in writer.stderr.read().decode(), f"the late writer is refused ({code})")
    with open(path) as other:
        check(other.read() == "somebody else's", "the file that appeared is untouched")
    check(glob.glob(os.path.join(folder, ".*")) == [], "no temporary file is left behind")

checks.finish()
