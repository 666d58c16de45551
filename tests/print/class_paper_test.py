"""Paper for a whole class, read back with poppler: names from a class list on each sheet's
heading between "姓名:" and "得分:" and in its footer, the class after "班级:", lists in UTF-8
with a byte-order mark and in GB18030, a list in neither refused; compact answer keys of 60
sheets on at most 15 pages, every result its problem's value, every grid headed by its sheet.

usage: class_paper_test.py PELLARIN_SHEETS [PICTURE_PREFIX] [--windows]  (the tool, or its Wine wrapper)"""
import os
import re
import subprocess
import sys
import tempfile
import unicodedata

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import Checks  # noqa: E402
from pdf_pages import page_count  # noqa: E402

TOOL = sys.argv[1]
PICTURES = sys.argv[2] if len(sys.argv) > 2 and sys.argv[2] != "--windows" else None
WINDOWS = "--windows" in sys.argv[2:]
TITLE = "100道口算题（100以内纯进位、退位）"
PROBLEM = re.compile(r"^(\d+)([＋－])(\d+)(?:([＋－])(\d+))?=$")
checks = Checks()
check = checks.check
NAMES = ["王小明", "李华", "张三丰", "欧阳娜娜", "诸葛亮亮亮亮亮亮亮亮亮亮"]  # the last is 12 characters


def run(*args):
    return subprocess.run([TOOL, *args], capture_output=True, timeout=300)


def value(problem):
    m = PROBLEM.match(problem)
    total = int(m.group(1))
    for sign, operand in ((m.group(2), m.group(3)), (m.group(4), m.group(5))):
        if sign:
            total = total + int(operand) if sign == "＋" else total - int(operand)
    return total


