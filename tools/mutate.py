#!/usr/bin/env python3
"""Plants faults from a faults file into a tree one at a time and runs a test command.

Each fault's `find` text must occur exactly once in its file. The original bytes
are always put back, also after a run that died: a backup is kept under --logs
until the file is restored. Results: caught (command exit != 0), missed (exit 0),
build (exit == --build-code: the fault did not build), timeout, bad-find.
The command sees the fault as MUTANT_ID and MUTANT_FILE in its environment.

  tools/mutate.py tools/faults.txt --tree . --cmd "scripts/test" --logs build/mutants
  tools/mutate.py tools/faults.txt --list
"""
import argparse, os, re, signal, subprocess, sys, time


def parse_faults(path):
    faults, fault, part = [], None, None
    for line in open(path, encoding="utf-8").read().split("\n"):
        header = re.match(r"## ([\w.-]+): (.*)$", line) if part is None else None
        if header:
            fault = {"id": header.group(1), "what": header.group(2), "file": "", "find": [], "replace": []}
            faults.append(fault)
        elif fault is None:
            continue
        elif part is None and line.startswith("file: "):
            fault["file"] = line[6:].strip()
        elif part is None and line == "find:":
            part = "find"
        elif part == "find" and line == "replace:":
            part = "replace"
        elif part == "replace" and line == "==":
            fault, part = None, None
        elif part is not None:
            fault[part].append(line)
    for f in faults:
        if not f["file"] or not f["find"]:
            sys.exit("fault %s: needs file: and find:" % f["id"])
        f["find"], f["replace"] = "\n".join(f["find"]).encode(), "\n".join(f["replace"]).encode()
    if len({f["id"] for f in faults}) != len(faults):
        sys.exit("duplicate fault ids")
    return faults


def restore_pending(mark, backup):
    """Puts back a file that an interrupted run left planted."""
    if os.path.exists(mark):
        target = open(mark, encoding="utf-8").read()
        with open(backup, "rb") as src, open(target, "wb") as dst:
            dst.write(src.read())
        print("restored %s from an interrupted run" % target)
        os.remove(mark)
    if os.path.exists(backup):
        os.remove(backup)


def first_failure(log_path):
    """The first failure as `ctest test: gtest case`, or the first compiler error."""
    text = open(log_path, encoding="utf-8", errors="replace").read()
    ctest = re.search(r"Test\s+#\d+: (\S+) \.*\*+(Failed|Timeout|Exception\S*)", text)
    gtest = re.search(r"^\[  FAILED  \] (\S+)", text, re.M)
    parts = [ctest.group(1) + ("" if ctest.group(2) == "Failed" else " " + ctest.group(2))] if ctest else []
    parts += [gtest.group(1).rstrip(",")] if gtest else []
    error = re.search(r"error: (.*)", text)
    return ": ".join(parts) if parts else error.group(1)[:100] if error else ""


def run_fault(fault, args, mark, backup):
    path = os.path.join(args.tree, fault["file"])
    original = open(path, "rb").read()
    if original.count(fault["find"]) != 1:
        return "bad-find", 0.0, "find text occurs %d times" % original.count(fault["find"])
    with open(backup, "wb") as f:
        f.write(original)
    with open(mark, "w", encoding="utf-8") as f:
        f.write(os.path.abspath(path))
    log_path = os.path.join(args.logs, fault["id"] + ".log")
    start, code = time.time(), None
    try:
        with open(path, "wb") as f:
            f.write(original.replace(fault["find"], fault["replace"]))
        env = dict(os.environ, MUTANT_ID=fault["id"], MUTANT_FILE=fault["file"])
        with open(log_path, "w") as log:
            proc = subprocess.Popen(args.cmd, shell=True, cwd=args.tree, stdout=log, env=env,
                                    stderr=subprocess.STDOUT, start_new_session=True)
            try:
                code = proc.wait(timeout=args.timeout)
            except subprocess.TimeoutExpired:
                os.killpg(proc.pid, signal.SIGKILL)
                proc.wait()
    finally:
        with open(path, "wb") as f:
            f.write(original)
        os.remove(mark)
        os.remove(backup)
    result = ("timeout" if code is None else "missed" if code == 0 else
              "build" if code == args.build_code else "caught")
    return result, time.time() - start, "" if result == "missed" else first_failure(log_path)


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("faults")
    p.add_argument("--tree", default=".")
    p.add_argument("--cmd", help="shell command run in the tree for each fault")
    p.add_argument("--logs", default="mutant-logs")
    p.add_argument("--out", help="TSV of results, rewritten after every fault (earlier rows kept)")
    p.add_argument("--only", help="comma-separated fault ids")
    p.add_argument("--timeout", type=float, default=1800)
    p.add_argument("--build-code", type=int, default=3, help="exit code meaning the build failed")
    p.add_argument("--list", action="store_true")
    args = p.parse_args()
    faults = parse_faults(args.faults)
    if args.list:
        for f in faults:
            print("%-28s %-40s %s" % (f["id"], f["file"], f["what"]))
        return
    if not args.cmd:
        sys.exit("--cmd is required")
    wanted = args.only.split(",") if args.only else [f["id"] for f in faults]
    unknown = set(wanted) - {f["id"] for f in faults}
    if unknown:
        sys.exit("unknown fault ids: " + ", ".join(sorted(unknown)))
    os.makedirs(args.logs, exist_ok=True)
    mark, backup = os.path.join(args.logs, "pending.path"), os.path.join(args.logs, "pending.bak")
    restore_pending(mark, backup)
    results = {}
    if args.out and os.path.exists(args.out):
        for line in open(args.out, encoding="utf-8").read().splitlines()[1:]:
            cells = (line.split("\t") + ["", "", ""])[:4]
            results[cells[0]] = cells[1:]
    print("%-28s | %-8s | %7s | %s" % ("id", "result", "seconds", "first failure"))
    for fault in (f for f in faults if f["id"] in wanted):
        result, seconds, detail = run_fault(fault, args, mark, backup)
        results[fault["id"]] = [result, "%.0f" % seconds, detail]
        print("%-28s | %-8s | %7.0f | %s" % (fault["id"], result, seconds, detail), flush=True)
        if args.out:
            with open(args.out, "w", encoding="utf-8") as f:
                f.write("id\tresult\tseconds\tfirst_failure\n")
                f.writelines("\t".join([x["id"]] + results[x["id"]]) + "\n"
                             for x in faults if x["id"] in results)


if __name__ == "__main__":
    main()
