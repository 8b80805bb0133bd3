// The fuzz target: generated and mutated robot files go through the robot reader and writer (load,
// save, load, compare), the robot list's rewrite guard, and the playback reader, preparation and
// run loop with input muted and a stop guard. It reports crashes, runs that outlive the guard,
// memory past a bound, and any file whose rewrite changes its script lines or records.
//
// Seeded and bounded in time. Settings (environment variables):
//   PINDREL_FUZZ_SECONDS  time for the mutated and generated inputs (default 40)
//   PINDREL_FUZZ_SEED     seed of the generator (default 20261208)
//   PINDREL_FUZZ_INPUTS   stop after this many inputs (default: no limit)
// The long run: PINDREL_FUZZ_SECONDS=1800 ./scripts/bench.sh test_fuzz
// The input in progress is kept in fuzz-current.txt beside the program: after a crash it is the
// reproducer. Inputs that failed a check are kept in the fuzz-failures folder beside it.
#include <gtest/gtest.h>
#include <windows.h>

#include <psapi.h>

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "robot/robot.h"
#include "script/interpreter.h"
#include "tests/support/input_recorder.h"
#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

// ---- settings and files ---------------------------------------------------------------------

int Setting(const char* name, int fallback) {
  const char* text = getenv(name);
  return text && *text ? atoi(text) : fallback;
}

size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
    return 0;
  return counters.PrivateUsage;
}

// ---- which built-ins a fuzzed script may call -------------------------------------------------

// Built-ins without effects outside the process (files, registry, windows, processes, the
// system): any other built-in name in an input is replaced by ABS before it runs.
const std::set<std::string>& HarmlessBuiltins() {
  static const std::set<std::string> names = {
      "ABS", "ACOS", "ADLIBDISABLE", "ADLIBENABLE", "ASC", "ASIN", "ATAN", "BITAND", "BITNOT", "BITOR", "BITSHIFT",
      "BITXOR", "CALL", "CHECKCOLOR", "CHR", "COS", "DEC", "DELAY", "EVAL", "EXP", "HEX", "INT", "ISARRAY",
      "ISDECLARED", "ISFLOAT", "ISINT", "ISNUMBER", "ISSTRING", "KEYDOWN", "KEYSEND", "KEYUP", "LOG", "MOD",
      "MOUSECLICK", "MOUSECLICKDRAG", "MOUSEDOUBLECLICK", "MOUSEDOWN", "MOUSEGETCURSOR", "MOUSEGETPOS", "MOUSEMOVE",
      "MOUSERELATIVEMOVE", "MOUSEUP", "MOUSEWHEEL", "NUMBER", "OPT", "PIXELCHECKSUM", "PIXELGETCOLOR", "PIXELSEARCH",
      "RANDOM", "ROUND", "RUVEROSETOPTION", "SEND", "SETERROR", "SIN", "SQRT", "STRING", "STRINGADDCR",
      "STRINGFORMAT", "STRINGINSTR", "STRINGISALNUM", "STRINGISALPHA", "STRINGISASCII", "STRINGISDIGIT",
      "STRINGISFLOAT", "STRINGISINT", "STRINGISLOWER", "STRINGISSPACE", "STRINGISUPPER", "STRINGISXDIGIT",
      "STRINGLEFT", "STRINGLEN", "STRINGLOWER", "STRINGMID", "STRINGREPLACE", "STRINGRIGHT", "STRINGSPLIT",
      "STRINGSTRIPCR", "STRINGSTRIPWS", "STRINGTRIMLEFT", "STRINGTRIMRIGHT", "STRINGUPPER", "TAN", "TIMERDIFF",
      "TIMERINIT", "TIMERSTART", "TIMERSTOP", "UBOUND", "WAIT", "WAITLONG",
  };
  return names;
}

bool IsWordChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'; }

