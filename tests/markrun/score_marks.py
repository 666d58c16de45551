"""How well a CSV of --mark marks the scans that make_scans.py made: every page identified,
the share decided without a person, wrong answers marked 对, right answers marked 错, blanks
marked 对. Prints the figures; returns them for a test to judge.

usage: score_marks.py TRUTH.json OUT.csv"""
import csv
import json
import sys
from collections import Counter


def score(truth_path, csv_path):
    truth = json.load(open(truth_path, encoding="utf-8"))
    rows = list(csv.DictReader(open(csv_path, encoding="utf-8-sig", newline="")))
    by_page = {}
    for row in rows:
        by_page.setdefault(int(row["页"]), []).append(row)
    figures = Counter()
    reasons = Counter()
    for index, page in enumerate(truth, 1):
        got = by_page.get(index, [])
        if len(got) != 100 or got[0]["判定"] == "无法识别":
            figures["unidentified"] += 1
            continue
        figures["identified"] += 1
        figures["named"] += got[0]["姓名"] == page["name"] and int(got[0]["份"]) == page["sheet"]
        for answer, row in zip(page["answers"], got):
            verdict = row["判定"]
            kind = "blank" if answer["written"] is None else "right" if answer["written"] == answer["result"] else "wrong"
            figures[f"{kind}"] += 1
            figures[f"{kind} {verdict}"] += 1
            figures["decided"] += verdict in ("对", "错")
            if verdict == "待核":
                reasons[row["读作"].split("（")[-1].rstrip("）") if "（" in row["读作"] else "reading"] += 1
    total = figures["right"] + figures["wrong"] + figures["blank"]
    result = {
        "pages": len(truth),
        "identified": figures["identified"],
        "named": figures["named"],
        "decided": figures["decided"] / max(total, 1),
        "wrong marked right": figures["wrong 对"] / max(figures["wrong"], 1),
        "right marked wrong": figures["right 错"] / max(figures["right"], 1),
        "blank marked right": figures["blank 对"],
        "answers": total,
    }
    print(json.dumps(result, ensure_ascii=False))
    print(dict(figures))
    print(dict(reasons.most_common(8)))
    return result


if __name__ == "__main__":
    score(sys.argv[1], sys.argv[2])
