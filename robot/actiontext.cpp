// Action display lines <-> script statements. Every cut below is bounds-checked: a malformed or
// truncated line gives "" or a partial text, never a read outside the line.
#include "robot/actiontext.h"

#include <cstdlib>
#include <cstring>

#include "framework/msgbox.h"
#include "robot/numbertext.h"

namespace {

const char kSpeedMark[] = "=> [remove on faster speed]";
const char kDisplayWinMark[] = " At Win [";
const char kScriptWinMark[] = "-> At Win [";

bool StartsWith(const CString& s, const char* prefix) {
  return strncmp(s.GetString(), prefix, strlen(prefix)) == 0;
}

bool EndsWith(const CString& s, const char* suffix) {
  int n = static_cast<int>(strlen(suffix));
  return s.GetLength() >= n && strcmp(s.GetString() + s.GetLength() - n, suffix) == 0;
}

// The last occurrence of text in s, or -1.
int FindLast(const CString& s, const char* text) {
  int found = -1;
  for (int at = s.Find(text); at >= 0; at = s.Find(text, at + 1)) found = at;
  return found;
}

// The text between [from, to), clamped to the line.
CString Between(const CString& s, int from, int to) {
  if (from < 0) from = 0;
  if (to > s.GetLength()) to = s.GetLength();
  return to > from ? s.Mid(from, to - from) : CString();
}

CString Rest(const CString& s, int from) { return Between(s, from, s.GetLength()); }

CString TrimmedLeft(CString s) { return s.TrimLeft(); }

// Cuts the speed mark and the window suffix off `text`; `windowMark` is the marker of this
// side. Returns the suffixes in the other side's form.
struct Suffixes {
  CString window;  // already in the other form
  CString speed;
};

Suffixes CutSuffixes(CString& text, const char* windowMark, bool toScript) {
  Suffixes out;
  if (EndsWith(text, kSpeedMark)) {
    text = text.Left(text.GetLength() - static_cast<int>(strlen(kSpeedMark)));
    out.speed = kSpeedMark;
  }
  int at = FindLast(text, windowMark);
  if (at >= 0 && text.Find(']', at + static_cast<int>(strlen(windowMark))) >= 0) {
    CString suffix = Rest(text, at);
    text = text.Left(at);
    out.window = toScript ? CString("->") + suffix : suffix.Mid(2);
  }
  return out;
}

// ---- display -> script ----------------------------------------------------------------------

// "Mouse Left Click" / "Mouse Left Click, 3 times": the count text, "1" without one.
CString ClickCount(const CString& line, const char* prefix) {
  if (!EndsWith(line, "times")) return "1";
  int from = static_cast<int>(strlen(prefix)) + 2;  // after "<prefix>, "
  return Between(line, from, line.GetLength() - 6);  // before " times"
}

CString MoveToScript(const CString& line, const char* prefix, const char* function) {
  int from = static_cast<int>(strlen(prefix)) + 1;
  int comma = line.Find(',', from);
  CString x = comma >= 0 ? Between(line, from, comma) : Rest(line, from);
  CString y = comma >= 0 ? Rest(line, comma + 2) : CString();
  return CString(function) + "(" + x + ", " + y + ")";
}

CString KeyToScript(const CString& line, const char* prefix, const char* function) {
  int from = static_cast<int>(strlen(prefix));
  CString opening = CString(function) + "(\"\",\"\",\"\",\"";
  int comma = line.Find(',');
  if (comma < 0) return opening + Rest(line, from) + "\", 1)";
  if (comma == from) {  // the comma key itself
    CString count = "1";
    int twice = line.Find(CString(prefix) + ",,");
    if (twice >= 0) {
      int start = twice + from + 2;
      int end = line.Find(" times", start);
      count = Between(line, start, end >= 0 ? end : line.GetLength());
    }
    return opening + ",\"," + count + ")";
  }
  CString key = Between(line, from, comma);
  int end = line.Find(" times", comma);
  CString count = Between(line, comma + 2, end >= 0 ? end : line.GetLength());
  return opening + key + "\", " + count + ")";
}

CString WaitToScript(const CString& line) {
  const char* unit = "";
  long long factor = 1;
  if (EndsWith(line, "milliseconds")) {
    unit = " milliseconds";
  } else if (EndsWith(line, "seconds")) {
    unit = " seconds", factor = 1000;
  } else if (EndsWith(line, "minutes")) {
    unit = " minutes", factor = 60000;
  }
  CString number = Between(line, 5, line.GetLength() - static_cast<int>(strlen(unit)));
  long long ms = static_cast<long long>(StringToInt(number)) * factor;  // minutes overflow 32 bits
  CString text;
  text.Format("%lld", ms);
  return (ms <= 60000 ? CString("WAIT(") : CString("WAITLONG(")) + text + ")";
}

CString ColourToScript(const CString& line) {
  CString x = "-1", y = "-1", word;
  if (StartsWith(line, "If color at (")) {
    int open = line.Find('(');
    int comma = line.Find(',', open);
    int close = line.Find(')', open);
    if (comma < 0 || close < 0 || comma > close) return CString();
    x = TrimmedLeft(Between(line, open + 1, comma));
    y = TrimmedLeft(Between(line, comma + 1, close));
    word = Rest(line, close + 2);
  } else {
    word = Rest(line, static_cast<int>(strlen("If color at mouse point")) + 1);
  }
  int k = StartsWith(word, "Equal to") ? 0 : StartsWith(word, "Unqual to") ? 1 : 2;
  int hash = line.Find('#');
  if (hash < 0) return CString();
  CString colour = Between(line, hash + 1, line.GetLength() - 6);  // without ", Then"
  auto pair = [&](int i) {
    return HexDigitValue(colour.Mid(i, 1)) * 16 + HexDigitValue(colour.Mid(i + 1, 1));
  };
  CString out;
  out.Format("If CheckColor(%s,%s,%d,%d,%d,%d) Then", x.GetString(), y.GetString(), pair(0), pair(2), pair(4), k);
  return out;
}

CString RunToScript(const CString& line) {
  // "Run " program | folder | f | m, read from the end.
  int n = line.GetLength();
  CString m = Rest(line, n - 1);
  int lastBar = line.ReverseFind('|');
  if (lastBar < 5) return CString();
  CString f = Between(line, lastBar - 1, lastBar);
  CString head = line.Left(lastBar - 1);  // ends with the bar before f
  int folderBar = head.ReverseFind('|');
  if (folderBar < 0) return CString();
  CString body = head.Left(folderBar);
  int programBar = body.ReverseFind('|');
  if (programBar < 4) return CString();
  CString folder = Rest(body, programBar + 1);
  CString program = Between(body, 4, programBar);
  const char* opening = m == "1" ? "RunReadyInput(\"" : m == "2" ? "RunWait(\"" : "Run(\"";
  return CString(opening) + program + "\", \"" + folder + "\", " + f + ")";
}

CString DisplayToScript(const CString& line) {
  static const struct {
    const char* prefix;
    const char* opening;
  } clicks[] = {{"Mouse Left Click", "MouseClick(\"left\", "},
                {"Mouse Right Click", "MouseClick(\"right\", "},
                {"Mouse Double Click", "MouseDoubleClick(\"left\", "}};
  for (const auto& c : clicks)
    if (StartsWith(line, c.prefix)) return CString(c.opening) + ClickCount(line, c.prefix) + ")";
  if (StartsWith(line, "Mouse Scroll ")) {
    return Rest(line, 13).CompareNoCase("Up") == 0 ? "MouseWheel(\"up\")" : "MouseWheel(\"down\")";
  }
  static const struct {
    const char* display;
    const char* script;
  } buttons[] = {{"Mouse Left Down", "MouseDown(\"left\")"},
                 {"Mouse Left Up", "MouseUp(\"left\")"},
                 {"Mouse Right Down", "MouseDown(\"right\")"},
                 {"Mouse Right Up", "MouseUp(\"right\")"}};
  for (const auto& b : buttons)
    if (StartsWith(line, b.display)) return b.script;
  if (StartsWith(line, "Mouse move to")) return MoveToScript(line, "Mouse move to", "MouseMove");
  if (StartsWith(line, "Relative mouse move")) return MoveToScript(line, "Relative mouse move", "MouseRelativeMove");
  if (StartsWith(line, "Key Press ")) return KeyToScript(line, "Key Press ", "KeySend");
  if (StartsWith(line, "Key Up ")) return KeyToScript(line, "Key Up ", "KeyUp");
  if (StartsWith(line, "Key Down ")) return KeyToScript(line, "Key Down ", "KeyDown");
  if (StartsWith(line, "Wait")) return WaitToScript(line);
  if (StartsWith(line, "Input text")) {
    CString text = Rest(line, 11);
    text.Remove('"');
    return "Send(\"" + text + "\")";
  }
  if (StartsWith(line, "If color at ")) return ColourToScript(line);
  if (StartsWith(line, "Else") || StartsWith(line, "EndIf")) return line;
  if (StartsWith(line, "TAG")) return "TAG $" + Rest(line, 4);
  if (StartsWith(line, "Switch to TAG")) return "GOTO $" + Rest(line, 14);
  if (StartsWith(line, "Start loop")) {
    int comma = line.Find(',');
    CString name = Between(line, 10, comma >= 0 ? comma : line.GetLength());
    int loop = line.Find(", loop ");
    int times = line.Find(" times", loop >= 0 ? loop : 0);
    CString count = loop >= 0 ? Between(line, loop + 7, times >= 0 ? times : line.GetLength()) : CString();
    return "For $count" + name + " = 1 To " + count;
  }
  if (StartsWith(line, "End loop block")) return "Next";
  if (StartsWith(line, "Comment:")) return line;
  if (StartsWith(line, "Run ")) return RunToScript(line);
  static const struct {
    const char* display;
    const char* script;
  } power[] = {{"Shut down computer", "Shutdown(1)"},
               {"Power off computer", "Shutdown(8)"},
               {"Restart computer", "Shutdown(2)"},
               {"Log off computer", "Shutdown(0)"}};
  for (const auto& p : power)
    if (line == p.display) return p.script;
  return CString();
}

// ---- script -> display ----------------------------------------------------------------------

// The text between the statement's "(" and its closing ")" (the last one).
CString Arguments(const CString& s) {
  int open = s.Find('(');
  int close = s.ReverseFind(')');
  if (open < 0) return CString();
  return Between(s, open + 1, close > open ? close : s.GetLength());
}

CString CountText(CString count) {
  return count == "1" ? CString() : ", " + count + " times";
}

// The first quoted argument ("left") with its first letter upper-cased ("Left").
CString ButtonName(const CString& s) {
  int q1 = s.Find('"');
  int q2 = q1 >= 0 ? s.Find('"', q1 + 1) : -1;
  CString name = q2 > q1 ? Between(s, q1 + 1, q2) : CString();
  if (!name.IsEmpty()) {
    char first = name[0];
    if (first >= 'a' && first <= 'z') name.SetAt(0, static_cast<char>(first - 'a' + 'A'));
  }
  return name;
}

CString ClickCountOf(const CString& s) {
  int comma = s.Find(", ");
  int close = s.ReverseFind(')');
  if (comma < 0) return "1";
  return Between(s, comma + 2, close > comma ? close : s.GetLength());
}

CString KeyDisplay(const CString& s, const char* word) {
  int open = s.Find("(\"\",\"\",\"\",\"");
  int lastQuote = s.ReverseFind('"');
  CString key = open >= 0 ? Between(s, open + 11, lastQuote) : CString();  // after ("","","","
  int lastComma = s.ReverseFind(',');
  int close = s.ReverseFind(')');
  CString count = lastComma >= 0 ? TrimmedLeft(Between(s, lastComma + 1, close > lastComma ? close : s.GetLength()))
                                 : CString("1");
  return CString(word) + key + CountText(count);
}

CString MoveDisplay(const CString& s, const char* word) {
  CString args = Arguments(s);
  int comma = args.Find(',');
  CString x = TrimmedLeft(comma >= 0 ? args.Left(comma) : args);
  CString y = TrimmedLeft(comma >= 0 ? Rest(args, comma + 1) : CString());
  return CString(word) + x + ", " + y;
}

CString ColourDisplay(const CString& s) {
  CString args = Arguments(s);
  CString part[6];
  int n = 0, from = 0;
  for (; n < 6; ++n) {
    int comma = args.Find(',', from);
    part[n] = comma >= 0 ? Between(args, from, comma) : Rest(args, from);
    if (comma < 0) {
      ++n;
      break;
    }
    from = comma + 1;
  }
  auto hex = [](const CString& v) {
    int value = StringToInt(v);
    if (value < 0) value = 0;
    if (value > 255) value = 255;
    return HexDigitText(value / 16) + HexDigitText(value % 16);
  };
  CString out = (part[0] == "-1" && part[1] == "-1") ? CString("If color at mouse point ")
                                                       : "If color at (" + part[0] + ", " + part[1] + ") ";
  int k = StringToInt(part[5]);
  out += k == 0 ? "Equal to #" : k == 1 ? "Unqual to #" : "Approximately equal to #";
  return out + hex(part[2]) + hex(part[3]) + hex(part[4]) + ", Then";
}

CString RunDisplay(const CString& s, const char* m) {
  CString quoted[2];
  int from = 0;
  for (CString& q : quoted) {
    int q1 = s.Find('"', from);
    int q2 = q1 >= 0 ? s.Find('"', q1 + 1) : -1;
    if (q2 < 0) break;
    q = Between(s, q1 + 1, q2);
    from = q2 + 1;
  }
  int lastComma = s.ReverseFind(',');
  int close = s.ReverseFind(')');
  CString f = lastComma >= 0 ? Between(s, lastComma + 1, close > lastComma ? close : s.GetLength()) : CString();
  f.Trim();
  if (f.GetLength() != 1) ShowMessageBox(nullptr, "Some error may happened", "Warning", MB_OK);
  return "Run " + quoted[0] + "|" + quoted[1] + "|" + f + "|" + m;
}

CString StatementToDisplay(const CString& s) {
  if (StartsWith(s, "MouseClick(")) return "Mouse " + ButtonName(s) + " Click" + CountText(ClickCountOf(s));
  if (StartsWith(s, "MouseDoubleClick(")) return "Mouse Double Click" + CountText(ClickCountOf(s));
  if (StartsWith(s, "MouseWheel(")) {
    return Arguments(s).CompareNoCase("\"up\"") == 0 ? "Mouse Scroll Up" : "Mouse Scroll Down";
  }
  if (StartsWith(s, "MouseDown(")) return "Mouse " + ButtonName(s) + " Down";
  if (StartsWith(s, "MouseUp(")) return "Mouse " + ButtonName(s) + " Up";
  if (StartsWith(s, "MouseMove(")) return MoveDisplay(s, "Mouse move to ");
  if (StartsWith(s, "MouseRelativeMove(")) return MoveDisplay(s, "Relative mouse move ");
  if (StartsWith(s, "KeySend(")) return KeyDisplay(s, "Key Press ");
  if (StartsWith(s, "KeyUp(")) return KeyDisplay(s, "Key Up ");
  if (StartsWith(s, "KeyDown(")) return KeyDisplay(s, "Key Down ");
  if (StartsWith(s, "WAIT(") || StartsWith(s, "WAITLONG(")) return "Wait " + Arguments(s) + " milliseconds";
  if (StartsWith(s, "Send(")) {
    int q1 = s.Find('"');
    int q2 = s.ReverseFind('"');
    return "Input text " + (q2 > q1 ? Between(s, q1 + 1, q2) : CString());
  }
  if (StartsWith(s, "TAG $")) return "TAG " + Rest(s, 5);
  if (StartsWith(s, "GOTO $")) return "Switch to TAG " + Rest(s, 6);
  if (StartsWith(s, "For $count")) {
    int eq = s.Find('=');
    CString name = Between(s, 10, eq >= 0 ? eq : s.GetLength());
    name.TrimRight();
    return "Start loop" + name + ", loop " + Rest(s, s.ReverseFind(' ') + 1) + " times";
  }
  if (StartsWith(s, "Next")) return "End loop block";
  if (StartsWith(s, "Comment:")) return s;
  if (StartsWith(s, "If CheckColor(")) return ColourDisplay(s);
  if (StartsWith(s, "Else") || StartsWith(s, "EndIf")) return s;
  if (StartsWith(s, "RunReadyInput(")) return RunDisplay(s, "1");
  if (StartsWith(s, "RunWait(")) return RunDisplay(s, "2");
  if (StartsWith(s, "Run(")) return RunDisplay(s, "0");
  if (StartsWith(s, "Shutdown(")) {
    int close = s.Find(')');
    CString arg = Between(s, 9, close >= 0 ? close : s.GetLength());
    if (arg == "1") return "Shut down computer";
    if (arg == "8") return "Power off computer";
    if (arg == "2") return "Restart computer";
    if (arg == "0") return "Log off computer";
  }
  return CString();
}

}  // namespace

CString ActionTextToScript(const CString& line) {
  CString text = line;
  Suffixes suffixes = CutSuffixes(text, kDisplayWinMark, true);
  return DisplayToScript(text) + suffixes.window + suffixes.speed;
}

CString ScriptToActionText(const CString& statement) {
  CString text = statement;
  Suffixes suffixes = CutSuffixes(text, kScriptWinMark, false);
  return StatementToDisplay(text) + suffixes.window + suffixes.speed;
}
