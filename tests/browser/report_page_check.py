"""Compares the page as the browser built it (its DOM) with the JSON report of the same scan:
one table row per item, in the same order, with the item's number, title and reason; and no error
in the browser's console log."""
import json
import re
import sys
from html.parser import HTMLParser


class ItemRows(HTMLParser):
    """The rows of the body of the table of items: each a list of cell texts (a <br> is a line break)."""

    def __init__(self):
        super().__init__()
        self.rows = []
        self.classes = []
        self.in_items = False
        self.in_body = False
        self.cell = None

    def handle_starttag(self, tag, attrs):
        if tag == "table":
            self.in_items = dict(attrs).get("class") == "items"
        elif tag == "tbody" and self.in_items:
            self.in_body = True
        elif tag == "tr" and self.in_body:
            self.rows.append([])
            self.classes.append(dict(attrs).get("class", ""))
        elif tag == "td" and self.in_body:
            self.cell = ""
        elif tag == "br" and self.cell is not None:
            self.cell += "\n"

    def handle_endtag(self, tag):
        if tag == "tbody":
            self.in_body = False
        elif tag == "td" and self.cell is not None:
            self.rows[-1].append(self.cell)
            self.cell = None

    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data


def main(dom_file, report_file, log_file):
    failures = []
    with open(dom_file, encoding="utf-8") as f:
        dom = f.read()
    with open(report_file, encoding="utf-8") as f:
        report = json.load(f)
    with open(log_file, encoding="utf-8", errors="replace") as f:
        log = f.read()
    errors = [line for line in log.splitlines()
              if re.search(r"CONSOLE|Failed to load|Uncaught|net::ERR_", line)]
    if errors:
        failures.append("the browser reported errors:\n  " + "\n  ".join(errors))
    if "<script" in dom.lower():
        failures.append("the page holds a script")
    parser = ItemRows()
    parser.feed(dom)
    items = report["items"]
    if len(parser.rows) != len(items):
        failures.append(f"{len(parser.rows)} rows in the page, {len(items)} items in the report")
    for row, row_class, item in zip(parser.rows, parser.classes, items):
        number, title, reason = row[0], row[1], row[-1]
        if number != str(item["item"]) or title != item["title"] or reason != item["reason"]:
            failures.append(f"row {row!r} does not show item {item['item']} {item['title']!r}: {item['reason']!r}")
        if not row_class:
            failures.append(f"row of item {item['item']} has no colour class")
    if failures:
        print("FAILED:\n" + "\n".join(failures))
        return 1
    print(f"report page: {len(items)} rows, each showing its item and its reason")
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
