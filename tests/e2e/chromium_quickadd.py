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
import time
from pathlib import Path

from quickadd_scenarios import (BOUND, CLICK, HOST_NAME, SELECTION, Failure, StandIn,
                                expect_failure_notice, host_manifest, play_users, run_test,
                                user_environment)

HANDLER = "addSelectionToNumira"


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

    stand_in = StandIn(work)
    home, profile = work / "home", work / "home/.config/chromium"
    hosts = profile / "NativeMessagingHosts"
    hosts.mkdir(parents=True)
    # The user's Numira settings, where the host reads the About window's option.
    settings = home / ".config/Numira/Numira.conf"
    settings.parent.mkdir(parents=True)
    system_manifest = Path(f"/etc/chromium/native-messaging-hosts/{HOST_NAME}.json")
    environment = user_environment(home, stand_in)

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
            shown = evaluate(devtools, session,
                             f"{CLICK}({json.dumps(SELECTION)}).then(async (id) => [id, "
                             "Object.keys(await extensionApi.notifications.getAll()), "
                             "shownNotifications.splice(0)])")
            identifier, listed, notes = shown
            expect_failure_notice(shown, identifier, notes, said, identifier in listed)

        def empty_selection_refused():
            """A text the host refuses rejects the handler's promise with the host's reason."""
            refused = evaluate(devtools, session,
                               f'{HANDLER}("").then(() => "resolved", '
                               '(e) => "rejected: " + e.message)')
            if not str(refused).startswith("rejected: ") or "empty" not in refused:
                raise Failure(f"an empty selection was not refused: {refused}")

        play_users(click_fails_with,
                   lambda: evaluate(devtools, session, f"{CLICK}({json.dumps(SELECTION)})"),
                   stand_in, system_manifest, hosts / f"{HOST_NAME}.json",
                   host_manifest(host, {"allowed_origins": [origin]}), settings,
                   empty_selection_refused)
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
    return run_test("chromium", chromium, run, arguments)


if __name__ == "__main__":
    sys.exit(main())
