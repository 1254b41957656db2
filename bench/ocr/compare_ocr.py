#!/usr/bin/env python3
"""Times a searchable PDF of ten A4 pages at 300 dpi made by Docketeer's
recognition pool beside the tesseract command line run on the same pages one
after the other (`tesseract page.png out pdf`, its default settings) and joined
with pdfunite, and compares the share of the printed words that pdftotext finds
in each. Wall time is the figure compared (the pool's point is to use every
core); each side is run several times and the median taken. Run from anywhere:

    bench/ocr/compare_ocr.py --tool build/release/bin/docketeer_ocr_bench
"""
import argparse
import collections
import glob
import os
import re
import statistics
import subprocess
import tempfile
import time


def words(text):
    return [w for w in (re.sub(r"[^\w]", "", t) for t in text.split()) if w]


def found_share(pdf, expected_files):
    expected = collections.Counter()
    for name in expected_files:
        with open(name, encoding="utf-8") as f:
            expected.update(words(f.read()))
    found = collections.Counter(words(subprocess.run(["pdftotext", pdf, "-"], check=True,
                                                     capture_output=True, text=True).stdout))
    return sum((expected & found).values()) / sum(expected.values())


def timed(run, repeats):
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        run()
        times.append(time.perf_counter() - start)
    return statistics.median(times), times


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    parser.add_argument("--pages", type=int, default=10)
    parser.add_argument("--repeats", type=int, default=3)
    parser.add_argument("--language", default="eng")
    parser.add_argument("--interval-ms", type=int, default=3000,
                        help="time between pages for the while-scanning run (a 20-page-a-minute feeder)")
    args = parser.parse_args()
    tool = os.path.abspath(args.tool)

    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([tool, "render", folder, str(args.pages)], check=True)
        pages = sorted(glob.glob(os.path.join(folder, "Page *.png")))
        texts = sorted(glob.glob(os.path.join(folder, "Page *.txt")))
        ours = os.path.join(folder, "ours.pdf")
        theirs = os.path.join(folder, "theirs.pdf")

        def run_ours():
            subprocess.run([tool, "pdf", args.language, "0", ours, *pages], check=True,
                           capture_output=True)

        def run_theirs():
            parts = []
            for index, page in enumerate(pages):
                base = os.path.join(folder, "t%03d" % index)
                subprocess.run(["tesseract", page, base, "-l", args.language, "pdf"], check=True,
                               capture_output=True)
                parts.append(base + ".pdf")
            subprocess.run(["pdfunite", *parts, theirs], check=True)

        our_time, our_runs = timed(run_ours, args.repeats)
        their_time, their_runs = timed(run_theirs, args.repeats)
        scanning = subprocess.run([tool, "pdf", args.language, str(args.interval_ms), ours, *pages],
                                  check=True, capture_output=True, text=True).stdout
        after_last = float(re.search(r"after last page ([\d.]+)", scanning).group(1))

        print("pages: %d A4 at 300 dpi, language %s, %d cores" % (len(pages), args.language,
                                                                   os.cpu_count()))
        print("docketeer pool, pages on disk:   %6.2f s  (runs %s)" %
              (our_time, ", ".join("%.2f" % t for t in our_runs)))
        print("tesseract one by one + pdfunite: %6.2f s  (runs %s)" %
              (their_time, ", ".join("%.2f" % t for t in their_runs)))
        print("ratio: %.2f (goal at most 0.70)" % (our_time / their_time))
        print("while scanning, one page every %.1f s: document ready %.2f s after the last page"
              " (%.2f of tesseract's time afterwards)" %
              (args.interval_ms / 1000, after_last, after_last / their_time))
        print("words found: docketeer %.3f, tesseract %.3f" %
              (found_share(ours, texts), found_share(theirs, texts)))


if __name__ == "__main__":
    main()
