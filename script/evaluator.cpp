// The expression evaluator: an operator-precedence parser over the tokens of one line.
#include <cstring>

#include "script/interpreter.h"
#include "script/mathops.h"
#include "script/stackguard.h"

namespace {

// Operators, numbered as the action table is indexed.
enum Operator {
  OP_LESS = 0, OP_GREATER, OP_LESSEQUAL, OP_GREATEREQUAL, OP_NOTEQUAL, OP_EQUAL, OP_STRINGEQUAL,
  OP_AND, OP_OR, OP_CONCAT, OP_NOT, OP_ADD, OP_SUBTRACT, OP_MULTIPLY, OP_DIVIDE, OP_POWER,
  OP_NEGATE, OP_LEFTPAREN, OP_RIGHTPAREN, OP_END
};

enum Action { SHIFT, REDUCE, CLOSE, ACCEPT, ERR_MISSING_RIGHT, ERR_UNBALANCED };

// Binding strength of the two-operand operators, loosest first.
int Level(int op) {
  switch (op) {
    case OP_AND: case OP_OR: return 1;
    case OP_CONCAT: return 3;
    case OP_ADD: case OP_SUBTRACT: return 4;
    case OP_MULTIPLY: case OP_DIVIDE: return 5;
    case OP_POWER: return 6;
    default: return 2;  // the seven comparisons
  }
}

bool IsPrefix(int op) { return op == OP_NOT || op == OP_NEGATE; }

// The 20 x 20 action table, written as its rules.
Action ActionFor(int top, int incoming) {
  if (IsPrefix(incoming) || incoming == OP_LEFTPAREN) return SHIFT;
  if (top == OP_LEFTPAREN) {
    if (incoming == OP_RIGHTPAREN) return CLOSE;
    if (incoming == OP_END) return ERR_MISSING_RIGHT;
    return SHIFT;
  }
  if (top == OP_END) {
    if (incoming == OP_RIGHTPAREN) return ERR_UNBALANCED;
    if (incoming == OP_END) return ACCEPT;
    return SHIFT;
  }
  if (incoming == OP_RIGHTPAREN) return CLOSE;
  if (incoming == OP_END) return REDUCE;
  if (IsPrefix(top)) return REDUCE;  // NOT and negation bind tighter than everything
  return Level(top) >= Level(incoming) ? REDUCE : SHIFT;  // left-associative, "^" included
}

// The operator of a token, or OP_END for a token that ends the expression.
int OperatorOf(const CScriptToken& t, bool afterOperand) {
  switch (t.kind) {
    case TOK_LESS: return OP_LESS;
    case TOK_GREATER: return OP_GREATER;
    case TOK_LESSEQUAL: return OP_LESSEQUAL;
    case TOK_GREATEREQUAL: return OP_GREATEREQUAL;
    case TOK_NOTEQUAL: return OP_NOTEQUAL;
    case TOK_EQUAL: return OP_EQUAL;
    case TOK_STRINGEQUAL: return OP_STRINGEQUAL;
    case TOK_CONCAT: return OP_CONCAT;
    case TOK_PLUS: return OP_ADD;
    case TOK_MINUS: return afterOperand ? OP_SUBTRACT : OP_NEGATE;
    case TOK_MULTIPLY: return OP_MULTIPLY;
    case TOK_DIVIDE: return OP_DIVIDE;
    case TOK_POWER: return OP_POWER;
    case TOK_LEFTPAREN: return OP_LEFTPAREN;
    case TOK_RIGHTPAREN: return OP_RIGHTPAREN;
    case TOK_KEYWORD:
      switch (t.value.GetInt()) {
        case KW_AND: return OP_AND;
        case KW_OR: return OP_OR;
        case KW_NOT: return OP_NOT;
        default: return OP_END;  // Then, To, Step, Else ... end an expression
      }
    default: return OP_END;
  }
}

void SetTruth(CScriptValue& v, bool truth) { v.SetInt(truth ? 1 : 0); }

// One of the seven comparisons.
bool Compare(int op, const CScriptValue& left, const CScriptValue& right) {
  switch (op) {
    case OP_LESS: return left.IsLess(right);
    case OP_GREATER: return left.IsGreater(right);
    case OP_LESSEQUAL: return left.IsLess(right) || left.IsEqual(right);
    case OP_GREATEREQUAL: return left.IsGreater(right) || left.IsEqual(right);
    case OP_NOTEQUAL: return !left.IsEqual(right);
    case OP_EQUAL: return left.IsEqual(right);
    default: return left.IsEqualCase(right);  // OP_STRINGEQUAL
  }
}

// Applies a two-operand operator to `left` in place; true for an operator that takes one.
bool ApplyBinary(int op, CScriptValue& left, const CScriptValue& right) {
  if (op <= OP_STRINGEQUAL) {
    SetTruth(left, Compare(op, left, right));
    return false;
  }
  switch (op) {
    case OP_AND: SetTruth(left, left.And(right)); break;
    case OP_OR: SetTruth(left, left.Or(right)); break;
    case OP_CONCAT: left.Concat(right); break;
    case OP_ADD: left.Add(right); break;
    case OP_SUBTRACT: left.Subtract(right); break;
    case OP_MULTIPLY: left.Multiply(right); break;
    case OP_DIVIDE: left.Divide(right); break;
    case OP_POWER: {
      double x = left.GetNumber(), y = right.GetNumber();
      left.SetNumber(x == 0 && y <= 0 ? 1 : MathPow(x, y));
      break;
    }
    default: return true;
  }
  return false;
}

bool IsOperand(int kind) {
  return kind == TOK_LITERAL || kind == TOK_VARIABLE || kind == TOK_MACRO || kind == TOK_BUILTIN ||
         kind == TOK_USERFUNCTION;
}

// A token after an operand that ends the expression (Then, To, a comma, "]", the line's end).
bool EndsExpression(const CScriptToken& t) { return !IsOperand(t.kind) && OperatorOf(t, true) == OP_END; }

// A two-operand operator that decides nothing by itself (AND and OR may skip their right side).
bool IsPlainBinary(int op) { return op <= OP_STRINGEQUAL || op == OP_CONCAT || (op >= OP_ADD && op <= OP_POWER); }

}  // namespace

