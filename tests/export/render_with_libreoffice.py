"""A real word processor renders the exported documents under several font set-ups: LibreOffice
turns a 12-sheet Medium and a 12-sheet Hard document into PDFs, and poppler's tools check that
every page is A4 and holds exactly one sheet, and that the columns line up. Which faces were
used is printed. Pages 1 and 2 of one set-up are saved as PNGs under the build folder.

usage: render_with_libreoffice.py SHEETS_TOOL FONT_SETUPS_DIR PICTURE_PREFIX"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import Checks  # noqa: E402
from pdf_pages import page_count, page_words, rows_of  # noqa: E402

SHEETS_TOOL, FONT_SETUPS, PICTURES = sys.argv[1], sys.argv[2], sys.argv[3]
TWO_OPERAND = re.compile(r"^\d+[＋－]\d+=$")
CHAINED = re.compile(r"^\d+[＋－]\d+[＋－]\d+=$")
SHEETS = 12
checks = Checks()
check = checks.check

# (a) the machine's own fonts, both CJK families; (b) AR PL UMing alone; (c) Noto CJK alone.
SETUPS = {
    "both families": None,
    "AR PL UMing only": os.path.join(FONT_SETUPS, "uming-only.conf"),
    "Noto CJK only": os.path.join(FONT_SETUPS, "noto-only.conf"),
}
SAVED_SETUP = "Noto CJK only"

soffice = shutil.which("soffice") or shutil.which("libreoffice")
if not soffice:
    check(False, "LibreOffice is installed (make test installs libreoffice-writer-nogui)")
    checks.finish()


def check_columns(pdf, name):
    """Every page one sheet; in every two-operand and every chained row the cells start at the
    same x as in the other rows of their kind (a sheet's first row may start narrower)."""
    pages = page_count(pdf)
    check(pages == SHEETS, f"{name}: one page per sheet ({pages} pages for {SHEETS} sheets)")
    reference = {}
    counted = {"two-operand": 0, "chained": 0}
    for page in range(1, pages + 1):
        words = page_words(pdf, page)
        titles = sum(1 for _, _, text in words if "口算题" in text)  # the title is split into words
        check(titles == 1, f"{name}: page {page} holds one sheet ({titles} titles)")
        after_heading = False
        for line in rows_of(words):
            texts = [t for _, t in line]
            if any("用时" in t for t in texts):
                after_heading = True
                continue
            kind = ("two-operand" if len(line) == 5 and all(TWO_OPERAND.match(t) for t in texts) else
                    "chained" if len(line) == 4 and all(CHAINED.match(t) for t in texts) else None)
            first_row, after_heading = after_heading, False
            if kind is None or (first_row and kind == "two-operand"):
                continue
            xs = [x for x, _ in line]
            counted[kind] += 1
            ref = reference.setdefault(kind, xs)
            check(all(abs(a - b) <= 1.0 for a, b in zip(xs, ref)),
                  f"{name}: page {page}, {kind} columns line up: {xs} vs {ref}")
    # 15 further two-operand rows and 5 chained rows on every page.
    check(counted == {"two-operand": 15 * SHEETS, "chained": 5 * SHEETS}, f"{name}: rows found {counted}")


with tempfile.TemporaryDirectory() as folder:
    documents = []
    for difficulty, label in (("中", "medium"), ("难", "hard")):
        path = os.path.join(folder, f"{label}.docx")
        subprocess.run([SHEETS_TOOL, "--limit", "99", "--sheets", str(SHEETS), "--difficulty", difficulty,
                        "--seed", "5", "--docx", path], check=True)
        documents.append((label, path))
    for setup, config in SETUPS.items():
        env = dict(os.environ)
        env.pop("FONTCONFIG_FILE", None)
        if config:
            env["FONTCONFIG_FILE"] = config
        out = os.path.join(folder, re.sub(r"\W+", "-", setup))
        os.makedirs(out)
        subprocess.run([soffice, f"-env:UserInstallation=file://{folder}/profile", "--headless", "--norestore",
                        "--convert-to", "pdf", "--outdir", out, *[p for _, p in documents]],
                       check=True, capture_output=True, timeout=300, env=env)
        for label, _ in documents:
            pdf = os.path.join(out, f"{label}.pdf")
            name = f"{setup}, {label}"
            if not os.path.exists(pdf):
                check(False, f"{name}: LibreOffice made a PDF")
                continue
            info = subprocess.run(["pdfinfo", "-f", "1", "-l", "9999", pdf], capture_output=True, text=True,
                                  check=True).stdout
            sizes = re.findall(r"Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts", info)
            check(all(abs(float(w) - 595) < 1.5 and abs(float(h) - 842) < 1.5 for w, h in sizes),
                  f"{name}: every page A4 portrait")
            fonts = subprocess.run(["pdffonts", pdf], capture_output=True, text=True, check=True).stdout
            print(f"--- {name}: faces used\n{fonts}")
            check_columns(pdf, name)
            if setup == SAVED_SETUP and label == "medium":
                for page in (1, 2):
                    picture = f"{PICTURES}{page}"
                    subprocess.run(["pdftoppm", "-png", "-r", "80", "-f", str(page), "-l", str(page),
                                    "-singlefile", pdf, picture], check=True)
                    check(os.path.getsize(picture + ".png") > 1000, f"page {page} saved as a picture")

checks.finish()
