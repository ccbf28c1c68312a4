#pragma once
// Cursors from files the user chose (the editor's own pen and fill cursors, the cursors of a
// system cursor scheme), loaded without ever handing the file's own bytes to the system's
// loaders in this process: a file our own check refuses gives no cursor; a file our readers
// take gives the cursor built here from our own decoded pixels (CursorPicture.h: the image
// the system's loader would take, stretched to the cursor size as it stretches it; an
// animated cursor's first step), except that an animated cursor loaded to animate is our
// re-written copy (CursorRewrite.h), which the system loads, where our .ani codec takes it;
// only a file our readers cannot read is loaded by the reader helper, and the cursor is
// built here from the picture it answers (the first frame of an animation then).
#include <windows.h>

#include <string>

enum class TUserCursorLoad {
    FromFile,     // as LoadCursorFromFileW loads it
    DefaultSize,  // as LoadImageW(IMAGE_CURSOR, LR_LOADFROMFILE | LR_DEFAULTSIZE) does
};

// The cursor (the caller destroys it), or null when the file gives none.
HCURSOR LoadUserCursor(const std::string& path, TUserCursorLoad how);
