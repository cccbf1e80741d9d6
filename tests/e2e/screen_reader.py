#!/usr/bin/python3
"""Uses Numira as a screen reader does, over the AT-SPI accessibility bus and nothing else.

Finds the main window's Add push button by its role and name, presses it through its action,
fills the add screen's fields through their editable-text interface, presses OK, reads the
confirmation as an alert, checks the record in the database file, then searches for it and
reads the result list's rows through the table interface. No coordinates, no synthetic keys.

Run by screen_reader.sh, which gives it an X display and a session bus of their own:
    screen_reader.py NUMIRA_EXECUTABLE NUMIRA_MKDB SCHEMA
"""

import os
import sqlite3
import subprocess
import sys
import tempfile
import time
from pathlib import Path

import pyatspi

# Generous: other builds may share the machine's two cores, and the web engine's start is slow.
START_TIMEOUT = 180
STEP_TIMEOUT = 60


class Failure(Exception):
    pass


def wait_for(what, find, timeout=STEP_TIMEOUT):
    """Polls find() until it returns something true; the bus may answer late or refuse a call
    while the program is busy, which counts as not yet."""
    deadline = time.monotonic() + timeout
    last_error = None
    while time.monotonic() < deadline:
        try:
            found = find()
            if found:
                return found
        except Exception as error:  # a stale object or a call that timed out: ask again
            last_error = error
        time.sleep(0.1)
    raise Failure(f"timed out waiting for {what}" + (f" ({last_error})" if last_error else ""))


def showing(accessible):
    return accessible.getState().contains(pyatspi.STATE_SHOWING)


def descendants(root, skip_web=True):
    """Every object under root, breadth first, leaving out the web pages' own trees."""
    queue = [root]
    while queue:
        node = queue.pop(0)
        yield node
        if skip_web and node.getRole() == pyatspi.ROLE_DOCUMENT_WEB:
            continue
        queue.extend(child for child in node if child is not None)


def find(root, role, name=None, description=None):
    for node in descendants(root):
        if (role is not None and node.getRole() != role) or not showing(node):
            continue
        if name is not None and node.name != name:
            continue
        if description is not None and node.description != description:
            continue
        return node
    return None


def labelled(root, role, caption):
    """The showing field of that role whose label relation points at the caption."""
    for node in descendants(root):
        if node.getRole() != role or not showing(node):
            continue
        for relation in node.getRelationSet():
            if relation.getRelationType() != pyatspi.RELATION_LABELLED_BY:
                continue
            for i in range(relation.getNTargets()):
                if relation.getTarget(i).name == caption:
                    return node
    return None


def press(accessible):
    actions = accessible.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    if "Press" not in names:
        raise Failure(f"{accessible.name!r} has no press action: {names}")
    actions.doAction(names.index("Press"))


def type_into(field, text):
    field.queryEditableText().setTextContents(text)
    shown = field.queryText().getText(0, -1)
    if shown != text:
        raise Failure(f"{field.name!r} holds {shown!r} after typing {text!r}")


def table_rows(table):
    cells = table.queryTable()
    return [[cells.getAccessibleAt(row, column).name for column in range(cells.nColumns)]
            for row in range(cells.nRows)]


def stored_records(database):
    with sqlite3.connect(f"file:{database}?mode=ro", uri=True) as db:
        return db.execute("SELECT program, version, name, serial FROM serials").fetchall()


