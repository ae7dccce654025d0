#pragma once

#include <QColor>
#include <QImage>
#include <QMargins>
#include <QRect>

class QPainter;

// Draws one frame of a strip picture stretched into a rectangle while its
// corners keep their size (a nine-slice picture), as bars, tabs and the
// palette's frame are drawn from the program's bitmaps.
class QVControlRenderer
{
public:
    // image: where frame 0 lies in the picture; the other frames follow it to
    // the right (or below when stacked). A valid transparent colour becomes
    // see-through.
    bool Create(const QString& resource, const QRect& image, const QMargins& corners,
                const QColor& transparent = QColor(), bool stacked = false, bool flipped = false);
    bool IsValid() const { return !m_picture.isNull(); }
    int FrameCount() const;
    QSize FrameSize() const { return m_rcImage.size(); }
    // Draws frame into target, with the corners at their own size.
    void Draw(QPainter* painter, const QRect& target, int frame, qreal opacity = 1.0) const;
    // Draws frame at its own size with its top-left corner at point.
    void DrawImage(QPainter* painter, const QPoint& point, int frame, qreal opacity = 1.0) const;

private:
    QRect FrameRect(int frame) const;

    QImage m_picture;
    QRect m_rcImage;
    QMargins m_corners;
    bool m_bStacked = false;
};
