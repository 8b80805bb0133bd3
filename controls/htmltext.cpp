// The readable text of an HTML page, for the read-only view of CHtmlReadOnlyView.
#include "controls/htmlreadonly.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// Appends the text with its character references decoded; the text between references goes
// over in one piece (a text area may hold megabytes).
void AppendDecoded(std::string& out, std::string_view text) {
  static const struct {
    const char* name;
    char ch;
  } kReferences[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}, {"&nbsp;", ' '}};
  size_t done = 0;
  for (size_t amp = text.find('&'); amp != std::string_view::npos; amp = text.find('&', amp + 1)) {
    for (const auto& ref : kReferences) {
      size_t length = strlen(ref.name);
      if (text.size() - amp >= length && _strnicmp(text.data() + amp, ref.name, length) == 0) {
        out.append(text.substr(done, amp - done)).append(1, ref.ch);
        done = amp + length;
        amp = done - 1;
        break;
      }
    }
  }
  out.append(text.substr(done));
}

CString DecodeReferences(const CString& text) {
  std::string out;
  AppendDecoded(out, text.str());
  return CString(std::move(out));
}

// The value of an attribute of a tag's inside text ("INPUT TYPE=text value=\"x\""), "" without it.
CString AttributeOf(const CString& tag, const char* name) {
  int i = tag.Find(' ');
  while (i >= 0 && i < tag.GetLength()) {
    while (i < tag.GetLength() && isspace(static_cast<unsigned char>(tag[i]))) ++i;
    int start = i;
    while (i < tag.GetLength() && tag[i] != '=' && !isspace(static_cast<unsigned char>(tag[i]))) ++i;
    CString attribute = tag.Mid(start, i - start);
    if (attribute.IsEmpty()) break;
    CString value;
    if (tag[i] == '=') {
      ++i;
      char quote = tag[i];
      if (quote == '"' || quote == '\'') {
        int end = tag.Find(quote, i + 1);
        if (end < 0) end = tag.GetLength();
        value = tag.Mid(i + 1, end - i - 1);
        i = end + 1;
      } else {
        int begin = i;
        while (i < tag.GetLength() && !isspace(static_cast<unsigned char>(tag[i]))) ++i;
        value = tag.Mid(begin, i - begin);
      }
    }
    if (attribute.CompareNoCase(name) == 0) return DecodeReferences(value);
  }
  return CString();
}

void EndLine(std::string& out, int wanted) {
  // Ends the current line, then adds blank lines up to `wanted` line ends in a row.
  int have = 0;
  for (size_t i = out.size(); i > 0 && out[i - 1] == '\n'; --i) ++have;
  if (out.empty()) return;
  for (; have < wanted; ++have) out += '\n';
}

// Drops trailing characters of the set.
void TrimEnd(std::string& out, const char* set) { out.erase(out.find_last_not_of(set) + 1); }

}  // namespace

CString HtmlToReadableText(const char* html) {
  // Read in place and built in one string: a page of many megabytes is copied as seldom as can be.
  const std::string_view page = html ? html : "";
  std::string out;
  out.reserve(page.size());
  CString text;
  bool skipping = false;  // inside head matter: title, style, script
  CString skipEnd;
  auto flushText = [&] {
    CString collapsed;
    for (int i = 0; i < text.GetLength(); ++i) {
      char ch = text[i];
      bool space = isspace(static_cast<unsigned char>(ch)) != 0;
      bool atLineStart = collapsed.IsEmpty() ? (out.empty() || out.back() == '\n') : collapsed.Right(1) == " ";
      if (space) {
        if (!atLineStart) collapsed += ' ';
      } else {
        collapsed += ch;
      }
    }
    AppendDecoded(out, collapsed.str());
    text.Empty();
  };
  for (size_t i = 0; i < page.size();) {
    if (page[i] != '<') {
      if (!skipping) text += page[i];
      ++i;
      continue;
    }
    size_t close = std::min(page.find('>', i), page.size());
    CString tag(std::string(page.substr(i + 1, close - i - 1)));
    i = close + 1;
    CString name = tag.SpanExcluding(" \t\r\n/");
    if (name.IsEmpty() && tag.Left(1) == "/") name = "/" + tag.Mid(1).SpanExcluding(" \t\r\n");
    name.MakeUpper();
    if (skipping) {
      if (name == skipEnd) skipping = false;
      continue;
    }
    if (name == "TITLE" || name == "STYLE" || name == "SCRIPT" || name == "HEAD") {
      skipping = true;
      skipEnd = "/" + name;
      continue;
    }
    flushText();
    TrimEnd(out, " ");
    if (name == "BR") {
      out += '\n';
    } else if (name == "P" || name == "/P" || name == "TABLE" || name == "/TABLE" || name == "FORM" ||
               name == "/FORM") {
      EndLine(out, 2);
    } else if (name == "TR" || name == "/TR" || name == "DIV" || name == "/DIV") {
      EndLine(out, 1);
    } else if (name == "INPUT") {
      CString type = AttributeOf(tag, "TYPE");
      if (type.IsEmpty() || type.CompareNoCase("text") == 0) out += AttributeOf(tag, "VALUE").str();
    } else if (name == "TEXTAREA") {
      // The text area's contents stand as they are, line for line.
      size_t end = page.find("</", std::min(i, page.size()));
      while (end != std::string_view::npos &&
             (page.size() - end < 11 || _strnicmp(page.data() + end, "</TEXTAREA>", 11) != 0)) {
        end = page.find("</", end + 2);
      }
      if (end == std::string_view::npos) end = page.size();
      size_t from = out.size();
      AppendDecoded(out, page.substr(std::min(i, end), end - std::min(i, end)));
      out.erase(std::remove(out.begin() + static_cast<std::ptrdiff_t>(from), out.end(), '\r'), out.end());
      i = end + 11;
    }
  }
  flushText();
  TrimEnd(out, " \n");
  return CString(std::move(out));
}
