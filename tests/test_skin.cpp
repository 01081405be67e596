#include "fakes/fake_services.h"
#include "fakes/fake_window.h"
#include "platform/hosted_component.h"
#include "platform/posix_file_system.h"
#include "skin/skin_engine.h"
#include "skin/skin_file.h"
#include "skin/skin_style_scope.h"
#include "window/apply_skin.h"
#include "window/form1.h"
#include "window/system_colours.h"

#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

const QString kExampleSkin = QStringLiteral(TANDEMO_SOURCE_DIR "/resources/skins/graphite.cjs");
constexpr std::uint32_t kButtonFace = 0x8000000F;

QByteArray exampleSkin()
{
    QFile file(kExampleSkin);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// Fake players and dialog, but the real skin engine.
class RealSkinComponents : public FakeComponents {
public:
    SkinFramework* createSkinFramework(QWidget* window) override { return new SkinEngine(window); }
};

/// A program folder with the given skin file at x/o.cjs.
struct SkinnedFolder {
    explicit SkinnedFolder(const QByteArray& skin)
    {
        QDir(dir.path()).mkpath("x");
        QFile file(dir.filePath("x/o.cjs"));
        if (file.open(QIODevice::WriteOnly))
            file.write(skin);
    }
    QTemporaryDir dir;
};

/// Fake services over the real file system, with the program in the given folder.
struct RealFileServices {
    explicit RealFileServices(const QString& folder) { fakes.application.programFolder = folder; }
    FakeServices fakes;
    PosixFileSystem fileSystem;
    PlatformServices services{fakes.messageBox, fileSystem, fakes.application, fakes.pictures,
                              fakes.random,     fakes.web,  fakes.process};
};

QColor clientColour(Form1& form)
{
    const QImage picture = form.grab().toImage();
    return picture.pixelColor(
        form.clientArea()->mapTo(&form, QPoint(3, form.clientArea()->height() - 3)));
}

} // namespace

class TestSkin : public QObject {
    Q_OBJECT

private slots:
    void exampleSkinParses()
    {
        const SkinFile skin = parseSkinFile(exampleSkin());
        QCOMPARE(skin.schemes.size(), 2);
        QCOMPARE(skin.find(QString())->name, QString("Graphite"));
        QCOMPARE(skin.find("paper")->colours.value("window"), QColor("#f4f1ea"));
        QVERIFY(skin.find(QString())->styleSheet.contains("QSlider::handle"));
        QVERIFY(!skin.find("missing"));
    }