int CQuorvex_Script::PlainOperandAt(const CTokenList& tokens, int index) {
  const CScriptToken& t = tokens[index];
  if (t.kind == TOK_LITERAL) return 1;
  return t.kind == TOK_VARIABLE && tokens[index + 1].kind != TOK_LEFTSUBSCRIPT ? 2 : 0;
}

const CScriptValue* CQuorvex_Script::PlainOperand(const CScriptToken& t) {
  if (t.kind == TOK_LITERAL) return &t.value;
  CScriptValue* value = nullptr;
  if (!variables_->GetRef(t.value.GetString(), value, SCOPE_ANY)) {
    FatalError("Variable used without being declared.", t.column);
    return nullptr;
  }
  return value;
}

int CQuorvex_Script::QuickShape(const CTokenList& tokens, int index) {
  if (!PlainOperandAt(tokens, index)) return -2;
  if (EndsExpression(tokens[index + 1])) return -1;
  const int op = OperatorOf(tokens[index + 1], true);
  if (!IsPlainBinary(op) || !PlainOperandAt(tokens, index + 2) || !EndsExpression(tokens[index + 3])) return -2;
  return op;
}

int CQuorvex_Script::QuickExpression(const CTokenList& tokens, int& index, CScriptValue& result) {
  // Most expressions are one literal or plain variable, or two around a comparison or an
  // arithmetic operator: they are worked out on the operands where they are, without the
  // stacks, in the order and with the errors of the general evaluation.
  const int op = ForceGeneralEvaluation ? -2 : QuickShape(tokens, index);
  if (op == -2) return -1;
  const CScriptValue* left = PlainOperand(tokens[index]);
  if (!left) return 1;
  CScriptValue value(*left);
  if (op >= 0) {
    const CScriptValue* right = PlainOperand(tokens[index + 2]);
    if (!right) return 1;
    ApplyBinary(op, value, *right);
  }
  result = std::move(value);
  index += op >= 0 ? 3 : 1;
  return 0;
}

