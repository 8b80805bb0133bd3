// The lexer's tokens and error reports, and the table of built-in functions.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "script/lexer.h"
#include "tests/support/script_harness.h"

using namespace testing_support;

namespace {

// One token as text: keywords and built-ins by name, literals as n:<number> or s:<string>,
// variables $NAME, macros @name, user functions f:NAME, operators as written.
std::string Describe(CQuorvex_Script& script, const CScriptToken& t) {
  static const char* const kOperators[] = {"", "", "", "=", ">", "<", "<>", ">=", "<=", "(", ")", "+", "-",
                                           "/", "*", "", "", "", ",", "&", "[", "]", "", "==", "^"};
  switch (t.kind) {
    case TOK_KEYWORD: return KeywordName(t.value.GetInt());
    case TOK_BUILTIN: return std::string("bi:") + script.GetBuiltin(t.value.GetInt()).name.GetText();
    case TOK_LITERAL: return (t.value.IsString() ? "s:" : "n:") + std::string(t.value.GetString());
    case TOK_VARIABLE: return std::string("$") + t.value.GetString();
    case TOK_MACRO: return std::string("@") + t.value.GetString();
    case TOK_USERFUNCTION: return std::string("f:") + t.value.GetString();
    case TOK_END: return ";";
    default: return kOperators[t.kind];
  }
}

std::string DescribeAll(CQuorvex_Script& script, const CTokenList& tokens, bool columns = false) {
  std::string out;
  for (int i = 0; i < tokens.GetCount(); ++i) {
    if (i) out += ' ';
    out += Describe(script, tokens.GetAt(i));
    if (columns) out += "@" + std::to_string(tokens.GetAt(i).column);
  }
  return out;
}

}  // namespace

TEST(Lexer, Tokens) {
  struct Case {
    const char* line;
    const char* tokens;
  } cases[] = {
      {"   \t ", ";"},
      {"; a comment", ";"},
      {"$x = 1 ; trailing comment", "$X = n:1 ;"},
      {"'It''s'", "s:It's ;"},
      {"\"say 'hi'\"", "s:say 'hi' ;"},
      {"'say \"hi\"'", "s:say \"hi\" ;"},
      {"\"\"", "s: ;"},
      {"0x1f 0X1F 31", "n:31 n:31 n:31 ;"},
      {"0xffffffff", "n:-1 ;"},
      {"1.5e3 2E-2 .5 . 1.2.3", "n:1500 n:0.02 n:0.5 n:0 n:1.2 n:0.3 ;"},
      {"-5", "- n:5 ;"},
      {"a<>b", "f:A <> f:B ;"},
      {"a=>b", "f:A = > f:B ;"},
      {"a==b<=c>=d<e>f", "f:A == f:B <= f:C >= f:D < f:E > f:F ;"},
      {"mouseclick MouseClick MOUSECLICK myfunc", "bi:MOUSECLICK bi:MOUSECLICK bi:MOUSECLICK f:MYFUNC ;"},
      {"If $a >= 2 Then ExitLoop", "IF $A >= n:2 THEN EXITLOOP ;"},
      {"$Count[1][2] = @crlf & 'a' ^ 3", "$COUNT [ n:1 ] [ n:2 ] = @crlf & s:a ^ n:3 ;"},
      {"Func _f_1(ByRef $p, $q)", "FUNC f:_F_1 ( BYREF $P , $Q ) ;"},
      {"x*y/z,w", "f:X * f:Y / f:Z , f:W ;"},
      {"opt ruverosetoption", "bi:OPT bi:RUVEROSETOPTION ;"},
  };
  ScriptHarness h;
  for (const Case& c : cases) {
    CTokenList tokens;
    EXPECT_EQ(h.Tokenize(c.line, tokens), 0) << c.line;
    EXPECT_EQ(DescribeAll(h.script(), tokens), c.tokens) << c.line;
  }
  EXPECT_TRUE(h.boxes().empty());
}

TEST(Lexer, Columns) {
  ScriptHarness h;
  CTokenList tokens;
  ASSERT_EQ(h.Tokenize("  $a = Abs( -0x10 )", tokens), 0);
  EXPECT_EQ(DescribeAll(h.script(), tokens, true), "$A@2 =@5 bi:ABS@7 (@10 -@12 n:16@13 )@18 ;@19");
}

TEST(Lexer, LongTokensDoNotOverrun) {
  ScriptHarness h;
  std::string text(10000, 'x');
  std::string digits(5000, '7');
  CTokenList tokens;
  ASSERT_EQ(h.Tokenize("$" + text + " = '" + text + "' & " + digits, tokens), 0);
  ASSERT_EQ(tokens.GetCount(), 6);
  EXPECT_EQ(std::string(tokens.GetAt(0).value.GetString()).size(), 10000u);
  EXPECT_EQ(std::string(tokens.GetAt(2).value.GetString()), text);
  EXPECT_STREQ(tokens.GetAt(4).value.GetString(), "1.#INF");
}

