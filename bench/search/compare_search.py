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
  document found (query);
- with --manuals, an archive of text others wrote (the installed manual pages
  rendered to PDF by groff, in 33 dated folders, some German and French)
  beside recoll (recollindex, recollq): build time, index size, recall of
  every query against the words pdftotext reads (all words in one document),
  and the time to print 1,000 hits with snippets, first run and again.

    bench/search/compare_search.py --tool build/release/bin/docketeer_search_bench
    bench/search/compare_search.py --tool ... --manuals 1000 --skip-synthetic
"""
import argparse
import collections
import concurrent.futures
import os
import random
import re
import shutil
import statistics
import subprocess
import tempfile
import time
import unicodedata


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


def render_manuals(root, count, foreign=50):
    """The first `count` English manual pages of a fair size and some German and
    French ones as PDFs, named with a date, in 33 monthly folders."""
    english = sorted(os.path.join(d, f) for d in (f"/usr/share/man/man{s}" for s in "1578")
                     for f in os.listdir(d) if f.endswith(".gz"))
    pages = [p for p in english if os.path.getsize(p) > 600][:count - foreign]
    for lang in ("de", "fr"):
        d = f"/usr/share/man/{lang}/man1"
        if os.path.isdir(d):
            pages += sorted(os.path.join(d, f) for f in os.listdir(d)
                            if f.endswith(".gz"))[:foreign // 2]

    def render(numbered):
        i, page = numbered
        month = f"{2023 + i % 33 // 12}-{i % 33 % 12 + 1:02d}"
        name = os.path.basename(page)[:-3]
        if "/man/de/" in page or "/man/fr/" in page:
            name += "." + page.split("/")[4]
        out = os.path.join(root, month, f"{name} {month}-{i % 28 + 1:02d}.pdf")
        if os.path.exists(out):
            return
        os.makedirs(os.path.dirname(out), exist_ok=True)
        pdf = subprocess.run(["man", "-l", "-Tpdf", page], capture_output=True).stdout
        if len(pdf) > 1000:
            with open(out, "wb") as f:
                f.write(pdf)

    with concurrent.futures.ThreadPoolExecutor(os.cpu_count()) as pool:
        list(pool.map(render, enumerate(pages)))


def fold_words(text):
    """Words as both indexes compare them: case and accents folded."""
    text = unicodedata.normalize("NFKD", text.casefold().replace("ß", "ss"))
    text = "".join(c for c in text if not unicodedata.combining(c))
    return re.findall(r"[^\W_]+", text)


def folder_bytes(folder):
    return sum(os.path.getsize(os.path.join(d, f)) for d, _, fs in os.walk(folder) for f in fs)


def manual_queries(texts, raw_breaks, seed=11):
    """45 queries: a few a user asked, single words of every frequency from the
    text, words a line end hyphenates in poppler's raw order, and pairs of
    words that share documents."""
    frequency = collections.Counter(w for words in texts.values() for w in words)
    common = [w for w, n in frequency.most_common() if len(w) > 3 and not w.isdigit()]
    pick = random.Random(seed)
    # Those a user found missing: words on different pages, split at a line end, other forms.
    queries = [q for q in ("checksum compressed", "parameter", "output", "die")
               if any(all(w in words for w in q.split()) for words in texts.values())]
    queries += [common[int(len(common) * (k / 15) ** 3)] for k in range(15)]
    queries += pick.sample(sorted(raw_breaks), min(10, len(raw_breaks)))
    middle = [w for w in common if 20 <= frequency[w] <= 300]
    while len(queries) < 45:
        a, b = pick.sample(middle, 2)
        if any(a in words and b in words for words in texts.values()):
            queries.append(f"{a} {b}")
    return queries


def compare_manuals(args, env, work):
    root = args.manuals_archive or os.path.join(work, "manuals")
    render_manuals(root, args.manuals)
    files = pdfs(root)
    texts, raw_breaks = {}, set()
    for f in files:
        texts[f] = set(fold_words(subprocess.run(["pdftotext", f, "-"], capture_output=True,
                                                 text=True).stdout))
        raw = subprocess.run(["pdftotext", "-raw", f, "-"], capture_output=True,
                             text=True).stdout
        for a, b in re.findall(r"([a-z]{3,})-\n([a-z]{3,})", raw):
            if a + b in texts[f]:
                raw_breaks.add(a + b)
    text_bytes = sum(len(subprocess.run(["pdftotext", f, "-"], capture_output=True).stdout)
                     for f in files)
    queries = manual_queries(texts, raw_breaks)

    cache = os.path.join(work, "manuals-cache")
    confdir = os.path.join(work, "recoll")
    os.makedirs(confdir, exist_ok=True)
    with open(os.path.join(confdir, "recoll.conf"), "w") as conf:
        conf.write(f"topdirs = {root}\nloglevel = 1\n")

    def ours_build():
        shutil.rmtree(cache, ignore_errors=True)
        subprocess.run([args.tool, "index", root, cache], check=True, env=env,
                       stdout=subprocess.DEVNULL)

    def recoll_build():
        shutil.rmtree(os.path.join(confdir, "xapiandb"), ignore_errors=True)
        subprocess.run(["recollindex", "-c", confdir, "-z"], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    ours_s = timed(ours_build, args.repeats)
    recoll_s = timed(recoll_build, args.repeats)
    ours_bytes = folder_bytes(cache)
    recoll_bytes = folder_bytes(os.path.join(confdir, "xapiandb"))

    def ours_query(words, limit, snippets):
        command = [args.tool, "print" if snippets else "query", root, cache]
        out = subprocess.run(command + ([str(limit), words] if snippets else ["1", words]),
                             check=True, env=env, capture_output=True, text=True).stdout
        return re.findall(r"^(?:found )?(/[^\t\n]*)", out, re.M)

    def recoll_query(words, limit, snippets):
        out = subprocess.run(["recollq", "-c", confdir, "-a", "-n", str(limit)]
                             + (["-A"] if snippets else ["-b"]) + words.split(),
                             capture_output=True, text=True).stdout
        return [p[len("file://"):] for p in re.findall(r"file://[^\]\n]*", out)]

    recall = {"docketeer": [], "recoll": []}
    missed = {"docketeer": [], "recoll": []}
    for words in queries:
        truth = {f for f, t in texts.items() if all(w in t for w in fold_words(words))}
        for name, run in (("docketeer", ours_query), ("recoll", recoll_query)):
            found = set(run(words, 100000, False))
            recall[name].append(len(truth & found) / len(truth) if truth else 1.0)
            if truth - found:
                missed[name].append(f"{words} ({len(truth - found)})")

    # Printing 1,000 hits with snippets: the first run of each query, then warm runs.
    busy = sorted(queries, key=lambda q: -sum(all(w in t for w in fold_words(q))
                                               for t in texts.values()))[:5]
    times = {(name, kind): [] for name in ("docketeer", "recoll") for kind in ("cold", "warm")}
    for words in busy:
        for name, run in (("docketeer", ours_query), ("recoll", recoll_query)):
            for attempt in range(1 + args.repeats):
                start = time.perf_counter()
                run(words, 1000, True)
                times[(name, "cold" if attempt == 0 else "warm")].append(
                    time.perf_counter() - start)

    def p95(values):
        values = sorted(values)
        return values[min(len(values) - 1, len(values) * 95 // 100)]

    print(f"\n{len(files)} manual pages as PDFs, {text_bytes} bytes of text, "
          f"{len(queries)} queries")
    print(f"{'':34}{'docketeer':>12}{'recoll':>12}{'ratio':>8}")
    rows = [("index build (s)", ours_s, recoll_s),
            ("index size (MB)", ours_bytes / 1e6, recoll_bytes / 1e6),
            ("recall (mean over queries)", statistics.mean(recall["docketeer"]),
             statistics.mean(recall["recoll"])),
            ("1,000 hits with snippets p95 cold (s)", p95(times[("docketeer", "cold")]),
             p95(times[("recoll", "cold")])),
            ("1,000 hits with snippets p95 warm (s)", p95(times[("docketeer", "warm")]),
             p95(times[("recoll", "warm")]))]
    for label, ours, theirs in rows:
        print(f"{label:34}{ours:12.3f}{theirs:12.3f}{ours / theirs:8.2f}")
    print(f"index size against the text: {ours_bytes / text_bytes:.2f}x")
    for name in missed:
        if missed[name]:
            print(f"{name} missed: " + ", ".join(missed[name]))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    parser.add_argument("--documents", type=int, default=200)
    parser.add_argument("--pages", type=int, default=10)
    parser.add_argument("--synthetic-pages", type=int, default=100000)
    parser.add_argument("--repeats", type=int, default=3)
    parser.add_argument("--manuals", type=int, default=0,
                        help="also compare with recoll over this many manual pages")
    parser.add_argument("--manuals-archive", help="keep the rendered manual pages here")
    parser.add_argument("--skip-synthetic", action="store_true",
                        help="only the manual pages")
    args = parser.parse_args()
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    work = tempfile.mkdtemp(prefix="search-bench-")
    try:
        if args.manuals:
            compare_manuals(args, env, work)
        if args.skip_synthetic:
            return
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
