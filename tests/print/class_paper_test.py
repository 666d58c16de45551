"""Paper for a whole class, read back with poppler: names from a class list on each sheet's
heading between "姓名:" and "得分:" and in its footer, the class after "班级:", lists in UTF-8
with a byte-order mark and in GB18030, a list in neither refused; compact answer keys of 60
sheets on at most 15 pages, every result its problem's value, every grid headed by its sheet.

usage: class_paper_test.py PELLARIN_SHEETS [PICTURE_PREFIX]"""
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
PICTURES = sys.argv[2] if len(sys.argv) > 2 else None
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
