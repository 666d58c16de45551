"""Practice survives the program being killed: the real program on an X server (Xvfb), driven
with real keys (xdotool). A child answers ten problems; the program is killed (SIGKILL) with
no chance to save anything; started again, it offers the session, with those ten answers in
their fields, and the sheet can be finished and handed in.

usage: practice_crash_test.py PELLARIN"""
import glob
import os
import signal
import sqlite3
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import Checks  # noqa: E402
from xdo import Xdo  # noqa: E402

PROGRAM = sys.argv[1]
checks = Checks()
check = checks.check
TYPED = ["12", "7", "105", "", "33", "0", "99", "4", "58", "61"]  # the fourth left blank


def records():
    found = glob.glob(os.path.join(home, "data", "**", "practice.sqlite"), recursive=True)
    return found[0] if found else None


def session(path):
    """The last session: its state (0 open, 1 handed in, 3 being answered) and answers; nothing
    before any."""
    db = sqlite3.connect(f"file:{path}?mode=ro", uri=True)
    try:
        return db.execute("SELECT state, answers FROM sessions ORDER BY id DESC LIMIT 1").fetchone()
    except sqlite3.Error:
        return None
    finally:
        db.close()


def start():
    program = subprocess.Popen([PROGRAM], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    main = xdo.window("^Pellarin$")
    return program, main


read, write = os.pipe()
# -noreset: an X server resets when its last client goes, as the killed program does, and for
# that moment it turns away the program started again.
xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-noreset"],
                        pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
os.close(write)
with os.fdopen(read) as said:
    display = ":" + said.readline().strip()
home = tempfile.mkdtemp(prefix="pellarin-crash-")
env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", HOME=home, LANG="C.UTF-8",
           XDG_DATA_HOME=os.path.join(home, "data"), XDG_CONFIG_HOME=os.path.join(home, "config"))
xdo = Xdo(env)
program = None
try:
    program, main = start()
    check(main is not None, "the main window appears")
    # 开始出题, then F6: the keys are handled in turn, so F6 finds the sheets made.
    xdo.keys(main, "F5")
    xdo.keys(main, "F6")
    start_dialog = xdo.window("在屏幕上练习$")
    check(start_dialog is not None, "F6 asks for the child's name")
    xdo.type(start_dialog, "Xiaoming")
    xdo.keys(start_dialog, "Return")
    practice = xdo.window("在屏幕上练习 · Xiaoming")
    check(practice is not None, "the practice window opens")
    for answer in TYPED:
        if answer:
            xdo.type(practice, answer)
        xdo.keys(practice, "Tab")

    # The answers are in the file as they are typed; then the program dies on the spot.
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        path = records()
        kept = session(path) if path else None
        if kept and kept[1].split(",")[:10] == TYPED:
            break
        time.sleep(0.1)
    check(kept is not None and kept[0] == 3 and kept[1].split(",")[:10] == TYPED,
          f"the ten answers are written before the kill, in a session the program has claimed: {kept}")
    program.send_signal(signal.SIGKILL)
    program.wait()

    # Started again: the session is offered (Enter takes it up), with the answers kept.
    program, main = start()
    check(main is not None, "the main window appears again")
    xdo.keys(main, "F6")
    offer = xdo.window("在屏幕上练习$")
    check(offer is not None, "the unfinished session is offered")
    xdo.keys(offer, "Return")
    practice = xdo.window("在屏幕上练习 · Xiaoming")
    check(practice is not None, "the practice window opens again")
    subprocess.run(["import", "-window", practice, os.path.join(os.path.dirname(PROGRAM), "..",
                                                               "pellarin-practice-after-crash.png")], env=env)
    # The focus is in the first empty field, the blank fourth one; then past the answered ones
    # to the rest of the sheet.
    xdo.type(practice, "1")
    xdo.keys(practice, *["Tab"] * 7)
    for _ in range(90):
        xdo.type(practice, "1")
        xdo.keys(practice, "Tab")
    xdo.keys(practice, "ctrl+Return")
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline and (session(records()) or (0,))[0] != 1:
        time.sleep(0.1)
    state, answers = session(records())
    answers = answers.split(",")
    check(state == 1, "the sheet is handed in")
    check(answers[:10] == [a or "1" for a in TYPED], f"the answers from before the kill are kept: {answers[:10]}")
    check(answers[10:] == ["1"] * 90, "and the rest as typed after it")
finally:
    if program:
        program.kill()
        program.wait()
    xvfb.terminate()
    xvfb.wait()
    subprocess.run(["rm", "-rf", home])
checks.finish()
