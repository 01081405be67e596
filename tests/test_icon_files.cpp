#include <QFile>
#include <QImage>
#include <QTest>
#include <QtEndian>

namespace {

const QString kResources = QStringLiteral(TANDEMO_SOURCE_DIR "/resources/");

struct IconImage {
    int size = 0;
    int bitsPerPixel = 0;
    QByteArray dib;
};

template <typename T> T readLittleEndian(const QByteArray& bytes, qsizetype offset)
{
    return qFromLittleEndian<T>(bytes.constData() + offset);
}

QList<IconImage> readIcon(const QByteArray& file)
{
    QList<IconImage> images;
    const int count = readLittleEndian<quint16>(file, 4);
    for (int i = 0; i < count; ++i) {
        const qsizetype entry = 6 + 16 * i;
        IconImage image;
        image.size = quint8(file[entry]) == 0 ? 256 : quint8(file[entry]);
        image.bitsPerPixel = readLittleEndian<quint16>(file, entry + 6);
        const auto length = readLittleEndian<quint32>(file, entry + 8);
        const auto offset = readLittleEndian<quint32>(file, entry + 12);
        image.dib = file.mid(offset, length);
        images << image;
    }
    return images;
}

int rowBytes(int pixels, int bitsPerPixel)
{
    return ((pixels * bitsPerPixel + 31) / 32) * 4;
}

} // namespace

class TestIconFiles : public QObject {
    Q_OBJECT
private slots:
    void icoHoldsTheFourImages()
    {
        QFile file(kResources + "tandemo.ico");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(readLittleEndian<quint16>(bytes, 0), quint16(0));
        QCOMPARE(readLittleEndian<quint16>(bytes, 2), quint16(1)); // an icon, not a cursor

        const QList<IconImage> images = readIcon(bytes);
        QCOMPARE(images.size(), 4);
        const QList<QPair<int, int>> expected{{32, 24}, {48, 32}, {128, 32}, {256, 32}};
        for (int i = 0; i < images.size(); ++i) {
            const IconImage& image = images[i];
            QCOMPARE(image.size, expected[i].first);
            QCOMPARE(image.bitsPerPixel, expected[i].second);

            // A device-independent bitmap: its header, the colour rows, then the 1-bit mask.
            const QByteArray& dib = image.dib;
            QCOMPARE(readLittleEndian<quint32>(dib, 0), quint32(40));
            QCOMPARE(readLittleEndian<qint32>(dib, 4), image.size);
            QCOMPARE(readLittleEndian<qint32>(dib, 8), image.size * 2);
            QCOMPARE(int(readLittleEndian<quint16>(dib, 14)), image.bitsPerPixel);
            QCOMPARE(readLittleEndian<quint32>(dib, 16), quint32(0)); // uncompressed
            const int colourBytes = rowBytes(image.size, image.bitsPerPixel) * image.size;
            const int maskBytes = rowBytes(image.size, 1) * image.size;
            QCOMPARE(dib.size(), 40 + colourBytes + maskBytes);
        }
    }

    void smallImageHasAMaskAndLargeOnesHaveAlpha()
    {
        QFile file(kResources + "tandemo.ico");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<IconImage> images = readIcon(file.readAll());
        QVERIFY(images.size() == 4);

        // 32x32: the corners are masked out (transparent), the middle is painted.
        const IconImage& small = images[0];
        const QByteArray mask = small.dib.mid(40 + rowBytes(32, 24) * 32);
        const auto maskBit = [&](int x, int y) {
            const int row = 31 - y; // bitmaps are stored bottom-up
            return (quint8(mask[row * 4 + x / 8]) >> (7 - x % 8)) & 1;
        };
        QCOMPARE(maskBit(0, 0), 1);
        QCOMPARE(maskBit(31, 0), 1);
        QCOMPARE(maskBit(16, 7), 0);  // the upper eye
        QCOMPARE(maskBit(16, 19), 0); // the lower eye

        for (const IconImage& image : images.mid(1)) {
            const auto alphaAt = [&](int x, int y) {
                const int row = image.size - 1 - y;
                return quint8(image.dib[40 + row * image.size * 4 + x * 4 + 3]);
            };
            QCOMPARE(int(alphaAt(0, 0)), 0);
            QCOMPARE(int(alphaAt(image.size / 4, image.size / 4)), 255);
        }
    }

    void pngsMatchTheirSizes_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {32, 48, 128, 256})
            QTest::addRow("%d", size) << size;
    }
    void pngsMatchTheirSizes()
    {
        QFETCH(int, size);
        const QImage image(kResources + QString("icons/tandemo-%1.png").arg(size));
        QCOMPARE(image.size(), QSize(size, size));
        QVERIFY(image.hasAlphaChannel());
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    }
};

QTEST_APPLESS_MAIN(TestIconFiles)
#include "test_icon_files.moc"