TEST(Lexer, ErrorsAndTheirReports) {
  struct Case {
    const char* line;
    const char* message;
    int column;
  } cases[] = {
      {"1e", "Unable to parse line.", 0},
      {"x = 2e+", "Unable to parse line.", 4},
      {"x = 0x123456789", "Unable to parse line.", 4},
      {"x = #", "Unable to parse line.", 4},
      {"$ x", "Badly formated variable or macro.", 0},
      {"$a = @", "Badly formated variable or macro.", 5},
      {"$a = 'abc", "String missing closing quote.", 5},
      {"$a = \"it''s", "String missing closing quote.", 5},
  };
  for (const Case& c : cases) {
    ScriptHarness h;
    CTokenList tokens;
    EXPECT_EQ(h.Tokenize(c.line, tokens), 1) << c.line;
    ASSERT_EQ(h.boxes().size(), 1u) << c.line;
    std::string line = c.line;
    std::string expected = "Line 1:\n\n" + line + "\n" + line.substr(0, c.column) + "^ ERROR\n\nError: " + c.message;
    EXPECT_EQ(h.boxes()[0].text, expected);
    EXPECT_EQ(h.boxes()[0].caption, "Internal Error");
    EXPECT_EQ(h.boxes()[0].type, static_cast<UINT>(MB_ICONERROR | MB_SYSTEMMODAL | MB_SETFOREGROUND));
    EXPECT_EQ(h.script().Run.WaitState, WAIT_END);
  }
}

TEST(Lexer, ReportNamesIncludeFileAndSourceLine) {
  ScriptHarness h;
  TempFolder folder;
  std::string path = folder.File("robot.txt");
  int include = h.file().AddIncludeFile(path.c_str());
  h.file().AddLine(7, "; comment", include);
  h.file().AddLine(9, "x = 1 +", include);  // replaces the comment line
  h.file().BuildLineArray();
  h.script().Run.CurrentLine = 1;
  h.script().FatalError("Error in expression.", 7);
  EXPECT_EQ(h.LastBox(), "Line 9  (File \"" + path + "\"):\n\nx = 1 +\nx = 1 +^ ERROR\n\nError: Error in expression.");
  h.script().FatalErrorDetail("Unable to execute the external program.", "The system cannot find the file.");
  EXPECT_EQ(h.LastBox(), "Line 9  (File \"" + path +
                             "\"):\n\nx = 1 +\n\n\nError: Unable to execute the external program.\n\nThe system cannot "
                             "find the file.");
}

TEST(Lexer, ExpandsEnvironmentStringsOnlyWhenAsked) {
  SetEnvironmentVariableA("PINDREL_LEXER", "abc");
  SetEnvironmentVariableA("PINDREL_UNSET", nullptr);
  ScriptHarness h;
  CTokenList tokens;
  const char* line = "'100%% %PINDREL_LEXER%|%PINDREL_UNSET%|%PINDREL_LEXER'";
  ASSERT_EQ(h.Tokenize(line, tokens), 0);
  EXPECT_STREQ(tokens.GetAt(0).value.GetString(), "100%% %PINDREL_LEXER%|%PINDREL_UNSET%|%PINDREL_LEXER");
  h.script().ExpandEnvStrings = 1;
  ASSERT_EQ(h.Tokenize(line, tokens), 0);
  EXPECT_STREQ(tokens.GetAt(0).value.GetString(), "100% abc||abc");
  std::string longText = "'" + std::string(5000, 'y') + "'";
  ASSERT_EQ(h.Tokenize(longText, tokens), 0);
  EXPECT_EQ(std::string(tokens.GetAt(0).value.GetString()).size(), 4095u);
}

