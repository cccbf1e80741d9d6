#!/usr/bin/env python3
"""Quick add through a real Firefox ESR, driven over Marionette on loopback.

Default: headless Firefox installs the extension as a temporary add-on and its click handler is
called, in the extension's own page, for four users in turn: one without a host manifest, one
whose Numira cannot be started and one who turned quick add off (each is told why in a
notification), then one for whom the selection reaches a stand-in for Numira unchanged. All in
a temporary folder, the user's home untouched. Exits 0 passed, 1 failed, 77 skipped.

--system-addon PROFILE: starts Firefox once on an existing PROFILE folder and prints whether the
add-on installed system-wide (the Debian package) is active in that very start; see
firefox_existing_profile.sh."""

import json
import os
import shutil
import socket
import subprocess
import sys
import time
import uuid
from pathlib import Path

from quickadd_scenarios import (BOUND, CLICK, HOST_NAME, SELECTION, Failure, StandIn,
                                expect_failure_notice, host_manifest, play_users, run_test,
                                user_environment)

ADDON_ID = "quickadd@numira.org"


class Marionette:
    """Marionette's protocol: "LENGTH:JSON" messages; commands [0, id, name, parameters]."""

    def __init__(self, port):
        deadline = time.monotonic() + BOUND
        while True:
            try:
                self.socket = socket.create_connection(("127.0.0.1", port), timeout=BOUND)
                break
            except OSError:
                if time.monotonic() > deadline:
                    raise Failure("Firefox's Marionette port did not open")
                time.sleep(0.1)
        self.buffer, self.next_id = b"", 0
        self.receive()  # the greeting

    def receive(self):
        while b":" not in self.buffer:
            self.read_more()
        length, rest = self.buffer.split(b":", 1)
        while len(rest) < int(length):
            self.read_more()
            rest = self.buffer.split(b":", 1)[1]
        self.buffer = rest[int(length):]
        return json.loads(rest[:int(length)])

    def read_more(self):
        chunk = self.socket.recv(1 << 16)
        if not chunk:
            raise Failure("Firefox closed the Marionette connection")
        self.buffer += chunk

    def call(self, name, parameters=None):
        self.next_id += 1
        body = json.dumps([0, self.next_id, name, parameters or {}]).encode()
        self.socket.sendall(str(len(body)).encode() + b":" + body)
        while True:
            answer = self.receive()
            if answer[0] == 1 and answer[1] == self.next_id:
                break
        if answer[2]:
            raise Failure(f"{name}: {answer[2]}")
        return answer[3]

    def script(self, source, *arguments):
        return self.call("WebDriver:ExecuteScript",
                         {"script": source, "args": list(arguments)}).get("value")


# Nothing may leave the machine: every connection goes to a SOCKS proxy on loopback that does
# not answer, names included, and the services that call home are off.
QUIET_PREFS = {
    "marionette.port": 0,
    "network.proxy.type": 1,
    "network.proxy.socks": "127.0.0.1",
    "network.proxy.socks_port": 9,
    "network.proxy.socks_remote_dns": True,
    "network.proxy.allow_hijacking_localhost": False,
    "network.trr.mode": 5,
    "network.captive-portal-service.enabled": False,
    "network.connectivity-service.enabled": False,
    "services.settings.server": "http://127.0.0.1:9/v1",
    "app.normandy.enabled": False,
    "app.update.disabledForTesting": True,
    "browser.safebrowsing.update.enabled": False,
    "datareporting.policy.dataSubmissionEnabled": False,
    "toolkit.telemetry.enabled": False,
    "extensions.getAddons.cache.enabled": False,
    "extensions.update.enabled": False,
}


# Marionette's own preferences for automation turn off add-ons of the system scope, where the
# package installs Numira's: a profile checked for them keeps Firefox's ordinary ones.
ORDINARY_SCOPES_PREFS = {
    "remote.prefs.recommended": False,
    "extensions.enabledScopes": 15,
}


def start_firefox(firefox, profile, environment, log, extra_prefs=None):
    """Firefox on profile with Marionette on a port it picks; returns the process and client."""
    prefs = profile / "user.js"
    chosen = dict(QUIET_PREFS, **(extra_prefs or {}))
    prefs.write_text("".join(f"user_pref({json.dumps(name)}, {json.dumps(value)});\n"
                             for name, value in chosen.items()))
    port_file = profile / "MarionetteActivePort"
    if port_file.exists():
        port_file.unlink()
    process = subprocess.Popen(
        [firefox, "--headless", "--marionette", "--remote-allow-system-access", "--no-remote",
         "--profile", str(profile), "about:blank"],
        env=environment, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
        start_new_session=True)
    deadline = time.monotonic() + BOUND
    while not (port_file.exists() and port_file.read_text().strip()):
        if process.poll() is not None or time.monotonic() > deadline:
            raise Failure("Firefox did not open its Marionette port")
        time.sleep(0.05)
    client = Marionette(int(port_file.read_text()))
    client.call("WebDriver:NewSession", {"capabilities": {"alwaysMatch": {}}})
    return process, client


