#pragma once
// The program's message for a file from which no picture could be read (%s: the file's path,
// shown under the caption "開いたファイル"): the import says it, and so do the pickers of
// cursor files.
inline constexpr const char* kNothingReadMessage = "%s は\nｲﾒｰｼﾞが含まれていないか,入力がｷｬﾝｾﾙされたため読み込めませんでした。";
inline constexpr const char* kOpenedFileCaption = "開いたファイル";
