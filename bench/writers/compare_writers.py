#!/usr/bin/env python3
"""Times Docketeer's writers beside the standard tools on the same A4 pages
(2480 x 3507 at 300 dpi from SANE's test backend: colour, grey, black and
white) and prints the ratios against their goals. CPU time (user + system of
the child) is the figure compared, since the machine is shared; wall time and
peak memory are printed beside it. Run from anywhere:

    bench/writers/compare_writers.py --tool build/release/bin/docketeer_write_bench
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

TOOLS = {"time": "time", "cjpeg": "libjpeg-turbo-progs", "pnmtopng": "netpbm", "tiffcp": "libtiff-tools",
         "img2pdf": "img2pdf", "scanimage": "sane-utils", "ppmtobmp": "netpbm"}


def ensure_tools():
    missing = {pkg for tool, pkg in TOOLS.items() if shutil.which(tool) is None}
    convert = shutil.which("convert")
    if convert is None or b"ImageMagick" not in subprocess.run(
            [convert, "-version"], capture_output=True).stdout:
        missing.add("imagemagick")
    if missing:
        print("installing", " ".join(sorted(missing)), file=sys.stderr)
        subprocess.run(["apt-get", "install", "-y", "--no-install-recommends", *sorted(missing)],
                       check=True, env={**os.environ, "DEBIAN_FRONTEND": "noninteractive"})


def measure(command, stdout_path=None, repeats=3):
    """Median wall and CPU seconds and the largest peak RSS (MiB) of `command`.
    GNU time runs it, so the peak is the program's own and not this script's."""
    walls, cpus, peaks = [], [], []
    with tempfile.NamedTemporaryFile("r") as report:
        for _ in range(repeats):
            out = open(stdout_path, "wb") if stdout_path else subprocess.DEVNULL
            start = time.perf_counter()
            result = subprocess.run(["/usr/bin/time", "-o", report.name, "-f", "%U %S %M", *command],
                                    stdout=out, stderr=subprocess.DEVNULL)
            walls.append(time.perf_counter() - start)
            if stdout_path:
                out.close()
            if result.returncode != 0:
                raise RuntimeError("failed: " + " ".join(command))
            report.seek(0)
            user, system, peak = report.read().split()[-3:]
            cpus.append(float(user) + float(system))
            peaks.append(int(peak) / 1024)
    return statistics.median(walls), statistics.median(cpus), max(peaks)


def scan_pages(folder):
    config = os.path.join(folder, "sane")
    os.makedirs(config)
    with open(os.path.join(config, "dll.conf"), "w") as f:
        f.write("test\n")
    with open(os.path.join(config, "test.conf"), "w") as f:
        f.write("number_of_devices 1\ngeometry_max 300.0\n")
    env = {**os.environ, "SANE_CONFIG_DIR": config}
    pages = {}
    for name, mode, depth, ext in (("colour", "Color", "8", "ppm"), ("grey", "Gray", "8", "pgm"),
                                   ("bw", "Gray", "1", "pbm")):
        path = os.path.join(folder, f"{name}.{ext}")
        subprocess.run(["scanimage", "-d", "test", "--mode", mode, "--depth", depth,
                        "--resolution", "300",
                        "-l", "0", "-t", "0", "-x", "210", "-y", "297", "--test-picture",
                        "Color pattern", "--format=pnm", "-o", path], env=env, check=True)
        pages[name] = path
    return pages


def derive(pages, folder):
    """BMP (the scanner's DIB), uncompressed and LZW TIFF, JPEG and PNG of each page."""
    files = {}
    for name, pnm in pages.items():
        stem = os.path.join(folder, name)
        if pnm.endswith(".pbm"):  # cjpeg reads no bitmaps: the same page as 8-bit grey
            with open(stem + "-grey.pgm", "wb") as out:
                subprocess.run(["pamdepth", "255", pnm], stdout=out, check=True)
        jpeg_input = stem + "-grey.pgm" if pnm.endswith(".pbm") else pnm
        for ext, command in (("bmp", ["ppmtobmp", pnm]),
                             ("jpg", ["cjpeg", "-quality", "75", jpeg_input]),
                             ("png", ["pnmtopng", pnm]), ("tif", ["pnmtotiff", pnm])):
            with open(f"{stem}.{ext}", "wb") as out:
                subprocess.run(command, stdout=out, stderr=subprocess.DEVNULL, check=True)
        lzw = "lzw" if name == "bw" else "lzw:2"  # no predictor for 1-bit samples
        subprocess.run(["tiffcp", "-c", lzw, f"{stem}.tif", f"{stem}-lzw.tif"], check=True)
        files[name] = stem
    return files


def copies(source, count, folder, ext):
    os.makedirs(folder, exist_ok=True)
    paths = []
    for i in range(count):
        path = os.path.join(folder, f"page{i:03d}.{ext}")
        shutil.copyfile(source, path)
        paths.append(path)
    return paths


class Report:
    def __init__(self):
        self.rows = []

    def compare(self, label, ours, theirs, goal, memory_goal=None):
        ratio = ours[1] / theirs[1] if theirs[1] > 0 else float("inf")
        memory_ratio = ours[2] / theirs[2]
        met = ratio <= goal and (memory_goal is None or memory_ratio <= memory_goal)
        self.rows.append((label, ours, theirs, ratio, goal, memory_ratio, memory_goal, met))
        print(f"{label:44s} ours {ours[1]:7.3f}s cpu {ours[0]:7.3f}s wall {ours[2]:7.1f}MiB | "
              f"theirs {theirs[1]:7.3f}s cpu {theirs[0]:7.3f}s wall {theirs[2]:7.1f}MiB | "
              f"cpu ratio {ratio:5.2f} (goal {goal}) mem ratio {memory_ratio:5.2f}"
              + (f" (goal {memory_goal})" if memory_goal else "") + ("  ok" if met else "  MISSED"),
              flush=True)


def single_pages(tool, files, work, report):
    for name, stem in files.items():
        ppm = {"colour": ".ppm", "grey": ".pgm", "bw": ".pbm"}[name]
        out = os.path.join(work, "out")
        jpeg_input = stem + ("-grey.pgm" if name == "bw" else ppm)
        report.compare(f"JPEG {name}", measure([tool, "save", "1", stem + ".bmp", out]),
                       measure(["cjpeg", "-quality", "75", jpeg_input], out), 1.2)
        report.compare(f"PNG {name}", measure([tool, "save", "5", stem + ".bmp", out]),
                       measure(["pnmtopng", stem + ppm], out), 1.2)
        ours_lzw = measure([tool, "save", "4", stem + ".bmp", out])
        report.compare(f"TIFF LZW {name} (tiffcp -c lzw)", ours_lzw,
                       measure(["tiffcp", "-c", "lzw", stem + ".tif", out]), 1.2)
        if name != "bw":
            report.compare(f"TIFF LZW {name} (tiffcp -c lzw:2)", ours_lzw,
                           measure(["tiffcp", "-c", "lzw:2", stem + ".tif", out]), 1.2)
        report.compare(f"GIF {name} (convert)", measure([tool, "save", "2", stem + ".bmp", out]),
                       measure(["convert", stem + ppm, out + ".gif"]), 1.0, 0.1)


def documents(tool, files, work, report, repeats):
    colour = files["colour"]
    out = os.path.join(work, "doc")
    jpegs = copies(colour + ".jpg", 50, os.path.join(work, "jpg50"), "jpg")
    report.compare("50 JPEG pages to PDF (compressed)",
                   measure([tool, "combine", "6", out + ".pdf", *jpegs], repeats=repeats),
                   measure(["img2pdf", "-o", out + "-img2pdf.pdf", *jpegs], repeats=repeats), 0.8)
    pngs = copies(colour + ".png", 50, os.path.join(work, "png50"), "png")
    ours = measure([tool, "combine", "7", out + ".pdf", *pngs], repeats=repeats)
    report.compare("50 PNG pages to PDF (uncompressed)", ours,
                   measure(["img2pdf", "-o", out + "-img2pdf.pdf", *pngs], repeats=repeats), 3.5)
    print(f"{'  peak memory of PNG to PDF':44s} {ours[2]:.1f} MiB (goal under 64 MiB)"
          + ("  ok" if ours[2] < 64 else "  MISSED"))
    tiffs = copies(colour + ".tif", 50, os.path.join(work, "tif50"), "tif")
    report.compare("50 TIFF pages to TIFF",
                   measure([tool, "combine", "3", out + ".tif", *tiffs], repeats=repeats),
                   measure(["tiffcp", *tiffs, out + "-tiffcp.tif"], repeats=repeats), 1.5)
    report.compare("50 TIFF pages to TIFF (LZW)",
                   measure([tool, "combine", "4", out + ".tif", *tiffs], repeats=repeats),
                   measure(["tiffcp", "-c", "lzw:2", *tiffs, out + "-tiffcp.tif"], repeats=repeats),
                   1.2)
    for folder in ("jpg50", "png50", "tif50"):
        shutil.rmtree(os.path.join(work, folder))


def flat_memory(tool, files, work):
    pages = copies(files["colour"] + "-lzw.tif", 200, os.path.join(work, "tif200"), "tif")
    out = os.path.join(work, "flat.tif")
    twenty = measure([tool, "combine", "4", out, *pages[:20]], repeats=1)
    two_hundred = measure([tool, "combine", "4", out, *pages], repeats=1)
    growth = two_hundred[2] / twenty[2]
    print(f"{'peak memory, 200 vs 20 LZW TIFF pages':44s} {two_hundred[2]:.1f} vs {twenty[2]:.1f} MiB:"
          f" {growth:.3f} (goal at most 1.10)" + ("  ok" if growth <= 1.10 else "  MISSED"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tool", required=True, help="path of docketeer_write_bench")
    parser.add_argument("--work", help="scratch folder (default: a new temporary one)")
    parser.add_argument("--document-repeats", type=int, default=1)
    args = parser.parse_args()
    ensure_tools()
    work = args.work or tempfile.mkdtemp(prefix="docketeer-bench-")
    tool = os.path.abspath(args.tool)
    files = derive(scan_pages(work), work)
    report = Report()
    single_pages(tool, files, work, report)
    documents(tool, files, work, report, args.document_repeats)
    flat_memory(tool, files, work)
    missed = [row[0] for row in report.rows if not row[7]]
    print(f"{len(report.rows) - len(missed)} of {len(report.rows)} goals met"
          + (": missed " + ", ".join(missed) if missed else ""))
    if not args.work:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
