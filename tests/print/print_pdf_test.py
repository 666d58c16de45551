"""The printed pages, read back with poppler: PDFs for 4 sheets of each difficulty, with and
without answers, from pellarin-sheets --pdf, and an edited text from the same print layout.
Every page is A4; one page per sheet, then one per sheet with answers; each page's problems
are its sheet's problems of the text, in order; every column is straight, first rows
included; every answer is its expression's value. Page 1 of a sheet and of the answers are
saved as PNGs when a picture prefix is given.

usage: print_pdf_test.py PELLARIN_SHEETS PRINT_TEXT_PDF [PICTURE_PREFIX]"""
import os
import re
import subprocess
import sys
import tempfile
import unicodedata

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import Checks  # noqa: E402
from pdf_pages import page_count, page_words, rows_of  # noqa: E402

TOOL, PRINT_TEXT = sys.argv[1], sys.argv[2]
PICTURES = sys.argv[3] if len(sys.argv) > 3 else None
PROBLEM = re.compile(r"^(\d+)([＋－])(\d+)(?:([＋－])(\d+))?=(-?\d+)?$")
TITLE = "100道口算题（100以内纯进位、退位）"
checks = Checks()
check = checks.check


def value(match):
    total = int(match.group(1))
    for sign, operand in ((match.group(2), match.group(3)), (match.group(4), match.group(5))):
        if sign:
            total = total + int(operand) if sign == "＋" else total - int(operand)
    return total


def sheets_of(text):
    """The problems of each sheet of a text, row by row, as the text lays them out."""
    sheets = []
    for part in text.split(TITLE)[1:]:
        lines = part.split("\r\n")[2:]  # the rest of the title line, the heading line
        sheets.append([line.split() for line in lines if line.split()])
    return sheets


def page_rows(pdf, page):
    """The rows of problem words of a page, each as [(x, word)]."""
    return [line for line in rows_of(page_words(pdf, page)) if all(PROBLEM.match(t) for _, t in line)]


def check_pdf(pdf, text, answers, name, plain):
    sheets = sheets_of(text)
    pages = page_count(pdf)
    check(pages == len(sheets) * (2 if answers else 1), f"{name}: {pages} pages for {len(sheets)} sheets")
    info = subprocess.run(["pdfinfo", "-f", "1", "-l", str(pages), pdf], capture_output=True, text=True).stdout
    sizes = re.findall(r"Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts", info)
    check(len(sizes) == pages and all(abs(float(w) - 595.28) < 0.5 and abs(float(h) - 841.89) < 0.5
                                      for w, h in sizes), f"{name}: every page A4 portrait")
    columns = {}
    for page in range(1, pages + 1):
        answer_page = page > len(sheets)
        sheet = sheets[(page - 1) % len(sheets)]
        rows = page_rows(pdf, page)
        problems = [[PROBLEM.match(t) for _, t in row] for row in rows]
        expected = [[p for p in row] for row in sheet]
        got = [[m.group(0)[:m.group(0).index("=") + 1] for m in row] for row in problems]
        check(got == expected, f"{name}: page {page} holds its sheet's problems in order")
        for row in problems:
            for m in row:
                has = m.group(6) is not None
                check(has == answer_page and (not has or int(m.group(6)) == value(m)),
                      f"{name}: page {page}: {m.group(0)} answered {'rightly' if answer_page else 'never'}")
        for row in rows:
            kind = len(row)
            for i, (x, _) in enumerate(row):
                # Plain, a key's problems are where the sheet's are; ready for marking, the
                # sheet's have boxes after them and the key's are laid out as before.
                ref = columns.setdefault((not plain and answer_page, kind, i), x)
                check(abs(x - ref) <= 0.5, f"{name}: page {page}, a {kind}-cell row's column {i} at {x}, not {ref}")
    return pages


