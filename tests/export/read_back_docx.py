"""Reads documents written by the export with python-docx, a real reader, and checks the page,
the font size and that the paragraphs joined with CR LF give back exactly the text."""
import os
import subprocess
import sys
import tempfile

import docx
from docx.shared import Pt

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import Checks  # noqa: E402

WRITE_DOCX, SHEETS_TOOL = sys.argv[1], sys.argv[2]
checks = Checks()
check = checks.check


def near_cm(length, cm):
    return abs(length.cm - cm) < 0.01


def read_back(path, expected, name):
    document = docx.Document(path)
    section = document.sections[0]
    check(near_cm(section.page_width, 21.0) and near_cm(section.page_height, 29.7), f"{name}: A4 page")
    check(section.orientation == 0, f"{name}: portrait")
    check(near_cm(section.top_margin, 2.2) and near_cm(section.bottom_margin, 2.2), f"{name}: top and bottom")
    check(near_cm(section.left_margin, 3.17) and near_cm(section.right_margin, 3.17), f"{name}: left and right")
    paragraphs = document.paragraphs
    for p in paragraphs:
        check(all(run.font.size == Pt(15) for run in p.runs), f"{name}: 15 pt on every run")
        marks = p._p.xpath("./w:pPr/w:rPr/w:sz/@w:val")
        check(marks == ["30"], f"{name}: 15 pt on the paragraph mark, empty lines too")
    text = "\r\n".join(p.text for p in paragraphs)
    check(text == expected, f"{name}: the text comes back exactly ({len(text)} vs {len(expected)} characters)")
    fonts = set(document.element.xpath("//w:rFonts/@w:eastAsia")) | set(document.element.xpath("//w:rFonts/@w:ascii"))
    check(fonts == {"SimSun"}, f"{name}: one half-width-ASCII font, {fonts}")


with tempfile.TemporaryDirectory() as folder:
    sheets = subprocess.run([SHEETS_TOOL, "--limit", "99", "--sheets", "60", "--difficulty", "中", "--seed", "3"],
                            capture_output=True, check=True).stdout.decode("utf-8")
    check(any(len(cell.split("＋")[0]) == 1 for cell in sheets.split()), "the Medium run has one-digit operands")
    texts = {
        "sixty Medium sheets": sheets,
        "edited": sheets[:500] + "我改了这一行  \r\n\r\n  还有这里" + sheets[900:2000],
        "empty": "",
        "xml specials": "<w:t> & \"quotes\" 'single' > ]]> &amp;\r\n   \r\ntrailing   ",
    }
    for name, text in texts.items():
        source = os.path.join(folder, "text.txt")
        with open(source, "wb") as f:
            f.write(text.encode("utf-8"))
        out = os.path.join(folder, name.replace(" ", "-") + ".docx")
        check(subprocess.run([WRITE_DOCX, source, out]).returncode == 0, f"{name}: written")
        read_back(out, text, name)
        again = subprocess.run([WRITE_DOCX, source, out], capture_output=True)
        check(again.returncode == 1 and os.path.getsize(out) > 0, f"{name}: an existing file is never overwritten")

    # The command-line tool writes the same document for its run.
    out = os.path.join(folder, "tool.docx")
    check(subprocess.run([SHEETS_TOOL, "--sheets", "60", "--seed", "3", "--docx", out]).returncode == 0, "tool --docx")
    read_back(out, sheets, "tool --docx")
    bad = subprocess.run([SHEETS_TOOL, "--sheets", "1", "--docx", os.path.join(folder, "missing", "x.docx")],
                         capture_output=True)
    check(bad.returncode == 1 and b"x.docx" in bad.stderr, "an unwritable path is reported")

checks.finish()
