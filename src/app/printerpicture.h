#pragma once

#include <QPixmap>

// The program's picture: an inkjet printer with a printed sheet, drawn at any size (the
// version window shows it at 64 by 64; the windows use it as their icon).
class TPrinterPicture
{
public:
    static QPixmap Pixmap(int size);
};
