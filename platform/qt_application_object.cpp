#include "platform/qt_application_object.h"

#include "platform/file_names.h"

#include <QCoreApplication>

#include <sys/prctl.h>

namespace tandemo {

QString QtApplicationObject::folder() const
{
    // Qt decodes a folder name that is not UTF-8 with replacement characters; find the real one.
    return recoverFileName(QCoreApplication::applicationDirPath());
}

void QtApplicationObject::setTitle(const QString& title)
{
    m_title = title;
    // The kernel keeps 15 bytes of a process name; longer titles are shortened there only.
    const QByteArray name = title.toUtf8().left(15);
    prctl(PR_SET_NAME, name.constData(), 0, 0, 0);
}

} // namespace tandemo
