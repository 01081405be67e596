// The facts about the product must agree wherever they are written: the code, the desktop entry,
// the AppStream metadata and the Windows version resource.

#include "app/application_identity.h"
#include "resources/version.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>

namespace {

QString readResource(const QString& name)
{
    QFile file(QStringLiteral(TANDEMO_SOURCE_DIR "/resources/") + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString rcValue(const QString& rc, const QString& key)
{
    const QRegularExpression value("VALUE \"" + key + "\", \"([^\"]*)\"");
    return value.match(rc).captured(1);
}

} // namespace

class TestProductMetadata : public QObject {
    Q_OBJECT
private slots:
    void applicationTellsQtWhoItIs()
    {
        tandemo::applyApplicationIdentity();
        QCOMPARE(QCoreApplication::organizationName(), "Quillmark");
        QCOMPARE(QCoreApplication::applicationName(), "Tandemo Software");
        QCOMPARE(QCoreApplication::applicationVersion(), "7.00");
        QCOMPARE(QGuiApplication::desktopFileName(), "com.quillmark.tandemo");
    }

    void desktopEntryAndMetainfoNameTheSameApplication()
    {
        const QString id = tandemo::version::kAppId;
        QSettings desktop(QStringLiteral(TANDEMO_SOURCE_DIR "/resources/") + id + ".desktop",
                          QSettings::IniFormat);
        desktop.beginGroup("Desktop Entry");
        QCOMPARE(desktop.value("Name").toString(), tandemo::version::kProduct);
        QCOMPARE(desktop.value("Icon").toString(), id);
        QCOMPARE(desktop.value("Exec").toString(), "tandemo %F");

        const QString metainfo = readResource(id + ".metainfo.xml");
        QVERIFY(metainfo.contains("<id>" + id + "</id>"));
        QVERIFY(metainfo.contains("<launchable type=\"desktop-id\">" + id + ".desktop<"));
        QVERIFY(metainfo.contains("<name>Tandemo Software</name>"));
        QVERIFY(metainfo.contains("<developer_name>Quillmark</developer_name>"));
        QVERIFY(metainfo.contains("<release version=\"7.00\""));
    }

    void fileManagersCanOpenEveryOfferedFormatWithIt()
    {
        // The desktop entry (read as text: QSettings takes ';' for a list separator) and the
        // metadata declare the same media types, and among them the type the desktop gives each
        // format the dialog offers and each common one libmpv plays.
        const QString id = tandemo::version::kAppId;
        QStringList entryTypes;
        for (const QString& line : readResource(id + ".desktop").split('\n')) {
            if (line.startsWith("MimeType="))
                entryTypes = line.mid(9).split(';', Qt::SkipEmptyParts);
        }
        QStringList metainfoTypes;
        const QRegularExpression mediatype("<mediatype>([^<]+)</mediatype>");
        for (const auto& match : mediatype.globalMatch(readResource(id + ".metainfo.xml")))
            metainfoTypes << match.captured(1);
        QVERIFY(!entryTypes.isEmpty());
        QCOMPARE(metainfoTypes, entryTypes);
        const QMimeDatabase types;
        for (const char* extension : {"mpg", "mpeg", "avi", "wmv", "mp4", "mkv", "webm", "mov"}) {
            const QString type =
                types.mimeTypeForFile(QString("clip.") + extension, QMimeDatabase::MatchExtension)
                    .name();
            QVERIFY2(entryTypes.contains(type), qPrintable(QString(extension) + " " + type));
        }
    }

    void windowsResourceCarriesTheVersionFacts()
    {
        const QString rc = readResource("tandemo.rc");
        QVERIFY(!rc.isEmpty());
        QVERIFY(rc.contains("FILEVERSION 7,0,0,0"));
        QVERIFY(rc.contains("PRODUCTVERSION 7,0,0,0"));
        QVERIFY(rc.contains("BLOCK \"040904B0\"")); // US English, Unicode
        QCOMPARE(rcValue(rc, "CompanyName"), "Quillmark");
        QCOMPARE(rcValue(rc, "ProductName"), "Tandemo Software");
        QCOMPARE(rcValue(rc, "InternalName"), "Tandemo Software");
        QCOMPARE(rcValue(rc, "OriginalFilename"), "Tandemo Software.exe");
        QCOMPARE(rcValue(rc, "FileVersion"), "7.00");
        QCOMPARE(rcValue(rc, "ProductVersion"), "7.00");
        QVERIFY(rc.contains("ICON \"tandemo.ico\""));
    }
};

QTEST_MAIN(TestProductMetadata)
#include "test_product_metadata.moc"
