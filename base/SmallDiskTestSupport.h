#pragma once
// Tests: folders of the host system. THostFolder is a fresh folder below /tmp that the test
// reaches by its own name (through drive Z: under Wine) and the host's shell by its Unix
// name, so that a test can make what only the host makes (symbolic links, mounts); Wine
// runs host programs from CreateProcess. TSmallDisk is a real, tiny disk (a 64 KiB tmpfs)
// that a test can fill to the last byte. Mounting needs root; where it is refused,
// Folder() is empty and Reason() says why, so the test can skip.
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

class THostFolder {
public:
    // Makes /tmp/tamsolo-<name>-<process> (empty); Unix() is "" when the host shell could not.
    explicit THostFolder(const std::string& name, bool make = true)
        : FUnixDir("/tmp/tamsolo-" + name + "-" + std::to_string(ProcessId())), FOut(FUnixDir + ".out") {
#ifdef _WIN32
        FFolder = "Z:" + FUnixDir + "/";
        for (char& c : FFolder)
            if (c == '/') c = '\\';
#else
        FFolder = FUnixDir + "/";
#endif
        if (make && Shell("rm -rf " + FUnixDir + " && mkdir -p " + FUnixDir + " && echo made") != "made") FUnixDir.clear();
    }
    ~THostFolder() {
        if (FMade && !FUnixDir.empty()) Shell("rm -rf " + FUnixDir + "; echo done");
    }
    THostFolder(const THostFolder&) = delete;
    THostFolder& operator=(const THostFolder&) = delete;

    // The folder with a trailing separator, as this program names it.
    const std::string& Folder() const { return FFolder; }
    const std::string& Unix() const { return FUnixDir; }

    // Runs a host shell command in the folder and returns the first line it printed.
    std::string Shell(const std::string& command) {
        const std::string& out = FOut;
        const std::string inside = "cd " + FUnixDir + " 2>/dev/null; " + command;
#ifdef _WIN32
        const std::string windowsOut = "Z:" + out;
        DeleteFileA(windowsOut.c_str());
        std::string line = "/bin/sh -c \"(" + inside + ") > " + out + ".part 2>&1; mv " + out + ".part " + out + "\"";
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
        std::system(("(" + inside + ") > " + out + " 2>&1").c_str());
        std::vector<uint8_t> bytes;
        ReadWholeFile(out, bytes, 4096);
        std::remove(out.c_str());
#endif
        FMade = true;
        std::string text(bytes.begin(), bytes.end());
        return text.substr(0, text.find('\n'));
    }

private:
    static unsigned long ProcessId() {
#ifdef _WIN32
        return GetCurrentProcessId();
#else
        return static_cast<unsigned long>(getpid());
#endif
    }

    std::string FUnixDir;
    std::string FOut;  // where the shell's output lands
    std::string FFolder;
    bool FMade = false;
};

class TSmallDisk {
public:
    static constexpr int64_t kBytes = 64 * 1024;

    TSmallDisk() : FHost("smalldisk", false) {
        const std::string dir = FHost.Unix();
        const std::string result = FHost.Shell("mkdir -p " + dir + " && mount -t tmpfs -o size=64k tmpfs " + dir +
                                               " && echo mounted || { rmdir " + dir + "; echo refused; }");
        if (result.rfind("mounted", 0) != 0) {
            FReason = "no tmpfs could be mounted here (" + (result.empty() ? std::string("no shell") : result) + ")";
            return;
        }
        FMounted = true;
        FFolder = FHost.Folder();
    }
    ~TSmallDisk() {
        if (FMounted) FHost.Shell("cd /; umount -l " + FHost.Unix() + "; rmdir " + FHost.Unix() + "; echo done");
    }
    TSmallDisk(const TSmallDisk&) = delete;
    TSmallDisk& operator=(const TSmallDisk&) = delete;

    // The disk's root with a trailing separator, empty when nothing was mounted.
    const std::string& Folder() const { return FFolder; }
    const std::string& Reason() const { return FReason; }

    // Takes every free byte but the last `leave` bytes (whole pages) with a file of its own:
    // afterwards no file on the disk can grow beyond them.
    bool Fill(int64_t leave = 0) {
        if (leave > 0) {
            const std::vector<char> spare(static_cast<std::size_t>(leave), 's');
            if (!WriteWholeFile(FFolder + "spare", spare.data(), spare.size())) return false;
        }
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
        if (leave > 0 && !DeleteFileUtf8(FFolder + "spare")) return false;
        return written > 0 && written <= kBytes;  // more would mean the writes were never refused
    }

private:
    THostFolder FHost;
    std::string FFolder;
    std::string FReason;
    bool FMounted = false;
};
