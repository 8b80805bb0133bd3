// The file-handle built-ins: opening and closing files, reading and writing lines and
// characters, and file searches, over the interpreter's table of 64 handles.
#include <io.h>

#include <cstring>
#include <string>

#include "script/interpreter.h"
#include "script/sysutil/sysutil.h"

namespace {

const char kHandleInvalid[] = "File handle invalid.  Make sure that the FileOpen command succeeded.";
const char kTooManyFiles[] = "Unable to open file, the maximum number of open files has been exceeded.";

// Longest line FILEREADLINE returns; the rest of a longer line is skipped.
constexpr int kLineRoom = 65535;
// FILEREAD grows its text by this much at a time, so a huge count costs only what is read.
constexpr int kReadChunk = 65536;

// A file's folder with its final backslash ("C:\" for a file in a drive's root).
std::string FolderOfFile(const char* fullPath) {
  const char* slash = strrchr(fullPath, '\\');
  return slash ? std::string(fullPath, slash + 1) : std::string();
}

// Mode 2: the stream writes a temporary file beside the target, which FILECLOSE puts in place.
bool OpenForWriting(const char* name, CFileHandle& handle) {
  size_t length = strlen(name);
  if (length == 0 || name[length - 1] == '\\' || name[length - 1] == '/') return false;  // a folder's name
  char full[MAX_PATH];
  if (IsDevicePath(name) || !GetFullPathNoSlash(name, full) || IsDirectory(full)) return false;
  // Opening fails now, as it would have without the temporary, when the file cannot be
  // written; a missing file is made (empty) at once.
  HANDLE probe = OpenDiskFile(full, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL);
  if (probe == INVALID_HANDLE_VALUE) return false;
  CloseHandle(probe);
  char temp[MAX_PATH];
  if (!MakeScriptTemporary(FolderOfFile(full).c_str(), temp)) return false;
  handle.stream = OpenDiskStream(temp, "w+b");
  if (!handle.stream) {
    DeleteFileA(temp);
    return false;
  }
  handle.targetPath = full;
  handle.tempPath = temp;
  return true;
}

// The stream a read or write built-in works on: an open handle, or a file named by a string
// argument that is opened for this call only.
class CStreamArg {
public:
  CStreamArg() = default;
  CStreamArg(const CStreamArg&) = delete;
  CStreamArg& operator=(const CStreamArg&) = delete;
  ~CStreamArg() {
    if (owned_ && stream) fclose(stream);
  }
  // 1: ready; 0: a named file that does not open; -1: a bad handle, reported as fatal.
  int Open(CQuorvex_Script& script, const CScriptValue& arg, const char* fileMode) {
    if (arg.IsString()) {
      stream = OpenDiskStream(arg.GetString(), fileMode);
      owned_ = true;
      return stream ? 1 : 0;
    }
    CFileHandle* handle = script.Files.Get(arg.GetInt());
    if (!handle || handle->kind != CFileHandle::kFile) {
      script.FatalError(kHandleInvalid);
      return -1;
    }
    record = handle;
    stream = handle->stream;
    // Whatever this call does moves the stream: only a read by number that ends well puts it
    // back where its mark says.
    markInPlace = handle->numbered.inPlace;
    handle->numbered.inPlace = false;
    return 1;
  }
  // Open for a read built-in: as Open, where a named file that does not open and a handle not
  // opened for reading set @error 1 and answer 0.
  int OpenForReading(CQuorvex_Script& script, const CScriptValue& arg) {
    int state = Open(script, arg, "rb");
    if (state == 0 || (state > 0 && record && record->mode != CFileHandle::kRead)) {
      script.SetError(1);
      return 0;
    }
    return state;
  }

