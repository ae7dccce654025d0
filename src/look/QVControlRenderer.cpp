#include "QVControlRenderer.h"

#include <QPainter>

bool QVControlRenderer::Create(const QString& resource, const QRect& image, const QMargins& corners,
                               const QColor& transparent, bool stacked, bool flipped)
{
    QImage picture(resource);
    if (picture.isNull())
        return false;
    picture = picture.convertToFormat(QImage::Format_ARGB32);
    if (transparent.isValid()) {
        const QRgb key = transparent.rgb();
        for (int y = 0; y < picture.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
            for (int x = 0; x < picture.width(); ++x)
                if ((row[x] & 0x00FFFFFF) == (key & 0x00FFFFFF))
                    row[x] = 0;
        }
    }
    if (flipped)
        picture = picture.mirrored(false, true);
    m_picture = picture;
    m_rcImage = image;
    m_corners = corners;
    m_bStacked = stacked;
    return true;
}

int QVControlRenderer::FrameCount() const
{
    if (!IsValid() || m_rcImage.isEmpty())
        return 0;
    return m_bStacked ? m_picture.height() / m_rcImage.height() : m_picture.width() / m_rcImage.width();
}

QRect QVControlRenderer::FrameRect(int frame) const
{
    return m_bStacked ? m_rcImage.translated(0, frame * m_rcImage.height())
                      : m_rcImage.translated(frame * m_rcImage.width(), 0);
}

void QVControlRenderer::DrawImage(QPainter* painter, const QPoint& point, int frame, qreal opacity) const
{
    if (!IsValid() || frame < 0 || frame >= FrameCount())
        return;
    const qreal before = painter->opacity();
    painter->setOpacity(before * opacity);
    painter->drawImage(point, m_picture, FrameRect(frame));
    painter->setOpacity(before);
}

void QVControlRenderer::Draw(QPainter* painter, const QRect& target, int frame, qreal opacity) const
{
    if (!IsValid() || frame < 0 || frame >= FrameCount() || target.isEmpty())
        return;
    const QRect source = FrameRect(frame);
    const QMargins c = m_corners;
    // Nine pieces: corners at their size, edges stretched along, the middle both ways.
    const int sx[4] = {source.left(), source.left() + c.left(), source.right() + 1 - c.right(),
                       source.right() + 1};
    const int sy[4] = {source.top(), source.top() + c.top(), source.bottom() + 1 - c.bottom(),
                       source.bottom() + 1};
    const int tx[4] = {target.left(), target.left() + c.left(), target.right() + 1 - c.right(),
                       target.right() + 1};
    const int ty[4] = {target.top(), target.top() + c.top(), target.bottom() + 1 - c.bottom(),
                       target.bottom() + 1};
    const qreal before = painter->opacity();
    painter->setOpacity(before * opacity);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            const QRect from(QPoint(sx[column], sy[row]), QPoint(sx[column + 1] - 1, sy[row + 1] - 1));
            const QRect to(QPoint(tx[column], ty[row]), QPoint(tx[column + 1] - 1, ty[row + 1] - 1));
            if (from.isValid() && to.isValid())
                painter->drawImage(to, m_picture, from);
        }
    painter->setOpacity(before);
}
