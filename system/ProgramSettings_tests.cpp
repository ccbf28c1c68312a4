#include "system/ProgramSettings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <stdexcept>
#include <variant>
#include <vector>

namespace {

// A store like the registry key: strings and integers by name, in the order written.
class TTableStore : public TSettingsStore {
public:
    using Value = std::variant<std::string, int>;
    std::map<std::string, Value> Values;
    std::vector<std::string> Order;  // names as read or written

    std::string ReadString(const std::string& name) override {
        Order.push_back(name);
        auto it = Values.find(name);
        if (it == Values.end()) return {};
        if (!std::holds_alternative<std::string>(it->second)) throw std::runtime_error("not a string: " + name);
        return std::get<std::string>(it->second);
    }
    int ReadInteger(const std::string& name) override {
        Order.push_back(name);
        auto it = Values.find(name);
        if (it == Values.end() || !std::holds_alternative<int>(it->second)) throw std::runtime_error("no integer: " + name);
        return std::get<int>(it->second);
    }
    bool ReadBool(const std::string& name) override { return ReadInteger(name) != 0; }
    void WriteString(const std::string& name, const std::string& v) override { Write(name, v); }
    void WriteInteger(const std::string& name, int v) override { Write(name, v); }
    void WriteBool(const std::string& name, bool v) override { Write(name, v ? 1 : 0); }

private:
    void Write(const std::string& name, Value v) {
        Order.push_back(name);
        Values[name] = std::move(v);
    }
};

const std::vector<std::string> kAllNames = {"EXEPATH", "PATH",     "NODLG",    "COLOR",  "RESIZE", "REDUCE",
                                            "SPIPATH", "CUSTOM_P", "CUSTOM_F", "HENPEI", "GRID",   "PALSEL",
                                            "PALRGB",  "PALCMY",   "PALHSL",   "TRANSM"};

// A record in which every value differs from its start value.
TProgramSettings EveryValueSet() {
    TProgramSettings s;
    s.ExePath = "C:\\T\\Tamsolo.exe";
    s.Path = "D:\\カーソル\\";
    s.Import = TImportSettings{true, 0x00ABCDEF, true, true, true};
    s.PluginFolder = "C:\\spi";
    s.Pen = TCustomCursorSetting{true, "C:\\pen.cur"};
    s.Fill = TCustomCursorSetting{true, "C:\\fill.ani"};
    s.Editor = TEditorViewSettings{true, true, true, true, true, true};
    return s;
}

} // namespace

TEST(ProgramSettings, TheSixteenValuesGoOutAndComeBackInOrder) {
    TTableStore store;
    WriteProgramSettings(store, EveryValueSet(), true);
    EXPECT_EQ(store.Order, kAllNames);
    EXPECT_EQ(std::get<int>(store.Values["COLOR"]), 0x00ABCDEF);
    EXPECT_EQ(std::get<std::string>(store.Values["PATH"]), "D:\\カーソル\\");

    store.Order.clear();
    TProgramSettings back;
    ASSERT_TRUE(ReadProgramSettings(store, back, true));
    EXPECT_EQ(store.Order, kAllNames);
    TProgramSettings want = EveryValueSet();
    want.Pen.Use = want.Fill.Use = false;  // used again only once the files are checked
    EXPECT_EQ(back, want);
}

TEST(ProgramSettings, ConditionalValuesAreReadAndWrittenOnlyWhenTheyMayBe) {
    TTableStore store;
    TProgramSettings s = EveryValueSet();
    s.Pen.Use = false;  // an unused cursor's file is stored as ""
    WriteProgramSettings(store, s, false);
    EXPECT_EQ(store.Values.count("EXEPATH"), 0u);
    EXPECT_EQ(std::get<std::string>(store.Values["CUSTOM_P"]), "");
    EXPECT_EQ(std::get<std::string>(store.Values["CUSTOM_F"]), "C:\\fill.ani");
    s.ExePath.clear();
    WriteProgramSettings(store, s, true);  // no path known: none written
    EXPECT_EQ(store.Values.count("EXEPATH"), 0u);

    store.Values["EXEPATH"] = std::string("C:\\stored.exe");
    store.Values["SPIPATH"] = std::string("C:\\stored-spi");
    TProgramSettings found;
    found.ExePath = "C:\\running.exe";  // the running module wins over a stored path
    found.PluginFolder = "C:\\susie";   // the plug-in viewer's folder wins over SPIPATH
    store.Order.clear();
    ASSERT_TRUE(ReadProgramSettings(store, found, true));
    EXPECT_EQ(found.ExePath, "C:\\running.exe");
    EXPECT_EQ(found.PluginFolder, "C:\\susie");
    EXPECT_EQ(std::count(store.Order.begin(), store.Order.end(), "SPIPATH"), 0);

    TProgramSettings empty;
    ASSERT_TRUE(ReadProgramSettings(store, empty, true));
    EXPECT_EQ(empty.ExePath, "C:\\stored.exe");
    EXPECT_EQ(empty.PluginFolder, "C:\\stored-spi");
    TProgramSettings notAsked;
    ASSERT_TRUE(ReadProgramSettings(store, notAsked, false));
    EXPECT_EQ(notAsked.ExePath, "");
}

TEST(ProgramSettings, AValueThatCannotBeReadEndsTheReadingAndLeavesTheFallBacks) {
    // Each integer or boolean in turn absent or stored as a string: the values before it
    // are taken, the ones after keep their start values, and the plug-in folder is "C:\".
    const std::vector<std::string> numbers = {"NODLG",  "COLOR",  "RESIZE", "REDUCE", "HENPEI", "GRID",
                                              "PALSEL", "PALRGB", "PALCMY", "PALHSL", "TRANSM"};
    for (const std::string& bad : numbers) {
        for (bool asString : {false, true}) {
            SCOPED_TRACE(bad + (asString ? " as a string" : " absent"));
            TTableStore store;
            WriteProgramSettings(store, EveryValueSet(), true);
            if (asString)
                store.Values[bad] = std::string("1");
            else
                store.Values.erase(bad);
            TProgramSettings s;
            EXPECT_FALSE(ReadProgramSettings(store, s, true));
            EXPECT_EQ(s.PluginFolder, kFallbackPluginFolder);
            EXPECT_EQ(s.Path, "D:\\カーソル\\");  // read before any number
            EXPECT_EQ(store.Order.back(), bad);  // nothing after it is read
            const auto at = [&](const char* name) {
                return std::find(kAllNames.begin(), kAllNames.end(), name) - kAllNames.begin();
            };
            const bool colourRead = at("COLOR") < at(bad.c_str());
            EXPECT_EQ(s.Import.DefaultColour, colourRead ? 0x00ABCDEF : clTeal);
            EXPECT_EQ(s.Import.NoDialog, at("NODLG") < at(bad.c_str()));
            EXPECT_EQ(s.Pen.File, at("CUSTOM_P") < at(bad.c_str()) ? "C:\\pen.cur" : "");
            EXPECT_EQ(s.Editor.TransMode, false);  // the last value: never read on failure
        }
    }

    // An absent string reads as empty and is no failure.
    TTableStore store;
    WriteProgramSettings(store, EveryValueSet(), true);
    store.Values.erase("CUSTOM_F");
    TProgramSettings s;
    EXPECT_TRUE(ReadProgramSettings(store, s, true));
    EXPECT_EQ(s.Fill.File, "");
}