// Replaces every word that names a built-in outside the harmless set.
std::string Sanitize(const std::string& bytes, CQuorvex_Script& script) {
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    if (!IsWordChar(bytes[i])) {
      out += bytes[i++];
      continue;
    }
    size_t end = i;
    while (end < bytes.size() && IsWordChar(bytes[end])) ++end;
    std::string word = bytes.substr(i, end - i);
    std::string upper = word;
    for (char& c : upper)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (upper.size() < 40 && script.FindBuiltin(upper.c_str()) >= 0 && !HarmlessBuiltins().count(upper)) word = "ABS";
    out += word;
    i = end;
  }
  return out;
}

// ---- generated scripts ------------------------------------------------------------------------

class Generator {
public:
  explicit Generator(std::mt19937& rng) : rng_(rng) {}

  int Pick(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
  bool Chance(int percent) { return Pick(100) < percent; }

  std::string Number() {
    static const char* numbers[] = {"0",          "1",          "-1",          "2",    "7",    "255",   "256",
                                    "65535",      "2147483647", "-2147483648", "2147483648", "1e300", "-1e300",
                                    "0.5",        "3.25",       "0x7FFFFFFF",  "0xFFFFFFFF", "100000", "10"};
    return numbers[Pick(sizeof numbers / sizeof numbers[0])];
  }

  std::string Text() {
    static const char* texts[] = {"\"\"", "\"abc\"", "'x'", "\"{a 3}\"", "\"{ENTER}\"", "\"a\"\"b\"", "\"left\"",
                                  "\"up\"", "\"+{TAB}^a\"", "\"{a 2147483647}\"", "\"{\"", "\"}\""};
    return texts[Pick(sizeof texts / sizeof texts[0])];
  }

  std::string Variable() {
    static const char* names[] = {"$a", "$b", "$i", "$n", "$s", "$arr[0]", "$arr[1]", "$arr[$i]"};
    return names[Pick(sizeof names / sizeof names[0])];
  }

  std::string Operator() {
    static const char* ops[] = {" + ", " - ", " * ", " / ", " ^ ", " & ", " = ", " == ", " <> ", " < ", " >= ", " AND ",
                                " OR "};
    return ops[Pick(sizeof ops / sizeof ops[0])];
  }

  // Nesting of one kind, usually shallow, now and then far beyond what a stack holds (once per
  // script, so inputs stay below a megabyte or so).
  int Depth() {
    static const int depths[] = {1, 2, 3, 5, 10, 50, 200, 1000, 5000, 30000};
    int i = Pick(100);
    int depth = depths[i < 70 ? i % 5 : i < 95 ? 5 + i % 3 : 8 + i % 2];
    if (depth <= 10) return depth;
    if (deepUsed_) return depth % 7 + 1;
    deepUsed_ = true;
    return depth;
  }

  std::string Expression(int budget) {
    if (budget <= 0) return Pick(2) ? Number() : Variable();
    switch (Pick(11)) {
      case 0: return Number();
      case 1: return Text();
      case 2: return Variable();
      case 3: return Expression(budget - 1) + Operator() + Expression(budget - 1);
      case 4: return "(" + Expression(budget - 1) + ")";
      case 5: return (Pick(2) ? "-" : "NOT ") + Expression(budget - 1);
      case 6: return "f(" + Expression(budget - 1) + ")";
      case 7: {
        static const char* calls[] = {"Abs(%)", "StringLen(%)", "PixelGetColor(%, %)", "BitAnd(%, %)",
                                      "StringMid(%, %, %)", "Int(%)", "MouseGetPos()", "Hex(%, %)"};
        std::string call = calls[Pick(sizeof calls / sizeof calls[0])];
        std::string out;
        for (char c : call) out += c == '%' ? Expression(budget - 1) : std::string(1, c);
        return out;
      }
      case 8: {
        static const char* macros[] = {"@error", "@crlf", "@DesktopWidth", "@SEC", "@ScriptName", "@nosuch"};
        return macros[Pick(sizeof macros / sizeof macros[0])];
      }
      case 9: {  // deep nesting of one kind
        static const char* kinds[][3] = {{"$arr[", "0", "]"}, {"Abs(", "1", ")"}, {"f(", "1", ")"},
                                         {"(", "1", ")"},    {"-", "1", ""},    {"StringLen(", "\"x\"", ")"}};
        const auto& k = kinds[Pick(sizeof kinds / sizeof kinds[0])];
        int n = Depth();
        std::string out;
        for (int i = 0; i < n; ++i) out += k[0];
        out += k[1];
        for (int i = 0; i < n; ++i) out += k[2];
        return out;
      }
      default: return Variable() + Operator() + Number();
    }
  }

  std::string Call() {
    static const char* calls[] = {"MouseClick(\"left\", #)", "MouseWheel(\"up\", #)", "MouseDoubleClick(\"right\", #)",
                                  "Send(\"{a #}\")",         "Send(~)",               "KeySend(\"\", \"\", \"\", \"a\", #)",
                                  "Wait(#)",                 "WaitLong(#)",           "MouseMove(#, #)",
                                  "PixelChecksum(#, #, #, #)", "PixelSearch(#, #, #, #, #)", "MouseClickDrag(\"left\", #, #, #, #, #)",
                                  "Opt(\"SendKeyDelay\", #)", "Delay(#)",             "AdlibEnable(\"f\", #)",
                                  "Call(\"f\", #)",           "Eval(~)",               "Run(~)"};
    std::string call = calls[Pick(sizeof calls / sizeof calls[0])];
    std::string out;
    for (char c : call) out += c == '#' ? (Pick(3) ? Number() : Expression(2)) : c == '~' ? Text() : std::string(1, c);
    return out;
  }

  std::string Statement(int budget) {
    switch (Pick(9)) {
      case 0: return Variable() + " = " + Expression(budget);
      case 1: return Call();
      case 2: {  // single-line Ifs, nested
        int n = Depth();
        std::string out;
        for (int i = 0; i < n; ++i) out += "If " + Expression(1) + " Then ";
        return out + (Pick(2) ? Variable() + " = 1" : Call());
      }
      case 3: return Pick(2) ? "ExitLoop " + Number() : "ContinueLoop";
      case 4: return "Dim $arr[" + (Pick(4) ? std::string("4") : Number()) + "]";
      case 5: return "Return " + Expression(budget);
      case 6: return "GOTO $" + std::string(Pick(2) ? "top" : "none");
      case 7: return Pick(2) ? "Exit" : "Local $x = " + Expression(1);
      default: return "f(" + Expression(budget) + ")";
    }
  }

  // Lines of a script with blocks, a recursive function and labels.
  std::vector<std::string> Script() {
    deepUsed_ = false;
    std::vector<std::string> lines = {"Dim $arr[4]", "$i = 0", "$a = 1", "$b = 2"};
    int count = 3 + Pick(25);
    for (int n = 0; n < count; ++n) {
      switch (Pick(10)) {
        case 0:
          lines.push_back("If " + Expression(2) + " Then");
          lines.push_back(Statement(2));
          if (Pick(2)) lines.push_back("ElseIf " + Expression(1) + " Then");
          if (Pick(2)) lines.push_back("Else");
          lines.push_back(Statement(2));
          if (Pick(8)) lines.push_back("EndIf");
          break;
        case 1:
          lines.push_back("For $i = " + Number() + " To " + Number() + (Pick(2) ? " Step " + Number() : ""));
          lines.push_back(Statement(2));
          if (Pick(8)) lines.push_back("Next");
          break;
        case 2:
          lines.push_back("While " + Expression(1));
          lines.push_back(Statement(2));
          if (Pick(8)) lines.push_back("Wend");
          break;
        case 3:
          lines.push_back("Do");
          lines.push_back(Statement(2));
          lines.push_back("Until " + Expression(1));
          break;
        case 4:
          lines.push_back("Select");
          lines.push_back("Case " + Expression(1));
          lines.push_back(Statement(1));
          lines.push_back("Case Else");
          lines.push_back("EndSelect");
          break;
        case 5:
          lines.push_back("TAG $top");
          break;
        default:
          lines.push_back(Statement(3));
      }
    }
    lines.push_back("Func f($v)");
    lines.push_back("  $n = $n + 1");
    lines.push_back("  If $n < " + Number() + " Then Return f($v)");
    lines.push_back("  Return " + Expression(2));
    lines.push_back("EndFunc");
    return lines;
  }

  // A whole robot file in the writer's layout, with window marks, speed marks and records.
  std::string RobotFile() {
    std::string text = "[General]\r\nName=Fuzz\r\nStartKey=None\r\nEndKey=None\r\nDescription=generated\r\nEnable=" +
                       std::to_string(Pick(2)) + "\r\nRepeatOption=0\r\nRepeatTimes=1\r\nOriginalSpeed=" +
                       std::to_string(Pick(3)) + "\r\nUseSimilarWin=0\r\nUseRecWin=0\r\nTriggerRobot=\r\n"
                       "RunAtBackground=" + std::to_string(Pick(2)) + "\r\n[Script]\r\n";
    for (const std::string& line : Script()) {
      text += line;
      if (Chance(5)) text += " -> At Win [" + std::to_string(Pick(3)) + "]";
      if (Chance(5)) text += "=> [remove on faster speed]";
      text += "\r\n";
    }
    if (Chance(30)) {
      text += "[RecWinInfo]\r\n";
      for (int r = Pick(3); r >= 0; --r)
        text += "WinIndex=" + std::to_string(r) + "\r\nWinTitle=t\r\nWinPath=C:\\x.exe\r\nWinParentLevel=0\r\nWinRect=1,2," +
                (Chance(10) ? std::string("3") : std::string("3,4")) + "\r\n";
    }
    return text;
  }

private:
  std::mt19937& rng_;
  bool deepUsed_ = false;
};

// ---- mutations ----------------------------------------------------------------------------------

std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    lines.push_back(bytes.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

std::string Mutate(const std::string& input, Generator& g, const std::vector<std::string>& seeds) {
  std::string bytes = input;
  for (int times = 1 + g.Pick(4); times > 0; --times) {
    std::vector<std::string> lines = Lines(bytes);
    if (lines.empty()) lines.push_back("");
    size_t at = static_cast<size_t>(g.Pick(static_cast<int>(lines.size())));
    switch (g.Pick(11)) {
      case 0:
        if (!bytes.empty()) bytes[static_cast<size_t>(g.Pick(static_cast<int>(bytes.size())))] ^= static_cast<char>(1 << g.Pick(8));
        continue;
      case 1: {
        static const char hostile[] = {'\0', '\x1A', '\r', '\n', '\xFF', '"', '[', ']', '(', ')', ';', '$', '\t'};
        bytes.insert(static_cast<size_t>(g.Pick(static_cast<int>(bytes.size()) + 1)), 1, hostile[g.Pick(sizeof hostile)]);
        continue;
      }
      case 2: lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at)); break;
      case 3: lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), lines[at]); break;
      case 4: std::swap(lines[at], lines[static_cast<size_t>(g.Pick(static_cast<int>(lines.size())))]); break;
      case 5: {  // a line of another seed
        std::vector<std::string> other = Lines(seeds[static_cast<size_t>(g.Pick(static_cast<int>(seeds.size())))]);
        if (!other.empty()) lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), other[static_cast<size_t>(g.Pick(static_cast<int>(other.size())))]);
        break;
      }
      case 6: {
        static const char* headers[] = {"[script]\r", "[SCRIPT]\r", "[recwininfo]\r", "[RecWinInfo]\r", "[General]\r",
                                        "Extra=1\r", "UseRecWin=1\r", "WinRect=1,2\r", "Comment: note\r"};
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), headers[g.Pick(sizeof headers / sizeof headers[0])]);
        break;
      }
      case 7: {  // a number becomes an interesting one
        std::string& line = lines[at];
        size_t digit = line.find_first_of("0123456789");
        if (digit != std::string::npos) line.replace(digit, line.find_first_not_of("0123456789", digit) - digit, g.Number());
        break;
      }
      case 8: bytes.resize(static_cast<size_t>(g.Pick(static_cast<int>(bytes.size()) + 1))); continue;
      default: lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), g.Statement(3) + "\r"); break;
    }
    bytes = Join(lines);
  }
  return bytes;
}

