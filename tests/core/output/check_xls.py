"""Reads a workbook with xlrd and compares it with the expected cells.

usage: check_xls.py WORKBOOK EXPECTED.json
Prints every difference; exits 1 when there is one.
"""
import json
import sys

import xlrd

ALIGN = {"left": 1, "center": 2, "right": 3}


def main(path, expected_path):
    with open(expected_path, encoding="utf-8") as f:
        exp = json.load(f)
    book = xlrd.open_workbook(path, formatting_info=True)
    errors = []

    def check(cond, what):
        if not cond and len(errors) < 30:
            errors.append(what)

    check(book.sheet_names() == [exp["sheet"]], "sheets %r" % book.sheet_names())
    check(len(book.xf_list) >= 16, "only %d XF records" % len(book.xf_list))
    sh = book.sheet_by_index(0)
    check(sh.nrows == len(exp["cells"]), "rows %d, expected %d" % (sh.nrows, len(exp["cells"])))
    for c, width in enumerate(exp["widths"]):
        info = sh.colinfo_map.get(c)
        check(info is not None and info.width == width,
              "column %d width %r, expected %d" % (c, info and info.width, width))
    for r, height in enumerate(exp["heights"]):
        info = sh.rowinfo_map.get(r)
        check(info is not None and info.height == height,
              "row %d height %r, expected %d" % (r, info and info.height, height))
    for r, row in enumerate(exp["cells"]):
        if r >= sh.nrows:
            break
        for c, (text, size, bold, align, fill) in enumerate(row):
            where = "cell (%d, %d)" % (r, c)
            cell = sh.cell(r, c)
            if text:
                check(cell.ctype == xlrd.XL_CELL_TEXT and cell.value == text,
                      "%s holds %r, expected %r" % (where, cell.value, text))
            else:
                check(cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK),
                      "%s holds %r, expected nothing" % (where, cell.value))
            xf = book.xf_list[cell.xf_index]
            font = book.font_list[xf.font_index]
            check(xf.font_index != 4, "%s uses font 4" % where)
            check(font.name == exp["font"], "%s font %r" % (where, font.name))
            check(font.height == size * 20, "%s font height %d" % (where, font.height))
            check(font.weight == (700 if bold else 400) and bool(font.bold) == bold,
                  "%s weight %d" % (where, font.weight))
            check(book.format_map[xf.format_key].format_str == "@", "%s not a text format" % where)
            check(xf.alignment.hor_align == ALIGN[align] and xf.alignment.vert_align == 1,
                  "%s alignment %d/%d" % (where, xf.alignment.hor_align, xf.alignment.vert_align))
            bg = xf.background
            if fill:
                rgb = tuple(int(fill[i:i + 2], 16) for i in (0, 2, 4))
                check(bg.fill_pattern == 1 and book.colour_map.get(bg.pattern_colour_index) == rgb,
                      "%s fill %d colour %r" % (where, bg.fill_pattern,
                                                book.colour_map.get(bg.pattern_colour_index)))
            else:
                check(bg.fill_pattern == 0, "%s filled" % where)
    for e in errors:
        print(e)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
