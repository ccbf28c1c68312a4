#pragma once
// A bounded check of a shell link file (.lnk) before the shell's link object loads it: the
// header and its class id, the item-id list, the link info with its offsets and strings, the
// counted strings and the extra-data blocks all lie inside the file.
#include <string>

#include "formats/ByteSource.h"

SourceCheck CheckShellLink(TByteSource& source);
SourceCheck CheckShellLinkFile(const std::string& path);
