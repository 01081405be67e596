// Pictures whose rows are no whole number of the scaler's vectors (330×186, 426×240), in 8 and
// 10 bits, through every conversion outside the players: pixel values, the pictures an export
// composes in RGB and in YUV, the encoder, the picture signature, and a pane's filter measured
// against several renditions at once. Run under the sanitizers
// (our own rows and indices) and under valgrind, which sees the scaler's own vector writes past
// a buffer where the sanitizers cannot. It makes its clips itself, so that each build tree runs
// it without the whole test media.
#include "analysis/decoded_picture.h"
#include "analysis/picture_signature.h"
#include "analysis/quality_measure.h"
#include "analysis/video_writer.h"
#include "compose/export_frames.h"
#include "compose/picture_scope.h"
#include "compose/side_by_side_yuv.h"
#include "compose/tone_map.h"
#include "support/player_testing.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace tandemo;
using namespace tandemo::testing;

class TestPictureBuffers : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_clips;

    QString clip(const QString& name) const { return m_clips.filePath(name); }

    /// A second of a moving pattern at a size, in a pixel format, as ffmpeg encodes it.
    bool make(const QString& name, const QString& size, const QString& format) const
    {
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg", {"-nostdin", "-loglevel", "error", "-f", "lavfi", "-i",
                                "testsrc2=size=" + size + ":rate=25:duration=1", "-c:v", "libx264",
                                "-preset", "veryfast", "-pix_fmt", format, clip(name)});
        return ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_clips.isValid());
        QVERIFY(make("odd-330x186.mp4", "330x186", "yuv420p"));
        QVERIFY(make("odd-330x186-10bit.mp4", "330x186", "yuv420p10le"));
        QVERIFY(make("odd-426x240.mp4", "426x240", "yuv420p"));
    }

    void everyConversionStaysInItsBuffers_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::newRow("330x186") << "odd-330x186.mp4" << QSize(330, 186);
        QTest::newRow("330x186, 10 bits") << "odd-330x186-10bit.mp4" << QSize(330, 186);
        QTest::newRow("426x240") << "odd-426x240.mp4" << QSize(426, 240);
    }
    void everyConversionStaysInItsBuffers()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        const QString path = clip(name);
        const std::atomic_bool never{false};

        // Pixel values: the RGB of the picture's last pixel, where a row cut short would show.
        const auto decoded = DecodedPicture::read(path, 0.5, never);
        QVERIFY(decoded);
        QCOMPARE(decoded->shownSize(), size);
        const auto corner = decoded->valuesAt({0.9999, 0.9999}, false);
        QVERIFY(corner && corner->x == size.width() - 1 && corner->y == size.height() - 1);

        // The export's RGB picture: the same pixel, converted more quickly.
        FrameCursor cursor(path, false, never);
        const QImage picture = cursor.at(0.5);
        QCOMPARE(picture.size(), size);
        const QColor last = picture.pixelColor(size.width() - 1, size.height() - 1);
        QVERIFY2(colourDistance(last, QColor(corner->red, corner->green, corner->blue)) <= 24,
                 qPrintable(last.name()));

        // Every layout, encoded; and side by side in YUV, against the other size.
        QTemporaryDir folder;
        ComparisonLook look;
        for (const ExportLayout layout : {ExportLayout::SideBySide, ExportLayout::Wipe,
                                          ExportLayout::Difference, ExportLayout::OnionSkin}) {
            const QImage laid = composeExport(layout, picture, picture.mirrored(true, false), look,
                                              "first", "second");
            QVERIFY(!laid.isNull());
            VideoWriter writer(folder.filePath(QString("%1.mp4").arg(int(layout))), laid.size(), 25,
                               0);
            QVERIFY2(writer.isOpen(), qPrintable(writer.error()));
            QVERIFY(writer.writePicture(laid.constBits(), int(laid.bytesPerLine())));
            QVERIFY(writer.finish());
        }
        FrameCursor other(clip(size.width() == 426 ? "odd-330x186.mp4" : "odd-426x240.mp4"), false,
                          never);
        const AVFrame* left = cursor.frameAt(0.5);
        const AVFrame* right = other.frameAt(0.5);
        QVERIFY(left && right);
        SideBySideYuv yuv(*left, *right,
                          sideBySideLabels(QSize(size.width() * 2, size.height()), size.width(),
                                           "first", "second"));
        VideoWriter writer(folder.filePath("yuv.mp4"), yuv.size(), 25, 0, yuv.colourMatrix());
        QVERIFY2(writer.isOpen(), qPrintable(writer.error()));
        for (double t : {0.0, 0.5, 0.9}) {
            AVFrame* laid = yuv.compose(*cursor.frameAt(t), *other.frameAt(t));
            QVERIFY(laid && writer.writePicture(*laid));
        }
        QVERIFY(writer.finish());

        // Aligning by picture scales every frame down to a small grid.
        const auto signature = readPictureSignature(path, 0, 1, 25, never);
        QVERIFY(signature && signature->pictures >= 20);

        // Through a pane's filter to a size of its own (cut by whole chroma samples), measured
        // against every other clip at once (each rendition scaled to the reference's size on a
        // thread of its own).
        const QString crop = QStringLiteral("crop=iw-4:ih-2:2:2");
        const auto filtered = DecodedPicture::read(path, 0.5, never, crop);
        QVERIFY(filtered);
        QCOMPARE(filtered->shownSize(), QSize(size.width() - 4, size.height() - 2));
        QList<MeasuredVideo> others;
        for (const QString other : {"odd-330x186.mp4", "odd-330x186-10bit.mp4", "odd-426x240.mp4"})
            others.append({clip(other), 0.1, 1, false, crop});
        const auto measured = QualityMeasure::measureAll({path, 0, 1, true, crop}, others, never);
        QVERIFY(measured && measured->size() == 3);
        for (const RenditionMeasurement& each : *measured)
            QVERIFY2(each.compared && each.samples.size() >= 20, qPrintable(each.path + each.why));

        // An HDR mapping for the RGB (taken as PQ whatever the clip holds), and every scope of
        // the picture as a pane shows it, at its own size and at an odd one.
        const auto mapped =
            DecodedPicture::read(path, 0.5, never, {}, toneMapChain({Transfer::Pq, 0}, 0));
        QVERIFY(mapped && mapped->rgb().size() == std::size_t(size.width() * size.height() * 3));
        for (int kind = 0; kind < kScopeKinds; ++kind) {
            for (const QImage& shown :
                 {picture, picture.scaled(size.width() - 1, size.height() - 1)})
                QVERIFY(drawScope(shown, ScopeKind(kind), size.width() > 400, 481));
        }
    }
};

QTEST_MAIN(TestPictureBuffers)
#include "test_picture_buffers.moc"
