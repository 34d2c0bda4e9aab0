#pragma once

#include <QWidget>

class QBoxLayout;
class QGridLayout;
class QLabel;

// What every how-to window shares: caption, dialog frame, no buttons of its own, closed with
// the close box or Escape, its size fixed by its contents.
class THowToForm : public QWidget
{
protected:
    THowToForm(const char *objectName, const char *caption);

    QLabel *NewText(const QString &text, int wrapWidth = 0);
    // A numbered step: the number, then its sentences one under the other.
    void AddStep(QGridLayout *steps, const QString &number, const QStringList &sentences,
                 int wrapWidth = 0);
    // Lines set in under a heading.
    void AddIndented(QBoxLayout *layout, const QStringList &lines);
};

// One class per how-to window: caption, numbered steps and a picture of the example print.
class THowToBidAdjustForm : public THowToForm
{
public:
    THowToBidAdjustForm();
};

class THowToHdAngAdjustForm : public THowToForm
{
public:
    THowToHdAngAdjustForm();
};

class THowToPWAdjustForm : public THowToForm
{
public:
    THowToPWAdjustForm();
};

class THowToFirstDotAdjustForm : public THowToForm
{
public:
    THowToFirstDotAdjustForm();
};

class THowToTopMarginAdjustForm : public THowToForm
{
public:
    THowToTopMarginAdjustForm();
};
