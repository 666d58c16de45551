"""Sheets that bring back each child's missed facts, end to end with real records: a child
misses 7 facts on screen and at least 5 on a marked paper scan (eight written wrong; those the
reader leaves to a person count neither way); the class printed with --adapt puts all of them on
that child's sheet and none on the others'; after the child has answered 3 of them right on
three different days, those 3 no longer come. Records that cannot be read give plain
sheets and say why, and printing never writes to the records.

usage: adapt_test.py PELLARIN_SHEETS PRACTISE DIGITS_DIR"""
import csv
import hashlib
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
from checks import Checks  # noqa: E402

TOOL, PRACTISE, DIGITS = sys.argv[1], sys.argv[2], sys.argv[3]
checks = Checks()
check = checks.check
DAY = 86_400_000
MONDAY = 1_765_152_000_000 + 10 * 3_600_000  # 2025-12-08, ten in the morning
# Missed on screen: five two-operand facts and two chained ones, all fit for 中 within 99.
SCREEN = ["45＋38=", "63－28=", "27＋48=", "91－56=", "36＋47=", "47＋38－29=", "52－18＋21="]
SETTINGS = ["--limit", "99", "--difficulty", "中", "--seed", "5"]


def sheets_of(text):
    """The problems of each sheet, in order."""
    return [re.findall(r"\d+[＋－]\d+(?:[＋－]\d+)?=", part) for part in text.split("100道口算题")[1:]]


def adapt(names, records, *extra):
    run = subprocess.run([TOOL, "--names", names, "--adapt", "20", "--records", records, *SETTINGS, *extra],
                         capture_output=True)
    return run.returncode, run.stdout.decode(), run.stderr.decode()


def digest(path):
    return hashlib.sha256(open(path, "rb").read()).hexdigest()


with tempfile.TemporaryDirectory() as folder:
    # Paper: two named sheets, each with exactly eight clearly wrong answers, marked and recorded.
    subprocess.run(["/usr/bin/python3", os.path.join(HERE, "..", "markrun", "make_scans.py"), TOOL, DIGITS, folder, "2",
                    "13", "--grey-300", "--wrong", "8"], check=True, stdout=subprocess.DEVNULL)
    records = os.path.join(folder, "practice.sqlite")
    out = os.path.join(folder, "marks.csv")
    run = subprocess.run([TOOL, "--mark", os.path.join(folder, "scan.pdf"), "--csv", out, "--record", "--records", records],
                         capture_output=True, text=True)
    check(run.returncode == 0, f"the scan is marked and recorded ({run.returncode}, {run.stderr})")
    rows = list(csv.DictReader(open(out, encoding="utf-8-sig", newline="")))
    paper = {r["题目"] for r in rows if r["姓名"] == "学生01" and r["判定"] == "错"}
    others_paper = {r["题目"] for r in rows if r["姓名"] == "学生02" and r["判定"] == "错"}
    check(5 <= len(paper) <= 8, f"学生01 missed at least 5 facts on paper ({sorted(paper)})")

    # Screen: the same child misses seven more, each answered 1.
    answers = [f"{p}=1" for p in SCREEN]
    subprocess.run([PRACTISE, records, "学生01", str(MONDAY + DAY), *answers], check=True)
    missed = set(SCREEN) | paper
    names = os.path.join(folder, "names.txt")
    with open(names, "w", encoding="utf-8") as f:
        f.write("学生01\n学生02\n学生03\n")

    before = digest(records)
    status, text, said = adapt(names, records)
    check(status == 0, f"--adapt: exit 0 ({status}, {said})")
    sheets = sheets_of(text)
    check(len(sheets) == 3 and all(len(s) == 100 for s in sheets), "one sheet of 100 problems a child")
    check(missed <= set(sheets[0]), f"学生01's {len(missed)} facts are on 学生01's sheet (missing {sorted(missed - set(sheets[0]))})")
    check(not (missed - others_paper) & (set(sheets[1]) | set(sheets[2])),
          f"and none on another child's ({sorted((missed - others_paper) & (set(sheets[1]) | set(sheets[2])))})")
    check(others_paper <= set(sheets[1]), "学生02's own paper misses are on 学生02's sheet")
    check(f"第 1 份 学生01：{len(missed)} 道错题再练" in said, f"stderr says how many facts each child got ({said})")
    check("学生03 不在练习记录里" in said, "a name not in the records gets a plain sheet, and is said")
    check(digest(records) == before, "printing writes nothing to the records")
    check(adapt(names, records)[1] == text, "with --seed the same records give the same sheets")

    # Three of them answered right on three different days: no longer brought back.
    learnt = SCREEN[:3]
    for day in range(3):
        subprocess.run([PRACTISE, records, "学生01", str(MONDAY + (3 + day) * DAY),
                        *[f"{p}={eval(p[:-1].replace('＋', '+').replace('－', '-'))}" for p in learnt]], check=True)
    status, text, said = adapt(names, records)
    sheets = sheets_of(text)
    check(f"第 1 份 学生01：{len(missed) - 3} 道错题再练" in said, f"three fewer come back now ({said})")
    check((missed - set(learnt)) <= set(sheets[0]), "those still missed are there")
    check(not set(learnt) & set(sheets[0]), f"the three learnt ones no longer come ({set(learnt) & set(sheets[0])})")

    # Records that cannot be read: plain sheets, and why.
    plain = subprocess.run([TOOL, "--sheets", "3", *SETTINGS], capture_output=True).stdout.decode()
    broken = os.path.join(folder, "broken.sqlite")
    with open(broken, "wb") as f:
        f.write(b"not a database" * 100)
    for bad in (broken, os.path.join(folder, "missing.sqlite"), folder):
        status, text, said = adapt(names, bad)
        check(status == 0 and text == plain, f"records {os.path.basename(bad)}: the plain sheets ({status})")
        check("读不了" in said, f"and the reason ({said.strip()})")
    check(not os.path.exists(os.path.join(folder, "missing.sqlite")), "a missing records file is not made")
checks.finish()
