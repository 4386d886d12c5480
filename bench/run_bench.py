#!/usr/bin/env python3
"""Whole-process benchmarks of scenario-compiler (standard library only).

Prints three tables:
  1. the one-shot run against a floor process that only writes the same six
     files;
  2. `compile` of a generated 1,000,000 m route against a floor that only
     writes its three binary files, with the peak resident memory of both;
  3. `compile` at 10,000, 100,000 and 1,000,000 m: time and memory growth.

Times and CPU times are medians over repeated runs; peak resident memory is
the largest of the runs. The program and its floors run in turn, so that all
see the same load, and each ratio divides two medians of the same run. A small
C timer (bench/spawn_timer.c) times each process from its spawn to its reaping
and takes its CPU time and peak memory from wait4. DISPLAY is removed from the
environment, so the one-shot run shows no window.

The floor (bench/floor_writer.c) is built here from the output of a finished
run of the program: its bytes are linked into the floor executable, which then
writes them to the same file names. It reads no side file, so no load has to
be left out of its time. The "atomic replace" row is the same floor writing
each file under a temporary name and renaming it over the old one, as
scenario-compiler does; the "empty process" row (a floor with no files) shows
what starting and ending a process costs on its own.

usage: run_bench.py --build BUILD_DIR [--runs N] [--cc CC]
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROUTE_LENGTHS = (10_000, 100_000, 1_000_000)
LINE_NAME = "Gen"
TRAIN_NUMBER = "T1"
MEMORY_TARGET_MIB = 64


class Sample:
    def __init__(self, wall, cpu, rss_kib):
        self.wall = wall
        self.cpu = cpu
        self.rss_kib = rss_kib


class Figures:
    """Medians over the samples of one process."""

    def __init__(self, samples):
        self.wall = statistics.median(s.wall for s in samples)
        self.cpu = statistics.median(s.cpu for s in samples)
        self.rss_mib = max(s.rss_kib for s in samples) / 1024
        self.runs = len(samples)


def environment():
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    return env


def run_timed(timer, argv, cwd, stderr_path):
    """Runs argv in cwd through the spawn timer; stderr is appended to stderr_path."""
    result = subprocess.run([str(timer), str(stderr_path)] + argv, cwd=cwd, env=environment(),
                            check=True, capture_output=True, text=True)
    wall_ns, cpu_ns, rss_kib, code = (int(v) for v in result.stdout.split())
    if code != 0:
        sys.exit(f"run_bench: {' '.join(argv)} in {cwd} ended with status {code}")
    return Sample(wall_ns / 1e9, cpu_ns / 1e9, rss_kib)


class Job:
    """A process to measure: its command line, directory and stderr file."""

    timer = None  # the spawn timer executable, built by main()

    def __init__(self, name, argv, cwd):
        self.name = name
        self.argv = [str(a) for a in argv]
        self.cwd = Path(cwd)
        self.stderr = self.cwd.parent / f"{self.cwd.name}.stderr"
        self.stderr.write_bytes(b"")
        self.samples = []

    def run(self):
        self.samples.append(run_timed(Job.timer, self.argv, self.cwd, self.stderr))

    def figures(self):
        if self.stderr.stat().st_size != 0:
            sys.exit(f"run_bench: {self.name} wrote to stderr, see {self.stderr}")
        return Figures(self.samples)


def measure(jobs, runs, warmup=2):
    """Runs the jobs alternately, `runs` measured rounds after `warmup` rounds."""
    for _ in range(warmup):
        for job in jobs:
            job.run()
    for job in jobs:
        job.samples.clear()
    for _ in range(runs):
        for job in jobs:
            job.run()
    return [job.figures() for job in jobs]


def escape(text):
    return text.replace("\\", "\\\\").replace('"', '\\"')


def build_floor(files, directory, cc):
    """Builds a floor that writes `files` (name -> path of the bytes)."""
    directory.mkdir(parents=True, exist_ok=True)
    lines = ['\t.section .note.GNU-stack,"",@progbits', "\t.section .rodata"]
    for k, (name, path) in enumerate(sorted(files.items())):
        lines += [
            f'name{k}:\t.asciz "{escape(name)}"',
            "\t.balign 64",
            f'bytes{k}:\t.incbin "{escape(str(Path(path).resolve()))}"',
            f"end{k}:",
        ]
    lines += [
        "\t.balign 8",
        "\t.globl floor_file_count",
        f"floor_file_count:\t.quad {len(files)}",
        '\t.section .data.rel.ro,"aw"',
        "\t.balign 8",
        "\t.globl floor_files",
        "floor_files:",
    ]
    lines += [f"\t.quad name{k}, bytes{k}, end{k} - bytes{k}" for k in range(len(files))]
    data = directory / "floor_data.S"
    data.write_text("\n".join(lines) + "\n")
    exe = directory / "floor"
    subprocess.run(
        [cc, "-O2", "-o", str(exe), str(HERE / "floor_writer.c"), str(data)], check=True
    )
    return exe


def written_files(directory, leave_out=()):
    return {p.name: p for p in directory.iterdir() if p.is_file() and p.name not in leave_out}


def check_same_bytes(expected, directory):
    for name, path in expected.items():
        if (directory / name).read_bytes() != Path(path).read_bytes():
            sys.exit(f"run_bench: the floor wrote other bytes to {name}")


def floor_jobs(name, files, work, cc):
    """The floor for `files`, plain and with atomic replace, each checked once."""
    snapshot = work / f"{name}.bytes"
    snapshot.mkdir()
    for file_name, path in files.items():
        shutil.copyfile(path, snapshot / file_name)
    saved = written_files(snapshot)
    exe = build_floor(saved, work / f"{name}.build", cc)
    jobs = []
    for suffix, argv in (("", [exe]), ("-replace", [exe, "--replace"])):
        directory = work / f"{name}{suffix}"
        directory.mkdir()
        job = Job(f"{name}{suffix}", argv, directory)
        job.run()
        check_same_bytes(saved, directory)
        job.samples.clear()
        jobs.append(job)
    return jobs


def empty_process_job(work, cc):
    exe = build_floor({}, work / "empty.build", cc)
    (work / "empty").mkdir()
    return Job("empty process", [exe], work / "empty")


def print_table(title, header, rows):
    widths = [max(len(str(r[i])) for r in [header] + rows) for i in range(len(header))]
    print(f"\n{title}")
    line = "  ".join(str(h).ljust(w) if i == 0 else str(h).rjust(w)
                     for i, (h, w) in enumerate(zip(header, widths)))
    print(line)
    print("-" * len(line))
    for r in rows:
        print("  ".join(str(c).ljust(w) if i == 0 else str(c).rjust(w)
                        for i, (c, w) in enumerate(zip(r, widths))))


def ms(seconds):
    return f"{seconds * 1000:.2f}"


def mib(value):
    return f"{value:.1f}"


def ratio(a, b):
    return f"{a / b:.2f}x"


def process_rows(named_figures, floor):
    rows = []
    for name, f in named_figures:
        rows.append([name, ms(f.wall), ms(f.cpu), mib(f.rss_mib),
                     ratio(f.wall, floor.wall), ratio(f.cpu, floor.cpu)])
    return rows


PROCESS_HEADER = ["process", "wall ms", "cpu ms", "peak RSS MiB", "wall / floor", "cpu / floor"]


def one_shot_table(bin_dir, work, runs, cc, empty):
    directory = work / "one-shot"
    directory.mkdir()
    exe = directory / "scenario-compiler"
    shutil.copy2(bin_dir / "scenario-compiler", exe)
    program = Job("one-shot run", [exe], directory)
    program.run()
    output = written_files(directory, {exe.name})
    output_bytes = sum(p.stat().st_size for p in output.values())
    floor, replace = floor_jobs("one-shot-floor", output, work, cc)
    p, fl, rf, e = measure([program, floor, replace, empty], runs)
    print_table(
        f"1. One-shot run (six files, {output_bytes} bytes out), median of {p.runs} runs; "
        "target: within 1.5x the floor",
        PROCESS_HEADER,
        process_rows([("scenario-compiler (no arguments)", p), ("floor: writes the six files", fl),
                      ("floor, atomic replace", rf), ("empty process", e)], fl))


def route_job(bin_dir, work, length):
    directory = work / f"route-{length}"
    directory.mkdir()
    line = directory / f"{LINE_NAME}_linea.txt"
    train = directory / f"{LINE_NAME}_{TRAIN_NUMBER}-.txt"
    subprocess.run([str(bin_dir / "generate_route"), str(length), str(line), str(train)],
                   check=True)
    job = Job(f"compile {length} m",
              [bin_dir / "scenario-compiler", "compile", line.name, train.name, "-o", "out"],
              directory)
    job.run()
    job.input_bytes = line.stat().st_size + train.stat().st_size
    job.output = written_files(directory / "out")
    job.output_bytes = sum(p.stat().st_size for p in job.output.values())
    return job


def longest_route_table(bin_dir, work, runs, cc, empty):
    job = route_job(bin_dir, work, ROUTE_LENGTHS[-1])
    floor, replace = floor_jobs("route-floor", job.output, work, cc)
    p, fl, rf, e = measure([job, floor, replace, empty], runs)
    print_table(
        f"2. compile of the generated {ROUTE_LENGTHS[-1]} m route ({job.input_bytes} bytes in, "
        f"{job.output_bytes} bytes out), median of {p.runs} runs; "
        f"target: within 2x the floor, under {MEMORY_TARGET_MIB} MiB",
        PROCESS_HEADER,
        process_rows([("scenario-compiler compile", p), ("floor: writes the three files", fl),
                      ("floor, atomic replace", rf), ("empty process", e)], fl))
    return job, p


def growth_table(bin_dir, work, runs, longest, longest_figures):
    jobs = [route_job(bin_dir, work, n) for n in ROUTE_LENGTHS[:-1]]
    figures = measure(jobs, runs) + [longest_figures]
    jobs.append(longest)
    rows = []
    previous = None
    for length, job, f in zip(ROUTE_LENGTHS, jobs, figures):
        rows.append([f"{length} m", job.input_bytes, job.output_bytes, ms(f.wall),
                     ratio(f.wall, previous.wall) if previous else "",
                     ms(f.cpu), mib(f.rss_mib),
                     ratio(f.rss_mib, previous.rss_mib) if previous else ""])
        previous = f
    print_table(
        "3. compile growth with route length (each step is 10x longer; linear growth "
        "gives 10x at most)",
        ["route", "bytes in", "bytes out", "wall ms", "x prev", "cpu ms", "peak RSS MiB",
         "x prev"],
        rows)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", required=True, type=Path,
                        help="build directory holding bin/scenario-compiler and bin/generate_route")
    parser.add_argument("--runs", type=int, default=21, help="measured runs per process")
    parser.add_argument("--cc", default=os.environ.get("CC", "cc"), help="C compiler for the floor")
    args = parser.parse_args()

    bin_dir = args.build.resolve() / "bin"
    work = args.build.resolve() / "bench-run"
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    print(f"whole-process figures; work directory {work}")
    Job.timer = work / "spawn_timer"
    subprocess.run([args.cc, "-O2", "-o", str(Job.timer), str(HERE / "spawn_timer.c")], check=True)
    empty = empty_process_job(work, args.cc)
    one_shot_table(bin_dir, work, args.runs, args.cc, empty)
    empty.samples.clear()
    longest, figures = longest_route_table(bin_dir, work, args.runs, args.cc, empty)
    growth_table(bin_dir, work, args.runs, longest, figures)


if __name__ == "__main__":
    main()
