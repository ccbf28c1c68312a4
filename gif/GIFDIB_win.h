#pragma once
// The GIF codec's helpers on system handles: a failed system call turned into an error with
// the system's message, and the pixels of a bitmap handle as a device-independent bitmap.
#include <string>

#include "base/Bitmap.h"
#include "base/Exception.h"
#include "ui/Win.h"

// The system ran out of handles or memory; the message is the system's own.
class EOutOfResources : public Exception {
public:
    using Exception::Exception;
};

// Raises EOutOfResources with the system's message for the last error ("Out of system
// resources" when there is none).
[[noreturn]] void RaiseOutOfResources();

// The handle itself; a null handle raises EOutOfResources.
template <class THandleType>
THandleType CheckResource(THandleType handle) {
    if (!handle) RaiseOutOfResources();
    return handle;
}

// The sizes of the bitmap's pixels as a DIB of the format (1, 4, 8 or 24 bits): the header
// with its colour table, and the rows.
void InternalGetDIBSizes(HBITMAP bitmap, int& headerSize, int& imageSize, TPixelFormat pixelFormat);
// Fetches the bitmap's rows as a DIB of the format into header (headerSize bytes) and bits
// (imageSize bytes), through the palette when one is given; false when no row was fetched.
bool InternalGetDIB(HBITMAP bitmap, HPALETTE palette, void* header, void* bits, TPixelFormat pixelFormat);
