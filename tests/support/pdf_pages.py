"""Words of a PDF page with their positions, as poppler's pdftotext reads them, grouped into
lines: what the paper tests compare."""
import re
import subprocess

WORD = re.compile(r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="[\d.]+">([^<]*)</word>')


def page_count(pdf):
    info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True, check=True).stdout
    return int(re.search(r"^Pages:\s+(\d+)", info, re.M).group(1))


def page_words(pdf, page):
    """(y, x, text) of every word on one page."""
    bbox = subprocess.run(["pdftotext", "-bbox", "-f", str(page), "-l", str(page), pdf, "-"],
                          capture_output=True, text=True, check=True).stdout
    unescape = lambda t: t.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", '"').replace("&amp;", "&")
    return [(float(y), float(x), unescape(text)) for x, y, text in WORD.findall(bbox)]


def rows_of(words, tolerance=2.0):
    """The words grouped into lines top to bottom, each line's words as (x, text) left to right."""
    lines = []
    for y, x, text in sorted(words):
        if lines and abs(lines[-1][0] - y) <= tolerance:
            lines[-1][1].append((x, text))
        else:
            lines.append((y, [(x, text)]))
    return [sorted(line) for _, line in lines]
