#!/usr/bin/env python3
"""Times the archive commands' writing beside the standard tools on A4 pages at
300 dpi (from SANE's test backend, as compare_writers.py makes them):
converting a 50-page TIFF into a compressed PDF against `tiff2pdf -j -q 75`,
and combining 50 page files into one TIFF against `tiffcp`. CPU time is the
figure compared; wall time and peak memory are printed beside it.

    bench/scan/compare_archive.py --tool build/release/bin/docketeer_write_bench
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "writers"))
from compare_writers import Report, copies, derive, ensure_tools, measure, scan_pages  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tool", required=True, help="path of docketeer_write_bench")
    parser.add_argument("--work", help="scratch folder (default: a new temporary one)")
    parser.add_argument("--repeats", type=int, default=3)
    args = parser.parse_args()
    ensure_tools()
    work = args.work or tempfile.mkdtemp(prefix="docketeer-archive-bench-")
    tool = os.path.abspath(args.tool)
    files = derive(scan_pages(work), work)
    colour = files["colour"]
    report = Report()

    pages = copies(colour + ".tif", 50, os.path.join(work, "tif50"), "tif")
    document = os.path.join(work, "doc50.tif")
    subprocess.run(["tiffcp", *pages, document], check=True)
    out = os.path.join(work, "out")
    # tiff2pdf writes JPEG pages at quality 75, as the JPEG page files are written.
    report.compare("50-page TIFF to PDF (compressed)",
                   measure([tool, "convert", "6", document, out + ".pdf"], repeats=args.repeats),
                   measure(["tiff2pdf", "-j", "-q", "75", "-o", out + "-tiff2pdf.pdf", document],
                           repeats=args.repeats), 1.5)
    report.compare("50 page files to TIFF",
                   measure([tool, "combine", "3", out + ".tif", *pages], repeats=args.repeats),
                   measure(["tiffcp", *pages, out + "-tiffcp.tif"], repeats=args.repeats), 1.2)
    missed = [row[0] for row in report.rows if not row[1]]
    print(f"{len(report.rows) - len(missed)} of {len(report.rows)} goals met"
          + (": missed " + ", ".join(missed) if missed else ""))
    if not args.work:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
