#!/usr/bin/env python3
"""Host-side half of bench/run: finds the Linux processes behind the Windows ones, reads their
counters from /proc, watches relay logs for the session-end call and writes the results.

Subcommands (all output is plain text or JSON on stdout):
  pid SUFFIX                       Linux pid of the Wine process whose argv[0] ends with SUFFIX
  serverpid PREFIX                 Linux pid of the wineserver of that Wine prefix
  sample PID...                    one JSON object of counters per pid (one line each)
  idle OUT SECONDS STEP NAME=PID...  samples every STEP seconds for SECONDS, writes JSON to OUT
  watch OUT MINUTE_EPOCH LOG...    polls the logs every 5 ms around the minute, writes JSON to OUT
  report ...                       see cmd_report
"""

import json
import os
import statistics
import sys
import time

RELAY_MARK = b"Call user32.ExitWindowsEx("
POLL_SECONDS = 0.005


def read(path, mode="r"):
    with open(path, mode) as f:
        return f.read()


def find_pid(suffix):
    """The Wine process whose Windows command line starts with a path ending in SUFFIX."""
    suffix = suffix.lower()
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            argv0 = read(f"/proc/{entry}/cmdline", "rb").split(b"\0", 1)[0]
        except OSError:
            continue
        if argv0.decode("utf-8", "replace").lower().endswith(suffix):
            found.append(int(entry))
    return found


def status_fields(pid):
    fields = {}
    for line in read(f"/proc/{pid}/status").splitlines():
        key, _, value = line.partition(":")
        fields[key] = value.strip()
    return fields


def kib(fields, key):
    value = fields.get(key, "0 kB").split()
    return int(value[0]) if value else 0


def sample(pid):
    """Counters of one process, its threads summed."""
    stat = read(f"/proc/{pid}/stat")
    # Fields after the parenthesised name; utime and stime are fields 14 and 15.
    after = stat[stat.rindex(")") + 2:].split()
    ticks = int(after[11]) + int(after[12])
    status = status_fields(pid)
    run_ns = voluntary = involuntary = 0
    threads = 0
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            run_ns += int(read(f"/proc/{pid}/task/{tid}/schedstat").split()[0])
            task = status_fields(f"{pid}/task/{tid}")
        except (OSError, ValueError, IndexError):
            continue  # the thread ended meanwhile
        voluntary += int(task.get("voluntary_ctxt_switches", 0))
        involuntary += int(task.get("nonvoluntary_ctxt_switches", 0))
        threads += 1
    return {
        "pid": pid,
        "time": time.time(),
        "cpu_ticks": ticks,
        "clk_tck": os.sysconf("SC_CLK_TCK"),
        "run_ns": run_ns,
        "voluntary": voluntary,
        "involuntary": involuntary,
        "threads": threads,
        "vmrss_kib": kib(status, "VmRSS"),
        "rss_anon_kib": kib(status, "RssAnon"),
        "rss_file_kib": kib(status, "RssFile"),
        "vmhwm_kib": kib(status, "VmHWM"),
    }


def cmd_pid(args):
    pids = find_pid(args[0])
    if len(pids) != 1:
        print(f"expected one process ending in {args[0]}, found {pids}", file=sys.stderr)
        return 1
    print(pids[0])
    return 0


def cmd_serverpid(args):
    """The wineserver of the prefix ARGS[0]: it works in a folder named server-DEV-INODE."""
    info = os.stat(args[0])
    want = f"/server-{info.st_dev:x}-{info.st_ino:x}"
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            if read(f"/proc/{entry}/comm").strip().startswith("wineserver") and \
                    os.readlink(f"/proc/{entry}/cwd").endswith(want):
                print(entry)
                return 0
        except OSError:
            continue
    print(f"no wineserver working in a folder ending {want}", file=sys.stderr)
    return 1


def cmd_sample(args):
    for pid in args:
        print(json.dumps(sample(int(pid))))
    return 0


