#pragma once
// Tests: a save file that runs out of room at byte N, put under every safe save, and
// replace steps that fail.
#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "base/Stream.h"

// Wraps the real file. Bytes up to the limit go through; a write that would pass it either
// fails (Refuse) or reports success while only its bytes up to the limit land (Drop: what
// a buffered runtime did on a full disk), so that only the check on disk can tell.
class TFullSaveFile : public TSaveFile {
public:
    enum TKind { Refuse, Drop };
    TFullSaveFile(const std::string& path, int64_t limit, TKind kind)
        : FFile(CreateSaveFile(path)), FLimit(limit), FKind(kind) {}
    bool Write(const void* buffer, int64_t count) override {
        const int64_t at = FFile->Seek(0, TSeekOrigin::soCurrent);
        const int64_t fits = std::clamp<int64_t>(FLimit - at, 0, count);
        if (fits < count && FKind == Refuse) return false;
        if (fits > 0 && !FFile->Write(buffer, fits)) return false;
        if (fits < count) FFile->Seek(count - fits, TSeekOrigin::soCurrent);  // as though written
        return true;
    }
    int64_t Read(void* buffer, int64_t count) override { return FFile->Read(buffer, count); }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override { return FFile->Seek(offset, origin); }
    bool SetSize(int64_t size) override { return FFile->SetSize(size); }
    bool Close(int64_t size) override { return FFile->Close(size); }

private:
    std::unique_ptr<TSaveFile> FFile;
    int64_t FLimit;
    TKind FKind;
};

// While it lives, every safe save runs out of room at byte limit.
struct TFullDiskScope {
    TFullDiskScope(int64_t limit, TFullSaveFile::TKind kind) {
        SetSaveFileFactory([limit, kind](const std::string& path) {
            return std::make_unique<TFullSaveFile>(path, limit, kind);
        });
    }
    ~TFullDiskScope() { SetSaveFileFactory(nullptr); }
    TFullDiskScope(const TFullDiskScope&) = delete;
    TFullDiskScope& operator=(const TFullDiskScope&) = delete;
};

// While it lives, the replace steps of every safe save ask fails(step, target, n) first,
// n counting the steps of that kind from 0: true makes the step fail. Files a failed
// replace left from before are forgotten, and so are those it leaves when it ends.
struct TFailingReplaceScope {
    using TRule = std::function<bool(TReplaceStep step, const std::string& target, int n)>;
    explicit TFailingReplaceScope(TRule fails) {
        TakeLeftFiles();
        SetReplaceStepHook([fails = std::move(fails), counts = std::make_shared<std::array<int, 3>>()](
                               TReplaceStep step, const std::string& target) {
            return !fails(step, target, (*counts)[static_cast<std::size_t>(step)]++);
        });
    }
    ~TFailingReplaceScope() {
        SetReplaceStepHook(nullptr);
        TakeLeftFiles();
    }
    TFailingReplaceScope(const TFailingReplaceScope&) = delete;
    TFailingReplaceScope& operator=(const TFailingReplaceScope&) = delete;
};
