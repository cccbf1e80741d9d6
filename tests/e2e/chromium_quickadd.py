#!/usr/bin/env python3
"""Quick add through a real browser: a headless Chromium loads the extension, the extension's
handler is called with a selection, Chromium starts the real native host, and the host starts
a stand-in for Numira that records its arguments.

The context-menu click cannot be driven headless, so the test calls the function the click
handler calls. Everything lives in a temporary folder; the user's home is never touched.
Exit status: 0 passed, 1 failed, 77 skipped (no Chromium).
"""

import argparse
import base64
import fcntl
import hashlib
import json
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

HOST_NAME = "org.numira.quickadd"
HANDLER = "addSelectionToNumira"
# A leading "-" and non-ASCII text: neither may be changed on the way to Numira.
SELECTION = "-style=x Clé-Ñ 日本語 🔑 ABCD-1234"
SKIPPED = 77


class Failure(Exception):
    pass


def chromium_id(manifest):
    """The id Chromium gives an extension whose manifest pins its public key."""
    digest = hashlib.sha256(base64.b64decode(manifest["key"])).hexdigest()[:32]
    return "".join(chr(ord("a") + int(digit, 16)) for digit in digest)


class DevTools:
    """The DevTools protocol over --remote-debugging-pipe: NUL-terminated JSON messages."""

    def __init__(self, to_browser, from_browser):
        self.to_browser = to_browser
        self.from_browser = from_browser
        self.buffer = b""
        self.next_id = 0
        self.events = []

    def send(self, method, params=None, session=None):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        data = json.dumps(message).encode() + b"\0"
        while data:
            data = data[os.write(self.to_browser, data):]
        return self.next_id

    def receive(self, deadline):
        while b"\0" not in self.buffer:
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise TimeoutError
            ready, _, _ = select.select([self.from_browser], [], [], remaining)
            if not ready:
                raise TimeoutError
            chunk = os.read(self.from_browser, 1 << 16)
            if not chunk:
                raise Failure("Chromium closed the DevTools pipe")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def call(self, method, params=None, session=None, timeout=15):
        deadline = time.monotonic() + timeout
        wanted = self.send(method, params, session)
        while True:
            try:
                message = self.receive(deadline)
            except TimeoutError:
                raise Failure(f"no answer to {method} within {timeout} s") from None
            if message.get("id") == wanted:
                if "error" in message:
                    raise Failure(f"{method}: {message['error']}")
                return message["result"]
            if "method" in message:
                self.events.append(message)

    def next_event(self, deadline):
        if self.events:
            return self.events.pop(0)
        while True:
            message = self.receive(deadline)
            if "method" in message:
                return message


def find_service_worker(devtools, extension_id, extension_dir, timeout=30):
    """The extension's service worker target; loads the extension over DevTools when the
    browser ignored --load-extension."""
    prefix = f"chrome-extension://{extension_id}/"
    devtools.call("Target.setDiscoverTargets", {"discover": True})
    start = time.monotonic()
    fallback_at = start + timeout / 3
    deadline = start + timeout
    loaded_by_devtools = False
    while True:
        wait_until = deadline if loaded_by_devtools else fallback_at
        try:
            event = devtools.next_event(wait_until)
        except TimeoutError:
            if loaded_by_devtools:
                raise Failure(f"no service worker under {prefix} within {timeout} s") from None
            print("  --load-extension was ignored; loading over DevTools")
            devtools.call("Extensions.loadUnpacked", {"path": str(extension_dir)})
            loaded_by_devtools = True
            continue
        if event["method"] in ("Target.targetCreated", "Target.targetInfoChanged"):
            info = event["params"]["targetInfo"]
            if info["type"] == "service_worker" and info["url"].startswith(prefix):
                print(f"  service worker {info['url']} after {time.monotonic() - start:.2f} s")
                return info["targetId"]


def evaluate(devtools, session, expression, timeout=15):
    result = devtools.call("Runtime.evaluate",
                           {"expression": expression, "awaitPromise": True,
                            "returnByValue": True},
                           session, timeout)
    if "exceptionDetails" in result:
        raise Failure(f"{expression}: {result['exceptionDetails']}")
    return result["result"].get("value")


def wait_until_defined(devtools, session, timeout=15):
    """The target exists before its script has run: ask until the handler is there."""
    deadline = time.monotonic() + timeout
    polls = 0
    while time.monotonic() < deadline:
        polls += 1
        try:
            if evaluate(devtools, session, f"typeof {HANDLER}", 5) == "function":
                print(f"  {HANDLER} defined after {polls} poll(s)")
                return
        except Failure:
            pass  # the worker may still be starting
    raise Failure(f"{HANDLER} was not defined within {timeout} s")


def make_stand_in(folder):
    """A program that records its arguments, NUL-terminated, one file per start."""
    runs = folder / "runs"
    runs.mkdir()
    script = folder / "numira-standin"
    script.write_text("#!/bin/sh\n"
                      f"out='{runs}'/$$\n"
                      "printf '%s\\0' \"$@\" > \"$out.tmp\" && mv \"$out.tmp\" \"$out\"\n")
    script.chmod(0o755)
    return script, runs


def recorded_runs(runs):
    return [path.read_bytes().split(b"\0")[:-1]
            for path in sorted(runs.iterdir()) if not path.name.endswith(".tmp")]


