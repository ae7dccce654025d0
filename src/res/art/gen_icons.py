import math, os, sys
sys.path.insert(0, os.path.dirname(__file__))
from geom import *

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "icons")
icons = {}

def icon(name):
    def deco(fn):
        icons[name] = fn
        return fn
    return deco

# ---- shared pieces -------------------------------------------------------
BLOB = [(4.5, 13), (11, 5), (19.5, 7.5), (26.5, 5.5), (28, 16), (21, 27), (9, 25.5)]

# The freeform region of the region tools, drawn with its on-curve nodes.
REGION = "M5 15C4 9 8 4.5 14 5C18 5.5 20 8 23.5 7C27 6 29 10.5 28 16C27 22.5 22 27.5 15 27C8.5 26.5 6 21 5 15Z"
NODES = [(5, 15), (14, 5), (23.5, 7), (28, 16), (15, 27)]

def blob(P=None, fill=W, stroke=None, width=2):
    stroke = stroke or D   # looked up now, so that the hot variants recolour it
    d = REGION if P is None else P if isinstance(P, str) else smooth_closed(P)
    return '<path d="%s" fill="%s" stroke="%s" stroke-width="%s" stroke-linejoin="round"/>' % (
        d, fill, stroke, f(width))

def squares(P, size=4, fill=None, stroke=None):
    fill = fill or D
    s = []
    for x, y in P:
        extra = ' stroke="%s" stroke-width="1.5"' % stroke if stroke else ""
        s.append('<rect x="%s" y="%s" width="%s" height="%s" fill="%s"%s/>' % (
            f(x - size / 2), f(y - size / 2), f(size), f(size), fill, extra))
    return "\n".join(s)

def ring(cx=16, cy=16, r=13, fill=W):
    return '<circle cx="%s" cy="%s" r="%s" fill="%s" stroke="%s" stroke-width="2"/>' % (f(cx), f(cy), f(r), fill, D)

def stretch_mark(cx, cy, tx, ty):
    """Content pulled from (cx,cy) toward (tx,ty): pale trail, dot and arrow."""
    ang = math.degrees(math.atan2(ty - cy, tx - cx))
    mx, my = (cx + tx) / 2, (cy + ty) / 2
    ln = math.hypot(tx - cx, ty - cy)
    return "\n".join([
        '<ellipse cx="%s" cy="%s" rx="%s" ry="4" transform="rotate(%s %s %s)" fill="%s" fill-opacity="0.18"/>'
        % (f(mx - (tx - cx) * 0.08), f(my - (ty - cy) * 0.08), f(ln / 2 + 2), f(ang), f(mx - (tx - cx) * 0.08), f(my - (ty - cy) * 0.08), R),
        '<circle cx="%s" cy="%s" r="2.5" fill="%s"/>' % (f(cx), f(cy), R),
        arrow(cx, cy, tx, ty, R, 2.5, 5.5, 3.5),
    ])

def shrink_mark(cx, cy, r_in, r_out, inward=5):
    """A red double arrow out along the horizontal, dark heads pointing in on the vertical."""
    return "\n".join([
        '<path d="M%s %sH%s" stroke="%s" stroke-width="2.5"/>' % (f(cx - r_out + 4), f(cy), f(cx + r_out - 4), R),
        '<polygon points="%s" fill="%s" stroke="%s" stroke-width="1" stroke-linejoin="round"/>' % (pts(head(cx + r_out, cy, 1, 0, 5, 3.5)), R, R),
        '<polygon points="%s" fill="%s" stroke="%s" stroke-width="1" stroke-linejoin="round"/>' % (pts(head(cx - r_out, cy, -1, 0, 5, 3.5)), R, R),
        '<polygon points="%s" fill="%s" stroke="%s" stroke-width="1" stroke-linejoin="round"/>' % (pts(head(cx, cy - r_in, 0, 1, inward, 3.5)), D, D),
        '<polygon points="%s" fill="%s" stroke="%s" stroke-width="1" stroke-linejoin="round"/>' % (pts(head(cx, cy + r_in, 0, -1, inward, 3.5)), D, D),
    ])

