// The plug-in loader's Win32 side: the folder scan, the modules and their functions, and
// the calls into them, each guarded so that a plug-in that faults fails its call instead of
// ending the program.
#include "formats/Spiload.h"

#include <windows.h>

#include <excpt.h>

#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "base/Exception.h"
#include "base/Stream.h"
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
//
// Each call into a plug-in runs inside a frame handler of our own: the system offers it a
// fault only after every handler deeper in the stack (the plug-in's own, or those of system
// code it calls) declined it. Before control comes back to the guarded call, every deeper
// frame is unwound, so their termination handlers run and the exception chain of the
// thread points at live frames again. Nothing of ours throws between the guard and the
// plug-in: a step calls plug-in functions and C routines only.

// The faults that end a plug-in call; anything else goes on to the handlers outside.
bool IsPluginFault(DWORD code) {
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_IN_PAGE_ERROR:
        return true;
    default: return false;
    }
}

#if defined(__i386__)

// i686: the handler is an EXCEPTION_REGISTRATION record on the guarded call's stack, linked
// at the head of the thread's chain (fs:[0]) while the step runs. The record comes first,
// so the frame the system hands to the handler is the whole guard.
struct TGuardFrame {
    EXCEPTION_REGISTRATION_RECORD Record;
    void* Resume[5];  // where the guarded call goes on after a fault (__builtin_setjmp)
};

// The head of the thread's exception chain, fs:[0].
EXCEPTION_REGISTRATION_RECORD* ChainHead() {
    EXCEPTION_REGISTRATION_RECORD* head;
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(head) : : "memory");
    return head;
}
void SetChainHead(EXCEPTION_REGISTRATION_RECORD* head) { __asm__ __volatile__("movl %0, %%fs:0" : : "r"(head) : "memory"); }

} // namespace

// GuardUnwind(frame, record, unwind): calls unwind(frame, resume, record, 0), RtlUnwind, which
// runs the handlers of every frame deeper than frame and leaves frame at the head of the chain.
// The registers the C calling convention keeps are saved around it, since it may come back
// through a context that does not keep them.
extern "C" void GuardUnwind(void* frame, EXCEPTION_RECORD* record, void* unwind);
__asm__(".text\n"
        ".p2align 4\n"
        "_GuardUnwind:\n"
        "  pushl %ebp\n"
        "  movl %esp, %ebp\n"
        "  pushl %ebx\n"
        "  pushl %esi\n"
        "  pushl %edi\n"
        "  pushl %ebp\n"
        "  pushl $0\n"
        "  pushl 12(%ebp)\n"
        "  pushl $1f\n"
        "  pushl 8(%ebp)\n"
        "  call *16(%ebp)\n"
        "1:\n"
        "  popl %ebp\n"
        "  popl %edi\n"
        "  popl %esi\n"
        "  popl %ebx\n"
        "  popl %ebp\n"
        "  ret\n");

namespace {

EXCEPTION_DISPOSITION NTAPI GuardHandler(EXCEPTION_RECORD* record, void* frame, CONTEXT*, void*) {
    if ((record->ExceptionFlags & EXCEPTION_UNWIND) != 0 || !IsPluginFault(record->ExceptionCode))
        return ExceptionContinueSearch;
    GuardUnwind(frame, record, reinterpret_cast<void*>(&RtlUnwind));
    __builtin_longjmp(static_cast<TGuardFrame*>(frame)->Resume, 1);
}

// Runs step(context); false when the plug-in code it calls faulted. Nothing that owns
// memory may live inside step: after a fault it never finishes.
__attribute__((noinline, noclone)) bool RunGuarded(void (*step)(void*), void* context) {
    TGuardFrame guard;
    guard.Record.Next = ChainHead();
    guard.Record.Handler = GuardHandler;
    if (__builtin_setjmp(guard.Resume) != 0) {
        SetChainHead(guard.Record.Next);  // the unwind left our record at the head
        return false;
    }
    SetChainHead(&guard.Record);
    step(context);
    SetChainHead(guard.Record.Next);
    return true;
}

#elif defined(__x86_64__)

// x86_64: exception handling is table-based. The guarded call lies in a scope of
// RunGuarded's unwind data (excpt.h's __try1/__except1) that the C runtime's
// __C_specific_handler serves: it asks GuardFilter, and for a fault unwinds every deeper
// frame (RtlUnwindEx) and resumes at the end of the scope with the stack of RunGuarded.

} // namespace

extern "C" __attribute__((used)) LONG GuardFilter(EXCEPTION_POINTERS* e, void*) {
    return IsPluginFault(e->ExceptionRecord->ExceptionCode) ? EXCEPTION_EXECUTE_HANDLER : EXCEPTION_CONTINUE_SEARCH;
}

namespace {

// Runs step(context); false when the plug-in code it calls faulted. Nothing that owns
// memory may live inside step: after a fault it never finishes.
__attribute__((noinline, noclone)) bool RunGuarded(void (*step)(void*), void* context) {
    volatile bool finished = false;
    __try1(GuardFilter)
    __asm__ __volatile__("" ::: "memory");
    step(context);
    finished = true;
    __asm__ __volatile__("" ::: "memory");
    __except1
    __asm__ __volatile__("" ::: "memory");
    return finished;
}

#else
#error "plug-in calls are guarded on i686 and x86_64 only"
#endif

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
    FSelected = nullptr;
    // A plug-in is handed the name and a handle: never those of a device, a pipe or a FIFO.
    if (!DiskFileSize(fileName)) return false;
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
        picture->LoadFromFile(FFileName);  // a broken or too large file raises EInvalidGraphic to the caller
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
        if (SusiePictureTooLarge(info)) {  // refused before the plug-in builds it
            errer = ERROR_INVALID_DATA;
            return false;
        }
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
