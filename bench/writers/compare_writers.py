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
import struct
import subprocess
import sys
import tempfile
import time
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from bench_tools import install_missing  # noqa: E402

TOOLS = {"time": "time", "cjpeg": "libjpeg-turbo-progs", "pnmtopng": "netpbm", "tiffcp": "libtiff-tools",
         "img2pdf": "img2pdf", "scanimage": "sane-utils", "pdftoppm": "poppler-utils"}


def ensure_tools():
    convert = shutil.which("convert")
    imagemagick = convert is not None and b"ImageMagick" in subprocess.run(
        [convert, "-version"], capture_output=True).stdout
    install_missing(TOOLS, () if imagemagick else ("imagemagick",))


def run_once(command, stdout_path=None):
    """Wall and CPU seconds, peak RSS (MiB) and, for our tool, the writer's
    own CPU seconds (None for other tools) of one run. GNU time runs the
    command so that the peak is the program's own; wait4 on it gives the CPU
    time to the microsecond (GNU time's own figures are in hundredths)."""
    # What an earlier run left to be written back is not this run's cost.
    os.sync()
    with tempfile.NamedTemporaryFile("r") as report, tempfile.NamedTemporaryFile("r") as errors:
        out = open(stdout_path, "wb") if stdout_path else subprocess.DEVNULL
        start = time.perf_counter()
        process = subprocess.Popen(["/usr/bin/time", "-o", report.name, "-f", "%M", *command],
                                   stdout=out, stderr=open(errors.name, "w"))
        _, status, usage = os.wait4(process.pid, 0)
        wall = time.perf_counter() - start
        if stdout_path:
            out.close()
        if os.waitstatus_to_exitcode(status) != 0:
            raise RuntimeError("failed: " + " ".join(command))
        writer = None
        for line in errors.read().splitlines():
            if line.startswith("writer cpu "):
                writer = float(line.split()[2])
        return wall, usage.ru_utime + usage.ru_stime, int(report.read().split()[-1]) / 1024, writer


def summary(runs):
    """Median wall and CPU seconds, the largest peak and the median writer CPU."""
    writer = [run[3] for run in runs if run[3] is not None]
    return (statistics.median(run[0] for run in runs), statistics.median(run[1] for run in runs),
            max(run[2] for run in runs), statistics.median(writer) if writer else None)


def measure(command, stdout_path=None, repeats=3):
    return summary([run_once(command, stdout_path) for _ in range(repeats)])


def measure_pair(ours, theirs, repeats, theirs_stdout=None):
    """Both commands in turn, `repeats` times, so that a change in the
    machine's load falls on both alike, each going first every other turn
    (one warm-up run of each first, so that neither pays for reading the pages
    from disk). Returns both summaries and the per-turn CPU ratios, sorted."""
    run_once(ours)
    run_once(theirs, theirs_stdout)
    ours_runs, theirs_runs = [], []
    for turn in range(repeats):
        if turn % 2:
            theirs_runs.append(run_once(theirs, theirs_stdout))
        ours_runs.append(run_once(ours))
        if turn % 2 == 0:
            theirs_runs.append(run_once(theirs, theirs_stdout))
    ratios = sorted(o[1] / t[1] for o, t in zip(ours_runs, theirs_runs) if t[1] > 0)
    return summary(ours_runs), summary(theirs_runs), ratios


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


def read_pnm(path):
    """Kind (P4, P5, P6), width, height and pixel bytes of a binary PNM file."""
    data = open(path, "rb").read()
    fields, at = [], 0
    while len(fields) < (3 if data[:2] == b"P4" else 4):
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b"#":
            at = data.index(b"\n", at)
            continue
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    return fields[0].decode(), int(fields[1]), int(fields[2]), data[at + 1:]


def write_dib_bmp(pnm, path):
    """The page as the scanner hands it over: a BMP whose DIB has bottom-up rows
    padded to 4 bytes, 24-bit BGR, 8-bit grey with a grey ramp, or 1-bit with
    black and white."""
    kind, width, height, pixels = read_pnm(pnm)
    bits = {"P6": 24, "P5": 8, "P4": 1}[kind]
    row = (width * bits + 7) // 8
    padded = (width * bits + 31) // 32 * 4
    if bits == 24:
        bgr = bytearray(len(pixels))
        bgr[0::3], bgr[1::3], bgr[2::3] = pixels[2::3], pixels[1::3], pixels[0::3]
        pixels = bytes(bgr)
    elif bits == 1:  # PBM marks black with 1; the palette below puts black at 0
        pixels = bytes(b ^ 0xFF for b in pixels)
    table = b"".join(bytes((i, i, i, 0)) for i in range(256)) if bits == 8 else (
        b"\x00\x00\x00\x00\xff\xff\xff\x00" if bits == 1 else b"")
    rows = b"".join(pixels[y * row:(y + 1) * row] + b"\0" * (padded - row)
                    for y in reversed(range(height)))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(rows), 11811, 11811,
                       0, 0)
    offset = 14 + len(info) + len(table)
    with open(path, "wb") as out:
        out.write(b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset))
        out.write(info + table + rows)


