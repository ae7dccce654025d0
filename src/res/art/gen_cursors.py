import math, os, sys
sys.path.insert(0, os.path.dirname(__file__))

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "cursors")
N = 32
T, B, Wh = 0, 1, 2          # transparent, black, white

class Grid:
    def __init__(self):
        self.g = [[T] * N for _ in range(N)]

    def paint(self, inside, outline=True, diag=False):
        """Paint a white shape (inside(x, y) on pixel indices) with a 1 px black rim."""
        mask = [[bool(inside(x, y)) for x in range(N)] for y in range(N)]
        if outline:
            nb = [(1, 0), (-1, 0), (0, 1), (0, -1)]
            if diag:
                nb += [(1, 1), (1, -1), (-1, 1), (-1, -1)]
            for y in range(N):
                for x in range(N):
                    if mask[y][x]:
                        continue
                    for dx, dy in nb:
                        xx, yy = x + dx, y + dy
                        if 0 <= xx < N and 0 <= yy < N and mask[yy][xx]:
                            self.g[y][x] = B
                            break
        for y in range(N):
            for x in range(N):
                if mask[y][x]:
                    self.g[y][x] = Wh

    def set(self, pixels, v):
        for x, y in pixels:
            self.g[y][x] = v

    def ascii(self):
        return "\n".join("".join(".Xo"[v] for v in row) for row in self.g)

    def svg(self, comment):
        def runs(v):
            d = []
            for y in range(N):
                x = 0
                while x < N:
                    if self.g[y][x] == v:
                        x0 = x
                        while x < N and self.g[y][x] == v:
                            x += 1
                        d.append("M%d %dh%dv1h-%dz" % (x0, y, x - x0, x - x0))
                    else:
                        x += 1
            return "".join(d)
        return ('<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32" shape-rendering="crispEdges">\n'
                '<!-- %s -->\n'
                '<path fill="#000000" d="%s"/>\n'
                '<path fill="#ffffff" d="%s"/>\n'
                '</svg>\n' % (comment, runs(B), runs(Wh)))

def from_ascii(rows, x0=0, y0=0):
    """Pixels marked 'o' in rows drawn with their top-left at (x0, y0)."""
    s = set()
    for j, row in enumerate(rows):
        for i, c in enumerate(row):
            if c == "o":
                s.add((x0 + i, y0 + j))
    return lambda x, y: (x, y) in s

def in_poly(P, px, py):
    c = False
    for i in range(len(P)):
        (x1, y1), (x2, y2) = P[i - 1], P[i]
        if (y1 > py) != (y2 > py) and px < x1 + (py - y1) * (x2 - x1) / (y2 - y1):
            c = not c
    return c

def seg_dist(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)

cursors = {}
def cursor(cid, comment):
    def deco(fn):
        cursors[cid] = (fn, comment)
        return fn
    return deco

@cursor(320, "move: four arrows in a cross, hot spot (16, 15)")
def move():
    g = Grid()
    cx, cy = 16, 15
    def inside(x, y):
        ax, ay = abs(x - cx), abs(y - cy)
        if ax <= 1 and ay <= 8:             # vertical shaft
            return True
        if ay <= 1 and ax <= 8:             # horizontal shaft
            return True
        if 8 <= ay <= 12 and ax <= 12 - ay:   # up and down heads
            return True
        if 8 <= ax <= 12 and ay <= 12 - ax:   # left and right heads
            return True
        return False
    g.paint(inside)
    return g

@cursor(321, "closed hand holding the picture, hot spot (16, 16)")
def grab():
    g = Grid()
    g.paint(from_ascii([
        "ooo.ooo.ooo.ooo",
        "ooo.ooo.ooo.ooo",
        "ooo.ooo.ooo.ooo",
        "ooo.ooo.ooo.ooo",
        "ooooooooooooooo",
        "ooooooooooooooo",
        "ooooooooooooooo",
        "ooooooooooooooo",
        "ooooooooooooooo",
        "ooooooooooooooo",
        "ooooooooooooooo",
        ".ooooooooooooo.",
        "..ooooooooooo..",
        "..ooooooooooo..",
        "..ooooooooooo..",
    ], 9, 10))
    # the thumb folded along the left side, over the palm
    g.paint(lambda x, y: seg_dist(x + 0.5, y + 0.5, 7.5, 14.5, 10.5, 19.5) <= 1.9)
    return g