def run(numira, make_database, schema, scratch):
    home = scratch / "home"
    config = scratch / "config"
    runtime = scratch / "run"
    for folder in (home, config / "Numira", runtime):
        folder.mkdir(parents=True)
    runtime.chmod(0o700)
    database = scratch / "reader.mdb"
    subprocess.run([make_database, schema, str(database)], check=True)
    (config / "Numira" / "Numira.conf").write_text(f"[Info]\nDBInUse={database}\n")
    environment = dict(
        os.environ,
        HOME=str(home), XDG_CONFIG_HOME=str(config), XDG_RUNTIME_DIR=str(runtime),
        XDG_DATA_HOME=str(scratch / "data"), XDG_CACHE_HOME=str(scratch / "cache"),
        # A real X display, and Qt's accessibility on without asking the desktop's settings.
        QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
        # Nothing leaves the machine: the start page's server is this machine.
        NUMIRA_COMMUNITY_SERVER="127.0.0.1",
        QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu")
    program = subprocess.Popen([numira], env=environment, cwd=scratch)
    try:
        use(program, database)
    finally:
        if program.poll() is None:
            program.terminate()
        try:
            program.wait(timeout=30)
        except subprocess.TimeoutExpired:
            program.kill()
            program.wait()


def use(program, database):
    desktop = pyatspi.Registry.getDesktop(0)

    def application():
        if program.poll() is not None:
            raise SystemExit(f"Numira ended early with status {program.returncode}")
        for app in desktop:
            if app is not None and app.get_process_id() == program.pid:
                return app
        return None

    app = wait_for("Numira on the accessibility bus", application, START_TIMEOUT)
    title = f"Numira - {database.name}"
    window = wait_for(f"the window {title!r}",
                      lambda: find(app, pyatspi.ROLE_FRAME, title), START_TIMEOUT)
    print(f"window: {window.name}")
    # The browser's start page is read with its title, like any web page.
    page = wait_for("a start page with a name", lambda: next(
        (node for node in descendants(window, skip_web=False)
         if node.getRole() == pyatspi.ROLE_DOCUMENT_WEB and node.name), None), START_TIMEOUT)
    print(f"start page: {page.name}")

    add = wait_for("the Add push button", lambda: find(window, pyatspi.ROLE_PUSH_BUTTON, "Add"))
    if add.description != "Add a New Serial to Your Database":
        raise Failure(f"the Add button is described as {add.description!r}")
    if not add.getState().contains(pyatspi.STATE_FOCUSABLE):
        raise Failure("the Add button cannot take the focus")
    press(add)

    programs = wait_for("the program list", lambda: find(window, pyatspi.ROLE_LIST, "Program:"))
    new_program = wait_for("the New Program entry",
                           lambda: find(programs, pyatspi.ROLE_LIST_ITEM, "New Program"))
    # Chosen as the arrow keys would: the row is selected through the list's table.
    programs.queryTable().addRowSelection(new_program.getIndexInParent())
    fields = {}
    for caption in ("New Program Name:", "Version:", "Name:", "Serial:"):
        fields[caption] = wait_for(f"the field {caption!r}",
                                   lambda caption=caption: find(window, pyatspi.ROLE_TEXT, caption))
    type_into(fields["New Program Name:"], "Office")
    type_into(fields["Version:"], "2021")
    type_into(fields["Name:"], "Ann")
    type_into(fields["Serial:"], "ABCD-1234-EFGH")
    press(find(window, pyatspi.ROLE_PUSH_BUTTON, "Ok"))

    alert = wait_for("the confirmation", lambda: find(app, pyatspi.ROLE_ALERT))
    said = [node.name for node in descendants(alert) if node.getRole() == pyatspi.ROLE_LABEL]
    print(f"alert: {alert.name} {said}")
    if alert.name != "Success!" or "Serial Successfully Added!" not in said:
        raise Failure(f"the confirmation reads {alert.name!r} {said}")
    records = stored_records(database)
    if records != [("Office", "2021", "Ann", "ABCD-1234-EFGH")]:
        raise Failure(f"the database holds {records}")
    print(f"stored: {records}")
    press(find(alert, pyatspi.ROLE_PUSH_BUTTON, "OK"))
    wait_for("the confirmation to close", lambda: not find(app, pyatspi.ROLE_ALERT))

    search = find(window, pyatspi.ROLE_PUSH_BUTTON, "Search",
                  "Search Your Serial Database by Keywords")
    press(search)
    keywords = wait_for("the keywords field", lambda: find(window, pyatspi.ROLE_TEXT, "Keywords:"))
    type_into(keywords, "1234")
    wait_for("the search by box",
             lambda: labelled(window, pyatspi.ROLE_COMBO_BOX, "Search By:"))
    press(find(window, pyatspi.ROLE_PUSH_BUTTON, "Search", ""))
    results = wait_for("the search results",
                       lambda: find(window, pyatspi.ROLE_TREE, "Search Results"))
    rows = wait_for("a row in the results",
                    lambda: [row for row in table_rows(results) if row[1:] == ["Office", "2021"]])
    print(f"search results: {rows}")

    press(find(window, pyatspi.ROLE_PUSH_BUTTON, "Close Program"))
    wait_for("Numira to end", lambda: program.poll() is not None, STEP_TIMEOUT)
    if program.returncode != 0:
        raise Failure(f"Numira ended with status {program.returncode}")


def main():
    numira, make_database, schema = sys.argv[1:4]
    pyatspi.setTimeout(10000, 60000)
    with tempfile.TemporaryDirectory(prefix="numira-reader-") as scratch:
        try:
            run(numira, make_database, schema, Path(scratch))
        except Failure as failure:
            print(f"FAILED: {failure}", file=sys.stderr)
            return 1
    print("A screen reader added a record and found it again.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
