#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>
#include <functional>

// Every modal message box of the program goes through here, so that tests can answer them:
// a queued next answer, or a standing answer for every box, is returned without showing one.
class MessageBox
{
public:
    enum Icon { NoIcon, Information, Warning, Error, Question };

    struct Shown {
        QString caption;
        QString text;
        Icon icon;
    };

    static QMessageBox::StandardButton
    Show(QWidget *owner, Icon icon, const QString &caption, const QString &text,
         QMessageBox::StandardButtons buttons = QMessageBox::Ok,
         QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

    // Tests: the next box answers this at once (answers queue up in order).
    static void SetNextAnswer(QMessageBox::StandardButton answer);
    // Tests: as above, and runs then before the answer is given (a printer switched off while
    // the box is up, ...).
    static void SetNextAnswer(QMessageBox::StandardButton answer, std::function<void()> then);
    // Tests: every box with no queued answer answers this; NoButton shows real boxes again.
    static void SetStandingAnswer(QMessageBox::StandardButton answer);
    // Tests: as above, and runs then with every box it answers, before the answer is given
    // (paper reloaded when the paper prompt comes up, ...).
    static void SetStandingAnswer(QMessageBox::StandardButton answer,
                                  std::function<void(const Shown &)> then);
    // Every box asked for since the last ClearHistory, answered or shown.
    static const QList<Shown> &History();
    static void ClearHistory();
};
