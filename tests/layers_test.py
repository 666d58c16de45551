"""The folders are layers: a file of a lower layer never includes a higher one, and the
generator, the practice logic and the records include nothing of Qt.

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
    "platform": ["generator/", "export/", "fonts/", "sheets/", "practice/", "records/", "print/", "ui/", "app/", "tools/"],
    "generator": ["export/", "fonts/", "sheets/", "practice/", "records/", "print/", "ui/", "app/", "tools/"],
    "practice": ["generator/", "export/", "fonts/", "sheets/", "records/", "print/", "ui/", "app/", "tools/"],
    "records": ["generator/", "export/", "fonts/", "sheets/", "print/", "ui/", "app/", "tools/"],
    "export": ["fonts/", "sheets/", "practice/", "records/", "print/", "ui/", "app/", "tools/"],
    "fonts": ["export/", "sheets/", "practice/", "records/", "print/", "ui/", "app/", "tools/"],
    "sheets": ["export/", "fonts/", "records/", "print/", "ui/", "app/", "tools/"],
    "print": ["practice/", "records/", "ui/", "app/", "tools/"],
    "marking": ["export/", "fonts/", "sheets/", "records/", "print/", "scan/", "markrun/", "ui/", "app/", "tools/"],
    "scan": ["export/", "fonts/", "sheets/", "records/", "print/", "markrun/", "ui/", "app/", "tools/"],
    # Marking writes its results into the records, as practice does.
    "adapt": ["export/", "fonts/", "sheets/", "print/", "scan/", "markrun/", "ui/", "app/", "tools/"],
    "markrun": ["ui/", "app/", "tools/"],
    "ui": ["app/", "tools/"],
}
# Plain C++: no Qt at all.
WITHOUT_QT = ("generator", "practice", "records", "marking", "scan", "adapt")
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
                if layer in WITHOUT_QT:
                    checks.check(not included.startswith("Q"), f"{where} includes Qt's {included}")
# Printing and practice share the reader of the sheets; neither includes the other. Marking in
# the window stands on practice's records, never the other way round, and prints nothing itself.
APART = {"ui/practice": ["print/", "ui/Print", "ui/marking/", "markrun/"], "ui/PrintCommands": ["practice/", "ui/practice/"],
         "ui/marking": ["ui/Print", "ui/Form"]}
for start, forbidden in APART.items():
    for folder, _, files in os.walk(os.path.join(ROOT, "ui")):
        for name in files:
            path = os.path.join(folder, name)
            where = os.path.relpath(path, ROOT)
            if not where.startswith(start) or not name.endswith((".h", ".cpp")):
                continue
            for included in INCLUDE.findall(open(path, encoding="utf-8").read()):
                checks.check(not any(included.startswith(f) for f in forbidden), f"{where} includes {included}")
checks.finish()
