"""The splash picture, ../bitmaps/313.png: 600 x 300, 24-bit.

The program writes two lines of black 9-point text on it: the version inside
(30, 110)-(550, 150) and a notice inside (30, 170)-(400, 275). Those boxes stay
light and quiet; the art keeps to the top (the mark and the name) and the
right (the face in profile). The name is drawn from shapes defined here, so
the picture never depends on the fonts of the machine that draws it."""
import math, os, re, sys
sys.path.insert(0, os.path.dirname(__file__))
from raster import *
from gen_icons import PROFILE, BEFORE

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "bitmaps", "313.png")
W_, H_ = 600, 300
VERSION_BOX = (30, 110, 550, 150)
NOTICE_BOX = (30, 170, 400, 275)

INK = (58, 58, 58)             # the icons' lines, #3a3a3a
ACCENT = (176, 0, 0)           # #b00000
TILE_TOP, TILE_BOTTOM = (200, 32, 42), (138, 0, 8)   # the app icon's tile
PAPER_TOP, PAPER_BOTTOM = (253, 253, 253), (236, 236, 237)

# ---- paths -----------------------------------------------------------------------
def path_points(d, steps=24):
    """Subpaths of an absolute SVG path (M L H V C Z) as point lists."""
    out, cur, start = [], None, None
    for cmd, args in re.findall(r"([MLHVCZ])([^MLHVCZ]*)", d):
        v = [float(a) for a in re.findall(r"-?\d+(?:\.\d+)?", args)]
        if cmd == "M":
            cur = start = (v[0], v[1]); out.append([cur])
        elif cmd == "L":
            for i in range(0, len(v), 2):
                cur = (v[i], v[i + 1]); out[-1].append(cur)
        elif cmd == "H":
            cur = (v[0], cur[1]); out[-1].append(cur)
        elif cmd == "V":
            cur = (cur[0], v[0]); out[-1].append(cur)
        elif cmd == "C":
            for i in range(0, len(v), 6):
                pts_ = bezier(cur, (v[i], v[i + 1]), (v[i + 2], v[i + 3]), (v[i + 4], v[i + 5]), steps)
                out[-1].extend(pts_[1:]); cur = pts_[-1]
        elif cmd == "Z":
            cur = start
    return out

def resample(P, step):
    """Points every `step` pixels along the polyline P."""
    out = [P[0]]
    carry = 0.0
    for (x0, y0), (x1, y1) in zip(P, P[1:]):
        L = math.hypot(x1 - x0, y1 - y0)
        t = step - carry
        while t <= L:
            out.append((x0 + (x1 - x0) * t / L, y0 + (y1 - y0) * t / L)); t += step
        carry = L - (t - step)
    if out[-1] != P[-1]:
        out.append(P[-1])
    return out

def smooth(P, passes=2):
    """Rounds the corners of a polyline (ends stay put)."""
    for _ in range(passes):
        P = [P[0]] + [((a[0] + 2 * b[0] + c[0]) / 4, (a[1] + 2 * b[1] + c[1]) / 4)
                      for a, b, c in zip(P, P[1:], P[2:])] + [P[-1]]
    return P

def dashes(P, on, off):
    """The polyline cut into dashes of length on, with gaps of length off."""
    P = resample(P, 0.5)
    out, cur, run, drawing = [], [P[0]], 0.0, True
    for a, b in zip(P, P[1:]):
        run += math.hypot(b[0] - a[0], b[1] - a[1])
        if drawing:
            cur.append(b)
        if run >= (on if drawing else off):
            if drawing and len(cur) > 1:
                out.append(cur)
            drawing, run, cur = not drawing, 0.0, [b]
    if drawing and len(cur) > 1:
        out.append(cur)
    return out

# ---- the name: a light geometric sans ----------------------------------------
CAP, XH, STEM = 42.0, 30.0, 4.2    # cap height, x-height, stroke

