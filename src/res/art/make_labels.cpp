// Draws the export's label pictures, bitmaps 328 (BEFORE) and 329 (AFTER):
// 80 x 20 pixels, white bold capitals 12 pixels tall centred on black, with
// anti-aliased edges. The pictures are committed, so exports never depend on
// the fonts a machine has; run this to draw them again:
//   cmake --build build --target morvane_make_labels
//   build/src/morvane_make_labels src/res/bitmaps

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

constexpr int kWidth = 80;
constexpr int kHeight = 20;
constexpr int kCapHeight = 12;

// The bold sans face at the size whose capitals are kCapHeight pixels tall.
QFont LabelFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    for (int pixels = 8; pixels < 40; ++pixels) {
        font.setPixelSize(pixels);
        QPainterPath path;
        path.addText(0, 0, font, QStringLiteral("H"));
        if (path.boundingRect().height() >= kCapHeight - 0.25)
            return font;
    }
    return font;
}

bool Draw(const QString& text, const QString& file)
{
    QImage picture(kWidth, kHeight, QImage::Format_RGB888);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addText(0, 0, LabelFont(), text);
    // Centre the letters' own outline, not the font's line box.
    const QRectF box = path.boundingRect();
    path.translate(kWidth / 2.0 - box.center().x(), kHeight / 2.0 - box.center().y());
    painter.fillPath(path, Qt::white);
    painter.end();
    return picture.save(file, "PNG");
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const bool ok = Draw(QStringLiteral("BEFORE"), folder + QStringLiteral("/328.png")) &&
                    Draw(QStringLiteral("AFTER"), folder + QStringLiteral("/329.png"));
    if (!ok)
        std::fprintf(stderr, "could not write the label pictures into %s\n", qPrintable(folder));
    return ok ? 0 : 1;
}
