# The work of bench_arrays in python3, for comparison: prints "ubound_2000=ns,...", the
# nanoseconds per step of each run, the best of three (scripts/bench.sh passes them to
# bench_arrays.exe).
import sys
import time


def best(work, steps, runs=3):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        work()
        times.append(time.perf_counter() - start)
    return min(times) * 1e9 / steps


def len_loop(n):
    a = list(range(n))

    def work():
        s = 0
        i = 0
        while i < len(a):
            s = s + a[i]
            i = i + 1
        assert s == n * (n - 1) // 2

    return best(work, n)


def append_loop(n):
    def work():
        a = [None]
        k = 0
        while k < n:
            a.append(k)
            k = k + 1
        assert len(a) == n + 1

    return best(work, n)


def first(v):
    return v[0]


def pass_loop(n, calls):
    a = [""] * n
    a[0] = 1

    def work():
        s = 0
        for _ in range(calls):
            s = s + first(a)
        assert s == calls

    return best(work, calls)


figures = [
    ("ubound_2000", len_loop(2000)),
    ("ubound_20000", len_loop(20000)),
    ("grow_4000", append_loop(4000)),
    ("grow_20000", append_loop(20000)),
    ("pass_1000000", pass_loop(1000000, 100)),
]
sys.stdout.write(",".join("%s=%.2f" % f for f in figures) + "\n")
