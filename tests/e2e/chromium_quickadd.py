#!/usr/bin/env python3
"""Quick add through a real browser: headless Chromium loads the extension, whose click handler
is called with a selection; Chromium starts the real host, which starts a stand-in for Numira.
Four users in turn, in one browser: one without a host manifest, one whose Numira cannot be
started and one who turned quick add off (each time the extension shows why in a notification
and nothing starts), then one for whom it works. All in a temporary folder, the user's home untouched. Every wait is on what the
browser does, bounded generously for a loaded machine. Exits 0 passed, 1 failed, 77 skipped."""

import base64
import hashlib
import json
import os
import select
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

HANDLER = "addSelectionToNumira"
CLICK = "onAddToNumiraClicked"
# Far beyond what any step takes alone (about a second); only a hung browser reaches it.
BOUND = 90
# A leading "-" and non-ASCII text: neither may be changed on the way to Numira.
SELECTION = "-style=x Clé-Ñ 日本語 🔑 ABCD-1234"


class Failure(Exception):
    pass


class DevTools:
    """The DevTools protocol over --remote-debugging-pipe: NUL-terminated JSON messages."""

    def __init__(self, to_browser, from_browser):
        self.to_browser, self.from_browser = to_browser, from_browser
        self.buffer, self.next_id, self.events = b"", 0, []

    def receive(self, deadline):
        while b"\0" not in self.buffer:
            wait = max(0, deadline - time.monotonic())
            if not select.select([self.from_browser], [], [], wait)[0]:
                raise Failure("Chromium did not answer in time")
            chunk = os.read(self.from_browser, 1 << 16)
            if not chunk:
                raise Failure("Chromium closed the DevTools pipe")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def call(self, method, params=None, session=None, timeout=BOUND):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        deadline = time.monotonic() + timeout
        while (answer := self.receive(deadline)).get("id") != self.next_id:
            self.events.append(answer)
        if "error" in answer:
            raise Failure(f"{method}: {answer['error']}")
        return answer["result"]

    def wait_for_event(self, matches, timeout=BOUND):
        deadline = time.monotonic() + timeout
        while True:
            event = self.events.pop(0) if self.events else self.receive(deadline)
            if matches(event):
                return event


def evaluate(devtools, session, expression, timeout=BOUND):
    result = devtools.call("Runtime.evaluate", {"expression": expression, "awaitPromise": True,
                                                "returnByValue": True}, session, timeout)
    if "exceptionDetails" in result:
        raise Failure(f"{expression}: {result['exceptionDetails']}")
    return result["result"].get("value")


