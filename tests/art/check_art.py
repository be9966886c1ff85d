#!/usr/bin/env python3
"""Check the artwork produced by scripts/make_art.py (standard library only).

Runs the generator twice into temporary directories, then decodes every
output file independently of the generator's own code and checks sizes,
structure and basic content.  Exits 0 when every check passes.
"""

import os
import struct
import subprocess
import sys
import tempfile
import time
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SCRIPT = os.path.join(ROOT, 'scripts', 'make_art.py')

PNG_SIG = b'\x89PNG\r\n\x1a\n'
EXPECTED_PNGS = {'masthead.png': (1280, 175), 'tlvr1.png': (400, 300),
                 'tlvr2.png': (400, 300)}
ICON_SIZES = [16, 24, 32, 48, 64, 128, 256]


class CheckError(Exception):
    pass


def need(cond, msg):
    if not cond:
        raise CheckError(msg)


# ---------------------------------------------------------------------------
# Independent PNG decoder
# ---------------------------------------------------------------------------

def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def decode_png(data, what):
    """Return (width, height, channels, rows) for an 8-bit RGB/RGBA PNG,
    verifying chunk CRCs, chunk order and the size of the image data."""
    need(data[:8] == PNG_SIG, '%s: bad PNG signature' % what)
    pos = 8
    chunks = []
    while pos < len(data):
        need(pos + 8 <= len(data), '%s: truncated chunk header' % what)
        length, kind = struct.unpack_from('>I4s', data, pos)
        body = data[pos + 8:pos + 8 + length]
        need(len(body) == length and pos + 12 + length <= len(data),
             '%s: truncated %r chunk' % (what, kind))
        crc, = struct.unpack_from('>I', data, pos + 8 + length)
        need(zlib.crc32(kind + body) & 0xffffffff == crc,
             '%s: CRC mismatch in %r chunk' % (what, kind))
        chunks.append((kind, body))
        pos += 12 + length
    kinds = [k for k, _ in chunks]
    need(kinds and kinds[0] == b'IHDR', '%s: first chunk is not IHDR' % what)
    need(kinds[-1] == b'IEND', '%s: last chunk is not IEND' % what)
    w, h, depth, ctype, comp, filt, inter = struct.unpack('>IIBBBBB', chunks[0][1])
    need(depth == 8 and ctype in (2, 6), '%s: expected 8-bit RGB or RGBA, got '
         'depth %d colour type %d' % (what, depth, ctype))
    need(comp == 0 and filt == 0 and inter == 0, '%s: unsupported IHDR flags' % what)
    n = 4 if ctype == 6 else 3
    try:
        raw = zlib.decompress(b''.join(b for k, b in chunks if k == b'IDAT'))
    except zlib.error as e:
        raise CheckError('%s: IDAT does not inflate: %s' % (what, e))
    stride = w * n
    need(len(raw) == h * (stride + 1), '%s: image data holds %d bytes, %d rows of '
         '%d expected' % (what, len(raw), h, stride + 1))
    rows = []
    prev = bytearray(stride)
    for y in range(h):
        f = raw[y * (stride + 1)]
        cur = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        need(f <= 4, '%s: row %d has unknown filter type %d' % (what, y, f))
        if f == 1:
            for x in range(n, stride):
                cur[x] = (cur[x] + cur[x - n]) & 255
        elif f == 2:
            for x in range(stride):
                cur[x] = (cur[x] + prev[x]) & 255
        elif f == 3:
            for x in range(stride):
                left = cur[x - n] if x >= n else 0
                cur[x] = (cur[x] + ((left + prev[x]) >> 1)) & 255
        elif f == 4:
            for x in range(stride):
                left = cur[x - n] if x >= n else 0
                ul = prev[x - n] if x >= n else 0
                cur[x] = (cur[x] + paeth(left, prev[x], ul)) & 255
        rows.append(bytes(cur))
        prev = cur
    return w, h, n, rows


def pixel(rows, n, x, y):
    return tuple(rows[y][x * n:x * n + n])


