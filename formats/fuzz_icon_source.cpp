// libFuzzer target of the structure checks that guard the system loaders: the icon-source
// check, the cursor-file check and the shell-link check over the same bytes.
#include <cstddef>
#include <cstdint>

#include "formats/IconSourceCheck.h"
#include "formats/ShellLinkCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryByteSource source(data, size);
    CheckIconSource(source);
    CheckCursorFile(source);
    CheckShellLink(source);
    return 0;
}
