#pragma once
// Bitmaps on the clipboard, exchanged as packed device-independent bitmaps (CF_DIB), and
// text, exchanged as Shift-JIS bytes (CF_TEXT) and held as UTF-8.
#include <cstddef>
#include <string>

#include "base/Bitmap.h"
#include "ui/Win.h"

class TGraphic;

bool ClipboardHasBitmap();
// The clipboard's bitmap; false when there is none or it cannot be read.
bool ReadClipboardBitmap(HWND owner, TBitmap& out);
// Replaces the clipboard's contents by the bitmap; false when the clipboard is busy.
bool WriteClipboardBitmap(HWND owner, const TBitmap& bitmap);

// The clipboard's text as UTF-8, at most maxChars characters; empty when there is none.
std::string ReadClipboardText(HWND owner, std::size_t maxChars = static_cast<std::size_t>(-1));
// Replaces the clipboard's contents by the text; false when the clipboard is busy.
bool WriteClipboardText(HWND owner, const std::string& utf8);

// A packed DIB (header, colours, rows) of the bitmap in movable global memory; null when
// the memory cannot be had.
HGLOBAL BitmapToGlobalDib(const TBitmap& bitmap);
// The bitmap of a packed DIB in global memory; false when it cannot be read.
bool GlobalDibToBitmap(HANDLE data, TBitmap& out);
// The bitmap of clipboard data: a packed DIB (CF_DIB), or a bitmap handle (the standard
// bitmap format, CF_BITMAP) taken in its own depth, 1, 4 or 8 bits with their colours (a
// device bitmap's through the palette, when one is given) or else 24 bits; false for other
// formats and for data that cannot be read.
bool ClipboardDataToBitmap(UINT format, HANDLE data, HPALETTE palette, TBitmap& out);

// Replaces the clipboard's contents by the picture (SaveToClipboardFormat); false when the
// clipboard is busy or refuses the data. What the picture raises passes on.
bool PutGraphicOnClipboard(HWND owner, TGraphic& graphic);
// Loads the picture from the clipboard's data of the format (LoadFromClipboardFormat);
// false when the clipboard is busy.
bool LoadGraphicFromClipboard(HWND owner, TGraphic& graphic, UINT format);
