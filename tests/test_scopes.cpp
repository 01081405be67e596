// The scopes of a picture: each drawn as ffmpeg's own filter draws it on the same frame of the
// colour bars, and shown of both panes' frames in the window, asked for in either pane.
#include "analysis/decoded_picture.h"
#include "compose/picture_scope.h"
#include "playback/scope_panel.h"
#include "playback/wipe_view.h"
#include "session/perform.h"
#include "support/either_pane.h"
#include "support/linked_window.h"
#include "support/pictures_folder.h"
#include "support/player_testing.h"

#include <QProcess>
#include <QtTest>

using namespace tandemo;
using namespace tandemo::testing;

Q_DECLARE_METATYPE(tandemo::ScopeKind)

class TestScopes : public QObject {
    Q_OBJECT

private slots:
    void eachScopeIsFfmpegsOwn_data()
    {
        QTest::addColumn<ScopeKind>("kind");
        for (int kind = 0; kind < kScopeKinds; ++kind)
            QTest::newRow(qPrintable(nameOf(ScopeKind(kind)))) << ScopeKind(kind);
    }
    void eachScopeIsFfmpegsOwn()
    {
        QFETCH(ScopeKind, kind);
        // Frame 10 of the bars, decoded in full, its scope against ffmpeg's of the same frame.
        const std::atomic_bool never{false};
        const auto picture = DecodedPicture::read(mediaPath("pattern-sd.mp4"), 0.4, never);
        QVERIFY(picture);
        const std::optional<ScopePicture> ours = drawScope(picture->frame(), kind);
        QVERIFY(ours && ours->width > 0 && ours->height > 0);

        QProcess ffmpeg;
        ffmpeg.start("ffmpeg", {"-nostdin", "-loglevel", "error", "-i", mediaPath("pattern-sd.mp4"),
                                "-vf", "select=eq(n\\,10)," + scopeFilter(kind), "-frames:v", "1",
                                "-f", "rawvideo", "-"});
        QVERIFY(ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0);
        const QByteArray theirs = ffmpeg.readAllStandardOutput();
        QCOMPARE(qsizetype(ours->rgb.size()), theirs.size());
        // Byte for byte but for a few (the same filter on the same frame).
        qsizetype differing = 0;
        for (qsizetype i = 0; i < theirs.size(); ++i)
            differing += std::abs(int(ours->rgb[std::size_t(i)]) - int(quint8(theirs[i]))) > 2;
        QVERIFY2(differing <= theirs.size() / 1000, qPrintable(QString::number(differing)));
        // Not blank: a scope of the bars draws something (the vectorscope six points and its
        // graticule).
        const auto lit = std::count_if(ours->rgb.begin(), ours->rgb.end(),
                                       [](std::uint8_t value) { return value > 40; });
        QVERIFY(lit > qsizetype(ours->rgb.size() / 2000));

        // From the picture a pane shows (ffmpeg's RGB of the frame), as while playing, luma and
        // chroma taken back out with the SD matrix: what it lights up, the frame's scope lights
        // up within two pixels; not so for another picture.
        const auto litNear = [&](const QString& picture) {
            const std::optional<ScopePicture> shown =
                drawScope(QImage(mediaPath(picture)).scaledToWidth(320), kind, false, 480);
            if (!shown || shown->width != ours->width || shown->height != ours->height)
                return 0.0;
            const auto lit = [](const ScopePicture& scope, int x, int y) {
                const std::size_t at = (std::size_t(y) * scope.width + x) * 3;
                return scope.rgb[at] + scope.rgb[at + 1] + scope.rgb[at + 2] > 120;
            };
            int shownLit = 0;
            int matched = 0;
            for (int y = 2; y < shown->height - 2; ++y) {
                for (int x = 2; x < shown->width - 2; ++x) {
                    if (!lit(*shown, x, y))
                        continue;
                    ++shownLit;
                    bool near = false;
                    for (int dy = -2; dy <= 2 && !near; ++dy)
                        for (int dx = -2; dx <= 2 && !near; ++dx)
                            near = lit(*ours, x + dx, y + dy);
                    matched += near;
                }
            }
            return shownLit ? double(matched) / shownLit : 0.0;
        };
        const double same = litNear("pattern-sd.png");
        const double other = litNear("still.png");
        qInfo("%s of the shown picture: %.3f lit near the frame's, of another picture %.3f",
              qPrintable(nameOf(kind)), same, other);
        QVERIFY(same > 0.97 && other < same - 0.05);
    }

