// CQuorvex_Script: construction, the built-in call, the error report and the run parameters.
#include "script/interpreter.h"

#include <mmsystem.h>


#include <cstdio>
#include <cstring>

#include "framework/msgbox.h"

void BuildBuiltinTable(std::vector<CBuiltinEntry>& table, std::unordered_map<std::string, int>& index);

CQuorvex_Script::CQuorvex_Script(CQuorvex_ScriptFile* file, CScriptVariables* variables)
    : file_(file ? file : &g_ScriptFile), variables_(variables ? variables : &g_ScriptVariables) {
  BuildBuiltinTable(builtins_, builtinIndex_);
}

CQuorvex_Script::~CQuorvex_Script() {
  for (int i = 0; i < kHotKeySlots; ++i)
    if (HotKeys[i]) UnregisterHotKey(nullptr, i);
  EndWaitTimer();
  EndWindowsAndProcesses();
}

int CQuorvex_Script::FindBuiltin(const char* upperName) const {
  auto it = builtinIndex_.find(upperName);
  return it == builtinIndex_.end() ? -1 : it->second;
}

int CQuorvex_Script::CallBuiltin(int index, CValueList& args, CScriptValue& result) {
  if (index < 0 || index >= GetBuiltinCount()) return FatalError("Unable to parse line.", callColumn_);
  result.SetInt(1);
  SetError(0);
  callIndex_ = index;
  if (!builtins_[index].drainsQueue) return (this->*builtins_[index].handler)(args, result);
  // Messages that came before it are handled first; a quit request among them ends the run
  // before the built-in does anything.
  if (DrainMessages()) return 0;
  int status = (this->*builtins_[index].handler)(args, result);
  DrainDue = true;  // and those it caused before the next line
  return status;
}

CQuorvex_Script::CCallArgsLease::CCallArgsLease(CQuorvex_Script& script) : script_(script) {
  if (script_.callArgs_.empty()) {
    args_ = std::make_unique<CCallArgs>();
  } else {
    args_ = std::move(script_.callArgs_.back());
    script_.callArgs_.pop_back();
  }
}

CQuorvex_Script::CCallArgsLease::~CCallArgsLease() {
  // The lists keep their room; what they hold is let go now.
  args_->builtin.Clear();
  for (CScriptValue& value : args_->values) value.Reset();
  for (std::shared_ptr<CScriptValue>& reference : args_->references) reference.reset();
  script_.callArgs_.push_back(std::move(args_));
}

namespace {

// "Line n:" or "Line n  (File "path"):", an empty line, the line's text and a line end.
CScriptString ReportHead(CQuorvex_ScriptFile& file, int line) {
  char head[64];
  CScriptString text;
  int number = file.GetLineNumber(line);
  const char* include = file.GetIncludeFileName(file.GetLineIncludeIndex(line));
  if (include) {
    snprintf(head, sizeof head, "Line %d  (File \"", number);
    text.AppendText(head);
    text.AppendText(include);
    text.AppendText("\"):\n\n");
  } else {
    snprintf(head, sizeof head, "Line %d:\n\n", number);
    text.AppendText(head);
  }
  const char* source = file.GetLine(line);
  text.AppendText(source ? source : "");
  text.AppendChar('\n');
  return text;
}

}  // namespace

int CQuorvex_Script::FatalError(const char* message, int column) {
  CScriptString text = ReportHead(*file_, Run.CurrentLine);
  if (column >= 0) {
    const char* source = file_->GetLine(Run.CurrentLine);
    if (!source) source = "";
    int length = static_cast<int>(strlen(source));
    text.AppendText(source, column < length ? column : length);
    text.AppendText("^ ERROR\n");
  }
  text.AppendText("\nError: ");
  text.AppendText(message);
  lastErrorText_ = text;
  ++ErrorReports;
  ShowMessageBox(nullptr, text, "Internal Error", MB_ICONERROR | MB_SYSTEMMODAL | MB_SETFOREGROUND);
  Run.WaitState = WAIT_END;
  return 1;
}

int CQuorvex_Script::FatalErrorDetail(const char* message, const char* detail) {
  CScriptString text = ReportHead(*file_, Run.CurrentLine);
  text.AppendText("\n\nError: ");
  text.AppendText(message);
  text.AppendText("\n\n");
  text.AppendText(detail ? detail : "");
  lastErrorText_ = text;
  ++ErrorReports;
  ShowMessageBox(nullptr, text, "Internal Error", MB_ICONERROR | MB_SYSTEMMODAL | MB_SETFOREGROUND);
  Run.WaitState = WAIT_END;
  return 1;
}

void CQuorvex_Script::SetRunParameters(int background, int cursorX, int cursorY) {
  RunAtBackground = background;
  SendKeys.PostToWindow = background;
  UserCursorX = cursorX;
  UserCursorY = cursorY;
}

void CQuorvex_Script::ClearScript() {
  file_->Clear();
  userFuncs_.DeleteAll();
  tagStack_.Clear();
  tagLines_.clear();
  lineTokens_.clear();
}
