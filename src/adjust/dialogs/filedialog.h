#pragma once

#include <QString>

class QWidget;

// The save and open dialogs, answerable by tests: a queued next file name is returned without
// a dialog (an empty name stands for "Cancel").
class FileDialog
{
public:
    static QString GetSaveFileName(QWidget *owner, const QString &caption, const QString &folder,
                                   const QString &filter);
    static QString GetOpenFileName(QWidget *owner, const QString &caption, const QString &folder,
                                   const QString &filter);
    static void SetNextFileName(const QString &name);
};
