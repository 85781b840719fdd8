#!/usr/bin/env python3
"""gvde-cli's progress line under a pseudo-terminal: it shows while the run works, and once the
run is over the screen holds exactly the lines a piped run prints (the progress is cleared
before every "Error:" line, before "Done" and before the summary after it, whose folder and time
differ). With --quiet nothing but those lines is written.

Usage: progress_check.py GVDE_CLI GVDE_DEMOGEN"""
import os
import pty
import re
import select
import subprocess
import sys
import tempfile
import time


def run_on_terminal(args, cwd):
    """Everything the program writes to its terminal (stdin, stdout and stderr are the pty)."""
    pid, fd = pty.fork()
    if pid == 0:
        os.chdir(cwd)
        os.execv(args[0], args)
    output = b""
    deadline = time.monotonic() + 120
    while time.monotonic() < deadline:
        ready, _, _ = select.select([fd], [], [], 1)
        if not ready:
            continue
        try:
            chunk = os.read(fd, 65536)
        except OSError:  # the other side is closed: the program ended
            break
        if not chunk:
            break
        output += chunk
    os.close(fd)
    _, status = os.waitpid(pid, 0)
    return os.waitstatus_to_exitcode(status), output.decode("utf-8", errors="replace")


def screen(output):
    """The lines a terminal shows for `output`: a carriage return goes back to the line's start
    and later characters overwrite earlier ones."""
    lines, line, column = [], [], 0
    for c in output:
        if c == "\n":
            lines.append("".join(line).rstrip(" "))
            line, column = [], 0
        elif c == "\r":
            column = 0
        else:
            if column < len(line):
                line[column] = c
            else:
                line.append(c)
            column += 1
    if line:
        lines.append("".join(line).rstrip(" "))
    return lines


def settled(lines):
    """The lines with the summary after "Done" made comparable: its folder and time vary."""
    return [re.sub(r"^(Wrote .*) to \S+ in [0-9.]+ s", r"\1 to OUT in T s", line) for line in lines]


def main():
    cli, demogen = (os.path.abspath(arg) for arg in sys.argv[1:3])
    with tempfile.TemporaryDirectory(dir="/dev/shm" if os.path.isdir("/dev/shm") else None) as root:
        subprocess.run([demogen, root], check=True, stdout=subprocess.DEVNULL)
        piped = subprocess.run([cli, "--keep-going", "game", "piped"], cwd=root, stdin=subprocess.DEVNULL,
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
        expected = settled(piped.stdout.decode("utf-8").splitlines())
        assert piped.returncode == 0 and expected[-2] == "Done", piped.stdout
        assert expected[-1].startswith("Wrote ") and expected[-1].endswith(" to OUT in T s; 6 pictures could not be made")
        assert "\r" not in piped.stdout.decode("utf-8"), "a progress line went to a pipe"

        code, output = run_on_terminal([cli, "--keep-going", "game", "terminal"], root)
        assert code == 0, output
        for stage in ("Items", "Uniques", "Monsters", "Bosses", "Prefixes", "Suffixes"):
            assert re.search(stage + r" \d+/\d+", output), f"no progress for {stage}: {output!r}"
        assert settled(screen(output)) == expected, f"the terminal shows {screen(output)!r}, not {expected!r}"

        code, output = run_on_terminal([cli, "--keep-going", "--quiet", "game", "quiet"], root)
        assert code == 0, output
        # The terminal turns each line feed into CR LF; --quiet adds no other carriage return.
        assert settled(output.replace("\r\n", "\n").splitlines()) == expected, output
    print("the progress shows on a terminal and is gone before every message")
    return 0


if __name__ == "__main__":
    sys.exit(main())
