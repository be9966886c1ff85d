#!/usr/bin/env python3
"""Checks the tables of texts on the host, without Wine:
  - every key of en.texts is in every language's table, and no table has keys English lacks;
  - each text keeps English's placeholders, access keys (&) and line breaks;
  - plural keys come in the forms the language's rules pick;
  - every character of a language is drawn by the faces that draw that language (their cmaps);
  - every text fits the room the fit test measured for it (src/texts/rooms.tsv), measured here
    from the font files' advance widths.
  check_texts.py [--calibrate|--self-test] [FONT_DIR...]
    (default: the set-up's Barlow and Fira Sans Condensed folders)
  --calibrate: also fails when the host's width of a row's text is further than the tolerance from
               the width GDI measured (right after scripts/measure_rooms.sh, when the texts are those measured);
  --self-test: shows that the room check catches a lengthened text.
Prints one line per fault and ends with "N passed, N failed"."""
import os
import re
import sys

from font_metrics import Font
from room_check import check_rooms, self_test

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TEXTS = os.path.join(ROOT, 'src', 'texts')
BARLOW = ['Barlow-Regular.ttf', 'BarlowCondensed-Bold.ttf', 'BarlowCondensed-BoldItalic.ttf']
# The faces that draw each language; a language not named here is drawn by Barlow.
FACES = {'ru': ['FiraSansCondensed-Regular.ttf', 'FiraSansCondensed-Bold.ttf', 'FiraSansCondensed-BoldItalic.ttf']}
PLURAL_FORMS = {'pl': ['one', 'few', 'many', 'other'], 'ru': ['one', 'few', 'many', 'other']}
PLACEHOLDER = re.compile(r'\{[a-z_]+\}')
PLURAL_KEY = re.compile(r'^(.*)\[(one|few|many|other)\]$')


def read_table(path):
    """The table as {key: text}, and the faults of its lines."""
    faults, table = [], {}
    data = open(path, 'rb').read()
    if data.startswith(b'\xef\xbb\xbf'):
        faults.append(f'{path}: starts with a byte order mark')
    for number, line in enumerate(data.decode('utf-8').splitlines(), 1):
        stripped = line.strip()
        if not stripped or stripped.startswith('#'):
            continue
        if ' = ' not in stripped and not stripped.endswith(' ='):
            faults.append(f'{os.path.basename(path)}:{number}: not "key = text"')
            continue
        key, _, text = stripped.partition(' =')
        key = key.strip()
        if key in table:
            faults.append(f'{os.path.basename(path)}:{number}: {key} given twice')
        table[key] = text.strip().replace('\\\\', '\0').replace('\\n', '\n').replace('\0', '\\')
    return table, faults


def cmap_of(path):
    """The code points a TrueType/OpenType font maps, from its Unicode cmap subtable."""
    return set(Font(path).glyphs)


def main():
    args = sys.argv[1:]
    mode = args.pop(0) if args and args[0].startswith('--') else ''
    font_dirs = args or [os.path.expanduser(f'~/.cache/talvaro-ovra-deps/{folder}')
                                 for folder in ('fonts-barlow-0.4.1', 'fonts-fira-sans-condensed-0.4.1')]
    faults = []
    passed = 0
    english, english_faults = read_table(os.path.join(TEXTS, 'en.texts'))
    faults += english_faults
    english_plurals = {PLURAL_KEY.match(k).group(1) for k in english if PLURAL_KEY.match(k)}
    charsets = {}
    languages = sorted(f[:-len('.texts')] for f in os.listdir(TEXTS) if f.endswith('.texts'))
    failed = 0
    for tag in languages:
        before = len(faults)
        table, table_faults = (english, []) if tag == 'en' else read_table(os.path.join(TEXTS, f'{tag}.texts'))
        faults += table_faults
        if tag != 'en' and not os.path.exists(os.path.join(TEXTS, f'{tag}.glossary.md')):
            faults.append(f'{tag}: no {tag}.glossary.md beside its table')
        forms = PLURAL_FORMS.get(tag, ['one', 'other'])
        for key, text in english.items():
            if PLURAL_KEY.match(key):
                continue
            if key not in table:
                faults.append(f'{tag}: {key} missing')
                continue
            theirs = table[key]
            if sorted(PLACEHOLDER.findall(theirs)) != sorted(PLACEHOLDER.findall(text)):
                faults.append(f'{tag}: {key}: placeholders {PLACEHOLDER.findall(theirs)} where English has '
                              f'{PLACEHOLDER.findall(text)}')
            if theirs.count('&') != text.count('&'):
                faults.append(f'{tag}: {key}: {theirs.count("&")} "&" where English has {text.count("&")}')
            if theirs.count('\n') != text.count('\n'):
                faults.append(f'{tag}: {key}: {theirs.count(chr(10))} line breaks where English has '
                              f'{text.count(chr(10))}')
        for base in english_plurals:
            wanted = set(PLACEHOLDER.findall(english.get(base + '[other]', ''))) - {'{count}'}
            for form in forms:
                text = table.get(f'{base}[{form}]')
                if text is None:
                    faults.append(f'{tag}: {base}[{form}] missing')
                elif set(PLACEHOLDER.findall(text)) - {'{count}'} != wanted:
                    faults.append(f'{tag}: {base}[{form}]: placeholders differ from English')
        for key in table:
            plural = PLURAL_KEY.match(key)
            if key not in english and not (plural and plural.group(1) in english_plurals):
                faults.append(f'{tag}: {key} is no key of en.texts')
        # The characters against every face that draws the language.
        used = {c for text in table.values() for c in text if c not in '\n'}
        for face in FACES.get(tag, BARLOW):
            path = next((os.path.join(d, face) for d in font_dirs if os.path.exists(os.path.join(d, face))), None)
            if path is None:
                faults.append(f'{tag}: face {face} not found in {", ".join(font_dirs)}')
                continue
            if path not in charsets:
                charsets[path] = cmap_of(path)
            lacking = sorted(c for c in used if ord(c) not in charsets[path])
            if lacking:
                faults.append(f'{tag}: {face} draws no {"".join(lacking)!r}')
        if len(faults) > before:
            failed += 1
        else:
            passed += 1
    tables = {tag: (english if tag == 'en' else read_table(os.path.join(TEXTS, f'{tag}.texts'))[0])
              for tag in languages}
    if mode == '--self-test':
        return self_test(tables, font_dirs)
    room_faults, worst = check_rooms(tables, font_dirs, calibrate=mode == '--calibrate')
    print(worst)
    faults += room_faults
    if room_faults:
        failed += 1
    else:
        passed += 1
    for fault in faults:
        print(fault)
    print(f'{passed} passed, {failed} failed')
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main())
