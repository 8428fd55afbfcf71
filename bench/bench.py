"""Times whole runs of the tool against a plain cp of the same file, interleaved, and reports
the median of each, their ratio, and the peak memory of each (maximum resident set size).
The tool runs at debug level 1, which writes the same command file as a normal run but does
not replace the host's file; the normal run, which first brings the command file to stable
storage (fsync of the file and of the directory), is timed in a column of its own."""
import os
import shutil
import statistics
import sys
import tempfile
import time

ROUNDS = int(os.environ.get("ROUNDS", "41"))


def make_inputs(d):
    """The four inputs: comments, line segments, a realistic mix (50000 lines each), small."""
    head = ("lg1\r\nly3\r\nlt1\r\nlc4\r\npn2\r\nhs 1 2 1 1 1 1 1 1 1 1 1 1 1 1 1 1\r\n"
            "hcw 2.5 3 3.5 4 5 2.5 2.5 2.5 2.5 2.5\r\nhch 2.5 3 3.5 4 5 2.5 2.5 2.5 2.5 2.5\r\n"
            "hcd 0.3 0.5 0.5 0.5 0.5 0.3 0.3 0.3 0.3 0.3\r\ncn0 3 3 0.5 2\r\n")
    tail = "hp1 100 50\r\nhp2 160 130\r\n"
    mix = ["# part %d of the assembly drawing, revision C\r\n",
           " %d.125 20.5 %d.75 40.25\r\n",
           "ci 10.5 20.25 %d.5 0 360\r\n",
           "lc%d\r\n",
           "pl\r\n",
           "pt %d.5 17.25\r\n",
           "bz\r\n",
           "cn%d\r\n"]
    inputs = {
        "comments": "".join("# comment line %05d of the host's element file, copied back\r\n" % i
                            for i in range(50000)),
        "segments": "".join(" %d.125 %d.5 %d.75 %d.0625\r\n" % (i, i + 1, i + 2, i + 3)
                            for i in range(50000)),
        "mix": head + "".join(
            (mix[i % len(mix)] % ((i % 9,) * mix[i % len(mix)].count("%d")))
            for i in range(50000 - 12)) + tail,
        "small": head + "# drawing A-101\r\nbz\r\n" + "".join(
            " %d 0 %d 10\r\n" % (i, i) for i in range(6)) + tail,
    }
    for name, text in inputs.items():
        assert name == "small" or text.count("\n") == 50000, name
        with open(os.path.join(d, name + ".txt"), "wb") as f:
            f.write(text.encode("ascii"))
    return list(inputs)


def peak_kib(argv, cwd):
    """Peak resident KiB of one run of argv in cwd, as GNU time reports it."""
    out = os.path.join(cwd, "..", "time.out")
    os.chdir(cwd)
    os.waitpid(os.posix_spawn("/usr/bin/time", ["time", "-f", "%M", "-o", out] + argv, os.environ), 0)
    with open(out) as f:
        return int(f.read().split()[-1])


def timed(argv, cwd):
    """Runs argv in cwd; returns (seconds, exit status)."""
    here = os.getcwd()
    os.chdir(cwd)
    null = os.open(os.devnull, os.O_WRONLY)
    t0 = time.perf_counter()
    pid = os.posix_spawn(argv[0], argv, os.environ,
                         file_actions=[(os.POSIX_SPAWN_DUP2, null, 1),
                                       (os.POSIX_SPAWN_DUP2, null, 2)])
    _, status = os.waitpid(pid, 0)
    elapsed = time.perf_counter() - t0
    os.close(null)
    os.chdir(here)
    return elapsed, os.waitstatus_to_exitcode(status)


def main():
    tool = os.path.abspath(sys.argv[1])
    cp = shutil.which("cp")
    work = tempfile.mkdtemp(prefix="balloon-bench-")
    names = make_inputs(work)
    print("%-9s %8s %11s %11s %7s %11s %11s %13s" %
          ("input", "size", "tool (ms)", "cp (ms)", "ratio", "tool KiB", "cp KiB", "level 0 (ms)"))
    for name in names:
        src = os.path.join(work, name + ".txt")
        run = os.path.join(work, "run-" + name)
        os.mkdir(run)
        shutil.copyfile(src, os.path.join(run, "INPUT.TXT"))  # what cp copies: the same bytes
        tt, tc, t0 = [], [], []
        shutil.copyfile(src, os.path.join(run, "QVC_TEMP.TXT"))
        for i in range(ROUNDS):
            s, rc = timed([tool, "-n5", "-y1", "-t1"], run)
            assert rc == 0, (name, rc)
            s2, _ = timed([cp, "INPUT.TXT", "QVC_COPY.TXT"], run)
            if i > 0:  # the first round warms the caches
                tt.append(s)
                tc.append(s2)
        for i in range(ROUNDS // 4 + 1):
            shutil.copyfile(src, os.path.join(run, "QVC_TEMP.TXT"))
            s, rc = timed([tool, "-n5", "-y1"], run)
            assert rc == 0, (name, rc)
            t0.append(s)
        os.chdir(run)
        shutil.copyfile(src, "QVC_TEMP.TXT")
        mt = peak_kib([tool, "-n5", "-y1", "-t1"], run)
        mc = peak_kib([cp, "INPUT.TXT", "QVC_COPY.TXT"], run)
        a, b = statistics.median(tt) * 1e3, statistics.median(tc) * 1e3
        print("%-9s %8d %11.3f %11.3f %7.2f %11d %11d %13.3f" %
              (name, os.path.getsize(src), a, b, a / b, mt, mc, statistics.median(t0) * 1e3))
    # A numbering run (-i) and a stack of three (-j -j) beside a -n run of the small input, all at
    # level 0, interleaved: one more small read, sync and rename; two more balloons.
    run = os.path.join(work, "run-numbering")
    os.mkdir(run)
    src = os.path.join(work, "small.txt")
    tn, ti, tj = [], [], []
    for i in range(ROUNDS):
        for argv, times in (([tool, "-n5", "-y1"], tn), ([tool, "-i", "-y1"], ti),
                            ([tool, "-n5", "-j", "-j", "-y1"], tj)):
            shutil.copyfile(src, os.path.join(run, "QVC_TEMP.TXT"))
            s, rc = timed(argv, run)
            assert rc == 0, (argv, rc)
            if i > 0:
                times.append(s)
    a, b = statistics.median(ti) * 1e3, statistics.median(tn) * 1e3
    print("numbering run of the small input: -i %.3f ms, -n %.3f ms, ratio %.2f (at most 1.5)"
          % (a, b, a / b))
    c = statistics.median(tj) * 1e3
    print("stack of three of the small input: -j -j %.3f ms, -n %.3f ms, ratio %.2f (at most 1.5)"
          % (c, b, c / b))
    shutil.rmtree(work)


main()
