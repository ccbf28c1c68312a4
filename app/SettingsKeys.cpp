#include "app/SettingsKeys.h"

const char* const kSettingsKey = "Software\\Brannoch\\Tamsolo";
const char* const kSusieKey = "Software\\Halvik\\Susie\\Plug-in";

TSettingsKeys TSettingsKeys::Program() { return {kSettingsKey, kSusieKey}; }

const char* TSettingsKeys::TestKeysRoot() { return "Software\\Brannoch\\TamsoloTests"; }

TSettingsKeys TSettingsKeys::ForTest(const std::string& name) {
    std::string root = std::string(TestKeysRoot()) + "\\" + name;
    return {root + "\\Settings", root + "\\Susie"};
}