def distinct_colours(rows, n):
    seen = set()
    for r in rows:
        for x in range(0, len(r), n):
            seen.add(r[x:x + 3])
    return len(seen)


def luma(p):
    return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]


# ---------------------------------------------------------------------------
# Checks
# ---------------------------------------------------------------------------

class Context:
    out = None
    other = None
    seconds = None
    decoded = {}


def check_runs(ctx):
    for d in (ctx.out, ctx.other):
        t0 = time.monotonic()
        res = subprocess.run([sys.executable, SCRIPT, d], capture_output=True,
                             text=True, timeout=300)
        dt = time.monotonic() - t0
        need(res.returncode == 0, 'make_art.py exited %d: %s'
             % (res.returncode, res.stderr.strip()[-400:]))
        ctx.seconds = dt if ctx.seconds is None else min(ctx.seconds, dt)
    for name in list(EXPECTED_PNGS) + ['app.ico']:
        need(os.path.isfile(os.path.join(ctx.out, name)), '%s was not written' % name)
    return 'generator ran in %.2f s' % ctx.seconds


def check_deterministic(ctx):
    for name in list(EXPECTED_PNGS) + ['app.ico']:
        with open(os.path.join(ctx.out, name), 'rb') as f:
            a = f.read()
        with open(os.path.join(ctx.other, name), 'rb') as f:
            b = f.read()
        need(a == b, '%s differs between two runs' % name)
    return 'two runs give identical files'


def check_pngs(ctx):
    notes = []
    for name, (ew, eh) in EXPECTED_PNGS.items():
        with open(os.path.join(ctx.out, name), 'rb') as f:
            w, h, n, rows = decode_png(f.read(), name)
        need((w, h) == (ew, eh), '%s is %dx%d, expected %dx%d' % (name, w, h, ew, eh))
        ctx.decoded[name] = (n, rows)
        notes.append('%s %dx%d' % (name, w, h))
    return ', '.join(notes)


