#pragma once
// The system cursor schemes as the settings page edits them: the fifteen cursor roles,
// the scheme value texts ("file,file,...", one field per role), and the page's working
// state (the schemes, the role files, one level of undo) with the rules of each command.
// The window code reads the registry into a TCursorSchemes, runs the commands and writes
// back what TCursorSchemes says has changed.
#include <array>
#include <map>
#include <string>
#include <vector>

constexpr int kCursorRoleCount = 15;

// Registry value names of the roles under "Control Panel\Cursors", in role order.
extern const std::array<const char*, kCursorRoleCount> CursorRoleNames;
// The lines of the role list, in role order.
extern const std::array<const char*, kCursorRoleCount> kCursorRoleLines;

// The text shown when there is no active scheme.
extern const char* const kNoSchemeName;  // "(なし)"

// Scheme names compare without regard to ASCII case, as the registry compares value names.
bool SameSchemeName(const std::string& a, const std::string& b);
// Position of name among names (case-insensitive), or -1.
int FindSchemeName(const std::vector<std::string>& names, const std::string& name);

// The files of the roles joined with "," in role order.
std::string JoinSchemeFiles(const std::vector<std::string>& files);

struct TSchemeFields {
    std::vector<std::string> Files;  // always kCursorRoleCount entries; missing fields are ""
    // Roles without a field, not counting the first such role (a value that lacks only
    // the last field is accepted as written by older versions).
    int MissingReported = 0;
};
// Splits a scheme value at every ","; only the first fifteen fields are used.
TSchemeFields SplitSchemeValue(const std::string& value);

// A registry text that names environment variables ("%SystemRoot%\...") is stored as an
// expandable string.
bool IsExpandableText(const std::string& text);

// What applying writes under "Control Panel\Cursors\Schemes": values to write (new names,
// and existing ones whose data differ) and value names to delete (no longer a scheme).
struct TSchemeStorePlan {
    std::vector<std::pair<std::string, std::string>> Write;
    std::vector<std::string> Delete;
};

class TCursorSchemes {
public:
    enum class TAddCheck { Ok, NoName, Exists };

    // The state read at start: the named schemes (names and their values, parallel), the
    // active scheme name ("" shows as "(なし)") and the role files (missing ones "").
    void Load(std::vector<std::string> names, std::vector<std::string> values, const std::string& active,
              std::vector<std::string> roleFiles);

    const std::vector<std::string>& Names() const { return FNames; }
    const std::vector<std::string>& Values() const { return FValues; }
    const std::vector<std::string>& Files() const { return FFiles; }
    const std::vector<std::string>& UndoFiles() const { return FUndoFiles; }
    const std::string& File(int role) const { return FFiles.at(static_cast<std::size_t>(role)); }
    const std::string& Text() const { return FText; }
    const std::string& PrevScheme() const { return FPrevScheme; }

    // The user edits the combo text (no scheme is taken by that alone).
    void SetText(const std::string& text) { FText = text; }
    // The drop-down list opens: the text of that moment is what a pick can undo to.
    void DropDown() { FDropDownScheme = FText; }
    // The combo text changed to text by the user: when it names a scheme, its files become
    // the role files (the previous ones kept for undo) and the result is true with
    // missingReported set as SplitSchemeValue counts it; otherwise nothing changes.
    bool SelectScheme(const std::string& text, int& missingReported);

    TAddCheck CanAdd() const;
    // Adds the combo text as a scheme of the current role files (after CanAdd() == Ok).
    void Add();
    // The combo text names a scheme that can be deleted.
    bool CanDelete() const { return FindSchemeName(FNames, FText) >= 0; }
    // Removes that scheme; the text becomes "(なし)", the role files stay.
    void Delete();
    // Swaps the text and the role files with the undo copies (pressing again swaps back).
    void Undo();
    // Gives one role the standard cursor, or a file; the state before is kept for undo.
    void SetStandard(int role) { SetFile(role, std::string()); }
    void SetFile(int role, const std::string& file);

    // The active scheme name to store: the text when it names a scheme, else "".
    std::string ActiveNameToStore() const;
    // Roles whose stored value (stored[role], "" when absent) differs from the role file
    // in any byte.
    std::vector<int> RolesToStore(const std::vector<std::string>& stored) const;
    // The changes to the stored schemes (value name -> data as read) that make them the
    // schemes of the page.
    TSchemeStorePlan SchemesToStore(const std::map<std::string, std::string>& stored) const;

private:
    void KeepUndo();
    std::vector<std::string> FNames;       // items of the scheme combo
    std::vector<std::string> FValues;      // parallel to FNames: each scheme's value text
    std::vector<std::string> FFiles;       // the file of each role as edited
    std::vector<std::string> FUndoFiles;   // the role files before the last change
    std::string FText;                     // the combo text
    std::string FPrevScheme;               // the combo text before the last change
    std::string FDropDownScheme;           // the combo text when its list was opened
};