# ---- tools ---------------------------------------------------------------
@icon("33901")
def circle_stretch():
    return "\n".join([ring(), stretch_mark(14, 18, 24.5, 7.5)])

@icon("33902")
def circle_shrink():
    return "\n".join([ring(), shrink_mark(16, 16, 3.5, 11)])

@icon("33903")
def hand():
    fingers = [(11.5, 8.5), (16, 5.5), (20.5, 6.5), (25, 10)]
    base = 19
    palm = "M9.5 16H26.5V21C26.5 25.5 23.5 29 19 29H15.5C13 29 11.5 27.5 9.5 25.5Z"
    thumb = (9.5, 22.5, 4.5, 16)
    out = []
    for pass_ in (0, 1):
        col = D if pass_ == 0 else W
        extra = 4 if pass_ == 0 else 0
        for x, top in fingers:
            out.append('<path d="M%s %sV%s" stroke="%s" stroke-width="%s" stroke-linecap="round"/>' % (
                f(x), f(top), f(base), col, f(3 + extra)))
        out.append('<path d="M%s %sL%s %s" stroke="%s" stroke-width="%s" stroke-linecap="round"/>' % (
            f(thumb[0]), f(thumb[1]), f(thumb[2]), f(thumb[3]), col, f(3.5 + extra)))
        if pass_ == 0:
            out.append('<path d="%s" fill="%s" stroke="%s" stroke-width="4" stroke-linejoin="round"/>' % (palm, D, D))
        else:
            out.append('<path d="%s" fill="%s"/>' % (palm, W))
    return "\n".join(out)

@icon("33904")
def region_stretch():
    return "\n".join([blob(), stretch_mark(14.5, 18, 23, 10.5), squares([NODES[0], NODES[1], NODES[3], NODES[4]])])

@icon("33905")
def region_shrink():
    return "\n".join([blob(), shrink_mark(16.5, 17, 3, 8.5, 4),
                      squares([NODES[0], NODES[2]])])

@icon("33906")
def point_edit():
    sc, tx, ty = 0.78, -0.5, -1
    nodes = [(sc * x + tx, sc * y + ty) for x, y in NODES]
    grip = nodes[3]
    pointer = [(0, 0), (0, 10.5), (2.6, 8), (4.3, 11.5), (6.3, 10.6), (4.6, 7.2), (8.2, 7.2)]
    pointer = [(grip[0] + x, grip[1] + y) for x, y in pointer]
    return "\n".join([
        blob(scale_path(REGION, sc, tx, ty)),
        squares(nodes[:3] + nodes[4:], 4.5, R),
        '<rect x="%s" y="%s" width="6" height="6" fill="%s" stroke="%s" stroke-width="1"/>' % (f(grip[0] - 3), f(grip[1] - 3), R, W),
        '<polygon points="%s" fill="%s" stroke="%s" stroke-width="1.5" stroke-linejoin="round"/>' % (pts(pointer), W, D),
    ])

@icon("33907")
def copy_stamp():
    return "\n".join([
        '<path d="M13 16L13.5 12.5H18.5L19 16Z" fill="%s" stroke="%s" stroke-width="2" stroke-linejoin="round"/>' % (W, D),
        '<circle cx="16" cy="8" r="4.5" fill="%s" stroke="%s" stroke-width="2"/>' % (W, D),
        '<rect x="5" y="16" width="22" height="7" rx="2" fill="%s" stroke="%s" stroke-width="2"/>' % (W, D),
        '<rect x="5" y="26" width="22" height="3" rx="1" fill="%s"/>' % R,
    ])

@icon("33908")
def blur():
    return "\n".join([
        '<defs><radialGradient id="soft" cx="16" cy="20" r="7" gradientUnits="userSpaceOnUse">'
        '<stop offset="0" stop-color="%s" stop-opacity="0.95"/>'
        '<stop offset="0.45" stop-color="%s" stop-opacity="0.6"/>'
        '<stop offset="1" stop-color="%s" stop-opacity="0"/></radialGradient></defs>' % (R, R, R),
        '<path d="M16 3C16 3 6.5 13.5 6.5 19.5A9.5 9.5 0 0 0 25.5 19.5C25.5 13.5 16 3 16 3Z" fill="%s" stroke="%s" stroke-width="2" stroke-linejoin="round"/>' % (W, D),
        '<circle cx="16" cy="20" r="7" fill="url(#soft)"/>',
    ])

