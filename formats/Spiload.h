#pragma once
// TSpiload: reads pictures of any format for which a Susie image plug-in (a module named
// *.SPI) lies in the plug-in folder. The main window holds one; the picture import asks it
// about files that no reader takes by extension: set_file, then load, then the result.
// It never shows a message: every answer is its boolean result.
#include <memory>
#include <string>
#include <vector>

#include "base/Bitmap.h"

struct TSpi_plugin;  // one loaded plug-in module with its bound functions (Spiload_win.cpp)

class TSpiload {
public:
    TSpiload();
    ~TSpiload();
    TSpiload(const TSpiload&) = delete;
    TSpiload& operator=(const TSpiload&) = delete;

    // Rebuilds the plug-in list from the modules of SpiPathName (an empty folder: none).
    void set_spipath();
    // Records the file and its extension; whether it can be read (check).
    bool set_file(const std::string& fileName);
    // .BMP, .WMF and .EMF are read without plug-ins; otherwise the first plug-in that
    // says it supports the file is selected.
    bool check();
    // Decodes the current file into the result (a metafile drawn onto a 24-bit picture, see
    // Metafile.h); false when it cannot (a plug-in's error, a crash inside a plug-in, blocks
    // that hold no picture, a broken or empty metafile).
    bool load();
    // Forgets the result.
    void clean();

    // The picture of the last successful load, or nullptr.
    const TBitmap* Result() const { return FResult.get(); }
    int PluginCount() const { return static_cast<int>(FPlugins.size()); }
    // The module file name of each usable plug-in, in scan order.
    std::vector<std::string> PluginNames() const;

    int color_bit = 0;  // colour depth the plug-in reported for the last picture
    int errer = 0;      // system error code after a failed transfer of the pixels
    bool Save = false;  // also save each decoded picture as the bitmap file SFName
    std::string SFName;
    std::string SpiPathName;  // folder that holds the plug-ins

private:
    bool LoadWithoutPlugin();
    bool LoadWithPlugin();

    std::string FFileName;
    std::string FExtension;
    std::vector<std::unique_ptr<TSpi_plugin>> FPlugins;  // usable plug-ins in scan order
    TSpi_plugin* FSelected = nullptr;                     // into FPlugins
    std::unique_ptr<TBitmap> FResult;
};
