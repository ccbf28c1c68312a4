// Shortcut files through IShellLinkW and IPersistFile. Every call's result is checked, and
// every text is read at its full length.
#include "formats/ShortCut.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "base/ScopeGuard.h"
#include "base/Text.h"
#include "formats/ReaderProcess.h"
#include "formats/ShellLinkCheck.h"
#include "base/SystemLibrary_win.h"

namespace {

// COM for the calling thread while one call runs (kept when the thread already had it).
class TComScope {
public:
    TComScope()
        : FResult(Ole32().CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~TComScope() {
        if (SUCCEEDED(FResult)) Ole32().CoUninitialize();
    }
    TComScope(const TComScope&) = delete;
    TComScope& operator=(const TComScope&) = delete;
    bool Usable() const { return SUCCEEDED(FResult) || FResult == RPC_E_CHANGED_MODE; }

private:
    HRESULT FResult;
};

template <typename I>
class TComPtr {
public:
    TComPtr() = default;
    ~TComPtr() {
        if (FPtr) FPtr->Release();
    }
    TComPtr(const TComPtr&) = delete;
    TComPtr& operator=(const TComPtr&) = delete;
    I** Out() { return &FPtr; }
    I* operator->() const { return FPtr; }

private:
    I* FPtr = nullptr;
};

// A link object with its IShellLinkW and IPersistFile.
struct TLink {
    TComPtr<IShellLinkW> Link;
    TComPtr<IPersistFile> File;
    bool Create() {
        return SUCCEEDED(Ole32().CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                          reinterpret_cast<void**>(Link.Out()))) &&
               SUCCEEDED(Link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(File.Out())));
    }
};

// Reads one text of the link through a buffer that grows until the text fits.
template <typename Read>
bool ReadText(Read read, std::string& out) {
    for (int size = 256; size <= 65536; size *= 4) {
        std::wstring buf(static_cast<std::size_t>(size), L'\0');
        const HRESULT hr = read(buf.data(), size);
        if (FAILED(hr)) return false;
        buf.resize(wcsnlen(buf.c_str(), buf.size()));
        if (static_cast<int>(buf.size()) < size - 1) {
            out = WideToUtf8(buf);
            return true;
        }
    }
    return false;
}

std::string ShellFolder(const wchar_t* value) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return "";
    TScopeExit close([key] { RegCloseKey(key); });
    std::wstring text;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, value, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ && size > 0) {
        text.resize(size / sizeof(wchar_t) + 1);
        if (RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) == ERROR_SUCCESS)
            text.resize(wcsnlen(text.c_str(), text.size()));
        else
            text.clear();
    }
    return WideToUtf8(text);
}

} // namespace

int ShowCommandOf(TShowMode mode) {
    switch (mode) {
    case TShowMode::tsNormal: return SW_SHOWNORMAL;
    case TShowMode::tsMax: return SW_SHOWMAXIMIZED;
    case TShowMode::tsMin: return SW_SHOWMINNOACTIVE;
    }
    return SW_SHOW;
}

std::string TMakeShortCut::FolderPrefix() const {
    switch (SCSystemPath) {
    case TSysPath::tpBlank: return "";
    case TSysPath::tpDesktop: return ShellFolder(L"Desktop") + "\\";
    case TSysPath::tpStartMenu: return ShellFolder(L"Start Menu") + "\\";
    }
    return "";
}

std::string TMakeShortCut::GetLoadName() const { return FolderPrefix() + SCFileName; }
std::string TMakeShortCut::GetSaveName() const { return FolderPrefix() + SCFileName; }

std::optional<TShortCutAnswer> ReadShortCutInProcess(const std::string& path) {
    TComScope com;
    TLink link;
    if (!com.Usable() || !link.Create()) return std::nullopt;
    if (FAILED(link.File->Load(Utf8ToWide(path).c_str(), STGM_READ))) return std::nullopt;
    IShellLinkW* l = link.Link.operator->();
    WIN32_FIND_DATAW found;
    TShortCutAnswer a;
    const bool read = ReadText([&](wchar_t* b, int n) { return l->GetDescription(b, n); }, a.Description) &&
                      ReadText([&](wchar_t* b, int n) { return l->GetPath(b, n, &found, SLGP_UNCPRIORITY); }, a.ExecFile) &&
                      ReadText([&](wchar_t* b, int n) { return l->GetArguments(b, n); }, a.Arguments) &&
                      ReadText([&](wchar_t* b, int n) { return l->GetWorkingDirectory(b, n); }, a.WorkDir);
    int show = 0;
    if (!read || FAILED(l->GetShowCmd(&show))) return std::nullopt;
    a.ShowCmd = static_cast<uint32_t>(show);
    return a;
}

TShortCutLoad TMakeShortCut::SCLoad() {
    SCDescription.clear();
    SCExecFile.clear();
    SCArguments.clear();
    SCWorkDir.clear();
    // The link object trusts the file's sizes and offsets: only a file our own check found
    // sound is handed to it, and only in the reader helper.
    const std::string path = GetLoadName();
    if (!CheckShellLinkFile(path).Ok()) return TShortCutLoad::Failed;
    const std::optional<std::vector<uint8_t>> answer = ReaderAnswer({TReaderJob::ShortCut, path});
    if (!answer) return TShortCutLoad::Failed;
    const std::optional<TShortCutAnswer> link = ParseShortCutAnswer(answer->data(), answer->size());
    if (!link) return TShortCutLoad::Failed;
    SCDescription = link->Description;
    SCExecFile = link->ExecFile;
    SCArguments = link->Arguments;
    SCWorkDir = link->WorkDir;
    switch (static_cast<int>(link->ShowCmd)) {
    case SW_SHOWNORMAL: SCShowCmd = TShowMode::tsNormal; break;
    case SW_SHOWMAXIMIZED: SCShowCmd = TShowMode::tsMax; break;
    case SW_SHOWMINNOACTIVE: SCShowCmd = TShowMode::tsMin; break;
    default: return TShortCutLoad::UnknownShowCmd;
    }
    return TShortCutLoad::Loaded;
}

bool TMakeShortCut::SCSave() {
    TComScope com;
    TLink link;
    if (!com.Usable() || !link.Create()) return false;
    IShellLinkW* l = link.Link.operator->();
    return SUCCEEDED(l->SetDescription(Utf8ToWide(SCDescription).c_str())) &&
           SUCCEEDED(l->SetPath(Utf8ToWide(SCExecFile).c_str())) &&
           SUCCEEDED(l->SetArguments(Utf8ToWide(SCArguments).c_str())) &&
           SUCCEEDED(l->SetShowCmd(ShowCommandOf(SCShowCmd))) &&
           SUCCEEDED(l->SetWorkingDirectory(Utf8ToWide(SCWorkDir).c_str())) &&
           SUCCEEDED(link.File->Save(Utf8ToWide(GetSaveName()).c_str(), FALSE));
}
