#!/usr/bin/env python3
"""Generate the launcher's own artwork procedurally.

usage: python3 scripts/make_art.py OUTDIR

Writes:
  OUTDIR/masthead.png  1280x175  dark header with a track horizon and speed streaks
  OUTDIR/tlvr1.png      400x300  card art for TALVARO GP (sunset road scene)
  OUTDIR/tlvr2.png      400x300  card art for TALVARO GP II (night circuit)
  OUTDIR/app.ico       16..256 px application icon (7 sizes)

Everything is drawn from geometric primitives by this script: polygons,
circles, gradients and stripes, rendered on a supersampled canvas and box
filtered down so edges are smooth.  Only the Python standard library is used.
Output is deterministic (all "random" placement uses fixed seeds).
"""

import math
import os
import random
import struct
import sys
import zlib


# ---------------------------------------------------------------------------
# Small helpers
# ---------------------------------------------------------------------------

def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def lerp(a, b, t):
    return a + (b - a) * t


def lerp3(c0, c1, t):
    return (c0[0] + (c1[0] - c0[0]) * t,
            c0[1] + (c1[1] - c0[1]) * t,
            c0[2] + (c1[2] - c0[2]) * t)


def ramp(stops, t):
    """Piecewise linear colour ramp; stops = [(pos, (r, g, b)), ...]."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return lerp3(c0, c1, (t - p0) / (p1 - p0) if p1 > p0 else 0.0)
    return stops[-1][1]


def smoothstep(e0, e1, x):
    t = clamp((x - e0) / (e1 - e0))
    return t * t * (3 - 2 * t)


# ---------------------------------------------------------------------------
# Supersampled planar canvas
# ---------------------------------------------------------------------------

class Canvas:
    """A canvas stored as separate 8-bit planes (R, G, B[, A]), one bytearray
    per sub-row.  Drawing coordinates are given in output pixels (floats);
    the canvas works internally at `ss` times that resolution and `resolve`
    box-filters back down.  Constant-colour spans are blended with
    bytes.translate lookup tables, which keeps CPython fast."""

    def __init__(self, w, h, ss, bg=(0, 0, 0), with_alpha=False):
        self.w, self.h, self.ss = w, h, ss
        self.W, self.H = w * ss, h * ss
        vals = [int(round(c)) for c in bg[:3]] + ([0] if with_alpha else [])
        self.planes = [[bytearray([v]) * self.W for _ in range(self.H)]
                       for v in vals]
        self.nplanes = len(self.planes)
        self._tables = {}

    # -- span level -------------------------------------------------------

    def _col(self, color):
        c = tuple(max(0, min(255, int(round(v)))) for v in color[:3])
        if self.nplanes == 4:
            c = c + (255,)
        return c

    def _table(self, c, a8):
        key = (c, a8)
        t = self._tables.get(key)
        if t is None:
            ia = 256 - a8
            ca = c * a8 + 128
            t = bytes([(v * ia + ca) >> 8 for v in range(256)])
            self._tables[key] = t
        return t

    def span(self, iy, xa, xb, col, alpha=1.0):
        """Fill sub-row iy between sub-pixel x positions xa..xb.
        col is a normalised colour (see _col).  alpha is a float or a tuple
        (x0, a0, x1, a1) giving a linear ramp in output-pixel x."""
        if iy < 0 or iy >= self.H:
            return
        i0 = math.ceil(xa - 0.5)
        i1 = math.ceil(xb - 0.5)
        if i0 < 0:
            i0 = 0
        if i1 > self.W:
            i1 = self.W
        if i1 <= i0:
            return
        planes = self.planes
        if isinstance(alpha, tuple):
            x0, a0, x1, a1 = alpha
            s = self.ss
            x0 *= s
            x1 *= s
            inv = 1.0 / (x1 - x0) if x1 != x0 else 0.0
            step = 3 * s
            for c0 in range(i0, i1, step):
                c1 = min(i1, c0 + step)
                t = clamp(((c0 + c1) * 0.5 - x0) * inv)
                a8 = int((a0 + (a1 - a0) * t) * 256 + 0.5)
                if a8 <= 0:
                    continue
                if a8 > 256:
                    a8 = 256
                for p, c in zip(planes, col):
                    row = p[iy]
                    row[c0:c1] = row[c0:c1].translate(self._table(c, a8))
            return
        if alpha >= 0.999:
            n = i1 - i0
            for p, c in zip(planes, col):
                p[iy][i0:i1] = bytes((c,)) * n
            return
        a8 = int(alpha * 256 + 0.5)
        if a8 <= 0:
            return
        for p, c in zip(planes, col):
            row = p[iy]
            row[i0:i1] = row[i0:i1].translate(self._table(c, a8))

    def _rows(self, y0, y1):
        s = self.ss
        a = max(0, math.ceil(y0 * s - 0.5))
        b = min(self.H, math.ceil(y1 * s - 0.5))
        return range(a, b)

    def _paint(self, color, alpha, iy):
        """Resolve colour/alpha, either of which may be a function of y."""
        y = (iy + 0.5) / self.ss
        c = color(y) if callable(color) else color
        a = alpha(y) if callable(alpha) else alpha
        return self._col(c), a

    # -- shapes (output-pixel coordinates) ----------------------------------

    def poly(self, contours, color, alpha=1.0, clip=None):
        """Even-odd fill of one or more closed contours.  `contours` is a
        list of point lists, or a single point list."""
        if contours and not isinstance(contours[0][0], (list, tuple)):
            contours = [contours]
        s = self.ss
        cross = {}
        for pts in contours:
            n = len(pts)
            for i in range(n):
                xa, ya = pts[i]
                xb, yb = pts[(i + 1) % n]
                xa *= s
                ya *= s
                xb *= s
                yb *= s
                if ya == yb:
                    continue
                if ya > yb:
                    xa, ya, xb, yb = xb, yb, xa, ya
                r0 = max(0, math.ceil(ya - 0.5))
                r1 = min(self.H, math.ceil(yb - 0.5))
                if r1 <= r0:
                    continue
                k = (xb - xa) / (yb - ya)
                x = xa + (r0 + 0.5 - ya) * k
                for iy in range(r0, r1):
                    lst = cross.get(iy)
                    if lst is None:
                        cross[iy] = [x]
                    else:
                        lst.append(x)
                    x += k
        lo, hi = 0, self.H
        if clip is not None:
            rr = self._rows(clip[0], clip[1])
            lo, hi = rr.start, rr.stop
        const = not callable(color) and not callable(alpha)
        if const:
            col = self._col(color)
        for iy, xs in cross.items():
            if iy < lo or iy >= hi:
                continue
            if const:
                c, a = col, alpha
            else:
                c, a = self._paint(color, alpha, iy)
            xs.sort()
            for j in range(0, len(xs) - 1, 2):
                self.span(iy, xs[j], xs[j + 1], c, a)

    def rect(self, x0, y0, x1, y1, color, alpha=1.0):
        self.poly([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], color, alpha)

    def ellipse(self, cx, cy, rx, ry, color, alpha=1.0, bands=None):
        """Filled ellipse; `bands` optionally restricts drawing to a list of
        (y0, y1) ranges (used for the slatted suns)."""
        s = self.ss
        cxs, cys, rxs, rys = cx * s, cy * s, rx * s, ry * s
        rows = self._rows(cy - ry, cy + ry + 1)
        if bands is not None:
            keep = set()
            for b0, b1 in bands:
                keep.update(self._rows(b0, b1))
        const = not callable(color) and not callable(alpha)
        if const:
            col = self._col(color)
        for iy in rows:
            if bands is not None and iy not in keep:
                continue
            dy = (iy + 0.5 - cys) / rys
            if dy <= -1.0 or dy >= 1.0:
                continue
            half = rxs * math.sqrt(1.0 - dy * dy)
            if const:
                c, a = col, alpha
            else:
                c, a = self._paint(color, alpha, iy)
            self.span(iy, cxs - half, cxs + half, c, a)

    def circle(self, cx, cy, r, color, alpha=1.0, bands=None):
        self.ellipse(cx, cy, r, r, color, alpha, bands)

    def line(self, x0, y0, x1, y1, w0, color, alpha=1.0, w1=None):
        """Straight stroke from (x0,y0) to (x1,y1), width w0 tapering to w1."""
        if w1 is None:
            w1 = w0
        dx, dy = x1 - x0, y1 - y0
        L = math.hypot(dx, dy)
        if L == 0:
            return
        nx, ny = -dy / L, dx / L
        h0, h1 = w0 / 2.0, w1 / 2.0
        self.poly([(x0 + nx * h0, y0 + ny * h0), (x1 + nx * h1, y1 + ny * h1),
                   (x1 - nx * h1, y1 - ny * h1), (x0 - nx * h0, y0 - ny * h0)],
                  color, alpha)

    def rrect(self, x0, y0, x1, y1, r, color, alpha=1.0):
        self.poly(rrect_points(x0, y0, x1, y1, r), color, alpha)

    # -- per-pixel effects --------------------------------------------------

    def field(self, fn):
        """Overwrite the RGB planes from fn(y) -> (R, G, B) lists of ints
        (len w, output resolution).  Used for smooth backgrounds, which need
        no supersampling."""
        s = self.ss
        for y in range(self.h):
            rows = fn(y + 0.5)
            for p, vals in zip(self.planes[:3], rows):
                small = bytes([0 if v < 0 else 255 if v > 255 else int(v)
                               for v in vals])
                if s == 1:
                    big = bytearray(small)
                else:
                    big = bytearray(self.W)
                    for k in range(s):
                        big[k::s] = small
                for j in range(s):
                    p[y * s + j][:] = big

    def glow(self, cx, cy, r, color, strength=1.0, reach=3.0, sy=1.0):
        """Additive gaussian glow of radius r (output px); sy squashes it
        vertically."""
        s = self.ss
        cxs, cys, rs = cx * s, cy * s, r * s
        R = rs * reach
        y0 = max(0, int(cys - R * sy))
        y1 = min(self.H, int(cys + R * sy) + 1)
        x0 = max(0, int(cxs - R))
        x1 = min(self.W, int(cxs + R) + 1)
        if x1 <= x0 or y1 <= y0:
            return
        inv = 1.0 / (rs * rs)
        dx2 = [((x + 0.5 - cxs) ** 2) * inv for x in range(x0, x1)]
        exp = math.exp
        cs = [c * strength for c in color[:3]]
        for iy in range(y0, y1):
            dy2 = (((iy + 0.5 - cys) / sy) ** 2) * inv
            if dy2 > reach * reach:
                continue
            w = [exp(-(d + dy2)) for d in dx2]
            for p, c in zip(self.planes[:3], cs):
                row = p[iy]
                seg = row[x0:x1]
                row[x0:x1] = bytes([v + int(c * t + 0.5) if v + c * t < 255
                                    else 255 for v, t in zip(seg, w)])

    # -- output ---------------------------------------------------------------

    def resolve(self):
        """Box-filter down to output resolution; returns a list of planes,
        each a list of `h` bytes rows of length `w`."""
        s = self.ss
        n2 = s * s
        half = n2 // 2
        out = []
        for p in self.planes:
            rows = []
            for y in range(self.h):
                sub = p[y * s:(y + 1) * s]
                if s == 1:
                    rows.append(bytes(sub[0]))
                    continue
                v = list(map(sum, zip(*sub)))
                hs = map(sum, zip(*[v[k::s] for k in range(s)]))
                rows.append(bytes([(t + half) // n2 for t in hs]))
            out.append(rows)
        return out


def rrect_points(x0, y0, x1, y1, r, seg=10):
    r = min(r, (x1 - x0) / 2.0, (y1 - y0) / 2.0)
    pts = []
    corners = [(x1 - r, y0 + r, -90), (x1 - r, y1 - r, 0),
               (x0 + r, y1 - r, 90), (x0 + r, y0 + r, 180)]
    for cx, cy, a0 in corners:
        for i in range(seg + 1):
            a = math.radians(a0 + 90.0 * i / seg)
            pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def interleave(planes, w):
    """Planes (each a list of rows) -> list of interleaved pixel rows."""
    n = len(planes)
    rows = []
    for parts in zip(*planes):
        row = bytearray(w * n)
        for k, part in enumerate(parts):
            row[k::n] = part
        rows.append(bytes(row))
    return rows


# ---------------------------------------------------------------------------
# File writers
# ---------------------------------------------------------------------------

def png_bytes(w, h, rows, channels):
    """Encode 8-bit RGB (channels=3) or RGBA (channels=4) rows as PNG.
    Each row uses the Sub filter, which suits our smooth gradients."""
    bpp = channels
    raw = bytearray()
    for r in rows:
        raw.append(1)
        prev = bytes(bpp) + r[:-bpp]
        raw += bytes([(a - b) & 255 for a, b in zip(r, prev)])

    def chunk(kind, data):
        return (struct.pack('>I', len(data)) + kind + data +
                struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff))

    ihdr = struct.pack('>IIBBBBB', w, h, 8, 6 if channels == 4 else 2, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) +
            chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


def write_png(path, canvas):
    planes = canvas.resolve()
    rows = interleave(planes, canvas.w)
    with open(path, 'wb') as f:
        f.write(png_bytes(canvas.w, canvas.h, rows, len(planes)))


def bmp_dib_bytes(size, planes):
    """32-bit BGRA DIB for an ICO entry: BITMAPINFOHEADER with doubled height,
    bottom-up pixel rows, then a 1-bit AND mask (1 = fully transparent)."""
    r, g, b, a = planes
    mask_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray(size * 4)
        row[0::4] = b[y]
        row[1::4] = g[y]
        row[2::4] = r[y]
        row[3::4] = a[y]
        xor += row
        m = bytearray(mask_stride)
        for x, av in enumerate(a[y]):
            if av == 0:
                m[x >> 3] |= 0x80 >> (x & 7)
        mask += m
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def write_ico(path, images):
    """images: list of (size, data bytes) in the order they should appear."""
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    blobs = []
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack('<BBBBHHII', dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
        blobs.append(data)
    for data in blobs:
        out += data
    with open(path, 'wb') as f:
        f.write(bytes(out))


# ---------------------------------------------------------------------------
# Palette
# ---------------------------------------------------------------------------

INK = (23, 26, 28)          # launcher background
ACCENT = (255, 75, 54)      # red-orange accent
EMBER = (255, 138, 76)
PALE = (240, 234, 226)


# ---------------------------------------------------------------------------
# Masthead
# ---------------------------------------------------------------------------

def make_masthead(path):
    W, H, S = 1280, 175, 2
    HZ = 128.0        # horizon line
    VX = 1046.0       # vanishing point / sun centre
    cv = Canvas(W, H, S, INK)
    rnd = random.Random(1990)

    # Background: sky fading into a warm glow around the vanishing point,
    # dark ground below the horizon.
    gx = [((x + 0.5 - VX) / 215.0) ** 2 for x in range(W)]
    fade_l = [smoothstep(0.0, 1.0, (x + 0.5) / W) for x in range(W)]
    exp = math.exp

    def bg_row(y):
        if y < HZ:
            t = y / HZ
            base = lerp3(INK, (33, 29, 32), t ** 2.4)
            gy = ((y - HZ) / 52.0) ** 2
            k1, k2 = 0.46, 0.30
        else:
            t = (y - HZ) / (H - HZ)
            base = lerp3((34, 26, 28), (13, 14, 16), t ** 0.5)
            gy = ((y - HZ) / 26.0) ** 2
            k1, k2 = 0.34, 0.16
        br, bgc, bb = base
        R, G, B = [], [], []
        for x in range(W):
            g = exp(-(gx[x] + gy))
            g3 = g * g * g
            hz = fade_l[x]
            R.append(br + ACCENT[0] * k1 * g + 255 * k2 * g3 + 6 * hz * (1 - t))
            G.append(bgc + ACCENT[1] * k1 * g + 150 * k2 * g3)
            B.append(bb + ACCENT[2] * k1 * g + 90 * k2 * g3)
        return R, G, B

    cv.field(bg_row)

    # Slatted half sun sitting on the horizon.
    SR = 60.0
    bands = []
    y = HZ - SR
    gap, solid = 1.2, 10.0
    while y < HZ:
        y_end = min(HZ, y + solid)
        bands.append((y, y_end))
        y = y_end + gap
        gap += 0.9
        solid = max(2.5, solid * 0.72)
    sun = lambda yy: ramp([(0.0, (255, 214, 128)), (0.55, (255, 132, 72)),
                           (1.0, ACCENT)], clamp((yy - (HZ - SR)) / SR))
    cv.circle(VX, HZ, SR, sun, 1.0, bands=bands)

    # Ground: perspective grid converging on the vanishing point.
    for k in range(-24, 9):
        xb = VX + k * 64.0
        # extend past the bottom edge so the line reaches it
        xe = VX + (xb - VX) * 1.25
        ye = HZ + (H - HZ) * 1.25
        cv.line(VX, HZ, xe, ye, 0.2, ACCENT, 0.22, w1=1.6)
    for j in range(1, 16):
        z = 1.0 + j * 0.55
        yy = HZ + (H - HZ + 20) / z
        if yy >= H:
            continue
        w = max(0.4, 2.2 / z)
        a = clamp(0.32 / z ** 0.4)
        cv.rect(0, yy - w / 2, W, yy + w / 2, ACCENT, (0, a * 0.15, VX, a, ))

    # Track: dark asphalt wedge with kerbs and a centre line.
    LB, RB = VX - 560.0, VX + 420.0       # road edges at the bottom row

    def edge_x(xb, f):
        return VX + (xb - VX) * f

    def fy(f):
        return HZ + (H - HZ) * f

    road = [(VX, HZ), (edge_x(LB, 1.3), fy(1.3)), (edge_x(RB, 1.3), fy(1.3))]
    cv.poly(road, (11, 12, 14), 0.9)
    # kerbs: alternating red / pale blocks in depth
    zs = [1.0 / (0.77 + 0.23 * i) for i in range(0, 60)]
    zs = [0.77 ** i * 1.3 for i in range(40)]
    for i in range(len(zs) - 1):
        f0, f1 = zs[i], zs[i + 1]
        col = ACCENT if i % 2 == 0 else PALE
        fade = clamp(f1 * 2.2) * (1.0 if i % 2 == 0 else 0.85)
        for xb, kw in ((LB, -34.0), (RB, 30.0)):
            cv.poly([(edge_x(xb, f0), fy(f0)), (edge_x(xb + kw, f0), fy(f0)),
                     (edge_x(xb + kw, f1), fy(f1)), (edge_x(xb, f1), fy(f1))],
                    col, fade)
        if i % 2 == 0:
            cb = VX - 70.0
            cv.poly([(edge_x(cb - 6, f0), fy(f0)), (edge_x(cb + 6, f0), fy(f0)),
                     (edge_x(cb + 6, f1), fy(f1)), (edge_x(cb - 6, f1), fy(f1))],
                    PALE, 0.55 * clamp(f1 * 2.5))

    # Bright horizon line that fades out towards the left.
    cv.rect(0, HZ - 0.6, W, HZ + 0.6, (255, 120, 80), (60, 0.0, VX - 80, 0.9))

    # Speed streaks above the horizon, confined to the right-hand side.
    for i in range(46):
        yy = rnd.uniform(14, HZ - 3)
        xr = rnd.uniform(900, 1320)
        ln = rnd.uniform(90, 420)
        xl = max(xr - ln, 880 + (HZ - yy) * 0.3)
        if xr - xl < 40:
            continue
        th = rnd.uniform(0.7, 2.4)
        pick = rnd.random()
        col = ACCENT if pick < 0.55 else EMBER if pick < 0.8 else PALE
        a = rnd.uniform(0.25, 0.75) * (0.6 if col is PALE else 1.0)
        cv.poly([(xl, yy), (xr, yy - th / 2), (xr + th, yy), (xr, yy + th / 2)],
                col, (xl, 0.0, xr, a))
    # Long low streaks running across the ground on the left.
    for i in range(14):
        yy = rnd.uniform(HZ + 8, H - 4)
        xr = rnd.uniform(380, 900)
        xl = xr - rnd.uniform(200, 520)
        th = rnd.uniform(0.8, 2.0)
        col = ACCENT if rnd.random() < 0.7 else EMBER
        cv.poly([(xl, yy), (xr, yy - th / 2), (xr + th * 2, yy), (xr, yy + th / 2)],
                col, (xl, 0.0, xr, rnd.uniform(0.3, 0.6)))

    write_png(path, cv)


# ---------------------------------------------------------------------------
# Card 1: sunset road with a red open-wheel car
# ---------------------------------------------------------------------------

def make_card1(path):
    W, H, S = 400, 300, 3
    HZ = 136.0
    cv = Canvas(W, H, S)
    rnd = random.Random(1)
    SUNX, SUNY, SUNR = 262.0, HZ - 4.0, 58.0

    sky = [(0.0, (30, 16, 48)), (0.42, (98, 32, 84)), (0.76, (222, 86, 72)),
           (1.0, (255, 170, 100))]
    sgx = [((x + 0.5 - SUNX) / 120.0) ** 2 for x in range(W)]

    def bg_row(y):
        t = clamp(y / HZ)
        br, bg_, bb = ramp(sky, t)
        gy = ((y - SUNY) / 80.0) ** 2
        R, G, B = [], [], []
        for x in range(W):
            g = math.exp(-(sgx[x] + gy)) * 0.55
            R.append(br + (255 - br) * g)
            G.append(bg_ + (150 - bg_) * g * 0.8)
            B.append(bb + (96 - bb) * g * 0.5)
        return R, G, B

    cv.field(bg_row)

    # Sun with slats in its lower half.
    bands = []
    y = SUNY - SUNR
    gap, solid = 1.0, 30.0
    while y < HZ:
        y_end = min(HZ, y + solid)
        bands.append((y, y_end))
        y = y_end + gap
        gap += 0.7
        solid = max(2.0, solid * 0.6)
    sun = lambda yy: ramp([(0.0, (255, 236, 150)), (0.5, (255, 168, 92)),
                           (1.0, (255, 84, 66))], clamp((yy - (SUNY - SUNR)) / SUNR))
    cv.circle(SUNX, SUNY, SUNR, sun, 1.0, bands=bands)

    # Long cloud bars drifting across the sun.
    for x0, y0, x1, th, a in ((150, 80, 318, 3.2, 0.55), (214, 94, 392, 4.0, 0.7),
                              (120, 106, 282, 3.0, 0.6), (28, 70, 150, 2.4, 0.35),
                              (300, 60, 400, 2.2, 0.3)):
        cv.rrect(x0, y0, x1, y0 + th, th / 2, (120, 40, 96), a)

    # Two mountain ranges.
    def ridge(base, hmin, hmax, step, seed):
        r = random.Random(seed)
        pts = [(-5.0, base)]
        x = -5.0
        up = True
        while x < W + 10:
            x += r.uniform(step * 0.6, step * 1.4)
            h = r.uniform(hmin, hmax) if up else r.uniform(0, hmin * 0.6)
            pts.append((x, base - h))
            up = not up
        pts.append((W + 10.0, base))
        return pts

    far = ridge(HZ + 0.5, 14, 34, 26, 11)
    cv.poly(far, lambda yy: lerp3((160, 64, 104), (196, 84, 104),
                                  clamp((yy - HZ + 34) / 34)), 1.0)
    near = ridge(HZ + 0.5, 6, 18, 18, 12)
    cv.poly(near, lambda yy: lerp3((84, 30, 74), (112, 40, 84),
                                   clamp((yy - HZ + 18) / 18)), 1.0)

    # Road, kerbs and verge, rendered sub-row by sub-row in perspective.
    haze = (214, 96, 96)
    verge = ((58, 26, 62), (70, 32, 72))
    asphalt = ((54, 46, 68), (60, 52, 74))
    kerb = ((236, 58, 46), (244, 236, 226))
    for iy in range(math.ceil(HZ * S - 0.5), H * S):
        yy = (iy + 0.5) / S
        f = (yy - HZ) / (H - HZ)           # 0 at the horizon, 1 at the bottom
        z = 1.0 / f
        seg = int(z * 2.6 + 0.35) & 1
        fog = clamp((1.0 - f) ** 7 * 1.05)
        mix = lambda c: cv._col(lerp3(c, haze, fog))
        cx = (200.0 + 96.0 * (1.0 - f) ** 2.6) * S
        hw = 168.0 * f * S
        kw = hw * 0.11
        cv.span(iy, 0, cv.W, mix(verge[seg]))
        cv.span(iy, cx - hw - kw, cx + hw + kw, mix(kerb[seg]))
        cv.span(iy, cx - hw, cx + hw, mix(asphalt[seg]))
        if seg == 0:
            lw = hw * 0.022
            cv.span(iy, cx - lw, cx + lw, mix((238, 226, 210)))
        # thin edge lines
        ew = hw * 0.012
        cv.span(iy, cx - hw + ew * 3, cx - hw + ew * 5, mix((238, 226, 210)), 0.8)
        cv.span(iy, cx + hw - ew * 5, cx + hw - ew * 3, mix((238, 226, 210)), 0.8)

    def road_at(f):
        return 200.0 + 96.0 * (1.0 - f) ** 2.6, 168.0 * f

    # Chevron boards on the outside of the bend.
    for f in (0.2, 0.3, 0.44):
        cx, hw = road_at(f)
        x = cx + hw * 1.35
        yb = HZ + (H - HZ) * f
        sz = 26.0 * f
        cv.rect(x - sz * 0.06, yb - sz * 0.9, x + sz * 0.06, yb, (40, 24, 48))
        cv.rect(x - sz * 0.8, yb - sz * 1.5, x + sz * 0.8, yb - sz * 0.8, (244, 236, 226))
        for k in range(3):
            ox = x - sz * 0.55 + k * sz * 0.42
            cv.poly([(ox + sz * 0.2, yb - sz * 1.42), (ox + sz * 0.34, yb - sz * 1.42),
                     (ox + sz * 0.14, yb - sz * 1.15), (ox + sz * 0.34, yb - sz * 0.88),
                     (ox + sz * 0.2, yb - sz * 0.88), (ox, yb - sz * 1.15)],
                    (236, 58, 46))

    # The car: a red open-wheeler seen from behind.
    CX, CY = 186.0, 276.0
    cv.ellipse(CX, CY + 6, 86, 9, (20, 10, 26), 0.55)
    red = lambda yy: lerp3((255, 92, 70), (196, 30, 34), clamp((yy - 222) / 50))
    dark = (26, 20, 30)
    # rear tyres
    for sx in (-1, 1):
        tx = CX + sx * 62
        cv.rrect(tx - 17, CY - 40, tx + 17, CY + 4, 6, dark)
        cv.rrect(tx - 13, CY - 37, tx - 9, CY + 1, 2, (58, 50, 66))
        for k in range(4):
            ty = CY - 32 + k * 9
            cv.rect(tx - 15, ty, tx + 15, ty + 1.5, (44, 38, 52))
    # suspension arms
    cv.line(CX - 26, CY - 22, CX - 46, CY - 20, 3, (40, 34, 44))
    cv.line(CX + 26, CY - 22, CX + 46, CY - 20, 3, (40, 34, 44))
    # body and engine cover
    cv.poly([(CX - 40, CY - 4), (CX + 40, CY - 4), (CX + 34, CY - 28),
             (CX + 16, CY - 40), (CX - 16, CY - 40), (CX - 34, CY - 28)], red)
    cv.poly([(CX - 16, CY - 40), (CX + 16, CY - 40), (CX + 9, CY - 58),
             (CX - 9, CY - 58)], red)
    # helmet
    cv.circle(CX, CY - 60, 10.5, (250, 244, 232))
    cv.rect(CX - 10.5, CY - 63, CX + 10.5, CY - 59, (36, 30, 44))
    cv.rect(CX - 10.5, CY - 57, CX + 10.5, CY - 55.5, (255, 75, 54))
    # rear wing
    cv.rect(CX - 4, CY - 52, CX + 4, CY - 40, (40, 30, 44))
    cv.rrect(CX - 56, CY - 72, CX + 56, CY - 56, 2, red)
    cv.rect(CX - 56, CY - 64.5, CX + 56, CY - 62.5, (150, 22, 30))
    cv.rect(CX - 60, CY - 76, CX - 53, CY - 50, dark)
    cv.rect(CX + 53, CY - 76, CX + 60, CY - 50, dark)
    # diffuser and rain light
    cv.poly([(CX - 38, CY - 4), (CX + 38, CY - 4), (CX + 30, CY + 4),
             (CX - 30, CY + 4)], dark)
    for k in range(-3, 4):
        cv.rect(CX + k * 8 - 0.8, CY - 4, CX + k * 8 + 0.8, CY + 3, (60, 48, 66))
    cv.rect(CX - 6, CY - 16, CX + 6, CY - 10, (255, 60, 44))
    cv.glow(CX, CY - 13, 7, (255, 70, 40), 0.7)
    # a stripe on the engine cover
    cv.poly([(CX - 3, CY - 40), (CX + 3, CY - 40), (CX + 2, CY - 58),
             (CX - 2, CY - 58)], (250, 244, 232), 0.9)

    write_png(path, cv)


# ---------------------------------------------------------------------------
# Card 2: night circuit with sixteen checkpoint lights
# ---------------------------------------------------------------------------

def make_card2(path):
    W, H, S = 400, 300, 3
    HZ = 104.0
    cv = Canvas(W, H, S)
    rnd = random.Random(1992)

    sky = [(0.0, (5, 9, 22)), (0.6, (10, 26, 48)), (1.0, (18, 70, 86))]
    ground = [(0.0, (14, 44, 58)), (0.12, (8, 24, 36)), (1.0, (5, 14, 24))]
    hx = [((x + 0.5 - 200) / 260.0) ** 2 for x in range(W)]

    def bg_row(y):
        if y < HZ:
            br, bg_, bb = ramp(sky, y / HZ)
        else:
            br, bg_, bb = ramp(ground, (y - HZ) / (H - HZ))
        gy = ((y - HZ) / 22.0) ** 2
        R, G, B = [], [], []
        for x in range(W):
            g = math.exp(-(hx[x] + gy)) * 0.5
            R.append(br + 20 * g)
            G.append(bg_ + 120 * g)
            B.append(bb + 120 * g)
        return R, G, B

    cv.field(bg_row)

    # Stars.
    for i in range(90):
        x = rnd.uniform(0, W)
        y = rnd.uniform(2, HZ - 14) ** 1.0
        r = rnd.uniform(0.35, 0.9)
        b = rnd.uniform(0.3, 1.0) * (1.0 - y / HZ) ** 0.5
        cv.circle(x, y, r, (200, 236, 255), b)
    # Thin crescent moon.
    cv.circle(64, 34, 13, (214, 244, 240))
    cv.circle(70, 30, 12.2, lambda yy: ramp(sky, yy / HZ))
    cv.glow(60, 36, 14, (40, 120, 130), 0.35)

    # Skyline along the horizon.
    x = -4.0
    towers = []
    while x < W:
        w = rnd.uniform(8, 22)
        h = rnd.uniform(5, 15)
        if rnd.random() < 0.22:
            h = rnd.uniform(18, 34)
        towers.append((x, w, h))
        x += w + rnd.uniform(-2, 1)
    for x, w, h in towers:
        cv.rect(x, HZ - h, x + w, HZ + 0.5, (8, 18, 32))
        for wy in range(int(h // 4)):
            for wx in range(int(w // 4)):
                if rnd.random() < 0.3:
                    c = (90, 230, 220) if rnd.random() < 0.6 else (255, 196, 120)
                    cv.rect(x + 1.5 + wx * 4, HZ - h + 2 + wy * 4,
                            x + 2.7 + wx * 4, HZ - h + 3.2 + wy * 4, c,
                            rnd.uniform(0.35, 0.8))
        if h > 24:
            cv.circle(x + w / 2, HZ - h - 1.5, 0.9, ACCENT)
            cv.glow(x + w / 2, HZ - h - 1.5, 2.2, (255, 60, 40), 0.6)

    # Perspective camera looking at a ground plane.
    Z0, CAMH, F = 26.0, 30.0, 1.0

    def proj_raw(X, Z, Y=0.0):
        d = Z + Z0
        return X * F / d, (CAMH - Y) * F / d

    # Circuit centre line in world units.
    N = 360
    centre = []
    for i in range(N):
        t = 2 * math.pi * i / N
        r = (1.0 + 0.22 * math.sin(2 * t + 0.4) + 0.12 * math.cos(3 * t + 1.1)
             - 0.07 * math.sin(5 * t + 0.3))
        centre.append((62.0 * r * math.cos(t), 36.0 + 30.0 * r * math.sin(t)))

    # Fit: uniform screen scale so the circuit lands between y 150 and 290.
    raw = [proj_raw(X, Z) for X, Z in centre]
    ys = [p[1] for p in raw]
    k = (286.0 - HZ) / max(ys)
    xs = [p[0] for p in raw]
    xoff = 200.0 - k * (min(xs) + max(xs)) / 2.0

    def P(X, Z, Y=0.0):
        sx, sy = proj_raw(X, Z, Y)
        return xoff + k * sx, HZ + k * sy

    def scale_at(Z):
        return k * F / (Z + Z0)

    normals = []
    for i in range(N):
        x0, z0 = centre[i - 1]
        x1, z1 = centre[(i + 1) % N]
        tx, tz = x1 - x0, z1 - z0
        L = math.hypot(tx, tz)
        normals.append((-tz / L, tx / L))

    def offset_line(d, idx=None):
        idx = range(N) if idx is None else idx
        return [P(centre[i][0] + normals[i][0] * d,
                  centre[i][1] + normals[i][1] * d) for i in idx]

    # Ground grid (drawn before the track).
    for gxw in range(-160, 161, 12):
        a0 = P(gxw, -Z0 * 0.55)
        a1 = P(gxw, 400)
        cv.line(a0[0], a0[1], a1[0], a1[1], 0.9, (40, 170, 170), 0.16, w1=0.1)
    for gz in [-10 + 8 * i for i in range(40)]:
        yy = P(0, gz)[1]
        if yy > H + 2:
            continue
        th = max(0.25, 0.9 * scale_at(gz) / scale_at(0))
        a = 0.16 * min(1.0, scale_at(gz) / scale_at(30))
        cv.rect(0, yy - th / 2, W, yy + th / 2, (40, 170, 170), a)

    TEAL = (64, 232, 220)
    # Track glow, asphalt, edge lines.
    cv.poly([offset_line(7.5), offset_line(-7.5)], (20, 140, 150), 0.16)
    cv.poly([offset_line(5.2), offset_line(-5.2)], (20, 140, 150), 0.2)
    cv.poly([offset_line(3.6), offset_line(-3.6)], (16, 24, 38))
    cv.poly([offset_line(3.6), offset_line(3.0)], TEAL, 0.95)
    cv.poly([offset_line(-3.0), offset_line(-3.6)], TEAL, 0.95)
    # Dashed centre line.
    for s0 in range(0, N, 12):
        idx = list(range(s0, s0 + 6))
        pts = offset_line(0.25, idx) + offset_line(-0.25, idx)[::-1]
        cv.poly(pts, (120, 160, 180), 0.45)

    # Start / finish chequer across the track.
    i0 = 250
    cxw, czw = centre[i0]
    nxw, nzw = normals[i0]
    txw, tzw = nzw, -nxw
    cells = 8
    cw = 7.2 / cells
    for a in range(cells):
        for b in range(2):
            col = (244, 244, 240) if (a + b) % 2 == 0 else (12, 16, 24)
            corners = []
            for da, db in ((0, 0), (1, 0), (1, 1), (0, 1)):
                u = -3.6 + (a + da) * cw
                v = (b + db) * cw
                corners.append(P(cxw + nxw * u + txw * v, czw + nzw * u + tzw * v))
            cv.poly(corners, col)

    # Car position and its light trail along the racing line.
    car_i = 132
    trail = 40
    for j in range(trail):
        idx = [(car_i - trail + j + q) % N for q in range(2)]
        pts = offset_line(1.1, idx) + offset_line(-1.1, idx)[::-1]
        cv.poly(pts, ACCENT, 0.05 + 0.6 * (j / trail) ** 1.6)

    # Sixteen checkpoint lights at equal arc length around the outside.
    seg_len = [math.hypot(centre[(i + 1) % N][0] - centre[i][0],
                          centre[(i + 1) % N][1] - centre[i][1]) for i in range(N)]
    total = sum(seg_len)
    cps = []
    acc, i = 0.0, 0
    for c in range(16):
        target = total * (c + 0.5) / 16
        while acc + seg_len[i] < target:
            acc += seg_len[i]
            i += 1
        cps.append(i)
    lights = []
    for n_cp, i in enumerate(cps):
        # "passed" checkpoints glow red; the ones still ahead glow teal
        passed = i < car_i
        side = 5.4
        X = centre[i][0] + normals[i][0] * side
        Z = centre[i][1] + normals[i][1] * side
        lights.append((Z, X, passed))
    lights.sort(reverse=True)             # far to near
    for Z, X, passed in lights:
        sc = scale_at(Z)
        bx, by = P(X, Z)
        tx_, ty_ = P(X, Z, 3.2)
        col = ACCENT if passed else TEAL
        cv.line(bx, by, tx_, ty_, max(0.5, 0.3 * sc), (70, 90, 110))
        cv.ellipse(bx, by, 1.6 * sc, 0.5 * sc, col, 0.35)
        cv.glow(tx_, ty_, 1.6 * sc, col, 0.9)
        cv.circle(tx_, ty_, 0.55 * sc, (255, 255, 255) if not passed else (255, 214, 200))

    # The car: a small red wedge pointing along the track.
    X, Z = centre[car_i]
    nx, nz = normals[car_i]
    tx, tz = nz, -nx
    # tangent direction follows increasing index
    x1, z1 = centre[(car_i + 1) % N]
    if (x1 - X) * tx + (z1 - Z) * tz < 0:
        tx, tz = -tx, -tz

    def W2(u, v):        # u along the track, v across it
        return P(X + tx * u + nx * v, Z + tz * u + nz * v)

    cv.poly([W2(-2.0, 1.3), W2(2.6, 0.5), W2(2.6, -0.5), W2(-2.0, -1.3)], ACCENT)
    cv.poly([W2(-2.2, 1.6), W2(-1.5, 1.6), W2(-1.5, -1.6), W2(-2.2, -1.6)], (200, 30, 30))
    cv.poly([W2(-0.6, 0.45), W2(0.5, 0.35), W2(0.5, -0.35), W2(-0.6, -0.45)], (20, 20, 30))
    cx_, cy_ = W2(0.0, 0.0)
    cv.glow(cx_, cy_, 3.0 * scale_at(Z) / 2.5, (255, 70, 50), 0.7)

    write_png(path, cv)


# ---------------------------------------------------------------------------
# Icon
# ---------------------------------------------------------------------------

def draw_icon(size):
    """Red-orange rounded square with a white T: the crossbar is a chequered
    flag, the stem a road running towards it.  Detail is chosen per size."""
    ss = 8 if size <= 32 else 4 if size <= 64 else 3
    u = size / 100.0                  # design units: 0..100
    top, bot = (255, 110, 74), (224, 50, 36)
    cv = Canvas(size, size, ss, bg=bot, with_alpha=True)
    m = 0.0 if size <= 24 else 3.0
    rad = 20.0 if size > 24 else 16.0

    def U(pts):
        return [(x * u, y * u) for x, y in pts]

    grad = lambda yy: lerp3(top, bot, clamp(yy / size))
    cv.poly(U(rrect_points(m, m, 100 - m, 100 - m, rad)), grad)
    if size >= 48:
        # subtle sheen across the upper half
        cv.poly(U(rrect_points(m + 2, m + 2, 100 - m - 2, 52, rad - 2)),
                (255, 255, 255), lambda yy: 0.10 * clamp(1.0 - yy / (0.52 * size)))

    bar = (14, 14, 86, 38) if size > 24 else (10, 12, 90, 38)
    stem_top = (40, 60) if size > 24 else (37, 63)
    stem_bot = (26, 74) if size > 24 else (24, 76)
    sy0, sy1 = bar[3] - 0.5, 88 if size > 24 else 90

    def t_shape(dx, dy):
        return [U([(bar[0] + dx, bar[1] + dy), (bar[2] + dx, bar[1] + dy),
                   (bar[2] + dx, bar[3] + dy), (bar[0] + dx, bar[3] + dy)]),
                U([(stem_top[0] + dx, sy0 + dy), (stem_top[1] + dx, sy0 + dy),
                   (stem_bot[1] + dx, sy1 + dy), (stem_bot[0] + dx, sy1 + dy)])]

    if size >= 32:
        for c in t_shape(1.5, 2.5):
            cv.poly(c, (120, 16, 8), 0.35)
    white = (255, 252, 248)
    for c in t_shape(0, 0):
        cv.poly(c, white)

    if size >= 32:
        # chequered flag inside the crossbar
        fx0, fy0, fx1, fy1 = bar[0] + 3, bar[1] + 3, bar[2] - 3, bar[3] - 3
        cols = 8 if size >= 64 else 6 if size >= 48 else 4
        rows = 2
        cw = (fx1 - fx0) / cols
        chh = (fy1 - fy0) / rows
        for a in range(cols):
            for b in range(rows):
                if (a + b) % 2:
                    cv.poly(U([(fx0 + a * cw, fy0 + b * chh),
                               (fx0 + (a + 1) * cw, fy0 + b * chh),
                               (fx0 + (a + 1) * cw, fy0 + (b + 1) * chh),
                               (fx0 + a * cw, fy0 + (b + 1) * chh)]), (34, 30, 36))
        # road markings in the stem, shrinking with distance
        dashes = ((44, 52, 2.2), (57, 67, 3.0), (73, 86, 4.0)) if size >= 48 else \
                 ((52, 63, 3.2), (71, 86, 4.4))
        for d0, d1, w in dashes:
            w2 = w * 0.78
            cv.poly(U([(50 - w2 / 2, d0), (50 + w2 / 2, d0),
                       (50 + w / 2, d1), (50 - w / 2, d1)]), (232, 64, 44))
    elif size >= 24:
        cv.poly(U([(48.2, 62), (51.8, 62), (52.4, 84), (47.6, 84)]), (232, 64, 44))
    planes = cv.resolve()
    return planes


def make_icon(path):
    images = []
    for size in (16, 24, 32, 48, 64, 128, 256):
        planes = draw_icon(size)
        if size >= 256:
            rows = interleave(planes, size)
            images.append((size, png_bytes(size, size, rows, 4)))
        else:
            images.append((size, bmp_dib_bytes(size, planes)))
    write_ico(path, images)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write('usage: python3 %s OUTDIR\n' % os.path.basename(argv[0]))
        return 2
    out = argv[1]
    os.makedirs(out, exist_ok=True)
    make_masthead(os.path.join(out, 'masthead.png'))
    make_card1(os.path.join(out, 'tlvr1.png'))
    make_card2(os.path.join(out, 'tlvr2.png'))
    make_icon(os.path.join(out, 'app.ico'))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
