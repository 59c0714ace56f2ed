#!/usr/bin/env python3
"""Key-press pause of trb2asc.exe on a console: Wine gives a program started on a
pseudo-terminal a real console, so keys typed there arrive as console key events.
Checks that the pause waits for a key, echoes it, reads Ctrl-C as a key, and that a
two-code key at the overflow pause makes the final pause return at once. (Wine binds
its console to the terminal only while standard input is that terminal, so a
redirected standard input cannot be shown here.)

Usage: wine_console_pause.py WINE_RUN TRB2ASC_EXE SAMPLE_TRB"""

import os
import pty
import re
import select
import shutil
import sys
import tempfile
import time

WAIT_BEFORE_KEY = 1.5  # seconds the program must still be waiting before a key is sent
RUN_LIMIT = 20.0


def run_on_terminal(argv, cwd, keys):
    """Runs argv on a new pseudo-terminal; sends each key once the prompt has stood
    for WAIT_BEFORE_KEY seconds. Returns (output, exit status, keys sent, waited)."""
    pid, fd = pty.fork()
    if pid == 0:
        os.chdir(cwd)
        os.environ["TERM"] = "xterm"
        os.execvp(argv[0], argv)
    output = b""
    sent = 0
    prompt_seen_at = None
    prompts = 0
    start = time.monotonic()
    while time.monotonic() - start < RUN_LIMIT:
        ready, _, _ = select.select([fd], [], [], 0.1)
        if ready:
            try:
                data = os.read(fd, 4096)
            except OSError:  # the terminal closed: the program has ended
                break
            output += data
        if output.count(b"Press any key") > prompts:
            prompts = output.count(b"Press any key")
            prompt_seen_at = time.monotonic()
        if (sent < len(keys) and prompt_seen_at is not None
                and time.monotonic() - prompt_seen_at >= WAIT_BEFORE_KEY):
            os.write(fd, keys[sent])
            sent += 1
            prompt_seen_at = None
    else:
        os.kill(pid, 9)
    _, status = os.waitpid(pid, 0)
    os.close(fd)
    return output, status, sent


def screen_text(output):
    """The terminal output with Wine's cursor movements read as the spaces they stand for."""
    text = re.sub(rb"\x1b\[(\d*)C", lambda m: b" " * int(m.group(1) or 1), output)
    return re.sub(rb"\x1b\[[0-9;?]*[A-Za-z]", b"", text)


def main():
    wine_run, exe, sample = (os.path.abspath(a) for a in sys.argv[1:4])
    overflow = tempfile.NamedTemporaryFile(delete=False)
    with open(sample, "rb") as f:
        data = f.read()
    overflow.write(data[:200] + (2000).to_bytes(4, "little") + data[204:] * 4)
    overflow.close()

    F11 = b"\x1b[23~"
    # name, input file, keys, text the screen must show
    cases = [
        ("letter is echoed", sample, [b"a"], [b"Press any keya"]),
        ("Enter echoes a carriage return", sample, [b"\r"], [b"Press any key\r"]),
        ("Ctrl-C is a key", sample, [b"\x03"], [b"400 Trackpoints"]),
        ("two-code key at the overflow pause", overflow.name, [F11],
         [b"memory buffer: 65535", b"1365 Trackpoints"]),
    ]
    failures = 0
    for name, track, keys, expected in cases:
        work = tempfile.mkdtemp()
        try:
            shutil.copy(track, os.path.join(work, "ceTrackTail.trb"))
            output, status, sent = run_on_terminal([wine_run, exe], work, keys)
            text = screen_text(output)
            problems = []
            if sent != len(keys):
                problems.append(f"ended after {sent} of {len(keys)} keys, without waiting")
            if not (os.WIFEXITED(status) and os.WEXITSTATUS(status) == 0):
                problems.append(f"status {status}")
            problems += [f"no {e!r}" for e in expected if e not in text]
            if not os.path.exists(os.path.join(work, "VexaTrackTail.asc")):
                problems.append("no output file")
            if problems:
                failures += 1
                print(f"FAIL  {name}: {'; '.join(problems)}\n      screen: {text!r}")
            else:
                print(f"ok    {name}")
        finally:
            shutil.rmtree(work)
    os.unlink(overflow.name)
    print(f"{len(cases) - failures} of {len(cases)} console cases passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
