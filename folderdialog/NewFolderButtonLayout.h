#pragma once

#include <QRect>

namespace trovel {

// Where the new-folder button goes in the browse dialog: near the bottom-left
// corner of a client area ClientHeight pixels high, scaled for the screen's
// logical pixels per inch. CaptionHeight (the height of a window caption) only
// matters for resolutions without a tuned row.
QRect NewFolderButtonRect(int Ppi, int ClientHeight, int CaptionHeight);

// The button's width for a caption TextWidth pixels wide: the text plus a
// margin, never narrower than the standard button width at that resolution.
int NewFolderButtonWidth(int TextWidth, int Ppi);

} // namespace trovel