bool CQuorvex_Script::ApplyOperator(CIntStack& operators, CValueStack& values) {
  int op = operators.Top();
  int needed = IsPrefix(op) ? 1 : 2;
  if (values.GetCount() < needed) return true;
  operators.Pop();
  if (needed == 1) {
    CScriptValue& v = values.Top();
    if (op == OP_NOT) {
      SetTruth(v, !v.IsTrue());
    } else {
      CScriptValue minusOne;
      minusOne.SetInt(-1);
      v.Multiply(minusOne);
    }
    return false;
  }
  CScriptValue right = std::move(values.Top());
  values.Pop();
  return ApplyBinary(op, values.Top(), right);
}

// Stacks for one evaluation from the interpreter's pool, given back emptied (their room kept),
// so that an expression allocates no stacks of its own.
class CPooledEvalStacks {
public:
  explicit CPooledEvalStacks(std::vector<std::unique_ptr<CQuorvex_Script::CEvalStacks>>& pool) : pool_(pool) {
    if (pool_.empty()) {
      stacks_ = std::make_unique<CQuorvex_Script::CEvalStacks>();
    } else {
      stacks_ = std::move(pool_.back());
      pool_.pop_back();
    }
  }
  ~CPooledEvalStacks() {
    stacks_->values.Clear();
    stacks_->operators.Clear();
    pool_.push_back(std::move(stacks_));
  }
  CPooledEvalStacks(const CPooledEvalStacks&) = delete;
  CPooledEvalStacks& operator=(const CPooledEvalStacks&) = delete;
  CValueStack& values() { return stacks_->values; }
  CIntStack& operators() { return stacks_->operators; }

private:
  std::vector<std::unique_ptr<CQuorvex_Script::CEvalStacks>>& pool_;
  std::unique_ptr<CQuorvex_Script::CEvalStacks> stacks_;
};

int CQuorvex_Script::QuickUpdate(const CTokenList& tokens, int& index, const char* name, CScriptValue& target) {
  // "$v = $v & tail" and "$v = $v + n" change $v where it is: an append copies only its tail.
  if (ForceGeneralEvaluation || PlainOperandAt(tokens, index) != 2 || !PlainOperandAt(tokens, index + 2) ||
      tokens[index + 3].kind != TOK_END)
    return -1;
  const int op = OperatorOf(tokens[index + 1], true);
  if (op != OP_CONCAT && (op < OP_ADD || op > OP_POWER)) return -1;
  // The same text names the same variable; another spelling is looked up.
  if (strcmp(tokens[index].value.GetString(), name) != 0) {
    const CScriptValue* self = PlainOperand(tokens[index]);
    if (!self) return 1;
    if (self != &target) return -1;
  }
  const CScriptValue* right = PlainOperand(tokens[index + 2]);
  if (!right) return 1;
  // Arrays and references are left to the general evaluation, which copies them.
  if (!(target.IsNumber() || target.IsString()) || !(right->IsNumber() || right->IsString())) return -1;
  ApplyBinary(op, target, *right);
  index += 3;
  return 0;
}

