#!/usr/bin/python3
"""Prints every sheet of an .xls file as JSON, as xlrd reads it, for the grid's export tests:
{"sheets": [{"name": ..., "rows": [[{"type": "text"|"number"|"date"|"bool"|"empty", "value": ...}]]}]}
Date cells give their value as "YYYY-MM-DD hh:mm:ss"."""
import json
import sys

import xlrd

TYPES = {xlrd.XL_CELL_TEXT: "text", xlrd.XL_CELL_NUMBER: "number", xlrd.XL_CELL_DATE: "date",
         xlrd.XL_CELL_BOOLEAN: "bool", xlrd.XL_CELL_EMPTY: "empty", xlrd.XL_CELL_BLANK: "empty",
         xlrd.XL_CELL_ERROR: "error"}

book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
out = {"sheets": []}
for sheet in book.sheets():
    rows = []
    for r in range(sheet.nrows):
        cells = []
        for c in range(sheet.ncols):
            cell = sheet.cell(r, c)
            kind = TYPES.get(cell.ctype, "other")
            value = cell.value
            if kind == "date":
                value = xlrd.xldate.xldate_as_datetime(value, book.datemode).strftime("%Y-%m-%d %H:%M:%S")
            cells.append({"type": kind, "value": value})
        rows.append(cells)
    out["sheets"].append({"name": sheet.name, "rows": rows})
json.dump(out, sys.stdout)
