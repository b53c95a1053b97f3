# SPDX-License-Identifier: MIT
"""The field's and the window's size as a build folder was configured (its geometry.env)."""
from types import SimpleNamespace


def read(build):
    """cols, rows, px (a cell's side), width and height (the window's), text_x (where the
    score begins, right of the field), and field(row...): the rows of a field file whose bottom
    rows, written for the standard 6 columns, are these, with empty cells added up to the
    field's size."""
    value = dict(line.strip().split("=") for line in open(f"{build}/geometry.env"))
    cols, rows, px, width, height = (int(value[f"GEMLETS_{name}"]) for name in (
        "FIELD_COLUMNS", "FIELD_ROWS", "CELL_PIXELS", "WINDOW_WIDTH", "WINDOW_HEIGHT"))
    field = lambda *bottom: (["*" * cols] * (rows - len(bottom))
                             + [row.ljust(cols, "*") for row in bottom])
    return SimpleNamespace(cols=cols, rows=rows, px=px, width=width, height=height,
                           text_x=cols * px + 10, field=field)
