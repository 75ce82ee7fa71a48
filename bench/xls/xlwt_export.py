#!/usr/bin/python3
"""Writes the benchmark's rows with xlwt, the way the C++ tool writes them with ours.

xlwt_export.py ROWS.tsv OUT.xls  ->  prints {"seconds": .., "maxRssKiB": ..} as JSON

ROWS.tsv: first line the captions, second the column types (d = date-time, s = text, i = integer),
then one row a line; an empty field is a null value. Loading the file is not timed.
"""
import datetime
import json
import resource
import sys
import time

import xlwt

ROWS_PER_SHEET = 65535  # data rows under the header row


def load(path):
    with open(path, encoding="utf-8") as f:
        captions = f.readline().rstrip("\n").split("\t")
        types = f.readline().rstrip("\n").split("\t")
        rows = []
        for line in f:
            fields = line.rstrip("\n").split("\t")
            row = []
            for t, v in zip(types, fields):
                if v == "":
                    row.append(None)
                elif t == "d":
                    row.append(datetime.datetime.strptime(v, "%Y-%m-%d %H:%M:%S"))
                elif t == "i":
                    row.append(int(v))
                else:
                    row.append(v)
            rows.append(row)
    return captions, types, rows


def write(captions, types, rows, out):
    book = xlwt.Workbook(encoding="utf-8")
    header = xlwt.easyxf("font: bold on")
    date = xlwt.easyxf(num_format_str="dd.mm.yyyy hh:mm:ss")
    plain = xlwt.Style.default_style
    styles = [date if t == "d" else plain for t in types]
    sheet, r = None, ROWS_PER_SHEET + 1
    sheets = 0
    for row in rows:
        if r > ROWS_PER_SHEET:
            sheets += 1
            sheet = book.add_sheet("Tarnwick" if sheets == 1 else "Tarnwick (%d)" % sheets)
            for c, caption in enumerate(captions):
                sheet.write(0, c, caption, header)
            r = 1
        for c, v in enumerate(row):
            sheet.write(r, c, v, styles[c])
        r += 1
    book.save(out)


def main():
    captions, types, rows = load(sys.argv[1])
    start = time.perf_counter()
    write(captions, types, rows, sys.argv[2])
    seconds = time.perf_counter() - start
    rss = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
    json.dump({"seconds": seconds, "maxRssKiB": rss}, sys.stdout)


if __name__ == "__main__":
    main()