def diagonal_m(x, base, width):
    """Capital M: upright stems, the middle reaching the baseline."""
    w, top = STEM, base - CAP
    a = w * 1.22                     # the stems' flat tops are a little wider
    b = w * 0.9                      # flat foot of the middle vertex
    # The inner edge of a diagonal runs from the stem's top (a) toward the
    # middle; its outer edge is parallel, STEM further down, and meets the
    # baseline b/2 left of the centre. Find the slope that makes it so.
    lo, hi = 0.05, 20.0
    for _ in range(60):
        k = (lo + hi) / 2            # dy per dx of the diagonal
        L = math.hypot(1, k)
        nx, ny = -k / L * w, 1 / L * w          # normal, down and to the left
        ox, oy = a + nx, top + ny
        xb = ox + (base - oy) / k
        if xb > width / 2 - b / 2: lo = k
        else: hi = k
    apex_y = top + k * (width / 2 - a)
    stem_y = oy + k * (w - ox)          # where the outer edge meets the stem
    P = [(0, base), (0, top), (a, top), (width / 2, apex_y), (width - a, top), (width, top),
         (width, base), (width - w, base), (width - w, stem_y), (width / 2 + b / 2, base),
         (width / 2 - b / 2, base), (w, stem_y), (w, base)]
    return [solid([(x + px, py) for px, py in P])]

def bowl(cx, base, rx, w=STEM):
    ry = XH / 2 + 0.5
    cy = base - XH / 2
    return [ellipse(cx, cy, rx, ry), hole(ellipse(cx, cy, rx - w, ry - w * 0.92))]

def glyph_o(x, base):
    rx = XH / 2 + 1.2
    return bowl(x + rx, base, rx), 2 * rx

def glyph_a(x, base):
    rx = XH / 2 + 0.2
    return bowl(x + rx, base, rx) + [box(x + 2 * rx - STEM, base - XH - 0.5, STEM, XH + 0.5)], 2 * rx

def arch(x, base, width, a1=360):
    r = width / 2
    cy = base - XH - 0.5 + r
    return solid(ring_sector(x + r, cy, r, r, STEM, 180, a1, STEM * 0.92)), cy

def glyph_n(x, base):
    width = XH * 0.9
    piece, cy = arch(x, base, width)
    return [box(x, base - XH, STEM, XH), piece, box(x + width - STEM, cy, STEM, base - cy)], width

def glyph_r(x, base):
    width = XH * 0.9
    piece, cy = arch(x, base, width, 296)
    return [box(x, base - XH, STEM, XH), piece], width * 0.62

def glyph_v(x, base):
    width = XH * 0.98
    b = STEM * 0.8
    top = base - XH
    dx = width / 2 - b / 2
    phi = math.atan2(XH, dx)
    a = STEM / math.sin(phi)
    k = XH / dx
    inner_y = top + k * (width / 2 - a)
    P = [(0, top), (a, top), (width / 2, inner_y), (width - a, top), (width, top),
         (width / 2 + b / 2, base), (width / 2 - b / 2, base)]
    return [solid([(x + px, py) for px, py in P])], width

def glyph_e(x, base):
    rx = XH / 2 + 1.0
    ry = XH / 2 + 0.5
    cx, cy = x + rx, base - XH / 2
    bar = cy - STEM * 0.15
    t0 = -math.degrees(math.asin((bar - cy) / ry))
    return [ring_sector(cx, cy, rx, ry, STEM, -t0, -t0 - 318, STEM * 0.92),
            box(cx - rx + STEM * 0.5, bar - STEM / 2, 2 * rx - STEM * 0.5, STEM)], 2 * rx

def glyph_M(x, base):
    width = CAP * 1.02
    return diagonal_m(x, base, width), width

GLYPHS = {"M": glyph_M, "o": glyph_o, "r": glyph_r, "v": glyph_v, "a": glyph_a, "n": glyph_n, "e": glyph_e}
# Space after each letter, tuned by eye: round and open shapes sit closer.
SPACE = {"M": 6.5, "o": 5.5, "r": 3.0, "v": 4.5, "a": 6.0, "n": 6.0, "e": 0}

def word(text, x, base):
    out = []
    for ch in text:
        parts, adv = GLYPHS[ch](x, base)
        out += parts
        x += adv + SPACE[ch]
    return out, x

