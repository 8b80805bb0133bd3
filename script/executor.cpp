// The statement executor: one line at a time; block statements find their partner lines by
// scanning the following lines, and keep what they found on the block stacks.
#include <cstring>

#include "script/interpreter.h"

namespace {

const char kForFormat[] = "\"For\" statement is badly formatted.\n\nShould be:\n\nFor $varname = nn To nn [Step nn]";
const char kLoopOnly[] = "\"ExitLoop/ContinueLoop\" statements only valid from inside a For/Do/While loop.";
const char kIllegalText[] = "Illegal text at the end of statement (one statement per line).";

bool IsKeyword(const CScriptToken& t, int id) { return t.kind == TOK_KEYWORD && t.value.GetInt() == id; }

}  // namespace

bool CQuorvex_Script::ExpectLineEnd(const CTokenList& tokens, int index) {
  if (tokens[index].kind == TOK_END) return false;
  return FatalError(kIllegalText, tokens[index].column) != 0;
}

bool CQuorvex_Script::ExecuteLine(const CTokenList& tokens, int& nextLine) {
  // The statement of a single-line If runs here in the same frame, from the token after Then:
  // If ... Then If ... Then ... nests without recursion and without copying the line.
  int index = 0;
  for (;;) {
    const CScriptToken& first = tokens[index];
    switch (first.kind) {
      case TOK_KEYWORD: {
        if (first.value.GetInt() != KW_IF) return ExecuteKeyword(tokens, index, nextLine);
        bool runStatement = false;
        if (DoIf(tokens, index, nextLine, runStatement)) return true;
        if (!runStatement) return false;
        continue;
      }
      case TOK_BUILTIN: {
        CScriptValue scratch;
        if (CallBuiltinStatement(tokens, index, scratch)) return true;
        return ExpectLineEnd(tokens, index);
      }
      case TOK_VARIABLE:
        return DoAssignment(tokens, index);
      case TOK_USERFUNCTION: {
        CScriptValue scratch;
        if (CallUserFunction(tokens, index, scratch)) return true;
        return ExpectLineEnd(tokens, index);
      }
      case TOK_END:
        return false;
      default:
        return FatalError("Unable to parse line.", first.column) != 0;
    }
  }
}

bool CQuorvex_Script::ExecuteKeyword(const CTokenList& tokens, int& index, int& nextLine) {
  switch (tokens[index].value.GetInt()) {
    case KW_ELSE:
    case KW_ELSEIF: return DoElse(nextLine);
    case KW_ENDIF: return DoEndIf(tokens, index + 1);
    case KW_WHILE: return DoWhile(tokens, index, nextLine);
    case KW_WEND: return DoWend(tokens, index + 1, nextLine);
    case KW_DO: return DoDo(tokens, index + 1, nextLine);
    case KW_UNTIL: return DoUntil(tokens, index, nextLine);
    case KW_FOR: return DoFor(tokens, index, nextLine);
    case KW_NEXT: return DoNext(tokens, index + 1, nextLine);
    case KW_EXITLOOP: return DoExitLoop(tokens, index, nextLine);
    case KW_CONTINUELOOP: return DoContinueLoop(tokens, index + 1, nextLine);
    case KW_SELECT: return DoSelect(tokens, index + 1, nextLine);
    case KW_CASE: return DoCase(nextLine);
    case KW_ENDSELECT: return DoEndSelect(tokens, index + 1);
    case KW_DIM: return DoDim(tokens, index, 0);
    case KW_REDIM: return DoDim(tokens, index, 4);
    case KW_LOCAL: return DoDim(tokens, index, 1);
    case KW_GLOBAL: return DoDim(tokens, index, 2);
    case KW_FUNC: return DoFuncSkip(tokens, index, nextLine);
    case KW_ENDFUNC:
      LeaveRun = 1;
      return false;
    case KW_RETURN:
      if (DoReturn(tokens, index)) return true;
      LeaveRun = 1;
      return false;
    case KW_EXIT: return DoExit(tokens, index);
    case KW_TAG: return DoTag(index, nextLine);
    case KW_GOTO: return DoGoto(tokens, index, nextLine);
    default:  // AND, OR, NOT, THEN, TO, STEP, BYREF
      return FatalError("Invalid keyword at the start of this line.") != 0;
  }
}

