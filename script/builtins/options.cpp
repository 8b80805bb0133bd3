// RUVEROSETOPTION and OPT: the interpreter's 25 named options, each with its own setting rule.
#include <cstring>
#include <type_traits>

#include "script/interpreter.h"

// Process-wide tray flags: the debug flag is only stored; the icon is never hidden.
int g_TrayIconDebug = 0;
static const int kTrayIconHidden = 0;

namespace {

// How a new value is stored.
enum class Rule {
  Bool,         // any non-zero value stores 1
  NotNegative,  // negative values leave the option unchanged
  MinusOneUp,   // values below -1 leave it unchanged
  Ignored,      // accepted, changes nothing, returns 1
  ReadOnly,     // returns the option's value, changes nothing
  TextMode,     // 1 or 2, anything else stores 1
  TitleMode,    // 1 to 4, anything else stores 1
};

struct OptionRow {
  const char* name;
  Rule rule;
  int (*get)(CQuorvex_Script& s);
  void (*set)(CQuorvex_Script& s, int value);
};

#define OPTION(name, rule, field)                                                         \
  {                                                                                       \
    name, rule, [](CQuorvex_Script& s) { return static_cast<int>(field); },              \
        [](CQuorvex_Script& s, int v) { field = static_cast<std::remove_reference_t<decltype(field)>>(v); } \
  }
#define IGNORED(name) {name, Rule::Ignored, nullptr, nullptr}

// Names are matched in this order.
const OptionRow kOptions[] = {
    OPTION("CaretCoordMode", Rule::Bool, s.CaretCoordMode),
    OPTION("ColorMode", Rule::Bool, s.ColorMode),
    IGNORED("GUICoordMode"),
    IGNORED("GUINotifyMode"),
    IGNORED("GUIResizeMode"),
    IGNORED("GuiTaskbarEntry"),
    OPTION("ExpandEnvStrings", Rule::Bool, s.ExpandEnvStrings),
    OPTION("MouseClickDelay", Rule::NotNegative, s.MouseClickDelay),
    OPTION("MouseClickDownDelay", Rule::NotNegative, s.MouseClickDownDelay),
    OPTION("MouseClickDragDelay", Rule::NotNegative, s.MouseClickDragDelay),
    OPTION("MouseCoordMode", Rule::Bool, s.MouseCoordMode),
    OPTION("MustDeclareVars", Rule::Bool, s.MustDeclareVars),
    OPTION("PixelCoordMode", Rule::Bool, s.PixelCoordMode),
    OPTION("RunErrorsFatal", Rule::Bool, s.RunErrorsFatal),
    OPTION("SendAttachMode", Rule::Bool, s.SendKeys.SendAttachMode),
    OPTION("SendCapslockMode", Rule::Bool, s.SendKeys.SendCapslockMode),
    OPTION("SendKeyDelay", Rule::MinusOneUp, s.SendKeys.SendKeyDelay),
    OPTION("SendKeyDownDelay", Rule::MinusOneUp, s.SendKeys.SendKeyDownDelay),
    {"TrayIconDebug", Rule::Bool, [](CQuorvex_Script&) { return g_TrayIconDebug; },
     [](CQuorvex_Script&, int v) { g_TrayIconDebug = v; }},
    {"TrayIconHide", Rule::ReadOnly, [](CQuorvex_Script&) { return kTrayIconHidden ? 0 : 1; }, nullptr},
    OPTION("WinSearchChildren", Rule::Bool, s.WinSearchChildren),
    OPTION("WinWaitDelay", Rule::NotNegative, s.WinWaitDelay),
    OPTION("WinDetectHiddenText", Rule::Bool, s.WinDetectHiddenText),
    OPTION("WinTextMatchMode", Rule::TextMode, s.WinTextMatchMode),
    OPTION("WinTitleMatchMode", Rule::TitleMode, s.WinTitleMatchMode),
};

#undef OPTION
#undef IGNORED

static_assert(sizeof kOptions / sizeof kOptions[0] == 25);

}  // namespace

// RUVEROSETOPTION/OPT(option, value): the option's old value; the new one is stored by its rule.
int CQuorvex_Script::F_Opt(CValueList& args, CScriptValue& result) {
  const char* name = args.GetAt(0).GetString();
  for (const OptionRow& row : kOptions) {
    if (_stricmp(name, row.name) != 0) continue;
    if (row.rule == Rule::Ignored) return 0;  // the preset result 1
    int old = row.get(*this);
    result.SetInt(old);
    int value = args.GetAt(1).GetInt();
    switch (row.rule) {
      case Rule::Bool:
        row.set(*this, args.GetAt(1).GetNumber() != 0);  // 0.5 is not zero either
        break;
      case Rule::NotNegative:
        if (value >= 0) row.set(*this, value);
        break;
      case Rule::MinusOneUp:
        if (value >= -1) row.set(*this, value);
        break;
      case Rule::TextMode:
        row.set(*this, value == 1 || value == 2 ? value : 1);
        break;
      case Rule::TitleMode:
        row.set(*this, value >= 1 && value <= 4 ? value : 1);
        break;
      case Rule::Ignored:
      case Rule::ReadOnly:
        break;
    }
    return 0;
  }
  return FatalError("Unknown option or bad parameter specified.");
}
