#!/usr/bin/python3
"""Reads .xls files completely with xlrd, timing each, and compares their cells.

xlrd_readback.py A.xls B.xls  ->  prints JSON: per file the seconds, sheets and cells read, and
whether both files hold the same sheets, types and values in every cell.
"""
import json
import sys
import time

import xlrd


def read(path):
    start = time.perf_counter()
    book = xlrd.open_workbook(path)
    sheets = []
    cells = 0
    for sheet in book.sheets():
        rows = []
        for r in range(sheet.nrows):
            row = [(c.ctype, c.value) for c in sheet.row(r)]
            cells += len(row)
            rows.append(row)
        sheets.append((sheet.name, rows))
    return time.perf_counter() - start, sheets, cells


def main():
    result = {"files": []}
    contents = []
    for path in sys.argv[1:]:
        seconds, sheets, cells = read(path)
        contents.append(sheets)
        result["files"].append({"path": path, "seconds": seconds, "sheets": len(sheets),
                                "rows": sum(len(rows) for _, rows in sheets), "cells": cells})
    first = contents[0]
    differences = []
    for other in contents[1:]:
        if [n for n, _ in first] != [n for n, _ in other]:
            differences.append("sheet names differ")
        for (name, a), (_, b) in zip(first, other):
            if len(a) != len(b):
                differences.append("%s: %d rows against %d" % (name, len(a), len(b)))
                continue
            for r, (ra, rb) in enumerate(zip(a, b)):
                if ra != rb:
                    differences.append("%s row %d: %r against %r" % (name, r, ra[:6], rb[:6]))
                    break
    result["differences"] = differences[:5]
    json.dump(result, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()
