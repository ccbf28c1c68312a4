#pragma once
// Bitmaps on the clipboard, exchanged as packed device-independent bitmaps (CF_DIB).
#include "base/Bitmap.h"
#include "ui/Win.h"

bool ClipboardHasBitmap();
// The clipboard's bitmap; false when there is none or it cannot be read.
bool ReadClipboardBitmap(HWND owner, TBitmap& out);
// Replaces the clipboard's contents by the bitmap; false when the clipboard is busy.
bool WriteClipboardBitmap(HWND owner, const TBitmap& bitmap);
