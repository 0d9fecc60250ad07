#!/usr/bin/env python3
"""Writes lanczos_table.cpp: the three-lobe Lanczos kernel sinc(x) * sinc(x / 3) at 64 points per
unit from x = 0 to x = 3, in units of 1/16384. The scaler interpolates between the points with
integer arithmetic only, so the weights do not depend on a floating-point library. The output
is committed; run this only to change the table: python3 make_lanczos_table.py"""
import math

STEPS_PER_UNIT = 64
LOBES = 3
ONE = 16384


def sinc(x):
    return 1.0 if x == 0 else math.sin(math.pi * x) / (math.pi * x)


def main():
    count = LOBES * STEPS_PER_UNIT + 1
    values = [round(ONE * sinc(k / STEPS_PER_UNIT) * sinc(k / STEPS_PER_UNIT / LOBES)) for k in range(count)]
    values[-1] = 0  # the kernel ends at x = 3
    lines = []
    for start in range(0, count, 12):
        lines.append("    " + ", ".join(str(v) for v in values[start:start + 12]) + ",")
    text = (
        "// Made by make_lanczos_table.py; do not edit.\n"
        '#include "encode/lanczos_table.h"\n\n'
        "namespace vistello {\n\n"
        "const int16_t lanczosTable[lanczosTableSize] = {\n" + "\n".join(lines) + "\n};\n\n"
        "}  // namespace vistello\n"
    )
    with open("lanczos_table.cpp", "w") as out:
        out.write(text)


main()
