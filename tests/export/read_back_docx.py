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


W = "{http://schemas.openxmlformats.org/wordprocessingml/2006/main}"
TITLE = "100道口算题（100以内纯进位、退位）"


def paragraph_text(p):
    """A paragraph's text as a reader sees it on the page, page breaks left out."""
    out = []
    for element in p.iter():
        if element.tag == W + "t":
            out.append(element.text or "")
        elif element.tag == W + "tab":
            out.append("\t")
        elif element.tag in (W + "br", W + "cr") and element.get(W + "type") != "page":
            out.append("\n")
    return "".join(out)


def read_back(path, expected, name):
    document = docx.Document(path)
    section = document.sections[0]
    check(near_cm(section.page_width, 21.0) and near_cm(section.page_height, 29.7), f"{name}: A4 page")
    check(section.orientation == 0, f"{name}: portrait")
    check(near_cm(section.top_margin, 2.2) and near_cm(section.bottom_margin, 2.2), f"{name}: top and bottom")
    check(near_cm(section.left_margin, 3.17) and near_cm(section.right_margin, 3.17), f"{name}: left and right")
    # The font and 15 pt hold for the whole content: set in the default style, never overridden.
    defaults = document.styles.element.xpath("./w:docDefaults/w:rPrDefault/w:rPr")[0]
    check(defaults.xpath("./w:sz/@w:val") == ["30"], f"{name}: 15 pt by default")
    fonts = defaults.xpath("./w:rFonts")[0]
    check((fonts.get(W + "ascii"), fonts.get(W + "hAnsi"), fonts.get(W + "eastAsia")) ==
          ("NSimSun", "NSimSun", "SimSun"), f"{name}: fixed-pitch ASCII, Song East Asian")
    body = document.element.body
    check(not body.xpath(".//w:sz | .//w:rFonts"), f"{name}: no paragraph or run sets its own size or font")
    paragraphs = body.xpath("./w:p")
    text = "\r\n".join(paragraph_text(p) for p in paragraphs)
    check(text == expected, f"{name}: the text comes back exactly ({len(text)} vs {len(expected)} characters)")
    # A new page before every sheet but the first, in front of its heading spaces.
    breaks = body.xpath(".//w:br[@w:type='page']")
    check(len(breaks) == max(expected.count(TITLE) - 1, 0), f"{name}: {len(breaks)} page breaks")
    for br in breaks:
        after = "".join(t.text or "" for t in br.itersiblings(W + "t"))
        check(after.startswith(" " * 10 + TITLE), f"{name}: the page starts with the sheet's heading")


with tempfile.TemporaryDirectory() as folder:
    sheets = subprocess.run([SHEETS_TOOL, "--limit", "99", "--sheets", "60", "--difficulty", "中", "--seed", "3"],
                            capture_output=True, check=True).stdout.decode("utf-8")
    check(any(len(cell.split("＋")[0]) == 1 for cell in sheets.split()), "the Medium run has one-digit operands")
    texts = {
        "sixty Medium sheets": sheets,
        "edited": sheets[:500] + "我改了这一行  \r\n\r\n  还有这里" + sheets[900:2000] + "\xa0\u2028\t",
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