with tempfile.TemporaryDirectory() as folder:
    texts = {}
    for difficulty, label in (("难", "hard"), ("中", "medium"), ("易", "easy")):
        run = subprocess.run([TOOL, "--sheets", "4", "--difficulty", difficulty, "--seed", "11"],
                             capture_output=True, check=True)
        texts[label] = run.stdout.decode("utf-8")
        for answers, plain in ((False, False), (True, False), (True, True)):
            pdf = os.path.join(folder, f"{label}{'-answers' if answers else ''}{'-plain' if plain else ''}.pdf")
            args = [TOOL, "--sheets", "4", "--difficulty", difficulty, "--seed", "11", "--pdf", pdf]
            made = subprocess.run(args + (["--answers"] if answers else []) + (["--plain"] if plain else []),
                                  capture_output=True)
            check(made.returncode == 0 and made.stderr == b"", f"{label}: --pdf, silently {made.stderr.decode()}")
            check_pdf(pdf, texts[label], answers,
                      f"{label}{' with answers' if answers else ''}{' plain' if plain else ''}", plain)
            if PICTURES and label == "medium" and answers and not plain:
                for page, picture in ((1, "sheet"), (5, "answers")):
                    out = f"{PICTURES}-{picture}-page1"
                    subprocess.run(["pdftoppm", "-png", "-r", "80", "-f", str(page), "-l", str(page), "-singlefile",
                                    pdf, out], check=True)
                    check(os.path.getsize(out + ".png") > 1000, f"{picture} page saved")
    again = subprocess.run([TOOL, "--sheets", "1", "--pdf", os.path.join(folder, "hard.pdf")], capture_output=True)
    check(again.returncode == 1 and "已经有同名的文件" in again.stderr.decode(), "an existing PDF is never replaced")

    # An edited text: a problem changed in sheet 1, a line deleted from sheet 2, free text
    # added to sheet 3. Sheet 1 keeps its grid; the others print line by line, nothing lost.
    lines = texts["medium"].split("\r\n")
    first_row = 2
    cells = lines[first_row + 1].split()
    changed = "98－19="
    lines[first_row + 1] = lines[first_row + 1].replace(cells[2], changed, 1)
    second = [i for i, line in enumerate(lines) if TITLE in line][1]
    deleted = lines.pop(second + 5)
    third = [i for i, line in enumerate(lines) if TITLE in line][2]
    lines.insert(third + 3, "小明今天做得很好，继续加油！")
    edited = "\r\n".join(lines)
    source = os.path.join(folder, "edited.txt")
    with open(source, "wb") as f:
        f.write(edited.encode("utf-8"))
    pdf = os.path.join(folder, "edited.pdf")
    check(subprocess.run([PRINT_TEXT, source, pdf, "--answers"]).returncode == 0, "edited text printed")
    pages = page_count(pdf)
    check(pages == 8, f"edited: one page per sheet and one per answer key ({pages})")
    # Each page's lines, words joined: a reader may split a Chinese line into several words,
    # and read a character that shares its glyph with a radical (口, 用) as the radical.
    printed = [" ".join("".join(t for _, t in line) for line in rows_of(page_words(pdf, page)))
               for page in range(1, pages + 1)]
    everything = unicodedata.normalize("NFKC", " ".join(printed[:4]))
    for word in edited.split():
        check(unicodedata.normalize("NFKC", word) in everything, f"edited: {word!r} is printed")
    check(unicodedata.normalize("NFKC", "小明今天做得很好，继续加油！") in everything, "edited: the free text is printed")
    check(" ".join(deleted.split()) not in " ".join(printed[1].split()), "edited: the deleted line is not printed")
    key = " ".join(printed[4:])
    check(f"{changed}{98 - 19}" in key, "edited: the changed problem is answered rightly")
    check(changed in printed[0] and cells[2] not in printed[0].split(), "edited: sheet 1 shows the changed problem")

    # Lines that are not sheets, wrapped at the margin: characters outside the first plane at
    # the wrap point, problems that must not be split, a TAB, and 300 mixed characters. The
    # sheet is broken by a line added to it, so all of it prints line by line.
    head = texts["easy"].split(TITLE)[1]
    sheet = TITLE + head
    width = 55  # half-width columns between the margins: 14.66 cm at 7.5 pt
    astral = "a" * (width - 1) + "😀𠮷b"
    problems = "x" * (width - 8) + " 95－30= 12＋34= 7＋8="
    tab = "a\tb c"
    tokens = ("题题", "7", "𠮷", "word", "é", "12＋34=", "题7＋", "😀")
    mixed = ""
    i = 0
    while len(mixed) < 300:
        mixed += tokens[i * 5 % 8] + " " * (1 + i % 2)
        i += 1
    wrapped = "\r\n".join([sheet, astral, problems, tab, mixed])
    source = os.path.join(folder, "wrapped.txt")
    with open(source, "wb") as f:
        f.write(wrapped.encode("utf-8"))
    for answers in (False, True):
        pdf = os.path.join(folder, f"wrapped{'-answers' if answers else ''}.pdf")
        check(subprocess.run([PRINT_TEXT, source, pdf] + (["--answers"] if answers else [])).returncode == 0,
              "wrapped text printed")
        name = "wrapped" + (" with answers" if answers else "")
        raw = subprocess.run(["pdftotext", pdf, "-"], capture_output=True, text=True).stdout
        check("\ufffd" not in raw, f"{name}: no character is split into replacement characters")
        # (Qt's PDFs give characters outside the first plane no text to extract; they are drawn.)
        for page in range(1, page_count(pdf) + 1):
            lines = rows_of(page_words(pdf, page))
            words = [t for line in lines for _, t in line]
            # No problem is cut at the margin: every piece that looks like part of one is whole.
            for word in words:
                if "=" in word and not word.startswith("x"):
                    check(PROBLEM.match(word) is not None and (value(PROBLEM.match(word)) ==
                          int(PROBLEM.match(word).group(6)) if PROBLEM.match(word).group(6) else True),
                          f"{name}: page {page}: {word!r} is a whole problem, rightly answered")
            # Words never overlap: each starts after the one before it on its line ends.
            bbox = subprocess.run(["pdftotext", "-bbox", "-f", str(page), "-l", str(page), pdf, "-"],
                                  capture_output=True, text=True).stdout
            boxes = sorted((round(float(y), 1), float(x0), float(x1), t) for x0, y, x1, t in re.findall(
                r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>', bbox))
            for (y0, a0, a1, t0), (y1, b0, b1, t1) in zip(boxes, boxes[1:]):
                if abs(y0 - y1) < 2:
                    check(b0 >= a1 - 0.5, f"{name}: page {page}: {t1!r} is not drawn over {t0!r}")
        first = [t for line in rows_of(page_words(pdf, 1)) for _, t in line]
        at = first.index("a") if "a" in first else -1
        check(at >= 0 and first[at:at + 3] == ["a", "b", "c"], f"{name}: a TAB keeps the words in order")
        if answers:
            key = subprocess.run(["pdftotext", "-f", "2", pdf, "-"], capture_output=True, text=True).stdout
            check("12＋34=46" in key and "95－30=65" in key and "7＋8=15" in key, f"{name}: the answers are whole")

checks.finish()
