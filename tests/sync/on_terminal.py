#!/usr/bin/env python3
"""Runs a command on a terminal of its own and answers its prompts as a
person would: on_terminal.py PROMPT ANSWER [PROMPT ANSWER...] -- COMMAND...
Prints everything the terminal showed; exits with the command's status."""
import os
import pty
import select
import signal
import sys
import time

split = sys.argv.index("--")
pairs = sys.argv[1:split]
command = sys.argv[split + 1:]
answers = list(zip(pairs[0::2], pairs[1::2]))

pid, fd = pty.fork()
if pid == 0:
    os.execvp(command[0], command)

shown = b""
deadline = time.monotonic() + 60
while time.monotonic() < deadline:
    ready, _, _ = select.select([fd], [], [], 0.5)
    if ready:
        try:
            chunk = os.read(fd, 4096)
        except OSError:
            break
        if not chunk:
            break
        shown += chunk
    if answers and answers[0][0].encode() in shown:
        os.write(fd, answers.pop(0)[1].encode() + b"\n")
        # The prompt is answered once: later output is searched for the next one.
        shown += b"\x00"
done, status = os.waitpid(pid, os.WNOHANG)
if done == 0:
    os.kill(pid, signal.SIGKILL)  # a prompt never answered: the caller sees what stood there
    _, status = os.waitpid(pid, 0)
sys.stdout.write(shown.replace(b"\x00", b"").decode(errors="replace"))
sys.exit(os.waitstatus_to_exitcode(status))
