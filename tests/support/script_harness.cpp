// A private interpreter for tests.
#include "tests/support/script_harness.h"

namespace testing_support {

CScriptValue Arg(const char* text) {
  CScriptValue v;
  v.SetString(text);
  return v;
}

CScriptValue Arg(int n) {
  CScriptValue v;
  v.SetInt(n);
  return v;
}

ScriptHarness::ScriptHarness() : script_(std::make_unique<CQuorvex_Script>(&file_, &variables_)) {}

ScriptHarness::~ScriptHarness() = default;

void ScriptHarness::Load(const std::string& text) {
  script_->ClearScript();
  int n = 0;
  for (const std::string& line : SplitLines(text)) file_.AddLine(++n, line.c_str(), -1);
  if (n == 0) file_.AddLine(1, "", -1);
  file_.BuildLineArray();
}

bool ScriptHarness::Run(const std::string& text) {
  size_t before = boxes().size();
  Load(text);
  if (script_->PrepareScript("harness.txt") == 0) script_->Execute(1, 1);
  return boxes().size() == before;
}

std::string ScriptHarness::Eval(const std::string& expression) {
  CTokenList tokens;
  if (Tokenize(expression, tokens)) return "";
  int index = 0;
  CScriptValue value;
  if (script_->EvaluateExpression(tokens, index, value)) return "";
  return value.GetString();
}

std::string ScriptHarness::Call(const char* name, std::vector<CScriptValue> values, int* answer) {
  CValueList args;
  for (CScriptValue& v : values) args.Add(v);
  CScriptValue result;
  int handlerAnswer = script_->CallBuiltin(script_->FindBuiltin(name), args, result);
  if (answer) *answer = handlerAnswer;
  if (!result.IsArray()) return result.GetString();
  std::string text;
  for (int i = 0; i < result.GetElementCount(); ++i) {
    result.ClearSubscripts();
    result.AddSubscript(i);
    text += (i ? "," : "") + std::string(result.GetElement()->GetString());
  }
  return text;
}

std::string ScriptHarness::Global(const char* name) {
  CScriptValue* value = nullptr;
  if (!variables_.GetRef(name, value, SCOPE_GLOBAL)) return "<undeclared>";
  return value->GetString();
}

int ScriptHarness::Tokenize(const std::string& line, CTokenList& tokens) {
  Load(line);
  script_->Run.CurrentLine = 1;
  return script_->Tokenize(line.c_str(), tokens);
}

std::string ScriptHarness::LastError() const {
  std::string text = LastBox();
  size_t at = text.rfind("\nError: ");
  return at == std::string::npos ? std::string() : text.substr(at + 8);
}

}  // namespace testing_support
