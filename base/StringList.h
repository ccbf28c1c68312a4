#pragma once
// An ordered list of UTF-8 strings with the operations the program uses.
#include <string>
#include <vector>

class TStringList {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    const std::string& operator[](int i) const { return FItems.at(static_cast<std::size_t>(i)); }
    std::string& operator[](int i) { return FItems.at(static_cast<std::size_t>(i)); }
    int Add(const std::string& s) {
        FItems.push_back(s);
        return Count() - 1;
    }
    void Insert(int i, const std::string& s) { FItems.insert(FItems.begin() + i, s); }
    void Delete(int i) { FItems.erase(FItems.begin() + i); }
    void Clear() { FItems.clear(); }
    // Exact (case-sensitive) match, -1 when absent.
    int IndexOf(const std::string& s) const {
        for (int i = 0; i < Count(); ++i)
            if (FItems[static_cast<std::size_t>(i)] == s) return i;
        return -1;
    }
    void Move(int from, int to) {
        std::string s = FItems.at(static_cast<std::size_t>(from));
        Delete(from);
        Insert(to, s);
    }
    const std::vector<std::string>& Items() const { return FItems; }

private:
    std::vector<std::string> FItems;
};