// ---- the checks ---------------------------------------------------------------------------------

// The playback reader's view of a file: every stored line with its source line and record.
std::string PlaybackView(const std::string& path, int speed) {
  CQuorvex_ScriptFile file;
  file.RobotSpeedMode = speed;
  bool read = file.LoadRobotFile(path.c_str(), 0);
  file.BuildLineArray();
  std::string view = read ? "read" : "unread";
  for (int n = 1; n <= file.GetLineCount(); ++n) {
    int record = -1;
    file.GetLineRecord(n, record);
    view += "\n" + std::to_string(file.GetLineNumber(n)) + ":" + std::to_string(record) + ":" + file.GetLine(n);
  }
  for (const RecWinInfo& r : file.Records)
    view += "\n#" + std::to_string(r.WinIndex) + "|" + r.WinTitle.str() + "|" + r.WinPath.str() + "|" +
            std::to_string(r.WinParentLevel) + "|" + std::to_string(r.WinRect.left) + "," + std::to_string(r.WinRect.top) +
            "," + std::to_string(r.WinRect.right) + "," + std::to_string(r.WinRect.bottom);
  return view;
}

// The record as text; flags compare by their truth, as the writer writes them.
std::string RecordView(const CRobot& r) {
  std::string view = r.Name.str() + "|" + r.TriggerRobot.str() + "|" + r.StartKey.str() + "|" + r.EndKey.str() + "|" +
                     r.Description.str() + "|" + std::to_string(r.Enable != 0) + std::to_string(r.RepeatOption) + "|" +
                     std::to_string(r.RepeatTimes) + "|" + std::to_string(r.RobotSpeedMode) +
                     std::to_string(r.UseRecWin != 0) + std::to_string(r.UseSimilarWin != 0) +
                     std::to_string(r.RunAtBackground != 0);
  for (const CString& line : r.ActionLines) view += "\n" + line.str();
  for (const RecWinInfo& w : r.WinRecords)
    view += "\n#" + std::to_string(w.WinIndex) + "|" + w.WinTitle.str() + "|" + w.WinPath.str() + "|" +
            std::to_string(w.WinParentLevel) + "|" + std::to_string(w.WinRect.left) + "," + std::to_string(w.WinRect.top) +
            "," + std::to_string(w.WinRect.right) + "," + std::to_string(w.WinRect.bottom);
  return view;
}

