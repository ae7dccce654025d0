#pragma once

// A rectangle in image or window coordinates, half-open: it covers
// left <= x < right and top <= y < bottom. In image coordinates "top" is the
// lower storage row, because rows are stored bottom-up.
struct QVRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr bool IsEmpty() const { return right <= left || bottom <= top; }

    constexpr QVRect Intersected(const QVRect& o) const
    {
        QVRect r{left > o.left ? left : o.left, top > o.top ? top : o.top,
                 right < o.right ? right : o.right, bottom < o.bottom ? bottom : o.bottom};
        if (r.IsEmpty())
            return QVRect{};
        return r;
    }

    friend constexpr bool operator==(const QVRect&, const QVRect&) = default;
};

// An integer point: a pixel or a control point in image coordinates.
struct QVPoint
{
    int x = 0;
    int y = 0;

    friend constexpr bool operator==(const QVPoint&, const QVPoint&) = default;
};

struct QVPointF
{
    double x = 0;
    double y = 0;
};
