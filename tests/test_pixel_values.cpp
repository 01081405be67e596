// The pixel inspector: the values it reads against ffmpeg's own decode of the same frame (8 and
// 10 bits, a turned and a mirrored picture), and beside the pointer in the window, from either
// pane, with the view that shows one video pixel on one screen pixel.
#include "analysis/decoded_picture.h"
#include "playback/picture_loupe.h"
#include "playback/pixel_readout.h"
#include "session/pixel_inspector.h"
#include "session/transport_rules.h"
#include "support/either_pane.h"
#include "support/linked_window.h"
#include "support/wipe_testing.h"

#include <QFile>
#include <QLabel>
#include <QtTest>

#include <cmath>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

// Frame 10 of the 25 frames-a-second patterns, as ffmpeg decodes it (see make-test-media).
constexpr double kFrame10 = 0.42;

/// ffmpeg's decode of frame 10 of a clip: its 4:2:0 planes and their RGB, as shown.
struct Reference {
    explicit Reference(const QString& clip, int bits = 8)
        : bits(bits)
    {
        QFile planes(mediaPath(clip + "-frame10.yuv"));
        QFile rgb(mediaPath(clip + "-frame10.rgb"));
        if (planes.open(QIODevice::ReadOnly) && rgb.open(QIODevice::ReadOnly)) {
            yuv = planes.readAll();
            rgbBytes = rgb.readAll();
        }
    }
    int sample(int index) const
    {
        const auto* bytes = reinterpret_cast<const unsigned char*>(yuv.constData());
        return bits > 8 ? bytes[2 * index] | bytes[2 * index + 1] << 8 : bytes[index];
    }
    PixelValues at(int x, int y) const
    {
        const int chroma = (width / 2) * (height / 2);
        const int c = (y / 2) * (width / 2) + x / 2;
        const auto* rgb = reinterpret_cast<const unsigned char*>(rgbBytes.constData());
        const int i = 3 * (y * width + x);
        return {x,
                y,
                bits,
                sample(y * width + x),
                sample(width * height + c),
                sample(width * height + chroma + c),
                rgb[i],
                rgb[i + 1],
                rgb[i + 2]};
    }

    int width = 320;
    int height = 240;
    int bits;
    QByteArray yuv;
    QByteArray rgbBytes;
};

QString valuesText(const PixelValues& v)
{
    return QStringLiteral("(%1,%2) Y%3 Cb%4 Cr%5 RGB %6 %7 %8")
        .arg(v.x)
        .arg(v.y)
        .arg(v.luma)
        .arg(v.cb)
        .arg(v.cr)
        .arg(v.red)
        .arg(v.green)
        .arg(v.blue);
}

/// The note beside the pointer that reads a picture (a pane's, or the wipe view's).
const PixelReadout* readoutOf(const QWidget& picture)
{
    for (const PixelReadout* readout : picture.window()->findChildren<PixelReadout*>()) {
        if (&readout->picture() == &picture)
            return readout;
    }
    return nullptr;
}

/// What that note says, while it shows.
QString readoutOver(const QWidget& picture)
{
    const PixelReadout* readout = readoutOf(picture);
    return readout && readout->isVisible() ? readout->text() : QString();
}

QString readoutOver(VideoPlayer& player)
{
    return readoutOver(*player.videoSurface().widget());
}

/// Both panes linked and paused at frame 10 of the 8-bit pattern (left) and its 10-bit copy
/// (right), the one asked in is `pane`; and the note ffmpeg's values of that frame make.
struct Frame10 {
    explicit Frame10(int pane)
        : asking(pane == 0 ? window.left() : window.right())
    {
    }
    bool atFrame10()
    {
        if (!window.play("pattern.mp4", "pattern-10bit.mp4"))
            return false;
        window.components.session().link().setLinked(true, &asking.engine());
        if (!window.pauseBoth())
            return false;
        // To the start of frame 10 (an exact seek into a frame shows the next one).
        asking.actions().seekTo(0.4);
        return QTest::qWaitFor(
            [&] {
                return std::abs(Window::at(window.left()) - kFrame10) < 0.03 &&
                       std::abs(Window::at(window.right()) - kFrame10) < 0.03;
            },
            kPlayerTimeoutMs);
    }
    /// The note for the pixel at `at` (a share of the picture), the right picture mirrored or not.
    QString expected(QPointF at, bool rightMirrored) const
    {
        PixelInspector::Report report;
        const int x = int(at.x() * 320);
        const int y = int(at.y() * 240);
        report.panes[0] = eight.at(x, y);
        report.panes[1] = ten.at(rightMirrored ? 319 - x : x, y);
        report.panes[1]->x = x;
        return pixelReportText(report);
    }

