#!/usr/bin/env python3
"""Turning pages upright and levelling them: Docketeer's clean-up beside the
standard tools, on the pages of the clean-up benchmark's generated set that
have something to turn (text in Latin, Cyrillic and Greek, tables of
capitals and digits, photographs with a caption, landscape tables; A4 at 200
and 300 dpi; grey, 1-bit and colour; fed turned by 0, 90, 180 or 270 degrees
and skewed by 0.5 to 8 degrees either way).

- Upright: Docketeer against `tesseract --psm 0` (orientation detection
  alone, on the whole page), counted right when the clockwise turn given is
  the one that stands the page upright, and wrong when it turns the page
  another way; tesseract's answers are also counted at the confidences from
  which Docketeer acts on its engine's (1 with lines of text, 6 without).
- Level: Docketeer against ImageMagick's `convert -deskew 40%` (its angle
  printed) and `unpaper` with its default processing and deskew (`unpaper -v
  --overwrite -dr 10 in.pgm out.pgm`: every filter, mask scan and deskew as
  it comes, the scan range widened to 10 degrees; the angle it rotated by is
  read from its verbose output). Only the pages with lines of text fed
  upright or upside down are compared, since neither tool levels a page
  lying on its side.

Time is CPU time a page on one core: Docketeer's inside the process on the
decoded page (and its whole process, decoding included, divided by the
pages), the other tools' whole process each (decoding included, since that
is how they are used). Run from anywhere:

    bench/cleanup/compare_cleanup.py --tool build/bench/bin/docketeer_cleanup_bench
"""
import argparse
import math
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from bench_tools import install_missing  # noqa: E402

TOOLS = {"tesseract": "tesseract-ocr", "unpaper": "unpaper", "convert": "imagemagick"}
SURE_WITH_LINES = 1.0  # the confidences from which Docketeer acts on its engine's turn
SURE_WITHOUT_LINES = 6.0


def ensure_tools():
    install_missing(TOOLS)


