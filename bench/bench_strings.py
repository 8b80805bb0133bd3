# The loops of bench_strings in python3, for comparison: prints "a1_10000=ns,...,element=bytes",
# the nanoseconds per append of each run and the bytes a list element holding an int takes
# (scripts/bench.sh passes them to bench_strings.exe).
import sys
import time
import tracemalloc


def appends_once(n, tail):
    start = time.perf_counter()
    s = ""
    for i in range(1, n + 1):
        s = s + tail
    elapsed = time.perf_counter() - start
    assert len(s) == n * len(tail)
    return elapsed * 1e9 / n


def appends(n, tail):
    # The best of three: the machine may be busy with other work.
    return min(appends_once(n, tail) for _ in range(3))


def element_bytes(n):
    tracemalloc.start()
    before = tracemalloc.get_traced_memory()[0]
    a = [None] * n
    for i in range(n):
        a[i] = i
    used = tracemalloc.get_traced_memory()[0] - before
    tracemalloc.stop()
    del a
    return used / n


runs = [("a1_10000", 10000, "x"), ("a1_100000", 100000, "x"), ("a1_1000000", 1000000, "x"),
        ("a10_30000", 30000, "0123456789"), ("a10_300000", 300000, "0123456789")]
figures = ["%s=%.2f" % (key, appends(n, tail)) for key, n, tail in runs]
figures.append("element=%.1f" % element_bytes(1000000))
sys.stdout.write(",".join(figures) + "\n")