bool CQuorvex_Script::CallBuiltinStatement(const CTokenList& tokens, int& index, CScriptValue& result) {
  const int builtin = tokens[index].value.GetInt();
  const int column = tokens[index].column;
  ++index;
  if (tokens[index].kind != TOK_LEFTPAREN) return FatalError("Error parsing function call.", column) != 0;
  int first = 0, last = 0;
  if (FindCallTokens(tokens, index, first, last)) return true;
  const CTokenList callTokens(tokens, first, last, column);
  CCallArgsLease lease(*this);
  CValueList& args = lease->builtin;
  int i = 0;
  const bool inPlace = builtin >= 0 && builtin < GetBuiltinCount() && builtins_[builtin].readsInPlace;
  if (callTokens[0].kind != TOK_END) {
    for (;;) {
      CScriptValue& arg = args.Add(CScriptValue());
      if (inPlace && args.GetCount() == 1 && PlainOperandAt(callTokens, i) == 2 &&
          (callTokens[i + 1].kind == TOK_COMMA || callTokens[i + 1].kind == TOK_END)) {
        // A whole array is looked at, not copied: the built-in runs no script code.
        const CScriptValue* value = PlainOperand(callTokens[i]);
        if (!value) return true;
        arg.SetReference(const_cast<CScriptValue*>(value));
        ++i;
      } else if (EvaluateExpression(callTokens, i, arg)) {
        // Evaluated in place: the list is this call's own while its arguments run.
        return true;
      }
      if (callTokens[i].kind == TOK_END) break;
      if (callTokens[i].kind == TOK_COMMA && callTokens[++i].kind == TOK_END) break;  // a trailing comma
    }
  }
  const CBuiltinEntry& entry = builtins_[builtin];
  if (args.GetCount() < entry.minArgs || args.GetCount() > entry.maxArgs)
    return FatalError("Incorrect number of parameters in function call.", column) != 0;
  callColumn_ = column;
  return CallBuiltin(builtin, args, result) != 0;
}

CScriptValue* CQuorvex_Script::ResolveTarget(const char* name, const std::vector<int>* subscripts, int column) {
  CScriptValue* target = nullptr;
  if (!variables_->GetRef(name, target, SCOPE_ANY)) {
    FatalError("Variable used without being declared.", column);
    return nullptr;
  }
  if (!subscripts) return target;
  target->ClearSubscripts();
  for (int s : *subscripts) target->AddSubscript(s);
  CScriptValue* element = target->GetElement();
  if (!element)
    FatalError("Array variable has incorrect number of subscripts or subscript dimension range exceeded.", column);
  return element;
}

bool CQuorvex_Script::DoAssignment(const CTokenList& tokens, int& index) {
  const CScriptToken& nameToken = tokens[index];
  const char* name = nameToken.value.GetString();
  CScriptValue* variable = nullptr;
  if (!variables_->GetRef(name, variable, SCOPE_ANY)) {
    if (MustDeclareVars == 1) return FatalError("Variable used without being declared.", nameToken.column) != 0;
    if (tokens[index + 1].kind == TOK_LEFTSUBSCRIPT)
      return FatalError("You must DIM an array before you can assign to it.", nameToken.column) != 0;
    CScriptValue empty;
    empty.SetString("");
    variables_->Assign(name, empty, SCOPE_ANY);
  }
  ++index;
  std::vector<int> subscripts;
  bool element = false;
  if (tokens[index].kind == TOK_LEFTSUBSCRIPT) {
    std::shared_ptr<CScriptValue> holder = variables_->GetShared(name, SCOPE_ANY);
    if (holder->IsArray()) {
      CScriptValue* target = holder.get();
      if (ParseSubscripts(tokens, index, target, nameToken.column, nullptr, &subscripts)) return true;
      element = true;
    }
  }
  if (tokens[index].kind != TOK_EQUAL)
    return FatalError("Expected a = operator in assignment statement.", tokens[index].column) != 0;
  ++index;
  if (!element && (variable || variables_->GetRef(name, variable, SCOPE_ANY))) {
    const int quick = QuickUpdate(tokens, index, name, *variable);
    if (quick >= 0) return quick != 0;
  }
  CScriptValue value;
  if (EvaluateExpression(tokens, index, value)) return true;
  if (ExpectLineEnd(tokens, index)) return true;
  // The right-hand side may have reassigned or re-dimensioned the variable: find the target
  // again instead of writing through a pointer taken before it ran.
  CScriptValue* target = ResolveTarget(name, element ? &subscripts : nullptr, nameToken.column);
  if (!target) return true;
  *target = std::move(value);
  return false;
}