def boxes(pdf, page, heights=False):
    """(yMin, xMin, xMax, text) of every word of a page; with heights, (…, text, height)."""
    bbox = subprocess.run(["pdftotext", "-bbox", "-f", str(page), "-l", str(page), pdf, "-"],
                          capture_output=True, text=True, check=True).stdout
    words = [(float(y), float(x0), float(x1), t, float(y1) - float(y)) for x0, y, x1, y1, t in re.findall(
        r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>', bbox)]
    return words if heights else [w[:4] for w in words]


def heading_name(pdf, page):
    """The text between "姓名:" and "得分:" on a sheet page's heading line, and whether it keeps
    clear of "得分:"; the footer's text."""
    words = boxes(pdf, page)
    label = next(w for w in words if w[3].startswith("姓名"))
    score = next(w for w in words if w[3].startswith("得分"))
    between = [w for w in words if abs(w[0] - label[0]) < 14 and label[2] - 1 <= w[1] < score[1] and w is not label]
    name = "".join(w[3] for w in sorted(between, key=lambda w: w[1]))
    clear = all(w[2] <= score[1] + 0.5 for w in between)
    footer = " ".join(w[3] for w in words if w[0] > 780)
    # A reader may read a character that shares its glyph with a radical (小, 二) as the radical.
    return unicodedata.normalize("NFKC", name), clear, unicodedata.normalize("NFKC", footer)


with tempfile.TemporaryDirectory() as folder:
    text = "\r\n".join(NAMES) + "\r\n"
    lists = {"utf8-bom": b"\xef\xbb\xbf" + text.encode("utf-8"), "gb18030": text.encode("gb18030")}
    for kind, data in lists.items():
        names = os.path.join(folder, f"{kind}.txt")
        with open(names, "wb") as f:
            f.write(data)
        pdf = os.path.join(folder, f"{kind}.pdf")
        r = run("--sheets", "5", "--seed", "6", "--pdf", pdf, "--names", names, "--class", "三年级二班")
        check(r.returncode == 0 and page_count(pdf) == 5, f"{kind}: 5 named sheets ({r.stderr.decode()})")
        for sheet, expected in enumerate(NAMES, 1):
            name, clear, footer = heading_name(pdf, sheet)
            if len(expected) > 10:
                # Too long for the blank even at 9 points: its start, cut with "…"; whole in the footer.
                check(name.endswith("...") and expected.startswith(name[:-3]) and len(name) >= 8,
                      f"{kind}: sheet {sheet}'s long name is cut to fit ({name!r})")
            else:
                check(name == expected, f"{kind}: sheet {sheet} is headed {expected!r} ({name!r})")
            check(clear, f"{kind}: sheet {sheet}'s name keeps clear of 得分:")
            check(expected in footer.replace(" ", ""), f"{kind}: sheet {sheet}'s footer names {expected} ({footer!r})")
        check(r.stderr.decode().count("太长") == 1, f"{kind}: the cut is said once ({r.stderr.decode()!r})")
        first = unicodedata.normalize("NFKC", " ".join(t for _, _, _, t in boxes(pdf, 1)))
        check("三年级二班" in first, "the class is written after 班级:")
        if PICTURES and kind == "utf8-bom":
            subprocess.run(["pdftoppm", "-png", "-r", "80", "-f", "5", "-l", "5", "-singlefile", pdf,
                            f"{PICTURES}-named-sheet"], check=True)

    # Names as the page can hold them: a four-character name at the sheet's own size where the
    # blank has room; a name no longer than the blank is never shrunk, a longer one never drawn
    # below 9 points; a right-to-left name leaves the footer's number and count in their order; a name of a script no face here has is left
    # off, and said; a 100 KB name or class stays within the page and the key's grid.
    odd = ["王小明明", "\u05d3\u05d5\u05d3 12", "नमस्ते", "x" * 100000, "李华"]
    names = os.path.join(folder, "odd.txt")
    with open(names, "w", encoding="utf-8") as f:
        f.write("\n".join(odd) + "\n")
    pdf = os.path.join(folder, "odd.pdf")
    r = run("--sheets", "5", "--seed", "6", "--pdf", pdf, "--names", names, "--class", "三年级" + "班" * 30000,
            "--answers=compact")
    said = r.stderr.decode()
    check(r.returncode == 0, f"odd names: written ({said[:200]!r})")
    words = boxes(pdf, 1, heights=True)
    label = next(w for w in words if w[3].startswith("姓名"))
    four = [w for w in words if "王小明明" in unicodedata.normalize("NFKC", w[3])]
    check(four and abs(four[0][4] - label[4]) < 0.5, f"a four-character name keeps the sheet's size ({four}, {label})")
    # Readable: nothing below 9 points, measured against the 15-point "姓名:" (a word's box
    # height is its size times its face's own proportion, so only words in the sheet's face
    # are measured: the Hebrew name comes from a fallback face; the footer's 10.5 points are above).
    page_width = 595.3
    smallest = label[4] * 9 / 15 * 0.95
    for page in range(1, 6):
        for y, x0, x1, t, h in boxes(pdf, page, heights=True):
            fallback = any("\u0590" <= c <= "\u05ff" for c in t)
            check(x0 >= 0 and x1 <= page_width and (fallback or h >= smallest),
                  f"page {page}: {t[:20]!r} within the page, readable ({x0}–{x1}, {h} against {smallest:.2f})")
    footer2 = heading_name(pdf, 2)[2].replace(" ", "")
    check(footer2.startswith("第2份·") and footer2.endswith("/共5份") and "\u05d3\u05d5\u05d3" in footer2,
          f"a Hebrew name's footer in order ({footer2!r})")
    check("नमस्ते" in said and heading_name(pdf, 3)[0] == "" and "·" not in heading_name(pdf, 3)[2],
          f"a name no face here has is left off, and said ({said[:300]!r})")
    check(said.count("太长") == 1, f"the long name and class are said once ({said!r})")
    first = unicodedata.normalize("NFKC", " ".join(w[3] for w in words))
    check("三年级班" in first.replace(" ", "") and first.index("班级") < first.index("三年级") < first.index("姓名"),
          f"a 30,000-character class is cut in its blank ({first[:80]!r})")
    for y, x0, x1, t in boxes(pdf, 6):
        check(x1 <= page_width - 85 or y > 780, f"the key's headings keep to the page ({t[:20]!r} ends at {x1})")

    last = " ".join(w[3] for w in boxes(pdf, 7) if w[0] > 780).replace(" ", "")
    check("第5份/共5份" in last, f"a key page of one sheet is footed 第 5 份 ({last!r})")
    fonts = subprocess.run(["pdffonts", "-f", "6", "-l", "6", pdf], capture_output=True, text=True).stdout
    check("Bold" in fonts, f"the key's figures are bold ({fonts!r})")
    key = boxes(pdf, 6, heights=True)
    headings = {round(w[0]) for w in key if w[3] == "第"}
    results = [w for w in key if re.fullmatch(r"\d+", w[3]) and w[0] < 780 and round(w[0]) not in headings]
    # 12 points: a sans face's digits stand at least 0.8 of their size (10 points would not).
    check(len(results) == 400 and min(w[4] for w in results) >= 12 * 0.8,
          f"400 results of at least 12 points on a key page ({len(results)}, {min(w[4] for w in results)})")

    # Fewer names than sheets: the rest are blank.
    names = os.path.join(folder, "three.txt")
    with open(names, "w", encoding="utf-8") as f:
        f.write("\n".join(NAMES[:3]) + "\n\n")
    pdf = os.path.join(folder, "three.pdf")
    check(run("--sheets", "5", "--seed", "6", "--pdf", pdf, "--names", names).returncode == 0, "3 names for 5 sheets")
    for sheet in (4, 5):
        name, _, footer = heading_name(pdf, sheet)
        check(name == "" and not any(n in footer for n in NAMES), f"sheet {sheet} of 5 is left blank ({name!r})")

    # More names than sheets: written, and the user is told.
    pdf = os.path.join(folder, "more.pdf")
    r = run("--sheets", "2", "--seed", "6", "--pdf", pdf, "--names", os.path.join(folder, "utf8-bom.txt"))
    check(r.returncode == 0 and "3 个名字没有试卷" in r.stderr.decode(), f"names without a sheet are named ({r.stderr.decode()})")

    # A list in neither encoding is refused and writes nothing.
    names = os.path.join(folder, "latin1.txt")
    with open(names, "wb") as f:
        f.write("Müller\nBjörk\n".encode("latin-1") + b"\xff\xfe\n")
    pdf = os.path.join(folder, "refused.pdf")
    r = run("--sheets", "2", "--pdf", pdf, "--names", names)
    check(r.returncode == 1 and "UTF-8" in r.stderr.decode() and not os.path.exists(pdf),
          f"a list in neither encoding is refused ({r.stderr.decode()})")

    # Lists that are no lists: refused at once with the list's own name and what is wrong, and
    # never read for ever (a FIFO with no writer, /dev/zero).
    fifo = os.path.join(folder, "fifo.txt")
    os.mkfifo(fifo)
    missing = os.path.join(folder, "missing.txt")
    for names, reason in ((fifo, "不是普通文件"), ("/dev/zero", "不是普通文件"), (missing, "文件不存在"),
                          (folder, "文件夹")):
        pdf = os.path.join(folder, "never.pdf")
        r = run("--sheets", "2", "--pdf", pdf, "--names", names)
        said = r.stderr.decode()
        check(r.returncode == 1 and reason in said and names in said and "文件夹不存在" not in said
              and not os.path.exists(pdf), f"{names}: refused as {reason} ({said})")
    r = run("--sheets", "2", "--pdf", os.path.join(folder, "never.pdf"), "--names", os.path.join(folder, "latin1.txt"))
    said = r.stderr.decode()
    check("latin1.txt" in said and "refused.pdf" not in said and "never.pdf" not in said and "后再选" not in said,
          f"an encoding error names the list, in the command line's words ({said})")

    # Invisible lines are no names, control characters no part of one; UTF-16 with its mark is
    # read; other encodings, mixed lines and UTF-16 without its mark are refused; an empty list
    # is said to be empty.
    hidden = "王小明\n\u200b\n\ufeff\n\0\n李\x07华\n张三丰\n".encode("utf-8")
    cases = {
        "hidden": (hidden, ["王小明", "李华", "张三丰"]),
        "utf16le": ("\ufeff王小明\r\n李华\r\n".encode("utf-16-le"), ["王小明", "李华"]),
        "utf16be": ("\ufeff王小明\r\n李华\r\n".encode("utf-16-be"), ["王小明", "李华"]),
        "mixed": ("王小明\n".encode("utf-8") + "李华\n".encode("gbk"), "有的行是 UTF-8"),
        "utf16-no-mark": ("王小明\r\nLi Hua\r\n".encode("utf-16-le"), "UTF-16"),
        "empty": (b"\r\n \r\n\xe2\x80\x8b\r\n", "没有名字"),
    }
    for kind, (data, expected) in cases.items():
        names = os.path.join(folder, f"{kind}.txt")
        with open(names, "wb") as f:
            f.write(data)
        pdf = os.path.join(folder, f"{kind}.pdf")
        r = run("--sheets", "3", "--seed", "6", "--pdf", pdf, "--names", names)
        said = r.stderr.decode()
        if isinstance(expected, list):
            got = [heading_name(pdf, page)[0] for page in range(1, 4)] if r.returncode == 0 else said
            check(got == expected + [""] * (3 - len(expected)), f"{kind}: names {got}")
        elif kind == "empty":
            check(r.returncode == 0 and expected in said and os.path.exists(pdf), f"{kind}: written, and said ({said})")
        else:
            check(r.returncode == 1 and expected in said and names in said and not os.path.exists(pdf),
                  f"{kind}: refused ({said})")

    # The class's name typed in a GBK terminal. (Linux's: a Windows program gets its command line
    # as Unicode, whatever the console's code page, and Wine hands it over in this locale's UTF-8.)
    if not WINDOWS:
        pdf = os.path.join(folder, "gbk-class.pdf")
        r = subprocess.run([TOOL.encode(), b"--sheets", b"1", b"--pdf", pdf.encode(), b"--class", "三年级二班".encode("gbk")],
                           capture_output=True, timeout=300)
        heading = " ".join(w[3] for w in boxes(pdf, 1)) if r.returncode == 0 else r.stderr.decode()
        check("三年级二班" in unicodedata.normalize("NFKC", heading.replace(" ", "")) and "\ufffd" not in heading,
              f"a GBK class name is read as such ({heading[:80]!r})")

    # No sheets, no document: the help says 0 or fewer writes nothing.
    for option, name in (("--pdf", "none.pdf"), ("--docx", "none.docx")):
        out = os.path.join(folder, name)
        r = run("--sheets", "0", option, out)
        check(r.returncode == 0 and not os.path.exists(out) and "0" in r.stderr.decode(),
              f"--sheets 0 {option}: nothing written, and said ({r.stderr.decode()})")

    # Compact keys: 60 sheets of each difficulty, at most 15 answer pages.
    for difficulty in ("难", "中", "易"):
        args = ["--sheets", "60", "--difficulty", difficulty, "--seed", "12"]
        sheets_text = run(*args).stdout.decode("utf-8")
        sheets = []
        for part in sheets_text.split(TITLE)[1:]:
            rows = [line.split() for line in part.split("\r\n")[2:] if line.split()]
            sheets.append([[value(p) for p in row] for row in rows])
        pdf = os.path.join(folder, f"compact-{difficulty}.pdf")
        r = run(*args, "--pdf", pdf, "--answers=compact")
        pages = page_count(pdf)
        check(r.returncode == 0 and 60 < pages <= 75, f"{difficulty}: 60 sheets and at most 15 answer pages ({pages})")
        seen = 0
        for page in range(61, pages + 1):
            words = [w for w in boxes(pdf, page) if w[0] < 780]  # the footer aside
            # Each grid: the words below its header and within its half of the page.
            numbers = [w for w in words if re.fullmatch(r"-?\d+", w[3])]
            grid_tops = sorted({round(y) for y, x, _, t in words if t == "第"})
            lefts = sorted({round(x) for y, x, _, t in words if t == "第"})
            for top in grid_tops:
                for left in lefts:
                    header = [w for w in words if abs(w[0] - top) < 3 and left - 1 <= w[1] < left + 200]
                    if not header:
                        continue
                    label = "".join(w[3] for w in sorted(header, key=lambda w: w[1]))
                    m = re.match(r"第(\d+)份", label)
                    check(m is not None and "答案" in label, f"{difficulty}: a grid headed by its sheet ({label!r})")
                    if not m:
                        continue
                    sheet = int(m.group(1))
                    cells = [w for w in numbers if top + 5 < w[0] < top + 340 and left - 1 <= w[1] < left + 200]
                    lines = {}
                    for y, x, _, t in cells:
                        lines.setdefault(round(y), []).append((x, int(t)))
                    got = [[v for _, v in sorted(row)] for _, row in sorted(lines.items())]
                    check(got == sheets[sheet - 1], f"{difficulty}: sheet {sheet}'s grid holds its results in place")
                    seen += 1
        check(seen == 60, f"{difficulty}: 60 grids ({seen})")
        if PICTURES and difficulty == "中":
            subprocess.run(["pdftoppm", "-png", "-r", "80", "-f", "61", "-l", "61", "-singlefile", pdf,
                            f"{PICTURES}-compact-key"], check=True)

checks.finish()
