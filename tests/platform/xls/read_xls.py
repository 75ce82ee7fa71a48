#!/usr/bin/python3
"""Reads an .xls file with xlrd and prints what it holds as JSON, for the writer's tests.

read_xls.py FILE [--rows N,N,...] [--format] [--structure]
  --rows      only these row indexes of every sheet (negative ones count from the end)
  --format    also report bold fonts, number format strings, frozen rows and column widths
  --structure also check the Workbook stream's records: the largest record data, and whether
              the EXTSST index points at the strings of the SST (xlrd itself ignores it, Excel
              relies on it)
"""
import json
import struct
import sys

import xlrd
from xlrd import compdoc

SST, CONTINUE, EXTSST = 0x00FC, 0x003C, 0x00FF


def records(stream):
    """(position of the header, id, data) of every record of the stream."""
    pos = 0
    while pos + 4 <= len(stream):
        rid, size = struct.unpack_from("<HH", stream, pos)
        yield pos, rid, stream[pos + 4:pos + 4 + size]
        pos += 4 + size


def check_structure(path):
    with open(path, "rb") as f:
        doc = compdoc.CompDoc(f.read())
    mem, base, size = doc.locate_named_stream("Workbook")
    stream = mem[base:base + size]
    recs = list(records(stream))
    result = {"maxRecordData": max(len(d) for _, _, d in recs), "streamSize": len(stream)}

    # The SST and its CONTINUE records, then the string starts as absolute stream positions.
    at = next((i for i, r in enumerate(recs) if r[1] == SST), None)
    if at is None:
        result["strings"] = 0
        return result
    pieces = [recs[at]]
    for r in recs[at + 1:]:
        if r[1] != CONTINUE:
            break
        pieces.append(r)
    unique = struct.unpack_from("<I", pieces[0][2], 4)[0]
    starts = []
    piece, off = 0, 8

    def need(n):
        nonlocal piece, off
        if off + n > len(pieces[piece][2]):
            raise ValueError("string header split across records")

    for _ in range(unique):
        if off == len(pieces[piece][2]):
            piece, off = piece + 1, 0
        need(3)
        starts.append(pieces[piece][0] + 4 + off)
        data = pieces[piece][2]
        count, flags = struct.unpack_from("<HB", data, off)
        off += 3
        if flags & 0x08 or flags & 0x04:
            raise ValueError("rich or extended strings are not expected")
        width = 2 if flags & 1 else 1
        while count:
            avail = (len(data) - off) // width
            take = min(avail, count)
            off += take * width
            count -= take
            if count:
                piece, off = piece + 1, 1
                data = pieces[piece][2]
                width = 2 if data[0] & 1 else 1
    result["strings"] = len(starts)
    result["sstRecords"] = len(pieces)

    ext = next((d for _, rid, d in recs if rid == EXTSST), None)
    problems = []
    if ext is None:
        problems.append("no EXTSST")
    else:
        dsst = struct.unpack_from("<H", ext, 0)[0]
        if dsst != max(unique // 128 + 1, 8):
            problems.append("dsst %d" % dsst)
        entries = (len(ext) - 2) // 8
        if entries != -(-unique // dsst):
            problems.append("%d entries for %d strings" % (entries, unique))
        headers = {p for p, _, _ in pieces}
        for k in range(min(entries, -(-unique // dsst))):
            ib, cb = struct.unpack_from("<IH", ext, 2 + 8 * k)
            if ib != starts[k * dsst] or ib - cb not in headers:
                problems.append("entry %d: ib %d cb %d, string at %d" % (k, ib, cb, starts[k * dsst]))
                break
    result["extsstProblems"] = problems
    return result

TYPES = {
    xlrd.XL_CELL_EMPTY: "empty",
    xlrd.XL_CELL_TEXT: "text",
    xlrd.XL_CELL_NUMBER: "number",
    xlrd.XL_CELL_DATE: "date",
    xlrd.XL_CELL_BOOLEAN: "bool",
    xlrd.XL_CELL_ERROR: "error",
    xlrd.XL_CELL_BLANK: "blank",
}


def cell_json(book, cell, with_format):
    out = {"type": TYPES[cell.ctype], "value": cell.value}
    if cell.ctype == xlrd.XL_CELL_DATE:
        t = xlrd.xldate_as_tuple(cell.value, book.datemode)
        out["date"] = "%04d-%02d-%02d %02d:%02d:%02d" % t
    if cell.ctype == xlrd.XL_CELL_BOOLEAN:
        out["value"] = bool(cell.value)
    if with_format:
        xf = book.xf_list[cell.xf_index]
        out["bold"] = bool(book.font_list[xf.font_index].bold)
        out["format"] = book.format_map[xf.format_key].format_str
    return out


def main():
    args = sys.argv[1:]
    path = args[0]
    rows = None
    with_format = "--format" in args
    if "--rows" in args:
        rows = [int(r) for r in args[args.index("--rows") + 1].split(",")]
    book = xlrd.open_workbook(path, formatting_info=with_format)
    sheets = []
    for sheet in book.sheets():
        indexes = range(sheet.nrows) if rows is None else [
            r if r >= 0 else sheet.nrows + r for r in rows]
        data = {
            "name": sheet.name,
            "nrows": sheet.nrows,
            "ncols": sheet.ncols,
            "rows": {str(r): [cell_json(book, c, with_format) for c in sheet.row(r)]
                     for r in indexes if 0 <= r < sheet.nrows},
        }
        if with_format:
            data["frozenRows"] = sheet.horz_split_pos if sheet.panes_are_frozen else 0
            data["widths"] = {str(c): info.width for c, info in sheet.colinfo_map.items()}
        sheets.append(data)
    out = {"sheets": sheets}
    if "--structure" in args:
        out["structure"] = check_structure(path)
    json.dump(out, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()
