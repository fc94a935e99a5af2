"""The figures of scripts/bench.sh, from the lines its runs left behind.

    bench_report.py main  RESULTS WORK   start-up, memory, extraction, 2,000 targets
    bench_report.py costs RESULTS WORK   reference variants and in-process steps

RESULTS holds one line per start, "LABEL<TAB>ROUND<TAB>key=value ...", in
the order the starts ran; round 0 is the warm-up, left out. Each measured
start pairs with the reference start just before it.
"""
import os
import re
import statistics
import subprocess
import sys


def read_runs(path):
    runs = []
    with open(path) as f:
        for line in f:
            label, rnd, fields = line.rstrip("\n").split("\t")
            values = {k: float(v) for k, v in (x.split("=") for x in fields.split())}
            runs.append((label, int(rnd), values))
    return runs


def pairs_after(runs, reference):
    """{label: [(reference values, values)]} for the measured rounds."""
    paired = {}
    previous = None
    for label, rnd, values in runs:
        if label == reference:
            previous = values
        elif previous is not None and rnd > 0:
            paired.setdefault(label, []).append((previous, values))
            previous = None
    return paired


def med(xs):
    return statistics.median(xs) if xs else float("nan")


def mib(kib):
    return kib / 1024.0


def header(what):
    try:
        wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    except OSError:
        wine = "wine ?"
    print(f"Larkspan {what}: {wine}, {os.cpu_count()} CPUs, load average {os.getloadavg()[0]:.2f}")


def main_report(runs, work):
    paired = pairs_after(runs, "reference")
    count = len(paired.get("empty", []))
    header("start-up benchmark")
    print("reference: empty_window.exe, an empty tool window with the bar's manifest and static flags")
    print("start to visible window, from CreateProcess to the window shown, answering and painted;")
    print(f"medians of {count} alternating pairs after a warm-up round")
    print()
    print(f"  {'':26}{'reference':>10}{'bar':>9}{'ratio':>7}   ratio of each pair")
    names = {"empty": "empty catalogue", "b200": "200 buttons (10 x 20)"}
    for label in ("empty", "b200"):
        ps = paired.get(label, [])
        ratios = [b["visible_ms"] / r["visible_ms"] for r, b in ps]
        print(f"  {names[label]:26}{med([r['visible_ms'] for r, _ in ps]):>7.0f} ms"
              f"{med([b['visible_ms'] for _, b in ps]):>6.0f} ms{med(ratios):>7.2f}   "
              + " ".join(f"{x:.2f}" for x in ratios))
    print()
    print("working set 0.5 s after visible (medians; difference: median of the pairs):")
    refs = [r for ps in paired.values() for r, _ in ps]
    def threads(runs):
        return f"{med([v.get('threads', -1) for v in runs]):.0f}"
    print(f"  {'reference':26}{mib(med([r['ws_settled_kib'] for r in refs])):>6.1f} MiB"
          f"  (peak {mib(med([r['peak_ws_kib'] for r in refs])):.1f})  threads {threads(refs)}")
    for label in ("empty", "b200"):
        ps = paired.get(label, [])
        diff = med([b["ws_settled_kib"] - r["ws_settled_kib"] for r, b in ps])
        print(f"  {'bar, ' + names[label]:26}{mib(med([b['ws_settled_kib'] for _, b in ps])):>6.1f} MiB"
              f"  (peak {mib(med([b['peak_ws_kib'] for _, b in ps])):.1f})  difference {mib(diff):+.1f} MiB"
              f"  threads {threads([b for _, b in ps])}")
    print("  (under Wine each thread holds about 1 MiB of working set)")
    print()

    with open(os.path.join(work, "load_bench-icons.txt")) as f:
        text = f.read()
    each = re.search(r"ExtractIcons \+ StorePictures: mean ([\d.]+) ms \(([\d.]+) \+ ([\d.]+)\), "
                     r"median ([\d.]+) \+ ([\d.]+) ms", text)
    whole = re.search(r"per extracted icon, load difference: ([-\d.]+) ms", text)
    if each and whole:
        print("icon extraction per icon, both sizes (load_bench icons 200):")
        print(f"  mean {float(each.group(1)):.2f} ms (extract {float(each.group(2)):.2f} + store in the lists "
              f"{float(each.group(3)):.2f}), median {float(each.group(4)) + float(each.group(5)):.2f} ms; "
              f"within a whole load {float(whole.group(1)):.2f} ms")
    else:
        print("icon extraction: load_bench gave no figures:\n" + text)
    print()

    with open(os.path.join(work, "foldermenu_bench.txt")) as f:
        text = f.read()
    items = re.search(r"^items (\d+)$", text, re.M)
    first = re.search(r"^first_ms (-?\d+)$", text, re.M)
    opens = re.search(r"^open_ms ([-\d ]+)$", text, re.M)
    if items and first and opens:
        times = [int(t) for t in opens.group(1).split()]
        print(f"a folder button's menu of {int(items.group(1)):,} items (foldermenu_bench), click to the menu "
              "on screen and idle:")
        print(f"  first open {int(first.group(1))} ms; then median {med(times):.0f} ms of {len(times)} opens "
              f"({' '.join(map(str, times))})")
    else:
        print("folder menu: foldermenu_bench gave no figures:\n" + text)
    print()

    empty = med([b["visible_ms"] for _, b in paired.get("empty", [])])
    for label, what in (("b2000", "first starts, no picture cache"), ("b2000cached", "with the picture cache")):
        big = [v for lab, rnd, v in runs if lab == label]
        if not big:
            continue
        usable = med([v["usable_ms"] for v in big])
        print(f"2,000 program targets (40 sections x 50 programs with an icon), {what}; "
              f"medians of {len(big)} starts:")
        print(f"  {'window visible':44}{med([v['visible_ms'] for v in big]) / 1000:>7.2f} s")
        print(f"  {'usable bar (shown toolbar has its buttons)':44}{usable / 1000:>7.2f} s")
        print(f"  {'all pictures shown on that toolbar':44}{med([v['pictures_ms'] for v in big]) / 1000:>7.2f} s"
              f"  (seen by {med([v['pictures_seen_ms'] for v in big]) / 1000:.2f} s)")
        every = [v["all_pictures_ms"] for v in big if v.get("all_pictures_ms", -1) >= 0]
        if every:
            # Pictures are made as their section is first shown: the cache
            # is written once the shown section's are in.
            print(f"  {'the shown section in the picture cache':44}{med(every) / 1000:>7.2f} s"
                  "  (other sections: when first shown)")
        print(f"  {'usable, per program beyond the empty bar':44}{(usable - empty) / 2000:>7.2f} ms")
        print(f"  {'working set':44}{mib(med([v['ws_settled_kib'] for v in big])):>7.1f} MiB"
              f"  (peak {mib(med([v['peak_ws_kib'] for v in big])):.1f})")


