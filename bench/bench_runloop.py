# The loops of bench_runloop in python3, for comparison: prints "while=ns,for=ns,..." , the
# nanoseconds per iteration of each (scripts/bench.sh passes them to bench_runloop.exe).
import sys
import time


def while_loop(n):
    i = 0
    while i < n:
        i = i + 1


def for_loop(n):
    s = 0
    for i in range(1, n + 1):
        s = s + 1


def goto_loop(n):
    # No GOTO in python: the jump back is the loop's own.
    i = 0
    while True:
        i = i + 1
        if i < n:
            continue
        break


def add2(a, b):
    return a + b


def call_loop(n):
    s = 0
    i = 0
    while i < n:
        s = add2(s, 1)
        i = i + 1


def fib(n):
    if n < 2:
        return n
    return fib(n - 1) + fib(n - 2)


FIB_CALLS = 242785  # calls made by fib(25)


def fib_loop(n):
    fib(25)


def select_loop(n):
    # The script's Select takes its five cases in turn; python's nearest is the same if chain.
    k = 0
    i = 0
    while i < n:
        if k == 0:
            k = 1
        elif k == 1:
            k = 2
        elif k == 2:
            k = 3
        elif k == 3:
            k = 4
        else:
            k = 0
        i = i + 1


TEXT = "The quick brown fox jumps over the lazy dog"


def strlen_loop(n):
    t = TEXT
    i = 0
    while i < n:
        l = len(t)
        i = i + 1


def replace_loop(n):
    t = TEXT
    i = 0
    while i < n:
        r = t.replace("o", "0")
        i = i + 1


def modbit_loop(n):
    i = 0
    while i < n:
        m = i % 7 + (i & 255)
        i = i + 1


def array_loop(n):
    a = [""] * 100
    a[50] = 7
    s = 0
    i = 0
    while i < n:
        s = a[50]
        i = i + 1


def per_iteration(loop, n, turns=None, runs=3):
    # The best of three runs, as bench_runloop takes.
    best = None
    for _ in range(runs):
        start = time.perf_counter()
        loop(n)
        took = time.perf_counter() - start
        best = took if best is None else min(best, took)
    return best * 1e9 / (turns or n)


n = int(sys.argv[1]) if len(sys.argv) > 1 and sys.argv[1].isdigit() else 1000000
figures = [
    ("while", per_iteration(while_loop, n)),
    ("for", per_iteration(for_loop, n)),
    ("goto", per_iteration(goto_loop, n)),
    ("call", per_iteration(call_loop, n)),
    ("fib", per_iteration(fib_loop, n, FIB_CALLS)),
    ("select", per_iteration(select_loop, n)),
    ("if", per_iteration(select_loop, n)),
    ("strlen", per_iteration(strlen_loop, n)),
    ("replace", per_iteration(replace_loop, n)),
    ("modbit", per_iteration(modbit_loop, n)),
    ("array", per_iteration(array_loop, n)),
]
print(",".join("%s=%.2f" % f for f in figures))
