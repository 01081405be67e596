#include "analysis/frame_times.h"
#include "analysis/media_facts.h"
#include "engine/decoder_policy.h"
#include "engine/mpv_engine.h"
#include "engine/mpv_options.h"
#include "engine/seek_tracker.h"
#include "playback/transport_bar.h"
#include "session/moment_text.h"
#include "session/player_settings.h"
#include "session/saved_frames.h"
#include "video/aligned_frame_buffer.h"
#include "video/render_path.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace tandemo;

Q_DECLARE_METATYPE(tandemo::RenderPath)
Q_DECLARE_METATYPE(std::optional<QString>)

class TestPlayerParts : public QObject {
    Q_OBJECT
private slots:
    void choosesTheRenderPath_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<std::optional<QString>>("renderer");
        QTest::addColumn<RenderPath>("expected");
        const auto gl = [](const char* name) { return std::optional<QString>(name); };
        QTest::newRow("X11, Intel GPU")
            << "xcb" << gl("Mesa Intel(R) UHD Graphics 620 (KBL GT2)") << RenderPath::OpenGL;
        QTest::newRow("Wayland, AMD GPU")
            << "wayland" << gl("AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49)")
            << RenderPath::OpenGL;
        QTest::newRow("X11, llvmpipe")
            << "xcb" << gl("llvmpipe (LLVM 15.0.6, 256 bits)") << RenderPath::Software;
        QTest::newRow("X11, softpipe") << "xcb" << gl("softpipe") << RenderPath::Software;
        QTest::newRow("X11, no GL") << "xcb" << std::optional<QString>() << RenderPath::Software;
        QTest::newRow("X11, empty renderer") << "xcb" << gl("") << RenderPath::Software;
        // The offscreen platform crashes inside Qt with a GL widget, whatever the GPU.
        QTest::newRow("offscreen with a GPU")
            << "offscreen" << gl("NVIDIA GeForce RTX 3060/PCIe/SSE2") << RenderPath::Software;
    }
    void choosesTheRenderPath()
    {
        QFETCH(QString, platform);
        QFETCH(std::optional<QString>, renderer);
        QFETCH(RenderPath, expected);
        QCOMPARE(chooseRenderPath(platform, renderer), expected);
    }

    void gpuDevicesAreFoundByTheirNodes()
    {
        QTemporaryDir dev;
        QVERIFY(!hasGpuDevice(dev.path()));
        QVERIFY(QDir(dev.path()).mkdir("dri"));
        QFile card(dev.filePath("dri/card0")); // a display controller alone renders nothing
        QVERIFY(card.open(QIODevice::WriteOnly));
        card.close();
        QVERIFY(!hasGpuDevice(dev.path()));
        QFile render(dev.filePath("dri/renderD128"));
        QVERIFY(render.open(QIODevice::WriteOnly));
        render.close();
        QVERIFY(hasGpuDevice(dev.path()));

        QTemporaryDir nvidia;
        QFile device(nvidia.filePath("nvidia0"));
        QVERIFY(device.open(QIODevice::WriteOnly));
        device.close();
        QVERIFY(hasGpuDevice(nvidia.path()));
    }

    void frameBufferIsAlignedForFastRendering_data()
    {
        QTest::addColumn<QSize>("size");
        for (QSize size : {QSize(1, 1), QSize(15, 7), QSize(16, 9), QSize(17, 3), QSize(145, 190),
                           QSize(1366, 768), QSize(1920, 1080)})
            QTest::addRow("%dx%d", size.width(), size.height()) << size;
    }
    void frameBufferIsAlignedForFastRendering()
    {
        QFETCH(QSize, size);
        AlignedFrameBuffer buffer;
        buffer.resize(size);
        QCOMPARE(buffer.size(), size);
        QCOMPARE(reinterpret_cast<std::uintptr_t>(buffer.data()) % 64, 0u);
        QCOMPARE(buffer.stride() % 64, 0u);
        QVERIFY(buffer.stride() >= std::size_t(size.width()) * 4);
        QVERIFY(buffer.stride() < std::size_t(size.width()) * 4 + 64);

        // The image reads the buffer itself, row by row at the buffer's stride.
        const QImage image = buffer.image();
        QCOMPARE(image.size(), size);
        QCOMPARE(image.constBits(), buffer.data());
        QCOMPARE(std::size_t(image.bytesPerLine()), buffer.stride());
        buffer.data()[buffer.stride() * (size.height() - 1)] = 0xFF; // blue of the last row
        QCOMPARE(qBlue(image.pixel(0, size.height() - 1)), 255);
    }

    void frameBufferEmptiesAndRegrows()
    {
        AlignedFrameBuffer buffer;
        QVERIFY(buffer.isEmpty());
        QVERIFY(buffer.image().isNull());
        buffer.resize({100, 50});
        buffer.resize({0, 50});
        QVERIFY(buffer.isEmpty());
        QVERIFY(buffer.data() == nullptr);
        buffer.resize({33, 2});
        QCOMPARE(buffer.stride(), 192u);
    }

    void formatsPlayingTime_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("start") << 0.0 << "0:00";
        QTest::newRow("just under a minute") << 59.9 << "0:59";
        QTest::newRow("a minute and a bit") << 61.0 << "1:01";
        QTest::newRow("over an hour") << 3662.0 << "1:01:02";
        QTest::newRow("unknown") << std::nan("") << "0:00";
        QTest::newRow("negative") << -3.0 << "0:00";
    }
    void formatsPlayingTime()
    {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        QCOMPARE(TransportBar::formatTime(seconds), text);
    }

    void aMomentIsWrittenAndReadBack()
    {
        QCOMPARE(momentText(64.92, 1948), QString("0:01:04.920, frame 1948"));
        QCOMPARE(momentText(3725.0004, std::nullopt), QString("1:02:05.000"));
        // What it writes, what a person types, and what is neither.
        const auto read = [](const char* text) { return readMoment(QString::fromUtf8(text)); };
        QCOMPARE(read("0:01:04.920, frame 1948")->seconds.value(), 64.92);
        QCOMPARE(read("0:01:04.920, frame 1948")->frame.value(), 1948);
        QCOMPARE(read(" 1:04.92 ")->seconds.value(), 64.92);
        QCOMPARE(read("64.92s")->seconds.value(), 64.92);
        QCOMPARE(read("Frame 12")->frame.value(), 12);
        QVERIFY(!read("Frame 12")->seconds);
        QCOMPARE(read("1:00:00")->seconds.value(), 3600.0);
        for (const char* neither : {"", "soon", "1:2:3:4", "frame", "-5", "0x10"})
            QVERIFY2(!read(neither), neither);
    }

    void factsTellOnlyWhatIsKnownAndPrintable()
    {
        // A name's control characters are spelt out, never a line break or a box.
        MediaFacts facts{"/v/take\n1\x01\x7f.mp4", {320, 240}, "h264", 25, 0, 1.5, -1, {}};
        const QStringList lines = describeFacts(facts).split('\n');
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QString("take\\x0a1\\x01\\x7f.mp4"));

        // The frame showing comes from the times read; past the last one of a file read whole,
        // it is that last one; past those read of a file too long to read whole, it is unknown.
        const FrameTimes whole({0, 0.04, 0.08});
        QCOMPARE(whole.frameAt(0.05)->number, 1);
        QCOMPARE(whole.frameAt(7.0)->number, 2);
        const FrameTimes firstOnes({0, 0.04, 0.08}, false);
        QCOMPARE(firstOnes.frameAt(0.08)->number, 2);
        QVERIFY(!firstOnes.frameAt(0.2));
        QVERIFY(!FrameTimes().frameAt(0));
        // Only a longer sound goes on after the last frame's start; of a file not read whole,
        // nothing is known there.
        QVERIFY(!whole.isAfterLastFrameStart(0.08) && whole.isAfterLastFrameStart(0.085));
        QVERIFY(!firstOnes.isAfterLastFrameStart(0.2) && !FrameTimes().isAfterLastFrameStart(1));
    }

    void aPassIsJudgedByItsOwnDropsAlone()
    {
        // Drops spread over many passes of two cores never add up to an overloaded pane.
        MpvCoreState first, second;
        for (int pass = 0; pass < 10; ++pass) {
            MpvCoreState& showing = pass % 2 ? second : first;
            showing.dropsAtPassStart = showing.outputDrops;
            showing.outputDrops += 3;
            QVERIFY(!passOverloaded(showing));
        }
        first.dropsAtPassStart = first.outputDrops;
        first.outputDrops += 13;
        QVERIFY(passOverloaded(first));
    }

    void aSeekLandsByItsOwnReplyAndRestartNotByAPositionNearby()
    {
        SeekTracker seeks;
        const std::uint64_t third = seeks.sent(1.44);
        seeks.replied(third, true);
        const std::uint64_t fourth = seeks.sent(1.48); // a step sent before the last one landed
        QVERIFY(SeekTracker::isSeek(third) && SeekTracker::isSeek(fourth) && third != fourth);
        // The earlier seek's reply, restart and position (one frame short) land nothing.
        seeks.replied(third, true);
        seeks.restarted();
        seeks.positionTold();
        QCOMPARE(seeks.target().value_or(-1), 1.48);
        seeks.replied(fourth, true);
        seeks.positionTold(); // told before the restart: the old moment
        QCOMPARE(seeks.target().value_or(-1), 1.48);
        seeks.restarted();
        QCOMPARE(seeks.target().value_or(-1), 1.48); // the restart comes before its position
        seeks.positionTold();
        QVERIFY(!seeks.target());

        // A seek the core refuses leaves nothing under way; one forgotten stays forgotten.
        seeks.replied(seeks.sent(2.0), false);
        QVERIFY(!seeks.target());
        const std::uint64_t forgotten = seeks.sent(3.0);
        seeks.forget();
        seeks.replied(forgotten, true);
        seeks.restarted();
        QVERIFY(!seeks.target());
    }

    void theLoopFilterIsSkippedOnlyAtHalfSizeOrLess()
    {
        const QSize hd(1920, 1080);
        QVERIFY(!loopFilterVisible({594, 334}, hd, 0, false)); // the window as it opens
        QVERIFY(!loopFilterVisible({960, 540}, hd, 0, false)); // exactly half
        QVERIFY(loopFilterVisible({962, 542}, hd, 0, false));
        QVERIFY(loopFilterVisible({594, 334}, hd, 2, false)); // zoomed four times
        // Small pictures are shown at their own size, unless scaled to fit.
        QVERIFY(loopFilterVisible({1280, 720}, {320, 240}, 0, false));
        QVERIFY(!loopFilterVisible({120, 90}, {320, 240}, 0, true));
        QVERIFY(loopFilterVisible({}, hd, 0, false)); // not laid out yet: no guess

        // A pane decodes without it only on the CPU, and as far as it shows the picture now.
        DecoderPolicy cpu(true, nullptr), gpu(false, nullptr);
        QCOMPARE(cpu.setPictureArea({594, 334}).value_or(""), "1");
        QVERIFY(!cpu.setPictureArea({594, 300})); // the scaler's threads stay
        gpu.setPictureArea({594, 334});
        QVERIFY(cpu.skipsLoopFilter(hd, 0) && !gpu.skipsLoopFilter(hd, 0));
        QVERIFY(cpu.skipsLoopFilter({1080, 1920}, 90)); // turned upright, still as small
        cpu.setZoom(2);
        QVERIFY(!cpu.skipsLoopFilter(hd, 0));
        cpu.setZoom(0);
        QCOMPARE(cpu.setPictureArea({1920, 1080}).value_or(""), "0");
        QVERIFY(!cpu.skipsLoopFilter(hd, 0));
    }

    void panesShareTheCoresOfTheirOwnWindowOnly()
    {
        const QSize hd(1920, 1080);
        const int cores = QThread::idealThreadCount();
        auto window = std::make_shared<PanesPlaying>();
        DecoderPolicy left(true, window), right(true, window);
        DecoderPolicy otherWindow(true, std::make_shared<PanesPlaying>());
        left.setPlaying(true);
        otherWindow.setPlaying(true);
        QCOMPARE(left.threadsFor(hd), decoderThreadsFor(cores, hd, false));
        right.setPlaying(true);
        right.setPlaying(true); // counted once
        QCOMPARE(window->count(), 2);
        QCOMPARE(left.threadsFor(hd), decoderThreadsFor(cores, hd, true));
        QCOMPARE(otherWindow.threadsFor(hd), decoderThreadsFor(cores, hd, false));
        {
            DecoderPolicy gone(true, window);
            gone.setPlaying(true);
        }
        right.setPlaying(false);
        QCOMPARE(window->count(), 1);
        QCOMPARE(left.threadsFor(hd), decoderThreadsFor(cores, hd, false));
    }

    void savedFrameNamesFitTheFileSystem()
    {
        // A name of 300 two-byte letters: shortened to 255 bytes with its tail, copies too.
        const QString video = "/v/" + QString(300, QChar(0xe9)) + ".mp4";
        const QString first = savedFramePath("/tmp", video, 64.92, {}, "mirrored");
        const QString second = savedFramePath("/tmp", video, 64.92, {first}, "mirrored");
        for (const QString& path : {first, second}) {
            const QByteArray name = QFileInfo(path).fileName().toUtf8();
            QVERIFY2(name.size() <= 255, name.constData());
            QVERIFY(name.endsWith(" mirrored-1m04.920s.png") ||
                    name.endsWith(" mirrored-1m04.920s (2).png"));
        }
        QVERIFY(first != second);
    }

    void settingsTakeModesAndClampVolume()
    {
        PlayerSettings settings;
        QSignalSpy modes(&settings, &PlayerSettings::modeChanged);
        QVERIFY(!settings.getMode("loop"));
        settings.setMode("LOOP", true);
        QVERIFY(settings.getMode("loop"));
        QCOMPARE(modes.count(), 1);
        QCOMPARE(modes.at(0).at(0).toString(), "loop");
        settings.setMode("no such mode", true);
        QCOMPARE(modes.count(), 1);
        QVERIFY(!settings.getMode("no such mode"));

        QSignalSpy volumes(&settings, &PlayerSettings::volumeChanged);
        settings.setVolume(150);
        QCOMPARE(settings.volume(), 100);
        settings.setVolume(-5);
        QCOMPARE(settings.volume(), 0);
        settings.setVolume(0);
        QCOMPARE(volumes.count(), 2); // no signal when nothing changes
    }
};

QTEST_APPLESS_MAIN(TestPlayerParts)
#include "test_player_parts.moc"