STEP = re.compile(r"^  (\S.*?)\s+(-?[\d.]+) ms(?:\s+([+-]?[\d.]+) MiB)?")


def read_steps(path):
    """[(name, ms, MiB)] of a load_bench startup report, in its order."""
    rows = []
    with open(path) as f:
        for line in f:
            m = STEP.match(line)
            if m:
                rows.append((m.group(1), float(m.group(2)), float(m.group(3)) if m.group(3) else None))
    return rows


COMMON_STEPS = ("to_main", "window", "show")


def read_log(work, values):
    """{step: ms} that a reference start wrote, or {}."""
    path = os.path.join(work, "logs", f"{int(values['run'])}.txt")
    if not os.path.exists(path):
        return {}
    with open(path) as f:
        return {name: float(ms) for name, ms in (line.split() for line in f if line.strip())}


def costs_report(runs, work):
    paired = pairs_after(runs, "plain")
    header("start-up costs")
    plain = [r for ps in paired.values() for r, _ in ps]
    plain_logs = [log for log in (read_log(work, r) for r in plain) if log]
    print("the reference window with one thing added, against the plain reference; "
          f"medians of {len(next(iter(paired.values()), []))} alternating pairs:")
    print("  own steps    the added steps, timed inside the variant")
    print("  to main      difference in the time from process creation to wWinMain (the imports' share)")
    print("  after main   difference in the steps after wWinMain: whatever starts the display driver first")
    print("               pays for it, so some of the plain window's own cost can move into an added step")
    print("  visible      difference in start-to-visible time (noisy on a busy machine)")
    print("  working set  difference 0.2 s after visible")
    print()
    print(f"  plain reference: visible {med([r['visible_ms'] for r in plain]):.0f} ms, "
          f"working set {mib(med([r['ws_settled_kib'] for r in plain])):.1f} MiB; inside it: "
          + ", ".join(f"{step} {med([log[step] for log in plain_logs if step in log]):.1f} ms"
                      for step in COMMON_STEPS))
    print()
    print(f"  {'':44}{'own steps':>10}{'to main':>10}{'after main':>11}{'visible':>9}{'working set':>13}")

    def after_main(log):
        return sum(ms for step, ms in log.items() if step != "to_main")

    for label, ps in paired.items():
        # A start ended before its log was written has none: left out.
        logs = [(lr, lv) for lr, lv in ((read_log(work, r), read_log(work, v)) for r, v in ps) if lr and lv]
        own = med([sum(ms for step, ms in v.items() if step not in COMMON_STEPS) for _, v in logs])
        to_main = med([v.get("to_main", 0) - r.get("to_main", 0) for r, v in logs])
        after = med([after_main(v) - after_main(r) for r, v in logs])
        diff = med([v["visible_ms"] - r["visible_ms"] for r, v in ps])
        ws = med([v["ws_settled_kib"] - r["ws_settled_kib"] for r, v in ps])
        print(f"  {label:44}{own:>7.1f} ms{to_main:>+7.0f} ms{after:>+8.0f} ms{diff:>+6.0f} ms{mib(ws):>+9.1f} MiB")
    for ini, what in (("empty", "empty catalogue"), ("200", "200 buttons")):
        files = sorted(f for f in os.listdir(work) if f.startswith(f"steps-{ini}-"))
        reports = [read_steps(os.path.join(work, f)) for f in files]
        if not reports:
            continue
        print()
        print(f"the bar's start-up steps in-process, {what} (load_bench startup; medians of {len(reports)} runs):")
        by_name = [{name: (ms, mb) for name, ms, mb in report} for report in reports]
        for name, _, _ in reports[0]:
            ms = med([r[name][0] for r in by_name if name in r])
            mbs = [r[name][1] for r in by_name if name in r and r[name][1] is not None]
            memory = ""
            if mbs:
                memory = f"{med(mbs):>7.1f} MiB" if name == "total" else f"{med(mbs):>+7.1f} MiB"
            print(f"  {name:52}{ms:>8.1f} ms{memory}")
            if name == "total":
                print("  inside the load:")


def main():
    mode, results, work = sys.argv[1:4]
    runs = read_runs(results)
    if mode == "costs":
        costs_report(runs, work)
    else:
        main_report(runs, work)


if __name__ == "__main__":
    main()