int CQuorvex_Script::FindBlockEnd(int line, int opener, int closer) {
  // The answer is kept with the line's tokens too, where a loop finds it without a search.
  CLineTokens* kept = KeptLine(line);
  if (kept && kept->blockOpener == opener) return kept->blockEnd;
  long long key = (static_cast<long long>(line) << 8) | opener;
  auto cached = blockEnds_.find(key);
  if (cached != blockEnds_.end()) {
    if (kept) kept->blockOpener = opener, kept->blockEnd = cached->second;
    return cached->second;
  }
  const int savedLine = Run.CurrentLine;
  int level = 0, end = 0;
  CTokenList tokens;
  for (int n = line + 1; const char* text = file_->GetLine(n); ++n) {
    Run.CurrentLine = n;
    const CTokenList* lineTokens = LineTokens(n, text, tokens);
    if (!lineTokens) return -1;
    if ((*lineTokens)[0].kind != TOK_KEYWORD) continue;
    int id = (*lineTokens)[0].value.GetInt();
    if (id == opener) {
      ++level;
    } else if (id == closer && level-- == 0) {
      end = n;
      break;
    }
  }
  Run.CurrentLine = savedLine;
  // The lines do not change while a script is prepared, so the partner line is found once.
  blockEnds_[key] = end;
  if (kept) kept->blockOpener = opener, kept->blockEnd = end;
  return end;
}

bool CQuorvex_Script::DoIf(const CTokenList& tokens, int& index, int& nextLine, bool& runStatement) {
  const int ifLine = nextLine - 1;
  ++index;
  bool truth = false;
  if (EvaluateCondition(tokens, index, truth)) return true;
  if (!IsKeyword(tokens[index], KW_THEN))
    return FatalError("If statements must have a Then keyword.", tokens[index].column) != 0;
  ++index;
  if (tokens[index].kind != TOK_END) {  // a single-line If: the caller runs the statement
    runStatement = truth;
    return false;
  }

  int chosen = truth ? ifLine + 1 : 0;
  bool sawElse = false;
  int level = 0, endIf = 0;
  CTokenList scratch;
  // An ElseIf or Else line of this If: false, or true after an error report.
  auto branch = [&](int n, const CTokenList& scan) {
    if (sawElse) return FatalError("Too many Else statements for matching If statement.") != 0;
    if (scan[0].value.GetInt() == KW_ELSEIF) {
      if (!chosen) {
        int i = 1;
        bool taken = false;
        if (EvaluateCondition(scan, i, taken)) return true;
        if (!IsKeyword(scan[i], KW_THEN))
          return FatalError("If statements must have a Then keyword.", scan[i].column) != 0;
        if (taken) chosen = n + 1;
      }
      return false;
    }
    sawElse = true;
    if (ExpectLineEnd(scan, 1)) return true;
    if (!chosen) chosen = n + 1;
    return false;
  };
  CLineTokens* kept = KeptLine(ifLine);
  if (kept && kept->branchEnd > 0) {
    // The If's own ElseIf and Else lines were found on its first run.
    for (int n : kept->branches) {
      Run.CurrentLine = n;
      const CTokenList* scanned = LineTokens(n, file_->GetLine(n), scratch);
      if (!scanned || branch(n, *scanned)) return true;
    }
    endIf = kept->branchEnd;
  } else {
    std::vector<int> branches;
    for (int n = ifLine + 1; const char* text = file_->GetLine(n); ++n) {
      Run.CurrentLine = n;
      const CTokenList* scanned = LineTokens(n, text, scratch);
      if (!scanned) return true;
      const CTokenList& scan = *scanned;
      if (scan[0].kind != TOK_KEYWORD) continue;
      switch (scan[0].value.GetInt()) {
        case KW_IF:
          for (int i = 1; i < scan.GetCount(); ++i)
            if (IsKeyword(scan[i], KW_THEN) && scan[i + 1].kind == TOK_END) ++level;
          break;
        case KW_ELSEIF:
        case KW_ELSE:
          if (level) break;
          if (branch(n, scan)) return true;
          branches.push_back(n);
          break;
        case KW_ENDIF:
          if (level) {
            --level;
          } else {
            endIf = n;
          }
          break;
      }
      if (endIf) break;
    }
    if (kept && endIf) {
      kept->branches = std::move(branches);
      kept->branchEnd = endIf;
    }
  }
  Run.CurrentLine = ifLine;
  if (endIf && !chosen) chosen = endIf;
  CBlockRecord record;
  record.kind = BLOCK_IF;
  record.ifLine = ifLine;
  record.endIfLine = endIf;
  ifStack_.Push(std::move(record));
  nextLine = chosen;  // 0 (no text) when nothing was chosen and no EndIf exists: the run ends
  return false;
}

