#!/usr/bin/env python3
"""Fails when a translation is not complete: a text of the code missing from a .ts file (the
update script would add it), a text in a .ts file the code no longer has, a text left
unfinished or empty, or a translation that loses a placeholder (%1, %n) or carries more than
one access key.

    check_translations.py SOURCE_ROOT
"""
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

root = pathlib.Path(sys.argv[1]).resolve()
problems = []


def messages(ts):
    for context in ET.parse(ts).getroot().iter('context'):
        name = context.findtext('name')
        for message in context.iter('message'):
            yield name, message


def placeholders(text):
    return sorted(set(re.findall(r'%(?:\d+|n)', text or '')))


def access_keys(text):
    return len(re.findall(r'&(?!&)', (text or '').replace('&&', '')))


with tempfile.TemporaryDirectory() as folder:
    copies = pathlib.Path(folder)
    originals = sorted((root / 'i18n').glob('numira_*.ts'))
    if not originals:
        problems.append('no i18n/numira_*.ts')
    for ts in originals:
        shutil.copy(ts, copies / ts.name)
    subprocess.run([str(root / 'scripts' / 'update-translations.sh'), str(copies)], check=True,
                   stdout=subprocess.DEVNULL)
    for ts in originals:
        before = {(c, m.findtext('source')) for c, m in messages(ts)}
        after = {(c, m.findtext('source')) for c, m in messages(copies / ts.name)}
        for context, source in sorted(after - before):
            problems.append(f'{ts.name}: not translated yet ({context}): {source!r}')
        for context, source in sorted(before - after):
            problems.append(f'{ts.name}: no longer in the code ({context}): {source!r}')

for ts in originals:
    for context, message in messages(ts):
        source = message.findtext('source')
        translation = message.find('translation')
        forms = [f.text for f in translation.iter('numerusform')] or [translation.text]
        where = f'{ts.name} ({context}) {source!r}'
        if translation.get('type') in ('unfinished', 'vanished', 'obsolete') or not all(forms):
            problems.append(f'{where}: unfinished')
            continue
        for form in forms:
            if placeholders(form) != placeholders(source):
                problems.append(f'{where}: placeholders {placeholders(form)} '
                                f'where the text has {placeholders(source)}')
            if access_keys(form) != access_keys(source):
                problems.append(f'{where}: {access_keys(form)} access keys in {form!r}')
    # lrelease's own count, the one a packager sees.
    report = subprocess.run(['lrelease', str(ts), '-qm', '/dev/null'], capture_output=True,
                            text=True, check=True, env={'PATH': '/usr/lib/qt6/bin:/usr/bin:/bin'})
    if not re.search(r'\(\d+ finished and 0 unfinished\)', report.stdout) or \
            'Ignored' in report.stdout:
        problems.append(f'{ts.name}: lrelease: {report.stdout.strip()}')

for problem in problems:
    print('FAIL:', problem)
print(f'{len(problems)} problems in the translations' if problems else 'translations complete')
sys.exit(1 if problems else 0)
