import math
D = "#3a3a3a"   # lines
R = "#b00000"   # accent
W = "#ffffff"
G = "#9a9a9a"   # secondary (the "before" picture)

def f(v):
    s = ("%.2f" % v).rstrip("0").rstrip(".")
    return "0" if s in ("-0", "") else s

def pts(ps):
    return " ".join("%s,%s" % (f(x), f(y)) for x, y in ps)

def head(tx, ty, dx, dy, length=5.0, half=3.5):
    """Filled arrow head with tip (tx,ty) pointing along (dx,dy)."""
    n = math.hypot(dx, dy); dx /= n; dy /= n
    bx, by = tx - length * dx, ty - length * dy
    return [(tx, ty), (bx - half * dy, by + half * dx), (bx + half * dy, by - half * dx)]

def arrow(x1, y1, x2, y2, color, width=2, length=5.0, half=3.5):
    dx, dy = x2 - x1, y2 - y1
    n = math.hypot(dx, dy)
    ex, ey = x2 - dx / n * (length - 0.5), y2 - dy / n * (length - 0.5)
    h = head(x2, y2, dx, dy, length, half)
    return ('<path d="M%s %sL%s %s" fill="none" stroke="%s" stroke-width="%s" stroke-linecap="round"/>'
            '<polygon points="%s" fill="%s" stroke="%s" stroke-width="1" stroke-linejoin="round"/>'
            % (f(x1), f(y1), f(ex), f(ey), color, f(width), pts(h), color, color))

def smooth_closed(P, tension=1.0):
    """Closed Catmull-Rom curve through P as a cubic Bezier path."""
    n = len(P)
    d = "M%s %s" % (f(P[0][0]), f(P[0][1]))
    for i in range(n):
        p0, p1, p2, p3 = P[i - 1], P[i], P[(i + 1) % n], P[(i + 2) % n]
        c1 = (p1[0] + (p2[0] - p0[0]) / 6 * tension, p1[1] + (p2[1] - p0[1]) / 6 * tension)
        c2 = (p2[0] - (p3[0] - p1[0]) / 6 * tension, p2[1] - (p3[1] - p1[1]) / 6 * tension)
        d += "C%s %s %s %s %s %s" % (f(c1[0]), f(c1[1]), f(c2[0]), f(c2[1]), f(p2[0]), f(p2[1]))
    return d + "Z"

def sample_closed(P, steps=24, tension=1.0):
    n = len(P); out = []
    for i in range(n):
        p0, p1, p2, p3 = P[i - 1], P[i], P[(i + 1) % n], P[(i + 2) % n]
        c1 = (p1[0] + (p2[0] - p0[0]) / 6 * tension, p1[1] + (p2[1] - p0[1]) / 6 * tension)
        c2 = (p2[0] - (p3[0] - p1[0]) / 6 * tension, p2[1] - (p3[1] - p1[1]) / 6 * tension)
        for k in range(steps):
            t = k / steps; u = 1 - t
            out.append((u*u*u*p1[0] + 3*u*u*t*c1[0] + 3*u*t*t*c2[0] + t*t*t*p2[0],
                        u*u*u*p1[1] + 3*u*u*t*c1[1] + 3*u*t*t*c2[1] + t*t*t*p2[1]))
    return out

def clip_convex(subject, clip):
    """Sutherland-Hodgman: subject polygon clipped by a convex polygon (counter-clockwise or clockwise)."""
    # orientation of clip
    area = sum(clip[i-1][0]*clip[i][1] - clip[i][0]*clip[i-1][1] for i in range(len(clip)))
    sgn = 1 if area > 0 else -1
    out = subject
    for i in range(len(clip)):
        a, b = clip[i - 1], clip[i]
        def inside(p):
            return sgn * ((b[0]-a[0])*(p[1]-a[1]) - (b[1]-a[1])*(p[0]-a[0])) >= 0
        def cross(p, q):
            x1, y1, x2, y2 = p[0], p[1], q[0], q[1]
            x3, y3, x4, y4 = a[0], a[1], b[0], b[1]
            den = (x1-x2)*(y3-y4) - (y1-y2)*(x3-x4)
            t = ((x1-x3)*(y3-y4) - (y1-y3)*(x3-x4)) / den
            return (x1 + t*(x2-x1), y1 + t*(y2-y1))
        inp = out; out = []
        if not inp: break
        s = inp[-1]
        for e in inp:
            if inside(e):
                if not inside(s): out.append(cross(s, e))
                out.append(e)
            elif inside(s):
                out.append(cross(s, e))
            s = e
    return out

def circle_poly(cx, cy, r, n=96):
    return [(cx + r*math.cos(2*math.pi*k/n), cy + r*math.sin(2*math.pi*k/n)) for k in range(n)]

def svg(body, size=32):
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">\n%s\n</svg>\n'
            % (size, size, size, size, body))

def path_nums(d):
    import re
    return [float(v) for v in re.findall(r"-?\d+(?:\.\d+)?", d)]

def scale_path(d, s, tx, ty):
    """d made of M, C and Z only, every point mapped to (s x + tx, s y + ty)."""
    import re
    out = []
    for cmd, args in re.findall(r"([MCZ])([^MCZ]*)", d):
        v = [float(a) for a in re.findall(r"-?\d+(?:\.\d+)?", args)]
        q = []
        for i in range(0, len(v), 2):
            q.append("%s %s" % (f(s * v[i] + tx), f(s * v[i + 1] + ty)))
        out.append(cmd + " ".join(q))
    return "".join(out)

def sample_path(d, steps=24):
    import re
    pts_ = []
    cur = None
    for cmd, args in re.findall(r"([MCZ])([^MCZ]*)", d):
        v = [float(a) for a in re.findall(r"-?\d+(?:\.\d+)?", args)]
        if cmd == "M":
            cur = (v[0], v[1])
        elif cmd == "C":
            for i in range(0, len(v), 6):
                c1, c2, p2 = (v[i], v[i+1]), (v[i+2], v[i+3]), (v[i+4], v[i+5])
                for k in range(steps):
                    t = k / steps; u = 1 - t
                    pts_.append((u*u*u*cur[0] + 3*u*u*t*c1[0] + 3*u*t*t*c2[0] + t*t*t*p2[0],
                                 u*u*u*cur[1] + 3*u*u*t*c1[1] + 3*u*t*t*c2[1] + t*t*t*p2[1]))
                cur = p2
    return pts_