def cmd_idle(args):
    out, seconds, step = args[0], float(args[1]), float(args[2])
    names = dict(item.split("=", 1) for item in args[3:])
    series = {name: [] for name in names}
    start = time.monotonic()
    tick = 0
    while True:
        for name, pid in names.items():
            series[name].append(sample(int(pid)))
        if tick * step >= seconds:
            break
        tick += 1
        time.sleep(max(0.0, start + tick * step - time.monotonic()))
    with open(out, "w") as f:
        json.dump(series, f)
    return 0


def cmd_watch(args):
    """Time of the first session-end call in each log, polled every 5 ms."""
    out, minute = args[0], float(args[1])
    logs = args[2:]
    seen = {}
    offsets = {log: 0 for log in logs}
    tails = {log: b"" for log in logs}
    deadline = minute + 8.0
    polls = 0
    while len(seen) < len(logs) and time.time() < deadline:
        for log in logs:
            if log in seen:
                continue
            try:
                with open(log, "rb") as f:
                    f.seek(offsets[log])
                    chunk = f.read()
            except OSError:
                continue
            now = time.time()
            if not chunk:
                continue
            offsets[log] += len(chunk)
            text = tails[log] + chunk
            at = text.find(RELAY_MARK)
            if at >= 0:
                end = text.find(b")", at)
                seen[log] = {"detected": now, "latency": now - minute,
                             "call": text[at:end + 1].decode("ascii", "replace")}
            tails[log] = text[-len(RELAY_MARK):]
        polls += 1
        time.sleep(POLL_SECONDS)
    with open(out, "w") as f:
        json.dump({"minute": minute, "polls": polls, "seen": seen, "logs": logs}, f)
    return 0


# --- report -------------------------------------------------------------------------------------

def kv_lines(path):
    """key=value pairs of every line of a driver output file."""
    rows = []
    for line in read(path).splitlines():
        pairs = dict(part.split("=", 1) for part in line.split() if "=" in part)
        if pairs:
            rows.append(pairs)
    return rows


def median(values):
    return statistics.median(values) if values else float("nan")


def fmt(value, digits=1):
    if value != value:  # NaN
        return "n/a"
    return f"{value:,.{digits}f}"


def ratio(program, floor):
    if floor == 0 or floor != floor or program != program:
        return "n/a"
    return f"{program / floor:.2f}x"


def verdict(ok):
    return "met" if ok else "**MISSED**"


def startup_steps(path, start):
    """The timestamps file of the program built with them: (step, ms since the driver's start)."""
    lines = read(path).splitlines()
    per_second = int(lines[0].split(" ", 1)[0])
    t0, ticks = int(start["t0_ticks"]), int(start["ticks_per_s"])
    if per_second != ticks:
        raise ValueError(f"{path}: counter frequency {per_second}, the driver's {ticks}")
    steps = []
    for line in lines[1:]:
        at, name = line.split(" ", 1)
        steps.append((name, (int(at) - t0) * 1000.0 / ticks))
    return steps


