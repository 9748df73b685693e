#include "NewFolderButtonLayout.h"

namespace trovel {

QRect NewFolderButtonRect(int Ppi, int ClientHeight, int CaptionHeight)
{
    switch (Ppi) {
    case 72:
    case 96:
        return QRect(12, ClientHeight - 36, 75, 23);
    case 120:
        return QRect(15, ClientHeight - 45, 93, 28);
    case 144:
        return QRect(17, ClientHeight - 56, 112, 35);
    case 192:
        return QRect(20, ClientHeight - 66, 150, 41);
    default:
        return QRect(Ppi * 12 / 96, ClientHeight - CaptionHeight - 17, Ppi * 75 / 96,
                     Ppi * 23 / 96);
    }
}

int NewFolderButtonWidth(int TextWidth, int Ppi)
{
    const int width = TextWidth + 12;
    if (width < 75 && Ppi == 72)
        return 75;
    if (width < Ppi * 75 / 96)
        return Ppi * 75 / 96;
    return width;
}

} // namespace trovel