  FILE* stream = nullptr;
  CFileHandle* record = nullptr;
  bool markInPlace = false;  // the stream was where the record's line mark left it

private:
  bool owned_ = false;
};

// The stream's file size and last write time, which change with every write to the file.
bool ReadFileStamp(FILE* stream, CFileHandle::LineMark& mark) {
  HANDLE file = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  LARGE_INTEGER size;
  if (file == INVALID_HANDLE_VALUE || !GetFileSizeEx(file, &size) ||
      !GetFileTime(file, nullptr, nullptr, &mark.written))
    return false;
  mark.size = size.QuadPart;
  return true;
}

// Reads line `wanted` (from 1) into `buffer` (kLineRoom bytes) and leaves the stream after it,
// as reading the file from its start does; false past its end. A handle's record remembers the
// line read last, so a later line goes on from there: a loop over the lines by number reads each
// line once, not the whole file up to it every time. The line right after it is read straight
// on, as a read in order would; a line that needs the stream moved is looked for from the mark
// only while the file's size and time are those of the mark, else from the file's start.
bool ReadNumberedLine(const CStreamArg& source, int wanted, char* buffer) {
  FILE* stream = source.stream;
  CFileHandle* record = source.record;
  const CFileHandle::LineMark* mark =
      record && record->numbered.line > 0 && wanted >= record->numbered.line ? &record->numbered : nullptr;
  CFileHandle::LineMark now;
  int line = 1;
  long long position = 0;  // of the stream: where `line` starts
  if (mark && wanted > mark->line && source.markInPlace) {
    now = *mark;
    line = mark->line + 1;
    position = mark->next;
  } else if (mark && ReadFileStamp(stream, now) && now.size == mark->size &&
             CompareFileTime(&now.written, &mark->written) == 0) {
    line = wanted == mark->line ? mark->line : mark->line + 1;
    position = wanted == mark->line ? mark->start : mark->next;
    _fseeki64(stream, position, SEEK_SET);
  } else {
    rewind(stream);
    if (record && !ReadFileStamp(stream, now)) record = nullptr;  // no mark without the file's stamp
  }
  for (; line < wanted; ++line)
    if (!ReadFileLine(buffer, kLineRoom, stream, &position)) return false;
  const long long start = position;
  if (!ReadFileLine(buffer, kLineRoom, stream, &position)) return false;
  if (record) {
    now.line = wanted;
    now.start = start;
    now.next = position;
    // A line that ended at the end of the file may still grow: the next one is looked for anew.
    now.inPlace = !feof(stream);
    record->numbered = now;
  }
  return true;
}

}  // namespace

// ---- the handle table ----------------------------------------------------------------------