// Load, save, load, compare; the list's tick on a file it may rewrite; one message per file.
// "" when all holds, else what went wrong.
std::string CheckReaderAndWriter(const std::string& bytes, const TempFolder& work) {
  const std::string original = work.File("Fuzz.txt");
  WriteFileBytes(original, bytes);
  MessageBoxCapture boxes;
  CRobot first;
  int loaded = first.LoadFromFile(original.c_str());
  CRobot quiet;
  quiet.LoadFromFile(original.c_str(), FALSE);
  if (boxes.boxes().size() > 1) return "more than one message for one file";
  if (!loaded) return "";

  // The writer's file reads back as the same record, and whole.
  const std::string copies = work.File("copies");
  CreateDirectoryA(copies.c_str(), nullptr);
  if (!first.SaveToFile(copies.c_str())) return "the record could not be written";
  CRobot second;
  if (!second.LoadFromFile((copies + "\\Fuzz.txt").c_str(), FALSE)) return "the written file does not load";
  if (RecordView(first) != RecordView(second)) return "load, save, load changed the record";
  if (!second.FileReadsBack) return "the writer's own file does not read back whole";

  // The robot list and the editor rewrite only a file the reader took whole (in any layout it
  // takes for what it is): doing so keeps what every line says.
  if (first.FileReadsWhole) {
    const std::string before = PlaybackView(original, first.RobotSpeedMode);
    first.Enable = !first.Enable;
    if (!first.SaveToFile(work.path().c_str())) return "the tick could not be written";
    CRobot ticked;
    ticked.LoadFromFile(original.c_str(), FALSE);
    first.Enable = !first.Enable;
    ticked.Enable = first.Enable;
    if (PlaybackView(original, first.RobotSpeedMode) != before) return "the tick's rewrite changed the played lines";
    if (RecordView(ticked) != RecordView(first)) return "the tick's rewrite changed the record";
  }
  if (!boxes.boxes().empty() && boxes.boxes()[0].text.rfind("Failed to load record Window info\n", 0) != 0)
    return "unexpected message " + boxes.boxes()[0].text;
  return "";
}

