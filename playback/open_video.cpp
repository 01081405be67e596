#include "playback/open_video.h"

#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QStandardPaths>
#include <QStringList>

namespace tandemo {

QString videoFileFilters()
{
    // The containers people keep video in that the engine's demuxers read.
    static const QStringList kinds{"3gp", "asf", "avi", "flv",  "m2ts", "m2v", "m4v",
                                   "mkv", "mov", "mp4", "mpeg", "mpg",  "mts", "mxf",
                                   "nut", "ogv", "ts",  "vob",  "webm", "wmv", "y4m"};
    QStringList patterns;
    for (const QString& kind : kinds)
        patterns << "*." + kind;
    return QFileDialog::tr("Videos (%1)").arg(patterns.join(u' ')) + ";;" +
           QFileDialog::tr("All files (*)");
}

void askForVideos(QWidget& parent, const std::function<void(const QStringList&)>& chosen)
{
    auto* dialog = new QFileDialog(&parent, QFileDialog::tr("Open a Video"), QDir::homePath(),
                                   videoFileFilters());
    dialog->setObjectName("openVideo");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    QObject::connect(dialog, &QFileDialog::filesSelected, &parent,
                     [chosen](const QStringList& files) {
                         if (!files.isEmpty())
                             chosen(files);
                     });
    dialog->open();
}

void askForExportFile(QWidget& parent, const QString& suggested,
                      const std::function<void(const QString&)>& chosen)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    auto* dialog =
        new QFileDialog(&parent, QFileDialog::tr("Export the Comparison"),
                        QDir(folder).filePath(suggested), QFileDialog::tr("MP4 videos (*.mp4)"));
    dialog->setObjectName("exportComparison");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix("mp4");
    // A name that is taken is refused with a word of its own: nothing is ever replaced.
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    QObject::connect(dialog, &QFileDialog::fileSelected, &parent,
                     [chosen](const QString& file) { chosen(file); });
    dialog->open();
}

void askForFilterChain(QWidget& parent, const QString& current,
                       const std::function<void(const QString&)>& chosen)
{
    auto* dialog = new QInputDialog(&parent);
    dialog->setObjectName("customFilter");
    dialog->setWindowTitle(QInputDialog::tr("Filter"));
    dialog->setLabelText(QInputDialog::tr("A libavfilter chain for this pane's pictures, e.g. "
                                          "crop=1280:536:0:92,eq=gamma=1.2 (empty: none):"));
    dialog->setTextValue(current);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QInputDialog::textValueSelected, &parent,
                     [chosen](const QString& chain) { chosen(chain); });
    dialog->open();
}

EmptyPaneHint::EmptyPaneHint(QWidget& picture)
    : QLabel(tr("Drop a video here, or right-click for Open\u2026"), &picture)
{
    setObjectName("emptyPaneHint");
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setMargin(12);
    // Over the black picture; clicks and drops go to the pane beneath.
    setStyleSheet("color: #c8c8c8; background: transparent;");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(picture.rect());
    picture.installEventFilter(this);
}

bool EmptyPaneHint::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QLabel::eventFilter(watched, event);
}

} // namespace tandemo
