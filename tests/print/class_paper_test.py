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


def boxes(pdf, page):
    """(yMin, xMin, xMax, text) of every word of a page."""
    bbox = subprocess.run(["pdftotext", "-bbox", "-f", str(page), "-l", str(page), pdf, "-"],
                          capture_output=True, text=True, check=True).stdout
    return [(float(y), float(x0), float(x1), t) for x0, y, x1, t in re.findall(
        r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>', bbox)]


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
            check(name == expected, f"{kind}: sheet {sheet} is headed {expected!r} ({name!r})")
            check(clear, f"{kind}: sheet {sheet}'s name keeps clear of 得分:")
            check(expected in footer.replace(" ", ""), f"{kind}: sheet {sheet}'s footer names {expected} ({footer!r})")
        first = unicodedata.normalize("NFKC", " ".join(t for _, _, _, t in boxes(pdf, 1)))
        check("三年级二班" in first, "the class is written after 班级:")
        if PICTURES and kind == "utf8-bom":
            subprocess.run(["pdftoppm", "-png", "-r", "80", "-f", "5", "-l", "5", "-singlefile", pdf,
                            f"{PICTURES}-named-sheet"], check=True)

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
