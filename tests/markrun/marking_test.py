"""Marking scans end to end with the real parts: the program's own PDF of ten named sheets,
held-out handwriting written into its boxes, the pages degraded as scanners and phones do and
wrapped in a scanner's PDF by img2pdf (make_scans.py), then marked by pellarin-sheets --mark.
Every page is identified and named; at least 80 % of answers are decided without a person; at
most 0.5 % of wrong answers are marked 对 and 1 % of right ones 错; no blank is marked 对. The
CSV is as documented, and the marked PDF has a page for each sheet. With a picture prefix, a
printed sheet, a degraded scan and its marked page are saved as PNGs.

usage: marking_test.py PELLARIN_SHEETS DIGITS_DIR [PICTURE_PREFIX]"""
import csv
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
from checks import Checks  # noqa: E402
from pdf_pages import page_count  # noqa: E402
from score_marks import score  # noqa: E402

TOOL, DIGITS = sys.argv[1], sys.argv[2]
PICTURES = sys.argv[3] if len(sys.argv) > 3 else None
checks = Checks()
check = checks.check

with tempfile.TemporaryDirectory() as folder:
    subprocess.run(["/usr/bin/python3", os.path.join(HERE, "make_scans.py"), TOOL, DIGITS, folder, "10", "7"], check=True)
    out, marked = os.path.join(folder, "out.csv"), os.path.join(folder, "marked.pdf")
    run = subprocess.run([TOOL, "--mark", os.path.join(folder, "scan.pdf"), "--csv", out, "--marked", marked],
                         capture_output=True)
    said = run.stderr.decode()
    check(run.returncode == 0, f"every page read: exit {run.returncode} ({said})")
    raw = open(out, "rb").read()
    check(raw.startswith("\ufeff文件,页,份,姓名,题号,题目,答案,读作,判定\r\n".encode()),
          "the CSV is UTF-8 with a BOM and its columns")
    rows = list(csv.DictReader(open(out, encoding="utf-8-sig", newline="")))
    check(len(rows) == 1000 and all(r["题号"] == str(i % 100 + 1) for i, r in enumerate(rows)),
          f"one row a problem, 1 to 100 in reading order ({len(rows)})")
    check({r["判定"] for r in rows} <= {"对", "错", "待核"}, "every verdict is 对, 错 or 待核")
    figures = score(os.path.join(folder, "truth.json"), out)
    check(figures["identified"] == figures["pages"] == 10, f"every page identified ({figures['identified']})")
    check(figures["named"] == 10, "every page named by its code")
    check(figures["decided"] >= 0.80, f"at least 80 % decided without a person ({figures['decided']:.1%})")
    check(figures["wrong marked right"] <= 0.005, f"at most 0.5 % of wrong answers marked 对 ({figures['wrong marked right']:.2%})")
    check(figures["right marked wrong"] <= 0.01, f"at most 1 % of right answers marked 错 ({figures['right marked wrong']:.2%})")
    check(figures["blank marked right"] == 0, "no blank marked 对")
    check(os.path.exists(marked) and page_count(marked) == 10, "a marked page for every sheet")
    text = subprocess.run(["pdftotext", "-f", "1", "-l", "1", marked, "-"], capture_output=True, text=True).stdout
    first = [r for r in rows if r["页"] == "1"]
    right = sum(r["判定"] == "对" for r in first)
    check(str(right) in text.split(), f"the first marked page carries its score {right}")
    # --record: every named sheet is a paper session with its score and its misses on the
    # child's list; marked again, the sheets replace themselves and never count twice.
    records = os.path.join(folder, "records.sqlite")
    for time in range(2):
        run = subprocess.run([TOOL, "--mark", os.path.join(folder, "scan.pdf"), "--csv", os.path.join(folder, f"r{time}.csv"),
                              "--record", "--records", records], capture_output=True, text=True)
        check(run.returncode == 0, f"--record run {time + 1}: exit 0 ({run.returncode}, {run.stderr})")
        check(("以前记入过" in run.stderr) == (time == 1), "the second run says each sheet was recorded before")
    import sqlite3
    db = sqlite3.connect(records)
    sessions = db.execute("SELECT child, right_count, asked_count FROM sessions WHERE paper=1").fetchall()
    check(len(sessions) == 10, f"ten paper sessions, not twenty ({len(sessions)})")
    by_child = {child: (right, asked) for child, right, asked in sessions}
    for page in range(1, 11):
        page_rows = [r for r in rows if r["页"] == str(page)]
        child = page_rows[0]["姓名"]
        right = sum(r["判定"] == "对" for r in page_rows)
        missed = {r["题目"] for r in page_rows if r["判定"] == "错"}
        listed = {p for (p,) in db.execute("SELECT problem FROM missed WHERE child=? AND retired=0", (child,))}
        check(by_child.get(child) == (right, 100), f"{child}: the score of page {page} ({by_child.get(child)}, {right})")
        check(listed == missed, f"{child}: the 错 of the page are on the child's list")
    db.close()
    if PICTURES:
        subprocess.run(["pdftoppm", "-png", "-r", "70", "-f", "1", "-l", "1", "-singlefile", os.path.join(folder, "sheets.pdf"),
                        f"{PICTURES}-printed"], check=True)
        subprocess.run(["pdftoppm", "-png", "-r", "70", "-f", "1", "-l", "1", "-singlefile", marked, f"{PICTURES}-marked"],
                       check=True)
        from PIL import Image
        for name, picture in (("scan-01.jpg", "scan"), ("scan-05.jpg", "photo")):
            image = Image.open(os.path.join(folder, name))
            image.thumbnail((820, 1160))
            image.save(f"{PICTURES}-{picture}.png")
checks.finish()
