#pragma once
// One pass of the reader and the writers over untrusted bytes, with small limits: shared by
// the libFuzzer target and the test that replays its corpus.
#include <cstddef>
#include <cstdint>

#include "gif/GIFDecoder.h"
#include "gif/GIFImage.h"

// True when the bytes loaded, false when the reader raised GIFException. Anything else escapes.
inline bool FuzzGifReader(const uint8_t* data, std::size_t size) {
    {
        // The LZW decoder on its own, reading the bytes as one frame's image data.
        uint8_t pixels[64 * 64];
        TBytesStream stream(data, static_cast<int64_t>(size));
        TGIFDecoder decoder(stream, nullptr);
        decoder.Decode(pixels, 64, 64, size > 0 && (data[0] & 1));
    }
    TGIFImage image;
    image.Limits().MaxFramePixels = 1 << 16;
    image.Limits().MaxTotalPixels = 1 << 18;
    image.Limits().MaxFrames = 256;
    int warnings = 0;
    image.OnWarning = [&](const void*, TGIFSeverity, const std::string&) { ++warnings; };
    TBytesStream stream(data, static_cast<int64_t>(size));
    try {
        image.LoadFromStream(stream);
    } catch (const GIFException&) {
        return false;
    }
    // Every frame renders, plainly and dithered, and so does the whole picture.
    for (TGIFDrawOptions options : {TGIFDrawOptions(0), GIFOption(goDither)}) {
        image.SetDrawOptions(options);
        for (int i = 0; i < image.Images().GetCount(); ++i) {
            try {
                image.Images().GetImage(i)->GetBitmap();
                image.Images().GetImage(i)->HasMask();
            } catch (const GIFException&) {
            }
        }
        try {
            image.GetBitmap();
        } catch (const GIFException&) {
        }
    }
    // Whatever was read must write again, with either encoder, or fail cleanly.
    for (TGIFCompression compression : {gcLZW, gcRLE}) {
        image.SetCompression(compression);
        TMemoryStream out;
        try {
            image.SaveToStream(out);
        } catch (const GIFException&) {
        }
    }
    // The optimisers work on any frames that were read.
    try {
        image.Optimize(GIFOptimizeAll, rmNone, dmNearest, 8);
        image.OptimizeColorMap();
        TMemoryStream out;
        image.SaveToStream(out);
    } catch (const GIFException&) {
    }
    return true;
}
