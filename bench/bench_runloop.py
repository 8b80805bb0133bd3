# The loops of bench_runloop in python3, for comparison: prints "while=ns,for=ns,goto=ns", the
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


def per_iteration(loop, n):
    start = time.perf_counter()
    loop(n)
    return (time.perf_counter() - start) * 1e9 / n


n = int(sys.argv[1]) if len(sys.argv) > 1 and sys.argv[1].isdigit() else 1000000
print("while=%.2f,for=%.2f,goto=%.2f" % (per_iteration(while_loop, n), per_iteration(for_loop, n),
                                         per_iteration(goto_loop, n)))
