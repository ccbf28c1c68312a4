#include "ui/Registry.h"

std::wstring TRegistry::KeyPath(const std::string& key) {
    std::wstring w = W(key);
    while (!w.empty() && w.front() == L'\\') w.erase(w.begin());
    return w;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
    CloseKey();
    std::wstring path = KeyPath(key);
    HKEY k = nullptr;
    LONG r = canCreate ? RegCreateKeyExW(FRoot, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr)
                       : RegOpenKeyExW(FRoot, path.c_str(), 0, KEY_ALL_ACCESS, &k);
    if (r != ERROR_SUCCESS) return false;
    FKey = k;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
    CloseKey();
    HKEY k = nullptr;
    if (RegOpenKeyExW(FRoot, KeyPath(key).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    FKey = k;
    return true;
}

void TRegistry::CloseKey() {
    if (FKey) RegCloseKey(FKey);
    FKey = nullptr;
}

bool TRegistry::KeyExists(const std::string& key) const {
    HKEY k = nullptr;
    if (RegOpenKeyExW(FKey ? FKey : FRoot, KeyPath(key).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

namespace {
LONG DeleteTree(HKEY parent, const std::wstring& name) {
    HKEY k = nullptr;
    LONG r = RegOpenKeyExW(parent, name.c_str(), 0, KEY_ALL_ACCESS, &k);
    if (r != ERROR_SUCCESS) return r;
    wchar_t sub[256];
    for (;;) {
        DWORD len = 256;
        if (RegEnumKeyExW(k, 0, sub, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (DeleteTree(k, sub) != ERROR_SUCCESS) break;
    }
    RegCloseKey(k);
    return RegDeleteKeyW(parent, name.c_str());
}
} // namespace

bool TRegistry::DeleteKey(const std::string& key) {
    return DeleteTree(FKey ? FKey : FRoot, KeyPath(key)) == ERROR_SUCCESS;
}

bool TRegistry::DeleteValue(const std::string& name) {
    return FKey && RegDeleteValueW(FKey, W(name).c_str()) == ERROR_SUCCESS;
}

bool TRegistry::ValueExists(const std::string& name) const {
    return FKey && RegQueryValueExW(FKey, W(name).c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::string TRegistry::ReadString(const std::string& name) const {
    if (!FKey) return {};
    DWORD type = 0, size = 0;
    std::wstring wname = W(name);
    if (RegQueryValueExW(FKey, wname.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ) throw ERegistryException("Invalid data type for '" + name + "'");
    std::wstring buf(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
    if (RegQueryValueExW(FKey, wname.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &bytes) !=
        ERROR_SUCCESS)
        return {};
    buf.resize(bytes / sizeof(wchar_t));
    while (!buf.empty() && buf.back() == L'\0') buf.pop_back();
    return U(buf);
}

int TRegistry::ReadInteger(const std::string& name) const {
    if (!FKey) throw ERegistryException("Invalid data type for '" + name + "'");
    DWORD type = 0, value = 0, size = sizeof value;
    LONG r = RegQueryValueExW(FKey, W(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (r != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value)
        throw ERegistryException("Invalid data type for '" + name + "'");
    return static_cast<int>(value);
}

void TRegistry::WriteString(const std::string& name, const std::string& value) { WriteText(name, value, REG_SZ); }

void TRegistry::WriteExpandString(const std::string& name, const std::string& value) {
    WriteText(name, value, REG_EXPAND_SZ);
}

DWORD TRegistry::GetDataType(const std::string& name) const {
    DWORD type = REG_NONE;
    if (!FKey || RegQueryValueExW(FKey, W(name).c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
        return REG_NONE;
    return type;
}

void TRegistry::WriteText(const std::string& name, const std::string& value, DWORD type) {
    std::wstring w = W(value);
    std::wstring wname = W(name);
    LONG r = FKey ? RegSetValueExW(FKey, name.empty() ? nullptr : wname.c_str(), 0, type,
                                   reinterpret_cast<const BYTE*>(w.c_str()),
                                   static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t)))
                  : ERROR_INVALID_HANDLE;
    if (r != ERROR_SUCCESS) throw ERegistryException("Failed to set data for '" + name + "'");
}

void TRegistry::WriteInteger(const std::string& name, int value) {
    DWORD v = static_cast<DWORD>(value);
    LONG r = FKey ? RegSetValueExW(FKey, W(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v)
                  : ERROR_INVALID_HANDLE;
    if (r != ERROR_SUCCESS) throw ERegistryException("Failed to set data for '" + name + "'");
}

std::vector<std::string> TRegistry::GetKeyNames() const {
    std::vector<std::string> out;
    if (!FKey) return out;
    wchar_t buf[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = 256;
        if (RegEnumKeyExW(FKey, i, buf, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        out.push_back(U(std::wstring(buf, len)));
    }
    return out;
}

std::vector<std::string> TRegistry::GetValueNames() const {
    std::vector<std::string> out;
    if (!FKey) return out;
    wchar_t buf[16384];
    for (DWORD i = 0;; ++i) {
        DWORD len = 16384;
        if (RegEnumValueW(FKey, i, buf, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        out.push_back(U(std::wstring(buf, len)));
    }
    return out;
}
