"""Scans that are no sheet, and files that are no scan: each gets a clear Chinese reason, in the
CSV and on standard error, with the documented exit status, and nothing crashes or hangs.
Another document's page, a blank page, a sheet with a corner cut off, a black-and-white page
compressed as fax (CCITT); a corrupt PDF, an encrypted one, an empty file, a 20,000 x 20,000
picture; a 300-page PDF read in bounded memory; and the usage errors.

usage: bad_input_test.py PELLARIN_SHEETS"""
import csv
import os
import resource
import subprocess
import sys
import tempfile

from PIL import Image, ImageDraw

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import Checks  # noqa: E402

TOOL = sys.argv[1]
checks = Checks()
check = checks.check


def mark(folder, *files, extra=()):
    out = os.path.join(folder, f"out-{len(os.listdir(folder))}.csv")
    run = subprocess.run([TOOL, "--mark", *files, "--csv", out, *extra], capture_output=True, timeout=600)
    rows = list(csv.DictReader(open(out, encoding="utf-8-sig", newline=""))) if os.path.exists(out) else []
    return run.returncode, run.stderr.decode(), rows


with tempfile.TemporaryDirectory() as folder:
    sheets = os.path.join(folder, "sheets.pdf")
    subprocess.run([TOOL, "--sheets", "2", "--seed", "3", "--pdf", sheets], check=True)
    plain = os.path.join(folder, "plain.pdf")
    subprocess.run([TOOL, "--sheets", "1", "--seed", "3", "--pdf", plain, "--plain"], check=True)
    subprocess.run(["pdftoppm", "-r", "150", "-gray", "-png", sheets, os.path.join(folder, "sheet")], check=True)
    subprocess.run(["pdftoppm", "-r", "150", "-gray", "-png", "-singlefile", plain, os.path.join(folder, "plain")],
                   check=True)
    sheet = Image.open(os.path.join(folder, "sheet-1.png"))

    # Pages that are no readable sheet: each its row, the others marked, exit 3.
    blank = os.path.join(folder, "blank.png")
    Image.new("L", sheet.size, 250).save(blank)
    cut = sheet.copy()
    ImageDraw.Draw(cut).rectangle([0, cut.height - 200, 200, cut.height], fill=255)
    cut_path = os.path.join(folder, "corner-cut.png")
    cut.save(cut_path)
    status, said, rows = mark(folder, os.path.join(folder, "plain.png"), blank, cut_path, os.path.join(folder, "sheet-2.png"))
    check(status == 3, f"pages that are no sheet: exit 3 ({status}, {said})")
    unread = [r for r in rows if r["判定"] == "无法识别"]
    check(len(unread) == 3 and all(r["份"] == "" and r["题号"] == "" for r in unread), "one row each, no sheet or number")
    check(all("黑色方块" in r["读作"] for r in unread), f"each says what is missing ({[r['读作'] for r in unread]})")
    check(len(rows) == 103 and sum(r["份"] == "2" for r in rows) == 100, "the sheet among them is marked")
    check(said.count("认不出") >= 1 and "corner-cut.png" in said, "and said on standard error")

    # Into the records: a sheet printed without a name is not recorded, and said; records that
    # cannot be opened are said too; the CSV is written either way.
    records = os.path.join(folder, "records.sqlite")
    status, said, rows = mark(folder, os.path.join(folder, "sheet-1.png"), extra=("--record", "--records", records))
    check(status == 1 and "没有姓名" in said and len(rows) == 100, f"--record: a sheet without a name is said ({status}, {said})")
    status, said, rows = mark(folder, os.path.join(folder, "sheet-1.png"), extra=("--record", "--records", blank))
    check(status == 1 and "练习记录打不开" in said and len(rows) == 100,
          f"--record: a records file that is a picture is said, and the CSV written ({status}, {said})")
    check(open(blank, "rb").read(4) == b"\x89PNG", "and that file is left as it was")

    # A page compressed as a fax: refused, with what to do.
    fax = os.path.join(folder, "fax.tiff")
    sheet.convert("1").save(fax, compression="group4")
    fax_pdf = os.path.join(folder, "fax.pdf")
    subprocess.run(["img2pdf", "--output", fax_pdf, fax], check=True)
    status, said, rows = mark(folder, fax_pdf)
    check(status == 3 and rows and "灰度或彩色" in rows[0]["读作"], f"a CCITT page: scan in grey, it says ({said})")

    # Files that cannot be read at all: exit 1, the reason, and the rest still marked.
    corrupt = os.path.join(folder, "corrupt.pdf")
    with open(corrupt, "wb") as f:
        f.write(b"%PDF-1.4\n" + os.urandom(3000))
    empty = os.path.join(folder, "empty.pdf")
    open(empty, "wb").close()
    encrypted = os.path.join(folder, "encrypted.pdf")
    subprocess.run(["qpdf", "--encrypt", "secret", "owner", "256", "--", sheets, encrypted], check=True)
    huge = os.path.join(folder, "huge.png")
    Image.new("1", (20000, 20000), 1).save(huge)
    for path, expected in ((corrupt, "不是能读的 PDF"), (empty, "空的"), (encrypted, "密码"), (huge, "太大"),
                           (os.path.join(folder, "missing.png"), "不存在")):
        status, said, rows = mark(folder, path, os.path.join(folder, "sheet-2.png"))
        reason = rows[0]["读作"] if rows else ""
        check(status == 1 and expected in reason and expected in said, f"{os.path.basename(path)}: {reason!r}, exit {status}")
        check(len(rows) == 101, f"{os.path.basename(path)}: the other file is still marked")

    # Usage: exit 2, and an existing CSV is never replaced (exit 1).
    for args in (["--mark", blank], ["--mark", "--csv", "x.csv"], ["--mark", blank, "--csv", "x.csv", "--sheets", "3"],
                 ["--csv", "x.csv"]):
        run = subprocess.run([TOOL, *args], capture_output=True, cwd=folder)
        check(run.returncode == 2 and "用法" in run.stderr.decode(), f"usage error for {args}: {run.returncode}")
    existing = os.path.join(folder, "existing.csv")
    with open(existing, "w") as f:
        f.write("mine")
    run = subprocess.run([TOOL, "--mark", blank, "--csv", existing], capture_output=True)
    check(run.returncode == 1 and open(existing).read() == "mine", "an existing CSV is kept")

    # 300 pages in bounded memory.
    small = os.path.join(folder, "page.jpg")
    sheet.save(small, "JPEG", quality=80)
    long_pdf = os.path.join(folder, "long.pdf")
    subprocess.run(["img2pdf", "--output", long_pdf] + [small] * 300, check=True)
    before = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    status, said, rows = mark(folder, long_pdf)
    peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    check(status == 0 and len(rows) == 30000, f"300 pages marked ({status}, {len(rows)} rows)")
    check(peak < 500 * 1024, f"in bounded memory: peak {peak // 1024} MB (before {before // 1024} MB)")
checks.finish()