bool CQuorvex_Script::DoElse(int& nextLine) {
  // The branch that ran is over: go to the EndIf.
  if (ifStack_.GetCount() <= Run.IfBase)
    return FatalError("\"Else\" or \"ElseIf\" statement with no matching \"If\" statement.") != 0;
  nextLine = ifStack_.Top().endIfLine;
  return false;
}

bool CQuorvex_Script::DoEndIf(const CTokenList& tokens, int index) {
  if (ExpectLineEnd(tokens, index)) return true;
  if (ifStack_.GetCount() > Run.IfBase) ifStack_.Pop();
  return false;
}

bool CQuorvex_Script::HasOpenLoop(int kind) {
  return loopStack_.GetCount() > Run.LoopBase && loopStack_.Top().recursionDepth == Depth &&
         (kind < 0 || loopStack_.Top().kind == kind);
}

CBlockRecord CQuorvex_Script::NewLoopRecord(int kind, int start, int end) {
  CBlockRecord record;
  record.kind = kind;
  record.loopStart = start;
  record.loopEnd = end;
  record.ifDepth = ifStack_.GetCount();
  record.selectDepth = selectStack_.GetCount();
  record.recursionDepth = Depth;
  return record;
}

bool CQuorvex_Script::DoWhile(const CTokenList& tokens, int& index, int& nextLine) {
  const int whileLine = nextLine - 1;
  ++index;
  bool truth = false;
  if (EvaluateCondition(tokens, index, truth)) return true;
  if (ExpectLineEnd(tokens, index)) return true;
  int wend = FindBlockEnd(whileLine, KW_WHILE, KW_WEND);
  if (wend < 0) return true;
  if (wend == 0) return FatalError("\"While\" statement has no matching \"Wend\" statement.") != 0;
  if (truth) {
    loopStack_.Push(NewLoopRecord(BLOCK_WHILE, whileLine, wend));
    nextLine = whileLine + 1;
  } else {
    nextLine = wend + 1;
  }
  return false;
}

bool CQuorvex_Script::DoWend(const CTokenList& tokens, int index, int& nextLine) {
  if (ExpectLineEnd(tokens, index)) return true;
  if (!HasOpenLoop(BLOCK_WHILE)) return FatalError("\"Wend\" statement with no matching \"While\" statement.") != 0;
  nextLine = loopStack_.Top().loopStart;  // the While line runs again and pushes a fresh record
  loopStack_.Pop();
  return false;
}

bool CQuorvex_Script::DoDo(const CTokenList& tokens, int index, int& nextLine) {
  const int doLine = nextLine - 1;
  if (ExpectLineEnd(tokens, index)) return true;
  int until = FindBlockEnd(doLine, KW_DO, KW_UNTIL);
  if (until < 0) return true;
  if (until == 0) return FatalError("\"Do\" statement has no matching \"Until\" statement.") != 0;
  loopStack_.Push(NewLoopRecord(BLOCK_DO, doLine, until));
  return false;
}

bool CQuorvex_Script::DoUntil(const CTokenList& tokens, int& index, int& nextLine) {
  ++index;
  bool truth = false;
  if (EvaluateCondition(tokens, index, truth)) return true;
  if (ExpectLineEnd(tokens, index)) return true;
  if (!HasOpenLoop(BLOCK_DO)) return FatalError("\"Until\" statement with no matching \"Do\" statement.") != 0;
  if (truth) {
    loopStack_.Pop();
  } else {
    nextLine = loopStack_.Top().loopStart + 1;
  }
  return false;
}

