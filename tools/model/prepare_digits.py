"""The digits the recogniser learns from and is measured on, as 28 x 28 grey images (ink 255)
centred by their centre of mass in the middle 20 x 20, as MNIST's are:
  train.bin           MNIST (all but every fifth of each digit) and the training fonts' digits
  heldout-mnist.bin   every fifth MNIST digit, never seen in training
  heldout-fonts.bin   the held-out fonts' digits, never seen in training
Each record is one byte of label and 784 bytes of pixels.

usage: prepare_digits.py MNIST_PACKAGE_DIR OUT_DIR"""
import json
import os
import sys

from PIL import Image, ImageDraw, ImageFont

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from fonts import HELD_OUT_FONTS, TRAINING_FONTS  # noqa: E402

MNIST, OUT = sys.argv[1], sys.argv[2]


def centred(image):
    """A grey image of a digit (ink high) as MNIST lays digits out."""
    box = image.getbbox()
    if not box:
        return None
    digit = image.crop(box)
    w, h = digit.size
    scale = 20 / max(w, h)
    digit = digit.resize((max(1, round(w * scale)), max(1, round(h * scale))), Image.LANCZOS)
    pixels = list(digit.getdata())
    total = sum(pixels) or 1
    cx = sum(p * (i % digit.width) for i, p in enumerate(pixels)) / total
    cy = sum(p * (i // digit.width) for i, p in enumerate(pixels)) / total
    out = Image.new("L", (28, 28))
    out.paste(digit, (round(14 - cx - 0.5), round(14 - cy - 0.5)))
    return bytes(out.getdata())


def font_digits(path):
    font = ImageFont.truetype(path, 96)
    for digit in range(10):
        canvas = Image.new("L", (200, 200))
        ImageDraw.Draw(canvas).text((40, 20), str(digit), fill=255, font=font)
        pixels = centred(canvas)
        if pixels:
            yield digit, pixels


def write(name, records):
    with open(os.path.join(OUT, name), "wb") as f:
        for label, pixels in records:
            f.write(bytes([label]) + pixels)
    print(f"{name}: {len(records)} digits")


os.makedirs(OUT, exist_ok=True)
train, held_mnist, held_fonts = [], [], []
for digit in range(10):
    with open(os.path.join(MNIST, "src", "digits", f"{digit}.json")) as f:
        data = json.load(f)["data"]
    for i in range(len(data) // 784):
        pixels = bytes(min(255, round(v * 255)) for v in data[i * 784:(i + 1) * 784])
        (held_mnist if i % 5 == 0 else train).append((digit, pixels))
# Each font's digits appear as often as a few hundred hands would: the trainer bends each
# copy differently.
for path in TRAINING_FONTS:
    train.extend(list(font_digits(path)) * 40)
for path in HELD_OUT_FONTS:
    held_fonts.extend(font_digits(path))
write("train.bin", train)
write("heldout-mnist.bin", held_mnist)
write("heldout-fonts.bin", held_fonts)
