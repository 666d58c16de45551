"""Scans of filled-in sheets, made as a class's would be: the program's own PDF of named
sheets rendered by poppler, held-out handwriting (MNIST digits and fonts the recogniser never
saw) written into the answer boxes (right answers, wrong ones, blanks), and each page degraded
as scanners and phones degrade them: turned up to 4 degrees, seen at an angle, 150 to 300 dpi,
blurred, noisy, unevenly lit, JPEG-compressed, in grey or colour, one page upside down, one
sideways and one a photo with the desk around it. The pages are wrapped in a PDF by img2pdf, as a scanning app
would. Writes scan.pdf and truth.json (what each page's boxes hold) into OUT_DIR.

With --grey-300 every page is a grey 300 dpi scan, as the benchmark's are. With --wrong N every
sheet has exactly N wrong answers, clearly wrong, and no blank: the rest are right.

usage: make_scans.py PELLARIN_SHEETS DIGITS_DIR OUT_DIR [SHEETS] [SEED] [--grey-300] [--wrong N]"""
import json
import os
import random
import subprocess
import sys

import numpy as np
from PIL import Image, ImageFilter

TOOL, DIGITS, OUT = sys.argv[1], sys.argv[2], sys.argv[3]
SHEETS = int(sys.argv[4]) if len(sys.argv) > 4 and not sys.argv[4].startswith("--") else 10
SEED = int(sys.argv[5]) if len(sys.argv) > 5 and not sys.argv[5].startswith("--") else 7
PLAIN_300 = "--grey-300" in sys.argv
WRONG = int(sys.argv[sys.argv.index("--wrong") + 1]) if "--wrong" in sys.argv else None
RENDER_DPI = 300
MM = RENDER_DPI / 25.4

# Where the boxes are on a sheet printed ready for marking (marking/PaperLayout.h), in mm.
LEFT, FIRST_ROW_TOP, ROW_PITCH, BOX_W, BOX_H, GAP = 14, 36, 10, 14, 9, 2