bool CQuorvex_Script::EvaluateExpression(const CTokenList& tokens, int& index, CScriptValue& result) {
  const int column = tokens[index].column;  // every error of the evaluator itself marks it
  // Subscripts and call arguments evaluate their expressions recursively.
  // Their stacks come from a pool, so a level takes little of the thread's stack: the nesting
  // also has a bound of its own. A line's own expression (none in progress) is a few frames
  // below its run loop, which checked the room when it began nested: only nested ones ask.
  if ((evalNesting_ > 0 && StackNearlyFull()) || evalNesting_ >= kMaxEvalNesting)
    return FatalError(kNestedTooDeeply, column) != 0;
  const int quick = QuickExpression(tokens, index, result);
  if (quick >= 0) return quick != 0;
  CPooledEvalStacks stacks(evalStacks_);
  struct Nesting {
    int& depth;
    explicit Nesting(int& d) : depth(++d) {}
    ~Nesting() { --depth; }
  } nesting(evalNesting_);
  CValueStack& values = stacks.values();
  CIntStack& operators = stacks.operators();
  operators.Push(OP_END);
  bool afterOperand = false;
  for (;;) {
    const CScriptToken& t = tokens[index];
    bool failed = false;
    switch (t.kind) {
      case TOK_LITERAL:
        values.Push(t.value);
        ++index;
        afterOperand = true;
        continue;
      case TOK_VARIABLE:
        values.Push(CScriptValue());
        failed = GetVariableValue(tokens, index, values.Top());
        break;
      case TOK_MACRO:
        values.Push(CScriptValue());
        failed = GetMacroValue(tokens, index, values.Top());
        break;
      case TOK_BUILTIN:
        values.Push(CScriptValue());
        failed = CallBuiltinStatement(tokens, index, values.Top());
        break;
      case TOK_USERFUNCTION:
        values.Push(CScriptValue());
        failed = CallUserFunction(tokens, index, values.Top());
        break;
      default: {
        int op = OperatorOf(t, afterOperand);
        if (op != OP_END) ++index;
        for (bool looking = true; looking;) {
          switch (ActionFor(operators.Top(), op)) {
            case SHIFT:
              operators.Push(op);
              afterOperand = false;
              looking = false;
              break;
            case REDUCE:
              if (ApplyOperator(operators, values)) return FatalError("Error in expression.", column) != 0;
              break;
            case CLOSE:
              while (operators.Top() != OP_LEFTPAREN) {
                if (operators.Top() == OP_END) return FatalError("Unbalanced brackets in expression.", column) != 0;
                if (ApplyOperator(operators, values)) return FatalError("Error in expression.", column) != 0;
              }
              operators.Pop();
              afterOperand = true;
              looking = false;
              op = -1;  // nothing was pushed
              break;
            case ACCEPT:
              if (values.GetCount() != 1) return FatalError("Error in expression.", column) != 0;
              result = std::move(values.Top());
              return false;
            case ERR_MISSING_RIGHT:
              return FatalError("Missing right bracket ')' in expression.", column) != 0;
            case ERR_UNBALANCED:
              return FatalError("Unbalanced brackets in expression.", column) != 0;
          }
        }
        // Short-circuit: a false left operand of AND or a true one of OR decides the result
        // without evaluating the right operand.
        if ((op == OP_AND || op == OP_OR) && !values.IsEmpty()) {
          bool truth = values.Top().IsTrue();
          if ((op == OP_AND && !truth) || (op == OP_OR && truth)) {
            if (SkipArgument(tokens, index)) return FatalError("Error in expression.", column) != 0;
            SetTruth(values.Top(), op == OP_OR);
            operators.Pop();
            afterOperand = true;
          }
        }
        continue;
      }
    }
    // An operand that may have run script code (a call): stop when it failed or ended the run.
    if (failed) return true;
    afterOperand = true;
  }
}

bool CQuorvex_Script::EvaluateCondition(const CTokenList& tokens, int& index, bool& truth) {
  // A comparison of two plain operands is decided on them where they are, without a result
  // value. Inside another expression (a called function's line) it takes the general way and
  // its nesting checks.
  const int op = evalNesting_ > 0 || ForceGeneralEvaluation ? -2 : QuickShape(tokens, index);
  if (op >= 0 && op <= OP_STRINGEQUAL) {
    const CScriptValue* left = PlainOperand(tokens[index]);
    if (!left) return true;
    const CScriptValue* right = PlainOperand(tokens[index + 2]);
    if (!right) return true;
    truth = Compare(op, *left, *right);
    index += 3;
    return false;
  }
  CScriptValue value;
  if (EvaluateExpression(tokens, index, value)) return true;
  truth = value.IsTrue();
  return false;
}

bool CQuorvex_Script::SkipArgument(const CTokenList& tokens, int& index) {
  int depth = 0;
  for (;; ++index) {
    const CScriptToken& t = tokens[index];
    switch (t.kind) {
      case TOK_END:
        return depth != 0;
      case TOK_LEFTPAREN:
      case TOK_LEFTSUBSCRIPT:
        ++depth;
        break;
      case TOK_RIGHTPAREN:
      case TOK_RIGHTSUBSCRIPT:
        if (--depth < 0) return false;
        break;
      case TOK_COMMA:
        if (depth == 0) return false;
        break;
      case TOK_KEYWORD:
        if (depth == 0 && t.value.GetInt() != KW_NOT) return false;
        break;
      default:
        break;
    }
  }
}

