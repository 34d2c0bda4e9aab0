#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// The folder "history" beside the backup file, where a backup goes instead of being lost:
// the one a new backup replaces, and the one a restore has used. Each is named after the
// local time it was put there (backupdata-YYYYMMDD-HHMMSS.eep; a second one within the same
// second gets _2, _3, ... before the extension), and only the newest Kept stay.
class TPBackupHistory
{
public:
    static constexpr int Kept = 20;

    explicit TPBackupHistory(const QString &backupPath);

    QString Folder() const { return folder_; }
    // Puts a copy of the backup file into the history; the file stays where it is. False when
    // the history cannot take it (nothing is changed then).
    bool Keep(const QDateTime &when) const;
    // Moves the backup file into the history. False when it cannot; the file is then kept
    // where it was.
    bool Move(const QDateTime &when) const;
    // Removes the oldest history files beyond Kept. Files of other names are left alone.
    void Prune() const;
    // The history files, oldest first.
    QStringList Entries() const;

    static QString NameFor(const QDateTime &when, int copy);

private:
    // The folder, made when missing. False when something else than a folder has its name.
    bool MakeFolder() const;

    QString backupPath_;
    QString folder_;
};
