"""The room check of the tables of texts: every row of src/texts/rooms.tsv (the room a window gave
a text when the fit test measured it under Wine) against the language's text of today, measured on
the host from the font file's advance widths, wrapped as DrawText wraps it."""
import os

from font_metrics import Font, shown_text, text_extent

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ROOMS = os.path.join(ROOT, 'src', 'texts', 'rooms.tsv')
COLUMNS = ['key', 'language', 'window', 'face', 'weight', 'italic', 'em', 'width', 'height', 'line_height',
           'wraps', 'prefix', 'gdi_width', 'gdi_height']
NUMBERS = set(COLUMNS[4:])
# How far the host's width may be from GDI's, in pixels, and the benefit of the doubt a text gets
# against its room. The host rounds each glyph's advance as FreeType under Wine does; over the 312
# rows first measured (Barlow and Fira Sans Condensed at 16 px, every language) the two agreed to
# the pixel (check_texts.py --calibrate prints the worst error): 1 px leaves room for one glyph
# rounded the other way by another FreeType.
TOLERANCE = 1


def read_rooms(path=ROOMS):
    rows = []
    for line in open(path, encoding='utf-8').read().splitlines():
        if not line or line.startswith('#'):
            continue
        fields = line.split('\t')
        if len(fields) != len(COLUMNS):
            raise ValueError(f'{os.path.basename(path)}: not {len(COLUMNS)} columns: {line!r}')
        row = dict(zip(COLUMNS, fields))
        for name in NUMBERS:
            row[name] = int(row[name])
        rows.append(row)
    return rows


def font_index(font_dirs):
    """The fonts of the folders by (family, bold, italic), as GDI's font mapper picks them by name."""
    index = {}
    for folder in font_dirs:
        if not os.path.isdir(folder):
            continue
        for name in sorted(os.listdir(folder)):
            if name.lower().endswith(('.ttf', '.otf')):
                font = Font(os.path.join(folder, name))
                index.setdefault((font.family.lower(), font.weight >= 600, font.italic), font)
    return index


def current_text(tables, language, key):
    table = tables.get(language, {})
    return table.get(key, tables['en'].get(key))


def check_rooms(tables, font_dirs, calibrate=False, rows=None):
    """(faults, a line with the worst host-against-GDI width error)."""
    rows = read_rooms() if rows is None else rows
    fonts = font_index(font_dirs)
    faults = []
    worst, worst_row, compared = 0, None, 0
    for row in rows:
        where = f'{row["language"]}: {row["key"]} in the {row["window"]}'
        font = fonts.get((row['face'].lower(), row['weight'] >= 600, bool(row['italic'])))
        if font is None:
            faults.append(f'{where}: no font file of {row["face"]} {row["weight"]} in {", ".join(font_dirs)}')
            continue
        text = current_text(tables, row['language'], row['key'])
        if text is None:
            faults.append(f'{where}: the key is in rooms.tsv but in no table (run scripts/measure_rooms.sh)')
            continue
        shown = shown_text(text, row['prefix'])
        width, lines = text_extent(font, shown, row['em'], row['width'], row['wraps'])
        height = lines * row['line_height']
        if height == row['gdi_height']:
            error = abs(width - row['gdi_width'])
            compared += 1
            if error > worst:
                worst, worst_row = error, row
            if calibrate and error > TOLERANCE:
                faults.append(f'{where}: the host measures "{shown}" {width} px wide, GDI {row["gdi_width"]} px')
        elif calibrate and height < row['gdi_height']:
            faults.append(f'{where}: the host lays "{shown}" out in {lines} lines, GDI in more')
        if width > row['width'] + TOLERANCE or height > row['height']:
            faults.append(f'{where}: "{text}" needs {width} x {height} px ({lines} line{"s" * (lines > 1)}) but '
                          f'has {row["width"]} x {row["height"]}; shorten it, or widen the control and run '
                          f'scripts/measure_rooms.sh')
    line = (f'rooms: {len(rows)} rows; where the host breaks the lines as GDI did ({compared} rows), '
            f'its widths differ from GDI\'s by at most {worst} px')
    if worst_row:
        line += f' ({worst_row["language"]}: {worst_row["key"]}), tolerance {TOLERANCE} px'
    return faults, line


def self_test(tables, font_dirs):
    """The room check must catch a text made longer: in each language, its most tightly fitted
    one-line text is given twice, and a wrapped text four times."""
    rows = read_rooms()
    fonts = font_index(font_dirs)
    failures = 0
    faults, _ = check_rooms(tables, font_dirs, rows=rows)
    if faults:
        print(f'self-test: the committed table does not hold as it is: {faults[0]}')
        return 1
    picked = []
    for language in sorted({row['language'] for row in rows}):
        mine = [row for row in rows if row['language'] == language]
        for wraps, times in ((0, 2), (1, 4)):
            candidates = [row for row in mine if row['wraps'] == wraps]
            if candidates:
                tightest = min(candidates, key=lambda row: row['width'] - row['gdi_width'])
                picked.append((tightest, times))
    for row, times in picked:
        lengthened = {tag: dict(table) for tag, table in tables.items()}
        text = current_text(tables, row['language'], row['key'])
        lengthened.setdefault(row['language'], {})[row['key']] = ' '.join([text] * times)
        faults, _ = check_rooms(lengthened, font_dirs, rows=[row])
        if not faults:
            failures += 1
            print(f'self-test: {row["language"]}: {row["key"]} {times} times over still fits the {row["window"]}')
    print(f'{len(picked) - failures} passed, {failures} failed')
    return 1 if failures or not picked else 0
