#pragma once
// The registry keys (under the current user) where the program keeps its settings and
// where it looks for the plug-in folder. The program uses Program(); a test gives keys
// of its own, so that running the tests never touches a user's settings.
#include <string>

struct TSettingsKeys {
    std::string Root;      // the program's settings
    std::string SusieKey;  // the plug-in viewer's key, value "Path": read, never written

    static TSettingsKeys Program();
    // Keys below TestKeysRoot() for the test named name.
    static TSettingsKeys ForTest(const std::string& name);
    // Every key a test may use lies below this one.
    static const char* TestKeysRoot();
};

// The program's own settings key, "Software\Brannoch\Tamsolo".
extern const char* const kSettingsKey;
// The plug-in viewer's key, "Software\Halvik\Susie\Plug-in".
extern const char* const kSusieKey;
