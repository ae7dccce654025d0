#include "QVColorProfile.h"

#include <QImage>

std::shared_ptr<const QVColorProfile> QVColorProfile::FromColorSpace(const QColorSpace& space)
{
    if (!space.isValid())
        return nullptr;
    return std::make_shared<const QVColorProfile>(space);
}

QVColorProfile::QVColorProfile(const QColorSpace& space)
    : m_space(space), m_bSrgb(space == QColorSpace(QColorSpace::SRgb))
{
    // Built once per opened picture, not per paint.
    if (!m_bSrgb)
        m_toSrgb = m_space.transformationToColorSpace(QColorSpace::SRgb);
}

void QVColorProfile::ConvertToSrgb(QImage& image) const
{
    if (!m_bSrgb)
        image.applyColorTransform(m_toSrgb);
}
