// The main window's import of icons from libraries (the icon picker) and of pictures the
// plug-ins read.
#include "app/MainForm.h"
#include "app/ExtIcon.h"
#include "base/Exception.h"
#include "formats/PictureImport.h"

bool TForm1::ImportFromLibrary(const std::string& path, ImportedImage& out) {
    TBitmap picture;
    if (!PickLibraryIcon(path, picture) && !LoadPluginPicture(path, picture)) return false;
    PictureImport p = ImportPictureFromBitmap(picture, ImportOptions(), out);
    return TakePicture(p, out);
}

bool TForm1::PickLibraryIcon(const std::string& path, TBitmap& picture) {
    return PickLibraryIconPicture(
        this, path,
        [this] {
            if (FSettings.Import.NoDialog) return FSettings.Import.DefaultColour;
            bool unused = false;
            return AskBackColour(false, unused);
        },
        picture);
}

bool TForm1::LoadPluginPicture(const std::string& path, TBitmap& picture) {
    // A .bmp the bitmap import already read (and perhaps reduced or asked about) is not read
    // a second time by the loader's own bitmap path.
    if (ClassifyImportPath(path) == ImportKind::Bmp) return false;
    try {
        if (!Spiload1.set_file(path) || !Spiload1.load() || !Spiload1.Result()) return false;
    } catch (const Exception&) {
        return false;  // a broken bitmap: the import reports that nothing was read
    }
    picture = *Spiload1.Result();
    Spiload1.clean();
    return true;
}
