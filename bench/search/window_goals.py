#!/usr/bin/env python3
"""Measures the window's side of the archive search, in one run:

- the window's resident memory with the index of a synthetic archive open and
  queried, against the same window following no archive (separate processes,
  median of several runs);
- the GUI thread's longest stall while the window indexes an archive of text
  PDFs from scratch, and while queries are typed key by key, over that archive
  and over the synthetic one.

    bench/search/window_goals.py --bin build/release/bin
"""
import argparse
import os
import re
import shutil
import statistics
import subprocess
import tempfile


def run(command, env):
    return subprocess.run(command, check=True, env=env, capture_output=True, text=True).stdout


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True, help="folder of the bench programs")
    parser.add_argument("--documents", type=int, default=200)
    parser.add_argument("--pages", type=int, default=10)
    parser.add_argument("--synthetic-pages", type=int, default=100000)
    parser.add_argument("--repeats", type=int, default=3)
    args = parser.parse_args()
    tool = os.path.join(args.bin, "docketeer_search_bench")
    window = os.path.join(args.bin, "docketeer_search_window_bench")
    work = tempfile.mkdtemp(prefix="window-bench-")
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", HOME=os.path.join(work, "home"),
               XDG_CACHE_HOME=os.path.join(work, "cache"),
               XDG_CONFIG_HOME=os.path.join(work, "config"))
    try:
        pdf_root, big_root = os.path.join(work, "pdfs"), os.path.join(work, "big")
        run([tool, "make-archive", pdf_root, str(args.documents), str(args.pages)], env)
        big_index = run([window, "index-folder", big_root], env).strip()
        print(run([tool, "synthetic", big_root, big_index, str(args.synthetic_pages)],
                  env).strip())

        # Words of several frequencies, from the archive itself (both archives
        # draw on one vocabulary), typed as a user types them.
        first = sorted(os.path.join(d, f) for d, _, fs in os.walk(pdf_root) for f in fs)[0]
        sample = subprocess.run(["pdftotext", first, "-"], check=True, capture_output=True,
                                text=True).stdout.split()
        queries = [sample[0], f"{sample[7]} {sample[31]}", f'"{sample[2]} {sample[3]}"',
                   sample[101][:3] + "*"]

        memory = {}
        for mode in ("without", "with"):
            values = [int(re.search(r"(\d+) kB", run([window, "memory", big_root, mode],
                                                      env)).group(1))
                      for _ in range(args.repeats)]
            memory[mode] = statistics.median(values)
            print(f"window memory {mode} the index: {memory[mode] / 1024:.1f} MB "
                  f"(runs {', '.join(f'{v / 1024:.1f}' for v in values)})")
        print(f"the index open costs {(memory['with'] - memory['without']) / 1024:.1f} MB "
              f"over {args.synthetic_pages} pages (goal: at most 20 MB)")

        for label, root in ((f"{args.documents * args.pages} PDF pages, from scratch", pdf_root),
                            (f"{args.synthetic_pages} synthetic pages", big_root)):
            out = run([window, "stalls", root] + queries, env)
            print(f"{label}:")
            for line in out.strip().splitlines():
                print("  " + line)
        print("goal: no stall over 50 ms")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
