// A damaged picture, a JPEG cut in half or a PNG that lost its end, is not
// opened with a made-up part: the program says it cannot open the file, with
// its path, and opens no window.

#include "app/CMainFrame.h"
#include "app/CMorvaneApp.h"
#include "app/QVMessageBox.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QMdiArea>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class OpenDamagedTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void damagedPicturesShowTheOpenMessage();

private:
    QTemporaryDir m_settingsDir;
    QTemporaryDir m_files;
};

void OpenDamagedTest::initTestCase()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
}

void OpenDamagedTest::damagedPicturesShowTheOpenMessage()
{
    const QImage portrait(QStringLiteral(MORVANE_SAMPLE));
    QVERIFY(!portrait.isNull());
    const auto encoded = [&](const char* format) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter(&buffer, format).write(portrait);
        return bytes;
    };
    const QByteArray jpeg = encoded("jpeg");
    const QByteArray png = encoded("png");
    const QByteArray bmp = encoded("bmp");
    QVERIFY(!jpeg.isEmpty() && png.endsWith(QByteArray("IEND\xAE\x42\x60\x82", 8)) && !bmp.isEmpty());
    const QList<QPair<QString, QByteArray>> damaged = {
        {QStringLiteral("half.jpg"), jpeg.left(jpeg.size() / 2)},
        {QStringLiteral("no-end.png"), png.left(png.size() - 12)},
        {QStringLiteral("cut.bmp"), bmp.left(bmp.size() - 4096)},
    };

    QStringList messages;
    QVMessageBox::SetHook([&](const QString& text, QMessageBox::Icon icon, QMessageBox::StandardButtons) {
        if (icon == QMessageBox::Critical)
            messages << text;
        return QMessageBox::Ok;
    });
    CMorvaneApp app;
    QVERIFY(app.InitInstance({}));
    QVERIFY(app.MainFrame());
    for (const auto& [name, bytes] : damaged) {
        const QString path = m_files.filePath(name);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
        file.close();
        messages.clear();
        QVERIFY2(!app.OpenDocumentFile(path), qPrintable(name));
        QCOMPARE(messages, QStringList{QStringLiteral("Failed to open the file:\n") + path});
        QVERIFY(app.MainFrame()->MdiArea()->subWindowList().isEmpty());
    }
    QVMessageBox::SetHook({});
}

QTEST_MAIN(OpenDamagedTest)
#include "test_open_damaged.moc"