def wait_for_runs(runs, timeout=10):
    deadline = time.monotonic() + timeout
    while not recorded_runs(runs):
        if time.monotonic() > deadline:
            raise Failure(f"the stand-in was not started within {timeout} s")
        time.sleep(0.02)
    return recorded_runs(runs)


def start_chromium(chromium, profile, extension_dir, environment, log):
    to_browser_read, to_browser_write = os.pipe()
    from_browser_read, from_browser_write = os.pipe()
    # Park the child's ends above 3 and 4 so that moving them there cannot overwrite each other.
    child_read = fcntl.fcntl(to_browser_read, fcntl.F_DUPFD_CLOEXEC, 10)
    child_write = fcntl.fcntl(from_browser_write, fcntl.F_DUPFD_CLOEXEC, 10)

    def give_pipes_to_child():
        os.dup2(child_read, 3)
        os.dup2(child_write, 4)

    process = subprocess.Popen(
        [chromium, "--headless", "--no-sandbox", "--disable-gpu", f"--user-data-dir={profile}",
         "--remote-debugging-pipe", "--enable-unsafe-extension-debugging",
         f"--load-extension={extension_dir}", "--no-first-run", "--no-default-browser-check",
         "about:blank"],
        env=environment, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
        close_fds=False, preexec_fn=give_pipes_to_child, start_new_session=True)
    for fd in (to_browser_read, from_browser_write, child_read, child_write):
        os.close(fd)
    return process, DevTools(to_browser_write, from_browser_read)


def stop_chromium(process, devtools):
    try:
        devtools.send("Browser.close")
        process.wait(timeout=5)
    except (OSError, subprocess.TimeoutExpired):
        pass
    if process.poll() is None:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait(timeout=5)
    os.close(devtools.to_browser)
    os.close(devtools.from_browser)


def run(chromium, host, extension_dir, work):
    manifest = json.loads((extension_dir / "manifest.json").read_text())
    extension_id = chromium_id(manifest)
    print(f"  extension id {extension_id}")

    stand_in, runs = make_stand_in(work)
    home = work / "home"
    profile = home / ".config" / "chromium"
    (profile / "NativeMessagingHosts").mkdir(parents=True)
    (profile / "NativeMessagingHosts" / f"{HOST_NAME}.json").write_text(json.dumps({
        "name": HOST_NAME,
        "description": "Numira quick add (test)",
        "path": str(host),
        "type": "stdio",
        "allowed_origins": [f"chrome-extension://{extension_id}/"],
    }))
    environment = dict(os.environ, HOME=str(home), XDG_CONFIG_HOME=str(home / ".config"),
                       XDG_CACHE_HOME=str(home / ".cache"), XDG_DATA_HOME=str(home / ".local/share"),
                       NUMIRA_PROGRAM=str(stand_in))

    log_path = work / "chromium.log"
    with open(log_path, "wb") as log:
        process, devtools = start_chromium(chromium, profile, extension_dir, environment, log)
    try:
        worker = find_service_worker(devtools, extension_id, extension_dir)
        session = devtools.call("Target.attachToTarget",
                                {"targetId": worker, "flatten": True})["sessionId"]
        wait_until_defined(devtools, session)

        # A text the host refuses rejects the handler's promise with the host's reason and
        # starts nothing.
        refused = evaluate(devtools, session,
                           f'{HANDLER}("").then(() => "resolved", (e) => "rejected: " + e.message)')
        print(f"  empty selection: {refused}")
        if not (refused or "").startswith("rejected: ") or "empty" not in refused:
            raise Failure(f"an empty selection was not refused: {refused}")

        reply = evaluate(devtools, session, f"{HANDLER}({json.dumps(SELECTION)})")
        print(f"  host replied {json.dumps(reply)}")
        if reply != {"ok": True}:
            raise Failure(f"unexpected reply {reply}")

        received = wait_for_runs(runs)
        print(f"  stand-in received {[arg.decode('utf-8', 'replace') for run in received for arg in run]}")
        expected = [[b"--add-serial=" + SELECTION.encode()]]
        if received != expected:
            raise Failure(f"the stand-in received {received}, expected {expected}")
    except Failure:
        sys.stdout.write("--- Chromium's output ---\n")
        sys.stdout.write(log_path.read_text(errors="replace")[-4000:])
        raise
    finally:
        stop_chromium(process, devtools)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--host", required=True, type=Path, help="the built numira-quickadd-host")
    parser.add_argument("--extension", required=True, type=Path, help="the extension's folder")
    parser.add_argument("--chromium", default=shutil.which("chromium") or shutil.which("chromium-browser"))
    arguments = parser.parse_args()
    if not arguments.chromium:
        print("SKIP: Chromium is not installed")
        return SKIPPED
    if not os.access(arguments.host, os.X_OK):
        print(f"FAIL: no host at {arguments.host}")
        return 1

    started = time.monotonic()
    with tempfile.TemporaryDirectory(prefix="numira-chromium-") as work:
        try:
            run(arguments.chromium, arguments.host.resolve(), arguments.extension.resolve(), Path(work))
        except Failure as failure:
            print(f"FAIL: {failure}")
            return 1
    print(f"PASS in {time.monotonic() - started:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
