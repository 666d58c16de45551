"""The Windows build under Wine, compared with the Linux build and installed as a user would.

usage: windows_test.py LINUX_TOOL WINDOWS_TOOL WINE_RUN SETUP_EXE VERSION BUILD_DIR DIGITS_DIR"""
import glob
import hashlib
import os
import re
import sqlite3
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import Checks  # noqa: E402
from xdo import Xdo  # noqa: E402

LINUX, WINDOWS, WINE, SETUP, VERSION, BUILD, DIGITS = sys.argv[1:8]
checks = Checks()
check = checks.check
PREFIX = os.environ.get("WINEPREFIX", os.path.join(BUILD, "wineprefix"))
PROGRAM_FILES = os.path.join(PREFIX, "drive_c", "Program Files", "Pellarin")


def run(*args, **kw):
    return subprocess.run(list(args), capture_output=True, timeout=300, **kw)


def wine_path(path):
    return "Z:" + path.replace("/", "\\")


MAKE_SCANS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "markrun", "make_scans.py")
OPEN_WITH = r"HKLM\Software\Classes\Applications\pellarin.exe"
SCAN_TYPES = [".pdf", ".png", ".jpg", ".jpeg"]


def offered():
    """The kinds of file whose "open with" list names the program."""
    return [kind for kind in SCAN_TYPES
            if run(WINE, "reg", "query", rf"HKLM\Software\Classes\{kind}\OpenWithList\pellarin.exe").returncode == 0]


# --- The same bytes as on Linux ---------------------------------------------------------------
for difficulty in ("难", "中", "易"):
    for limit in ("99", "50"):
        args = ["--sheets", "10", "--limit", limit, "--difficulty", difficulty, "--seed", "31"]
        linux, windows = run(LINUX, *args), run(WINDOWS, *args)
        check(windows.returncode == 0 and windows.stdout == linux.stdout and len(linux.stdout) > 10000,
              f"{difficulty} within {limit}: the Windows text is byte for byte the Linux one "
              f"({len(windows.stdout)} and {len(linux.stdout)} bytes)")

# Marking the same scans: the CSV is byte for byte the Linux one.
with tempfile.TemporaryDirectory() as folder:
    subprocess.run(["/usr/bin/python3", MAKE_SCANS, LINUX, DIGITS, folder, "4", "5"], check=True)
    scan = os.path.join(folder, "scan.pdf")
    photo = os.path.join(folder, "scan-04.png")
    linux = run(LINUX, "--mark", scan, photo, "--csv", os.path.join(folder, "linux.csv"))
    windows = run(WINDOWS, "--mark", wine_path(scan), wine_path(photo), "--csv", wine_path(os.path.join(folder, "windows.csv")),
                  "--marked", wine_path(os.path.join(folder, "marked.pdf")))
    check(linux.returncode == 0 and windows.returncode == 0,
          f"both mark the scans ({linux.returncode}, {windows.returncode}: {windows.stderr.decode(errors='replace')[-300:]})")
    same = (os.path.exists(os.path.join(folder, "windows.csv")) and
            open(os.path.join(folder, "windows.csv"), "rb").read() == open(os.path.join(folder, "linux.csv"), "rb").read())
    check(same, "the Windows CSV is byte for byte the Linux one")
    check(os.path.getsize(os.path.join(folder, "marked.pdf")) > 10000 if os.path.exists(os.path.join(folder, "marked.pdf"))
          else False, "the Windows program writes the marked pages")

    # Recorded by the Windows program, then each child's own sheets made from those records on
    # both systems: the same text, the same facts brought back.
    records = os.path.join(folder, "practice.sqlite")
    recorded = run(WINDOWS, "--mark", wine_path(scan), "--csv", wine_path(os.path.join(folder, "recorded.csv")),
                   "--record", "--records", wine_path(records))
    check(recorded.returncode == 0 and os.path.exists(records),
          f"the Windows program records the marked sheets ({recorded.stderr.decode(errors='replace')[-300:]})")
    names = os.path.join(folder, "names.txt")
    with open(names, "w", encoding="utf-8") as f:
        f.write("学生01\n学生02\n学生03\n学生04\n学生05\n")
    adapt = ["--adapt", "10", "--seed", "17"]
    linux = run(LINUX, "--names", names, "--records", records, *adapt)
    windows = run(WINDOWS, "--names", wine_path(names), "--records", wine_path(records), *adapt)
    said = windows.stderr.decode(errors="replace")
    check(windows.returncode == 0 and windows.stdout == linux.stdout and linux.stdout.count("道口算题".encode()) == 5,
          f"--adapt: the Windows sheets are byte for byte the Linux ones, five of them ({windows.returncode}, {said[-300:]})")
    check("第 1 份 学生01：" in said and "道错题再练" in said and "学生05 不在练习记录里" in said,
          f"and say what each child got ({said[-400:]})")

