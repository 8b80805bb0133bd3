// The lexer: one script line to a list of tokens.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>

#include "script/interpreter.h"
#include "script/lexer.h"
#include "script/sysutil/sysutil.h"

namespace {

const char* const kKeywords[KW_COUNT] = {
    "AND",  "OR",    "NOT",      "IF",           "THEN",   "ELSE", "ELSEIF",    "ENDIF",
    "WHILE", "WEND", "DO",       "UNTIL",        "FOR",    "NEXT", "TO",        "STEP",
    "EXITLOOP", "CONTINUELOOP", "SELECT", "CASE", "ENDSELECT", "DIM", "REDIM", "LOCAL",
    "GLOBAL", "FUNC", "ENDFUNC", "RETURN", "EXIT", "TAG", "GOTO", "BYREF",
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsWordChar(char c) { return IsLetter(c) || IsDigit(c) || c == '_'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

}  // namespace

int CQuorvex_Script::FindKeyword(const char* upperWord) {
  static const std::unordered_map<std::string, int> index = [] {
    std::unordered_map<std::string, int> m;
    for (int i = 0; i < KW_COUNT; ++i) m.emplace(kKeywords[i], i);
    return m;
  }();
  auto it = index.find(upperWord);
  return it == index.end() ? -1 : it->second;
}

const char* KeywordName(int id) { return id >= 0 && id < KW_COUNT ? kKeywords[id] : ""; }

void ExpandEnvVariables(CScriptString& text) {
  const int kLimit = 4095;
  CScriptString out;
  const char* p = text.GetText();
  while (*p && out.GetLength() < kLimit) {
    if (*p != '%') {
      out.AppendChar(*p++);
      continue;
    }
    if (p[1] == '%') {
      out.AppendChar('%');
      p += 2;
      continue;
    }
    const char* name = p + 1;
    const char* close = strchr(name, '%');
    std::string variable(name, close ? close - name : strlen(name));
    p = close ? close + 1 : name + variable.size();
    char value[kLimit + 1];
    DWORD n = GetEnvironmentVariableA(variable.c_str(), value, sizeof value);
    if (n > 0 && n < sizeof value) out.AppendText(value, static_cast<int>(n));
  }
  out.Truncate(kLimit);
  text = std::move(out);
}

bool CQuorvex_Script::ReadNumber(const char* line, int& pos, CScriptToken& token) {
  int p = pos;
  if (line[p] == '0' && (line[p + 1] == 'x' || line[p + 1] == 'X')) {
    p += 2;
    std::string digits;
    while (IsHexDigit(line[p])) digits += line[p++];
    int value;
    if (!HexToInt(digits.c_str(), value)) return false;
    token.kind = TOK_LITERAL;
    token.value.SetInt(value);
    pos = p;
    return true;
  }
  // Digits anywhere; one "." before any exponent; "e" once, after a digit; a sign only
  // directly after the "e"; at least one digit after the "e".
  bool mantissaDigit = false, dot = false, exponent = false, exponentDigit = false, afterE = false;
  for (;; ++p) {
    char c = line[p];
    if (IsDigit(c)) {
      if (exponent) exponentDigit = true;
      else mantissaDigit = true;
      afterE = false;
    } else if (c == '.' && !dot && !exponent) {
      dot = true;
    } else if ((c == 'e' || c == 'E') && !exponent && mantissaDigit) {
      exponent = true;
      afterE = true;
    } else if ((c == '+' || c == '-') && afterE) {
      afterE = false;
    } else {
      break;
    }
  }
  if (exponent && !exponentDigit) return false;
  std::string text(line + pos, p - pos);
  token.kind = TOK_LITERAL;
  token.value.SetNumber(strtod(text.c_str(), nullptr));  // a lone "." reads as 0
  pos = p;
  return true;
}

int CQuorvex_Script::ReadString(const char* line, int& pos, CScriptToken& token) {
  char quote = line[pos];
  int column = pos;
  int p = pos + 1;
  CScriptString text;
  for (;;) {
    char c = line[p];
    if (!c) {
      pos = p;
      return FatalError("String missing closing quote.", column);
    }
    if (c == quote) {
      if (line[p + 1] != quote) {
        ++p;
        break;
      }
      ++p;  // a doubled quote is one quote character
    }
    text.AppendChar(c);
    ++p;
  }
  if (ExpandEnvStrings == 1) ExpandEnvVariables(text);
  token.kind = TOK_LITERAL;
  token.value.SetString(text);
  pos = p;
  return 0;
}

void CQuorvex_Script::ReadWord(const char* line, int& pos, CScriptToken& token) {
  int start = pos;
  while (IsWordChar(line[pos])) ++pos;
  CScriptString word;
  word.AssignText(line + start, pos - start);
  word.MakeUpper();
  int id = FindKeyword(word);
  if (id >= 0) {
    token.kind = TOK_KEYWORD;
    token.value.SetInt(id);
    return;
  }
  id = FindBuiltin(word);
  if (id >= 0) {
    token.kind = TOK_BUILTIN;
    token.value.SetInt(id);
    return;
  }
  token.kind = TOK_USERFUNCTION;
  token.value.SetString(word);
}

int CQuorvex_Script::Tokenize(const char* line, CTokenList& tokens) {
  tokens.Clear();
  if (!line) line = "";
  int pos = 0;
  for (;;) {
    while (line[pos] == ' ' || line[pos] == '\t') ++pos;
    if (!line[pos]) {
      tokens.AddEnd(pos);
      return 0;
    }
    CScriptToken token;
    token.column = pos;
    char c = line[pos];
    if ((IsDigit(c) || c == '.') && ReadNumber(line, pos, token)) {
      tokens.Add(std::move(token));
      continue;
    }
    if (IsLetter(c) || c == '_') {
      ReadWord(line, pos, token);
      tokens.Add(std::move(token));
      continue;
    }
    int kind = -1;
    switch (c) {
      case '"':
      case '\'':
        if (ReadString(line, pos, token)) {
          tokens.AddEnd(pos);
          return 1;
        }
        tokens.Add(std::move(token));
        continue;
      case '$':
      case '@': {
        int start = ++pos;
        while (IsWordChar(line[pos])) ++pos;
        if (pos == start) return FatalError("Badly formated variable or macro.", token.column);
        CScriptString name;
        name.AssignText(line + start, pos - start);
        if (c == '$') name.MakeUpper();  // variable names are compared in upper case
        token.kind = c == '$' ? TOK_VARIABLE : TOK_MACRO;
        token.value.SetString(name);
        tokens.Add(std::move(token));
        continue;
      }
      case ';':
        tokens.AddEnd(pos);
        return 0;
      case '&': kind = TOK_CONCAT; break;
      case '(': kind = TOK_LEFTPAREN; break;
      case ')': kind = TOK_RIGHTPAREN; break;
      case '*': kind = TOK_MULTIPLY; break;
      case '+': kind = TOK_PLUS; break;
      case ',': kind = TOK_COMMA; break;
      case '-': kind = TOK_MINUS; break;
      case '/': kind = TOK_DIVIDE; break;
      case '[': kind = TOK_LEFTSUBSCRIPT; break;
      case ']': kind = TOK_RIGHTSUBSCRIPT; break;
      case '^': kind = TOK_POWER; break;
      case '<':
        if (line[pos + 1] == '=') kind = TOK_LESSEQUAL, ++pos;
        else if (line[pos + 1] == '>') kind = TOK_NOTEQUAL, ++pos;
        else kind = TOK_LESS;
        break;
      case '=':
        if (line[pos + 1] == '=') kind = TOK_STRINGEQUAL, ++pos;
        else kind = TOK_EQUAL;
        break;
      case '>':
        if (line[pos + 1] == '=') kind = TOK_GREATEREQUAL, ++pos;
        else kind = TOK_GREATER;
        break;
      default:
        tokens.AddEnd(pos);
        return FatalError("Unable to parse line.", pos);
    }
    ++pos;
    token.kind = kind;
    tokens.Add(std::move(token));
  }
}

const CTokenList* CQuorvex_Script::LineTokens(int line, const char* text, CTokenList& scratch) {
  if (ExpandEnvStrings == 1 || line < 1 || !text) return Tokenize(text, scratch) ? nullptr : &scratch;
  if (line >= static_cast<int>(lineTokens_.size())) lineTokens_.resize(line + 1);
  std::unique_ptr<CLineTokens>& kept = lineTokens_[line];
  if (kept && kept->text == text) return &kept->tokens;
  // A line whose text has changed (the store was refilled without a preparation) may still be
  // running further up: its old tokens stay, the new ones are not kept.
  if (kept) return Tokenize(text, scratch) ? nullptr : &scratch;
  auto fresh = std::make_unique<CLineTokens>();
  fresh->text = text;
  if (Tokenize(text, fresh->tokens)) return nullptr;
  kept = std::move(fresh);
  return &kept->tokens;
}

CQuorvex_Script::CLineTokens* CQuorvex_Script::KeptLine(int line) {
  if (ExpandEnvStrings == 1 || line < 1 || line >= static_cast<int>(lineTokens_.size())) return nullptr;
  CLineTokens* kept = lineTokens_[line].get();
  return kept && kept->text == file_->GetLine(line) ? kept : nullptr;
}
