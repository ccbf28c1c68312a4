// The Windows side of DiskFileSize: whether a name is a regular file on a disk, found without
// opening a device. Opening AUX or COM1 (also as AUX.bmp) opens the serial port, and a read
// from it, a pipe or a character device can wait for ever; so the name is checked first, then
// the attributes the file system keeps (which devices, pipes and FIFOs do not have), and only
// then is the file opened, for its attributes alone, to ask what kind of file the system found.
#include <windows.h>

#include "FileNames.h"
#include "Stream.h"
#include "Text.h"

std::optional<int64_t> DiskFileSize(const std::string& path) {
    if (path.empty() || IsDeviceName(path)) return std::nullopt;
    const std::wstring name = Utf8ToWide(path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return std::nullopt;
    const HANDLE h = CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    LARGE_INTEGER size{};
    const bool disk = GetFileType(h) == FILE_TYPE_DISK && GetFileSizeEx(h, &size) && size.QuadPart >= 0;
    CloseHandle(h);
    if (!disk) return std::nullopt;
    return static_cast<int64_t>(size.QuadPart);
}
