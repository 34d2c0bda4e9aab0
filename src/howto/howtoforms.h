#pragma once

#include <QWidget>

// One class per how-to window: caption, numbered steps and an illustration of the example
// print. Dialog-bordered, no buttons of their own; closed with the close box.
class THowToBidAdjustForm : public QWidget
{
public:
    THowToBidAdjustForm();
};

class THowToHdAngAdjustForm : public QWidget
{
public:
    THowToHdAngAdjustForm();
};

class THowToPWAdjustForm : public QWidget
{
public:
    THowToPWAdjustForm();
};

class THowToFirstDotAdjustForm : public QWidget
{
public:
    THowToFirstDotAdjustForm();
};

class THowToTopMarginAdjustForm : public QWidget
{
public:
    THowToTopMarginAdjustForm();
};
