#pragma once
// TRegistry: one registry key at a time under a root key.
// Reading follows the rules the program relies on: an integer or boolean that is absent
// or of another type raises ERegistryException; an absent string reads as "".
#include <string>
#include <vector>

#include "base/Exception.h"
#include "ui/Win.h"

class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

class TRegistry {
public:
    explicit TRegistry(HKEY root = HKEY_CURRENT_USER) : FRoot(root) {}
    ~TRegistry() { CloseKey(); }
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    void SetRootKey(HKEY root) {
        CloseKey();
        FRoot = root;
    }
    // Opens a key below the root (a leading backslash is allowed); creates it when canCreate.
    bool OpenKey(const std::string& key, bool canCreate);
    bool OpenKeyReadOnly(const std::string& key);
    void CloseKey();
    bool KeyExists(const std::string& key) const;
    // Deletes a key with all its subkeys.
    bool DeleteKey(const std::string& key);
    bool DeleteValue(const std::string& name);
    bool ValueExists(const std::string& name) const;

    std::string ReadString(const std::string& name) const;
    int ReadInteger(const std::string& name) const;
    bool ReadBool(const std::string& name) const { return ReadInteger(name) != 0; }
    void WriteString(const std::string& name, const std::string& value);
    // Writes a string that names environment variables (REG_EXPAND_SZ); reading gives it
    // back unexpanded.
    void WriteExpandString(const std::string& name, const std::string& value);
    // The type of a value (REG_SZ, REG_DWORD, ...), or REG_NONE when it is absent.
    DWORD GetDataType(const std::string& name) const;
    void WriteInteger(const std::string& name, int value);
    void WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }
    std::vector<std::string> GetKeyNames() const;
    std::vector<std::string> GetValueNames() const;
    HKEY CurrentKey() const { return FKey; }

private:
    static std::wstring KeyPath(const std::string& key);
    void WriteText(const std::string& name, const std::string& value, DWORD type);
    HKEY FRoot;
    HKEY FKey = nullptr;  // owned
};
