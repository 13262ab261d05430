#!/usr/bin/env python3
"""Times diskpeel against `cp -r` of its own output and hdrtrim against `cp` and `tail -c +5`.

Run by hand from the project's folder after building into build/:  python3 bench/run.py [runs]
Writes its inputs into a scratch folder, prints the medians and ratios, and a Markdown table.
"""
import os, resource, shutil, statistics, subprocess, sys, tempfile, time, platform

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build")
RUNS = int(sys.argv[1]) if len(sys.argv) > 1 else 7


def timed(cmd, cwd, stdout=subprocess.DEVNULL):
    os.sync()  # what earlier commands wrote is not written back on this one's time
    start = time.perf_counter()
    subprocess.run(cmd, cwd=cwd, stdout=stdout, stderr=subprocess.DEVNULL, check=True)
    return time.perf_counter() - start


def peak_kib(cmd, cwd):
    """Peak resident memory of one run of `cmd` in KiB, as GNU time (package `time`) reports it."""
    result = subprocess.run(["/usr/bin/time", "-f", "%M"] + cmd, cwd=cwd, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True, check=True)
    return int(result.stderr.strip().splitlines()[-1])


def main():
    diskpeel, hdrtrim = os.path.join(BUILD, "diskpeel"), os.path.join(BUILD, "hdrtrim")
    scratch = tempfile.mkdtemp(prefix="bench-", dir=os.environ.get("BENCH_DIR"))
    try:
        container = os.path.join(scratch, "bench.d88")
        subprocess.run([os.path.join(BUILD, "bench", "make_container"), container], check=True,
                       stdout=subprocess.DEVNULL)
        big = os.path.join(scratch, "big.bin")
        with open(big, "wb") as f:
            for _ in range(256):
                f.write(os.urandom(1 << 20))

        peel, copy_tree, trim, copy_file, tail = [], [], [], [], []
        for run in range(RUNS):
            out, copied = os.path.join(scratch, "out"), os.path.join(scratch, "copied")
            for folder in (out, copied):
                shutil.rmtree(folder, ignore_errors=True)
            os.mkdir(out)
            peel.append(timed([diskpeel, container], out))
            copy_tree.append(timed(["cp", "-r", out, copied], scratch))

            target = os.path.join(scratch, "target.bin")
            for name in (target, target + ".bak", os.path.join(scratch, "cp.bin"),
                         os.path.join(scratch, "tail.bin")):
                if os.path.exists(name):
                    os.remove(name)
            shutil.copyfile(big, target)
            # Both read the same bytes; which goes first alternates.
            if run % 2:
                trim.append(timed([hdrtrim, target], scratch))
                copy_file.append(timed(["cp", target + ".bak", "cp.bin"], scratch))
            else:
                copy_file.append(timed(["cp", target, "cp.bin"], scratch))
                trim.append(timed([hdrtrim, target], scratch))
            tail.append(timed(["sh", "-c", "tail -c +5 cp.bin > tail.bin"], scratch))

        # Memory must not grow with the container: a container of 16 disks against the 64.
        small = os.path.join(scratch, "small.d88")
        subprocess.run([os.path.join(BUILD, "bench", "make_container"), small, "16"], check=True,
                       stdout=subprocess.DEVNULL)
        mem_small = peak_kib([diskpeel, small, "-d"], tempfile.mkdtemp(dir=scratch))
        mem_large = peak_kib([diskpeel, container, "-d"], tempfile.mkdtemp(dir=scratch))

        med = statistics.median
        rows = [
            ("diskpeel, 64 disks (%.1f MB)" % (os.path.getsize(container) / 1e6), med(peel),
             "cp -r of its output", med(copy_tree)),
            ("hdrtrim, 256 MiB", med(trim), "cp of the file", med(copy_file)),
            ("hdrtrim, 256 MiB", med(trim), "tail -c +5 file > out", med(tail)),
        ]
        print("runs: %d" % RUNS)
        for name, values in (("diskpeel", peel), ("cp -r", copy_tree), ("hdrtrim", trim),
                             ("cp", copy_file), ("tail", tail)):
            print("%-9s %s" % (name, " ".join("%.3f" % v for v in values)))
        print()
        print("| program | median | against | median | ratio |")
        print("|---|---|---|---|---|")
        for name, mine, other, theirs in rows:
            print("| %s | %.3f s | %s | %.3f s | %.2f |" % (name, mine, other, theirs, mine / theirs))
        print()
        print("diskpeel peak memory: %d KiB with 16 disks, %d KiB with 64" % (mem_small, mem_large))
        print("%s, %s, %d cores" % (time.strftime("%Y-%m-%d"), platform.processor() or platform.machine(),
                                    os.cpu_count()))
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
