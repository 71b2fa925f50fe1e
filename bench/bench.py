#!/usr/bin/env python3
"""vork against the system's own copy tools, on the same data, same machine.

For each profile it generates (seeded, once) real WAV files, their archive
main.sfx and manifest main.txt, then times in interleaved rounds:

  extract: vork -x        against  cp main.sfx        and  cp -r of the WAV folder
  build:   vork -b        against  cat FILES > main.sfx && sync main.sfx

Every timed command reads inputs already in the page cache (read again just
before it) and writes into a fresh, empty folder made beforehand, after a
sync, so no earlier dirty data is flushed inside the timing. The first round
checks every output byte for byte. Peak memory and CPU time come from
/usr/bin/time.

Old outputs are truncated and moved aside during a profile and deleted only
after it: on ext4, inodes freed within the last minute are skipped when new
files are created, which would slow the next commands several times over.
"""
import argparse
import filecmp
import math
import os
import random
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time
import wave
from pathlib import Path

COMMENT = 'This is a comment, write any info you need after the ";"'

PROFILES = {
    # name: (file count, size generator(rng) in bytes)
    "many": (20000, lambda rng: int(math.exp(rng.uniform(math.log(2 << 10), math.log(200 << 10))))),
    "mixed": (2000, lambda rng: int(math.exp(rng.uniform(math.log(8 << 10), math.log(3 << 20))))),
    "large": (8, lambda rng: int(rng.uniform(190, 210) * (1 << 20))),
}


def entry_name(index):
    return f"SFX_{index:04d}.wav"


