#!/usr/bin/env python3
"""Where a run's time went, process by process: running, waiting for a core, sleeping.

    perf sched record -o sched.data -- build/bin/tunedeck-detect -j 2 FOLDER > /dev/null
    bench/collectionbench/schedstates.py sched.data

Reads the scheduler events of the recorded command and of every process it started, and
prints for each when it first and last ran (ms from the command's first run) and how long
it spent in each state.
"""
import collections
import re
import subprocess
import sys

SWITCH = re.compile(r'prev_comm=(.*?) prev_pid=(\d+) .*prev_state=(\S+) ==> next_comm=(.*?) next_pid=(\d+)')
FORK = re.compile(r'comm=(.*?) pid=(\d+) child_comm=(.*?) child_pid=(\d+)')
WAKE = re.compile(r'comm=(.*?) pid=(\d+)')


def main(path):
    script = subprocess.run(['perf', 'script', '-i', path, '-F', 'time,event,trace'],
                            capture_output=True, text=True, check=True).stdout
    state = {}  # pid -> (state, since)
    spent = collections.defaultdict(lambda: collections.defaultdict(float))
    seen = {}  # pid -> [first ran, last ran]
    names = {}
    root, tree = None, set()

    def enter(pid, new, t):
        if pid in state:
            old, since = state[pid]
            spent[pid][old] += t - since
        state[pid] = (new, t)

    for line in script.splitlines():
        m = re.match(r'\s*([\d.]+):\s+(\S+):\s+(.*)', line)
        if not m:
            continue
        t, event, trace = float(m.group(1)), m.group(2), m.group(3)
        if event == 'sched:sched_switch':
            s = SWITCH.search(trace)
            if not s:
                continue
            prev_comm, prev, prev_state, next_comm, nxt = s.groups()
            names[prev], names[nxt] = prev_comm, next_comm
            for comm, pid in ((prev_comm, prev), (next_comm, nxt)):
                if root is None and comm == 'perf-exec':  # the command before its exec
                    root = pid
                    tree.add(pid)
            enter(prev, 'waiting for a core' if prev_state.startswith('R') else 'sleeping', t)
            enter(nxt, 'running', t)
            seen.setdefault(nxt, [t, t])[1] = t
            if prev in seen:
                seen[prev][1] = t
        elif event == 'sched:sched_process_fork':
            f = FORK.search(trace)
            if f and f.group(2) in tree:
                tree.add(f.group(4))
        elif event in ('sched:sched_waking', 'sched:sched_wakeup', 'sched:sched_wakeup_new'):
            w = WAKE.search(trace)
            if w and state.get(w.group(2), ('',))[0] != 'running':
                enter(w.group(2), 'waiting for a core', t)

    if root is None:
        sys.exit('no command found in ' + path)
    start = seen[root][0]
    for pid in sorted(tree, key=lambda p: seen.get(p, [0])[0]):
        if pid not in seen:
            continue
        first, last = ((x - start) * 1000 for x in seen[pid])
        states = ', '.join('%s %.1f' % (k, v * 1000) for k, v in spent[pid].items() if v >= 0.0005)
        print('%s %s: from %.1f to %.1f ms; %s' % (pid, names.get(pid, '?'), first, last, states))


if __name__ == '__main__':
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
