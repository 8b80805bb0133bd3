// A private interpreter for tests: its own line store and variables, every message box captured.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "script/interpreter.h"
#include "tests/support/test_support.h"

namespace testing_support {

// Arguments of a built-in call.
CScriptValue Arg(const char* text);
CScriptValue Arg(int n);

class ScriptHarness {
public:
  ScriptHarness();
  ~ScriptHarness();
  ScriptHarness(const ScriptHarness&) = delete;
  ScriptHarness& operator=(const ScriptHarness&) = delete;

  CQuorvex_Script& script() { return *script_; }
  CQuorvex_ScriptFile& file() { return file_; }
  CScriptVariables& variables() { return variables_; }

  // Puts the text (lines split at "\n") into the line store as lines 1..n and builds the array.
  void Load(const std::string& text);
  // Loads the text, prepares it and runs it once from line 1 as the shell does; true when no
  // message box was shown.
  bool Run(const std::string& text);
  // Evaluates one expression in the current state (the text becomes line 1); "" after an error.
  std::string Eval(const std::string& expression);
  // Calls a built-in by its upper-case name as a script would (result preset to 1, @error to
  // 0); its result as text ("a,b,c" for an array). `answer` receives the handler's answer (1
  // after a report that ends the run).
  std::string Call(const char* name, std::vector<CScriptValue> values, int* answer = nullptr);
  // The text of a global variable, or "<undeclared>".
  std::string Global(const char* name);
  // Tokenizes one line as line 1 of the store (so error reports show it); 0 or 1 as Tokenize.
  int Tokenize(const std::string& line, CTokenList& tokens);
  // The text of every box shown so far, and of the last one ("" when none).
  const std::vector<CapturedBox>& boxes() const { return capture_.boxes(); }
  std::string LastBox() const { return boxes().empty() ? std::string() : boxes().back().text; }
  // The error message of the last report (after "Error: "), or "".
  std::string LastError() const;

private:
  MessageBoxCapture capture_;
  CQuorvex_ScriptFile file_;
  CScriptVariables variables_;
  std::unique_ptr<CQuorvex_Script> script_;
};

}  // namespace testing_support
