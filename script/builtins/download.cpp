// URLDOWNLOADTOFILE: a resource from the internet into a file.
#include "script/interpreter.h"
#include "script/sysutil/sysutil.h"

// URLDOWNLOADTOFILE(url, file): 1 when the whole resource is in the file, else 0 and the file
// as it was.
int CQuorvex_Script::F_URLDownloadToFile(CValueList& args, CScriptValue& result) {
  bool libraryMissing = false;
  bool done = InternetDownload(args.GetAt(0).GetString(), args.GetAt(1).GetString(), libraryMissing);
  if (libraryMissing)
    return FatalError("Unable to load the internet libraries (requires Internet Explorer 3.0 or later).");
  result.SetInt(done ? 1 : 0);
  return 0;
}
