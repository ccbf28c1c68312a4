// The plug-in loader's Win32 side: the folder scan, the modules and their functions, and
// the calls into them, each guarded so that a plug-in that faults fails its call instead of
// ending the program.
#include "formats/Spiload.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "base/Exception.h"
#include "base/Text.h"
#include "formats/Metafile.h"
#include "formats/SusiePicture.h"

namespace {

using IsSupportedFn = int(WINAPI*)(LPCSTR fileName, void* fileHandle);
using GetPictureInfoFn = int(WINAPI*)(LPCSTR buf, LONG_PTR len, unsigned int flag, TSusiePictureInfo* info);
using GetPictureFn = int(WINAPI*)(LPCSTR buf, LONG_PTR len, unsigned int flag, HANDLE* info, HANDLE* bits,
                                  FARPROC progress, LONG_PTR data);

// An exported function of a module by name, as the type the plug-in interface gives it.
template <typename F>
F Bind(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// ---- faults inside plug-ins

thread_local void** tFaultJump = nullptr;  // the jump buffer of the guarded call running on this thread

LONG CALLBACK PluginFault(EXCEPTION_POINTERS* e) {
    if (!tFaultJump) return EXCEPTION_CONTINUE_SEARCH;
    switch (e->ExceptionRecord->ExceptionCode) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_IN_PAGE_ERROR:
        break;
    default: return EXCEPTION_CONTINUE_SEARCH;
    }
    void** jump = tFaultJump;
    tFaultJump = nullptr;
    __builtin_longjmp(jump, 1);
}

// Installs the fault handler for the lifetime of one guarded call.
class TFaultHandler {
public:
    TFaultHandler() : FHandle(AddVectoredExceptionHandler(1, PluginFault)) {}
    ~TFaultHandler() {
        if (FHandle) RemoveVectoredExceptionHandler(FHandle);
    }
    TFaultHandler(const TFaultHandler&) = delete;
    TFaultHandler& operator=(const TFaultHandler&) = delete;

private:
    PVOID FHandle;
};

// Runs step(context); false when the plug-in code it calls faulted. Nothing that owns
// memory may live inside step: a fault leaves it at once.
__attribute__((noinline)) bool RunGuarded(void (*step)(void*), void* context) {
    TFaultHandler handler;
    void* jump[5];
    void** volatile previous = tFaultJump;
    if (__builtin_setjmp(jump) == 0) {
        tFaultJump = jump;
        step(context);
        tFaultJump = previous;
        return true;
    }
    tFaultJump = previous;
    return false;
}

template <typename F>
bool Guarded(F&& f) {
    using Step = std::remove_reference_t<F>;
    return RunGuarded([](void* c) { (*static_cast<Step*>(c))(); }, &f);
}

// ---- names

std::string AnsiOf(const std::wstring& s, bool& lossy) {
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, s.c_str(), -1, nullptr, 0, nullptr, &usedDefault);
    if (n <= 0) {
        lossy = true;
        return "";
    }
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, s.c_str(), -1, out.data(), n, nullptr, &usedDefault);
    out.resize(static_cast<std::size_t>(n - 1));
    lossy = usedDefault != FALSE;
    return out;
}

// The file name as the plug-ins take it (the system's ANSI code page). A name the code page
// cannot spell is given by its short form; "" when there is none.
std::string PluginFileName(const std::string& utf8) {
    const std::wstring wide = Utf8ToWide(utf8);
    bool lossy = false;
    std::string ansi = AnsiOf(wide, lossy);
    if (!lossy) return ansi;
    const DWORD n = GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (n == 0) return "";
    std::wstring shortName(n, L'\0');
    const DWORD got = GetShortPathNameW(wide.c_str(), shortName.data(), n);
    if (got == 0 || got >= n) return "";
    shortName.resize(got);
    ansi = AnsiOf(shortName, lossy);
    return lossy ? "" : ansi;
}

// A copy of a plug-in's memory block, made inside a guarded step (plain C memory, so that a
// fault leaks at worst and never runs a destructor halfway).
struct TBlockCopy {
    uint8_t* Data = nullptr;
    std::size_t Size = 0;
    ~TBlockCopy() { std::free(Data); }
};

void CopyBlock(HANDLE h, TBlockCopy& out) {
    if (!h) return;
    const SIZE_T size = GlobalSize(h);
    if (size == 0) return;
    const void* p = GlobalLock(h);
    if (!p) return;
    out.Data = static_cast<uint8_t*>(std::malloc(size));
    if (out.Data) {
        std::memcpy(out.Data, p, size);
        out.Size = size;
    }
    GlobalUnlock(h);
}

void FreeBlock(HANDLE& h) {
    if (h) GlobalFree(h);
    h = nullptr;
}

} // namespace

struct TSpi_plugin {
    ~TSpi_plugin() {
        if (Module) FreeLibrary(Module);
    }
    DWORD ErrorCode = 0;  // why a module was not usable
    HMODULE Module = nullptr;
    std::string FileName;
    IsSupportedFn IsSupported = nullptr;
    GetPictureInfoFn GetPictureInfo = nullptr;
    GetPictureFn GetPicture = nullptr;
    FARPROC GetPreview = nullptr;  // bound, never called
    FARPROC GetArchiveInfo = nullptr;
    FARPROC GetFile = nullptr;
};

