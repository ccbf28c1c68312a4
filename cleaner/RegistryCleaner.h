#pragma once
// What Dunmorrow deletes, free of the registry API: Tamsolo's settings key and the shell
// verbs its options page registers. A verb under a file class is deleted only when its
// command runs Tamsolo.EXE, so another program's "open" verb is never touched.
#include <optional>
#include <string>
#include <vector>

enum class TCleanerRoot { CurrentUser, ClassesRoot };

struct TCleanerStep {
    TCleanerRoot Root;
    const char* Key;     // opened, never created
    const char* SubKey;  // deleted with all its subkeys
    bool OnlyTamsoloCommand;  // delete only when SubKey's "command" runs Tamsolo.EXE
};
extern const TCleanerStep kCleanerSteps[5];

// The registry as the cleaner uses it. Paths are below the root, separated by backslashes.
class TCleanerRegistry {
public:
    virtual ~TCleanerRegistry() = default;
    virtual bool KeyExists(TCleanerRoot root, const std::string& path) = 0;
    // The default value of a key; nullopt when the key or the value is absent.
    virtual std::optional<std::string> DefaultText(TCleanerRoot root, const std::string& path) = 0;
    // Deletes the key with all its subkeys; false when it could not.
    virtual bool DeleteTree(TCleanerRoot root, const std::string& path) = 0;
};

enum class TCleanOutcome {
    Deleted,       // at least one key deleted, no error
    NothingFound,  // nothing of Tamsolo's was there
    Failed,        // a key of Tamsolo's could not be deleted
};

// Whether a shell command runs Tamsolo.EXE (its program's file name, in any case).
bool CommandRunsTamsolo(const std::string& command);
// One deletion run over the five steps in order; a failing step does not stop the others.
TCleanOutcome CleanTamsoloState(TCleanerRegistry& registry);
// The message of an outcome.
std::string CleanOutcomeMessage(TCleanOutcome outcome);
