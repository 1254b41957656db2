#!/usr/bin/env python3
"""Times a searchable PDF of ten A4 pages at 300 dpi made by Docketeer's
recognition pool beside ocrmypdf (as many jobs as cores, on a PDF of the same
pages) and beside the tesseract command line with one thread a page, as many
pages at once as cores, joined with pdfunite; compares peak memory and the
share of the printed words that pdftotext finds in each. Wall time is the
figure compared; the three take turns, several rounds, so that a machine
growing busier or quieter weighs on each alike, and the median is taken.
Memory is compared two ways: the largest single process, and the whole
process tree at its fullest (proportional set sizes summed, sampled), since
ocrmypdf spreads its pages over processes where Docketeer uses threads. Run
from anywhere:

    bench/ocr/compare_ocr.py --tool build/release/bin/docketeer_ocr_bench
"""
import argparse
import collections
import concurrent.futures
import glob
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from bench_tools import install_missing  # noqa: E402

TOOLS = {"ocrmypdf": "ocrmypdf", "img2pdf": "img2pdf", "pdfunite": "poppler-utils",
         "tesseract": "tesseract-ocr"}


def ensure_tools():
    install_missing(TOOLS)


def peak_mib(command, env=None):
    """Peak resident memory of the largest process the command runs (MiB)."""
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               env=env)
    _, status, usage = os.wait4(process.pid, 0)
    if os.waitstatus_to_exitcode(status) != 0:
        raise RuntimeError("failed: " + " ".join(command))
    return usage.ru_maxrss / 1024


def proportional_kib(pid):
    try:
        with open("/proc/%d/smaps_rollup" % pid) as f:
            for line in f:
                if line.startswith("Pss:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def tree_pids(root):
    children = collections.defaultdict(list)
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open("/proc/%s/stat" % entry) as f:
                    parent = int(f.read().rpartition(")")[2].split()[1])
                children[parent].append(int(entry))
            except (OSError, ValueError, IndexError):
                pass
    pids, todo = [], [root]
    while todo:
        pid = todo.pop()
        pids.append(pid)
        todo.extend(children.get(pid, []))
    return pids


def tree_peak_mib(command):
    """Peak of the summed proportional set sizes of the command's process tree
    (MiB), sampled every 20 ms."""
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    peak = 0
    while process.poll() is None:
        peak = max(peak, sum(proportional_kib(pid) for pid in tree_pids(process.pid)))
        time.sleep(0.02)
    if process.returncode != 0:
        raise RuntimeError("failed: " + " ".join(command))
    return peak / 1024


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


def timed_in_turns(runs, repeats):
    """Runs each of `runs` once a round, `repeats` rounds; per run the median
    and the single times."""
    times = [[] for _ in runs]
    for _ in range(repeats):
        for run, taken in zip(runs, times):
            start = time.perf_counter()
            run()
            taken.append(time.perf_counter() - start)
    return [(statistics.median(taken), taken) for taken in times]


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
    ensure_tools()

    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([tool, "render", folder, str(args.pages)], check=True)
        pages = sorted(glob.glob(os.path.join(folder, "Page *.png")))
        texts = sorted(glob.glob(os.path.join(folder, "Page *.txt")))
        ours = os.path.join(folder, "ours.pdf")
        theirs = os.path.join(folder, "theirs.pdf")

        def run_ours():
            subprocess.run([tool, "pdf", args.language, "0", ours, *pages], check=True,
                           capture_output=True)

        def run_ocrmypdf():
            subprocess.run(["ocrmypdf", "--jobs", str(cores), "-l", args.language,
                            "--output-type", "pdf", "--optimize", "0", images_pdf, theirs],
                           check=True, capture_output=True)

        single_thread = {**os.environ, "OMP_THREAD_LIMIT": "1"}

        def run_tesseract():
            def one(index_page):
                index, page = index_page
                base = os.path.join(folder, "t%03d" % index)
                subprocess.run(["tesseract", page, base, "-l", args.language, "pdf"], check=True,
                               capture_output=True, env=single_thread)
                return base + ".pdf"
            with concurrent.futures.ThreadPoolExecutor(cores) as pool:
                parts = list(pool.map(one, enumerate(pages)))
            subprocess.run(["pdfunite", *parts, joined], check=True)

        cores = os.cpu_count()
        images_pdf = os.path.join(folder, "images.pdf")
        joined = os.path.join(folder, "tesseract.pdf")
        subprocess.run(["img2pdf", "-o", images_pdf, *pages], check=True)
        (our_time, our_runs), (ocrmypdf_time, ocrmypdf_runs), (tesseract_time, tesseract_runs) = \
            timed_in_turns([run_ours, run_ocrmypdf, run_tesseract], args.repeats)
        our_command = [tool, "pdf", args.language, "0", ours, *pages]
        ocrmypdf_command = ["ocrmypdf", "--jobs", str(cores), "-l", args.language,
                            "--output-type", "pdf", "--optimize", "0", images_pdf, theirs]
        our_peak = peak_mib(our_command)
        ocrmypdf_peak = peak_mib(ocrmypdf_command)
        our_tree = tree_peak_mib(our_command)
        ocrmypdf_tree = tree_peak_mib(ocrmypdf_command)
        scanning = subprocess.run([tool, "pdf", args.language, str(args.interval_ms), ours, *pages],
                                  check=True, capture_output=True, text=True).stdout
        after_last = float(re.search(r"after last page ([\d.]+)", scanning).group(1))

        print("pages: %d A4 at 300 dpi, language %s, %d cores" % (len(pages), args.language, cores))
        print("docketeer pool, pages on disk:        %6.2f s  (runs %s)" %
              (our_time, ", ".join("%.2f" % t for t in our_runs)))
        print("ocrmypdf --jobs %d:                    %6.2f s  (runs %s)" %
              (cores, ocrmypdf_time, ", ".join("%.2f" % t for t in ocrmypdf_runs)))
        print("tesseract 1 thread a page, %d at once: %6.2f s  (runs %s)" %
              (cores, tesseract_time, ", ".join("%.2f" % t for t in tesseract_runs)))
        print("ratio to ocrmypdf: %.2f (goal at most 0.80); to tesseract: %.2f" %
              (our_time / ocrmypdf_time, our_time / tesseract_time))
        print("peak memory: docketeer %.1f MiB, ocrmypdf's largest process %.1f MiB: %.2f"
              % (our_peak, ocrmypdf_peak, our_peak / ocrmypdf_peak))
        print("peak memory, whole process tree (summed PSS): docketeer %.1f MiB, ocrmypdf %.1f MiB:"
              " %.2f (goal at most 1.00)" % (our_tree, ocrmypdf_tree, our_tree / ocrmypdf_tree))
        print("while scanning, one page every %.1f s: document ready %.2f s after the last page"
              % (args.interval_ms / 1000, after_last))
        print("words found: docketeer %.3f, ocrmypdf %.3f, tesseract %.3f" %
              (found_share(ours, texts), found_share(theirs, texts), found_share(joined, texts)))


if __name__ == "__main__":
    main()