TSpiload::TSpiload() = default;
TSpiload::~TSpiload() = default;

std::vector<std::string> TSpiload::PluginNames() const {
    std::vector<std::string> names;
    for (const auto& p : FPlugins) names.push_back(p->FileName);
    return names;
}

void TSpiload::set_spipath() {
    FSelected = nullptr;
    FPlugins.clear();
    std::string folder = SpiPathName;
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    if (folder.empty()) return;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(Utf8ToWide(folder + "\\*.SPI").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        auto plugin = std::make_unique<TSpi_plugin>();
        plugin->FileName = WideToUtf8(found.cFileName);
        plugin->Module = LoadLibraryW(Utf8ToWide(folder + "\\" + plugin->FileName).c_str());
        if (!plugin->Module) continue;
        HMODULE m = plugin->Module;
        plugin->IsSupported = Bind<IsSupportedFn>(m, "IsSupported");
        plugin->GetPictureInfo = Bind<GetPictureInfoFn>(m, "GetPictureInfo");
        plugin->GetPicture = Bind<GetPictureFn>(m, "GetPicture");
        plugin->GetPreview = GetProcAddress(m, "GetPreview");
        plugin->GetArchiveInfo = GetProcAddress(m, "GetArchiveInfo");
        plugin->GetFile = GetProcAddress(m, "GetFile");
        if (!plugin->IsSupported || !plugin->GetPicture) {
            plugin->ErrorCode = GetLastError();
            continue;  // the record releases the module
        }
        FPlugins.push_back(std::move(plugin));
    } while (FindNextFileW(find, &found));
    FindClose(find);
}

bool TSpiload::set_file(const std::string& fileName) {
    FFileName = fileName;
    FExtension = SusieExtension(fileName);
    return check();
}

bool TSpiload::check() {
    if (ReadWithoutPlugin(FExtension)) return true;
    const std::string name = PluginFileName(FFileName);
    if (name.empty()) return false;
    for (const auto& plugin : FPlugins) {
        HANDLE file = CreateFileW(Utf8ToWide(FFileName).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;  // nothing to ask a plug-in about
        int answer = 0;
        IsSupportedFn isSupported = plugin->IsSupported;
        const bool ran = Guarded([&] { answer = isSupported(name.c_str(), file); });
        CloseHandle(file);
        if (ran && answer != 0) {
            FSelected = plugin.get();
            return true;
        }
    }
    return false;
}

void TSpiload::clean() { FResult.reset(); }

bool TSpiload::load() {
    FResult.reset();
    const bool read = ReadWithoutPlugin(FExtension) ? LoadWithoutPlugin() : LoadWithPlugin();
    if (read && Save && !SFName.empty()) FResult->SaveToFile(SFName);
    return read;
}

bool TSpiload::LoadWithoutPlugin() {
    auto picture = std::make_unique<TBitmap>();
    if (FExtension == ".BMP") {
        picture->LoadFromFile(FFileName);  // a broken file raises EInvalidGraphic to the caller
    } else if (!DrawMetafileFile(FFileName, *picture)) {
        return false;  // a broken or empty metafile
    }
    if (picture->Empty()) return false;
    FResult = std::move(picture);
    return true;
}

bool TSpiload::LoadWithPlugin() {
    if (!FSelected) return false;
    const std::string name = PluginFileName(FFileName);
    if (name.empty()) return false;
    TSpi_plugin& plugin = *FSelected;
    if (plugin.GetPictureInfo) {
        TSusiePictureInfo info;
        std::memset(&info, 0, sizeof info);
        int answer = -1;
        GetPictureInfoFn getInfo = plugin.GetPictureInfo;
        if (!Guarded([&] { answer = getInfo(name.c_str(), 0, 0, &info); })) return false;
        if (answer != 0) return false;
        color_bit = info.ColorDepth;
        HANDLE text = info.HInfo;
        if (text) Guarded([&] { FreeBlock(text); });
    }
    HANDLE infoBlock = nullptr, bitsBlock = nullptr;
    int answer = -1;
    GetPictureFn getPicture = plugin.GetPicture;
    const bool ran = Guarded([&] { answer = getPicture(name.c_str(), 0, 0, &infoBlock, &bitsBlock, nullptr, 0); });
    TBlockCopy info, bits;
    const bool copied = ran && Guarded([&] {
        if (answer == 0) {
            CopyBlock(infoBlock, info);
            CopyBlock(bitsBlock, bits);
        }
        FreeBlock(infoBlock);
        FreeBlock(bitsBlock);
    });
    if (!ran || !copied || answer != 0) return false;
    try {
        auto picture = std::make_unique<TBitmap>(SusieBlocksToBitmap(info.Data, info.Size, bits.Data, bits.Size));
        if (!plugin.GetPictureInfo) color_bit = picture->BitCount();
        FResult = std::move(picture);
        return true;
    } catch (const EInvalidGraphic&) {
        errer = ERROR_INVALID_DATA;
        return false;
    }
}