TEST(BuiltinTable, NamesCountsAndOrder) {
  const char* expected =
      "ABS 1-1; ACOS 1-1; ADLIBDISABLE 0-0; ADLIBENABLE 1-2; ASC 1-1; ASIN 1-1; ATAN 1-1; RUVEROSETOPTION 2-2; "
      "RUVEROWINGETTITLE 0-0; RUVEROWINSETTITLE 1-1; BITAND 2-255; BITNOT 1-1; BITOR 2-255; BITSHIFT 2-2; BITXOR "
      "2-255; BLOCKINPUT 1-1; BREAK 1-1; CALL 1-1; CDTRAY 2-2; CHR 1-1; CLIPGET 0-0; CLIPPUT 1-1; CONTROLCLICK 3-5; "
      "CONTROLCOMMAND 5-5; CONTROLDISABLE 3-3; CONTROLENABLE 3-3; CONTROLFOCUS 3-3; CONTROLGETFOCUS 1-2; "
      "CONTROLGETPOS 3-3; CONTROLGETTEXT 3-3; CONTROLHIDE 3-3; CONTROLMOVE 5-7; CONTROLSEND 4-5; KEYSEND 4-5; KEYUP "
      "4-5; KEYDOWN 4-5; CONTROLSETTEXT 4-4; CONTROLSHOW 3-3; COS 1-1; DEC 1-1; DIRCOPY 2-3; DIRCREATE 1-1; DIRMOVE "
      "2-3; DIRREMOVE 1-2; DRIVEGETDRIVE 1-1; DRIVEGETFILESYSTEM 1-1; DRIVEGETLABEL 1-1; DRIVEGETSERIAL 1-1; "
      "DRIVEGETTYPE 1-1; DRIVEMAPADD 2-5; DRIVEMAPDEL 1-1; DRIVEMAPGET 1-1; DRIVESETLABEL 2-2; DRIVESPACEFREE 1-1; "
      "DRIVESPACETOTAL 1-1; DRIVESTATUS 1-1; ENVGET 1-1; ENVSET 1-2; ENVUPDATE 0-0; EVAL 1-1; EXP 1-1; "
      "FILECHANGEDIR 1-1; FILECLOSE 1-1; FILECOPY 2-3; FILECREATESHORTCUT 2-9; FILEDELETE 1-1; FILEEXISTS 1-1; "
      "FILEFINDFIRSTFILE 1-1; FILEFINDNEXTFILE 1-1; FILEGETATTRIB 1-1; FILEGETLONGNAME 1-1; FILEGETSHORTCUT 1-1; "
      "FILEGETSHORTNAME 1-1; FILEGETSIZE 1-1; FILEGETTIME 1-2; FILEGETVERSION 1-1; FILEINSTALL 2-3; FILEMOVE 2-3; "
      "FILEOPEN 2-2; FILEOPENDIALOG 3-5; FILEREAD 2-2; FILEREADLINE 1-2; FILERECYCLE 1-1; FILERECYCLEEMPTY 0-1; "
      "FILESAVEDIALOG 3-5; FILESELECTFOLDER 2-3; FILESETATTRIB 2-3; FILESETTIME 2-4; FILEWRITE 2-2; FILEWRITELINE "
      "2-2; HEX 2-2; HOTKEYSET 1-2; INIDELETE 3-3; INIREAD 4-4; INIWRITE 4-4; INT 1-1; ISADMIN 0-0; ISARRAY 1-1; "
      "ISDECLARED 1-1; ISFLOAT 1-1; ISINT 1-1; ISNUMBER 1-1; ISSTRING 1-1; LOG 1-1; MEMGETSTATS 0-0; MOD 2-2; "
      "MOUSECLICK 1-3; MOUSEDOUBLECLICK 1-3; MOUSECLICKDRAG 5-6; MOUSEDOWN 1-1; MOUSEGETCURSOR 0-0; MOUSEGETPOS 0-0; "
      "MOUSEMOVE 2-3; CHECKCOLOR 6-6; MOUSERELATIVEMOVE 2-3; MOUSEUP 1-1; MOUSEWHEEL 1-2; MSGBOX 3-4; NUMBER 1-1; OPT "
      "2-2; PIXELCHECKSUM 4-4; PIXELGETCOLOR 2-2; PIXELSEARCH 5-7; PROCESSCLOSE 1-1; PROCESSEXISTS 1-1; "
      "PROCESSSETPRIORITY 2-2; PROCESSWAIT 1-2; PROCESSWAITCLOSE 1-2; PROGRESSOFF 0-0; PROGRESSON 2-6; PROGRESSSET "
      "1-3; RANDOM 0-2; REGDELETE 1-2; REGENUMKEY 2-2; REGENUMVAL 2-2; REGREAD 2-2; REGWRITE 1-4; ROUND 1-2; RUN "
      "1-3; RUNREADYINPUT 1-3; RUNASSET 0-4; RUNWAIT 1-3; SEND 1-2; SETERROR 1-1; SHUTDOWN 1-1; SIN 1-1; DELAY 1-1; "
      "SOUNDPLAY 1-2; SOUNDSETWAVEVOLUME 1-1; SPLASHIMAGEON 2-7; SPLASHOFF 0-0; SPLASHTEXTON 2-10; SQRT 1-1; "
      "STATUSBARGETTEXT 1-3; STRING 1-1; STRINGADDCR 1-1; STRINGFORMAT 1-33; STRINGINSTR 2-4; STRINGISALNUM 1-1; "
      "STRINGISALPHA 1-1; STRINGISASCII 1-1; STRINGISDIGIT 1-1; STRINGISFLOAT 1-1; STRINGISINT 1-1; STRINGISLOWER "
      "1-1; STRINGISSPACE 1-1; STRINGISUPPER 1-1; STRINGISXDIGIT 1-1; STRINGLEFT 2-2; STRINGLEN 1-1; STRINGLOWER "
      "1-1; STRINGMID 3-3; STRINGREPLACE 3-5; STRINGRIGHT 2-2; STRINGSPLIT 2-2; STRINGSTRIPCR 1-1; STRINGSTRIPWS "
      "2-2; STRINGTRIMLEFT 2-2; STRINGTRIMRIGHT 2-2; STRINGUPPER 1-1; TAN 1-1; TIMERDIFF 1-1; TIMERINIT 0-0; "
      "TIMERSTART 0-0; TIMERSTOP 1-1; TOOLTIP 1-3; TRAYTIP 3-4; UBOUND 1-2; URLDOWNLOADTOFILE 2-2; WINACTIVATE 1-2; "
      "WINACTIVE 1-2; WINCLOSE 1-2; WINEXISTS 1-2; WINGETCARETPOS 0-0; WINGETCLASSLIST 1-2; WINGETCLIENTSIZE 1-2; "
      "WINGETHANDLE 1-2; WINGETPOS 1-2; WINGETSTATE 1-2; WINGETTEXT 1-2; WINGETTITLE 1-2; WINKILL 1-2; "
      "WINMENUSELECTITEM 3-9; WINMINIMIZEALL 0-0; WINMINIMIZEALLUNDO 0-0; WINMOVE 4-6; WINSETONTOP 3-3; WINSETSTATE "
      "3-3; WINSETTITLE 3-3; WINSHOW 3-3; WINWAIT 1-3; WAIT 1-1; WAITLONG 1-1; WINWAITACTIVE 1-3; WINWAITCLOSE 1-3; "
      "WINWAITNOTACTIVE 1-3";
  CQuorvex_Script script;
  ASSERT_EQ(script.GetBuiltinCount(), 216);
  std::string table;
  for (int i = 0; i < script.GetBuiltinCount(); ++i) {
    const CBuiltinEntry& e = script.GetBuiltin(i);
    if (i) table += "; ";
    table += std::string(e.name.GetText()) + " " + std::to_string(e.minArgs) + "-" + std::to_string(e.maxArgs);
    EXPECT_EQ(script.FindBuiltin(e.name), i);
  }
  EXPECT_EQ(table, expected);
  EXPECT_EQ(script.FindBuiltin("mouseclick"), -1);  // the lexer upper-cases first
}

