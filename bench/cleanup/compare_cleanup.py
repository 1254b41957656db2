#!/usr/bin/env python3
"""Turning pages upright and levelling them: Docketeer's clean-up beside the
standard tools, on the text pages of the clean-up benchmark's generated set
(A4 at 200 and 300 dpi, fed turned by 0, 90, 180 or 270 degrees and skewed by
0.5 to 8 degrees either way).

- Upright: Docketeer against `tesseract --psm 0` (orientation detection
  alone), counted right when the clockwise turn given is the one that stands
  the page upright; Docketeer's engine turns only at a confidence of 10 or
  more, so tesseract's answers are also counted at that confidence.
- Level: Docketeer against ImageMagick's `-deskew 40%` (its angle printed)
  and `unpaper` (deskew only; it prints no angle, so what remains is measured
  on its output with ImageMagick). Only the pages fed upright or upside down
  are compared, since neither tool levels a page lying on its side.

Time is CPU time a page on one core: Docketeer's inside the process on the
decoded page (and its whole process, decoding included, divided by the
pages), the other tools' whole process each (decoding included, since that
is how they are used). Run from anywhere:

    bench/cleanup/compare_cleanup.py --tool build/release/bin/docketeer_cleanup_bench
"""
import argparse
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
SURE = 10.0  # the orientation confidence from which Docketeer's engine turns a page


def ensure_tools():
    install_missing(TOOLS)


def run_timed(command, env=None):
    """Output of the command and the CPU seconds its process took."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    result = subprocess.run(command, check=True, capture_output=True, text=True, env=env)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return result.stdout, cpu


def figures(values):
    ordered = sorted(values)
    p95 = ordered[min(len(ordered) - 1, len(ordered) * 95 // 100)]
    return f"median {statistics.median(ordered):7.1f}  p95 {p95:7.1f}"


def deskew_angle(image):
    out, _ = run_timed(["convert", image, "-deskew", "40%", "-format", "%[deskew:angle]", "info:"])
    return float(out.strip())


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True, help="docketeer_cleanup_bench")
    parser.add_argument("--per-kind", type=int, default=12,
                        help="as for the benchmark: 8 text pages for each")
    args = parser.parse_args()
    ensure_tools()
    tool = os.path.abspath(args.tool)
    one_core = {**os.environ, "OMP_THREAD_LIMIT": "1", "QT_QPA_PLATFORM": "offscreen"}
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([tool, "--write", folder, str(args.per_kind)], check=True,
                       capture_output=True, env=one_core)
        truth = {}
        with open(os.path.join(folder, "truth.tsv"), encoding="utf-8") as f:
            for line in f:
                name, dpi, turn, skew = line.split("\t")
                truth[name] = (int(dpi), int(turn), float(skew))
        wanted = {name: (360 - turn) % 360 for name, (_, turn, _) in truth.items()}
        level_pages = [name for name, (_, turn, _) in truth.items() if turn in (0, 180)]

        out, ours_process = run_timed([tool, "--clean", folder], env=one_core)
        ours = {}
        for line in out.splitlines():
            name, turn, skew, ms = line.split("\t")
            ours[name] = (int(turn), float(skew), float(ms))

        tess = {}
        for name in truth:
            out, cpu = run_timed(["tesseract", os.path.join(folder, name), "-", "--psm", "0"],
                                 env=one_core)
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
            subprocess.run(["convert", page, pgm], check=True)
            levelled = os.path.join(folder, "unpaper.pgm")
            _, cpu = run_timed(["unpaper", "--overwrite", "-dr", "10",
                                "--no-blackfilter", "--no-noisefilter", "--no-blurfilter",
                                "--no-grayfilter", "--no-mask-scan", "--no-mask-center",
                                "--no-border-scan", "--no-border-align", "--no-wipe",
                                pgm, levelled], env=one_core)
            unpaper[name] = (abs(deskew_angle(levelled)), cpu * 1000)

    pages = len(truth)
    print(f"{pages} text pages; {len(level_pages)} of them fed upright or upside down\n")
    print("Upright (turn right / pages)                        ms/page (CPU, one core)")
    right = sum(ours[n][0] == wanted[n] for n in truth)
    print(f"  Docketeer clean-up        {right:4d}/{pages}  ({100 * right / pages:5.1f}%)   "
          f"{figures([ours[n][2] for n in truth])}   whole process "
          f"{1000 * ours_process / pages:.1f} a page")
    right = sum(tess[n][0] == wanted[n] for n in truth)
    sure = sum(tess[n][0] == wanted[n] and tess[n][1] >= SURE for n in truth)
    wrong_sure = sum(tess[n][0] != wanted[n] and tess[n][1] >= SURE for n in truth)
    print(f"  tesseract --psm 0         {right:4d}/{pages}  ({100 * right / pages:5.1f}%)   "
          f"{figures([tess[n][2] for n in truth])}")
    print(f"    at confidence >= {SURE:g}: {sure} right, {wrong_sure} wrong")
    print("\nLevel (pages with residual skew <= 0.2 deg; worst residual)")
    for label, residuals, times in (
            ("Docketeer clean-up", [abs(truth[n][2] + ours[n][1]) for n in level_pages],
             [ours[n][2] for n in level_pages]),
            ("convert -deskew 40%", [magick[n][0] for n in level_pages],
             [magick[n][1] for n in level_pages]),
            ("unpaper (deskew only)", [unpaper[n][0] for n in level_pages],
             [unpaper[n][1] for n in level_pages])):
        good = sum(r <= 0.2 for r in residuals)
        print(f"  {label:24s}  {good:4d}/{len(residuals)}  worst {max(residuals):5.2f} deg   "
              f"ms/page {figures(times)}")


if __name__ == "__main__":
    main()
