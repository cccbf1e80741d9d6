"""What the browser tests of quick add share: the stand-in for Numira, the host's manifest, the
user's folders and the four users each browser is tried with. Each browser's script keeps only how
it talks to its browser and hands in two calls: one click that is expected to fail (returning the
notification id and the notifications made) and one that is expected to work (returning what the
handler resolved with)."""

import json
import os
import tempfile
import time
from pathlib import Path

CLICK = "onAddToNumiraClicked"
HOST_NAME = "org.numira.quickadd"
# Far beyond what any step takes alone (about a second); only a hung browser reaches it.
BOUND = 90
# A leading "-" and non-ASCII text: neither may be changed on the way to Numira.
SELECTION = "-style=x Clé-Ñ 日本語 🔑 ABCD-1234"


class Failure(Exception):
    pass


class StandIn:
    """A stand-in for Numira that records its arguments, NUL-terminated, one file per start."""

    def __init__(self, work):
        self.runs, self.path = work / "runs", work / "numira-standin"
        self.runs.mkdir()
        self.path.write_text(f"#!/bin/sh\nout='{self.runs}'/$$\n"
                             "printf '%s\\0' \"$@\" > \"$out.tmp\" && mv \"$out.tmp\" \"$out\"\n")
        self.startable(True)

    def startable(self, yes):
        self.path.chmod(0o755 if yes else 0o644)

    def expect_selection(self):
        """The stand-in started once with the selection unchanged; its record is then cleared."""
        # The host answered once it had started the stand-in, which writes its file when it
        # runs; only a very loaded machine delays that.
        deadline = time.monotonic() + BOUND
        while not any(self.runs.glob("*[0-9]")) and time.monotonic() < deadline:
            time.sleep(0.01)
        received = [path.read_bytes().split(b"\0")[:-1] for path in self.runs.glob("*[0-9]")]
        if received != [[b"--add-serial=" + SELECTION.encode()]]:
            raise Failure(f"the stand-in received {received}")
        for path in self.runs.iterdir():
            path.unlink()


def user_environment(home, stand_in):
    """The browser's environment: the user's folders under home, Numira replaced by stand_in."""
    return dict(os.environ, HOME=str(home), XDG_CONFIG_HOME=str(home / ".config"),
                XDG_CACHE_HOME=str(home / ".cache"), NUMIRA_PROGRAM=str(stand_in.path))


def host_manifest(host, allowed):
    """The user's host manifest; allowed names the browser's own key and its value."""
    return json.dumps(dict({"name": HOST_NAME, "description": "Numira quick add (test)",
                            "path": str(host), "type": "stdio"}, **allowed))


def expect_failure_notice(shown, identifier, notes, said, listed=True):
    """A click that fails shows one notification (the browser gave it an id and, where it keeps
    them, lists it) whose message says why."""
    if not identifier or not listed or len(notes) != 1:
        raise Failure(f"no notification shown: {shown}")
    if notes[0]["title"] != "Add to Numira failed" or said not in notes[0]["message"]:
        raise Failure(f"the notification says {notes[0]}")


def play_users(click_fails_with, click_works, stand_in, system_manifest, user_manifest,
               manifest_text, settings, with_option_on=None):
    """The four users in turn. click_fails_with(said) checks a failing click's notification;
    click_works() returns what a working click resolved with. with_option_on runs once quick add
    is allowed again, before the last click."""

    def click_reaches_numira():
        """A click that works resolves with null; the stand-in gets the text unchanged."""
        outcome = click_works()
        if outcome is not None:
            raise Failure(f"the click failed: {outcome}")
        stand_in.expect_selection()

    # A user without a manifest of their own: served by the package's system-wide one where it
    # is installed; elsewhere the browser cannot find the host.
    if system_manifest.exists():
        print(f"note: {system_manifest} is installed; checking that it serves")
        click_reaches_numira()
    else:
        click_fails_with("quick-add helper is not installed")

    # A user whose manifest names a helper program that is gone (a package purged, a build
    # folder deleted): told it is not installed, as when no manifest is there.
    gone = json.loads(manifest_text)
    gone["path"] = str(user_manifest.parent / "removed" / "numira-quickadd-host")
    user_manifest.parent.mkdir(parents=True, exist_ok=True)
    user_manifest.write_text(json.dumps(gone))
    click_fails_with("quick-add helper is not installed")

    # A user whose Numira cannot be started: the host says so.
    user_manifest.write_text(manifest_text)
    stand_in.startable(False)
    click_fails_with("Cannot start")
    stand_in.startable(True)

    # A user who turned quick add off: the host refuses and starts nothing.
    settings.write_text("[Info]\nQuickAdd=0\n")
    click_fails_with("turned off in Numira's About window")

    # The option on again: the selection reaches the stand-in unchanged.
    settings.write_text("[Info]\nQuickAdd=1\n")
    if with_option_on:
        with_option_on()
    started = time.monotonic()
    click_reaches_numira()
    print(f"click to Numira started: {time.monotonic() - started:.2f} s")


def run_test(browser_name, browser, run, arguments):
    """Calls run(browser, host, extension folder, work folder) for "--host HOST --extension
    FOLDER" in a temporary work folder; prints the outcome and returns the exit status."""
    with tempfile.TemporaryDirectory(prefix=f"numira-{browser_name}-") as work:
        try:
            run(browser, Path(arguments["--host"]).resolve(),
                Path(arguments["--extension"]).resolve(), Path(work))
        except Failure as failure:
            print(f"FAIL: {failure}")
            return 1
    print("PASS")
    return 0