TEST(BuiltinTable, SharedHandlers) {
  CQuorvex_Script script;
  auto handler = [&](const char* name) { return script.GetBuiltin(script.FindBuiltin(name)).handler; };
  const char* const pairs[][2] = {
      {"TIMERINIT", "TIMERSTART"}, {"TIMERDIFF", "TIMERSTOP"}, {"RUVEROSETOPTION", "OPT"}, {"WINSETSTATE", "WINSHOW"}};
  for (const auto& p : pairs) EXPECT_TRUE(handler(p[0]) == handler(p[1])) << p[0];
  std::set<std::string> distinct;
  for (int i = 0; i < script.GetBuiltinCount(); ++i) {
    BuiltinHandler h = script.GetBuiltin(i).handler;
    distinct.insert(std::string(reinterpret_cast<const char*>(&h), sizeof h));
  }
  EXPECT_EQ(distinct.size(), 212u);
}

// Only built-ins that look at their first argument and run no script code take a variable there
// in place rather than a copy of it.
TEST(BuiltinTable, OnlyUBoundAndIsArrayTakeTheirFirstArgumentInPlace) {
  CQuorvex_Script script;
  std::vector<std::string> inPlace;
  for (int i = 0; i < script.GetBuiltinCount(); ++i)
    if (script.GetBuiltin(i).readsInPlace) inPlace.push_back(script.GetBuiltin(i).name.GetText());
  EXPECT_EQ(inPlace, (std::vector<std::string>{"ISARRAY", "UBOUND"}));
}

// Every built-in is built now: a handler's fatal report stands in for the stub's.
TEST(BuiltinTable, FatalHandlerEndsTheRunAfterThePresets) {
  ScriptHarness h;
  h.Load("x");
  h.script().Run.CurrentLine = 1;
  h.script().SetError(5);
  CValueList args;
  CScriptValue name, value;
  name.SetString("NoSuchOption");
  args.Add(name);
  args.Add(value);
  CScriptValue result;
  result.SetString("old");
  int index = h.script().FindBuiltin("OPT");
  EXPECT_NE(h.script().CallBuiltin(index, args, result), 0);
  EXPECT_EQ(h.LastError(), "Unknown option or bad parameter specified.");
  EXPECT_EQ(result.GetNumber(), 1);  // preset before the handler ran
  EXPECT_EQ(h.script().GetError(), 0);
  EXPECT_EQ(h.script().Run.WaitState, WAIT_END);
}
