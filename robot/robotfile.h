// The bytes of a robot file: lines read and written in binary with their CR LF handled here, so
// that a NUL or Ctrl-Z byte inside a line is kept as it is and never ends a line or the file.
#pragma once

#include "framework/collections.h"
#include "framework/cstring.h"

// Reads the file's lines: each ends at LF, and one CR before the LF is dropped; a last line
// without a line end counts too. FALSE when the file cannot be read.
BOOL ReadRobotFileLines(const char* path, CStringArray& lines);
// Appends a line whole (CStringArray::Add would cut it at a NUL byte).
void AddWholeLine(CStringArray& lines, const CString& line);
// The file text of the lines, each followed by CR LF.
CString JoinRobotFileLines(const CStringArray& lines);
// Writes the text beside `target` first and replaces `target` only once the text is wholly on
// disk, so a failed write never loses the file it would replace. FALSE on failure.
BOOL ReplaceFileWithText(const CString& folder, const CString& target, const CString& text);
