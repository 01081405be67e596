// The command line: files for the panes, help and version, unknown options; and the keys, which the
// help, the manual page, the README and the players' menus all take from the one list.
#include "app/command_line.h"
#include "platform/file_names.h"
#include "playback/player_commands.h"
#include "session/player_keys.h"

#include <QMenu>
#include <QtTest>

using namespace tandemo;
using Action = CommandLine::Action;

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void readsFilesAndOptions_data()
    {
        QTest::addColumn<QList<QByteArray>>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("ignored");
        QTest::newRow("nothing") << QList<QByteArray>{} << int(Action::Run) << QStringList{}
                                 << QStringList{};
        QTest::newRow("two files") << QList<QByteArray>{"a.avi", "/b c.mp4"} << int(Action::Run)
                                   << QStringList{"a.avi", "/b c.mp4"} << QStringList{};
        QTest::newRow("four files") << QList<QByteArray>{"1", "2", "3", "4"} << int(Action::Run)
                                    << QStringList{"1", "2", "3", "4"} << QStringList{};
        QTest::newRow("help first") << QList<QByteArray>{"--help", "a.avi"} << int(Action::ShowHelp)
                                    << QStringList{} << QStringList{};
        QTest::newRow("version after a file")
            << QList<QByteArray>{"a.avi", "--version"} << int(Action::ShowVersion) << QStringList{}
            << QStringList{};
        // An unknown option is passed over: the program starts with the files all the same.
        QTest::newRow("unknown option")
            << QList<QByteArray>{"-x", "a.avi", "--foo"} << int(Action::Run) << QStringList{"a.avi"}
            << QStringList{};
        QTest::newRow("names after --")
            << QList<QByteArray>{"--", "--help", "-x"} << int(Action::Run)
            << QStringList{"--help", "-x"} << QStringList{};
        QTest::newRow("a lone dash is a name")
            << QList<QByteArray>{"-"} << int(Action::Run) << QStringList{"-"} << QStringList{};
    }
    void readsFilesAndOptions()
    {
        QFETCH(QList<QByteArray>, arguments);
        QFETCH(int, action);
        QFETCH(QStringList, files);
        QFETCH(QStringList, ignored);
        const CommandLine line = parseCommandLine(arguments);
        QCOMPARE(int(line.action), action);
        QCOMPARE(line.files, files);
        QCOMPARE(line.ignored, ignored);
        const bool unknown = QTest::currentDataTag() == QByteArray("unknown option");
        const QStringList expected = unknown ? QStringList{"-x", "--foo"} : QStringList{};
        QCOMPARE(line.unknownOptions, expected);
    }

    void qtsOwnOptionsArePassedOverBeforeQtTakesThem()
    {
        const QList<QByteArray> arguments{"-platform", "xcb", "a.avi", "--style=Fusion",
                                          "-reverse"};
        const CommandLine early = parseCommandLine(arguments, /*passQtOptions=*/true);
        QCOMPARE(int(early.action), int(Action::Run));
        QCOMPARE(early.files, QStringList{"a.avi"});
        QVERIFY(early.unknownOptions.isEmpty());
        QCOMPARE(parseCommandLine(arguments).unknownOptions.size(), 3);
        QCOMPARE(parseCommandLine({"-bogus"}, true).unknownOptions, QStringList{"-bogus"});
    }

    void namesKeepTheirBytes()
    {
        const CommandLine line = parseCommandLine({"\xe9t\xe9.avi"});
        QCOMPARE(encodeFileName(line.files.value(0)), QByteArray("\xe9t\xe9.avi"));
    }

    void versionNamesTheProduct()
    {
        QVERIFY(versionText().startsWith("Tandemo Software 7.00\n"));
        QVERIFY(usageText().startsWith("Usage: tandemo [OPTION]... [REFERENCE [RENDITION]...]"));
    }

    void everyKeyIsHandledAndDocumentedFromOneList()
    {
        // Each key of the list does what its row says: none is shadowed by another row.
        for (const KeyRow& row : playerKeys()) {
            for (const KeyRow::Binding& binding : row.bindings) {
                const std::optional<PlayerCommand> command = commandForKey(binding.key);
                QVERIFY2(command && command->kind == binding.command.kind &&
                             command->amount == binding.command.amount,
                         row.keys);
            }
        }
        // "?" as keyboards send it, the keypad's digits as the others; other modifiers are the
        // desktop's.
        QCOMPARE(commandForKey(Qt::ShiftModifier | Qt::Key_Question)->kind,
                 PlayerCommand::ShowKeys);
        QCOMPARE(commandForKey(Qt::KeypadModifier | Qt::Key_0)->kind, PlayerCommand::ResetZoom);
        QVERIFY(!commandForKey(Qt::AltModifier | Qt::Key_S));
        QVERIFY(!commandForKey(Qt::ShiftModifier | Qt::Key_S));
        QVERIFY(!commandForKey(Qt::ControlModifier | Qt::Key_Space));

        // --help, the manual page and the README show the same rows.
        QVERIFY(helpText().endsWith(keysAsText()));
        const auto read = [](const char* path) {
            QFile file(QStringLiteral(TANDEMO_SOURCE_DIR "/") + path);
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        };
        const QString manual = read("resources/debian/tandemo.1");
        QVERIFY(manual.indexOf(keysAsManPage()) > manual.indexOf(".SH KEYS"));
        QString readme = read("README.md");
        readme.replace("\n  |", "\n|");
        QVERIFY2(readme.contains(keysAsMarkdown()), qPrintable(keysAsMarkdown()));

        // The menus show each command's key beside it.
        PlayerMenuState state;
        state.linkable = true;
        const std::unique_ptr<QMenu> menu = createPlayerMenu(state);
        QStringList items;
        for (const QAction* action : menu->actions())
            items << action->text();
        for (const char* item : {"Play\tSpace", "Stop", "Volume Up\tUp", "Save Frame\tS",
                                 "Wipe View\tW", "Full Screen\tF11", "Keys and Gestures\tF1"})
            QVERIFY2(items.contains(QString::fromUtf8(item)), item);
    }
};

QTEST_MAIN(TestCommandLine)
#include "test_command_line.moc"
