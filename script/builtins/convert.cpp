// The conversion, type-test, bit, random and arithmetic built-ins: pure functions of their
// arguments (RANDOM aside) that never end a run.
#include <cmath>

#include "script/interpreter.h"
#include "script/mathops.h"
#include "script/random.h"
#include "script/sysutil/sysutil.h"

namespace {

const CScriptValue& Arg(const CValueList& args, int i) { return args.GetAt(i); }

// An argument that may be handed over as a reference to a variable (see readsInPlace).
const CScriptValue& InPlaceArg(const CValueList& args, int i) {
  const CScriptValue& value = args.GetAt(i);
  return value.IsReference() ? *value.GetReference() : value;
}

// Bit operations work on the 32-bit pattern of a value; shifting and complementing it as
// unsigned keeps every count defined.
unsigned Bits(const CScriptValue& value) { return static_cast<unsigned>(value.GetInt()); }

int Signed(unsigned bits) { return static_cast<int>(bits); }

}  // namespace

// ---- characters and hexadecimal ------------------------------------------------------------

int CQuorvex_Script::F_Asc(CValueList& args, CScriptValue& result) {
  result.SetInt(static_cast<unsigned char>(Arg(args, 0).GetString()[0]));
  return 0;
}

int CQuorvex_Script::F_Chr(CValueList& args, CScriptValue& result) {
  char text[2] = {0, 0};
  // Only a number is a character code: the text "65" is not.
  if (Arg(args, 0).IsNumber()) text[0] = static_cast<char>(Bits(Arg(args, 0)) & 0xFF);
  result.SetString(text);
  return 0;
}

int CQuorvex_Script::F_Dec(CValueList& args, CScriptValue& result) {
  int value;
  if (!HexToInt(Arg(args, 0).GetString(), value)) {
    SetError(1);
    value = 0;
  }
  result.SetInt(value);
  return 0;
}

int CQuorvex_Script::F_Hex(CValueList& args, CScriptValue& result) {
  int digits = Arg(args, 1).GetInt();
  if (digits < 0 || digits > 8) {
    SetError(1);
    result.SetString("");
    return 0;
  }
  char text[9];
  // A value that needs more digits keeps its low ones and tells the script so.
  if (!IntToHex(Arg(args, 0).GetInt(), text, digits)) SetError(1);
  result.SetString(text);
  return 0;
}

// ---- conversions and type tests ------------------------------------------------------------

int CQuorvex_Script::F_Int(CValueList& args, CScriptValue& result) {
  result.SetNumber(static_cast<double>(MathToInt64(Arg(args, 0).GetNumber())));
  return 0;
}

int CQuorvex_Script::F_Number(CValueList& args, CScriptValue& result) {
  result = Arg(args, 0);
  result.ChangeToNumber();
  return 0;
}

int CQuorvex_Script::F_String(CValueList& args, CScriptValue& result) {
  result = Arg(args, 0);
  result.ChangeToString();
  return 0;
}

int CQuorvex_Script::F_IsArray(CValueList& args, CScriptValue& result) {
  result.SetInt(InPlaceArg(args, 0).IsArray());
  return 0;
}

int CQuorvex_Script::F_IsString(CValueList& args, CScriptValue& result) {
  result.SetInt(Arg(args, 0).IsString());
  return 0;
}

int CQuorvex_Script::F_IsNumber(CValueList& args, CScriptValue& result) {
  result.SetInt(Arg(args, 0).IsNumber());
  return 0;
}

int CQuorvex_Script::F_IsInt(CValueList& args, CScriptValue& result) {
  result.SetInt(Arg(args, 0).IsInteger());
  return 0;
}

int CQuorvex_Script::F_IsFloat(CValueList& args, CScriptValue& result) {
  result.SetInt(Arg(args, 0).IsFloat());
  return 0;
}

// ---- bits ----------------------------------------------------------------------------------

namespace {

template <class Combine>
void FoldBits(const CValueList& args, CScriptValue& result, Combine combine) {
  unsigned bits = Bits(Arg(args, 0));
  for (int i = 1; i < args.GetCount(); ++i) bits = combine(bits, Bits(Arg(args, i)));
  result.SetInt(Signed(bits));
}

}  // namespace

int CQuorvex_Script::F_BitAnd(CValueList& args, CScriptValue& result) {
  FoldBits(args, result, [](unsigned a, unsigned b) { return a & b; });
  return 0;
}

int CQuorvex_Script::F_BitOr(CValueList& args, CScriptValue& result) {
  FoldBits(args, result, [](unsigned a, unsigned b) { return a | b; });
  return 0;
}

int CQuorvex_Script::F_BitXor(CValueList& args, CScriptValue& result) {
  FoldBits(args, result, [](unsigned a, unsigned b) { return a ^ b; });
  return 0;
}

int CQuorvex_Script::F_BitNot(CValueList& args, CScriptValue& result) {
  result.SetInt(Signed(~Bits(Arg(args, 0))));
  return 0;
}