bool CQuorvex_Script::ForEntryTest(const CScriptValue& value, const CBlockRecord& record) const {
  if (value.IsNumber() && record.loopEndValue.IsNumber() && record.loopStep.IsNumber()) {
    // Numbers compare as the general rule below compares them, without a value for zero.
    const double v = value.GetNumber(), end = record.loopEndValue.GetNumber(), step = record.loopStep.GetNumber();
    if (!(step > 0 || step == 0)) return v > end || v == end;
    return v < end || v == end;
  }
  CScriptValue zero;
  bool negativeStep = !(record.loopStep.IsGreater(zero) || record.loopStep.IsEqual(zero));
  if (negativeStep) return value.IsGreater(record.loopEndValue) || value.IsEqual(record.loopEndValue);
  return value.IsLess(record.loopEndValue) || value.IsEqual(record.loopEndValue);
}

bool CQuorvex_Script::DoFor(const CTokenList& tokens, int& index, int& nextLine) {
  const int forLine = nextLine - 1;
  ++index;
  const CScriptToken& nameToken = tokens[index];
  if (nameToken.kind != TOK_VARIABLE) return FatalError(kForFormat, nameToken.column) != 0;
  const char* name = nameToken.value.GetString();
  std::shared_ptr<CScriptValue> variable = variables_->GetShared(name, SCOPE_ANY);
  if (!variable) {
    if (MustDeclareVars == 1) return FatalError("Variable used without being declared.", nameToken.column) != 0;
    variables_->Assign(name, CScriptValue(), SCOPE_ANY);
    variable = variables_->GetShared(name, SCOPE_ANY);
  }
  ++index;
  if (tokens[index].kind != TOK_EQUAL) return FatalError(kForFormat, tokens[index].column) != 0;
  ++index;
  CScriptValue start;
  if (EvaluateExpression(tokens, index, start)) return true;
  *variable = std::move(start);  // at once: the end and step expressions see the new value
  if (!IsKeyword(tokens[index], KW_TO)) return FatalError(kForFormat, tokens[index].column) != 0;
  ++index;
  CBlockRecord record;
  if (EvaluateExpression(tokens, index, record.loopEndValue)) return true;
  if (IsKeyword(tokens[index], KW_STEP)) {
    ++index;
    if (EvaluateExpression(tokens, index, record.loopStep)) return true;
  } else {
    record.loopStep.SetInt(1);
  }
  if (ExpectLineEnd(tokens, index)) return true;
  int next = FindBlockEnd(forLine, KW_FOR, KW_NEXT);
  if (next < 0) return true;
  if (next == 0) return FatalError("\"For\" statement has no matching \"Next\" statement.") != 0;
  CBlockRecord loop = NewLoopRecord(BLOCK_FOR, forLine, next);
  loop.loopEndValue = std::move(record.loopEndValue);
  loop.loopStep = std::move(record.loopStep);
  loop.label.AssignText(name);  // the loop variable, read again by each Next
  if (ForEntryTest(*variable, loop)) {
    loopStack_.Push(std::move(loop));
    nextLine = forLine + 1;
  } else {
    nextLine = next + 1;
  }
  return false;
}

bool CQuorvex_Script::DoNext(const CTokenList& tokens, int index, int& nextLine) {
  if (ExpectLineEnd(tokens, index)) return true;
  if (!HasOpenLoop(BLOCK_FOR)) return FatalError("\"Next\" statement with no matching \"For\" statement.") != 0;
  // The record stays on the stack and is updated in place: no copy of its values or label.
  CBlockRecord& record = loopStack_.Top();
  CScriptValue* variable = nullptr;
  if (!variables_->GetRef(record.label, variable, SCOPE_ANY)) {
    variables_->Assign(record.label, CScriptValue(), SCOPE_ANY);
    variables_->GetRef(record.label, variable, SCOPE_ANY);
  }
  variable->Add(record.loopStep);
  if (ForEntryTest(*variable, record)) {
    nextLine = record.loopStart + 1;
  } else {
    loopStack_.Pop();
  }
  return false;
}