// The run: a watchdog thread stops it after the guard (as the end hotkey would) and reports a
// hang, and ends the program, when it outlives the stop request by far; it also watches the
// memory.
class StopGuard {
public:
  StopGuard(int guardMs, int hangMs, size_t memoryBound)
      : guardMs_(guardMs), hangMs_(hangMs), memoryBound_(memoryBound) {
    start_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    done_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    idle_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, &StopGuard::Main, this, 0, nullptr);
  }
  ~StopGuard() {
    quit_ = true;
    SetEvent(start_);
    WaitForSingleObject(thread_, INFINITE);
    for (HANDLE h : {thread_, start_, done_, idle_}) CloseHandle(h);
  }

  // Runs the prepared script once; false when it used more memory than allowed.
  bool Run(CQuorvex_Script& script, const std::string& inputPath) {
    script_ = &script;
    inputPath_ = inputPath;
    overMemory_ = false;
    stopped_ = false;
    SetEvent(start_);
    script.Execute(1, 1);
    SetEvent(done_);
    WaitForSingleObject(idle_, INFINITE);  // the watchdog lets go of the script first
    return !overMemory_;
  }
  // The last run went on until the guard stopped it.
  bool Stopped() const { return stopped_; }

private:
  static DWORD WINAPI Main(void* self) {
    static_cast<StopGuard*>(self)->Watch();
    return 0;
  }
  void Watch() {
    for (;;) {
      WaitForSingleObject(start_, INFINITE);
      if (quit_) return;
      DWORD begin = GetTickCount();
      bool stopped = false;
      while (WaitForSingleObject(done_, 20) == WAIT_TIMEOUT) {
        DWORD elapsed = GetTickCount() - begin;
        if (PrivateBytes() > memoryBound_) {
          overMemory_ = true;
          script_->StopRun = 1;
        }
        if (!stopped && elapsed >= static_cast<DWORD>(guardMs_)) {
          stopped = stopped_ = true;
          script_->StopRun = 1;
        }
        if (elapsed >= static_cast<DWORD>(guardMs_ + hangMs_)) {
          std::fprintf(stderr, "fuzz: HANG - the run did not stop %d ms after the stop request; input: %s\n", hangMs_,
                       inputPath_.c_str());
          std::fflush(stderr);
          TerminateProcess(GetCurrentProcess(), 3);
        }
      }
      SetEvent(idle_);
    }
  }

  int guardMs_, hangMs_;
  size_t memoryBound_;
  HANDLE start_, done_, idle_, thread_;
  std::atomic<bool> quit_{false};
  std::atomic<bool> overMemory_{false};
  std::atomic<bool> stopped_{false};
  CQuorvex_Script* volatile script_ = nullptr;
  std::string inputPath_;
};

}  // namespace