int CQuorvex_Script::F_BitShift(CValueList& args, CScriptValue& result) {
  int value = Arg(args, 0).GetInt();
  long long n = Arg(args, 1).GetInt();  // wide, so the count of INT_MIN negates safely
  if (n >= 0) {
    int count = static_cast<int>(n % 32);
    result.SetInt(value >> count);  // arithmetic: the sign bit fills in from the left
  } else {
    result.SetInt(Signed(static_cast<unsigned>(value) << ((-n) % 32)));
  }
  return 0;
}

// ---- random numbers ------------------------------------------------------------------------

int CQuorvex_Script::F_Random(CValueList& args, CScriptValue& result) {
  if (args.GetCount() == 0) {
    result.SetNumber(RandomDouble());
    return 0;
  }
  if (args.GetCount() == 1) {
    const CScriptValue& limit = Arg(args, 0);
    if (!limit.IsNumber()) {
      SetError(1);
    } else if (limit.GetNumber() <= 0) {
      SetError(2);
    } else {
      result.SetNumber(RandomDouble() * limit.GetNumber());
    }
    return 0;
  }
  if (Arg(args, 0).IsArray() || Arg(args, 1).IsArray()) {
    SetError(1);
    return 0;
  }
  double low = Arg(args, 0).GetNumber(), high = Arg(args, 1).GetNumber();
  if (low >= high) {
    SetError(2);
    return 0;
  }
  result.SetNumber(low + RandomDouble() * (high - low));
  return 0;
}

// ---- arithmetic ----------------------------------------------------------------------------

namespace {

int ApplyMath(const CValueList& args, CScriptValue& result, double (*function)(double)) {
  result.SetNumber(function(Arg(args, 0).GetNumber()));
  return 0;
}

// x rounded to `decimals` places, halves away from zero. More places than a double has leave x
// as it is; rounding to a power of ten above every double gives 0. (The bounds also keep the
// scale a non-zero, finite double, whatever precision the intermediate results are kept in.)
double RoundTo(double x, int decimals) {
  if (!std::isfinite(x) || decimals > 308) return x;
  if (decimals < -308) return 0.0;
  double scale = MathPow(10.0, decimals);
  double scaled = x * scale;
  if (!std::isfinite(scaled)) return x;
  return (x >= 0 ? MathFloor(scaled + 0.5) : MathCeil(scaled - 0.5)) / scale;
}

}  // namespace

int CQuorvex_Script::F_Exp(CValueList& args, CScriptValue& result) { return ApplyMath(args, result, MathExp); }
int CQuorvex_Script::F_Log(CValueList& args, CScriptValue& result) { return ApplyMath(args, result, MathLog); }
int CQuorvex_Script::F_Sqrt(CValueList& args, CScriptValue& result) { return ApplyMath(args, result, MathSqrt); }
int CQuorvex_Script::F_Sin(CValueList& args, CScriptValue& result) { return ApplyMath(args, result, MathSin); }
int CQuorvex_Script::F_Cos(CValueList& args, CScriptValue& result) { return ApplyMath(args, result, MathCos); }
int CQuorvex_Script::F_Tan(CValueList& args, CScriptValue& result) { return ApplyMath(args, result, MathTan); }
int CQuorvex_Script::F_ASin(CValueList& args, CScriptValue& result) { return ApplyMath(args, result, MathAsin); }
int CQuorvex_Script::F_ACos(CValueList& args, CScriptValue& result) { return ApplyMath(args, result, MathAcos); }
int CQuorvex_Script::F_ATan(CValueList& args, CScriptValue& result) { return ApplyMath(args, result, MathAtan); }
int CQuorvex_Script::F_Abs(CValueList& args, CScriptValue& result) { return ApplyMath(args, result, MathAbs); }

int CQuorvex_Script::F_Mod(CValueList& args, CScriptValue& result) {
  result.SetNumber(MathMod(Arg(args, 0).GetNumber(), Arg(args, 1).GetNumber()));
  return 0;
}

int CQuorvex_Script::F_Round(CValueList& args, CScriptValue& result) {
  int decimals = args.GetCount() > 1 ? Arg(args, 1).GetInt() : 0;
  result.SetNumber(RoundTo(Arg(args, 0).GetNumber(), decimals));
  return 0;
}

// ---- arrays --------------------------------------------------------------------------------

int CQuorvex_Script::F_UBound(CValueList& args, CScriptValue& result) {
  const CScriptValue& array = InPlaceArg(args, 0);
  if (!array.IsArray()) {
    SetError(1);
    return 0;
  }
  int dimension = args.GetCount() > 1 ? Arg(args, 1).GetInt() : 1;
  if (dimension < 0 || dimension > array.GetDimension(0)) {
    SetError(1);
    result.SetInt(0);
    return 0;
  }
  result.SetInt(array.GetDimension(dimension));
  return 0;
}
