"""Pixel pictures without any imaging library: an RGB canvas, an anti-aliased
polygon filler (non-zero winding, so overlapping pieces simply unite) and a
PNG writer. Colours are (r, g, b) tuples of 0..255 floats or ints."""
import math, struct, zlib

def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))

def grey(v):
    return (v, v, v)

class Canvas:
    def __init__(self, w, h, color=(255, 255, 255)):
        self.w, self.h = w, h
        self.px = [[tuple(color) for _ in range(w)] for _ in range(h)]

    def get(self, x, y):
        return self.px[y][x]

    def set(self, x, y, color):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = tuple(color)

    def rect(self, x, y, w, h, color):
        for yy in range(max(0, y), min(self.h, y + h)):
            row = self.px[yy]
            for xx in range(max(0, x), min(self.w, x + w)):
                row[xx] = tuple(color)

    def shade(self, fn, x=0, y=0, w=None, h=None):
        """Every pixel of the box gets fn(x, y, old colour)."""
        w = self.w if w is None else w
        h = self.h if h is None else h
        for yy in range(max(0, y), min(self.h, y + h)):
            row = self.px[yy]
            for xx in range(max(0, x), min(self.w, x + w)):
                row[xx] = tuple(fn(xx, yy, row[xx]))

    def blend(self, x, y, color, a):
        if a <= 0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        self.px[y][x] = tuple(color) if a >= 1 else mix(self.px[y][x], color, a)

    def fill(self, contours, paint, opacity=1.0, ss=16):
        """Fill closed polygons; paint is a colour or fn(x, y) -> colour,
        opacity a number or fn(x, y) -> number."""
        cov = coverage(contours, self.w, self.h, ss)
        fn = paint if callable(paint) else lambda x, y: paint
        op = opacity if callable(opacity) else lambda x, y: opacity
        for (x, y), c in cov.items():
            self.blend(x, y, fn(x + 0.5, y + 0.5), c * op(x + 0.5, y + 0.5))

    def paste(self, other, x, y):
        for j in range(other.h):
            self.px[y + j][x:x + other.w] = list(other.px[j])

    def rows(self):
        for row in self.px:
            yield bytes(max(0, min(255, int(round(v)))) for p in row for v in p)

    def save(self, path):
        write_png(path, self.w, self.h, self.rows())

def write_png(path, w, h, rows):
    """24-bit RGB, no filter: the same pixels always give the same file."""
    raw = b"".join(b"\x00" + r for r in rows)
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff)
    data = (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))
    with open(path, "wb") as fh:
        fh.write(data)

def coverage(contours, w, h, ss=16):
    """{(x, y): covered fraction} of the pixels the polygons touch. Exact
    along x, ss samples per pixel along y; non-zero winding."""
    edges = []
    for P in contours:
        n = len(P)
        for i in range(n):
            (x0, y0), (x1, y1) = P[i], P[(i + 1) % n]
            if y0 == y1:
                continue
            d = 1
            if y0 > y1:
                x0, y0, x1, y1, d = x1, y1, x0, y0, -1
            edges.append((y0, y1, x0, (x1 - x0) / (y1 - y0), d))
    if not edges:
        return {}
    edges.sort()
    ymin = max(0, int(math.floor(edges[0][0])))
    ymax = min(h, int(math.ceil(max(e[1] for e in edges))))
    cov = {}
    first = 0
    active = []
    for sy in range(ymin * ss, ymax * ss):
        y = (sy + 0.5) / ss
        while first < len(edges) and edges[first][0] <= y:
            active.append(edges[first]); first += 1
        active = [e for e in active if e[1] > y]
        xs = sorted((e[2] + (y - e[0]) * e[3], e[4]) for e in active if e[0] <= y)
        wind = 0
        row = sy // ss
        for i in range(len(xs) - 1):
            wind += xs[i][1]
            if wind == 0:
                continue
            a, b = max(0.0, xs[i][0]), min(float(w), xs[i + 1][0])
            if b <= a:
                continue
            ia, ib = int(a), int(b)
            if ia == ib:
                k = (ia, row); cov[k] = cov.get(k, 0) + (b - a) / ss
                continue
            k = (ia, row); cov[k] = cov.get(k, 0) + (ia + 1 - a) / ss
            for x in range(ia + 1, min(ib, w)):
                k = (x, row); cov[k] = cov.get(k, 0) + 1.0 / ss
            if ib < w and b > ib:
                k = (ib, row); cov[k] = cov.get(k, 0) + (b - ib) / ss
    return {k: min(1.0, v) for k, v in cov.items() if v > 1e-4}