def cmd_report(args):
    """report WORK OUT_TABLE: reads WORK/*.tsv/json written by bench/run, writes the markdown table."""
    work, out = args[0], args[1]
    meta = json.loads(read(os.path.join(work, "meta.json")))
    lines = []
    add = lines.append

    # Start-up and memory, one row per round and program.
    runs = {}
    for line in read(os.path.join(work, "startup.tsv")).splitlines():
        round_no, who, driver_out, mem_out, host_json, times = line.split("\t")
        start = kv_lines(driver_out)[-1]
        run = {
            "round": int(round_no),
            "window_ms": float(start["window_ms"]), "tray_ms": float(start["tray_ms"]),
            "ready_ms": float(start["ready_ms"]), "idle_ms": float(start["idle_ms"]),
            "last_tray_change_ms": float(start["last_tray_change_ms"]),
            "trays_after": int(start["trays_after"]) - int(start["trays_before"]),
            "seen_visible": int(start["seen_visible"]),
        }
        if mem_out:
            mem = kv_lines(mem_out)[-1]
            host = json.loads(read(host_json).splitlines()[0])
            run.update({
                "ws_kib": int(mem["ws"]) / 1024, "start_cpu_ms": float(mem["cpu_ms"]),
                "vmrss_kib": host["vmrss_kib"], "rss_anon_kib": host["rss_anon_kib"],
                "threads": host["threads"],
            })
        if times:
            run["steps"] = startup_steps(times, start)
        runs.setdefault(who, []).append(run)

    def med(who, key):
        return median([r[key] for r in runs[who]])

    def round_ratios(key, reference):
        """The program's value over the reference's in each round."""
        by_round = {r["round"]: r[key] for r in runs[reference]}
        return sorted(r[key] / by_round[r["round"]] for r in runs["program"]
                      if by_round.get(r["round"], 0) > 0)

    idle = json.loads(read(os.path.join(work, "idle.json")))

    def idle_delta(who, key):
        series = idle[who]
        return series[-1][key] - series[0][key]

    def idle_slices(who, key):
        series = idle[who]
        return [b[key] - a[key] for a, b in zip(series, series[1:])]

    idle_seconds = idle["program"][-1]["time"] - idle["program"][0]["time"]
    latency = json.loads(read(os.path.join(work, "latency.json")))
    sizes = json.loads(read(os.path.join(work, "sizes.json")))

    n = len(runs["program"])
    job_limit, wakeups_limit = meta["job_floor_limit"], meta["wakeups_limit"]
    rows = []  # (metric, program, floor, job floor, to floor, to job floor, target, verdict)

    def target_text(reference, limit):
        return f"≤ {limit}x {'job floor' if reference == 'jobfloor' else 'floor'}"

    def compared(metric, p, f, j, digits=1, reference=None, limit=None):
        """One row from three values; the verdict is the program's ratio to `reference`."""
        values = {"floor": f, "jobfloor": j}
        row = [metric, fmt(p, digits), fmt(f, digits), fmt(j, digits), ratio(p, f), ratio(p, j), "(context)", ""]
        if reference is not None:
            ok = values[reference] > 0 and p / values[reference] <= limit
            row[6], row[7] = target_text(reference, limit), verdict(ok)
        rows.append(tuple(row))

    def compared_by_round(metric, key, reference, limit):
        """Medians of the values; ratios as the median of the rounds' ratios, their minimum beside it."""
        to = {who: round_ratios(key, who) for who in ("floor", "jobfloor")}
        cells = [f"{median(to[who]):.2f}x (min {to[who][0]:.2f}x)" if to[who] else "n/a"
                 for who in ("floor", "jobfloor")]
        ok = bool(to[reference]) and median(to[reference]) <= limit
        rows.append((metric, fmt(med("program", key)), fmt(med("floor", key)), fmt(med("jobfloor", key)),
                     cells[0], cells[1], target_text(reference, limit), verdict(ok)))

    compared_by_round(f"start to tray: icon up, window hidden, idle in its loop, ms (median of {n})",
                      "ready_ms", "jobfloor", job_limit)
    compared_by_round("  process start to first tray icon, ms", "tray_ms", "floor", meta["first_icon_limit"])
    compared("  process start to main window created, ms", med("program", "window_ms"),
             med("floor", "window_ms"), med("jobfloor", "window_ms"))
    compared("  the program without its pictures: start to tray, ms", med("nopictures", "ready_ms"),
             med("floor", "ready_ms"), med("jobfloor", "ready_ms"))
    compared("  the program with its start-up timestamps: start to tray, ms", med("traced", "ready_ms"),
             med("floor", "ready_ms"), med("jobfloor", "ready_ms"))
    compared("private memory RssAnon after 2 s, MiB", med("program", "rss_anon_kib") / 1024,
             med("floor", "rss_anon_kib") / 1024, med("jobfloor", "rss_anon_kib") / 1024, 2,
             "jobfloor", job_limit)
    compared("  resident memory VmRSS after 2 s, MiB", med("program", "vmrss_kib") / 1024,
             med("floor", "vmrss_kib") / 1024, med("jobfloor", "vmrss_kib") / 1024, 2)
    compared("  the program without its pictures: RssAnon, MiB", med("nopictures", "rss_anon_kib") / 1024,
             med("floor", "rss_anon_kib") / 1024, med("jobfloor", "rss_anon_kib") / 1024, 2)
    compared("  working set, K32GetProcessMemoryInfo, MiB", med("program", "ws_kib") / 1024,
             med("floor", "ws_kib") / 1024, med("jobfloor", "ws_kib") / 1024, 2)
    compared("  CPU time of start-up (GetProcessTimes), ms", med("program", "start_cpu_ms"),
             med("floor", "start_cpu_ms"), med("jobfloor", "start_cpu_ms"))
    compared(f"idle CPU time over {idle_seconds:.0f} s armed, ms (schedstat)",
             *(idle_delta(who, "run_ns") / 1e6 for who in ("program", "floor", "jobfloor")))
    # One window is noisy (tens of microseconds a second): the verdict is the median of the
    # slices' ratios, each slice the program and the job floor side by side.
    slice_ratios = sorted(p / j for p, j in zip(idle_slices("program", "run_ns"), idle_slices("jobfloor", "run_ns"))
                          if j > 0)
    slice_ok = bool(slice_ratios) and median(slice_ratios) <= job_limit
    rows.append((f"  idle CPU, median over the {len(slice_ratios)} idle slices of {meta['idle_step']} s",
                 "", "", "", "", f"{median(slice_ratios):.2f}x" if slice_ratios else "n/a",
                 target_text("jobfloor", job_limit), verdict(slice_ok)))
    compared(f"  idle CPU time over {idle_seconds:.0f} s, utime+stime ticks of 10 ms",
             *(idle_delta(who, "cpu_ticks") for who in ("program", "floor", "jobfloor")), digits=0)
    compared(f"wake-ups over {idle_seconds:.0f} s: voluntary context switches",
             *(idle_delta(who, "voluntary") for who in ("program", "floor", "jobfloor")), digits=0,
             reference="floor", limit=wakeups_limit)
    compared(f"  involuntary context switches over {idle_seconds:.0f} s",
             *(idle_delta(who, "involuntary") for who in ("program", "floor", "jobfloor")), digits=0)
    compared("  resident memory VmRSS at the end of idle, MiB",
             *(idle[who][-1]["vmrss_kib"] / 1024 for who in ("program", "floor", "jobfloor")), digits=2)

    baseline = meta["size_baseline_kib"]
    for arch in ("x64", "x86"):
        f, j = sizes[f"floor_{arch}"], sizes[f"jobfloor_{arch}"]
        for name, label in (("program", "with pictures"), ("nopictures", "without pictures")):
            p = sizes[f"{name}_{arch}"]
            limit = baseline[f"{name}_{arch}"]
            rows.append((f"exe size {arch} {label}, KiB", fmt(p["bytes"] / 1024), fmt(f["bytes"] / 1024),
                         fmt(j["bytes"] / 1024), ratio(p["bytes"], f["bytes"]), ratio(p["bytes"], j["bytes"]),
                         f"≤ {limit} KiB (as at {meta['size_baseline_commit']})",
                         verdict(p["bytes"] <= limit * 1024)))
        q = sizes[f"nopictures_{arch}"]
        rows.append((f"  the same stripped (objcopy --strip-all), KiB", fmt(q["stripped"] / 1024),
                     fmt(f["stripped"] / 1024), fmt(j["stripped"] / 1024), ratio(q["stripped"], f["stripped"]),
                     ratio(q["stripped"], j["stripped"]), "(context)", ""))

    samples = [s["latency"] for s in latency["samples"]]
    missing = latency["expected"] - len(samples)
    lat_limit = meta["latency_limit_s"]
    lat_ok = bool(samples) and max(samples) <= lat_limit and missing == 0
    rows.append((f"trigger latency, s: median of {len(samples)} (of {latency['expected']} runs)",
                 fmt(median(samples), 3), "", "", "", "", "", ""))
    rows.append(("trigger latency, s: min / max",
                 f"{fmt(min(samples), 3) if samples else 'n/a'} / {fmt(max(samples), 3) if samples else 'n/a'}",
                 "", "", "", "", f"max ≤ {lat_limit} s, every run", verdict(lat_ok)))

    add("| measure | program | floor | job floor | program / floor | program / job floor | target | |")
    add("|---|---:|---:|---:|---:|---:|---|---|")
    for row in rows:
        add("| " + " | ".join(row) + " |")
    add("")

    # Where the program's start-up time goes: the run of the program with its timestamps whose
    # start to tray was the median one.
    traced = sorted((r for r in runs["traced"] if "steps" in r), key=lambda r: r["ready_ms"])
    if traced:
        middle = traced[(len(traced) - 1) // 2]
        add(f"Start-up steps of the median run of the program with its timestamps (round {middle['round']}, "
            f"start to tray {fmt(middle['ready_ms'])} ms; ms from just before CreateProcessW):")
        add("")
        add("| step | at, ms | took, ms | median over the runs, ms |")
        add("|---|---:|---:|---:|")
        previous = 0.0
        for index, (name, at) in enumerate(middle["steps"]):
            took = [r["steps"][index][1] - (r["steps"][index - 1][1] if index else 0.0)
                    for r in traced if len(r["steps"]) > index and r["steps"][index][0] == name]
            add(f"| {name} | {fmt(at)} | {fmt(at - previous)} | {fmt(median(took))} |")
            previous = at
        add(f"| the driver sees it up: tray icon, window hidden, idle | "
            f"{fmt(middle['ready_ms'])} | {fmt(middle['ready_ms'] - previous)} | |")
        add("")

    # Spread, so that a reader can judge the medians.
    def spread(who, key, scale=1.0, digits=1):
        values = sorted(r[key] / scale for r in runs[who])
        return ", ".join(fmt(v, digits) for v in values)

    add("Per-run values (sorted):")
    add("")
    for reference in ("floor", "jobfloor"):
        for key, label in (("ready_ms", "start to tray"), ("tray_ms", "first icon")):
            add(f"- program / {reference}, {label}, per round: "
                f"{', '.join(f'{v:.2f}' for v in round_ratios(key, reference))}")
    for who in ("program", "floor", "jobfloor", "nopictures", "traced"):
        add(f"- {who} start to tray, ms: {spread(who, 'ready_ms')}; first icon: {spread(who, 'tray_ms')}; "
            f"last change of the tray within 500 ms after: {spread(who, 'last_tray_change_ms')}; "
            f"icons it left: {spread(who, 'trays_after', 1, 0)}")
        if "vmrss_kib" in runs[who][0]:
            add(f"- {who} VmRSS, MiB: {spread(who, 'vmrss_kib', 1024, 2)}; RssAnon, MiB: "
                f"{spread(who, 'rss_anon_kib', 1024, 2)}; threads {spread(who, 'threads', 1, 0)}")
        seen = sum(r["seen_visible"] for r in runs[who])
        add(f"- {who}: main window seen visible during start-up in {seen} of {len(runs[who])} runs")
    for who in ("program", "floor", "jobfloor"):
        cpu = [v / 1e6 for v in idle_slices(who, "run_ns")]
        vol = idle_slices(who, "voluntary")
        add(f"- {who} idle, per {meta['idle_step']:.0f} s slice: CPU ms {', '.join(fmt(v) for v in cpu)}; "
            f"voluntary switches {', '.join(str(v) for v in vol)}")
    add(f"- wineserver (shared by all three and explorer, not attributable) over the idle window: "
        f"{fmt(idle_delta('wineserver', 'run_ns') / 1e6)} ms CPU, "
        f"{idle_delta('wineserver', 'voluntary')} voluntary switches")
    add(f"- trigger latencies, s: {', '.join(fmt(s, 3) for s in sorted(samples))}")
    calls = sorted({s["call"] for s in latency["samples"]})
    add(f"- calls seen: {'; '.join(calls) if calls else 'none'}")
    if latency.get("notes"):
        for note in latency["notes"]:
            add(f"- latency note: {note}")
    add("")
    add("Imported DLLs (objdump -p):")
    add("")
    for key in ("program_x64", "nopictures_x64", "floor_x64", "jobfloor_x64", "program_x86", "floor_x86",
                "jobfloor_x86"):
        add(f"- {key}: {', '.join(sizes[key]['imports'])}")
    add("")
    with open(out, "w") as f:
        f.write("\n".join(lines))
    print("\n".join(lines))
    return 0


def cmd_sizes(args):
    """sizes OUT NAME=PATH:OBJDUMP:OBJCOPY...: file sizes, stripped sizes and imported DLLs."""
    import subprocess
    import tempfile
    out = args[0]
    result = {}
    for item in args[1:]:
        name, entry = item.split("=", 1)
        path, objdump, objcopy = entry.split(":")
        dump = subprocess.run([objdump, "-p", path], check=True, capture_output=True, text=True).stdout
        imports = sorted({line.split("DLL Name:", 1)[1].strip()
                          for line in dump.splitlines() if "DLL Name:" in line}, key=str.lower)
        with tempfile.TemporaryDirectory() as tmp:
            stripped = os.path.join(tmp, "stripped.exe")
            subprocess.run([objcopy, "--strip-all", path, stripped], check=True)
            stripped_size = os.path.getsize(stripped)
        result[name] = {"path": path, "bytes": os.path.getsize(path), "stripped": stripped_size,
                        "imports": imports}
    with open(out, "w") as f:
        json.dump(result, f)
    return 0


def cmd_latency(args):
    """latency OUT EXPECTED WATCH_JSON...: merges the rounds' watch files."""
    out, expected = args[0], int(args[1])
    samples, notes = [], []
    for path in args[2:]:
        watch = json.loads(read(path))
        for log in watch["logs"]:
            if log in watch["seen"]:
                entry = watch["seen"][log]
                entry["log"] = log
                samples.append(entry)
            else:
                notes.append(f"no session-end call seen within 8 s of the minute in {log}")
    with open(out, "w") as f:
        json.dump({"expected": expected, "samples": samples, "notes": notes}, f)
    return 0


def cmd_splice(args):
    """splice RESULTS SECTION: puts SECTION between the bench marks of RESULTS (or appends it)."""
    results, section = args[0], read(args[1])
    begin, end = "<!-- bench:begin -->", "<!-- bench:end -->"
    old = read(results) if os.path.exists(results) else "# Measured results\n\n"
    if begin in old and end in old:
        head = old[:old.index(begin)]
        # Drop the explanatory comment line just before the begin mark; the section brings it again.
        head_lines = head.rstrip("\n").split("\n")
        if head_lines and head_lines[-1].startswith("<!-- bench/run writes"):
            head_lines.pop()
        head = "\n".join(head_lines) + ("\n" if head_lines and head_lines != [""] else "")
        tail = old[old.index(end) + len(end):]
        new = head + section.rstrip("\n") + tail
    else:
        new = old.rstrip("\n") + "\n\n" + section
    with open(results, "w") as f:
        f.write(new if new.endswith("\n") else new + "\n")
    return 0


def main():
    commands = {"pid": cmd_pid, "serverpid": cmd_serverpid, "sample": cmd_sample, "idle": cmd_idle, "watch": cmd_watch,
                "latency": cmd_latency, "sizes": cmd_sizes, "splice": cmd_splice, "report": cmd_report}
    if len(sys.argv) < 2 or sys.argv[1] not in commands:
        print(__doc__, file=sys.stderr)
        return 2
    return commands[sys.argv[1]](sys.argv[2:])


if __name__ == "__main__":
    sys.exit(main())