with tempfile.TemporaryDirectory() as folder:
    documents = {}
    for name, tool, path in (("linux", LINUX, os.path.join(folder, "linux.docx")),
                             ("windows", WINDOWS, os.path.join(folder, "口算题-windows.docx"))):
        r = run(tool, "--sheets", "12", "--difficulty", "难", "--seed", "8", "--docx",
                wine_path(path) if tool == WINDOWS else path)
        check(r.returncode == 0, f"{name} writes the document ({r.stderr.decode(errors='replace')})")
        with zipfile.ZipFile(path) as package:
            documents[name] = package.read("word/document.xml")
    check(documents["linux"] == documents["windows"], "word/document.xml is the same on both")

    # Two writers racing for one name under Wine: never both, and an existing file is kept.
    for round in range(6):
        target = os.path.join(folder, f"race-{round}.docx")
        writers = [subprocess.Popen([WINDOWS, "--sheets", "30", "--seed", str(i), "--docx", wine_path(target)],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.PIPE) for i in (1, 2)]
        codes = [w.wait(timeout=120) for w in writers]
        check(codes.count(0) == 1, f"race {round}: exactly one writer succeeds ({codes})")
        before = open(target, "rb").read()
        again = run(WINDOWS, "--sheets", "1", "--docx", wine_path(target))
        check(again.returncode == 1 and open(target, "rb").read() == before, f"race {round}: the file is kept")
    check(not [n for n in os.listdir(folder) if n.startswith(".")], "no private file is left")

    # A Chinese name through the wide-character API, and --pdf through the module.
    pdf = os.path.join(folder, "三年级口算.pdf")
    r = run(WINDOWS, "--sheets", "2", "--pdf", wine_path(pdf))
    check(r.returncode == 0 and os.path.getsize(pdf) > 1000, f"--pdf to a Chinese name ({r.stderr.decode(errors='replace')})")

# --- The installer ----------------------------------------------------------------------------
shutil.rmtree(PROGRAM_FILES, ignore_errors=True)
setup_size = os.path.getsize(SETUP)
print(f"installer: {os.path.basename(SETUP)}, {setup_size / 1e6:.1f} MB")
# Its checksum beside it, as the release lists it.
sums = os.path.join(os.path.dirname(SETUP), "SHA256SUMS")
listed = dict(reversed(line.split()) for line in open(sums)) if os.path.exists(sums) else {}
with open(SETUP, "rb") as f:
    digest = hashlib.sha256(f.read()).hexdigest()
check(listed.get(os.path.basename(SETUP)) == digest, f"SHA256SUMS lists the installer's checksum ({digest})")
r = run(WINE, SETUP, "/S")
installed = os.path.join(PROGRAM_FILES, "pellarin-sheets.exe")
# The other tests' Wine server stays up, so this waits for the files rather than for the server.
deadline = time.monotonic() + 30
while not os.path.exists(os.path.join(PROGRAM_FILES, "uninstall.exe")) and time.monotonic() < deadline:
    time.sleep(0.1)
