"""A real word processor renders the exported document: LibreOffice turns a 40-sheet Medium
document into a PDF, and poppler's tools check the page size and that the columns line up.
Page 1 is saved as a PNG under the build folder for anyone to look at."""
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import Checks  # noqa: E402

SHEETS_TOOL, PICTURE = sys.argv[1], sys.argv[2]
TWO_OPERAND = re.compile(r"^\d+[＋－]\d+=$")
checks = Checks()
check = checks.check

soffice = shutil.which("soffice") or shutil.which("libreoffice")
if not soffice:
    check(False, "LibreOffice is installed (make installs libreoffice-writer-nogui)")
    checks.finish()

with tempfile.TemporaryDirectory() as folder:
    document = os.path.join(folder, "sheets.docx")
    subprocess.run([SHEETS_TOOL, "--limit", "99", "--sheets", "40", "--difficulty", "中", "--seed", "5",
                    "--docx", document], check=True)
    subprocess.run([soffice, f"-env:UserInstallation=file://{folder}/profile", "--headless", "--norestore",
                    "--convert-to", "pdf", "--outdir", folder, document],
                   check=True, capture_output=True, timeout=300)
    pdf = os.path.join(folder, "sheets.pdf")
    check(os.path.exists(pdf), "LibreOffice made a PDF")

    info = subprocess.run(["pdfinfo", "-f", "1", "-l", "9999", pdf], capture_output=True, text=True, check=True).stdout
    sizes = re.findall(r"Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts", info)
    check(len(sizes) > 1, f"several pages ({len(sizes)})")
    check(all(abs(float(w) - 595) < 1.5 and abs(float(h) - 842) < 1.5 for w, h in sizes), "every page A4 portrait")

    bbox = subprocess.run(["pdftotext", "-bbox", "-f", "1", "-l", "1", pdf, "-"],
                          capture_output=True, text=True, check=True).stdout
    words = [(float(y), float(x), text) for x, y, text in
             re.findall(r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="[\d.]+">([^<]*)</word>', bbox)]
    lines = {}
    for y, x, text in words:
        lines.setdefault(round(y), []).append((x, text))
    rows, after_heading = [], False
    for y in sorted(lines):
        line = sorted(lines[y])
        texts = [t for _, t in line]
        if any("用时" in t for t in texts):
            after_heading = True
            continue
        if len(line) == 5 and all(TWO_OPERAND.match(t) for t in texts):
            if not after_heading:  # a sheet's first row: its first cell may be narrower
                rows.append([x for x, _ in line])
            after_heading = False
    check(len(rows) >= 20, f"two-operand rows found on page 1 ({len(rows)})")
    if rows:
        reference = rows[0]
        for row in rows[1:]:
            check(all(abs(a - b) <= 1.0 for a, b in zip(row, reference)), f"columns line up: {row} vs {reference}")
    subprocess.run(["pdftoppm", "-png", "-r", "80", "-f", "1", "-l", "1", "-singlefile", pdf,
                    PICTURE.removesuffix(".png")], check=True)
    check(os.path.getsize(PICTURE) > 1000, "page 1 saved as a picture")

checks.finish()
