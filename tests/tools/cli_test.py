"""The command-line tool, run as a script would run it."""
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import Checks  # noqa: E402

TOOL = sys.argv[1]
checks = Checks()
check = checks.check


def run(*args):
    return subprocess.run([TOOL, *args], capture_output=True, timeout=60)


first = run("--limit", "99", "--sheets", "40", "--difficulty", "难", "--seed", "7")
check(first.returncode == 0, "a normal run exits 0")
text = first.stdout.decode("utf-8")
check(text.count("题") == 40, "one title per sheet")
check(text.count("\r\n") == 40 * 22, "22 CR LF per sheet")
check("\n" not in text.replace("\r\n", ""), "no bare line feeds")
check(text.endswith(" ") and not text.endswith("\n"), "ends in spaces, no newline at the end")
check(len(text) == 40 * 1077, "Hard sheets are 1,077 characters each")
check(text.startswith(" " * 10 + "100道口算题（100以内纯进位、退位）\r\n班级:"), "starts with the heading")
again = run("--limit", "99", "--sheets", "40", "--difficulty", "难", "--seed", "7")
check(again.stdout == first.stdout, "same seed, same bytes")
other = run("--limit", "99", "--sheets", "40", "--difficulty", "难", "--seed", "8")
check(other.stdout != first.stdout, "another seed, another text")
unseeded = run("--sheets", "2")
check(unseeded.returncode == 0 and unseeded.stdout.decode().count("题") == 2, "defaults with Medium")

for sheets in ("0", "-3"):
    r = run("--sheets", sheets)
    check(r.returncode == 0 and r.stdout == b"" and r.stderr == b"", f"--sheets {sheets} prints nothing")
r = run("--sheets", "2.5", "--seed", "1")
check(r.stdout.decode().count("题") == 2, "2.5 sheets round to 2")
r = run("--sheets", "3.5", "--seed", "1")
check(r.stdout.decode().count("题") == 4, "3.5 sheets round to 4")

r = run("--limit", "20", "--difficulty", "难")
check(r.returncode == 1 and r.stdout == b"" and "32" in r.stderr.decode(), "unworkable limit refused")

for bad in (["--difficulty", "hard"], ["--difficulty", "中 "], ["--limit"], ["--limit", "abc"],
            ["--limit", "40000"], ["--sheets", "1e999"], ["--seed", "-1"], ["--frobnicate"]):
    r = run(*bad)
    check(r.returncode == 2 and "用法：" in r.stderr.decode() and r.stdout == b"", f"bad arguments {bad}")

# A number is taken only when the whole argument is one: sign, digits, fraction.
for bad in ("6-1", "-", "e", ".", "--5", "+", "1e2", "12abc", " 3", "3 ", "0x10", "1.2.3", ""):
    for option in ("--sheets", "--limit"):
        r = run(option, bad, "--seed", "1")
        check(r.returncode == 2 and r.stdout == b"" and f"“{bad}”" in r.stderr.decode(),
              f"{option} {bad!r} is refused, naming the argument "
              f"({r.returncode}, {r.stdout[:80]!r}, {r.stderr.decode(errors='replace')[:200]!r})")
for good, count in (("+3", 3), ("3.", 3), ("-0", 0), (".5", 0), ("2.50", 2), ("007", 7)):
    r = run("--sheets", good, "--seed", "1")
    check(r.returncode == 0 and r.stdout.decode().count("题") == count, f"--sheets {good} gives {count} sheets")

# Every message is in the program's language, and says what happened in plain words.
ENGLISH = ("usage", "unknown", "needs", "Operation", "Permission", "error", "could not", "not supported")
messages = {
    "unknown option": run("--frobnicate"),
    "refusal": run("--limit", "20", "--difficulty", "难"),
    "docx to a device": run("--sheets", "1", "--docx", "/dev/full"),
    "docx onto a folder": run("--sheets", "1", "--docx", "/tmp"),
}
with open("/dev/full", "wb") as full:
    messages["text to a full disk"] = subprocess.run([TOOL, "--sheets", "1"], stdout=full, stderr=subprocess.PIPE)
for what, r in messages.items():
    err = r.stderr.decode()
    check(r.returncode in (1, 2) and not any(w.lower() in err.lower() for w in ENGLISH), f"{what}: {err!r}")
check("已经有同名的文件或文件夹" in messages["docx onto a folder"].stderr.decode(), "a folder's name is taken")
check("磁盘已满" in messages["text to a full disk"].stderr.decode(), "a full disk is named")
# A folder that exists but takes no files is not called missing (Linux's /proc; the Windows
# build, started through its Wine script, has no such folder).
UNDER_WINE = open(TOOL, "rb").read(2) == b"#!"
WITH_PDF = "没有 PDF 功能" not in run("--sheets", "1", "--pdf", "/没有这个文件夹/x.pdf").stderr.decode()
if not UNDER_WINE:
    for option in ("--docx", "--pdf") if WITH_PDF else ("--docx",):
        err = run("--sheets", "1", option, "/proc/x." + option[2:]).stderr.decode()
        check("这个位置不能保存普通文件" in err and "文件夹不存在" not in err, f"{option} into /proc: {err!r}")
err = run("--sheets", "1", "--docx", "/没有这个文件夹/x.docx").stderr.decode()
check("文件夹不存在" in err, f"a missing folder is named: {err!r}")

r = run("--help")
out = r.stdout.decode()
check(r.returncode == 0 and out.endswith("\n") and all(o in out for o in
      ("--limit", "--sheets", "--difficulty", "--seed", "--docx", "--version", "--help")), "--help")
r = run("--version")
check(r.returncode == 0 and re.fullmatch(r"pellarin-sheets \d+\.\d+\.\d+\n", r.stdout.decode()), "--version")

checks.finish()