# ---- the picture ------------------------------------------------------------------
def paper(x, y, _):
    # Light from the top left, a little deeper toward the bottom right.
    t = min(1.0, max(0.0, (0.35 * x / W_ + 0.65 * y / H_)))
    t = t * t * (3 - 2 * t)
    c = mix(PAPER_TOP, PAPER_BOTTOM, t)
    # A faint warm glow behind the face.
    g = math.hypot((x - 490) / 1.1, y - 150) / 230
    if g < 1:
        c = mix(c, (250, 236, 236), 0.55 * (1 - g) ** 2)
    return c

def head(scale, ox, oy):
    P = path_points(PROFILE)[0]
    return [(ox + scale * x, oy + scale * y) for x, y in P]

def draw():
    c = Canvas(W_, H_)
    c.shade(paper)

    # The face in profile, on the right: a pale fill that deepens toward the
    # face, the back of the head in a faint line, the front of the face in one
    # fine red line that grows out of it at the crown, and beside the nose,
    # dotted, its line before the change.
    s, ox, oy = 10.0, 322, -4
    P = head(s, ox, oy)
    crown = min(range(len(P)), key=lambda i: math.hypot(P[i][0] - (ox + s * 20.3), P[i][1] - (oy + s * 6.9)))
    x_back, x_face = ox + s * 6.5, ox + s * 24
    top = min(y for x, y in P)
    c.fill([solid(P)], (226, 182, 182),
           lambda x, y: 0.10 + 0.42 * max(0.0, min(1.0, (x - x_back) / (x_face - x_back))) ** 1.6)
    c.fill(stroke(smooth(resample(P[:crown + 1], 2.0)), 1.2), (215, 170, 170))
    front = smooth(resample(P[crown - 20:], 1.5), 10)
    c.fill(stroke(front, 2.4), ACCENT,
           lambda x, y: min(1.0, max(0.0, (y - top - 4) / 36)) ** 1.5)
    before = [(ox + s * x, oy + s * y) for x, y in path_points(BEFORE)[0]]
    for d in dashes(before, 3.2, 3.2):
        c.fill(stroke(d, 1.6), (120, 120, 120), 0.8)

    # The mark and the name, top left.
    tx, ty, ts = 30, 30, 52
    c.fill([round_box(tx, ty, ts, ts, 11)], lambda px, py: mix(TILE_TOP, TILE_BOTTOM, (py - ty) / ts))
    k = ts / 28.0
    icon = [(tx + (x - 2) * k, ty + (y - 2) * k) for x, y in path_points(PROFILE)[0]]
    # (Without the dotted nose: at this size its dots would only be specks;
    # the large profile shows it.)
    c.fill([solid(icon)], (255, 255, 255))
    shapes, right = word("Morvane", tx + ts + 18, ty + ts / 2 + CAP / 2)
    c.fill(shapes, INK)

    # A hairline of the accent under the name, and the red band at the foot.
    c.fill([box(tx, 96, right - tx, 1.2)], ACCENT, 0.85)
    for y in range(H_ - 5, H_):
        for x in range(W_):
            c.px[y][x] = mix(TILE_TOP, TILE_BOTTOM, x / W_)
    c.rect(0, H_ - 6, W_, 1, (214, 150, 150))
    # A quiet edge, so the splash stands apart from a light desktop.
    for x in range(W_):
        c.px[0][x] = mix(c.px[0][x], (150, 150, 150), 0.6)
    for y in range(H_ - 6):
        c.px[y][0] = mix(c.px[y][0], (150, 150, 150), 0.6)
        c.px[y][W_ - 1] = mix(c.px[y][W_ - 1], (150, 150, 150), 0.6)
    return c

def luminance(c, box_):
    x0, y0, x1, y1 = box_
    total = 0.0
    for y in range(y0, y1):
        for x in range(x0, x1):
            r, g, b = c.px[y][x]
            total += 0.299 * r + 0.587 * g + 0.114 * b
    return total / ((x1 - x0) * (y1 - y0))

if __name__ == "__main__":
    pic = draw()
    pic.save(OUT)
    print("313.png; mean luminance of the version box %.0f, of the notice box %.0f"
          % (luminance(pic, VERSION_BOX), luminance(pic, NOTICE_BOX)))