@cursor(322, "thin crosshair with an open centre, hot spot (15, 15)")
def cross():
    g = Grid()
    c = 15
    def inside(x, y):
        return (x == c and 3 <= abs(y - c) <= 12) or (y == c and 3 <= abs(x - c) <= 12)
    g.paint(inside)
    return g

@cursor(323, "left and right arrow heads around a dot, hot spot (16, 15)")
def leftright():
    g = Grid()
    cx, cy = 16, 15
    def inside(x, y):
        ax, ay = abs(x - cx), abs(y - cy)
        if 5 <= ax <= 10 and ay <= ax - 5:  # heads, tips outward
            return True
        return ax <= 1 and ay <= 1
    def heads(x, y):
        ax, ay = abs(x - cx), abs(y - cy)
        return 6 <= ax <= 11 and ay <= 11 - ax
    g.paint(heads)
    g.paint(lambda x, y: abs(x - cx) <= 1 and abs(y - cy) <= 1)
    return g

@cursor(324, "arrow pointer with a small move cross, hot spot (0, 0)")
def pointer_move():
    g = Grid()
    g.paint(from_ascii([
        "o",
        "oo",
        "ooo",
        "oooo",
        "ooooo",
        "oooooo",
        "ooooooo",
        "oooooooo",
        "ooooooooo",
        "oooooooooo",
        "oooooo",
        "ooo.ooo",
        "oo..ooo",
        "o....ooo",
        ".....ooo",
        "......ooo",
        "......ooo",
    ], 1, 2))
    g.set([(0, 0), (0, 1)], B)
    cx, cy = 21, 22
    def small_cross(x, y):
        ax, ay = abs(x - cx), abs(y - cy)
        if ax == 0 and ay <= 7 or ay == 0 and ax <= 7:
            return True
        return (5 <= ay <= 7 and ax <= 7 - ay) or (5 <= ax <= 7 and ay <= 7 - ax)
    g.paint(small_cross)
    return g

@cursor(325, "prohibition sign, hot spot (15, 15)")
def forbidden():
    g = Grid()
    c = 15.5
    def inside(x, y):
        px, py = x + 0.5, y + 0.5
        r = math.hypot(px - c, py - c)
        if 7.6 <= r <= 10.6:
            return True
        return r <= 9 and seg_dist(px, py, c - 6, c - 6, c + 6, c + 6) <= 1.6
    g.paint(inside)
    return g

@cursor(326, "hand pointing up-left, fingertip at the hot spot (0, 0)")
def pointing():
    g = Grid()
    # Drawn on the diagonals: d = x - y runs across the hand, s = x + y along
    # the index finger from its tip in the corner toward the wrist. One pixel
    # gaps between the parts become their black dividing lines.
    def inside(x, y):
        d, s = x - y, x + y
        if -1 <= d <= 2 and 2 <= s <= 20 and s >= 1 + d + 2 * (d == 2):   # index finger
            return True
        for d0, d1, top in ((4, 6, 14), (8, 10, 15), (12, 13, 17)):   # folded fingers
            if d0 <= d <= d1 and top <= s <= 20 and not (s == top and d in (d0, d1) and d1 - d0 == 2):
                return True
        if -2 <= d <= 13 and 20 <= s <= 32:                # back of the hand
            return not (s - 29 > d + 2 or s - 29 > 13 - d)
        if -6 <= d <= -4 and 21 <= s <= 30:                # thumb
            return not (s == 21 and d != -5)
        if d == -3 and 27 <= s <= 30:
            return True
        if -1 <= d <= 12 and 34 <= s <= 37:                # cuff
            return True
        return False
    g.paint(inside)
    g.set([(0, 0)], B)
    return g

if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    for cid, (fn, comment) in cursors.items():
        g = fn()
        if "-v" in sys.argv:
            print(cid); print(g.ascii())
        with open(os.path.join(OUT, "%d.svg" % cid), "w") as fh:
            fh.write(g.svg(comment))