    void malformedSkinsAreRejected_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = exampleSkin();
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 12);
        QTest::newRow("truncated in a colour") << good.left(good.indexOf("#2b2f33") + 4);
        QTest::newRow("truncated before a scheme") << good.left(good.indexOf("[scheme"));
        QTest::newRow("not utf-8") << QByteArray("[skin]\nformat = tandemo-skin 1\n\xff\xfe\n");
        QTest::newRow("unknown key") << QByteArray("[skin]\nformat = tandemo-skin 1\n[scheme A]\n"
                                                   "window = #000000\nwallpaper = #ffffff\n");
        QTest::newRow("bad colour") << QByteArray("[skin]\nformat = tandemo-skin 1\n[scheme A]\n"
                                                  "window = red\n");
        QTest::newRow("other format") << QByteArray("[skin]\nformat = tandemo-skin 2\n[scheme A]\n"
                                                    "window = #000000\n");
        QTest::newRow("default missing") << QByteArray(
            "[skin]\nformat = tandemo-skin 1\ndefault = B\n[scheme A]\nwindow = #000000\n");
        QTest::newRow("scheme twice")
            << QByteArray("[skin]\nformat = tandemo-skin 1\n[scheme A]\n"
                          "window = #000000\n[scheme a]\nwindow = #000000\n");
        QTest::newRow("no window colour")
            << QByteArray("[skin]\nformat = tandemo-skin 1\n[scheme A]\ntext = #000000\n");
        QTest::newRow("huge") << QByteArray(kLargestSkinFile + 1, ';');
    }

    void malformedSkinsAreRejected()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY_THROWS_EXCEPTION(Failure, parseSkinFile(bytes));
    }

    void failedLoadKeepsThePreviousSkin()
    {
        SkinnedFolder good(exampleSkin());
        SkinnedFolder bad("[skin]\nformat = tandemo-skin 1\n[scheme A]\nwindow = #0000\n");
        SkinEngine engine;
        engine.LoadSkin(good.dir.filePath("x/o.cjs"), "Paper");
        try {
            engine.LoadSkin(bad.dir.filePath("x/o.cjs"), QString());
            QFAIL("a bad skin was accepted");
        } catch (const Failure& failure) {
            QVERIFY2(failure.description().startsWith("Invalid skin file (line 4"),
                     qPrintable(failure.description()));
        }
        QCOMPARE(engine.scheme()->name, QString("Paper"));
        QVERIFY_THROWS_EXCEPTION(Failure, engine.LoadSkin(good.dir.filePath("x"), QString()));
        QVERIFY_THROWS_EXCEPTION(Failure, engine.LoadSkin(good.dir.filePath("none"), QString()));
    }

    void membersAreReachedByDispatchIdentifier()
    {
        SkinEngine engine;
        engine.putProperty(skin_dispatch::kOptions, 0x40);
        QCOMPARE(engine.getProperty(skin_dispatch::kOptions).toInt(), 0x40);
        engine.putProperty(skin_dispatch::kSkinDialogs, -1); // automation's true
        engine.putProperty(skin_dispatch::kSkinMenus, true);
        QVERIFY(engine.SkinDialogs());
        QVERIFY(engine.SkinMenus());

        const auto failsWith = [](auto&& call, const QString& description) {
            try {
                call();
            } catch (const Failure& failure) {
                return failure.description() == description;
            }
            return false;
        };
        const QString unsupported = "Object doesn't support this property or method";
        const QString wrong = "Wrong number of arguments or invalid property assignment";
        QVERIFY(failsWith([&] { engine.getProperty(4); }, unsupported));
        QVERIFY(failsWith([&] { engine.call(skin_dispatch::kOptions, {}); }, unsupported));
        QVERIFY(failsWith([&] { engine.call(skin_dispatch::kLoadSkin, {"only one"}); }, wrong));
        QVERIFY(failsWith([&] { engine.call(skin_dispatch::kLoadSkin, {1, ""}); }, wrong));
        QVERIFY(failsWith([&] { engine.putProperty(skin_dispatch::kOptions, "x"); }, wrong));
        QVERIFY(
            failsWith([&] { engine.putProperty(skin_dispatch::kOptions, 1LL << 40); }, "Overflow"));
        QVERIFY(failsWith([&] { engine.call(skin_dispatch::kApplyWindow, {12345}); },
                          "No skin is loaded"));
    }

    void applySkinCallsTheEngineInOrderKeepingOptionBits()
    {
        FakeWindow window;
        window.fakes.fileSystem.addFolder("/opt/tandemo/x");
        window.fakes.fileSystem.addFile("/opt/tandemo/x/o.cjs");
        auto& skin = static_cast<FakeSkin&>(*window.form.SkinFramework1());
        skin.options = 0x7F00;

        ApplySkin(window.form, window.services());

        QCOMPARE(window.form.backColour().value(), kButtonFace);
        const QStringList expected{"LoadSkin /opt/tandemo/x/o.cjs []", "Options=32513",
                                   "SkinDialogs=1", "SkinMenus=1",
                                   QString("ApplyWindow %1").arg(window.form.winId())};
        QCOMPARE(skin.calls, expected);
    }

    void noSkinFileOrAHiddenOneChangesNothing()
    {
        for (const bool hidden : {false, true}) {
            FakeWindow window;
            if (hidden)
                window.fakes.fileSystem.addFile("/opt/tandemo/x/o.cjs", /*hidden=*/true);
            ApplySkin(window.form, window.services());
            QCOMPARE(window.form.backColour(), OleColour::fromRgb(255, 255, 255));
            QVERIFY(static_cast<FakeSkin&>(*window.form.SkinFramework1()).calls.isEmpty());
        }
    }

    void labelsCheckBoxesAndFramesTakeTheButtonFace()
    {
        FakeWindow window;
        window.fakes.fileSystem.addFile("/opt/tandemo/x/o.cjs");
        auto* label = new QLabel("label", window.form.clientArea());
        auto* check = new QCheckBox("check", window.form.clientArea());
        auto* button = new QPushButton("button", window.form.clientArea());
        ApplySkin(window.form, window.services());

        QCOMPARE(label->property("BackColor").toUInt(), kButtonFace);
        QCOMPARE(check->property("BackColor").toUInt(), kButtonFace);
        QVERIFY(!button->property("BackColor").isValid());
        QVERIFY(label->autoFillBackground());
        QCOMPARE(label->palette().color(QPalette::Window),
                 resolveColour(OleColour(kButtonFace), QApplication::palette()));
    }

    void failingEngineStopsTheRestWithTheWindowAlreadyRecoloured()
    {
        FakeWindow window;
        window.fakes.fileSystem.addFile("/opt/tandemo/x/o.cjs");
        auto& skin = static_cast<FakeSkin&>(*window.form.SkinFramework1());
        skin.faults.failOn("LoadSkin", 1, "Invalid skin file");
        QVERIFY_THROWS_EXCEPTION(Failure, ApplySkin(window.form, window.services()));
        QCOMPARE(window.form.backColour().value(), kButtonFace);
        QVERIFY(skin.calls.isEmpty());
    }

    void realEngineRestylesTheWindow()
    {
        SkinnedFolder folder(exampleSkin());
        RealFileServices platform(folder.dir.path());
        RealSkinComponents components;
        Form1 form(components);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QColor before = clientColour(form);
        // A button of the window's own, and one inside a hosted component (as a player's bar
        // holds): the skin's button rules reach the first only.
        auto* own = new QToolButton(&form);
        own->setText(QStringLiteral("Own"));
        auto* hosted = new QWidget(&form);
        markHostedComponent(*hosted);
        auto* inside = new QToolButton(hosted);
        inside->setText(QStringLiteral("Hosted"));

        ApplySkin(form, platform.services);
        QCoreApplication::processEvents();
        const auto borderPixels = [](QToolButton* button) {
            button->ensurePolished();
            button->resize(60, 24);
            const QImage drawn = button->grab().toImage();
            int count = 0;
            for (int y = 0; y < drawn.height(); ++y) {
                for (int x = 0; x < drawn.width(); ++x)
                    count += drawn.pixelColor(x, y) == QColor("#5c646c") ? 1 : 0;
            }
            return count;
        };
        QVERIFY(borderPixels(own) > 40);
        QCOMPARE(borderPixels(inside), 0);

        QCOMPARE(clientColour(form), QColor("#2b2f33"));
        QVERIFY(before != QColor("#2b2f33"));
        QCOMPARE(form.menuBar()->palette().color(QPalette::Button), QColor("#3a3f45"));
        QVERIFY(form.styleSheet().contains("QMenuBar"));
        // Dialogs opened later take the skin too; other windows, such as a player's menu, keep
        // the desktop's colours.
        // Their labels are drawn in the skin's text colour, readable on its background.
        QDialog dialog(&form);
        auto* label = new QLabel(QStringLiteral("Application Error"), &dialog);
        dialog.ensurePolished();
        label->ensurePolished();
        label->adjustSize();
        QCOMPARE(dialog.palette().color(QPalette::Window), QColor("#2b2f33"));
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor("#e6e8ea"));
        const QImage drawn = label->grab().toImage();
        int light = 0;
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x)
                light += qGray(drawn.pixel(x, y)) > 160 ? 1 : 0;
        }
        QVERIFY2(light > 20, qPrintable(QString::number(light)));
        QMenu menu(&form);
        menu.ensurePolished();
        QVERIFY(menu.palette().color(QPalette::Window) != QColor("#2b2f33"));
        QApplication::setPalette(QPalette(), "QDialog");
    }

    void schemeTextIsAlwaysReadable()
    {
        // A dark scheme that names no text colour: white text, never the desktop's black.
        SkinFile skin = parseSkinFile("[skin]\nformat = tandemo-skin 1\ndefault = Dark\n\n"
                                      "[scheme Dark]\nwindow = #303030\nbutton = #404040\n");
        const SkinScheme* dark = skin.find("Dark");
        QVERIFY(dark);
        QPalette desktop;
        desktop.setColor(QPalette::WindowText, Qt::black);
        desktop.setColor(QPalette::ButtonText, Qt::black);
        const QPalette palette = SkinEngine::paletteFor(*dark, desktop);
        QCOMPARE(palette.color(QPalette::WindowText), QColor(Qt::white));
        QCOMPARE(palette.color(QPalette::ButtonText), QColor(Qt::white));
        QCOMPARE(palette.color(QPalette::Text), QColor(Qt::white));
    }

    void styleRulesReachOnlyMarkedWidgets_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QString>("scoped");
        const QString mark = R"([tandemoSkinned="true"])";
        QTest::newRow("type") << "QToolButton { border: 1px }"
                              << "QToolButton" + mark + " { border: 1px }";
        QTest::newRow("sub-control and state")
            << "QSlider::handle:horizontal{width: 10px}"
            << "QSlider" + mark + "::handle:horizontal {width: 10px}";
        QTest::newRow("list, descendant, property, comment")
            << "/* a } comment */ QFrame QLabel, QPushButton[flat=\"a:b\"]:hover {color: red}"
            << "QFrame QLabel" + mark + ", QPushButton[flat=\"a:b\"]" + mark +
                   ":hover {color: red}";
        QTest::newRow("child, pseudo alone") << "#Picture1 > :hover { color: red }"
                                             << "#Picture1 > *" + mark + ":hover { color: red }";
        QTest::newRow("declarations alone") << "color: red;"
                                            << "*" + mark + " {color: red;}";
        QTest::newRow("brace in a string")
            << "QLabel { qproperty-text: \"}\" } QMenu {}"
            << "QLabel" + mark + " { qproperty-text: \"}\" }QMenu" + mark + " {}";
    }

    void styleRulesReachOnlyMarkedWidgets()
    {
        QFETCH(QString, sheet);
        QFETCH(QString, scoped);
        QCOMPARE(scopedToSkinnedWidgets(sheet), scoped);
    }

    void stylePicturesComeFromTheSkinsOwnFolderOnly()
    {
        SkinnedFolder folder("[skin]\nformat = tandemo-skin 1\n[scheme A]\nwindow = #336699\n"
                             "style = QFrame { background-image: URL( 'pictures/tile.png' ) }\n"
                             "style = QMenuBar { border-image: url(\"pictures/tile.png\") }\n");
        QDir(folder.dir.path()).mkpath("x/pictures");
        QImage tile(8, 8, QImage::Format_RGB32);
        tile.fill(Qt::green);
        QVERIFY(tile.save(folder.dir.filePath("x/pictures/tile.png")));
        SkinEngine engine;
        engine.LoadSkin(folder.dir.filePath("x/o.cjs"), QString());
        // Named by the absolute path of the file that was checked, whatever the working folder.
        const QString tilePath =
            QFileInfo(folder.dir.filePath("x/pictures/tile.png")).canonicalFilePath();
        QCOMPARE(engine.scheme()->styleSheet.count(QString("url(\"%1\")").arg(tilePath)), 2);

        // Anything else a style could read is refused, and the loaded skin is kept.
        for (const QByteArray name : {"../o.cjs", "/etc/hostname", ":/icons/tandemo.png",
                                      "file:pictures/tile.png", "missing.png", "pictures"}) {
            SkinnedFolder bad("[skin]\nformat = tandemo-skin 1\n[scheme A]\nwindow = #000000\n"
                              "style = QWidget { image: url(" +
                              name + ") }\n");
            QFile::copy(folder.dir.filePath("x/o.cjs"), bad.dir.filePath("o.cjs"));
            QDir(bad.dir.path()).mkpath("x/pictures");
            QVERIFY_THROWS_EXCEPTION(Failure, engine.LoadSkin(bad.dir.filePath("x/o.cjs"), {}));
        }
        SkinnedFolder unclosed("[skin]\nformat = tandemo-skin 1\n[scheme A]\nwindow = #000000\n"
                               "style = QWidget { image: url(tile.png }\n");
        QVERIFY_THROWS_EXCEPTION(Failure, engine.LoadSkin(unclosed.dir.filePath("x/o.cjs"), {}));
        QCOMPARE(engine.scheme()->styleSheet.count(tilePath), 2);
    }

    void skinIsFoundWhateverTheLetterCase()
    {
        // Saved as X/O.CJS beside an invalid x/o.cjs elsewhere in the listing: the search ignores
        // case, and the skin is loaded by the name it found first.
        SkinnedFolder folder("not a skin");
        QDir dir(folder.dir.path());
        QVERIFY(dir.rename("x", "X"));
        QFile good(folder.dir.filePath("X/O.CJS"));
        QVERIFY(good.open(QIODevice::WriteOnly));
        good.write(exampleSkin());
        good.close();
        RealFileServices platform(folder.dir.path());
        RealSkinComponents components;
        Form1 form(components);
        ApplySkin(form, platform.services);
        QCOMPARE(static_cast<SkinEngine&>(*form.SkinFramework1()).scheme()->name, "Graphite");
        QCOMPARE(form.backColour().value(), kButtonFace);
    }

    void realEngineRejectsAGarbageSkin()
    {
        SkinnedFolder folder(QByteArray(4096, '\x07'));
        RealFileServices platform(folder.dir.path());
        RealSkinComponents components;
        Form1 form(components);
        QVERIFY_THROWS_EXCEPTION(Failure, ApplySkin(form, platform.services));
        QCOMPARE(form.backColour().value(), kButtonFace);
        QVERIFY(!static_cast<SkinEngine&>(*form.SkinFramework1()).scheme());
    }
};

QTEST_MAIN(TestSkin)
#include "test_skin.moc"
