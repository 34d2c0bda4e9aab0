#include "howtoforms.h"

// Captions only until the windows get their texts and illustrations.
namespace
{
void Frame(QWidget *window, const char *objectName, const char *caption)
{
    window->setObjectName(QString::fromLatin1(objectName));
    window->setWindowTitle(QString::fromLatin1(caption));
    window->setWindowFlags(Qt::Dialog);
}
} // namespace

THowToBidAdjustForm::THowToBidAdjustForm()
{
    Frame(this, "HowToBidAdjustForm", "How to Bi-D adjustment ");
}

THowToHdAngAdjustForm::THowToHdAngAdjustForm()
{
    Frame(this, "HowToHdAngAdjustForm", "How to head angular adjustment");
}

THowToPWAdjustForm::THowToPWAdjustForm()
{
    Frame(this, "HowToPWAdjustForm", "How to PW sensor adjustment");
}

THowToFirstDotAdjustForm::THowToFirstDotAdjustForm()
{
    Frame(this, "HowToFirstDotAdjustForm", "How to first dot adjustment");
}

THowToTopMarginAdjustForm::THowToTopMarginAdjustForm()
{
    Frame(this, "HowToTopMarginAdjustForm", "How to top margin adjustment");
}
