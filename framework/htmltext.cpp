// The readable text of an HTML page, for the read-only view of CHtmlView.
#include "framework/htmlview.h"

#include <cstring>

namespace {

CString DecodeReferences(const CString& text) {
  static const struct {
    const char* name;
    char ch;
  } kReferences[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}, {"&nbsp;", ' '}};
  CString out;
  for (int i = 0; i < text.GetLength();) {
    bool decoded = false;
    if (text[i] == '&') {
      for (const auto& ref : kReferences) {
        int length = static_cast<int>(strlen(ref.name));
        if (text.Mid(i, length).CompareNoCase(ref.name) == 0) {
          out += ref.ch;
          i += length;
          decoded = true;
          break;
        }
      }
    }
    if (!decoded) out += text[i++];
  }
  return out;
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

void EndLine(CString& out, int wanted) {
  // Ends the current line, then adds blank lines up to `wanted` line ends in a row.
  int have = 0;
  for (int i = out.GetLength() - 1; i >= 0 && out[i] == '\n'; --i) ++have;
  if (out.IsEmpty()) return;
  for (; have < wanted; ++have) out += '\n';
}

}  // namespace

CString HtmlToReadableText(const char* html) {
  CString page = html ? html : "";
  CString out, text;
  bool skipping = false;  // inside head matter: title, style, script
  CString skipEnd;
  auto flushText = [&] {
    CString collapsed;
    for (int i = 0; i < text.GetLength(); ++i) {
      char ch = text[i];
      bool space = isspace(static_cast<unsigned char>(ch)) != 0;
      bool atLineStart = collapsed.IsEmpty() ? (out.IsEmpty() || out.Right(1) == "\n") : collapsed.Right(1) == " ";
      if (space) {
        if (!atLineStart) collapsed += ' ';
      } else {
        collapsed += ch;
      }
    }
    out += DecodeReferences(collapsed);
    text.Empty();
  };
  for (int i = 0; i < page.GetLength();) {
    if (page[i] != '<') {
      if (!skipping) text += page[i];
      ++i;
      continue;
    }
    int close = page.Find('>', i);
    if (close < 0) close = page.GetLength();
    CString tag = page.Mid(i + 1, close - i - 1);
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
    while (out.Right(1) == " ") out = out.Left(out.GetLength() - 1);
    if (name == "BR") {
      out += '\n';
    } else if (name == "P" || name == "/P" || name == "TABLE" || name == "/TABLE" || name == "FORM" ||
               name == "/FORM") {
      EndLine(out, 2);
    } else if (name == "TR" || name == "/TR" || name == "DIV" || name == "/DIV") {
      EndLine(out, 1);
    } else if (name == "INPUT") {
      CString type = AttributeOf(tag, "TYPE");
      if (type.IsEmpty() || type.CompareNoCase("text") == 0) out += AttributeOf(tag, "VALUE");
    } else if (name == "TEXTAREA") {
      // The text area's contents stand as they are, line for line.
      int end = page.Find("</", i);
      while (end >= 0 && page.Mid(end, 11).CompareNoCase("</TEXTAREA>") != 0) end = page.Find("</", end + 2);
      if (end < 0) end = page.GetLength();
      CString contents = DecodeReferences(page.Mid(i, end - i));
      contents.Remove('\r');
      out += contents;
      i = end + 11;
    }
  }
  flushText();
  while (out.Right(1) == " " || out.Right(1) == "\n") out = out.Left(out.GetLength() - 1);
  return out;
}