@icon("33909")
def eraser():
    u = (1 / math.sqrt(2), -1 / math.sqrt(2)); n = (1 / math.sqrt(2), 1 / math.sqrt(2))
    P0 = (10.5, 21.5); L = 18; hw = 5.5; split = 0.42
    def at(t, s):
        return (P0[0] + u[0] * t + n[0] * s, P0[1] + u[1] * t + n[1] * s)
    body = [at(L * split, -hw), at(L, -hw), at(L, hw), at(L * split, hw)]
    tip = [at(0, -hw), at(L * split, -hw), at(L * split, hw), at(0, hw)]
    return "\n".join([
        '<path d="M4 28.5H28" stroke="%s" stroke-width="2" stroke-linecap="round"/>' % D,
        '<polygon points="%s" fill="%s" stroke="%s" stroke-width="2" stroke-linejoin="round"/>' % (pts(body), R, D),
        '<polygon points="%s" fill="%s" stroke="%s" stroke-width="2" stroke-linejoin="round"/>' % (pts(tip), W, D),
    ])

def lens(sym):
    return "\n".join([
        '<path d="M20 20L27.5 27.5" stroke="%s" stroke-width="4.5" stroke-linecap="round"/>' % D,
        '<circle cx="13" cy="13" r="9.5" fill="%s" stroke="%s" stroke-width="2"/>' % (W, D),
        sym,
    ])

@icon("33910")
def zoom_in():
    return lens('<path d="M13 8.5V17.5M8.5 13H17.5" stroke="%s" stroke-width="2.5" stroke-linecap="round"/>' % R)

@icon("33911")
def zoom_out():
    return lens('<path d="M8.5 13H17.5" stroke="%s" stroke-width="2.5" stroke-linecap="round"/>' % R)

@icon("33912")
def unzoom():
    return lens('<path d="M9 10L10.5 8.5V17.5M16 10L17.5 8.5V17.5" fill="none" stroke="%s" stroke-width="2" stroke-linecap="round" stroke-linejoin="round"/>'
                '<circle cx="13.5" cy="11" r="1.25" fill="%s"/><circle cx="13.5" cy="16" r="1.25" fill="%s"/>' % (R, R, R))

@icon("33913")
def fit_in_window():
    # Four corners of a frame inside the lens: the whole picture in view.
    corners = ("M8.5 11.5V8.5H11.5M14.5 8.5H17.5V11.5M17.5 14.5V17.5H14.5M11.5 17.5H8.5V14.5")
    return lens('<path d="%s" fill="none" stroke="%s" stroke-width="2" stroke-linecap="round" stroke-linejoin="round"/>' % (corners, R))

# ---- region modes ----------------------------------------------------------
RB = scale_path(REGION, 0.72, 8.5, 9.5)
RC = (12.5, 12.5, 9.5)

@icon("33923")
def intersect():
    inter = clip_convex(sample_path(RB, 32), circle_poly(*RC))
    return "\n".join([
        '<circle cx="%s" cy="%s" r="%s" fill="%s"/>' % (f(RC[0]), f(RC[1]), f(RC[2]), W),
        blob(RB, W, "none"),
        '<polygon points="%s" fill="%s"/>' % (pts(inter), R),
        '<circle cx="%s" cy="%s" r="%s" fill="none" stroke="%s" stroke-width="2"/>' % (f(RC[0]), f(RC[1]), f(RC[2]), D),
        blob(RB, "none"),
    ])

@icon("33924")
def exclude():
    return "\n".join([
        '<circle cx="%s" cy="%s" r="%s" fill="%s"/>' % (f(RC[0]), f(RC[1]), f(RC[2]), R),
        blob(RB, W, "none"),
        '<circle cx="%s" cy="%s" r="%s" fill="none" stroke="%s" stroke-width="2"/>' % (f(RC[0]), f(RC[1]), f(RC[2]), D),
        blob(RB, "none"),
    ])

