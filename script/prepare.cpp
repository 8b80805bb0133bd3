// Preparing a script before it runs: the user-function table, the call checks, the @Script texts.
#include <cstring>

#include "script/interpreter.h"
#include "script/random.h"

int CQuorvex_Script::PrepareScript(const char* path) {
  userFuncs_.DeleteAll();
  tagStack_.Clear();
  tagLines_.clear();
  tagsScanned_ = false;
  blockEnds_.clear();
  lineTokens_.clear();
  if (BuildFunctionTable() || VerifyFunctionCalls()) return 1;

  char full[MAX_PATH] = "";
  char* filePart = nullptr;
  DWORD n = GetFullPathNameA(path ? path : "", MAX_PATH, full, &filePart);
  if (n == 0 || n >= MAX_PATH) full[0] = '\0', filePart = nullptr;
  ScriptFullPath.AssignText(full);
  ScriptName.AssignText(filePart ? filePart : "");
  int dirLength = filePart ? static_cast<int>(filePart - full) : 0;
  if (dirLength > 0) --dirLength;  // the separator before the file part
  ScriptDir.AssignText(full, dirLength);

  SeedRandom();
  StopRun = 0;
  return 0;
}

int CQuorvex_Script::BuildFunctionTable() {
  CTokenList tokens;
  for (int line = 1; const char* text = file_->GetLine(line); ++line) {
    Run.CurrentLine = line;
    if (Tokenize(text, tokens)) return 1;
    if (tokens[0].kind != TOK_KEYWORD || tokens[0].value.GetInt() != KW_FUNC) continue;
    const CScriptToken& name = tokens[1];
    if (name.kind != TOK_USERFUNCTION) return FatalError("Badly formatted \"Func\" statement.", name.column);
    if (userFuncs_.Find(name.value.GetString())) return FatalError("Duplicate function name.", name.column);
    if (tokens[2].kind != TOK_LEFTPAREN) return FatalError("Badly formatted Func statement.", tokens[2].column);
    CUserFunc func;
    func.name.AssignText(name.value.GetString());
    func.funcLine = line;
    if (ParseFuncParams(tokens, func)) return 1;
    if (FindEndFunc(line, func.endFuncLine)) return 1;
    func.paramCount = static_cast<int>(func.params.size());
    userFuncs_.Add(func);
    line = func.endFuncLine;
  }
  return 0;
}

int CQuorvex_Script::ParseFuncParams(const CTokenList& tokens, CUserFunc& func) {
  int i = 3;
  if (tokens[i].kind == TOK_RIGHTPAREN) {
    ++i;
  } else {
    for (;;) {
      CUserFuncParam param;
      if (tokens[i].kind == TOK_KEYWORD && tokens[i].value.GetInt() == KW_BYREF) {
        param.byRef = true;
        ++i;
      }
      if (tokens[i].kind != TOK_VARIABLE) return FatalError("Badly formatted Func statement.", tokens[i].column);
      param.name.AssignText(tokens[i].value.GetString());
      func.params.push_back(param);
      ++i;
      if (tokens[i].kind == TOK_RIGHTPAREN) {
        ++i;
        break;
      }
      if (tokens[i].kind != TOK_COMMA) return FatalError("Badly formatted Func statement.", tokens[i].column);
      ++i;
    }
  }
  if (tokens[i].kind != TOK_END)
    return FatalError("Illegal text at the end of statement (one statement per line).", tokens[i].column);
  return 0;
}

int CQuorvex_Script::FindEndFunc(int funcLine, int& endFuncLine) {
  CTokenList tokens;
  int line = funcLine + 1;
  for (; const char* text = file_->GetLine(line); ++line) {
    Run.CurrentLine = line;
    if (Tokenize(text, tokens)) return 1;
    if (tokens[0].kind != TOK_KEYWORD) continue;
    if (tokens[0].value.GetInt() == KW_FUNC) {
      Run.CurrentLine = funcLine;  // the report names the Func that is not closed
      return FatalError("Func statement has no matching EndFunc.");
    }
    if (tokens[0].value.GetInt() == KW_ENDFUNC) {
      endFuncLine = line;
      return 0;
    }
  }
  endFuncLine = line - 1;  // the end of the script closes the function
  return 0;
}

int CQuorvex_Script::VerifyFunctionCalls() {
  CTokenList tokens;
  for (int line = 1; const char* text = file_->GetLine(line); ++line) {
    Run.CurrentLine = line;
    if (Tokenize(text, tokens)) return 1;
    for (int i = 0; i < tokens.GetCount(); ++i) {
      const CScriptToken& t = tokens[i];
      if (t.kind == TOK_USERFUNCTION && !userFuncs_.Find(t.value.GetString()))
        return FatalError("Unknown function name.", t.column);
    }
  }
  return 0;
}