bool CQuorvex_Script::DoExitLoop(const CTokenList& tokens, int& index, int& nextLine) {
  ++index;
  int count = 1;
  if (tokens[index].kind != TOK_END) {
    CScriptValue value;
    if (EvaluateExpression(tokens, index, value)) return true;
    if (ExpectLineEnd(tokens, index)) return true;
    count = value.GetInt();
  }
  if (count < 0) return false;
  int left = 0;
  while (count == 0 || left < count) {
    if (!HasOpenLoop(-1)) break;  // loops of a caller are not visible here
    const CBlockRecord& record = loopStack_.Top();
    nextLine = record.loopEnd + 1;
    ifStack_.PopTo(record.ifDepth);
    selectStack_.PopTo(record.selectDepth);
    loopStack_.Pop();
    ++left;
  }
  if (count != 0 && left < count) return FatalError(kLoopOnly) != 0;
  return false;
}

bool CQuorvex_Script::DoContinueLoop(const CTokenList& tokens, int index, int& nextLine) {
  if (!HasOpenLoop(-1)) return FatalError(kLoopOnly) != 0;
  if (ExpectLineEnd(tokens, index)) return true;
  const CBlockRecord& record = loopStack_.Top();
  nextLine = record.loopEnd;  // the Wend, Until or Next line runs as usual
  ifStack_.PopTo(record.ifDepth);
  selectStack_.PopTo(record.selectDepth);
  return false;
}

bool CQuorvex_Script::DoSelect(const CTokenList& tokens, int index, int& nextLine) {
  const int selectLine = nextLine - 1;
  if (ExpectLineEnd(tokens, index)) return true;
  int level = 0, chosen = 0, endSelect = 0;
  bool sawCase = false;
  CTokenList scratch;
  // A Case line of this Select before one is chosen: false, or true after an error report.
  auto branch = [&](int n, const CTokenList& scan) {
    sawCase = true;
    int i = 1;
    bool truth = true;
    if (IsKeyword(scan[1], KW_ELSE)) {
      i = 2;
    } else if (EvaluateCondition(scan, i, truth)) {
      return true;
    }
    if (ExpectLineEnd(scan, i)) return true;
    if (truth) chosen = n + 1;
    return false;
  };
  CLineTokens* kept = KeptLine(selectLine);
  if (kept && kept->branchEnd > 0) {
    // The Select's own Case lines were found on its first run.
    for (int n : kept->branches) {
      if (chosen) break;
      Run.CurrentLine = n;
      const CTokenList* scanned = LineTokens(n, file_->GetLine(n), scratch);
      if (!scanned || branch(n, *scanned)) return true;
    }
    endSelect = kept->branchEnd;
  } else {
    std::vector<int> branches;
    for (int n = selectLine + 1; const char* text = file_->GetLine(n); ++n) {
      Run.CurrentLine = n;
      const CTokenList* scanned = LineTokens(n, text, scratch);
      if (!scanned) return true;
      const CTokenList& scan = *scanned;
      if (scan[0].kind != TOK_KEYWORD) continue;
      int id = scan[0].value.GetInt();
      if (id == KW_SELECT) {
        ++level;
      } else if (id == KW_ENDSELECT) {
        if (level-- == 0) {
          endSelect = n;
          break;
        }
      } else if (id == KW_CASE && level == 0) {
        branches.push_back(n);
        if (!chosen && branch(n, scan)) return true;
      }
    }
    if (kept && endSelect && sawCase) {
      kept->branches = std::move(branches);
      kept->branchEnd = endSelect;
    }
  }
  Run.CurrentLine = selectLine;
  if (!endSelect || !sawCase)
    return FatalError("\"Select\" statement is missing \"EndSelect\" or \"Case\" statement.") != 0;
  CBlockRecord record;
  record.kind = BLOCK_SELECT;
  record.selectLine = selectLine;
  record.endSelectLine = endSelect;
  selectStack_.Push(std::move(record));
  nextLine = chosen ? chosen : endSelect;
  return false;
}

bool CQuorvex_Script::DoCase(int& nextLine) {
  // The chosen branch is over: go to the EndSelect.
  if (selectStack_.GetCount() <= Run.SelectBase)
    return FatalError("\"Case\" statement with no matching \"Select\" statement.") != 0;
  nextLine = selectStack_.Top().endSelectLine;
  return false;
}