def check_not_flat(ctx):
    notes = []
    for name in EXPECTED_PNGS:
        need(name in ctx.decoded, '%s was not decoded' % name)
        n, rows = ctx.decoded[name]
        k = distinct_colours(rows, n)
        need(k >= 200, '%s has only %d distinct colours' % (name, k))
        lum = [luma(pixel(rows, n, x, y))
               for y in range(0, len(rows), 5) for x in range(0, len(rows[0]) // n, 5)]
        spread = max(lum) - min(lum)
        need(spread >= 100, '%s luminance range is only %.0f' % (name, spread))
        notes.append('%s: %d colours' % (name, k))
    return ', '.join(notes)


def check_masthead_layout(ctx):
    need('masthead.png' in ctx.decoded, 'masthead.png was not decoded')
    n, rows = ctx.decoded['masthead.png']
    # the top edge blends into the launcher's background colour
    for x in (0, 300, 640):
        p = pixel(rows, n, x, 0)
        need(all(abs(a - b) <= 10 for a, b in zip(p, (23, 26, 28))),
             'masthead top pixel at x=%d is %r, not near (23,26,28)' % (x, p))
    # the area under the title stays dark and quiet
    lum = [luma(pixel(rows, n, x, y)) for y in range(0, 118, 2) for x in range(0, 860, 4)]
    mean = sum(lum) / len(lum)
    need(mean < 45 and max(lum) < 110,
         'title area too bright: mean luma %.1f, max %.1f' % (mean, max(lum)))
    # red-orange accents are present
    hot = sum(1 for r in rows for x in range(0, len(r), n)
              if r[x] > 200 and r[x + 1] < 140 and r[x + 2] < 120)
    need(hot >= 500, 'masthead has only %d red-orange pixels' % hot)
    return 'title area mean luma %.1f, %d accent pixels' % (mean, hot)


def check_ico(ctx):
    with open(os.path.join(ctx.out, 'app.ico'), 'rb') as f:
        data = f.read()
    need(len(data) >= 6, 'app.ico is truncated')
    reserved, kind, count = struct.unpack_from('<HHH', data, 0)
    need(reserved == 0 and kind == 1, 'app.ico header is not an icon header')
    need(count == 7, 'app.ico has %d entries, expected 7' % count)
    need(len(data) >= 6 + 16 * count, 'app.ico directory is truncated')
    sizes = []
    spans = []
    kinds = []
    for i in range(count):
        w, h, colours, res, planes, bpp, length, off = struct.unpack_from(
            '<BBBBHHII', data, 6 + 16 * i)
        size = w or 256
        need((h or 256) == size, 'icon entry %d is not square' % i)
        need(off >= 6 + 16 * count and off + length <= len(data),
             'icon entry %d (%d px) points outside the file' % (i, size))
        sizes.append(size)
        spans.append((off, off + length))
        blob = data[off:off + length]
        if blob[:8] == PNG_SIG:
            pw, ph, n, rows = decode_png(blob, 'icon %d px' % size)
            need((pw, ph) == (size, size), 'PNG icon entry is %dx%d, directory '
                 'says %d' % (pw, ph, size))
            need(n == 4, 'PNG icon entry %d px has no alpha channel' % size)
            alpha = lambda x, y: rows[y][x * 4 + 3]
            kinds.append('%d:png' % size)
        else:
            need(len(blob) >= 40, 'icon entry %d px is too short for a DIB' % size)
            (bsize, bw, bh, bplanes, bbits, bcomp, bimg) = struct.unpack_from(
                '<IiiHHII', blob, 0)
            need(bsize == 40, 'icon entry %d px: header size %d, expected 40'
                 % (size, bsize))
            need(bw == size and bh == 2 * size, 'icon entry %d px: DIB is %dx%d, '
                 'expected width %d and doubled height %d' % (size, bw, bh, size, 2 * size))
            need(bplanes == 1 and bbits == 32 and bcomp == 0,
                 'icon entry %d px: expected 1 plane, 32 bpp, BI_RGB' % size)
            mask_stride = ((size + 31) // 32) * 4
            need(len(blob) >= 40 + size * size * 4 + mask_stride * size,
                 'icon entry %d px: pixel data or AND mask missing' % size)
            # rows are stored bottom-up, BGRA
            alpha = lambda x, y, b=blob, s=size: b[40 + ((s - 1 - y) * s + x) * 4 + 3]
            kinds.append('%d:bmp' % size)
        # a rounded shape: transparent corner, opaque middle
        need(alpha(0, 0) < 128, 'icon %d px: top-left corner is opaque' % size)
        need(alpha(size // 2, size // 2) == 255, 'icon %d px: centre is not opaque' % size)
    need(sorted(sizes) == ICON_SIZES, 'icon sizes are %r, expected %r'
         % (sorted(sizes), ICON_SIZES))
    spans.sort()
    for (a0, a1), (b0, b1) in zip(spans, spans[1:]):
        need(a1 <= b0, 'icon entries overlap in the file')
    return ', '.join(kinds)


CHECKS = [check_runs, check_deterministic, check_pngs, check_not_flat,
          check_masthead_layout, check_ico]


def main():
    passed = failed = 0
    with tempfile.TemporaryDirectory() as tmp:
        ctx = Context()
        ctx.out = os.path.join(tmp, 'a')
        ctx.other = os.path.join(tmp, 'b')
        for check in CHECKS:
            name = check.__name__[len('check_'):]
            try:
                note = check(ctx)
            except CheckError as e:
                failed += 1
                print('FAIL %s: %s' % (name, e))
            except Exception as e:              # a crash is a failure too
                failed += 1
                print('FAIL %s: %s: %s' % (name, type(e).__name__, e))
            else:
                passed += 1
                print('ok   %s: %s' % (name, note))
    print('%d passed, %d failed' % (passed, failed))
    return 0 if failed == 0 else 1


if __name__ == '__main__':
    sys.exit(main())
