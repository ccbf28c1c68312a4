// The Windows side of the whole-file save: the temporary file replaces the target in one move.
#include <windows.h>

#include "Stream.h"
#include "Text.h"

bool ReplaceFileUtf8(const std::string& from, const std::string& to) {
    return MoveFileExW(Utf8ToWide(from).c_str(), Utf8ToWide(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
