#include "cleaner/RegistryCleaner.h"

#include "base/Text.h"

const TCleanerStep kCleanerSteps[5] = {
    {TCleanerRoot::CurrentUser, "Software\\Brannoch", "Tamsolo", false},
    {TCleanerRoot::ClassesRoot, "Paint.Picture\\shell", "Tamsolo", false},
    {TCleanerRoot::ClassesRoot, "IcoFile\\shell", "open", true},
    {TCleanerRoot::ClassesRoot, "CurFile\\shell", "open", true},
    {TCleanerRoot::ClassesRoot, "AnimationPointer\\shell", "open", true},
};

bool CommandRunsTamsolo(const std::string& command) {
    std::size_t start = command.find_first_not_of(" \t");
    if (start == std::string::npos) return false;
    std::string program;
    if (command[start] == '"') {
        const std::size_t end = command.find('"', start + 1);
        if (end == std::string::npos) return false;
        program = command.substr(start + 1, end - start - 1);
    } else {
        const std::size_t end = command.find_first_of(" \t", start);
        program = command.substr(start, end == std::string::npos ? std::string::npos : end - start);
    }
    const std::size_t slash = program.find_last_of("\\/");
    return LowerAscii(slash == std::string::npos ? program : program.substr(slash + 1)) == "tamsolo.exe";
}

TCleanOutcome CleanTamsoloState(TCleanerRegistry& registry) {
    bool deleted = false, failed = false;
    for (const TCleanerStep& step : kCleanerSteps) {
        const std::string path = std::string(step.Key) + "\\" + step.SubKey;
        if (!registry.KeyExists(step.Root, step.Key) || !registry.KeyExists(step.Root, path)) continue;
        if (step.OnlyTamsoloCommand) {
            const std::optional<std::string> command = registry.DefaultText(step.Root, path + "\\command");
            if (!command || !CommandRunsTamsolo(*command)) continue;  // another program's verb
        }
        if (registry.DeleteTree(step.Root, path))
            deleted = true;
        else
            failed = true;
    }
    if (failed) return TCleanOutcome::Failed;
    return deleted ? TCleanOutcome::Deleted : TCleanOutcome::NothingFound;
}

std::string CleanOutcomeMessage(TCleanOutcome outcome) {
    switch (outcome) {
    case TCleanOutcome::Deleted: return "正常に消去されました。";
    case TCleanOutcome::NothingFound: return "すでに消去されています。";
    case TCleanOutcome::Failed: return "レジストリの一部を消去できませんでした。";
    }
    return "";
}
