#!/usr/bin/env python3
"""Measures the archive index beside the standard tools, in one run:

- indexing an archive of text PDFs (default 2,000 pages) against pdftotext
  alone extracting every file, one after the other (median of several runs);
- the index's size against the text pdftotext extracts;
- queries over that archive against `pdfgrep -r -i -l`: every document found,
  without snippets, as pdfgrep lists them, which must be the same documents;
  and, beside it, the hits the window lists with snippets read from the PDFs
  for a screenful of them (query-screen);
- the 95th percentile of queries over a synthetic index of 100,000 pages, for the
  hits the window lists with their snippets (query-shown) and for every
  document found (query).

    bench/search/compare_search.py --tool build/release/bin/docketeer_search_bench
"""
import argparse
import os
import re
import shutil
import statistics
import subprocess
import tempfile
import time


def timed(run, repeats):
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        run()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def pdfs(root):
    return sorted(os.path.join(d, f) for d, _, files in os.walk(root) for f in files
                  if f.endswith(".pdf"))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    parser.add_argument("--documents", type=int, default=200)
    parser.add_argument("--pages", type=int, default=10)
    parser.add_argument("--synthetic-pages", type=int, default=100000)
    parser.add_argument("--repeats", type=int, default=3)
    args = parser.parse_args()
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    work = tempfile.mkdtemp(prefix="search-bench-")
    try:
        root, cache = os.path.join(work, "archive"), os.path.join(work, "cache")
        subprocess.run([args.tool, "make-archive", root, str(args.documents), str(args.pages)],
                       check=True, env=env)
        files = pdfs(root)
        pages = args.documents * args.pages

        def extract():
            for f in files:
                subprocess.run(["pdftotext", f, os.path.join(work, "out.txt")], check=True)

        def index():
            shutil.rmtree(cache, ignore_errors=True)
            subprocess.run([args.tool, "index", root, cache], check=True, env=env,
                           stdout=subprocess.DEVNULL)

        extract_s = timed(extract, args.repeats)
        index_s = timed(index, args.repeats)
        text_bytes = sum(len(subprocess.run(["pdftotext", f, "-"], check=True,
                                            capture_output=True).stdout) for f in files)
        index_bytes = sum(os.path.getsize(os.path.join(d, f))
                          for d, _, fs in os.walk(cache) for f in fs)
        print(f"{pages} pages: pdftotext {extract_s:.2f} s, index {index_s:.2f} s "
              f"({index_s / extract_s:.2f}x)")
        print(f"text {text_bytes} bytes, index {index_bytes} bytes "
              f"({index_bytes / text_bytes:.2f}x)")

        # Words of several frequencies, taken from the archive itself.
        sample = subprocess.run(["pdftotext", files[0], "-"], check=True,
                                capture_output=True, text=True).stdout.split()
        queries = [sample[i] for i in (0, 7, 31, 101)]
        for word in queries:
            start = time.perf_counter()
            grep = subprocess.run(["pdfgrep", "-r", "-i", "-l", rf"\b{word}\b", root],
                                  capture_output=True, text=True)
            grep_s = time.perf_counter() - start
            found = set(grep.stdout.split("\n")) - {""}
            out = subprocess.run([args.tool, "query", root, cache, "20", word], check=True,
                                 env=env, capture_output=True, text=True).stdout
            ours = set(re.findall(r"^found (.*)$", out, re.M))
            p95 = float(re.search(r"p95 ([\d.]+)", out).group(1)) / 1000
            screen = subprocess.run([args.tool, "query-screen", root, cache, "5", word],
                                    check=True, env=env, capture_output=True, text=True).stdout
            screen_p95 = float(re.search(r"p95 ([\d.]+)", screen).group(1))
            same = "same documents" if ours == found else \
                f"DIFFERENT documents ({len(found - ours)} missed, {len(ours - found)} more)"
            print(f"query {word}: pdfgrep {grep_s:.2f} s ({len(found)} documents), "
                  f"index p95 {p95 * 1000:.2f} ms ({len(ours)} documents), {grep_s / p95:.0f}x, "
                  f"{same}; a screenful with snippets from the PDFs p95 {screen_p95:.1f} ms")

        big_root, big_cache = os.path.join(work, "big"), os.path.join(work, "big-cache")
        out = subprocess.run([args.tool, "synthetic", big_root, big_cache,
                              str(args.synthetic_pages)], check=True, env=env,
                             capture_output=True, text=True).stdout
        print(out.strip())
        # The synthetic pages draw on the same vocabulary as the PDFs.
        words = queries + [f"{queries[0]} {queries[1]}", f'"{sample[2]} {sample[3]}"',
                           queries[2][:3] + "*"]
        for command in ("query-shown", "query"):
            out = subprocess.run([args.tool, command, big_root, big_cache, "20"] + words,
                                 check=True, env=env, capture_output=True, text=True).stdout
            print(f"{args.synthetic_pages} pages, {command}: " + out.strip().splitlines()[-1])
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