check(r.returncode == 0 and os.path.exists(installed), f"a silent install puts the programs into Program Files")
for part in ("pellarin.exe", "pellarin-pdf.dll", "Qt6Widgets.dll", "platforms/qwindows.dll",
             "translations/qtbase_zh_CN.qm", "libstdc++-6.dll", "licenses/SOURCES.txt", "uninstall.exe"):
    check(os.path.exists(os.path.join(PROGRAM_FILES, part)), f"installed: {part}")
shortcut = os.path.join(PREFIX, "drive_c", "ProgramData", "Microsoft", "Windows", "Start Menu", "Programs",
                        "Pellarin 口算题.lnk")
check(os.path.exists(shortcut), "a Start-menu entry")
version = run(WINE, installed, "--version")
check(version.stdout.decode() == f"pellarin-sheets {VERSION}\n", f"the installed tool's --version: {version.stdout!r}")

# The installed window on a screen of its own, with Windows' own platform: the splash, then the
# window; then five sheets made from the keyboard.
display = os.environ.get("DISPLAY")
if not display:
    checks.skip("the installed window: no X server (make test-windows starts one)")
else:
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)
    program = subprocess.Popen([WINE, os.path.join(PROGRAM_FILES, "pellarin.exe")], env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def shot(name):
        path = os.path.join(BUILD, name)
        subprocess.run(["import", "-window", "root", path], capture_output=True, timeout=60)
        return path

    def colours(path):
        """How many colours a screenshot has: a screen with nothing drawn on it has one or two."""
        r = subprocess.run(["convert", path, "-format", "%k", "info:"], capture_output=True, text=True, timeout=60)
        return int(r.stdout.strip() or 0)

    def differing(a, b):
        """How many pixels differ between two screenshots."""
        r = subprocess.run(["compare", "-metric", "AE", a, b, "null:"], capture_output=True, text=True, timeout=60)
        try:
            return int(float(r.stderr.split()[0]))
        except (IndexError, ValueError):
            return 0

    def window_size(title):
        r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title, "getwindowgeometry"],
                           capture_output=True, text=True, timeout=30)
        for line in r.stdout.splitlines():
            if "Geometry:" in line:
                w, h = line.split("Geometry:")[1].strip().split("x")
                return int(w), int(h)
        return None

    try:
        # The splash: the first window that shows, for two seconds, before the main window.
        deadline = time.monotonic() + 30
        splash = None
        while splash is None and time.monotonic() < deadline:
            time.sleep(0.2)
            shown = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "."], capture_output=True,
                                   text=True, timeout=30).stdout.split()
            if shown and window_size("^Pellarin$") is None:
                path = shot("pellarin-windows-splash.png")
                if colours(path) > 50:  # its picture drawn, not just a window
                    splash = path
        check(splash is not None, "the splash is shown first, with its picture")
        deadline = time.monotonic() + 30
        size = None
        while size is None and time.monotonic() < deadline:
            time.sleep(0.5)
            size = window_size("^Pellarin$")
        check(size is not None and abs(size[0] - 666) <= 16 and abs(size[1] - 329) <= 40,
              f"the main window is 666 x 329 ({size})")
        # Focus starts in the first box; Tab leads to the number of sheets.
        subprocess.run(["xdotool", "search", "--name", "^Pellarin$", "windowactivate", "--sync"], timeout=30)
        before = shot("pellarin-windows-window.png")
        subprocess.run(["xdotool", "key", "Tab", "ctrl+a", "5", "F5"], timeout=30)
        # The sheets are in the box once a good part of the window has changed (the box fills
        # with their lines); F6 then asks for a name, as it does only when the box has sheets.
        deadline = time.monotonic() + 30
        sheets = None
        changed = 0
        while sheets is None and time.monotonic() < deadline:
            path = shot("pellarin-windows-sheets.png")
            changed = differing(before, path)
            if changed > 5000:
                sheets = path
            time.sleep(0.2)
        check(sheets is not None, f"the sheets are drawn in the box ({changed} pixels changed)")

        # Practice on screen: F6, a name, two answers, written to the records in the user's
        # application data folder as they are typed.
        xdo = Xdo(delay_ms=50)
        xdo.run("key", "F6")
        dialog = xdo.window("在屏幕上练习$")
        check(dialog is not None, "F6 asks for the child's name: the box has sheets")
        xdo.type(dialog, "Xiaoming")
        xdo.keys(dialog, "Return")
        practice = xdo.window("Xiaoming")
        check(practice is not None, "the practice window opens")
        if practice:
            xdo.type(practice, "12\t7\t")
            answers = None
            deadline = time.monotonic() + 30
            while answers is None and time.monotonic() < deadline:
                time.sleep(0.3)
                for path in glob.glob(os.path.join(PREFIX, "drive_c", "users", "*", "AppData", "Roaming", "Pellarin",
                                                   "practice.sqlite")):
                    db = sqlite3.connect(f"file:{path}?mode=ro", uri=True)
                    try:
                        row = db.execute("SELECT answers FROM sessions").fetchone()
                        answers = row[0].split(",")[:2] if row and row[0].startswith("12,7") else None
                    except sqlite3.Error:
                        pass
                    finally:
                        db.close()
            check(answers == ["12", "7"], f"the answers are in the records as they are typed ({answers})")
            shot("pellarin-windows-practice.png")
    finally:
        program.kill()
        program.wait(timeout=60)

    # "Open with" on a scan, as Explorer runs it: the command registered for PDFs and pictures
    # opens the installed program's marking window on the file, a name with a space and Chinese.
    said = run(WINE, "reg", "query", OPEN_WITH + r"\shell\open\command", "/ve").stdout.decode(errors="replace")
    registered = re.search(r'REG_SZ\s+"([^"]+)" "%1"', said)
    check(registered is not None and registered.group(1).lower() == r"c:\program files\pellarin\pellarin.exe",
          f"the installer registers the program to open scans ({said.strip()!r})")
    check(offered() == SCAN_TYPES, f"and offers it for PDFs and pictures ({offered()})")
    if registered:
        with tempfile.TemporaryDirectory() as folder:
            subprocess.run(["/usr/bin/python3", MAKE_SCANS, LINUX, DIGITS, folder, "1", "5"], check=True,
                           capture_output=True, timeout=300)
            scan = os.path.join(folder, "三年级 扫描.pdf")
            os.rename(os.path.join(folder, "scan.pdf"), scan)
            opened = subprocess.Popen([WINE, registered.group(1), wine_path(scan)], env=env,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                window = Xdo().window("^批改纸质试卷 · 三年级 扫描.pdf$", seconds=90)
                check(window is not None, "which opens the marking window on the file and reads it")
                if window:
                    shot("pellarin-windows-open-with.png")
            finally:
                opened.kill()
                opened.wait(timeout=60)

# --- Uninstalling ---------------------------------------------------------------------------
r = run(WINE, os.path.join(PROGRAM_FILES, "uninstall.exe"), "/S")
# The uninstaller hands over to a copy of itself that may still be at work.
deadline = time.monotonic() + 30
while os.path.exists(installed) and time.monotonic() < deadline:
    time.sleep(0.1)
left = os.listdir(PROGRAM_FILES) if os.path.exists(PROGRAM_FILES) else []
check(not os.path.exists(installed) and not [n for n in left if n.endswith((".dll", ".exe"))],
      f"the uninstaller removes the installed files (left: {left})")
check(not os.path.exists(shortcut), "and the Start-menu entry")
check(offered() == [] and run(WINE, "reg", "query", OPEN_WITH).returncode != 0, "and the offer to open scans")

checks.finish()