bool CQuorvex_Script::GetVariableValue(const CTokenList& tokens, int& index, CScriptValue& result) {
  const CScriptToken& name = tokens[index];
  if (tokens[index + 1].kind != TOK_LEFTSUBSCRIPT) {
    // A plain read runs no script code: the value is copied straight from its entry.
    CScriptValue* value = nullptr;
    if (!variables_->GetRef(name.value.GetString(), value, SCOPE_ANY))
      return FatalError("Variable used without being declared.", name.column) != 0;
    ++index;
    result.Copy(*value);
    return false;
  }
  // Subscripts without calls run no script code either: the element is read in place.
  bool calls = false;
  for (int i = index + 1, depth = 0; !calls; ++i) {
    const int kind = tokens[i].kind;
    if (kind == TOK_END) break;
    calls = kind == TOK_USERFUNCTION || kind == TOK_BUILTIN;
    if (kind == TOK_LEFTSUBSCRIPT) ++depth;
    if (kind == TOK_RIGHTSUBSCRIPT && --depth == 0 && tokens[i + 1].kind != TOK_LEFTSUBSCRIPT) break;
  }
  if (!calls) {
    CScriptValue* value = nullptr;
    if (!variables_->GetRef(name.value.GetString(), value, SCOPE_ANY))
      return FatalError("Variable used without being declared.", name.column) != 0;
    ++index;
    if (!value->IsArray()) return FatalError("Subscript used with non-Array variable.", tokens[index].column) != 0;
    if (ParseSubscripts(tokens, index, value, name.column)) return true;
    result.Copy(*value);
    return false;
  }
  // Hold the variable's value while subscripts run script code of their own.
  std::shared_ptr<CScriptValue> holder = variables_->GetShared(name.value.GetString(), SCOPE_ANY);
  if (!holder) return FatalError("Variable used without being declared.", name.column) != 0;
  ++index;
  CScriptValue* value = holder.get();
  if (tokens[index].kind == TOK_LEFTSUBSCRIPT) {
    if (!value->IsArray()) return FatalError("Subscript used with non-Array variable.", tokens[index].column) != 0;
    if (ParseSubscripts(tokens, index, value, name.column)) return true;
  }
  result.Copy(*value);
  return false;
}

bool CQuorvex_Script::ParseSubscripts(const CTokenList& tokens, int& index, CScriptValue*& target, int nameColumn,
                                      std::shared_ptr<CScriptValue>* holder, std::vector<int>* subscripts) {
  int at[CScriptValue::kMaxDimensions];
  int count = 0;
  while (tokens[index].kind == TOK_LEFTSUBSCRIPT) {
    if (count == CScriptValue::kMaxDimensions)
      return FatalError("Array variable has incorrect number of subscripts or subscript dimension range exceeded.",
                        nameColumn) != 0;
    ++index;
    int first = tokens[index].column;
    CScriptValue subscript;
    if (EvaluateExpression(tokens, index, subscript)) return true;
    int n = subscript.GetInt();
    if (n < 0) return FatalError("Array variable subscript badly formatted.", first) != 0;
    if (tokens[index].kind != TOK_RIGHTSUBSCRIPT)
      return FatalError("Array variable subscript badly formatted.", tokens[index - 1].column) != 0;
    ++index;
    at[count++] = n;
  }
  // The subscripts are gathered first: their expressions may use this array too.
  target->ClearSubscripts();
  for (int i = 0; i < count; ++i) target->AddSubscript(at[i]);
  // Without a holder the element is only read (an assignment writes it later, by its subscripts).
  CScriptValue* element = nullptr;
  if (holder) {
    *holder = target->GetElementShared();
    element = holder->get();
  } else {
    element = target->GetElementToRead();
  }
  if (!element)
    return FatalError("Array variable has incorrect number of subscripts or subscript dimension range exceeded.",
                      nameColumn) != 0;
  if (subscripts) subscripts->assign(at, at + count);
  target = element;
  return false;
}
