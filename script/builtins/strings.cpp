// The string built-ins: measure, cut, search, replace, split, format and classify 8-bit texts.
#include <cstdarg>
#include <cmath>
#include <cstring>

#include "script/interpreter.h"
#include "script/sysutil/sysutil.h"

namespace {

const char kWhiteSpace[] = " \t\r\n\v\f";

bool IsWhiteSpace(char c) { return c != '\0' && strchr(kWhiteSpace, c) != nullptr; }
bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDecimalDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

const char* Text(const CValueList& args, int i) { return args.GetAt(i).GetString(); }
int Length(const CValueList& args, int i) { return args.GetAt(i).GetStringLength(); }

// Characters start .. start + count - 1 of the argument's text; empty when the range is invalid,
// cut at the end of the text.
void SetRange(CScriptValue& result, const CValueList& args, long long start, long long count) {
  long long length = Length(args, 0);
  long long end = count > length - start ? length : start + count;
  CScriptString text;
  if (start >= 0 && start < length && count > 0)
    text.AssignText(Text(args, 0) + start, static_cast<int>(end - start));
  result.SetString(text);
}

// A sign, then digits only.
bool IsIntText(const char* text) {
  if (*text == '+' || *text == '-') ++text;
  if (!*text) return false;
  while (IsDecimalDigit(*text)) ++text;
  return *text == '\0';
}

// A sign, digits, one decimal point and digits, with at least one digit somewhere.
bool IsFloatText(const char* text) {
  if (*text == '+' || *text == '-') ++text;
  bool digits = false, point = false;
  for (; *text; ++text) {
    if (IsDecimalDigit(*text)) {
      digits = true;
    } else if (*text == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digits && point;
}

}  // namespace

// ---- lengths and ranges --------------------------------------------------------------------

int CQuorvex_Script::F_StringLen(CValueList& args, CScriptValue& result) {
  result.SetInt(Length(args, 0));
  return 0;
}

int CQuorvex_Script::F_StringLeft(CValueList& args, CScriptValue& result) {
  SetRange(result, args, 0, args.GetAt(1).GetInt());
  return 0;
}

int CQuorvex_Script::F_StringRight(CValueList& args, CScriptValue& result) {
  long long n = args.GetAt(1).GetInt();
  long long length = Length(args, 0);
  if (n > length) n = length;
  SetRange(result, args, length - n, n);
  return 0;
}

int CQuorvex_Script::F_StringMid(CValueList& args, CScriptValue& result) {
  long long start = args.GetAt(1).GetInt();
  SetRange(result, args, start >= 1 ? start - 1 : -1, args.GetAt(2).GetInt());
  return 0;
}

int CQuorvex_Script::F_StringTrimLeft(CValueList& args, CScriptValue& result) {
  long long n = args.GetAt(1).GetInt();
  long long length = Length(args, 0);
  SetRange(result, args, n < 0 ? length : n, length - n);
  return 0;
}

int CQuorvex_Script::F_StringTrimRight(CValueList& args, CScriptValue& result) {
  long long n = args.GetAt(1).GetInt();
  SetRange(result, args, n < 0 ? -1 : 0, Length(args, 0) - n);
  return 0;
}

// ---- case and line ends --------------------------------------------------------------------

int CQuorvex_Script::F_StringLower(CValueList& args, CScriptValue& result) {
  CScriptString text(Text(args, 0));
  text.MakeLower();
  result.SetString(text);
  return 0;
}

int CQuorvex_Script::F_StringUpper(CValueList& args, CScriptValue& result) {
  CScriptString text(Text(args, 0));
  text.MakeUpper();
  result.SetString(text);
  return 0;
}

int CQuorvex_Script::F_StringStripCR(CValueList& args, CScriptValue& result) {
  CScriptString text(Text(args, 0));
  StripCR(text.GetBuffer(text.GetLength()));
  text.SetLength(-1);
  result.SetString(text);
  return 0;
}

int CQuorvex_Script::F_StringAddCR(CValueList& args, CScriptValue& result) {
  const char* source = Text(args, 0);
  long long feeds = 0;
  for (const char* p = source; *p; ++p) feeds += *p == '\n';
  if (Length(args, 0) + feeds > TextLengthLimit()) throw CTextTooLong();
  const int length = static_cast<int>(Length(args, 0) + feeds);
  CScriptString text;
  ExpandLF(source, text.GetBuffer(length));
  text.SetLength(length);
  result.SetString(text);
  return 0;
}

// ---- search and replace --------------------------------------------------------------------

int CQuorvex_Script::F_StringInStr(CValueList& args, CScriptValue& result) {
  bool caseSensitive = args.GetCount() > 2 && args.GetAt(2).GetInt() != 0;
  int occurrence = args.GetCount() > 3 ? args.GetAt(3).GetInt() : 1;
  if (occurrence == 0) {
    SetError(1);
    result.SetInt(0);
    return 0;
  }
  CScriptString text(Text(args, 0));
  int at = text.FindOccurrence(Text(args, 1), caseSensitive, occurrence);
  result.SetInt(at >= 0 && at < text.GetLength() ? at + 1 : 0);
  return 0;
}

int CQuorvex_Script::F_StringReplace(CValueList& args, CScriptValue& result) {
  const char* text = Text(args, 0);
  const char* search = Text(args, 1);
  const int searchLength = Length(args, 1);
  // Nothing to look for: the text is given back as it is.
  if (searchLength == 0) {
    result.SetString(text);
    return 0;
  }
  const char* replace = Text(args, 2);
  const int replaceLength = Length(args, 2);
  int count = args.GetCount() > 3 ? args.GetAt(3).GetInt() : 0;
  bool caseSensitive = args.GetCount() > 4 && args.GetAt(4).GetInt() != 0;
  const int length = Length(args, 0);
  CScriptString out;
  int done = 0, rest = 0;
  // Most places differ in their first character: that is told without a call (letters fold
  // as _strnicmp folds them: ASCII only).
  auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  const char first = caseSensitive ? search[0] : fold(search[0]);
  for (int i = 0; i + searchLength <= length && (count <= 0 || done < count);) {
    if ((caseSensitive ? text[i] : fold(text[i])) != first) {
      ++i;
      continue;
    }
    bool match = caseSensitive ? strncmp(text + i, search, searchLength) == 0
                               : _strnicmp(text + i, search, searchLength) == 0;
    if (!match) {
      ++i;
      continue;
    }
    out.AppendText(text + rest, i - rest);
    out.AppendText(replace, replaceLength);
    ++done;
    i += searchLength;
    rest = i;
  }
  out.AppendText(text + rest, length - rest);
  result.SetString(out);
  return 0;
}

int CQuorvex_Script::F_StringSplit(CValueList& args, CScriptValue& result) {
  const char* text = Text(args, 0);
  const char* delimiters = Text(args, 1);
  const int length = Length(args, 0);
  if (!*delimiters) {
    // Every character a piece of its own.
    if (!CreateArray1D(result, length + 1)) {
      SetError(1);
      return 0;
    }
    GetArrayElement1D(result, 0)->SetInt(length);
    for (int i = 0; i < length; ++i) {
      char piece[2] = {text[i], '\0'};
      GetArrayElement1D(result, i + 1)->SetString(piece);
    }
    return 0;
  }
  int found = 0;
  for (int i = 0; i < length; ++i) found += strchr(delimiters, text[i]) != nullptr;
  if (!CreateArray1D(result, found + 2)) {
    SetError(1);
    return 0;
  }
  GetArrayElement1D(result, 0)->SetInt(found + 1);
  if (found == 0) SetError(1);  // no delimiter: the whole text is the one piece
  int piece = 1, start = 0;
  CScriptString part;
  for (int i = 0; i <= length; ++i) {
    if (i < length && !strchr(delimiters, text[i])) continue;
    part.AssignText(text + start, i - start);
    GetArrayElement1D(result, piece++)->SetString(part);
    start = i + 1;
  }
  return 0;
}

int CQuorvex_Script::F_StringStripWS(CValueList& args, CScriptValue& result) {
  if (args.GetAt(0).IsArray()) {
    SetError(1);
    return 0;
  }
  const int flags = args.GetAt(1).GetInt();
  const char* text = Text(args, 0);
  CScriptString out;
  if (flags & 8) {
    for (const char* p = text; *p; ++p)
      if (!IsWhiteSpace(*p)) out.AppendChar(*p);
  } else {
    if (flags & 1)
      while (IsWhiteSpace(*text)) ++text;
    out.AssignText(text);
    if (flags & 2) out.TrimRight(kWhiteSpace);
    if (flags & 4) {
      CScriptString reduced;
      for (int i = 0; i < out.GetLength(); ++i)
        if (i == 0 || !IsWhiteSpace(out[i]) || !IsWhiteSpace(out[i - 1])) reduced.AppendChar(out[i]);
      out = reduced;
    }
  }
  result.SetString(out);
  return 0;
}

// ---- format --------------------------------------------------------------------------------

namespace {

// Widths and precisions above this make a conversion bad; it is also the most of a value's
// text that a "%s" takes.
constexpr int kFormatLimit = 65535;

// One conversion of a format: flags, width and precision as written, and its letter.
struct CConversion {
  char flags[8] = {};  // each of "-+ #0" at most once
  int width = -1;
  int precision = -1;
  char letter = 0;
  bool Has(char flag) const { return strchr(flags, flag) != nullptr; }
};

// Reads the conversion after a "%" at `p`; the number of characters it spans, or 0 when it is
// not made only of flags, a width, a precision and one of the letters "diouxXeEfgGs". A size
// letter ("h", "l" or "ll" before an integer letter, "l" before a real one) is read and
// dropped: every value is formatted at the one size of its letter.
int ParseConversion(const char* p, CConversion& c) {
  const char* start = p;
  int flagCount = 0;
  for (; *p && strchr("-+ #0", *p); ++p)
    if (!c.Has(*p)) c.flags[flagCount++] = *p;
  auto readNumber = [&p](int& value) {
    value = 0;
    for (; IsDecimalDigit(*p); ++p)
      if ((value = value * 10 + (*p - '0')) > kFormatLimit) return false;
    return true;
  };
  if (IsDecimalDigit(*p) && !readNumber(c.width)) return 0;
  if (*p == '.') {
    ++p;
    if (!readNumber(c.precision)) return 0;
  }
  const char* sized = nullptr;  // the letters the size letter may stand before
  if (p[0] == 'h' || (p[0] == 'l' && p[1] == 'l')) {
    sized = "diouxX";
    p += p[0] == 'h' ? 1 : 2;
  } else if (p[0] == 'l') {
    sized = "diouxXeEfgG";
    ++p;
  }
  if (!*p || !strchr(sized ? sized : "diouxXeEfgGs", *p)) return 0;
  c.letter = *p++;
  return static_cast<int>(p - start);
}

// Appends printf output of a format this file built, measured first so nothing is ever cut.
void AppendPrintf(CScriptString& out, const char* format, ...) {
  va_list list;
  va_start(list, format);
  va_list again;
  va_copy(again, list);
  int length = vsnprintf(nullptr, 0, format, list);
  va_end(list);
  if (length > 0) {
    CScriptString piece;
    vsnprintf(piece.GetBuffer(length), static_cast<size_t>(length) + 1, format, again);
    piece.SetLength(length);
    out.Append(piece);
  }
  va_end(again);
}

// The printf format of a conversion with only the flags its letter uses; `withWidth` keeps the
// width. Undefined flag and letter pairs ("#" with "d", "0" with "s") never reach printf.
void BuildFormat(const CConversion& c, const char* allowed, bool withWidth, char* format) {
  char* out = format;
  *out++ = '%';
  for (const char* f = c.flags; *f; ++f)
    if (strchr(allowed, *f)) *out++ = *f;
  if (withWidth && c.width >= 0) out += sprintf(out, "%d", c.width);
  if (c.precision >= 0) out += sprintf(out, ".%d", c.precision);
  *out++ = c.letter;
  *out = '\0';
}

// Pads a formatted number to the conversion's width: on the right with "-", with zeros after
// the sign with "0" (finite numbers only), else with spaces on the left.
void AppendPadded(CScriptString& out, const CConversion& c, const char* text, bool zeroAllowed) {
  int length = static_cast<int>(strlen(text));
  int pad = c.width > length ? c.width - length : 0;
  if (c.Has('-')) {
    out.AppendText(text);
    while (pad-- > 0) out.AppendChar(' ');
  } else if (c.Has('0') && zeroAllowed) {
    int sign = (*text == '-' || *text == '+' || *text == ' ') ? 1 : 0;
    out.AppendText(text, sign);
    while (pad-- > 0) out.AppendChar('0');
    out.AppendText(text + sign);
  } else {
    while (pad-- > 0) out.AppendChar(' ');
    out.AppendText(text);
  }
}

void AppendConversion(CScriptString& out, const CConversion& c, const CScriptValue& value) {
  char format[48];
  switch (c.letter) {
    case 's': {
      CScriptString text(value.GetString());
      text.Truncate(kFormatLimit);
      BuildFormat(c, "-", true, format);
      AppendPrintf(out, format, text.GetText());
      return;
    }
    case 'd':
    case 'i':
      BuildFormat(c, "-+ 0", true, format);
      AppendPrintf(out, format, value.GetInt());
      return;
    case 'o':
    case 'u':
    case 'x':
    case 'X':
      BuildFormat(c, c.letter == 'u' ? "-0" : "-#0", true, format);
      AppendPrintf(out, format, static_cast<unsigned>(value.GetInt()));
      return;
    default: {
      // Numbers are written as scripts write them: three exponent digits, "1.#INF" and the like
      // for what is not finite; so the width is applied here, after the exponent grew.
      double number = value.GetNumber();
      CScriptString text;
      if (std::isfinite(number)) {
        BuildFormat(c, "+ #", false, format);
        AppendPrintf(text, format, number);
        if (c.letter != 'f') {
          WidenExponent(text.GetBuffer(text.GetLength() + 2));
          text.SetLength(-1);
        }
      } else {
        char special[64];
        FormatScriptNumber(number, special);
        text.AssignText(special);
      }
      AppendPadded(out, c, text, std::isfinite(number));
    }
  }
}

}  // namespace

int CQuorvex_Script::F_StringFormat(CValueList& args, CScriptValue& result) {
  const char* format = Text(args, 0);
  CScriptString out;
  int next = 1;
  for (const char* p = format; *p;) {
    if (*p == '\\') {
      // "\n", "\r", "\t" and "\%"; a backslash before anything else stays as it is.
      char escaped = p[1] == 'n' ? '\n' : p[1] == 'r' ? '\r' : p[1] == 't' ? '\t' : p[1] == '%' ? '%' : 0;
      out.AppendChar(escaped ? escaped : '\\');
      p += escaped ? 2 : 1;
      continue;
    }
    if (*p != '%') {
      out.AppendChar(*p++);
      continue;
    }
    if (p[1] == '%') {
      out.AppendChar('%');
      p += 2;
      continue;
    }
    if (next >= args.GetCount()) break;  // a conversion with no value left ends the text
    CConversion conversion;
    int span = ParseConversion(p + 1, conversion);
    if (span == 0) {
      // A "%" that does not start a well-formed conversion ("%n", "%*d", "%5", a width beyond
      // the limit): the call fails rather than guess.
      SetError(1);
      result.SetString("");
      return 0;
    }
    AppendConversion(out, conversion, args.GetAt(next++));
    p += 1 + span;
  }
  result.SetString(out);
  return 0;
}

// ---- classifiers ---------------------------------------------------------------------------

namespace {

// 1 when every character passes the test, tried from the last to the first; an empty text
// passes.
template <class Test>
int Classify(const CValueList& args, CScriptValue& result, Test test) {
  const char* text = Text(args, 0);
  int pass = 1;
  for (int i = Length(args, 0) - 1; i >= 0 && pass; --i) pass = test(text[i]) ? 1 : 0;
  result.SetInt(pass);
  return 0;
}

}  // namespace

int CQuorvex_Script::F_StringIsAlpha(CValueList& args, CScriptValue& result) {
  return Classify(args, result, [](char c) { return IsCharAlphaA(c) != 0; });
}

int CQuorvex_Script::F_StringIsAlNum(CValueList& args, CScriptValue& result) {
  return Classify(args, result, [](char c) { return IsCharAlphaNumericA(c) != 0; });
}

int CQuorvex_Script::F_StringIsDigit(CValueList& args, CScriptValue& result) {
  return Classify(args, result, IsDecimalDigit);
}

int CQuorvex_Script::F_StringIsXDigit(CValueList& args, CScriptValue& result) {
  return Classify(args, result, IsHexDigit);
}

int CQuorvex_Script::F_StringIsLower(CValueList& args, CScriptValue& result) {
  return Classify(args, result, [](char c) { return IsCharLowerA(c) != 0; });
}

int CQuorvex_Script::F_StringIsUpper(CValueList& args, CScriptValue& result) {
  return Classify(args, result, [](char c) { return IsCharUpperA(c) != 0; });
}

int CQuorvex_Script::F_StringIsSpace(CValueList& args, CScriptValue& result) {
  return Classify(args, result, IsWhiteSpace);
}

int CQuorvex_Script::F_StringIsASCII(CValueList& args, CScriptValue& result) {
  return Classify(args, result, [](char c) { return static_cast<unsigned char>(c) < 128; });
}

int CQuorvex_Script::F_StringIsFloat(CValueList& args, CScriptValue& result) {
  result.SetInt(IsFloatText(Text(args, 0)));
  return 0;
}

int CQuorvex_Script::F_StringIsInt(CValueList& args, CScriptValue& result) {
  result.SetInt(IsIntText(Text(args, 0)));
  return 0;
}