TEST(Fuzz, RobotFilesNeverCrashHangOrLoseLines) {
  const int seconds = Setting("PINDREL_FUZZ_SECONDS", 40);
  const unsigned seed = static_cast<unsigned>(Setting("PINDREL_FUZZ_SEED", 20261208));
  const int inputLimit = Setting("PINDREL_FUZZ_INPUTS", 0);
  const size_t memoryBound = 768u << 20;
  const size_t kMaxInput = 1u << 20;
  std::mt19937 rng(seed);
  Generator generator(rng);

  std::vector<std::string> seedFiles = FilesIn(WinePath(PINDREL_SOURCE_DIR "/tests/fuzz"), "*.txt");
  const size_t reproducers = seedFiles.size();
  for (const std::string& f : FilesIn(WinePath(PINDREL_SOURCE_DIR "/tests/corpus"), "*.txt")) seedFiles.push_back(f);
  ASSERT_GE(reproducers, 10u);
  std::vector<std::string> seeds;
  for (const std::string& f : seedFiles) seeds.push_back(ReadFileBytes(f));

  const std::string current = ProgramFolder() + "\\fuzz-current.txt";
  const std::string failures = ProgramFolder() + "\\fuzz-failures";
  std::printf("fuzz: seed %u, %d s; the input in progress is kept in %s\n", seed, seconds, current.c_str());
  MutedInput muted(false);  // nothing reaches the system and no delay waits
  StopGuard guard(300, 10000, memoryBound);
  TempFolder work("fuzz");
  CQuorvex_ScriptFile sanitizer;
  CQuorvex_Script names(&sanitizer, nullptr);

  int inputs = 0, losses = 0, overMemory = 0, generated = 0, guarded = 0;
  auto keep = [&](const std::string& bytes, const std::string& why) {
    CreateDirectoryA(failures.c_str(), nullptr);
    std::string path = failures + "\\input-" + std::to_string(seed) + "-" + std::to_string(inputs) + ".txt";
    WriteFileBytes(path, bytes);
    std::printf("fuzz: %s: %s\n", why.c_str(), path.c_str());
  };
  const DWORD begin = GetTickCount();
  for (size_t n = 0;; ++n) {
    // The reproducers and corpus files first as they are, then mutated and generated inputs.
    std::string bytes;
    if (n < seeds.size()) {
      bytes = seeds[n];
    } else {
      if (GetTickCount() - begin >= static_cast<DWORD>(seconds) * 1000) break;
      if (generator.Chance(30)) {
        bytes = generator.RobotFile();
        ++generated;
      } else {
        bytes = seeds[static_cast<size_t>(generator.Pick(static_cast<int>(seeds.size())))];
      }
      if (generator.Chance(80)) bytes = Mutate(bytes, generator, seeds);
      if (bytes.size() > kMaxInput) bytes.resize(kMaxInput);
    }
    if (inputLimit && inputs >= inputLimit) break;
    ++inputs;
    bytes = Sanitize(bytes, names);
    WriteFileBytes(current, bytes);

    std::string loss = CheckReaderAndWriter(bytes, work);
    if (!loss.empty()) {
      ++losses;
      keep(bytes, loss);
    }

    // Play it as the shell plays a robot, once, with every box answered at once.
    WriteFileBytes(work.File("Fuzz.txt"), bytes);
    MessageBoxCapture boxes;
    CRobot robot;
    robot.LoadFromFile(work.File("Fuzz.txt").c_str(), FALSE);
    CQuorvex_ScriptFile file;
    CScriptVariables variables;
    CQuorvex_Script script(&file, &variables);
    file.RobotSpeedMode = robot.RobotSpeedMode;
    if (!file.LoadRobotFile(work.File("Fuzz.txt").c_str(), 0)) continue;
    file.BuildLineArray();
    if (script.PrepareScript(work.File("Fuzz.txt").c_str())) continue;
    script.SetRunParameters(robot.RunAtBackground, 10, 10);
    if (!guard.Run(script, current)) {
      ++overMemory;
      keep(bytes, "memory past the bound");
    }
    if (guard.Stopped()) ++guarded;
  }
  DeleteFileA(current.c_str());
  std::printf("fuzz: seed %u: %d inputs (%zu reproducers and corpus files, %d generated, the rest mutated) in %lu s, "
              "%d stopped by the guard; crashes 0, hangs 0, memory %d, losses %d\n",
              seed, inputs, seeds.size(), generated, static_cast<unsigned long>((GetTickCount() - begin) / 1000),
              guarded, overMemory, losses);
  EXPECT_EQ(losses, 0);
  EXPECT_EQ(overMemory, 0);
}