    Window window;
    VideoPlayer& asking;
    const Reference eight{"pattern"};
    const Reference ten{"pattern-10bit", 10};
};

} // namespace

class TestPixelValues : public QObject {
    Q_OBJECT

private slots:
    void valuesAreThoseFfmpegDecodes_data()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<int>("bits");
        QTest::newRow("8 bits") << "pattern" << 8;
        QTest::newRow("10 bits") << "pattern-10bit" << 10;
        QTest::newRow("turned by its file") << "pattern-turned" << 8;
    }
    void valuesAreThoseFfmpegDecodes()
    {
        QFETCH(QString, clip);
        QFETCH(int, bits);
        const Reference reference(clip, bits);
        QCOMPARE(reference.yuv.size(), 320 * 240 * 3 / 2 * (bits > 8 ? 2 : 1));
        const std::atomic_bool cancelled = false;
        const auto picture = DecodedPicture::read(mediaPath(clip + ".mp4"), kFrame10, cancelled);
        QVERIFY(picture);
        QCOMPARE(picture->shownSize(), QSize(320, 240));
        for (int y = 3; y < 240; y += 47) {
            for (int x = 5; x < 320; x += 53) {
                const QPointF at((x + 0.5) / 320, (y + 0.5) / 240);
                const std::optional<PixelValues> values = picture->valuesAt(at, false);
                QVERIFY(values);
                QCOMPARE(valuesText(*values), valuesText(reference.at(x, y)));
                // Mirrored, the pixel is the one the same distance from the other side.
                const QPointF across(1 - at.x(), at.y());
                QCOMPARE(valuesText(picture->valuesAt(across, true).value()),
                         valuesText(reference.at(x, y))
                             .replace(QStringLiteral("(%1,").arg(x),
                                      QStringLiteral("(%1,").arg(319 - x)));
            }
        }
        QVERIFY(!picture->valuesAt({1.0, 0.5}, false));
    }

    void theValuesShowBesideThePointer_data() { askedInEitherPane(); }
    void theValuesShowBesideThePointer()
    {
        QFETCH(int, pane);
        Frame10 pair(pane);
        VideoPlayer& asking = pair.asking;
        Window& window = pair.window;
        QVERIFY(pair.atFrame10());
        QWidget* picture = asking.videoSurface().widget();
        const auto pointTo = [&](QPoint at) {
            QTest::mouseMove(picture, at);
            return transport::pictureAt(asking.engine().view(), at, picture->size(),
                                        asking.engine().videoSize());
        };

        QTest::keyClick(&asking, Qt::Key_C);
        QPointF at = pointTo(QPoint(picture->width() / 3, picture->height() / 2));
        QTRY_COMPARE_WITH_TIMEOUT(readoutOver(asking), pair.expected(at, false), kPlayerTimeoutMs);
        QVERIFY(readoutOver(asking).contains("10-bit"));
        // Whole where it is drawn (nothing of it cut at a pane's edge) at the window's first
        // size, whichever the pane.
        const PixelReadout* readout = readoutOf(*picture);
        const QRect room = readout->parentWidget()->rect();
        QVERIFY2(room.contains(readout->geometry()) && readout->parentWidget() == &window.form,
                 qPrintable(QString("%1,%2 %3x%4 in %5x%6")
                                .arg(readout->x())
                                .arg(readout->y())
                                .arg(readout->width())
                                .arg(readout->height())
                                .arg(room.width())
                                .arg(room.height())));

        // Pixel for pixel around the pointer, in both panes: the pixel under it stays.
        QTest::keyClick(&asking, Qt::Key_1);
        const QSizeF shown = QSizeF(320, 240).scaled(picture->size(), Qt::KeepAspectRatio);
        for (VideoPlayer* player : {&window.left(), &window.right()})
            QCOMPARE(player->engine().view().zoom, std::log2(320 / shown.width()));
        const QPointF still = transport::pictureAt(
            asking.engine().view(), QPoint(picture->width() / 3, picture->height() / 2),
            picture->size(), asking.engine().videoSize());
        QVERIFY(std::abs(still.x() - at.x()) < 1e-9 && std::abs(still.y() - at.y()) < 1e-9);

        // The right pane mirrored: its pixel is the one across its picture.
        window.right().engine().setMirrored(true);
        at = pointTo(QPoint(picture->width() / 4, picture->height() / 3));
        QTRY_COMPARE_WITH_TIMEOUT(readoutOver(asking), pair.expected(at, true), kPlayerTimeoutMs);

        // Off again: the note goes. On while both play, it follows their frames.
        QTest::keyClick(&asking, Qt::Key_C);
        QVERIFY(readoutOver(asking).isEmpty());
        asking.actions().togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(!Window::paused(window.left()) && !Window::paused(window.right()),
                                 kPlayerTimeoutMs);
        QTest::keyClick(&asking, Qt::Key_C);
        pointTo(QPoint(picture->width() / 2, picture->height() / 2));
        QTRY_VERIFY_WITH_TIMEOUT(readoutOver(asking).contains("10-bit"), kPlayerTimeoutMs);
    }

    void theLoupeMagnifiesTheSamePlaceOfBothPictures_data() { askedInEitherPane(); }
    void theLoupeMagnifiesTheSamePlaceOfBothPictures()
    {
        QFETCH(int, pane);
        Frame10 pair(pane);
        VideoPlayer& asking = pair.asking;
        QVERIFY(pair.atFrame10());
        QWidget* picture = asking.videoSurface().widget();
        QTest::keyClick(&asking, Qt::Key_L);
        const QPoint pointer(picture->width() / 3, picture->height() / 2);
        QTest::mouseMove(picture, pointer);
        const QPointF at = transport::pictureAt(asking.engine().view(), pointer, picture->size(),
                                                asking.engine().videoSize());
        const int x = int(at.x() * 320);
        const int y = int(at.y() * 240);
        // Each pane's inset: its own picture's pixels around the same place, each a square, as
        // ffmpeg decodes and converts them; the picture itself stays whole.
        for (VideoPlayer* player : {&pair.window.left(), &pair.window.right()}) {
            const auto* loupe =
                player->videoSurface().widget()->findChild<PictureLoupe*>("pictureLoupe");
            QVERIFY(loupe);
            QTRY_VERIFY_WITH_TIMEOUT(loupe->isVisible() && !loupe->inset().isNull(),
                                     kPlayerTimeoutMs);
            QVERIFY(player->videoSurface().widget()->rect().contains(loupe->geometry()));
            const Reference& reference = player == &pair.window.left() ? pair.eight : pair.ten;
            const int reach = PictureLoupe::kReach;
            for (int row = 0; row <= 2 * reach; ++row) {
                for (int column = 0; column <= 2 * reach; ++column) {
                    const PixelValues expected = reference.at(x - reach + column, y - reach + row);
                    const QColor shown = loupe->inset().pixelColor(
                        column * PictureLoupe::kScale + PictureLoupe::kScale / 2,
                        row * PictureLoupe::kScale + PictureLoupe::kScale / 2);
                    QVERIFY2(
                        shown == QColor(expected.red, expected.green, expected.blue),
                        qPrintable(QString("%1,%2: %3").arg(column).arg(row).arg(shown.name())));
                }
            }
            QCOMPARE(player->engine().view().zoom, 0.0);
        }
        // Off again, from the other pane: both insets go.
        VideoPlayer& other = pane ? pair.window.left() : pair.window.right();
        other.setFocus();
        QTest::keyClick(&other, Qt::Key_L);
        for (VideoPlayer* player : {&pair.window.left(), &pair.window.right()})
            QVERIFY(!player->videoSurface().widget()->findChild<PictureLoupe*>()->isVisible());
    }

    void theValuesShowOverTheWipeViewToo_data() { askedInEitherPane(); }
    void theValuesShowOverTheWipeViewToo()
    {
        QFETCH(int, pane);
        Frame10 pair(pane);
        QVERIFY(pair.atFrame10());
        QTest::keyClick(&pair.asking, Qt::Key_W);
        WipeView* wipe = pair.window.components.wipeView();
        QVERIFY(wipe);
        QTest::keyClick(wipe, Qt::Key_C);
        // The view shows the left pane's picture (and the right one's at the same place).
        VideoPlayer& first = pair.window.left();
        const QRect picture = wipe->pictureRect();
        const QPoint point(picture.width() / 4, picture.height() / 2);
        QTest::mouseMove(wipe, point);
        const QPointF at = transport::pictureAt(first.engine().view(), point, picture.size(),
                                                first.engine().videoSize());
        QTRY_COMPARE_WITH_TIMEOUT(readoutOver(*wipe), pair.expected(at, false), kPlayerTimeoutMs);

        // Pixel for pixel, as the view shows the picture: a picture smaller than the view is
        // shown at its own size, so `1` takes a zoomed view back to that.
        first.actions().zoomPictureAt(point, 3, picture.size());
        QVERIFY(first.engine().view().zoom > 0);
        QTest::keyClick(wipe, Qt::Key_1);
        const double shownWidth =
            std::min(320.0, QSizeF(320, 240).scaled(picture.size(), Qt::KeepAspectRatio).width());
        QCOMPARE(first.engine().view().zoom + 1, std::log2(320 / shownWidth) + 1);
    }
};

QTEST_MAIN(TestPixelValues)
#include "test_pixel_values.moc"