bool CFileHandle::Close() {
  if (kind == kSearch) {
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    search = INVALID_HANDLE_VALUE;
    firstName.clear();
    firstPending = false;
    return true;
  }
  if (!stream) return true;
  if (fclose(stream) != 0) writeFailed = true;
  stream = nullptr;
  if (tempPath.empty()) return !writeFailed;
  // Another handle on the target (which does not share deletion) blocks the replace: the data
  // is then copied over it instead.
  bool saved = !writeFailed && (MoveFileExA(tempPath.c_str(), targetPath.c_str(),
                                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ||
                                CopyFileA(tempPath.c_str(), targetPath.c_str(), FALSE));
  DeleteFileA(tempPath.c_str());
  tempPath.clear();
  return saved;
}

int CFileHandleTable::Add(std::unique_ptr<CFileHandle> handle) {
  for (int n = 0; n < kSlots; ++n) {
    if (slots_[n]) continue;
    slots_[n] = std::move(handle);
    ++count_;
    return n;
  }
  return -1;
}

bool CFileHandleTable::Close(int n) {
  if (!Get(n)) return true;
  bool saved = slots_[n]->Close();
  slots_[n].reset();
  --count_;
  return saved;
}

void CFileHandleTable::CloseAll() {
  for (int n = 0; n < kSlots; ++n) Close(n);
}

// ---- built-ins -----------------------------------------------------------------------------

int CQuorvex_Script::F_FileOpen(CValueList& args, CScriptValue& result) {
  if (Files.IsFull()) return FatalError(kTooManyFiles);
  auto handle = std::make_unique<CFileHandle>();
  const char* name = args.GetAt(0).GetString();
  int mode = args.GetAt(1).GetInt();
  handle->mode = mode;
  bool opened = false;
  if (mode == CFileHandle::kRead) {
    opened = (handle->stream = OpenDiskStream(name, "rb")) != nullptr;
  } else if (mode == CFileHandle::kAppend) {
    opened = (handle->stream = OpenDiskStream(name, "a+b")) != nullptr;
    if (opened) fseek(handle->stream, 0, SEEK_END);
  } else if (mode == CFileHandle::kWrite) {
    opened = OpenForWriting(name, *handle);
  }
  result.SetInt(opened ? Files.Add(std::move(handle)) : -1);
  return 0;
}

int CQuorvex_Script::F_FileClose(CValueList& args, CScriptValue& result) {
  int n = args.GetAt(0).GetInt();
  if (!Files.Get(n)) return FatalError(kHandleInvalid);
  // A written file that could not be put in place is a failure, not a success.
  if (!Files.Close(n)) result.SetInt(0);
  return 0;
}

int CQuorvex_Script::F_FileReadLine(CValueList& args, CScriptValue& result) {
  result.SetString("");
  CStreamArg source;
  int state = source.OpenForReading(*this, args.GetAt(0));
  if (state <= 0) return state < 0 ? 1 : 0;
  CScriptString line(kLineRoom);
  char* buffer = line.GetBuffer(kLineRoom);
  if (args.GetCount() >= 2) {
    int wanted = args.GetAt(1).GetInt();
    if (wanted <= 0) {
      rewind(source.stream);
      return 0;
    }
    if (!ReadNumberedLine(source, wanted, buffer)) {
      SetError(-1);
      return 0;
    }
  } else if (!ReadFileLine(buffer, kLineRoom, source.stream)) {
    SetError(-1);
    return 0;
  }
  line.SetLength(static_cast<int>(strlen(buffer)));
  result.SetString(line);
  return 0;
}

int CQuorvex_Script::F_FileRead(CValueList& args, CScriptValue& result) {
  result.SetString("");
  CStreamArg source;
  int state = source.OpenForReading(*this, args.GetAt(0));
  if (state <= 0) return state < 0 ? 1 : 0;
  double count = args.GetAt(1).GetNumber();
  std::string text;
  char chunk[kReadChunk];
  // One character past the longest text is enough to tell that the text would be too long.
  while (count > text.size() && text.size() <= static_cast<size_t>(TextLengthLimit())) {
    double left = count - text.size();
    size_t want = left < kReadChunk ? static_cast<size_t>(left) : kReadChunk;
    size_t got = fread(chunk, 1, want, source.stream);
    text.append(chunk, got);
    if (got < want) break;
  }
  if (text.empty()) {
    SetError(-1);
    return 0;
  }
  result.SetString(text.c_str());  // the text ends at a zero byte
  return 0;
}

namespace {

// FILEWRITE and FILEWRITELINE: 1 written, 0 not, -1 after a fatal report.
int WriteText(CQuorvex_Script& script, CValueList& args, bool lineEnd) {
  CStreamArg target;
  int state = target.Open(script, args.GetAt(0), "a+b");
  if (state <= 0) return state;
  if (target.record && target.record->mode == CFileHandle::kRead) return 0;
  const CScriptValue& value = args.GetAt(1);
  const char* text = value.GetString();
  size_t length = static_cast<size_t>(value.GetStringLength());
  bool ok = fwrite(text, 1, length, target.stream) == length;
  if (lineEnd && (length == 0 || (text[length - 1] != '\r' && text[length - 1] != '\n')))
    ok = ok && fwrite("\r\n", 1, 2, target.stream) == 2;
  if (!target.record && fflush(target.stream) != 0) ok = false;
  if (!ok && target.record) target.record->writeFailed = true;
  return ok ? 1 : 0;
}

}  // namespace

int CQuorvex_Script::F_FileWrite(CValueList& args, CScriptValue& result) {
  int written = WriteText(*this, args, false);
  if (written < 0) return 1;
  result.SetInt(written);
  return 0;
}

int CQuorvex_Script::F_FileWriteLine(CValueList& args, CScriptValue& result) {
  int written = WriteText(*this, args, true);
  if (written < 0) return 1;
  result.SetInt(written);
  return 0;
}

int CQuorvex_Script::F_FileFindFirstFile(CValueList& args, CScriptValue& result) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(args.GetAt(0).GetString(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    result.SetInt(-1);
    return 0;
  }
  if (Files.IsFull()) {
    FindClose(search);  // the run ends, the search must not outlive it
    return FatalError(kTooManyFiles);
  }
  auto handle = std::make_unique<CFileHandle>();
  handle->kind = CFileHandle::kSearch;
  handle->search = search;
  handle->firstName = found.cFileName;
  handle->firstPending = true;
  result.SetInt(Files.Add(std::move(handle)));
  return 0;
}

int CQuorvex_Script::F_FileFindNextFile(CValueList& args, CScriptValue& result) {
  CFileHandle* handle = Files.Get(args.GetAt(0).GetInt());
  if (!handle || handle->kind != CFileHandle::kSearch) return FatalError(kHandleInvalid);
  if (handle->firstPending) {
    handle->firstPending = false;
    result.SetString(handle->firstName.c_str());
    handle->firstName.clear();
    return 0;
  }
  WIN32_FIND_DATAA found;
  if (!FindNextFileA(handle->search, &found)) {
    result.SetString("");
    SetError(1);
    return 0;
  }
  result.SetString(found.cFileName);
  return 0;
}

// ---- INI files -----------------------------------------------------------------------------

namespace {

// WritePrivateProfileStringA (a null value deletes the key) on a copy beside the file, which
// then replaces it: a write that fails half-way leaves the old file whole.
bool WriteIniSafely(const char* file, const char* section, const char* key, const char* value) {
  char full[MAX_PATH];
  if (IsDevicePath(file) || !GetFullPathNoSlash(file, full) || !IsDiskFileOrAbsent(full)) return false;
  bool exists = GetFileAttributesA(full) != INVALID_FILE_ATTRIBUTES;
  if (!exists && !value) return WritePrivateProfileStringA(section, key, nullptr, full) != FALSE;
  char temp[MAX_PATH];
  if (!MakeScriptTemporary(FolderOfFile(full).c_str(), temp)) return false;
  bool ok = (!exists || CopyFileA(full, temp, FALSE)) && WritePrivateProfileStringA(section, key, value, temp);
  // Flushes the system's cached copy of the file (the call itself answers false).
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, temp);
  if (ok) ok = MoveFileExA(temp, full, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  if (!ok) {
    SetFileAttributesA(temp, FILE_ATTRIBUTE_NORMAL);  // the copy of a read-only file is read-only
    DeleteFileA(temp);
  }
  return ok;
}

}  // namespace

int CQuorvex_Script::F_IniRead(CValueList& args, CScriptValue& result) {
  const char* fallback = args.GetAt(3).GetString();
  char full[MAX_PATH];
  // A device would be read by the profile functions, and its reading may never end.
  if (IsDevicePath(args.GetAt(0).GetString()) || !GetFullPathNoSlash(args.GetAt(0).GetString(), full) ||
      !IsDiskFileOrAbsent(full)) {
    result.SetString(fallback);
    return 0;
  }
  CScriptString value(kLineRoom);
  char* buffer = value.GetBuffer(kLineRoom);
  DWORD length =
      GetPrivateProfileStringA(args.GetAt(1).GetString(), args.GetAt(2).GetString(), fallback, buffer, kLineRoom, full);
  value.SetLength(static_cast<int>(length));
  result.SetString(value);
  return 0;
}

int CQuorvex_Script::F_IniWrite(CValueList& args, CScriptValue& result) {
  result.SetInt(WriteIniSafely(args.GetAt(0).GetString(), args.GetAt(1).GetString(), args.GetAt(2).GetString(),
                               args.GetAt(3).GetString()));
  return 0;
}

int CQuorvex_Script::F_IniDelete(CValueList& args, CScriptValue& result) {
  result.SetInt(
      WriteIniSafely(args.GetAt(0).GetString(), args.GetAt(1).GetString(), args.GetAt(2).GetString(), nullptr));
  return 0;
}
