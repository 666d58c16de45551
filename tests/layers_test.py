"""The folders are layers: a file of a lower layer never includes a higher one, and the
generator includes nothing of Qt.

usage: layers_test.py SOURCE_DIR"""
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "support"))
from checks import Checks  # noqa: E402

ROOT = sys.argv[1]
checks = Checks()
# Each layer and the folders it must not include.
FORBIDDEN = {
    "generator": ["export/", "fonts/", "print/", "ui/", "app/", "tools/"],
    "export": ["fonts/", "print/", "ui/", "app/", "tools/"],
    "fonts": ["export/", "print/", "ui/", "app/", "tools/"],
    "print": ["ui/", "app/", "tools/"],
    "ui": ["app/", "tools/"],
}
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^">]+)[">]', re.M)
for layer, forbidden in FORBIDDEN.items():
    for folder, _, files in os.walk(os.path.join(ROOT, layer)):
        for name in files:
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(folder, name)
            for included in INCLUDE.findall(open(path, encoding="utf-8").read()):
                where = os.path.relpath(path, ROOT)
                checks.check(not any(included.startswith(f) for f in forbidden), f"{where} includes {included}")
                if layer == "generator":
                    checks.check(not included.startswith("Q"), f"{where} includes Qt's {included}")
checks.finish()