SB = scale_path(REGION, 0.56, 6.75, 7)

def four_arrows(outward, color):
    a = []
    for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
        r0, r1 = (9, 15) if outward else (15, 9)
        a.append(arrow(16 + dx * r0, 16 + dy * r0, 16 + dx * r1, 16 + dy * r1, color, 2, 4, 3))
    return "\n".join(a)

@icon("33925")
def cover():
    return "\n".join([blob(SB, R), four_arrows(True, D)])

@icon("33926")
def becover():
    return "\n".join([blob(SB, W), four_arrows(False, R)])

@icon("33927")
def delete_points():
    P = [(6, 12), (13, 5), (24, 7), (9, 24), (26, 17)]
    return "\n".join([
        '<path d="%s" fill="none" stroke="%s" stroke-width="1.5"/>' % (smooth_closed([P[0], P[1], P[2], P[4], (19, 26), P[3]]), G),
        squares(P[:4], 5, W, D),
        '<circle cx="23" cy="23" r="7" fill="%s" stroke="%s" stroke-width="2"/>' % (R, R),
        '<path d="M20 20L26 26M26 20L20 26" stroke="%s" stroke-width="2.5" stroke-linecap="round"/>' % W,
    ])

# ---- history ---------------------------------------------------------------
@icon("33931")
def reset():
    # Anticlockwise almost-full turn: the picture goes back to where it began.
    cx, cy, r = 16, 16.5, 10.5
    a0, a1 = math.radians(-140), math.radians(-445)
    x0, y0 = cx + r * math.cos(a0), cy + r * math.sin(a0)
    x1, y1 = cx + r * math.cos(a1), cy + r * math.sin(a1)
    tx, ty = math.sin(a1), -math.cos(a1)          # anticlockwise tangent at the end
    return "\n".join([
        '<path d="M%s %sA%s %s 0 1 0 %s %s" fill="none" stroke="%s" stroke-width="2.5" stroke-linecap="round"/>' % (
            f(x0), f(y0), f(r), f(r), f(x1 - tx * 2), f(y1 - ty * 2), D),
        '<polygon points="%s" fill="%s" stroke="%s" stroke-width="1" stroke-linejoin="round"/>' % (
            pts(head(x1 + tx * 3, y1 + ty * 3, tx, ty, 7, 4.5)), D, D),
        '<circle cx="%s" cy="%s" r="3.5" fill="%s" stroke="%s" stroke-width="1.25"/>' % (f(x0), f(y0), R, W),
    ])

def hook(mirror):
    body = ('<path d="M25 25.5V18A7.5 7.5 0 0 0 17.5 10.5H10" fill="none" stroke="%s" stroke-width="2.5" stroke-linecap="round" stroke-linejoin="round"/>'
            '<polygon points="4,10.5 11,5 11,16" fill="%s" stroke="%s" stroke-width="1" stroke-linejoin="round"/>' % (D, D, D))
    if mirror:
        return '<g transform="translate(32 0) scale(-1 1)">%s</g>' % body
    return body

@icon("33932")
def undo():
    return hook(False)

@icon("33933")
def redo():
    return hook(True)

# ---- view modes ------------------------------------------------------------
def portrait(x, y, w, h, color):
    """Head and shoulders inside the frame (x,y,w,h)."""
    cx = x + w / 2
    hr = min(w, h) * 0.2
    hy = y + h * 0.42
    sy = y + h
    sw = min(w * 0.4, h * 0.55)
    return ('<circle cx="%s" cy="%s" r="%s" fill="%s"/>'
            '<path d="M%s %sC%s %s %s %s %s %sS%s %s %s %sZ" fill="%s"/>' % (
                f(cx), f(hy), f(hr), color,
                f(cx - sw), f(sy), f(cx - sw), f(hy + hr * 1.6), f(cx - hr * 0.3), f(hy + hr * 1.45), f(cx), f(hy + hr * 1.45),
                f(cx + sw), f(hy + hr * 1.6), f(cx + sw), f(sy), color))

