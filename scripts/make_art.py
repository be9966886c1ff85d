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

    def poly(self, contours, color, alpha=1.0, clip=None, nonzero=False):
        """Fill one or more closed contours (even-odd rule, or non-zero
        winding when `nonzero` is set, which lets overlapping pieces of a
        ribbon merge without holes or double blending).  `contours` is a
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
                wdir = 1
                if ya > yb:
                    xa, ya, xb, yb = xb, yb, xa, ya
                    wdir = -1
                r0 = max(0, math.ceil(ya - 0.5))
                r1 = min(self.H, math.ceil(yb - 0.5))
                if r1 <= r0:
                    continue
                k = (xb - xa) / (yb - ya)
                x = xa + (r0 + 0.5 - ya) * k
                for iy in range(r0, r1):
                    item = (x, wdir) if nonzero else x
                    lst = cross.get(iy)
                    if lst is None:
                        cross[iy] = [item]
                    else:
                        lst.append(item)
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
            if nonzero:
                wind = 0
                start = 0.0
                for x, d in xs:
                    if wind == 0:
                        start = x
                    wind += d
                    if wind == 0:
                        self.span(iy, start, x, c, a)
            else:
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

    # Ground: perspective grid converging on the vanishing point.  Only
    # the steeper fan lines are drawn; shallow ones would just smear.
    for k in range(-9, 8):
        xb = VX + k * 70.0
        xe = VX + (xb - VX) * 1.25
        ye = HZ + (H - HZ) * 1.25
        cv.line(VX, HZ, xe, ye, 0.2, ACCENT, 0.26, w1=1.8)
    for j in range(1, 9):
        z = 1.0 + j * 0.7
        yy = HZ + (H - HZ + 20) / z
        if yy >= H:
            continue
        w = max(0.5, 2.4 / z)
        a = clamp(0.36 / z ** 0.4)
        cv.rect(0, yy - w / 2, W, yy + w / 2, ACCENT, (120, 0.0, VX, a))

    # Track: asphalt wedge with kerbs and a centre line.
    LB, RB = VX - 600.0, VX + 430.0       # road edges at the bottom row

    def edge_x(xb, f):
        return VX + (xb - VX) * f

    def fy(f):
        return HZ + (H - HZ) * f

    road = [(VX, HZ), (edge_x(LB, 1.3), fy(1.3)), (edge_x(RB, 1.3), fy(1.3))]
    cv.poly(road, lambda yy: lerp3((44, 30, 32), (12, 13, 15),
                                   clamp((yy - HZ) / (H - HZ)) ** 0.45), 0.94)
    # kerbs: alternating red / pale blocks, shrinking with distance
    fs = [0.87 ** i * 1.3 for i in range(52)]
    for i in range(len(fs) - 1):
        f0, f1 = fs[i], fs[i + 1]
        col = ACCENT if i % 2 == 0 else PALE
        fade = clamp(f1 * 2.4) * (1.0 if i % 2 == 0 else 0.8)
        for xb, kw in ((LB, -80.0), (RB, 64.0)):
            cv.poly([(edge_x(xb, f0), fy(f0)), (edge_x(xb + kw, f0), fy(f0)),
                     (edge_x(xb + kw, f1), fy(f1)), (edge_x(xb, f1), fy(f1))],
                    col, fade)
        if i % 2 == 0:
            cb = VX - 84.0
            cv.poly([(edge_x(cb - 8, f0), fy(f0)), (edge_x(cb + 8, f0), fy(f0)),
                     (edge_x(cb + 8, f1), fy(f1)), (edge_x(cb - 8, f1), fy(f1))],
                    PALE, 0.6 * clamp(f1 * 2.5))

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

    # Chevron boards on the outside (left) of the right-hand bend.
    for f in (0.2, 0.3, 0.44):
        cx, hw = road_at(f)
        x = cx - hw * 1.3
        yb = HZ + (H - HZ) * f
        sz = 26.0 * f
        cv.rect(x - sz * 0.06, yb - sz * 0.9, x + sz * 0.06, yb, (40, 24, 48))
        cv.rect(x - sz * 0.8, yb - sz * 1.5, x + sz * 0.8, yb - sz * 0.8, (244, 236, 226))
        for k in range(3):
            ox = x - sz * 0.55 + k * sz * 0.42
            # a ">" shape
            cv.poly([(ox, yb - sz * 1.42), (ox + sz * 0.14, yb - sz * 1.42),
                     (ox + sz * 0.34, yb - sz * 1.15), (ox + sz * 0.14, yb - sz * 0.88),
                     (ox, yb - sz * 0.88), (ox + sz * 0.2, yb - sz * 1.15)],
                    (236, 58, 46))

    # The car: a red open-wheeler seen from behind and slightly above.
    CX = 190.0
    cv.ellipse(CX, 281, 92, 8, (20, 10, 26), 0.6)
    red = lambda yy: lerp3((255, 104, 78), (188, 28, 34), clamp((yy - 200) / 80))
    dark = (26, 20, 30)
    rubber = (44, 38, 52)
    # front tyres (further away, so higher up and a little smaller)
    for sx in (-1, 1):
        cv.rrect(CX + sx * 52 - 11, 214, CX + sx * 52 + 11, 242, 5, dark)
        cv.rect(CX + sx * 52 - 9, 220, CX + sx * 52 + 9, 221.5, rubber)
        cv.rrect(CX + sx * 52 + sx * 6 - 2, 217, CX + sx * 52 + sx * 6 + 2, 239, 1.5,
                 (62, 54, 70))
    cv.line(CX - 30, 226, CX - 44, 228, 2.2, (40, 34, 44))
    cv.line(CX + 30, 226, CX + 44, 228, 2.2, (40, 34, 44))
    # engine cover and sidepods
    cv.poly([(CX - 46, 274), (CX + 46, 274), (CX + 42, 252), (CX + 26, 238),
             (CX - 26, 238), (CX - 42, 252)], red)
    cv.poly([(CX - 26, 238), (CX + 26, 238), (CX + 11, 212), (CX - 11, 212)], red)
    cv.poly([(CX - 2.5, 238), (CX + 2.5, 238), (CX + 1.5, 212), (CX - 1.5, 212)],
            (250, 244, 232), 0.9)
    # helmet
    cv.circle(CX, 205, 10.5, (250, 244, 232))
    cv.rect(CX - 10.5, 201, CX + 10.5, 205.5, (36, 30, 44))
    cv.rect(CX - 10.5, 207.5, CX + 10.5, 209.5, ACCENT)
    # rear tyres
    for sx in (-1, 1):
        tx = CX + sx * 66
        cv.rrect(tx - 17, 238, tx + 17, 282, 7, dark)
        cv.rrect(tx - 13, 241, tx - 9, 279, 2, (62, 54, 70))
        for k in range(4):
            ty = 246 + k * 9
            cv.rect(tx - 15, ty, tx + 15, ty + 1.5, rubber)
    cv.line(CX - 44, 258, CX - 50, 258, 3, (40, 34, 44))
    cv.line(CX + 44, 258, CX + 50, 258, 3, (40, 34, 44))
    # rear wing on a central pylon
    cv.rect(CX - 3.5, 236, CX + 3.5, 256, (40, 30, 44))
    cv.rrect(CX - 50, 222, CX + 50, 238, 2, red)
    cv.rect(CX - 50, 230, CX + 50, 232, (150, 22, 30))
    cv.rect(CX - 54, 218, CX - 47, 250, (130, 20, 30))
    cv.rect(CX + 47, 218, CX + 54, 250, (130, 20, 30))
    # diffuser, strakes and the rain light
    cv.poly([(CX - 44, 274), (CX + 44, 274), (CX + 34, 283), (CX - 34, 283)], dark)
    for k in range(-3, 4):
        cv.rect(CX + k * 9 - 0.8, 274, CX + k * 9 + 0.8, 282, (62, 50, 68))
    cv.rect(CX - 7, 262, CX + 7, 268, (255, 60, 44))
    cv.glow(CX, 265, 7, (255, 70, 40), 0.6)

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
        y = rnd.uniform(2, HZ - 14)
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
    # faint reflections of the towers on the wet ground
    for x, w, h in towers:
        top = HZ + 0.5
        ln = h * 1.1
        cv.rect(x + 1, top, x + w - 1, top + ln, (30, 110, 120),
                lambda yy, top=top, ln=ln: 0.24 * (1.0 - clamp((yy - top) / ln)) ** 1.5)
        if h > 24:
            cv.rect(x + w / 2 - 0.6, top + h + 0.5, x + w / 2 + 0.6, top + h + 7,
                    ACCENT, lambda yy, a=top + h: 0.35 * (1.0 - clamp((yy - a) / 7)))
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
    Z0, CAMH, ZS = 52.0, 60.0, 1.5

    def proj_raw(X, Z, Y=0.0):
        d = Z + Z0
        return X / d, (CAMH - Y) / d

    # Circuit centre line: a closed Catmull-Rom spline through hand-placed
    # control points (world units; X to the right, Z into the picture).
    ctrl = [(-50, 2), (0, 0), (46, 2), (66, 8), (72, 20), (64, 30), (48, 28),
            (34, 30), (30, 42), (44, 52), (50, 64), (34, 74), (6, 70),
            (-14, 58), (-32, 64), (-56, 62), (-72, 50), (-74, 30), (-66, 12)]
    ctrl = [(x, z * ZS) for x, z in ctrl]
    per = 24
    centre = []
    nc = len(ctrl)
    for i in range(nc):
        p0, p1, p2, p3 = (ctrl[(i - 1) % nc], ctrl[i], ctrl[(i + 1) % nc],
                          ctrl[(i + 2) % nc])
        for j in range(per):
            t = j / per
            t2, t3 = t * t, t * t * t
            centre.append(tuple(
                0.5 * (2 * p1[q] + (-p0[q] + p2[q]) * t +
                       (2 * p0[q] - 5 * p1[q] + 4 * p2[q] - p3[q]) * t2 +
                       (-p0[q] + 3 * p1[q] - 3 * p2[q] + p3[q]) * t3)
                for q in (0, 1)))
    N = len(centre)
    normals = []
    for i in range(N):
        x0, z0 = centre[i - 1]
        x1, z1 = centre[(i + 1) % N]
        L = math.hypot(x1 - x0, z1 - z0)
        normals.append((-(z1 - z0) / L, (x1 - x0) / L))

    # Fit: one uniform screen scale so the whole circuit, with its glow,
    # sits inside the lower part of the card.
    raw = [proj_raw(centre[i][0] + normals[i][0] * d, centre[i][1] + normals[i][1] * d)
           for i in range(N) for d in (-8.0, 8.0)]
    xs = [p[0] for p in raw]
    ys = [p[1] for p in raw]
    k = min((294.0 - HZ) / max(ys), 392.0 / (max(xs) - min(xs)))
    xoff = 200.0 - k * (min(xs) + max(xs)) / 2.0

    def P(X, Z, Y=0.0):
        sx, sy = proj_raw(X, Z, Y)
        return xoff + k * sx, HZ + k * sy

    def scale_at(Z):
        return k / (Z + Z0)

    def ribbon(d0, d1, i0=0, count=None, color=(0, 0, 0), alpha=1.0):
        """Band between offsets d0 and d1 from the centre line, over
        `count` segments starting at index i0, as a non-zero union of quads."""
        count = N if count is None else count
        quads = []
        for j in range(count):
            a, b = (i0 + j) % N, (i0 + j + 1) % N
            q = [P(centre[a][0] + normals[a][0] * d0, centre[a][1] + normals[a][1] * d0),
                 P(centre[b][0] + normals[b][0] * d0, centre[b][1] + normals[b][1] * d0),
                 P(centre[b][0] + normals[b][0] * d1, centre[b][1] + normals[b][1] * d1),
                 P(centre[a][0] + normals[a][0] * d1, centre[a][1] + normals[a][1] * d1)]
            area = sum(q[m][0] * q[m - 3][1] - q[m - 3][0] * q[m][1] for m in range(4))
            if area < 0:
                q.reverse()
            quads.append(q)
        cv.poly(quads, color, alpha, nonzero=True)

    # Ground grid (drawn before the track).
    for gxw in range(-200, 201, 12):
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
    ribbon(-8.0, 8.0, color=(20, 140, 150), alpha=0.14)
    ribbon(-5.4, 5.4, color=(20, 150, 160), alpha=0.2)
    ribbon(-3.6, 3.6, color=(16, 24, 38))
    ribbon(3.0, 3.6, color=TEAL, alpha=0.95)
    ribbon(-3.6, -3.0, color=TEAL, alpha=0.95)
    # Dashed centre line.
    for s0 in range(0, N, 10):
        ribbon(-0.22, 0.22, s0, 5, (130, 170, 190), 0.5)

    # Start / finish chequer across the track.
    START = 8
    cxw, czw = centre[START]
    nxw, nzw = normals[START]
    txw, tzw = nzw, -nxw
    cells = 8
    cw = 7.2 / cells
    for a in range(cells):
        for b in range(2):
            col = (244, 244, 240) if (a + b) % 2 == 0 else (12, 16, 24)
            corners = []
            for da, db in ((0, 0), (1, 0), (1, 1), (0, 1)):
                u = -3.6 + (a + da) * cw
                v = (b + db - 1) * cw
                corners.append(P(cxw + nxw * u + txw * v, czw + nzw * u + tzw * v))
            cv.poly(corners, col)

    # Car position, part way round the lap, and its light trail.
    CAR = (START + int(N * 0.17)) % N
    trail = 46
    for j in range(0, trail, 2):
        ribbon(-1.1, 1.1, CAR - trail + j, 2, ACCENT, 0.04 + 0.55 * (j / trail) ** 1.5)

    # Sixteen checkpoint lights at equal arc length around the lap.
    seg_len = [math.hypot(centre[(i + 1) % N][0] - centre[i][0],
                          centre[(i + 1) % N][1] - centre[i][1]) for i in range(N)]
    total = sum(seg_len)
    cps = []
    acc, i = 0.0, START
    for c in range(16):
        target = total * c / 16 + total / 32
        while acc + seg_len[i % N] < target:
            acc += seg_len[i % N]
            i += 1
        cps.append(i % N)
    lights = []
    done = (CAR - START) % N
    for i in cps:
        # checkpoints already passed on this lap glow red, the rest teal
        passed = (i - START) % N < done
        # the post stands just off the track, on its left-hand side
        X = centre[i][0] + normals[i][0] * 5.6
        Z = centre[i][1] + normals[i][1] * 5.6
        lights.append((Z, X, passed))
    lights.sort(reverse=True)             # far to near
    for Z, X, passed in lights:
        sc = scale_at(Z)
        bx, by = P(X, Z)
        tx_, ty_ = P(X, Z, 4.0)
        col = ACCENT if passed else TEAL
        cv.ellipse(bx, by, 1.8 * sc, 0.6 * sc, col, 0.3)
        cv.line(bx, by, tx_, ty_, max(0.6, 0.35 * sc), (80, 100, 120))
        cv.glow(tx_, ty_, 1.9 * sc, col, 0.95)
        cv.circle(tx_, ty_, 0.7 * sc, (255, 255, 255) if not passed else (255, 220, 206))

    # The car: a small red wedge pointing along the track.
    X, Z = centre[CAR % N]
    nx, nz = normals[CAR % N]
    x1, z1 = centre[(CAR + 1) % N]
    L = math.hypot(x1 - X, z1 - Z)
    tx, tz = (x1 - X) / L, (z1 - Z) / L

    def W2(u, v):        # u along the track, v across it
        return P(X + tx * u + nx * v, Z + tz * u + nz * v)

    cv.glow(*W2(0.0, 0.0), 3.0 * scale_at(Z), (255, 70, 50), 0.5)
    cv.poly([W2(-3.2, 1.7), W2(3.6, 0.7), W2(3.6, -0.7), W2(-3.2, -1.7)], ACCENT)
    cv.poly([W2(-3.6, 2.1), W2(-2.7, 2.1), W2(-2.7, -2.1), W2(-3.6, -2.1)], (190, 28, 30))
    cv.poly([W2(3.2, 1.6), W2(3.7, 1.6), W2(3.7, -1.6), W2(3.2, -1.6)], (190, 28, 30))
    cv.poly([W2(-1.0, 0.6), W2(0.8, 0.5), W2(0.8, -0.5), W2(-1.0, -0.6)], (20, 20, 30))

    write_png(path, cv)


# ---------------------------------------------------------------------------
# Icon
# ---------------------------------------------------------------------------

def draw_icon(size):
    """Red-orange rounded square with a white T: the crossbar is a chequered
    flag, the stem a road running up to it.  The geometry is snapped to the
    pixel grid of each size and the amount of detail depends on the size."""
    ss = 8 if size <= 32 else 4 if size <= 64 else 3
    px = size / 100.0                 # design units (0..100) -> pixels

    def sn(v):                        # snap a design coordinate to a pixel edge
        return round(v * px) / px

    def U(pts):
        return [(x * px, y * px) for x, y in pts]

    top, bot = (255, 112, 76), (222, 50, 36)
    cv = Canvas(size, size, ss, bg=bot, with_alpha=True)
    m = 0.0 if size <= 24 else sn(3.0)
    rad = 20.0 if size > 24 else 17.0
    grad = lambda yy: lerp3(top, bot, clamp(yy / size))
    cv.poly(U(rrect_points(m, m, 100 - m, 100 - m, rad)), grad)
    if size >= 48:
        # soft sheen over the upper half
        cv.poly(U(rrect_points(m + 2, m + 2, 100 - m - 2, 52, rad - 2)),
                (255, 255, 255), lambda yy: 0.10 * clamp(1.0 - yy / (0.52 * size)))

    bx0, by0, bx1, by1 = sn(10), sn(12.5), sn(90), sn(37.5)
    st0, st1 = sn(37.5), sn(62.5)           # stem width where it meets the bar
    sb0, sb1, sy1 = sn(24), sn(76), sn(87.5)

    def t_shape(dx, dy):
        return [U([(bx0 + dx, by0 + dy), (bx1 + dx, by0 + dy),
                   (bx1 + dx, by1 + dy), (bx0 + dx, by1 + dy)]),
                U([(st0 + dx, by1 - 1 + dy), (st1 + dx, by1 - 1 + dy),
                   (sb1 + dx, sy1 + dy), (sb0 + dx, sy1 + dy)])]

    if size >= 32:
        for c in t_shape(1.5, 2.5):
            cv.poly(c, (120, 16, 8), 0.35)
    for c in t_shape(0, 0):
        cv.poly(c, (255, 252, 248))
    line_col = (230, 62, 44)

    if size >= 32:
        # chequered flag inside the crossbar: two rows of square-ish cells
        inset = max(1, round(3.0 * px)) / px
        fx0, fy0, fx1, fy1 = bx0 + inset, by0 + inset, bx1 - inset, by1 - inset
        chh = (fy1 - fy0) / 2
        cols = max(4, round((fx1 - fx0) / chh))
        cw = (fx1 - fx0) / cols
        for a in range(cols):
            for b in range(2):
                if (a + b) % 2:
                    cv.poly(U([(fx0 + a * cw, fy0 + b * chh),
                               (fx0 + (a + 1) * cw, fy0 + b * chh),
                               (fx0 + (a + 1) * cw, fy0 + (b + 1) * chh),
                               (fx0 + a * cw, fy0 + (b + 1) * chh)]), (34, 30, 36))
    if size >= 24:
        # centre-line dashes on the road, shrinking with distance
        if size >= 48:
            dashes = ((43, 51, 2.4), (56, 66, 3.2), (71, 85, 4.2))
        elif size >= 32:
            dashes = ((50, 62, 3.4), (69, 85, 4.6))
        else:
            dashes = ((sn(62.5), sn(83.4), 4.4),)
        for d0, d1, w in dashes:
            # keep the bottom width a whole, even number of pixels
            wb = max(2, 2 * round(w * px / 2)) / px if size <= 32 else w
            wt = wb * 0.75 if size > 32 else wb
            cv.poly(U([(50 - wt / 2, d0), (50 + wt / 2, d0),
                       (50 + wb / 2, d1), (50 - wb / 2, d1)]), line_col)
    return cv.resolve()


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
