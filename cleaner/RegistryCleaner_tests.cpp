#include "cleaner/RegistryCleaner.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

// A registry of key paths (with default texts) under the two roots.
class TFakeRegistry : public TCleanerRegistry {
public:
    void Add(TCleanerRoot root, const std::string& path, const std::string& text = "") {
        for (std::size_t p = path.find('\\'); p != std::string::npos; p = path.find('\\', p + 1))
            Keys[root].insert(path.substr(0, p));
        Keys[root].insert(path);
        if (!text.empty()) Texts[{root, path}] = text;
    }
    bool Has(TCleanerRoot root, const std::string& path) { return Keys[root].count(path) > 0; }
    bool KeyExists(TCleanerRoot root, const std::string& path) override { return Has(root, path); }
    std::optional<std::string> DefaultText(TCleanerRoot root, const std::string& path) override {
        auto it = Texts.find({root, path});
        if (it == Texts.end()) return std::nullopt;
        return it->second;
    }
    bool DeleteTree(TCleanerRoot root, const std::string& path) override {
        Deleted.push_back(path);
        if (Locked.count(path)) return false;
        auto& keys = Keys[root];
        for (auto it = keys.begin(); it != keys.end();)
            it = (*it == path || it->rfind(path + "\\", 0) == 0) ? keys.erase(it) : std::next(it);
        return true;
    }
    std::map<TCleanerRoot, std::set<std::string>> Keys;
    std::map<std::pair<TCleanerRoot, std::string>, std::string> Texts;
    std::set<std::string> Locked;
    std::vector<std::string> Deleted;
};

constexpr auto CU = TCleanerRoot::CurrentUser;
constexpr auto CR = TCleanerRoot::ClassesRoot;
const std::string kOurs = "\"C:\\Program Files\\Tamsolo\\Tamsolo.EXE\" \"%1\"";

// The state Tamsolo leaves after a start, a close and the four association buttons.
void AddTamsoloState(TFakeRegistry& r) {
    r.Add(CU, "Software\\Brannoch\\Tamsolo\\Sub");
    r.Add(CR, "Paint.Picture\\shell\\Tamsolo\\command", kOurs);
    for (const char* c : {"IcoFile", "CurFile", "AnimationPointer"}) {
        r.Add(CR, std::string(c) + "\\DefaultIcon", "%1");
        r.Add(CR, std::string(c) + "\\shell\\open\\command", kOurs);
    }
}

TEST(RegistryCleaner, RecognisesTamsolosCommandOnly) {
    for (const char* c : {"\"C:\\x y\\Tamsolo.EXE\" \"%1\"", "C:\\t\\tamsolo.exe %1", "Tamsolo.exe"})
        EXPECT_TRUE(CommandRunsTamsolo(c)) << c;
    for (const char* c : {"", "\"C:\\x\\Tamsolo.EXE", "C:\\x\\NotTamsolo.exe \"%1\"", "\"C:\\Tamsolo.EXE\\viewer.exe\" %1",
                          "rundll32.exe C:\\Tamsolo.EXE"})
        EXPECT_FALSE(CommandRunsTamsolo(c)) << c;
}

TEST(RegistryCleaner, DeletesTamsolosKeysOnceAndKeepsWhatOthersOwn) {
    TFakeRegistry r;
    AddTamsoloState(r);
    r.Add(CU, "Software\\Brannoch\\Other");
    EXPECT_EQ(CleanTamsoloState(r), TCleanOutcome::Deleted);
    EXPECT_FALSE(r.Has(CU, "Software\\Brannoch\\Tamsolo"));
    EXPECT_FALSE(r.Has(CU, "Software\\Brannoch\\Tamsolo\\Sub"));
    EXPECT_TRUE(r.Has(CU, "Software\\Brannoch\\Other"));
    EXPECT_FALSE(r.Has(CR, "Paint.Picture\\shell\\Tamsolo"));
    for (const char* c : {"IcoFile", "CurFile", "AnimationPointer"}) {
        EXPECT_FALSE(r.Has(CR, std::string(c) + "\\shell\\open")) << c;
        EXPECT_TRUE(r.Has(CR, std::string(c) + "\\shell")) << c;
        EXPECT_TRUE(r.Has(CR, std::string(c) + "\\DefaultIcon")) << c;
    }
    // The class keys are still there, but nothing of Tamsolo's is.
    EXPECT_EQ(CleanTamsoloState(r), TCleanOutcome::NothingFound);
    TFakeRegistry empty;
    EXPECT_EQ(CleanTamsoloState(empty), TCleanOutcome::NothingFound);
}

TEST(RegistryCleaner, LeavesAnotherProgramsOpenVerb) {
    TFakeRegistry r;
    r.Add(CR, "IcoFile\\shell\\open\\command", "\"C:\\Viewer\\view.exe\" \"%1\"");
    r.Add(CR, "CurFile\\shell\\open");  // a verb without a command
    EXPECT_EQ(CleanTamsoloState(r), TCleanOutcome::NothingFound);
    EXPECT_TRUE(r.Deleted.empty());
    EXPECT_TRUE(r.Has(CR, "IcoFile\\shell\\open\\command"));
}

TEST(RegistryCleaner, ReportsAFailureAndGoesOnWithTheOtherSteps) {
    TFakeRegistry r;
    AddTamsoloState(r);
    r.Locked.insert("Paint.Picture\\shell\\Tamsolo");
    EXPECT_EQ(CleanTamsoloState(r), TCleanOutcome::Failed);
    EXPECT_EQ(r.Deleted.size(), 5u);
    EXPECT_FALSE(r.Has(CR, "AnimationPointer\\shell\\open"));
    EXPECT_EQ(CleanOutcomeMessage(TCleanOutcome::NothingFound), "すでに消去されています。");
    EXPECT_EQ(CleanOutcomeMessage(TCleanOutcome::Deleted), "正常に消去されました。");
}

} // namespace