def run(chromium, host, extension_dir, work):
    # Chromium's id for an extension whose manifest pins its public key.
    key = json.loads((extension_dir / "manifest.json").read_text())["key"]
    digest = hashlib.sha256(base64.b64decode(key)).hexdigest()[:32]
    origin = "chrome-extension://" + "".join(chr(ord("a") + int(d, 16)) for d in digest) + "/"

    # A stand-in for Numira that records its arguments, NUL-terminated, one file per start.
    runs, stand_in = work / "runs", work / "numira-standin"
    runs.mkdir()
    stand_in.write_text(f"#!/bin/sh\nout='{runs}'/$$\n"
                        "printf '%s\\0' \"$@\" > \"$out.tmp\" && mv \"$out.tmp\" \"$out\"\n")
    stand_in.chmod(0o755)

    home, profile = work / "home", work / "home/.config/chromium"
    hosts = profile / "NativeMessagingHosts"
    hosts.mkdir(parents=True)
    manifest = json.dumps({
        "name": "org.numira.quickadd", "description": "Numira quick add (test)",
        "path": str(host), "type": "stdio", "allowed_origins": [origin]})
    # The user's Numira settings, where the host reads the About window's option.
    settings = home / ".config/Numira/Numira.conf"
    settings.parent.mkdir(parents=True)
    system_manifest = Path("/etc/chromium/native-messaging-hosts/org.numira.quickadd.json")
    environment = dict(os.environ, HOME=str(home), XDG_CONFIG_HOME=str(home / ".config"),
                       XDG_CACHE_HOME=str(home / ".cache"), NUMIRA_PROGRAM=str(stand_in))

    # The browser reads DevTools messages on descriptor 3 and writes them on 4.
    to_browser_read, to_browser_write = os.pipe()
    from_browser_read, from_browser_write = os.pipe()
    log_path = work / "chromium.log"
    with open(log_path, "wb") as log:
        process = subprocess.Popen(
            [chromium, "--headless", "--no-sandbox", "--disable-gpu", f"--user-data-dir={profile}",
             "--remote-debugging-pipe", "--enable-unsafe-extension-debugging", "--no-first-run",
             # Nothing may leave the machine: background services off, and every connection
             # (names included) sent to a SOCKS proxy on loopback that does not answer.
             "--disable-background-networking", "--disable-component-update",
             "--proxy-server=socks5://127.0.0.1:9", "about:blank"],
            env=environment, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
            pass_fds=(3, 4), start_new_session=True, preexec_fn=lambda: (
                os.dup2(to_browser_read, 100), os.dup2(from_browser_write, 101),
                os.dup2(100, 3), os.dup2(101, 4)))
    for fd in (to_browser_read, from_browser_write):
        os.close(fd)
    devtools = DevTools(to_browser_write, from_browser_read)
    try:
        devtools.call("Target.setDiscoverTargets", {"discover": True})
        devtools.call("Extensions.loadUnpacked", {"path": str(extension_dir)})
        worker = devtools.wait_for_event(lambda event: event.get("method") in (
            "Target.targetCreated", "Target.targetInfoChanged")
            and event["params"]["targetInfo"]["type"] == "service_worker"
            and event["params"]["targetInfo"]["url"].startswith(origin))
        session = devtools.call("Target.attachToTarget", {
            "targetId": worker["params"]["targetInfo"]["targetId"], "flatten": True})["sessionId"]

        # The target exists before its script has run: ask until the handler is there.
        deadline = time.monotonic() + BOUND
        while True:
            try:
                if evaluate(devtools, session, f"typeof {CLICK}", 10) == "function":
                    break
            except Failure:
                pass  # the worker may still be starting
            if time.monotonic() > deadline:
                raise Failure(f"{CLICK} was not defined within {BOUND} s")
            time.sleep(0.05)

        # Every notification the extension makes is recorded on its way to the browser.
        evaluate(devtools, session, """
            globalThis.shownNotifications = [];
            const create = extensionApi.notifications.create.bind(extensionApi.notifications);
            extensionApi.notifications.create = (options) => {
                shownNotifications.push(options);
                return create(options);
            };
            true""")

        def click_fails_with(said):
            """A click that fails shows one notification, which the browser lists, saying why."""
            shown = evaluate(devtools, session,
                             f"{CLICK}({json.dumps(SELECTION)}).then(async (id) => [id, "
                             "Object.keys(await extensionApi.notifications.getAll()), "
                             "shownNotifications.splice(0)])")
            identifier, listed, notes = shown
            if not identifier or identifier not in listed or len(notes) != 1:
                raise Failure(f"no notification shown: {shown}")
            if notes[0]["title"] != "Add to Numira failed" or said not in notes[0]["message"]:
                raise Failure(f"the notification says {notes[0]}")

        # A user for whom no manifest is anywhere: the browser cannot find the host.
        def click_reaches_numira():
            """A click that works resolves with null; the stand-in gets the text unchanged."""
            outcome = evaluate(devtools, session, f"{CLICK}({json.dumps(SELECTION)})")
            if outcome is not None:
                raise Failure(f"the click failed: {outcome}")
            # The host answered once it had started the stand-in, which writes its file when
            # it runs; only a very loaded machine delays that.
            deadline = time.monotonic() + BOUND
            while not any(runs.glob("*[0-9]")) and time.monotonic() < deadline:
                time.sleep(0.01)
            received = [path.read_bytes().split(b"\0")[:-1] for path in runs.glob("*[0-9]")]
            if received != [[b"--add-serial=" + SELECTION.encode()]]:
                raise Failure(f"the stand-in received {received}")
            for path in runs.iterdir():
                path.unlink()

        # A user without a manifest of their own: served by the package's system-wide one
        # where it is installed; elsewhere the browser cannot find the host.
        if system_manifest.exists():
            print(f"note: {system_manifest} is installed; checking that it serves")
            click_reaches_numira()
        else:
            click_fails_with("quick-add helper is not installed")

        # A user whose Numira cannot be started: the host says so.
        (hosts / "org.numira.quickadd.json").write_text(manifest)
        stand_in.chmod(0o644)
        click_fails_with("Cannot start")
        stand_in.chmod(0o755)

        # A user who turned quick add off: the host refuses and starts nothing.
        settings.write_text("[Info]\nQuickAdd=0\n")
        click_fails_with("turned off in Numira's About window")

        # The option on again: a text the host refuses rejects the handler's promise with the
        # host's reason; the selection reaches the stand-in unchanged.
        settings.write_text("[Info]\nQuickAdd=1\n")
        refused = evaluate(devtools, session,
                           f'{HANDLER}("").then(() => "resolved", (e) => "rejected: " + e.message)')
        if not str(refused).startswith("rejected: ") or "empty" not in refused:
            raise Failure(f"an empty selection was not refused: {refused}")
        started = time.monotonic()
        click_reaches_numira()
        print(f"click to Numira started: {time.monotonic() - started:.2f} s")
    except Failure:
        print("--- Chromium's output ---\n" + log_path.read_text(errors="replace")[-4000:])
        raise
    finally:
        os.killpg(process.pid, 9)
        process.wait(timeout=5)
        for fd in (to_browser_write, from_browser_read):
            os.close(fd)


def main():
    arguments = dict(zip(sys.argv[1::2], sys.argv[2::2]))  # --host HOST --extension FOLDER
    # Debian's launcher script (/usr/bin/chromium) also loads every extension installed under
    # /usr/share/chromium/extensions: with Numira's package installed, that copy and the one
    # under test share an id and replace each other. The browser itself loads only this one.
    chromium = next((path for path in ("/usr/lib/chromium/chromium",) if os.access(path, os.X_OK)),
                    None) or shutil.which("chromium") or shutil.which("chromium-browser")
    if not chromium:
        print("SKIP: Chromium is not installed")
        return 77
    with tempfile.TemporaryDirectory(prefix="numira-chromium-") as work:
        try:
            run(chromium, Path(arguments["--host"]).resolve(),
                Path(arguments["--extension"]).resolve(), Path(work))
        except Failure as failure:
            print(f"FAIL: {failure}")
            return 1
    print("PASS")
    return 0


if __name__ == "__main__":
    sys.exit(main())
