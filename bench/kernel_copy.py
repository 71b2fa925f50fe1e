#!/usr/bin/env python3
"""CPU time of the kernel copy (copy_file_range) against a 1 MiB read/write
loop, for ranges whose source offset is on a page boundary and off one.

In isolation, with memory the last measurement just released, a kernel copy
off a page boundary costs more CPU than the buffer loop. vork still hands
every long range to the kernel: in the full benchmark (bench.py), where each
command writes gigabytes into fresh memory, long runs of buffered writes
were up to three times slower than the kernel copy on this machine.
Each measurement copies about 192 MiB from a file in the page cache into
fresh files, which are emptied afterwards.
"""
import argparse
import os
import resource
import statistics
from pathlib import Path

BUFFER = 1 << 20
TOTAL = 192 << 20


def cpu():
    usage = resource.getrusage(resource.RUSAGE_SELF)
    return usage.ru_utime + usage.ru_stime


def copy_range(source, target, size, mode, buffer):
    left = size
    if mode == "kernel":
        while left:
            left -= os.copy_file_range(source, target, left)
    else:
        view = memoryview(buffer)
        while left:
            got = os.readv(source, [view[:min(left, BUFFER)]])
            written = 0
            while written < got:
                written += os.write(target, view[written:got])
            left -= got


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--work", default="bench/work/kernel_copy")
    parser.add_argument("--rounds", type=int, default=7)
    args = parser.parse_args()
    work = Path(args.work)
    work.mkdir(parents=True, exist_ok=True)
    source_path = work / "source.bin"
    if not source_path.exists() or source_path.stat().st_size < TOTAL + 2 * BUFFER:
        source_path.write_bytes(os.urandom(TOTAL + 2 * BUFFER))
    source = os.open(source_path, os.O_RDONLY)
    while os.read(source, BUFFER):  # Into the page cache.
        pass
    buffer = bytearray(BUFFER)
    results = {}
    serial = 0
    for round_number in range(args.rounds + 1):
        for size in (1 << 20, 4 << 20, 32 << 20, 192 << 20):
            for offset_name, first_offset in (("on a page boundary", 0), ("off a page boundary", 12345)):
                modes = ("kernel", "read/write") if round_number % 2 else ("read/write", "kernel")
                for mode in modes:
                    outputs = []
                    start = cpu()
                    offset = first_offset
                    for _ in range(TOTAL // size):
                        serial += 1
                        path = work / f"out-{os.getpid()}-{serial}"
                        target = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o644)
                        os.lseek(source, offset, os.SEEK_SET)
                        copy_range(source, target, size, mode, buffer)
                        os.close(target)
                        outputs.append(path)
                        offset += size
                    spent = cpu() - start
                    for path in outputs:
                        os.truncate(path, 0)
                        path.unlink()
                    if round_number > 0:
                        results.setdefault((size, offset_name, mode), []).append(spent)
    print(f"CPU seconds to copy {TOTAL >> 20} MiB in ranges of a given size (median of {args.rounds}):")
    print()
    print("| range | source offset | kernel copy | 1 MiB read/write | kernel / read-write |")
    print("|---|---|---|---|---|")
    for size in (1 << 20, 4 << 20, 32 << 20, 192 << 20):
        for offset_name in ("on a page boundary", "off a page boundary"):
            kernel = statistics.median(results[(size, offset_name, "kernel")])
            loop = statistics.median(results[(size, offset_name, "read/write")])
            print(f"| {size >> 20} MiB | {offset_name} | {kernel:.3f} | {loop:.3f} | {kernel / loop:.2f} |")


if __name__ == "__main__":
    main()