def derive(pages, folder):
    """BMP (the scanner's DIB), uncompressed and LZW TIFF, JPEG and PNG of each page."""
    files = {}
    for name, pnm in pages.items():
        stem = os.path.join(folder, name)
        if pnm.endswith(".pbm"):  # cjpeg reads no bitmaps: the same page as 8-bit grey
            with open(stem + "-grey.pgm", "wb") as out:
                subprocess.run(["pamdepth", "255", pnm], stdout=out, check=True)
        jpeg_input = stem + "-grey.pgm" if pnm.endswith(".pbm") else pnm
        write_dib_bmp(pnm, stem + ".bmp")
        for ext, command in (("jpg", ["cjpeg", "-quality", "75", jpeg_input]),
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
    """Prints one line per comparison. For a single page the writer's own CPU
    time is what is compared (in the program the page is in memory already);
    the whole process, which also reads the page from disk, is shown beside it."""

    def __init__(self):
        self.rows = []

    def compare(self, label, ours, theirs, goal, memory_goal=None, ratios=None):
        process_ratio = ours[1] / theirs[1] if theirs[1] > 0 else float("inf")
        ratio = ours[3] / theirs[1] if ours[3] is not None and theirs[1] > 0 else process_ratio
        spread = ""
        if ratios:  # interleaved turns: the median of the turns' own ratios
            ratio = statistics.median(ratios)
            spread = f"turns {ratios[0]:.2f}..{ratios[-1]:.2f} of {len(ratios)}, "
        memory_ratio = ours[2] / theirs[2]
        met = ratio <= goal and (memory_goal is None or memory_ratio <= memory_goal)
        self.rows.append((label, met))
        writer = f"writer {ours[3]:.4f}s " if ours[3] is not None else ""
        print(f"{label:40s} ours {writer}process {ours[1]:.4f}s cpu {ours[0]:.3f}s wall "
              f"{ours[2]:.1f}MiB | theirs {theirs[1]:.4f}s cpu {theirs[0]:.3f}s wall "
              f"{theirs[2]:.1f}MiB | ratio {ratio:.2f} ({spread}process {process_ratio:.2f},"
              f" goal {goal}) memory {memory_ratio:.2f}"
              + (f" (goal {memory_goal})" if memory_goal else "")
              + ("  ok" if met else "  MISSED"), flush=True)


def single_pages(tool, files, work, report):
    for name, stem in files.items():
        ppm = {"colour": ".ppm", "grey": ".pgm", "bw": ".pbm"}[name]
        out = os.path.join(work, "out")
        jpeg_input = stem + ("-grey.pgm" if name == "bw" else ppm)
        report.compare(f"JPEG {name}", measure([tool, "save", "1", stem + ".bmp", out], repeats=5),
                       measure(["cjpeg", "-quality", "75", jpeg_input], out, repeats=5), 1.2)
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
    ours, theirs, ratios = measure_pair([tool, "combine", "6", out + ".pdf", *jpegs],
                                        ["img2pdf", "-o", out + "-img2pdf.pdf", *jpegs], repeats)
    report.compare("50 JPEG pages to PDF (compressed)", ours, theirs, 0.6, ratios=ratios)
    pngs = copies(colour + ".png", 50, os.path.join(work, "png50"), "png")
    ours, theirs, ratios = measure_pair([tool, "combine", "7", out + ".pdf", *pngs],
                                        ["img2pdf", "-o", out + "-img2pdf.pdf", *pngs], repeats)
    report.compare("50 PNG pages to PDF (uncompressed)", ours, theirs, 1.0, ratios=ratios)
    print(f"{'  peak memory of PNG to PDF':44s} {ours[2]:.1f} MiB (goal under 64 MiB)"
          + ("  ok" if ours[2] < 64 else "  MISSED"))
    tiffs = copies(colour + ".tif", 50, os.path.join(work, "tif50"), "tif")
    ours, theirs, ratios = measure_pair([tool, "combine", "3", out + ".tif", *tiffs],
                                        ["tiffcp", *tiffs, out + "-tiffcp.tif"], repeats)
    report.compare("50 TIFF pages to TIFF", ours, theirs, 1.5, ratios=ratios)
    ours, theirs, ratios = measure_pair([tool, "combine", "4", out + ".tif", *tiffs],
                                        ["tiffcp", "-c", "lzw:2", *tiffs, out + "-tiffcp.tif"],
                                        repeats)
    report.compare("50 TIFF pages to TIFF (LZW)", ours, theirs, 1.2, ratios=ratios)
    for folder in ("jpg50", "png50", "tif50"):
        shutil.rmtree(os.path.join(work, folder))


def same_pixels(pdf, pbm, work):
    """Whether the PDF's first image, as poppler decodes it, is the PBM's
    pixels (poppler's renderer smooths scaled images, so pdftoppm shows the
    page's pixels exactly for no writer: the decoded image is compared)."""
    stem = os.path.join(work, "decoded")
    subprocess.run(["pdfimages", "-png", "-f", "1", "-l", "1", pdf, stem], check=True)
    with open(stem + ".pbm", "wb") as out:
        subprocess.run(["pngtopnm", stem + "-000.png"], stdout=out, check=True)
    return read_pnm(stem + ".pbm")[:4] == read_pnm(pbm)[:4]


def black_and_white(tool, work):
    """A 1-bit A4 text page in both PDF kinds, as scanned (the scanner's DIB
    saved as the PNG page file) and converted from a Group 4 TIFF: file size
    against img2pdf's on the same page, and the page's pixels read back."""
    lines = [f"Invoice {i}: {i * 37 % 1000} items, quick brown foxes, {i * 12.5:.2f} EUR, due"
             f" {2026 + i % 3}-{1 + i % 12:02d}-{1 + i * 7 % 28:02d}" for i in range(70)]
    pbm = os.path.join(work, "bw-text.pbm")
    subprocess.run(["convert", "-size", "2480x3508", "-density", "300", "xc:white", "-font",
                    "DejaVu-Sans", "-pointsize", "11", "-fill", "black", "-annotate", "+150+200",
                    "\n".join(lines), "-attenuate", "0.3", "+noise", "Impulse", "-threshold",
                    "50%", "-monochrome", pbm], check=True)
    stem = os.path.join(work, "bw-text")
    write_dib_bmp(pbm, stem + ".bmp")
    page = os.path.join(work, "bw-page.png")
    subprocess.run([tool, "save", "5", stem + ".bmp", page], check=True, stderr=subprocess.DEVNULL)
    with open(stem + ".tif", "wb") as out:
        subprocess.run(["pnmtotiff", pbm], stdout=out, stderr=subprocess.DEVNULL, check=True)
    g4 = stem + "-g4.tif"
    subprocess.run(["tiffcp", "-c", "g4", "-r", "100000", stem + ".tif", g4], check=True)
    for label, ours_command, theirs_input in (
            ("scanned, PDF (compressed)", ["combine", "6", None, page], page),
            ("scanned, PDF (uncompressed)", ["combine", "7", None, page], page),
            ("Group 4 TIFF converted, PDF (compressed)", ["convert", "6", g4, None], g4),
            ("Group 4 TIFF converted, PDF (uncompressed)", ["convert", "7", g4, None], g4)):
        ours, theirs = os.path.join(work, "bw-ours.pdf"), os.path.join(work, "bw-img2pdf.pdf")
        subprocess.run([tool, *[ours if a is None else a for a in ours_command]], check=True)
        subprocess.run(["img2pdf", "-o", theirs, theirs_input], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        exact = same_pixels(ours, pbm, work)
        ratio = os.path.getsize(ours) / os.path.getsize(theirs)
        ok = ratio <= 1.05 and exact
        print(f"{'1-bit A4 text page ' + label:56s} ours {os.path.getsize(ours) / 1024:.1f} KiB |"
              f" img2pdf {os.path.getsize(theirs) / 1024:.1f} KiB | ratio {ratio:.3f} (goal 1.05),"
              " pixels " + ("equal" if exact else "DIFFER") + ("  ok" if ok else "  MISSED"),
              flush=True)


def flat_pdf_memory(tool, files, work):
    pages = copies(files["colour"] + ".jpg", 500, os.path.join(work, "jpg500"), "jpg")
    out = os.path.join(work, "flat.pdf")
    fifty = measure([tool, "combine", "6", out, *pages[:50]], repeats=1)
    five_hundred = measure([tool, "combine", "6", out, *pages], repeats=1)
    growth = five_hundred[2] / fifty[2]
    print(f"{'peak memory, 500 vs 50 JPEG pages to PDF':44s} {five_hundred[2]:.1f} vs {fifty[2]:.1f} MiB:"
          f" {growth:.3f} (goal at most 1.10)" + ("  ok" if growth <= 1.10 else "  MISSED"))
    shutil.rmtree(os.path.join(work, "jpg500"))


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
    parser.add_argument("--document-repeats", type=int, default=5,
                        help="interleaved turns of ours and theirs for each document")
    parser.add_argument("--pdf-only", action="store_true", help="skip the single-page formats")
    args = parser.parse_args()
    ensure_tools()
    work = args.work or tempfile.mkdtemp(prefix="docketeer-bench-")
    tool = os.path.abspath(args.tool)
    files = derive(scan_pages(work), work)
    report = Report()
    if not args.pdf_only:
        single_pages(tool, files, work, report)
    documents(tool, files, work, report, args.document_repeats)
    black_and_white(tool, work)
    flat_pdf_memory(tool, files, work)
    flat_memory(tool, files, work)
    missed = [row[0] for row in report.rows if not row[1]]
    print(f"{len(report.rows) - len(missed)} of {len(report.rows)} goals met"
          + (": missed " + ", ".join(missed) if missed else ""))
    if not args.work:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