    void theWindowShowsTheScopesOfBothFramesShowing_data() { askedInEitherPane(); }
    void theWindowShowsTheScopesOfBothFramesShowing()
    {
        QFETCH(int, pane);
        const OwnPicturesFolder pictures;
        Window window;
        QVERIFY(window.play("pattern-sd.mp4", "pattern.mp4"));
        window.left().link()->setLinked(true);
        QVERIFY(window.pauseBoth());
        window.left().actions().seekTo(0.4);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(window.left()) - 0.4) < 0.001 &&
                                     std::abs(Window::at(window.right()) - 0.4) < 0.001,
                                 kPlayerTimeoutMs);
        VideoPlayer& asking = pane ? window.right() : window.left();
        asking.setFocus();
        // Each press of O the next scope, of each pane's frame showing, then none.
        const std::atomic_bool never{false};
        for (int kind = 0; kind < kScopeKinds; ++kind) {
            QTest::keyClick(&asking, Qt::Key_O);
            ScopePanel* panel = window.components.scopePanel();
            QVERIFY(panel && panel->isVisible());
            for (int side = 0; side < 2; ++side) {
                VideoPlayer& player = side ? window.right() : window.left();
                const auto picture =
                    DecodedPicture::read(player.engine().file(), Window::at(player), never);
                QVERIFY(picture);
                const auto expected = drawScope(picture->frame(), ScopeKind(kind));
                QVERIFY(expected);
                const QImage wanted =
                    QImage(expected->rgb.data(), expected->width, expected->height,
                           expected->width * 3, QImage::Format_RGB888);
                QTRY_VERIFY2_WITH_TIMEOUT(panel->scopes()[std::size_t(side)] == wanted,
                                          qPrintable(nameOf(ScopeKind(kind))), kPlayerTimeoutMs);
            }
            if (kind == 0) {
                const QString saved = panel->save();
                QVERIFY(saved.startsWith(pictures.path()) && QImage(saved).size() == panel->size());
            }
        }
        QTest::keyClick(&asking, Qt::Key_O);
        QTRY_VERIFY(!window.components.scopePanel());
    }

    void theScopesFollowPlayingPicturesInTheWipeViewToo_data() { askedInEitherPane(); }
    void theScopesFollowPlayingPicturesInTheWipeViewToo()
    {
        QFETCH(int, pane);
        Window window;
        QVERIFY(window.play("pattern-sd.mp4", "pattern.mp4"));
        window.left().link()->setLinked(true);
        VideoPlayer& asking = pane ? window.right() : window.left();
        asking.setFocus();
        QTest::keyClick(&asking, Qt::Key_O);
        ScopePanel* panel = window.components.scopePanel();
        QVERIFY(panel);
        // Playing, the pictures shown are followed, in the panes and then in the wipe view.
        const auto followed = [panel](int from) {
            return panel->updates() >= from + 10 && !panel->scopes()[0].isNull() &&
                   !panel->scopes()[1].isNull();
        };
        QTRY_VERIFY_WITH_TIMEOUT(followed(0), kPlayerTimeoutMs);
        perform(asking.actions(), {PlayerCommand::ToggleWipeView});
        QTRY_VERIFY(window.components.wipeView() && window.components.wipeView()->isVisible());
        const int inWipeView = panel->updates();
        QTRY_VERIFY_WITH_TIMEOUT(followed(inWipeView), kPlayerTimeoutMs);
        QVERIFY(panel->isVisible());
        // Paused, the exact frames showing, decoded in full.
        QVERIFY(window.pauseBoth());
        const std::atomic_bool never{false};
        for (int side = 0; side < 2; ++side) {
            VideoPlayer& player = side ? window.right() : window.left();
            const auto picture =
                DecodedPicture::read(player.engine().file(), Window::at(player), never);
            QVERIFY(picture);
            const auto expected = drawScope(picture->frame(), ScopeKind::Waveform);
            QVERIFY(expected);
            QTRY_VERIFY_WITH_TIMEOUT(panel->scopes()[std::size_t(side)] ==
                                         QImage(expected->rgb.data(), expected->width,
                                                expected->height, expected->width * 3,
                                                QImage::Format_RGB888),
                                     kPlayerTimeoutMs);
        }
    }
};

QTEST_MAIN(TestScopes)
#include "test_scopes.moc"