def box(i):
    row, col, pitch = (i // 5, i % 5, 36.4) if i < 80 else (16 + (i - 80) // 4, (i - 80) % 4, 45.5)
    right = LEFT + (col + 1) * pitch - GAP
    return right - BOX_W, FIRST_ROW_TOP + row * ROW_PITCH


def value(problem):
    total, sign, number = 0, 1, ""
    for c in problem.rstrip("="):
        if c.isdigit():
            number += c
        else:
            total += sign * int(number)
            number, sign = "", (1 if c in "+＋" else -1)
    return total + sign * int(number)


def load(name):
    data = open(os.path.join(DIGITS, name), "rb").read()
    pools = {d: [] for d in range(10)}
    for i in range(0, len(data), 785):
        pools[data[i]].append(np.frombuffer(data[i + 1:i + 785], dtype=np.uint8).reshape(28, 28))
    return pools


def write_digits(page, text, x_mm, y_mm, rng, mnist, fonts):
    """Writes `text` in a child's hand into the box at (x_mm, y_mm) of a 300 dpi page."""
    height = rng.uniform(4.6, 6.6) if len(text) < 3 else rng.uniform(4.2, 5.2)
    tile = int(round(height * MM * 28 / 20))
    advance = height * rng.uniform(0.72, 0.92)
    total = advance * (len(text) - 1)
    cx = x_mm + BOX_W / 2 - total / 2 + rng.uniform(-0.8, 0.8)
    cy = y_mm + BOX_H / 2 + rng.uniform(-0.5, 0.5)
    ink = rng.uniform(15, 90)
    hand = fonts if rng.random() < 0.15 else mnist
    for k, ch in enumerate(text):
        digit = hand[int(ch)][rng.randrange(len(hand[int(ch)]))]
        glyph = np.asarray(Image.fromarray(digit).resize((tile, tile), Image.BILINEAR), dtype=np.float32) / 255
        px = int(round((cx + k * advance) * MM - tile / 2 + rng.uniform(-0.3, 0.3) * MM))
        py = int(round(cy * MM - tile / 2))
        region = page[py:py + tile, px:px + tile]
        alpha = glyph[:region.shape[0], :region.shape[1]]
        page[py:py + tile, px:px + tile] = region * (1 - alpha) + ink * alpha


def degrade(page, rng, index, photo):
    """A page as a scanner or a phone hands it over: an image and its file format."""
    image = Image.fromarray(page.astype(np.uint8))
    w, h = image.size
    mask = Image.new("L", (w, h), 255)  # where the page is, to lay it on a desk
    # A photo is taken at an angle: a projective view, its corners moved by up to 5 %. A scanned
    # sheet lies less flat: its corners moved by up to 1 %, the page between them bent as
    # paper bends (a bilinear warp, which no projective map straightens).
    spread = 0.05 if photo else 0.01
    quad = [(rng.uniform(-spread, spread) * w, rng.uniform(-spread, spread) * h) for _ in range(4)]
    corners = [(0, 0), (0, h), (w, h), (w, 0)]
    moved = [(cx + dx, cy + dy) for (cx, cy), (dx, dy) in zip(corners, quad)]
    if photo:
        # The coefficients that take each output pixel to its place in the page.
        rows, rhs = [], []
        for (x, y), (u, v) in zip(corners, moved):
            rows.append([x, y, 1, 0, 0, 0, -u * x, -u * y])
            rows.append([0, 0, 0, x, y, 1, -v * x, -v * y])
            rhs += [u, v]
        view = (Image.PERSPECTIVE, list(np.linalg.solve(np.array(rows, dtype=float), np.array(rhs, dtype=float))))
    else:
        view = (Image.QUAD, [c for point in moved for c in point])
    angle = rng.uniform(-4, 4)
    dpi = 300 if PLAIN_300 else rng.choice([150, 200, 240, 300])
    for fill in (255, 0):
        target = image if fill == 255 else mask
        target = target.transform((w, h), view[0], view[1], Image.BILINEAR, fillcolor=fill)
        target = target.rotate(angle, Image.BILINEAR, expand=True, fillcolor=fill)
        if index == 1:
            target = target.rotate(180)
        if index == 6:
            target = target.rotate(90, expand=True)
        target = target.resize((int(target.width * dpi / RENDER_DPI), int(target.height * dpi / RENDER_DPI)), Image.LANCZOS)
        if fill == 255:
            image = target
        else:
            mask = target
    image = image.filter(ImageFilter.GaussianBlur(rng.uniform(0, 0.9)))
    a = np.asarray(image, dtype=np.float32)
    # Light falling off across the page, and the sensor's noise.
    gy, gx = np.mgrid[0:a.shape[0], 0:a.shape[1]]
    light = 1 - rng.uniform(0, 0.22) * (gx / a.shape[1]) - rng.uniform(0, 0.12) * (gy / a.shape[0])
    a = a * light + np.random.default_rng(rng.randrange(1 << 30)).normal(0, rng.uniform(2, 7), a.shape)
    if photo:
        # The page on a desk, the desk filling the rest of the picture.
        desk = np.random.default_rng(index).normal(95, 18, (int(a.shape[0] * 1.25), int(a.shape[1] * 1.3)))
        oy, ox = (desk.shape[0] - a.shape[0]) // 2, (desk.shape[1] - a.shape[1]) // 3
        off = np.asarray(mask) < 128
        desk[oy:oy + a.shape[0], ox:ox + a.shape[1]] = np.where(off, desk[oy:oy + a.shape[0], ox:ox + a.shape[1]], a)
        a = desk
    image = Image.fromarray(np.clip(a, 0, 255).astype(np.uint8))
    if index % 3 == 2 and not PLAIN_300:  # a colour scanner: paper a little yellow
        image = Image.merge("RGB", [image, image.point(lambda v: v * 0.98),
                                    image.point(lambda v: v * 0.9)])
    if index == 3 and not PLAIN_300:
        return image, "PNG"
    return image, "JPEG"


def main():
    rng = random.Random(SEED)
    os.makedirs(OUT, exist_ok=True)
    names = os.path.join(OUT, "names.txt")
    with open(names, "w", encoding="utf-8") as f:
        f.write("\n".join(f"学生{i + 1:02d}" for i in range(SHEETS)) + "\n")
    args = ["--sheets", str(SHEETS), "--seed", str(SEED)]
    text = subprocess.run([TOOL] + args, capture_output=True, check=True).stdout.decode("utf-8")
    sheets = [[w for w in part.split() if w.endswith("=")] for part in text.split("100道口算题")[1:]]
    pdf = os.path.join(OUT, "sheets.pdf")
    if os.path.exists(pdf):
        os.remove(pdf)
    subprocess.run([TOOL] + args + ["--pdf", pdf, "--names", names, "--class", "三年级二班"], check=True)
    subprocess.run(["pdftoppm", "-r", str(RENDER_DPI), "-gray", "-png", pdf, os.path.join(OUT, "printed")], check=True)
    mnist, fonts = load("heldout-mnist.bin"), load("heldout-fonts.bin")
    truth, files = [], []
    order = list(range(SHEETS))
    rng.shuffle(order)  # pages come back in any order
    for index, sheet in enumerate(order):
        printed = sorted(p for p in os.listdir(OUT) if p.startswith("printed-"))[sheet]
        page = np.asarray(Image.open(os.path.join(OUT, printed)).convert("L"), dtype=np.float32)
        answers = []
        wrong_at = set(rng.sample(range(100), WRONG)) if WRONG is not None else set()
        for i, problem in enumerate(sheets[sheet]):
            right = value(problem)
            roll = rng.random()
            if WRONG is not None:
                written = right + 11 if i in wrong_at else right
            elif roll < 0.05:
                written = None
            elif roll < 0.8:
                written = right
            else:
                written = max(0, right + rng.choice([-10, -2, -1, 1, 2, 10, 11, 9]))
                if written == right:
                    written = right + 1
            if written is not None:
                x, y = box(i)
                write_digits(page, str(written), x, y, rng, mnist, fonts)
            answers.append({"problem": problem, "result": right, "written": written})
        image, kind = degrade(page, rng, index, photo=index == 4 and not PLAIN_300)
        name = os.path.join(OUT, f"scan-{index + 1:02d}.{'png' if kind == 'PNG' else 'jpg'}")
        image.save(name, kind, **({"quality": rng.randint(60, 90)} if kind == "JPEG" else {}))
        files.append(name)
        truth.append({"sheet": sheet + 1, "name": f"学生{sheet + 1:02d}", "answers": answers})
    subprocess.run(["img2pdf", "--output", os.path.join(OUT, "scan.pdf")] + files, check=True)
    with open(os.path.join(OUT, "truth.json"), "w", encoding="utf-8") as f:
        json.dump(truth, f, ensure_ascii=False)


main()
