// A picture plug-in for the tests, built in variants by the build (TESTSPI_*):
//   FULL       IsSupported, GetPictureInfo and GetPicture (no GetPreview)
//   NOPICTURE  no GetPicture: a host must not list it
//   NOINFO     no GetPictureInfo: the size comes from the picture itself
//   FAILING    GetPicture answers an error
//   CRASHING   GetPicture writes through a null pointer inside a frame with a cleanup
//              handler, which counts the unwinds that run it (UnwindCount)
//   SELFGUARDED GetPicture reads through a null pointer under a frame handler of its own,
//              which mends the read; the picture is drawn as FULL draws it
// It reads files that start with "TSPI" followed by a width and a height byte, and draws
// an 8-bit picture: pixel (x, y), y counted from the top, has index (7x + 3y) & 255;
// palette entry i is red i, green 255 - i, blue (5i) & 255.
#include <windows.h>

#include <cstdint>
#include <cstring>

#if defined(TESTSPI_SELFGUARDED) || defined(TESTSPI_CRASHING)
#include <excpt.h>
#endif

#include "formats/SusiePicture.h"

#define PLUGIN_EXPORT extern "C" __declspec(dllexport)

namespace {

bool ReadHead(const char* name, uint8_t head[6]) {
    HANDLE f = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD got = 0;
    const BOOL ok = ReadFile(f, head, 6, &got, nullptr);
    CloseHandle(f);
    return ok && got == 6 && std::memcmp(head, "TSPI", 4) == 0 && head[4] > 0 && head[5] > 0;
}

#if defined(TESTSPI_SELFGUARDED)
// What the mended read finds.
volatile int gMended = 0x5eed;

// Reads an int through a null pointer held in ecx/rcx. The handler points the register at
// gMended and lets the instruction run again, so the fault never leaves this module.
#if defined(__i386__)
EXCEPTION_DISPOSITION NTAPI MendRead(EXCEPTION_RECORD* record, void*, CONTEXT* context, void*) {
    if ((record->ExceptionFlags & EXCEPTION_UNWIND) != 0 || record->ExceptionCode != EXCEPTION_ACCESS_VIOLATION ||
        context->Ecx != 0)
        return ExceptionContinueSearch;
    context->Ecx = reinterpret_cast<DWORD>(&gMended);
    return ExceptionContinueExecution;
}

__attribute__((noinline)) int ReadThroughNull() {
    EXCEPTION_REGISTRATION_RECORD record;
    record.Handler = MendRead;
    __asm__ __volatile__("movl %%fs:0, %%eax\n\tmovl %%eax, (%0)\n\tmovl %0, %%fs:0" : : "r"(&record) : "eax", "memory");
    int value;
    __asm__ __volatile__("xorl %%ecx, %%ecx\n\tmovl (%%ecx), %0" : "=a"(value) : : "ecx", "memory");
    __asm__ __volatile__("movl %0, %%fs:0" : : "r"(record.Next) : "memory");
    return value;
}
#else
} // namespace

extern "C" __attribute__((used)) LONG MendRead(EXCEPTION_POINTERS* e, void*) {
    if (e->ExceptionRecord->ExceptionCode != EXCEPTION_ACCESS_VIOLATION || e->ContextRecord->Rcx != 0)
        return EXCEPTION_CONTINUE_SEARCH;
    e->ContextRecord->Rcx = reinterpret_cast<DWORD64>(&gMended);
    return EXCEPTION_CONTINUE_EXECUTION;
}

namespace {

__attribute__((noinline, noclone)) int ReadThroughNull() {
    int value = 0;
    __try1(MendRead)
    __asm__ __volatile__("xorl %%ecx, %%ecx\n\tmovl (%%rcx), %0" : "=a"(value) : : "rcx", "memory");
    __except1
    return value;
}
#endif
#endif

#if defined(TESTSPI_CRASHING)
volatile LONG gUnwinds = 0;

// Writes through a null pointer in a frame whose handler only cleans up: it declines the
// fault and counts each unwind that passes it, as a plug-in releasing what it holds would.
#if defined(__i386__)
EXCEPTION_DISPOSITION NTAPI CountUnwind(EXCEPTION_RECORD* record, void*, CONTEXT*, void*) {
    if ((record->ExceptionFlags & EXCEPTION_UNWIND) != 0) InterlockedIncrement(&gUnwinds);
    return ExceptionContinueSearch;
}

__attribute__((noinline)) void FaultUnderCleanup() {
    EXCEPTION_REGISTRATION_RECORD record;
    record.Handler = CountUnwind;
    __asm__ __volatile__("movl %%fs:0, %%eax\n\tmovl %%eax, (%0)\n\tmovl %0, %%fs:0" : : "r"(&record) : "eax", "memory");
    __asm__ __volatile__("xorl %%ecx, %%ecx\n\tmovl %%ecx, (%%ecx)" : : : "ecx", "memory");
    __asm__ __volatile__("movl %0, %%fs:0" : : "r"(record.Next) : "memory");  // never reached
}
#else
} // namespace