def run_timed(command, env=None, check=True):
    """Output of the command and the CPU seconds its process took."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    result = subprocess.run(command, check=check, capture_output=True, text=True, env=env)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return result.stdout, cpu


def figures(values):
    ordered = sorted(values)
    p95 = ordered[min(len(ordered) - 1, len(ordered) * 95 // 100)]
    return f"median {statistics.median(ordered):7.1f}  p95 {p95:7.1f}"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True, help="docketeer_cleanup_bench")
    parser.add_argument("--per-kind", type=int, default=2,
                        help="as for the benchmark: 48 pages to turn for each")
    args = parser.parse_args()
    ensure_tools()
    tool = os.path.abspath(args.tool)
    one_core = {**os.environ, "OMP_THREAD_LIMIT": "1", "QT_QPA_PLATFORM": "offscreen"}
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([tool, "--write", folder, str(args.per_kind)], check=True,
                       capture_output=True, env=one_core)
        truth, kind, lines = {}, {}, {}
        with open(os.path.join(folder, "truth.tsv"), encoding="utf-8") as f:
            for line in f:
                name, dpi, turn, skew, what, _, has_lines = line.rstrip("\n").split("\t")
                truth[name] = (int(dpi), int(turn), float(skew))
                kind[name] = what
                lines[name] = has_lines == "1"
        wanted = {name: (360 - turn) % 360 for name, (_, turn, _) in truth.items()}
        level_pages = [name for name, (_, turn, _) in truth.items()
                       if turn in (0, 180) and lines[name]]

        out, ours_process = run_timed([tool, "--clean", folder], env=one_core)
        ours = {}
        for line in out.splitlines():
            name, turn, skew, ms, _ = line.split("\t")
            ours[name] = (int(turn), float(skew), float(ms))

        tess = {}
        for name in truth:
            # A page it cannot judge ends in an error and no answer: not upright.
            out, cpu = run_timed(["tesseract", os.path.join(folder, name), "-", "--psm", "0"],
                                 env=one_core, check=False)
            fields = dict(line.split(": ", 1) for line in out.splitlines() if ": " in line)
            tess[name] = (int(fields.get("Rotate", "-1")),
                          float(fields.get("Orientation confidence", "0")), cpu * 1000)

        magick, unpaper = {}, {}
        for name in level_pages:
            page = os.path.join(folder, name)
            out, cpu = run_timed(["convert", page, "-deskew", "40%", "-format",
                                  "%[deskew:angle]", "-write", "info:",
                                  os.path.join(folder, "magick.png")], env=one_core)
            magick[name] = (abs(truth[name][2] + float(out.strip())), cpu * 1000)
            pgm = os.path.join(folder, "in.pgm")
            subprocess.run(["convert", page, "-depth", "8", pgm], check=True)
            levelled = os.path.join(folder, "unpaper.pgm")
            out, cpu = run_timed(["unpaper", "-v", "--overwrite", "-dr", "10", pgm, levelled],
                                 env=one_core)
            # "rotate (x,y): radians", in the sense of the skew fed; none when level.
            turned = [line.rsplit(":", 1)[1] for line in out.splitlines()
                      if line.startswith("rotate (")]
            angle = math.degrees(float(turned[-1])) if turned else 0.0
            unpaper[name] = (abs(truth[name][2] - angle), cpu * 1000)

    pages = len(truth)
    print(f"{pages} pages to turn; {len(level_pages)} with lines fed upright or upside down\n")

    def sure(n):
        return tess[n][1] >= (SURE_WITH_LINES if lines[n] else SURE_WITHOUT_LINES)

    print("Upright: right / wrong (turned another way) of all pages      ms/page (CPU, one core)")
    right = sum(ours[n][0] == wanted[n] for n in truth)
    wrong = sum(ours[n][0] not in (0, wanted[n]) for n in truth)
    print(f"  Docketeer clean-up          {right:4d} / {wrong:3d} of {pages}  "
          f"({100 * right / pages:5.1f}%)   {figures([ours[n][2] for n in truth])}   "
          f"whole process {1000 * ours_process / pages:.1f} a page")
    right = sum(tess[n][0] == wanted[n] for n in truth)
    wrong = sum(tess[n][0] not in (0, -1, wanted[n]) for n in truth)
    print(f"  tesseract --psm 0           {right:4d} / {wrong:3d} of {pages}  "
          f"({100 * right / pages:5.1f}%)   {figures([tess[n][2] for n in truth])}")
    right = sum(tess[n][0] == wanted[n] and sure(n) for n in truth)
    wrong = sum(tess[n][0] not in (0, wanted[n]) and sure(n) for n in truth)
    print(f"    acting only from Docketeer's confidences: {right} right, {wrong} wrong")
    print("\n  by kind: pages, Docketeer right/wrong, tesseract right/wrong")
    for what in sorted(set(kind.values())):
        names = [n for n in truth if kind[n] == what]
        print(f"    {what:18s} {len(names):3d}   "
              f"{sum(ours[n][0] == wanted[n] for n in names):3d}/"
              f"{sum(ours[n][0] not in (0, wanted[n]) for n in names):<3d}   "
              f"{sum(tess[n][0] == wanted[n] for n in names):3d}/"
              f"{sum(tess[n][0] not in (0, -1, wanted[n]) for n in names):<3d}")
    print("\nLevel (pages with residual skew <= 0.2 deg; worst residual)")
    for label, residuals, times in (
            ("Docketeer clean-up", [abs(truth[n][2] + ours[n][1]) for n in level_pages],
             [ours[n][2] for n in level_pages]),
            ("convert -deskew 40%", [magick[n][0] for n in level_pages],
             [magick[n][1] for n in level_pages]),
            ("unpaper (defaults)", [unpaper[n][0] for n in level_pages],
             [unpaper[n][1] for n in level_pages])):
        good = sum(r <= 0.2 for r in residuals)
        print(f"  {label:24s}  {good:4d}/{len(residuals)}  worst {max(residuals):5.2f} deg   "
              f"ms/page {figures(times)}")


if __name__ == "__main__":
    main()
