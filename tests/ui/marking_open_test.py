"""Scans named on the command line, as a file manager's "open with" names them: the real program
on an X server (Xvfb) opens the marking window on the file and reads it; its help names the
way in.

usage: marking_open_test.py PELLARIN SCAN_DIR"""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import Checks  # noqa: E402
from xdo import Xdo  # noqa: E402

PROGRAM, SCANS = sys.argv[1], sys.argv[2]
checks = Checks()
check = checks.check

help_text = subprocess.run([PROGRAM, "--help"], capture_output=True, text=True).stdout
check("扫描文件..." in help_text and "F7" in help_text and "批改纸质试卷" in help_text,
      "pellarin --help names the scans on the command line and F7")

read, write = os.pipe()
xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                        pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
os.close(write)
with os.fdopen(read) as said:
    display = ":" + said.readline().strip()
home = tempfile.mkdtemp(prefix="pellarin-open-")
env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", HOME=home, LANG="C.UTF-8",
           XDG_DATA_HOME=os.path.join(home, "data"), XDG_CONFIG_HOME=os.path.join(home, "config"))
xdo = Xdo(env)
program = None
try:
    program = subprocess.Popen([PROGRAM, os.path.join(SCANS, "scan.pdf")], env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    window = xdo.window("^批改纸质试卷 · scan.pdf")
    check(window is not None, "the marking window opens on the file")
    # Read off the window's thread; the title loses its "（正在读）" once every page is read.
    window = xdo.window("^批改纸质试卷 · scan.pdf$", seconds=60)
    check(window is not None, "and reads it")
    subprocess.run(["import", "-window", window or "root", os.path.join(os.path.dirname(PROGRAM), "..",
                                                                         "pellarin-marking-opened.png")],
                   env=env, stderr=subprocess.DEVNULL)
    check(program.poll() is None, "the program keeps running with the scan open")
finally:
    if program:
        program.kill()
        program.wait()
    xvfb.terminate()
    xvfb.wait()
    subprocess.run(["rm", "-rf", home])
checks.finish()
