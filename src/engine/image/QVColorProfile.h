#pragma once

#include <QByteArray>
#include <QColorSpace>
#include <QColorTransform>

#include <memory>

class QImage;

// The colour space a picture's bytes are in, as its file's embedded profile
// (ICC, or PNG's gAMA and cHRM) told it. The bytes themselves are never
// converted: the tools work on them as decoded. Only what is drawn on the
// screen is converted to sRGB, and saving writes the profile back.
class QVColorProfile
{
public:
    // nullptr for a colour space Qt cannot use (none, or grey or CMYK profiles
    // that do not describe the RGB bytes the picture holds).
    static std::shared_ptr<const QVColorProfile> FromColorSpace(const QColorSpace& space);

    const QColorSpace& ColorSpace() const { return m_space; }
    // The ICC profile: the file's own bytes when it had one.
    QByteArray Icc() const { return m_space.iccProfile(); }
    // Pictures in sRGB are drawn as they are.
    bool IsSrgb() const { return m_bSrgb; }
    // Converts pixels of this colour space to sRGB for the screen, in place.
    void ConvertToSrgb(QImage& image) const;

    explicit QVColorProfile(const QColorSpace& space);

private:
    QColorSpace m_space;
    QColorTransform m_toSrgb;
    bool m_bSrgb;
};
