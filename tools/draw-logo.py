#!/usr/bin/env python3
"""Draws demo/Projects/Logo.bmp, the fern the demo project shows (needs ImageMagick's convert).

    python3 tools/draw-logo.py demo/Projects/Logo.bmp
"""
import math
import subprocess
import sys

W, H = 310, 305


def drawing():
    cmds = ["fill '#eef5e9' stroke '#5b8c4a' stroke-width 4 circle 155,150 155,10"]
    n = 15
    stem = [(145 + 28 * math.sin(i / n * 2.2), 270 - 225 * i / n) for i in range(n + 1)]
    cmds.append("fill none stroke '#2f6b2a' stroke-width 5 polyline "
                + " ".join(f"{x:.1f},{y:.1f}" for x, y in stem))
    for i in range(1, n):
        x, y = stem[i]
        length = 70 * (1 - i / n) + 12
        for side in (-1, 1):
            dx = side * length * math.cos(math.radians(25))
            dy = -length * math.sin(math.radians(25))
            shade = "#3f8f37" if (i + (side > 0)) % 2 else "#4fa544"
            cmds.append(
                f"push graphic-context translate {x + dx / 2:.1f},{y + dy / 2:.1f} "
                f"rotate {-25 * side} fill '{shade}' stroke '#2f6b2a' stroke-width 1 "
                f"ellipse 0,0 {length / 2:.1f},{max(4, length / 6):.1f} 0,360 pop graphic-context")
    return "\n".join(cmds)


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "demo/Projects/Logo.bmp"
    subprocess.run(["convert", "-size", f"{W}x{H}", "xc:white", "-draw", drawing(),
                    "-type", "TrueColor", f"BMP3:{out}"], check=True)
