#include "filedialog.h"

#include <QFileDialog>
#include <QQueue>

namespace
{
QQueue<QString> &nextNames()
{
    static QQueue<QString> names;
    return names;
}
} // namespace

QString FileDialog::GetSaveFileName(QWidget *owner, const QString &caption, const QString &folder,
                                    const QString &filter)
{
    if (!nextNames().isEmpty())
        return nextNames().dequeue();
    return QFileDialog::getSaveFileName(owner, caption, folder, filter);
}

QString FileDialog::GetOpenFileName(QWidget *owner, const QString &caption, const QString &folder,
                                    const QString &filter)
{
    if (!nextNames().isEmpty())
        return nextNames().dequeue();
    return QFileDialog::getOpenFileName(owner, caption, folder, filter);
}

void FileDialog::SetNextFileName(const QString &name)
{
    nextNames().enqueue(name);
}
