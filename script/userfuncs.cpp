// Declarations (Dim, Local, Global, ReDim) and user-function calls with their argument binding.
#include "script/interpreter.h"

bool CQuorvex_Script::FindUserFunction(const char* name, int& funcLine, int& paramCount, int& endFuncLine) {
  const CUserFunc* f = userFuncs_.Find(name);
  if (!f) return false;
  funcLine = f->funcLine;
  paramCount = f->paramCount;
  endFuncLine = f->endFuncLine;
  return true;
}

bool CQuorvex_Script::DoDim(const CTokenList& tokens, int& index, int mode) {
  const bool reDim = (mode & 4) != 0;
  const int scope = reDim ? SCOPE_ANY : mode;
  ++index;  // past the keyword
  for (;;) {
    const CScriptToken& t = tokens[index];
    if (t.kind != TOK_VARIABLE)
      return FatalError("No variable given for \"Dim\", \"Local\" or \"Global\" statement.", tokens[index - 1].column) != 0;
    const char* name = t.value.GetString();
    std::shared_ptr<CScriptValue> variable = variables_->GetShared(name, scope);
    if (!variable) {
      CScriptValue empty;
      empty.SetString("");
      variables_->Assign(name, empty, scope);
      variable = variables_->GetShared(name, scope);
    }
    ++index;

    if (tokens[index].kind == TOK_LEFTSUBSCRIPT) {
      // The sizes are gathered before the variable changes: their expressions may read it.
      int sizes[CScriptValue::kMaxDimensions];
      int count = 0;
      while (tokens[index].kind == TOK_LEFTSUBSCRIPT) {
        ++index;
        int first = tokens[index].column;
        CScriptValue size;
        if (EvaluateExpression(tokens, index, size)) return true;
        int n = size.GetInt();
        // A bad size and a missing "]" both point at the subscript the user has to correct.
        if (n <= 0 || tokens[index].kind != TOK_RIGHTSUBSCRIPT)
          return FatalError("Array variable subscript badly formatted.", first) != 0;
        ++index;
        if (count == CScriptValue::kMaxDimensions)
          return FatalError("Too many subscripts used for an array - 8 is the maximum.", first) != 0;
        sizes[count++] = n;
      }
      variable->ClearSubscripts();
      for (int i = 0; i < count; ++i) variable->AddSubscript(sizes[i]);
      // ReDim keeps the elements themselves, so a ByRef bound to one of them stays bound.
      if (!(reDim ? variable->ResizeArray() : variable->CreateArray()))
        return FatalError("Unable to allocate array - maximum total size is 16777216 elements.", t.column) != 0;
    } else if (tokens[index].kind == TOK_EQUAL) {
      ++index;
      CScriptValue value;
      if (EvaluateExpression(tokens, index, value)) return true;
      *variable = std::move(value);
    }

    if (tokens[index].kind == TOK_END) return false;
    if (tokens[index].kind != TOK_COMMA)
      return FatalError("Array variable subscript badly formatted.", tokens[index].column) != 0;
    ++index;
  }
}

bool CQuorvex_Script::FindCallTokens(const CTokenList& tokens, int& index, int& first, int& last) {
  // `index` is at the "(": the arguments run up to the ")" that closes it.
  int close = tokens.MatchingParen(index);
  if (close < 0) {
    int end = index;
    while (tokens[end].kind != TOK_END) ++end;
    return FatalError("Error parsing function call.", tokens[end].column) != 0;
  }
  first = index + 1;
  last = close;
  index = close + 1;
  return false;
}

