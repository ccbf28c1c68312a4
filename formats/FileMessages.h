#pragma once
// The program's message for a file from which no picture could be read (%s: the file's path,
// shown under the caption "開いたファイル"): the import says it, and so do the pickers of
// cursor files.
inline constexpr const char* kNothingReadMessage = "%s は\nｲﾒｰｼﾞが含まれていないか,入力がｷｬﾝｾﾙされたため読み込めませんでした。";
// The same, for a file only the reader helper could read, when the helper could not be started
// (the program moved or renamed while it runs).
inline constexpr const char* kReaderNotStartedMessage = "%s は\n読み込み用の補助プロセスを起動できないため読み込めませんでした。";
inline constexpr const char* kOpenedFileCaption = "開いたファイル";