bool CQuorvex_Script::DoEndSelect(const CTokenList& tokens, int index) {
  if (ExpectLineEnd(tokens, index)) return true;
  if (selectStack_.GetCount() > Run.SelectBase) selectStack_.Pop();
  return false;
}

bool CQuorvex_Script::DoFuncSkip(const CTokenList& tokens, int index, int& nextLine) {
  // A function's body runs only when it is called.
  int funcLine, paramCount, endFuncLine;
  const CScriptToken& name = tokens[index + 1];
  if (name.kind == TOK_USERFUNCTION && FindUserFunction(name.value.GetString(), funcLine, paramCount, endFuncLine))
    nextLine = endFuncLine + 1;
  return false;
}

bool CQuorvex_Script::DoReturn(const CTokenList& tokens, int& index) {
  ++index;
  if (tokens[index].kind != TOK_END) {
    CScriptValue value;
    if (EvaluateExpression(tokens, index, value)) return true;
    if (ExpectLineEnd(tokens, index)) return true;
    if (Run.ReturnSlot) *Run.ReturnSlot = std::move(value);
  }
  return false;
}

bool CQuorvex_Script::DoExit(const CTokenList& tokens, int& index) {
  ++index;
  if (tokens[index].kind != TOK_END) {
    CScriptValue value;
    if (EvaluateExpression(tokens, index, value)) return true;
    if (ExpectLineEnd(tokens, index)) return true;
  }
  Run.WaitState = WAIT_END;
  return false;
}

void CQuorvex_Script::RegisterTag(int line) {
  if (!tagLines_.insert(line).second) return;  // registered once per prepared script
  const char* text = file_->GetLine(line);
  CBlockRecord record;
  record.kind = BLOCK_TAG;
  record.tagLine = line;
  record.label.AssignText(text && strlen(text) > 4 ? text + 4 : "");
  tagStack_.Push(record);
}

void CQuorvex_Script::ScanTagLine(const char* text, int line) {
  if (strncmp(text, "TAG $", 5) == 0) RegisterTag(line);
}

bool CQuorvex_Script::DoTag(int& index, int& nextLine) {
  ++index;
  ++nextLine;  // the line after a TAG line is skipped when the TAG line is reached from above
  return false;
}

bool CQuorvex_Script::DoGoto(const CTokenList& tokens, int index, int& nextLine) {
  if (tagStack_.IsEmpty()) return false;
  // Labels are only ever added while a script is prepared: the one found for this line holds
  // while no other was registered since.
  CLineTokens* kept = KeptLine(Run.CurrentLine);
  int found = -1;
  if (kept && kept->gotoTags == tagStack_.GetCount()) {
    found = kept->gotoTag;
  } else {
    // The label is the text after the GOTO keyword and the blanks that follow it.
    const char* text = file_->GetLine(Run.CurrentLine);
    if (!text) text = "";
    int column = tokens[index].column + 4;
    text += static_cast<int>(strlen(text)) < column ? strlen(text) : column;
    while (*text == ' ' || *text == '\t') ++text;
    for (int i = tagStack_.GetCount() - 1; i >= 0 && found < 0; --i)
      if (tagStack_.GetAt(i).label.Equals(text)) found = i;
    if (kept) kept->gotoTags = tagStack_.GetCount(), kept->gotoTag = found;
  }
  if (found < 0) return FatalError("\"GOTO\" statement names a label that no \"TAG $\" line has.") != 0;
  const int tagLine = tagStack_.GetAt(found).tagLine;
  // Leaving blocks drops their records, so a script that loops by GOTO keeps flat stacks.
  auto inside = [tagLine](int from, int to) { return tagLine > from && (to == 0 || tagLine < to); };
  while (ifStack_.GetCount() > Run.IfBase && !inside(ifStack_.Top().ifLine, ifStack_.Top().endIfLine)) ifStack_.Pop();
  while (loopStack_.GetCount() > Run.LoopBase && !inside(loopStack_.Top().loopStart, loopStack_.Top().loopEnd))
    loopStack_.Pop();
  while (selectStack_.GetCount() > Run.SelectBase &&
         !inside(selectStack_.Top().selectLine, selectStack_.Top().endSelectLine))
    selectStack_.Pop();
  nextLine = tagLine + 1;
  return false;
}
