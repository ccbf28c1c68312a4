#pragma once
// Bitmaps on the clipboard, exchanged as packed device-independent bitmaps (CF_DIB), and
// text, exchanged as Shift-JIS bytes (CF_TEXT) and held as UTF-8.
#include <cstddef>
#include <string>

#include "base/Bitmap.h"
#include "ui/Win.h"

bool ClipboardHasBitmap();
// The clipboard's bitmap; false when there is none or it cannot be read.
bool ReadClipboardBitmap(HWND owner, TBitmap& out);
// Replaces the clipboard's contents by the bitmap; false when the clipboard is busy.
bool WriteClipboardBitmap(HWND owner, const TBitmap& bitmap);

// The clipboard's text as UTF-8, at most maxChars characters; empty when there is none.
std::string ReadClipboardText(HWND owner, std::size_t maxChars = static_cast<std::size_t>(-1));
// Replaces the clipboard's contents by the text; false when the clipboard is busy.
bool WriteClipboardText(HWND owner, const std::string& utf8);