def make_wav(path, size, rng):
    """A 16-bit stereo PCM WAV of about `size` bytes, random samples."""
    frames = max(0, (size - 44) // 4)
    with wave.open(str(path), "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(44100)
        w.writeframes(rng.randbytes(frames * 4))


def generate(profile, root, seed):
    """Makes root/src (the WAVs and main.txt) and root/main.sfx, once."""
    done = root / "complete"
    if done.exists():
        return
    shutil.rmtree(root, ignore_errors=True)
    src = root / "src"
    src.mkdir(parents=True)
    count, size_of = PROFILES[profile]
    rng = random.Random(f"{seed}-{profile}")
    with open(root / "main.sfx", "wb") as archive, open(src / "main.txt", "wb") as manifest:
        for index in range(count):
            path = src / entry_name(index)
            make_wav(path, size_of(rng), rng)
            data = path.read_bytes()
            assert struct.unpack_from("<I", data, 4)[0] + 8 == len(data)
            archive.write(data)
            manifest.write(f"{entry_name(index)};{COMMENT if index == 0 else ''}\r\n".encode())
    os.sync()
    done.write_text("ok\n")


def warm(paths):
    """Reads every input once, so that all commands find them cached."""
    for path in paths:
        with open(path, "rb") as f:
            while f.read(1 << 20):
                pass


def timed(command, cwd, inputs=()):
    """Runs `command` under /usr/bin/time, its `inputs` read just before;
    returns wall seconds, peak KiB and CPU seconds (user + system) of the
    command itself."""
    with tempfile.NamedTemporaryFile("r", suffix=".time") as report:
        wrapped = ["/usr/bin/time", "-o", report.name, "-f", "%M %U %S"]
        wrapped += command
        # Some machines evict file pages within seconds of their last use
        # (here: a proactive reclaimer), so the inputs are read again right
        # before each command, untimed.
        warm(inputs)
        os.sync()
        start = time.perf_counter()
        result = subprocess.run(wrapped, cwd=cwd, stdout=subprocess.DEVNULL)
        wall = time.perf_counter() - start
        if result.returncode != 0:
            sys.exit(f"failed ({result.returncode}): {command} in {cwd}")
        peak, user, system = report.read().split()
    return wall, int(peak), float(user) + float(system)


class Scratch:
    """Fresh output folders, moved aside (truncated) instead of deleted."""

    def __init__(self, root):
        self.root = root
        self.trash = root / "trash"
        # Left by an interrupted run.
        shutil.rmtree(self.trash, ignore_errors=True)
        for stale in root.glob("out-*"):
            shutil.rmtree(stale)
        self.trash.mkdir()
        self.serial = 0

    def fresh(self):
        self.serial += 1
        path = self.root / f"out-{os.getpid()}-{self.serial}"
        path.mkdir()
        return path

    def discard(self, path):
        for dirpath, _, files in os.walk(path):
            for name in files:
                file = Path(dirpath) / name
                if not file.is_symlink() and file.stat().st_nlink == 1:
                    os.truncate(file, 0)
        path.rename(self.trash / path.name)

    def empty_trash(self):
        shutil.rmtree(self.trash)
        self.trash.mkdir()


def same_files(a, b):
    return filecmp.cmp(a, b, shallow=False)


def run_profile(profile, root, vork, rounds):
    src = root / "src"
    archive = root / "main.sfx"
    names = [entry_name(i) for i in range(PROFILES[profile][0])]
    sources = [src / n for n in names] + [src / "main.txt"]
    scratch = Scratch(root)
    results = {key: [] for key in ("x", "cp", "cpr", "b", "cat")}
    # One argument may hold at most 128 KiB, so the long cat command line
    # lives in a script: "$1" receives cat's own times, "$2" the archive,
    # "$3" the times of sync, which does the fsync that vork does itself.
    cat_script = root / "cat.sh"
    cat_script.write_text("/usr/bin/time -o \"$1\" -f '%M %U %S' cat " + " ".join(names)
                          + ' > "$2" && /usr/bin/time -o "$3" -f \'%M %U %S\' sync "$2"\n')

    for round_number in range(rounds + 1):
        check = round_number == 0

        out = scratch.fresh()
        os.link(archive, out / "main.sfx")
        results["x"].append(timed([vork, "-x"], out, [archive]))
        if check:
            for n in names:
                assert same_files(out / n, src / n), f"vork -x: {n} differs"
            assert same_files(out / "main.txt", src / "main.txt"), "vork -x: main.txt differs"
        scratch.discard(out)

        out = scratch.fresh()
        results["cp"].append(timed(["cp", str(archive), str(out / "main.sfx")], out, [archive]))
        if check:
            assert same_files(out / "main.sfx", archive)
        scratch.discard(out)

        out = scratch.fresh()
        results["cpr"].append(timed(["cp", "-r", str(src), str(out / "copy")], out, sources))
        if check:
            assert same_files(out / "copy" / names[-1], src / names[-1])
        scratch.discard(out)

        out = scratch.fresh()
        for n in names + ["main.txt"]:
            os.link(src / n, out / n)
        results["b"].append(timed([vork, "-b"], out, sources))
        if check:
            assert same_files(out / "main.sfx", archive), "vork -b: main.sfx differs"
        scratch.discard(out)

        out = scratch.fresh()
        target = out / "main.sfx"
        cat_time, sync_time = out / "cat.time", out / "sync.time"
        wall, _, _ = timed(["sh", str(cat_script), str(cat_time), str(target), str(sync_time)], src, sources)
        peak, user, system = cat_time.read_text().split()
        _, sync_user, sync_system = sync_time.read_text().split()
        cat_cpu = float(user) + float(system)
        results["cat"].append((wall, int(peak), cat_cpu, cat_cpu + float(sync_user) + float(sync_system)))
        if check:
            assert same_files(target, archive)
        scratch.discard(out)

        print(f"  {profile} round {round_number}{' (warm-up, checked)' if check else ''}: "
              + ", ".join(f"{k} {v[-1][0]:.2f}s (CPU {v[-1][2]:.2f}s)" for k, v in results.items()), flush=True)

    scratch.empty_trash()
    # Drop the warm-up round.
    return {key: values[1:] for key, values in results.items()}


def summary(values):
    return statistics.median(values), min(values), max(values)


def report(all_results, baseline_kib):
    lines = []
    lines.append(f"vork with no argument: peak {baseline_kib} KiB")
    lines.append("")
    lines.append("| profile | what | vork median (min-max) | anchor median (min-max) | ratio median (min-max) | target |")
    lines.append("|---|---|---|---|---|---|")
    pairs = [
        ("x", "cp", "extract vs cp main.sfx", 0, {"large": 1.25}),
        ("x", "cpr", "extract vs cp -r", 0, {"many": 0.9, "mixed": 1.1}),
        ("b", "cat", "build vs cat + sync, wall", 0, {"many": 1.05, "mixed": 1.05, "large": 1.05}),
        ("b", "cat", "build vs cat, CPU", 2, {"many": 1.1, "mixed": 1.1, "large": 1.1}),
        ("b", "cat", "build vs cat + sync, CPU", (2, 3), {}),
    ]
    verdicts = []
    for profile, results in all_results.items():
        for ours, theirs, what, field, targets in pairs:
            ours_field, theirs_field = field if isinstance(field, tuple) else (field, field)
            a = [r[ours_field] for r in results[ours]]
            b = [r[theirs_field] for r in results[theirs]]
            ratios = [x / y if y > 0 else float("inf") for x, y in zip(a, b)]
            am, amin, amax = summary(a)
            bm, bmin, bmax = summary(b)
            rm, rmin, rmax = summary(ratios)
            target = targets.get(profile)
            mark = "" if target is None else (f"<= {target} {'ok' if rm <= target else 'MISSED'}")
            if target is not None:
                verdicts.append(rm <= target)
            lines.append(f"| {profile} | {what} | {am:.3f} ({amin:.3f}-{amax:.3f}) s | "
                         f"{bm:.3f} ({bmin:.3f}-{bmax:.3f}) s | {rm:.2f} ({rmin:.2f}-{rmax:.2f}) | {mark} |")
    lines.append("")
    lines.append("| profile | vork -x peak | vork -b peak | above no-argument (max) | target |")
    lines.append("|---|---|---|---|---|")
    for profile, results in all_results.items():
        x_peak = max(r[1] for r in results["x"])
        b_peak = max(r[1] for r in results["b"])
        above = max(x_peak, b_peak) - baseline_kib
        ok = above <= 1536
        verdicts.append(ok)
        lines.append(f"| {profile} | {x_peak} KiB | {b_peak} KiB | {above} KiB | <= 1536 KiB {'ok' if ok else 'MISSED'} |")
    return "\n".join(lines), all(verdicts)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--vork", default="build-release/vork", help="the binary to measure")
    parser.add_argument("--work", default="bench/work", help="where data and outputs go (several GiB)")
    parser.add_argument("--profiles", default="many,mixed,large")
    parser.add_argument("--rounds", type=int, default=7, help="timed rounds after the warm-up round")
    parser.add_argument("--seed", default="vork-bench-1")
    parser.add_argument("--settle", type=float, default=65, help="seconds to wait between profiles")
    args = parser.parse_args()

    vork = str(Path(args.vork).resolve())
    work = Path(args.work).resolve()
    work.mkdir(parents=True, exist_ok=True)
    baseline = timed([vork], work)[1]

    all_results = {}
    profiles = args.profiles.split(",")
    for number, profile in enumerate(profiles):
        root = work / profile
        print(f"{profile}: generating (once) in {root}", flush=True)
        generate(profile, root, args.seed)
        all_results[profile] = run_profile(profile, root, vork, args.rounds)
        if number + 1 < len(profiles):
            os.sync()
            time.sleep(args.settle)

    table, met = report(all_results, baseline)
    print()
    print(table)
    print()
    print("all targets met" if met else "some targets MISSED")
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main())
