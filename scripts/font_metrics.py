"""What the host's checks read from a TrueType font file, with struct alone: the glyph of each
character (cmap), the advance widths (hmtx), the family, weight and style (name, OS/2), and the
width of a text as GDI lays it out at a pixel size."""
import re
import struct


class Font:
    def __init__(self, path):
        self.path = path
        data = open(path, 'rb').read()
        self.tables = {}
        for i in range(struct.unpack('>H', data[4:6])[0]):
            tag, _, offset, length = struct.unpack('>4sIII', data[12 + 16 * i:28 + 16 * i])
            self.tables[tag.decode('latin-1')] = (offset, length)
        self.data = data
        self.units_per_em = struct.unpack('>H', self._table('head')[18:20])[0]
        metrics = struct.unpack('>H', self._table('hhea')[34:36])[0]
        hmtx = self._table('hmtx')
        self.advances = [struct.unpack('>H', hmtx[4 * g:4 * g + 2])[0] for g in range(metrics)]
        os2 = self._table('OS/2')
        self.weight = struct.unpack('>H', os2[4:6])[0]
        self.italic = bool(struct.unpack('>H', os2[62:64])[0] & 1)
        self.family = self._name(1)
        self.glyphs = self._glyph_map()

    def _table(self, tag):
        offset, length = self.tables[tag]
        return self.data[offset:offset + length]

    def _name(self, wanted):
        table = self._table('name')
        count, strings = struct.unpack('>HH', table[2:6])
        for i in range(count):
            platform, encoding, _, name_id, length, offset = struct.unpack('>6H', table[6 + 12 * i:18 + 12 * i])
            if name_id == wanted and platform == 3 and encoding in (0, 1):
                return table[strings + offset:strings + offset + length].decode('utf-16-be')
        return ''

    def _glyph_map(self):
        """{code point: glyph index} from the font's Unicode cmap subtables."""
        data, base = self.data, self.tables['cmap'][0]
        glyphs = {}
        for i in range(struct.unpack('>H', data[base + 2:base + 4])[0]):
            platform, encoding, offset = struct.unpack('>HHI', data[base + 4 + 8 * i:base + 12 + 8 * i])
            if (platform, encoding) not in ((3, 1), (3, 10), (0, 3), (0, 4)):
                continue
            sub = base + offset
            fmt = struct.unpack('>H', data[sub:sub + 2])[0]
            if fmt == 4:
                count = struct.unpack('>H', data[sub + 6:sub + 8])[0] // 2
                ends = struct.unpack(f'>{count}H', data[sub + 14:sub + 14 + 2 * count])
                at = sub + 16 + 2 * count
                starts = struct.unpack(f'>{count}H', data[at:at + 2 * count])
                deltas = struct.unpack(f'>{count}h', data[at + 2 * count:at + 4 * count])
                range_at = at + 4 * count
                offsets = struct.unpack(f'>{count}H', data[range_at:range_at + 2 * count])
                for k in range(count):
                    for c in range(starts[k], ends[k] + 1):
                        if c == 0xFFFF:
                            continue
                        if offsets[k] == 0:
                            glyph = (c + deltas[k]) & 0xFFFF
                        else:
                            g_at = range_at + 2 * k + offsets[k] + 2 * (c - starts[k])
                            glyph = struct.unpack('>H', data[g_at:g_at + 2])[0]
                            glyph = (glyph + deltas[k]) & 0xFFFF if glyph else 0
                        if glyph:
                            glyphs.setdefault(c, glyph)
            elif fmt == 12:
                groups = struct.unpack('>I', data[sub + 12:sub + 16])[0]
                for k in range(groups):
                    start, end, first = struct.unpack('>III', data[sub + 16 + 12 * k:sub + 28 + 12 * k])
                    for c in range(start, end + 1):
                        glyphs.setdefault(c, first + c - start)
        return glyphs

    def advance(self, char, em):
        """A character's advance in pixels at `em` pixels per em, as FreeType under Wine's GDI
        gives it: scaled to 26.6 fixed point, then rounded to a whole pixel, glyph by glyph (no
        kerning: DrawText does not kern)."""
        glyph = self.glyphs.get(ord(char), 0)
        units = self.advances[min(glyph, len(self.advances) - 1)]
        fixed = (units * em * 64 + self.units_per_em // 2) // self.units_per_em
        return (fixed + 32) // 64

    def width(self, text, em):
        return sum(self.advance(c, em) for c in text)


def shown_text(text, prefix):
    """The characters drawn: with access keys on, "&" marks the next letter and "&&" is one "&"."""
    if not prefix:
        return text
    return text.replace('&&', '\0').replace('&', '').replace('\0', '&')


# Where Wine's DrawText also breaks a word, by the Unicode line-breaking rules (UAX #14): after a
# hyphen before a letter ("Microsoft-|Installer", not "SHA-|256") and between two plus signs ("C+|+").
WORD_BREAK = re.compile(r'(?<=-)(?=[^\W\d_])|(?<=\+)(?=\+)')


def wrapped_lines(font, text, em, width, wraps):
    """The lines DrawText makes: at line breaks and, when it wraps, greedily at spaces (and the
    breaks inside words above) so that each line fits `width` without its last space (a piece
    wider than that stands alone on its line). A line broken at a space keeps one space, which
    GDI counts in the width it gives back."""
    lines = []
    for paragraph in text.split('\n'):
        if not wraps:
            lines.append(paragraph)
            continue
        pieces = []
        for word in paragraph.split(' '):
            parts = WORD_BREAK.split(word)
            pieces += [part for part in parts[:-1]] + [parts[-1] + ' ']
        pieces[-1] = pieces[-1][:-1]
        line = ''
        for piece in pieces:
            if line and font.width((line + piece).rstrip(' '), em) > width:
                lines.append(line)
                line = piece
            else:
                line += piece
        lines.append(line)
    return [line if line.endswith(' ') and i < len(lines) - 1 else line.rstrip(' ') for i, line in enumerate(lines)]


def text_extent(font, text, em, width, wraps):
    """(widest line, number of lines) of a text laid out as DrawText lays it out."""
    lines = wrapped_lines(font, text, em, width, wraps)
    return max(font.width(line, em) for line in lines), len(lines)
