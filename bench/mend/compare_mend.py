#!/usr/bin/env python3
"""Times "docketeer pages" beside the standard tools on the same rearrangements
of a 200-page document, whole processes each, and prints the ratios against
their goals: turning, removing and moving pages of a PDF of JPEG pages against
qpdf's command line (goal: 0.5 at most), and moving pages of an LZW TIFF
against tiffcp (goal: 1.0 at most). CPU time (user + system of the child) is
the figure compared, since the machine is shared; wall time is printed beside
it. Docketeer mends in place (writing the removed pages aside as well); each
run gets a fresh copy of the document. Run from anywhere:

    bench/mend/compare_mend.py --docketeer build/release/bin/docketeer [--rounds 5]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from bench_tools import install_missing  # noqa: E402

PAGES = 200
TOOLS = {"qpdf": "qpdf", "tiffcp": "libtiff-tools", "img2pdf": "img2pdf", "cjpeg": "libjpeg-turbo-progs",
         "pnmtotiff": "netpbm"}


def write_page(path, width=1240, height=1754):
    """A grey A4 page at 150 dpi with some structure for the codecs to work on."""
    with open(path, "wb") as out:
        out.write(b"P5 %d %d 255\n" % (width, height))
        rows = bytearray()
        for y in range(height):
            rows += bytes(((x * 7 + y * 3) // 5 + (x ^ y) % 13) & 0xFF for x in range(width))
        out.write(rows)


def make_documents(folder):
    pgm = os.path.join(folder, "page.pgm")
    write_page(pgm)
    jpeg = os.path.join(folder, "page.jpg")
    with open(jpeg, "wb") as out:
        subprocess.run(["cjpeg", "-quality", "80", pgm], stdout=out, check=True)
    pdf = os.path.join(folder, "source.pdf")
    subprocess.run(["img2pdf", "-o", pdf] + [jpeg] * PAGES, check=True)
    page_tiff = os.path.join(folder, "page.tif")
    with open(page_tiff, "wb") as out:
        subprocess.run(["pnmtotiff", "-lzw", pgm], stdout=out, check=True, stderr=subprocess.DEVNULL)
    tiff = os.path.join(folder, "source.tif")
    subprocess.run(["tiffcp", "-c", "lzw"] + [page_tiff] * PAGES + [tiff], check=True)
    return pdf, tiff


def cpu_and_wall(command):
    os.sync()
    start = time.perf_counter()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        raise RuntimeError("failed: " + " ".join(command) + "\n" + process.stderr.read().decode())
    return usage.ru_utime + usage.ru_stime, wall


def measure(rounds, source, setup, command):
    """Median CPU and wall seconds of `command`, run on a fresh copy each round."""
    cpu, wall = [], []
    for _ in range(rounds):
        setup()
        shutil.copyfile(source[0], source[1])
        c, w = cpu_and_wall(command)
        cpu.append(c)
        wall.append(w)
    return statistics.median(cpu), statistics.median(wall)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--docketeer", required=True)
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()
    install_missing(TOOLS)
    docketeer = os.path.abspath(args.docketeer)
    shm = "/dev/shm" if os.path.isdir("/dev/shm") else None
    with tempfile.TemporaryDirectory(dir=shm) as work:
        env_home = os.path.join(work, "home")
        os.makedirs(env_home)
        os.environ.update(HOME=env_home, XDG_CONFIG_HOME=os.path.join(env_home, ".config"),
                          TMPDIR=work)
        pdf, tiff = make_documents(work)
        doc_pdf = os.path.join(work, "doc", "Document.pdf")
        doc_tif = os.path.join(work, "doc", "Document.tif")
        out_pdf = os.path.join(work, "out", "out.pdf")
        out_tif = os.path.join(work, "out", "out.tif")

        def fresh():
            for folder in ("doc", "out"):
                shutil.rmtree(os.path.join(work, folder), ignore_errors=True)
                os.makedirs(os.path.join(work, folder))

        half = ",".join("%d:90" % page for page in range(1, PAGES // 2 + 1))
        moved = "1:%d" % PAGES
        order = "2-%d,1" % PAGES
        cases = [
            ("PDF turn pages 1-100", 0.5, (pdf, doc_pdf), [docketeer, "pages", doc_pdf, "--turn", half],
             ["qpdf", pdf, "--rotate=+90:1-%d" % (PAGES // 2), out_pdf]),
            ("PDF remove pages 50-99", 0.5, (pdf, doc_pdf), [docketeer, "pages", doc_pdf, "--remove", "50-99"],
             ["qpdf", pdf, "--pages", pdf, "1-49,100-z", "--", out_pdf]),
            ("PDF move page 1 to the end", 0.5, (pdf, doc_pdf), [docketeer, "pages", doc_pdf, "--move", moved],
             ["qpdf", pdf, "--pages", pdf, order, "--", out_pdf]),
            ("TIFF move page 1 to the end", 1.0, (tiff, doc_tif), [docketeer, "pages", doc_tif, "--move", moved],
             ["tiffcp", "-c", "lzw", tiff + "," + ",".join(str(p) for p in list(range(1, PAGES)) + [0]),
              out_tif]),
        ]
        print("%-28s %12s %12s %7s %5s" % ("case", "ours cpu s", "theirs cpu s", "ratio", "goal"))
        for name, goal, source, ours, theirs in cases:
            ours_cpu, ours_wall = measure(args.rounds, source, fresh, ours)
            theirs_cpu, theirs_wall = measure(args.rounds, source, fresh, theirs)
            ratio = ours_cpu / theirs_cpu
            print("%-28s %12.3f %12.3f %7.3f %5.1f %s  (wall %.3f / %.3f s)" % (
                name, ours_cpu, theirs_cpu, ratio, goal, "ok" if ratio <= goal else "OVER",
                ours_wall, theirs_wall))


if __name__ == "__main__":
    main()