bool CQuorvex_Script::CallUserFunction(const CTokenList& tokens, int& index, CScriptValue& result) {
  const CScriptToken& nameToken = tokens[index];
  const int column = nameToken.column;
  const CUserFunc* func = userFuncs_.Find(nameToken.value.GetString());
  if (!func) return FatalError("Unknown function name.", column) != 0;
  ++index;
  if (tokens[index].kind != TOK_LEFTPAREN) return FatalError("Error parsing function call.", column) != 0;
  int first = 0, last = 0;
  if (FindCallTokens(tokens, index, first, last)) return true;
  const CTokenList args(tokens, first, last, column);

  // The table does not change while a script runs: the parameters are read in place, and the
  // arguments are gathered in lists from the pool.
  const std::vector<CUserFuncParam>& params = func->params;
  const int firstLine = func->funcLine + 1;
  CCallArgsLease lease(*this);
  std::vector<CScriptValue>& values = lease->values;
  std::vector<std::shared_ptr<CScriptValue>>& references = lease->references;
  if (values.size() < params.size()) values.resize(params.size());
  if (references.size() < params.size()) references.resize(params.size());
  int i = 0;
  for (size_t p = 0; p < params.size(); ++p) {
    if (args[i].kind == TOK_END) return FatalError("Incorrect number of parameters in function call.", column) != 0;
    if (params[p].byRef) {
      const CScriptToken& arg = args[i];
      if (arg.kind != TOK_VARIABLE) return FatalError("Expected a variable in user function call.", arg.column) != 0;
      std::shared_ptr<CScriptValue> target = variables_->GetShared(arg.value.GetString(), SCOPE_ANY);
      if (!target) return FatalError("Variable used without being declared.", arg.column) != 0;
      ++i;
      if (target->IsArray() && args[i].kind == TOK_LEFTSUBSCRIPT) {
        CScriptValue* array = target.get();
        std::shared_ptr<CScriptValue> element;
        if (ParseSubscripts(args, i, array, arg.column, &element)) return true;
        target = element;
      }
      if (args[i].kind != TOK_COMMA && args[i].kind != TOK_END)
        return FatalError("Expected a variable in user function call.", args[i].column) != 0;
      references[p] = std::move(target);
    } else if (EvaluateExpression(args, i, values[p])) {
      return true;
    }
    if (args[i].kind == TOK_COMMA) ++i;
  }
  if (args[i].kind != TOK_END)
    return FatalError("Incorrect number of parameters in function call.", args[i].column) != 0;

  variables_->PushScope();
  for (size_t p = 0; p < params.size(); ++p) {
    if (params[p].byRef) {
      variables_->AssignRef(params[p].name, std::move(references[p]));
    } else {
      variables_->Assign(params[p].name, std::move(values[p]), SCOPE_LOCAL);
    }
  }
  CScriptValue zero;
  bool ended = RunFunctionBody(firstLine, result, zero) != 0;
  variables_->PopScope();
  return ended;
}

int CQuorvex_Script::RunFunctionBody(int firstLine, CScriptValue& result, const CScriptValue& preset) {
  // Each call has its own return slot, so a nested call or a built-in's result never leaks into
  // a function that ends at EndFunc.
  CScriptValue slot(preset);
  bool ended;
  {
    CNestedRun call(*this);
    Run.ReturnSlot = &slot;
    Run.IfBase = ifStack_.GetCount();
    Run.LoopBase = loopStack_.GetCount();
    Run.SelectBase = selectStack_.GetCount();
    int rc = Execute(firstLine, 0);
    // Blocks the function left open (Return inside a loop, an error) go with it.
    ifStack_.PopTo(Run.IfBase);
    loopStack_.PopTo(Run.LoopBase);
    selectStack_.PopTo(Run.SelectBase);
    // The run ended inside the function (an error, Exit, the stop flag, a quit): the caller's
    // line stops too.
    ended = rc != 0 || call.Ended();
  }
  result = std::move(slot);
  return ended ? 1 : 0;
}

int CQuorvex_Script::CallUserFunctionAt(int firstLine, CScriptValue& result, const CScriptValue& preset, bool keepError) {
  int savedError = error_;
  variables_->PushScope();
  int rc = RunFunctionBody(firstLine, result, preset);
  variables_->PopScope();
  if (keepError) error_ = savedError;
  return rc;
}