# ---- shapes as polygons ------------------------------------------------------
def ellipse(cx, cy, rx, ry, n=None, reverse=False):
    n = n or max(24, int(2 * math.pi * max(rx, ry) / 1.5))
    P = [(cx + rx * math.cos(2 * math.pi * k / n), cy + ry * math.sin(2 * math.pi * k / n)) for k in range(n)]
    return hole(P) if reverse else solid(P)

def arc_pts(cx, cy, rx, ry, a0, a1, n=None):
    """Points from angle a0 to a1 (degrees, y down, so positive turns clockwise)."""
    n = n or max(6, int(abs(a1 - a0) / 360 * 2 * math.pi * max(rx, ry) / 1.2))
    return [(cx + rx * math.cos(math.radians(a0 + (a1 - a0) * k / n)),
             cy + ry * math.sin(math.radians(a0 + (a1 - a0) * k / n))) for k in range(n + 1)]

def ring_sector(cx, cy, rx, ry, t, a0, a1, tin=None):
    """The band between an ellipse and one t inside it, from a0 to a1."""
    tin = t if tin is None else tin
    return solid(arc_pts(cx, cy, rx, ry, a0, a1) + arc_pts(cx, cy, rx - t, ry - tin, a1, a0))

def box(x, y, w, h):
    return solid([(x, y), (x + w, y), (x + w, y + h), (x, y + h)])

def round_box(x, y, w, h, r):
    P = []
    for cx, cy, a in ((x + w - r, y + r, -90), (x + w - r, y + h - r, 0), (x + r, y + h - r, 90), (x + r, y + r, 180)):
        P += arc_pts(cx, cy, r, r, a, a + 90, 8)
    return solid(P)

def area(P):
    return sum(P[i - 1][0] * P[i][1] - P[i][0] * P[i - 1][1] for i in range(len(P))) / 2

def solid(P):
    """P turning the way every filled piece turns (so pieces unite)."""
    return list(P) if area(P) >= 0 else list(P)[::-1]

def hole(P):
    return list(P) if area(P) < 0 else list(P)[::-1]

def stroke(P, width, closed=False, caps="butt"):
    """Outline of a line of the given width along a smooth polyline P: each
    point moves out along its averaged normal (no sharp corners, please)."""
    n = len(P); h = width / 2
    def normal(i):
        a = P[i - 1] if (i > 0 or closed) else P[i]
        b = P[(i + 1) % n] if (i < n - 1 or closed) else P[i]
        dx, dy = b[0] - a[0], b[1] - a[1]
        L = math.hypot(dx, dy) or 1
        return -dy / L, dx / L
    N = [normal(i) for i in range(n)]
    left = [(P[i][0] + N[i][0] * h, P[i][1] + N[i][1] * h) for i in range(n)]
    right = [(P[i][0] - N[i][0] * h, P[i][1] - N[i][1] * h) for i in range(n)]
    if closed:
        return [solid(left), hole(right)] if area(left) > area(right) else [solid(right), hole(left)]
    out = left + right[::-1]
    if caps == "round":
        out = [solid(out)]
        for i in (0, n - 1):
            out.append(solid(ellipse(P[i][0], P[i][1], h, h, 24)))
        return out
    return [solid(out)]

def bezier(p0, c1, c2, p1, steps=24):
    out = []
    for k in range(steps + 1):
        t = k / steps; u = 1 - t
        out.append((u*u*u*p0[0] + 3*u*u*t*c1[0] + 3*u*t*t*c2[0] + t*t*t*p1[0],
                    u*u*u*p0[1] + 3*u*u*t*c1[1] + 3*u*t*t*c2[1] + t*t*t*p1[1]))
    return out
