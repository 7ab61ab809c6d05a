#!/usr/bin/env python3
"""Times commands taken in turn, so that whatever else a shared machine does weighs on each
alike, and prints per command, in the order given, the median wall-clock time and the median
processor time of the command's own process, in milliseconds. Medians, because a few runs that
waited for the processor would move a mean. One round first warms the caches and is not counted.

    in_turn.py ROUNDS 'NAME=VALUE ... PROGRAM ARGUMENT ...' ...

Leading NAME=VALUE words set the command's environment. Standard input and output go to
/dev/null; a command that fails ends the measurement."""
import os
import shlex
import statistics
import sys
import time


def parse(command):
    words = shlex.split(command)
    env = dict(os.environ)
    while words and "=" in words[0] and not words[0].startswith("/"):
        name, value = words.pop(0).split("=", 1)
        env[name] = value
    return words, env


def run(words, env, null):
    started = time.perf_counter()
    pid = os.posix_spawnp(words[0], words, env,
                          file_actions=[(os.POSIX_SPAWN_DUP2, null, fd) for fd in (0, 1, 2)])
    _, status, usage = os.wait4(pid, 0)
    if status != 0:
        sys.exit(f"{' '.join(words)} failed: status {status}")
    return time.perf_counter() - started, usage.ru_utime + usage.ru_stime


def main():
    rounds = int(sys.argv[1])
    commands = [parse(command) for command in sys.argv[2:]]
    null = os.open(os.devnull, os.O_RDWR)
    taken = [[] for _ in commands]
    for round_ in range(rounds + 1):
        for index, (words, env) in enumerate(commands):
            times = run(words, env, null)
            if round_ > 0:
                taken[index].append(times)
    for times in taken:
        print(f"{statistics.median(t[0] for t in times) * 1000:.3f} "
              f"{statistics.median(t[1] for t in times) * 1000:.3f}")


main()