def stop_firefox(process, client):
    try:
        client.call("Marionette:Quit", {"flags": ["eForceQuit"]})
    except (Failure, OSError):
        pass
    try:
        process.wait(timeout=BOUND)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, 9)
        process.wait()


def run(firefox, host, extension_dir, work):
    stand_in = StandIn(work)
    home, profile = work / "home", work / "profile"
    hosts = home / ".mozilla/native-messaging-hosts"
    settings = home / ".config/Numira/Numira.conf"
    for folder in (hosts, settings.parent, profile):
        folder.mkdir(parents=True)
    internal = str(uuid.uuid4())
    environment = user_environment(home, stand_in)
    system_manifest = Path(f"/usr/lib/mozilla/native-messaging-hosts/{HOST_NAME}.json")

    log_path = work / "firefox.log"
    with open(log_path, "wb") as log:
        process, client = start_firefox(firefox, profile, environment, log, {
            "extensions.webextensions.uuids": json.dumps({ADDON_ID: internal})})
    try:
        client.call("Addon:Install", {"path": str(extension_dir), "temporary": True})
        client.call("WebDriver:Navigate",
                    {"url": f"moz-extension://{internal}/_generated_background_page.html"})
        deadline = time.monotonic() + BOUND
        while client.script(f"return typeof {CLICK}") != "function":
            if time.monotonic() > deadline:
                raise Failure(f"{CLICK} was not defined within {BOUND} s")
            time.sleep(0.05)
        # Every notification the extension makes is recorded on its way to the browser.
        # (Marionette's scripts see the page's window, not its script-level constants; the
        # extension's "extensionApi" is this window's "browser".)
        client.script("""
            window.shownNotifications = [];
            const create = browser.notifications.create.bind(browser.notifications);
            browser.notifications.create = (options) => {
                shownNotifications.push(options);
                return create(options);
            };""")

        def click_fails_with(said):
            # Headless Firefox has no alert window: the notification closes at once, so the id
            # the browser gave it stands for its being shown; notifications.getAll() may
            # already have forgotten it.
            shown = client.script(
                f"return {CLICK}(arguments[0]).then((id) => [id, shownNotifications.splice(0)])",
                SELECTION)
            identifier, notes = shown
            expect_failure_notice(shown, identifier, notes, said)

        play_users(click_fails_with,
                   lambda: client.script(f"return {CLICK}(arguments[0])", SELECTION),
                   stand_in, system_manifest, hosts / f"{HOST_NAME}.json",
                   host_manifest(host, {"allowed_extensions": [ADDON_ID]}), settings)
    except Failure:
        print("--- Firefox's output ---\n" + log_path.read_text(errors="replace")[-4000:])
        raise
    finally:
        stop_firefox(process, client)


def system_addon_state(firefox, profile):
    """Whether the system-wide add-on is active in this start of Firefox on profile."""
    with open(profile / "numira-check.log", "ab") as log:
        process, client = start_firefox(firefox, profile, dict(os.environ), log,
                                        ORDINARY_SCOPES_PREFS)
    try:
        client.call("Marionette:SetContext", {"value": "chrome"})
        return client.script(f"""
            const {{AddonManager}} = ChromeUtils.importESModule(
                "resource://gre/modules/AddonManager.sys.mjs");
            return AddonManager.getAddonByID("{ADDON_ID}").then(
                (addon) => addon ? (addon.isActive ? "active" : "installed, not active")
                                 : "not installed");""")
    finally:
        stop_firefox(process, client)


def main():
    arguments = dict(zip(sys.argv[1::2], sys.argv[2::2]))
    firefox = shutil.which("firefox-esr") or shutil.which("firefox")
    if not firefox:
        print("SKIP: Firefox is not installed")
        return 77
    if "--system-addon" in arguments:
        try:
            print(system_addon_state(firefox, Path(arguments["--system-addon"]).resolve()))
        except Failure as failure:
            print(f"FAIL: {failure}")
            return 1
        return 0
    return run_test("firefox", firefox, run, arguments)


if __name__ == "__main__":
    sys.exit(main())