// A termination handler of the C runtime's scope tables: called with abnormal set when an
// unwind leaves its scope.
extern "C" __attribute__((used)) void CountUnwind(BOOLEAN, void*) { InterlockedIncrement(&gUnwinds); }

namespace {

__attribute__((noinline, noclone)) void FaultUnderCleanup() {
    __asm__ __volatile__("\t.seh_handler __C_specific_handler, @unwind\n"
                         "\t.seh_handlerdata\n"
                         "\t.long 1\n"
                         "\t.rva .Lcleanup_begin, .Lcleanup_end, CountUnwind\n"
                         "\t.long 0\n"
                         "\t.text\n"
                         ".Lcleanup_begin:\n"
                         "\txorl %%ecx, %%ecx\n"
                         "\tmovl %%ecx, (%%rcx)\n"
                         "\tnop\n"
                         ".Lcleanup_end:\n"
                         "\tnop\n"
                         :
                         :
                         : "rcx", "memory");
}
#endif
#endif

} // namespace

#if defined(TESTSPI_CRASHING)
// How many unwinds ran the cleanup of FaultUnderCleanup.
PLUGIN_EXPORT LONG WINAPI UnwindCount() { return gUnwinds; }
#endif

PLUGIN_EXPORT int WINAPI IsSupported(LPCSTR, void* file) {
    uint8_t head[6];
    DWORD got = 0;
    SetFilePointer(static_cast<HANDLE>(file), 0, nullptr, FILE_BEGIN);
    if (!ReadFile(static_cast<HANDLE>(file), head, 6, &got, nullptr) || got != 6) return 0;
    return std::memcmp(head, "TSPI", 4) == 0 ? 1 : 0;
}

#ifndef TESTSPI_NOINFO
PLUGIN_EXPORT int WINAPI GetPictureInfo(LPCSTR name, LONG_PTR, unsigned int, TSusiePictureInfo* info) {
    uint8_t head[6];
    if (!ReadHead(name, head)) return 2;
    info->Left = info->Top = 0;
    info->Width = head[4];
    info->Height = head[5];
    info->ColorDepth = 8;
    HLOCAL text = LocalAlloc(LMEM_MOVEABLE, 5);
    std::memcpy(LocalLock(text), "test", 5);
    LocalUnlock(text);
    info->HInfo = text;
    return 0;
}
#endif

#ifndef TESTSPI_NOPICTURE
PLUGIN_EXPORT int WINAPI GetPicture(LPCSTR name, LONG_PTR, unsigned int, HANDLE* infoOut, HANDLE* bitsOut, FARPROC,
                                    LONG_PTR) {
#if defined(TESTSPI_FAILING)
    return 2;
#elif defined(TESTSPI_CRASHING)
    FaultUnderCleanup();
    return 0;
#else
#if defined(TESTSPI_SELFGUARDED)
    if (ReadThroughNull() != gMended) return 2;
#endif
    uint8_t head[6];
    if (!ReadHead(name, head)) return 2;
    const int w = head[4], h = head[5], stride = (w + 3) & ~3;
    // A block larger than the header and colours need, as allocators often give.
    HLOCAL info = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, sizeof(BITMAPINFOHEADER) + 256 * 4 + 64);
    HLOCAL bits = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, static_cast<SIZE_T>(stride) * h);
    auto* bi = static_cast<BITMAPINFO*>(LocalLock(info));
    bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi->bmiHeader.biWidth = w;
    bi->bmiHeader.biHeight = h;
    bi->bmiHeader.biPlanes = 1;
    bi->bmiHeader.biBitCount = 8;
    for (int i = 0; i < 256; ++i) {
        bi->bmiColors[i].rgbRed = static_cast<BYTE>(i);
        bi->bmiColors[i].rgbGreen = static_cast<BYTE>(255 - i);
        bi->bmiColors[i].rgbBlue = static_cast<BYTE>((5 * i) & 255);
    }
    auto* p = static_cast<uint8_t*>(LocalLock(bits));
    for (int row = 0; row < h; ++row) {
        const int y = h - 1 - row;  // rows are stored bottom-up
        for (int x = 0; x < w; ++x) p[row * stride + x] = static_cast<uint8_t>((7 * x + 3 * y) & 255);
    }
    LocalUnlock(info);
    LocalUnlock(bits);
    *infoOut = info;
    *bitsOut = bits;
    return 0;
#endif
}
#endif
