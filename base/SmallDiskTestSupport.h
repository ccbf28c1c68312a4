#pragma once
// Tests: a real, tiny disk (a 64 KiB tmpfs) that a test can fill to the last byte. Mounting
// needs root; where it is refused, Folder() is empty and Reason() says why, so the test
// can skip. Windows test programs under Wine reach the mount through drive Z: and start
// the host's shell to mount it (Wine runs host programs from CreateProcess).
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#include <unistd.h>
#endif

#include "base/Stream.h"

class TSmallDisk {
public:
    static constexpr int64_t kBytes = 64 * 1024;

    TSmallDisk() {
        FUnixDir = "/tmp/tamsolo-smalldisk-" + std::to_string(ProcessId());
        const std::string result = Shell("mkdir -p " + FUnixDir + " && mount -t tmpfs -o size=64k tmpfs " + FUnixDir +
                                         " && echo mounted || { rmdir " + FUnixDir + "; echo refused; }");
        if (result.rfind("mounted", 0) != 0) {
            FReason = "no tmpfs could be mounted here (" + (result.empty() ? std::string("no shell") : result) + ")";
            return;
        }
        FMounted = true;
#ifdef _WIN32
        FFolder = "Z:" + FUnixDir + "/";
        for (char& c : FFolder)
            if (c == '/') c = '\\';
#else
        FFolder = FUnixDir + "/";
#endif
    }
    ~TSmallDisk() {
        if (FMounted) Shell("umount -l " + FUnixDir + "; rmdir " + FUnixDir + "; echo done");
    }
    TSmallDisk(const TSmallDisk&) = delete;
    TSmallDisk& operator=(const TSmallDisk&) = delete;

    // The disk's root with a trailing separator, empty when nothing was mounted.
    const std::string& Folder() const { return FFolder; }
    const std::string& Reason() const { return FReason; }

    // Takes every free byte with a file of its own: afterwards no file on the disk can grow.
    bool Fill() {
        std::unique_ptr<TSaveFile> f = CreateSaveFile(FFolder + "filler");
        const std::vector<char> block(4096, 'f');
        int64_t written = 0;
        for (int64_t chunk = 4096; chunk > 0 && written <= kBytes;) {
            if (f->Write(block.data(), chunk))
                written += chunk;
            else
                chunk /= 2;  // the last page fills in smaller steps
        }
        f->Close(-1);  // its size does not matter
        return written > 0 && written <= kBytes;  // more would mean the writes were never refused
    }

private:
    static unsigned long ProcessId() {
#ifdef _WIN32
        return GetCurrentProcessId();
#else
        return static_cast<unsigned long>(getpid());
#endif
    }

    // Runs a host shell command and returns the first line it printed.
    std::string Shell(const std::string& command) {
        const std::string out = FUnixDir + ".out";
#ifdef _WIN32
        const std::string windowsOut = "Z:" + out;
        DeleteFileA(windowsOut.c_str());
        std::string line = "/bin/sh -c \"(" + command + ") > " + out + ".part 2>&1; mv " + out + ".part " + out + "\"";
        std::wstring cmd(line.begin(), line.end());
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return "";
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        // The host program is not a Windows process that can be waited for: its output file
        // appears whole when it is done.
        std::vector<uint8_t> bytes;
        for (int i = 0; i < 200 && !ReadWholeFile(windowsOut, bytes, 4096); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        DeleteFileA(windowsOut.c_str());
#else
        std::system(("(" + command + ") > " + out + " 2>&1").c_str());
        std::vector<uint8_t> bytes;
        ReadWholeFile(out, bytes, 4096);
        std::remove(out.c_str());
#endif
        std::string text(bytes.begin(), bytes.end());
        return text.substr(0, text.find('\n'));
    }

    std::string FUnixDir;
    std::string FFolder;
    std::string FReason;
    bool FMounted = false;
};
