#include "base/SystemLibraryTestSupport_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/ScopeGuard.h"

namespace {

struct TLoad {
    std::wstring Name;
    DWORD Flags;
    bool operator==(const TLoad&) const = default;
};
std::vector<TLoad>& Loads() {
    static std::vector<TLoad> loads;
    return loads;
}
// As Windows 7 without its loader update: the system-folder flag is an invalid parameter.
HMODULE WINAPI RefusingTheFlag(LPCWSTR name, HANDLE file, DWORD flags) {
    Loads().push_back({name, flags});
    if (flags & LOAD_LIBRARY_SEARCH_SYSTEM32) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return LoadLibraryExW(name, file, flags);
}
// A library the system does not have.
HMODULE WINAPI NotFound(LPCWSTR name, HANDLE, DWORD flags) {
    Loads().push_back({name, flags});
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH];
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, n);
}

}  // namespace

TEST(SystemLibrary, WhereTheSearchFlagIsRefusedTheLibraryIsLoadedByItsPathInTheSystemFolder) {
    const TLibraryLoader system = LibraryLoader();
    TScopeExit restore([system] { LibraryLoader() = system; });
    LibraryLoader() = RefusingTheFlag;
    Loads().clear();
    auto* const query = SystemFunction<decltype(::DragQueryFileW)>(L"shell32.dll", "DragQueryFileW");
    EXPECT_NE(query, nullptr);
    EXPECT_EQ(Loads(), (std::vector<TLoad>{{L"shell32.dll", LOAD_LIBRARY_SEARCH_SYSTEM32},
                                           {SystemFolder() + L"\\shell32.dll", LOAD_WITH_ALTERED_SEARCH_PATH}}));
    // Any other failure is the library's absence: it is looked for nowhere else.
    LibraryLoader() = NotFound;
    Loads().clear();
    EXPECT_EQ(LoadSystemLibrary(L"nosuch.dll"), nullptr);
    EXPECT_EQ(Loads(), (std::vector<TLoad>{{L"nosuch.dll", LOAD_LIBRARY_SEARCH_SYSTEM32}}));
    // The system's own loader takes the flag.
    LibraryLoader() = system;
    EXPECT_NE(LoadSystemLibrary(L"shell32.dll"), nullptr);
}

TEST(SystemLibrary, AFunctionTheSystemLacksRaisesAMessageNamingItWhenCalled) {
    const TSystemFunction<decltype(::GetTickCount)> present(L"kernel32.dll", "GetTickCount");
    ASSERT_TRUE(present);
    EXPECT_GT(present(), 0u);
    const TSystemFunction<decltype(::GetTickCount)> absent(L"kernel32.dll", "NoSuchFunction");
    EXPECT_FALSE(absent);
    EXPECT_EQ(absent.Get(), nullptr);
    try {
        absent();
        ADD_FAILURE() << "no exception";
    } catch (const ESystemFunctionMissing& e) {
        EXPECT_EQ(std::string(e.what()), MissingFunctionMessage("kernel32.dll", "NoSuchFunction"));
    }
    // Made missing for a scope, and back afterwards.
    TSystemFunction<decltype(::GetTickCount)> slot = present;
    {
        TMissingSystemFunction missing(slot);
        EXPECT_THROW(slot(), ESystemFunctionMissing);
    }
    EXPECT_GT(slot(), 0u);
}