def frame(x, y, w, h, color):
    return ('<rect x="%s" y="%s" width="%s" height="%s" fill="%s"/>%s'
            '<rect x="%s" y="%s" width="%s" height="%s" rx="1" fill="none" stroke="%s" stroke-width="2"/>' % (
                f(x), f(y), f(w), f(h), W, portrait(x + 1, y + 1, w - 2, h - 2, color), f(x), f(y), f(w), f(h), D))

@icon("33934")
def before():
    return frame(6, 4, 20, 24, G)

@icon("33935")
def after():
    return frame(6, 4, 20, 24, R)

@icon("33936")
def left_right():
    return frame(2, 6, 13, 20, G) + "\n" + frame(17, 6, 13, 20, R)

@icon("33937")
def top_bottom():
    return frame(5, 2, 22, 13, G) + "\n" + frame(5, 17, 22, 13, R)

@icon("32804")
def help_():
    return "\n".join([
        ring(16, 16, 13),
        '<path d="M11.5 12.5A4.5 4.5 0 1 1 18.2 16.4C16.8 17.2 16 18 16 19.8V20.5" fill="none" stroke="%s" stroke-width="2.75" stroke-linecap="round" stroke-linejoin="round"/>' % R,
        '<circle cx="16" cy="24.5" r="1.75" fill="%s"/>' % R,
    ])

# ---- hot variants ------------------------------------------------------------
# Shown while the mouse is over a button: the same drawing with its dark lines
# in the accent red; what was red already turns a shade deeper, so the parts
# stay apart, and the grey of a "before" picture takes a pale red.
HOT = {"D": R, "R": "#6e0000", "G": "#d88a8a"}

def hot(fn):
    g = globals()
    normal = {k: g[k] for k in HOT}
    g.update(HOT)
    try:
        return fn()
    finally:
        g.update(normal)

if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    for name, fn in icons.items():
        with open(os.path.join(OUT, name + ".svg"), "w") as fh:
            fh.write(svg(fn()))
        with open(os.path.join(OUT, name + "_hot.svg"), "w") as fh:
            fh.write(svg(hot(fn)))
    print(len(icons), "icons and their hot variants")

# The identity: a face in profile looking right, and (dotted) the line of the
# nose before the change. The splash draws them too.
PROFILE = ("M10.6 30V25.8C10.6 23.2 9 21.6 7.9 19.6C5.8 15.6 6.3 10.2 9.6 7.3"
           "C12.6 4.7 17.6 4.5 20.3 6.9C22 8.4 22.6 10.3 22.4 12.2C22.3 12.8 22.3 13.2 22.6 13.7"
           "L24.6 17.2C24.9 17.8 24.6 18.3 24 18.4L22.9 18.6C23.3 19.1 23.2 19.6 22.8 19.9"
           "C22.7 20.1 22.7 20.2 22.9 20.4C23.2 20.8 23 21.4 22.5 21.7C22.2 22 22.3 22.5 22.6 23.1"
           "C22.9 24 22.3 25 21 25.2C20 25.4 19.6 26 19.5 27L19.3 30Z")
BEFORE = "M22.6 13.2C23.6 14.2 25.6 16.1 26.3 17.6C26.8 18.7 25.8 19.3 24.4 19.1"

def app_icon():
    profile, before = PROFILE, BEFORE
    return "\n".join([
        '<defs><linearGradient id="tile" x1="0" y1="2" x2="0" y2="30" gradientUnits="userSpaceOnUse">'
        '<stop offset="0" stop-color="#c8202a"/><stop offset="1" stop-color="#8a0008"/></linearGradient></defs>',
        '<rect x="2" y="2" width="28" height="28" rx="6" fill="url(#tile)"/>',
        '<path d="%s" fill="none" stroke="%s" stroke-opacity="0.6" stroke-width="0.75" stroke-linecap="round" stroke-dasharray="1 1.1"/>' % (before, W),
        '<path d="%s" fill="%s"/>' % (profile, W),
    ])

if __name__ == "__main__":
    with open(os.path.join(OUT, "morvane.svg"), "w") as fh:
        fh.write(svg(app_icon()))
