// The main dialog's global hotkeys and robot runs: registration under global atoms, dispatch of
// WM_HOTKEY, the running guard, repetitions, and the requests of a second instance.
#include <cstring>
#include <string>
#include <unordered_map>

#include "app/quorvexapp.h"
#include "app/quorvexdlg.h"
#include "res/resource.h"
#include "robot/datafolder.h"
#include "robot/keynames.h"
#include "robot/robotfile.h"
#include "robot/robotname.h"
#include "script/builtins/sendkeys.h"
#include "script/interpreter.h"

namespace {

// A hotkey names exactly one key after its modifiers: one character or one "<name>". Anything
// longer ("None", the text of a key that is not set) is no key, so it never grabs a letter.
bool NamesOneKey(const CString& notation) {
  int i = 0;
  while (i < notation.GetLength() && strchr("^+!#", notation[i])) ++i;
  CString key = notation.Mid(i);
  if (key.GetLength() == 1) return true;
  return key.GetLength() > 2 && key[0] == '<' && key.Find('>') == key.GetLength() - 1;
}

bool IsUnsetKey(const CString& text) { return text.IsEmpty() || text == "None"; }

}  // namespace

ATOM CQuorvexDlg::ParseHotkeyText(const CString& text, UINT& modifiers, UINT& vk) {
  // Each text is parsed, and its atom looked up, once per process: hotkey dispatch and every
  // (un)registration go through here, and an atom look-up is a round trip to the system.
  struct Parsed {
    ATOM atom;
    UINT modifiers, vk;
  };
  static std::unordered_map<std::string, Parsed> parsed;
  auto known = parsed.find(text.str());
  if (known == parsed.end()) {
    Parsed p = {0, 0, 0};
    CString notation = HotkeyTextToScript(text);
    notation.MakeLower();
    int key = 0;
    bool shift, ctrl, alt, win;
    if (NamesOneKey(notation) && CSendKeys::ParseHotkey(notation, key, shift, ctrl, alt, win)) {
      if (shift) p.modifiers |= MOD_SHIFT;
      if (ctrl) p.modifiers |= MOD_CONTROL;
      if (alt) p.modifiers |= MOD_ALT;
      if (win) p.modifiers |= MOD_WIN;
      p.vk = static_cast<UINT>(key);
      p.atom = GlobalAddAtomA(notation);
      if (!p.atom) return 0;  // asked again next time
    }
    known = parsed.emplace(text.str(), p).first;
  }
  if (!known->second.atom) return 0;
  modifiers |= known->second.modifiers;
  vk = known->second.vk;
  return known->second.atom;
}

BOOL CQuorvexDlg::RegisterRobotHotkey(const CString& text) {
  UINT modifiers = 0, vk = 0;
  ATOM id = ParseHotkeyText(text, modifiers, vk);
  if (!id) return TRUE;  // nothing to register
  if (::RegisterHotKey(m_hWnd, id, modifiers, vk)) {
    m_HeldHotkeys.insert(KeyCombination(modifiers, vk));
    return TRUE;
  }
  // Robots share keys: a key this window holds already is not lost.
  return m_HeldHotkeys.count(KeyCombination(modifiers, vk)) != 0;
}

void CQuorvexDlg::UnregisterRobotHotkey(const CString& text) {
  UINT modifiers = 0, vk = 0;
  ATOM id = ParseHotkeyText(text, modifiers, vk);
  if (id && ::UnregisterHotKey(m_hWnd, id)) m_HeldHotkeys.erase(KeyCombination(modifiers, vk));
}

void CQuorvexDlg::RegisterHotkeys(BOOL startKeysOnly) {
  for (const CRobot& robot : m_Robots) {
    if (!robot.Enable) continue;
    RegisterRobotHotkey(robot.StartKey);
    if (!startKeysOnly) RegisterRobotHotkey(robot.EndKey);
  }
}

void CQuorvexDlg::UnregisterHotkeys(BOOL startKeysOnly) {
  for (const CRobot& robot : m_Robots) {
    if (!robot.Enable) continue;
    UnregisterRobotHotkey(robot.StartKey);
    if (!startKeysOnly) UnregisterRobotHotkey(robot.EndKey);
  }
}

void CQuorvexDlg::RestoreSharedHotkeys() {
  if (m_Quitting) return;
  for (const CRobot& robot : m_Robots) {
    if (!robot.Enable) continue;
    if (!m_Running) RegisterRobotHotkey(robot.StartKey);
    RegisterRobotHotkey(robot.EndKey);
  }
  // The running robot's own end key stops it even when the robot is not ticked.
  if (m_Running) RegisterRobotHotkey(m_RunEndKey);
}

bool CQuorvexDlg::IsKeyOfEnabledRobot(const CString& text) const {
  UINT modifiers = 0, vk = 0;
  ATOM id = ParseHotkeyText(text, modifiers, vk);
  if (!id) return false;
  for (const CRobot& robot : m_Robots) {
    if (!robot.Enable) continue;
    if (ParseHotkeyText(robot.StartKey, modifiers, vk) == id || ParseHotkeyText(robot.EndKey, modifiers, vk) == id)
      return true;
  }
  return false;
}

void CQuorvexDlg::NoteHotkeyProblems(const CRobot& robot, BOOL startRegistered, BOOL endRegistered) {
  NoteUnreadableKeys(robot);
  UINT modifiers = 0, vk = 0;
  ATOM start = ParseHotkeyText(robot.StartKey, modifiers, vk);
  ATOM end = ParseHotkeyText(robot.EndKey, modifiers, vk);
  // A robot without keys shares none: the others are not looked at (a long list loads faster).
  const int self = start || end ? FindRobot(robot.Name) : -1;
  for (int i = 0; (start || end) && i < m_Robots.GetSize(); ++i) {
    const CRobot& other = m_Robots[i];
    if (i == self || !other.Enable) continue;
    ATOM otherStart = ParseHotkeyText(other.StartKey, modifiers, vk);
    ATOM otherEnd = ParseHotkeyText(other.EndKey, modifiers, vk);
    CString line;
    // A start key that two robots share starts the first of them in the list only.
    if (start && start == otherStart) {
      bool selfFirst = self >= 0 && self < i;
      line.Format(AppText(IDS_START_KEY_SHARED), (selfFirst ? other : robot).Name.GetString(),
                  robot.StartKey.GetString(), (selfFirst ? robot : other).Name.GetString());
      m_HotkeyProblems += line;
    }
    // While nothing runs, a key that is one robot's start key and another's end key starts.
    if (end && end == otherStart) {
      line.Format(AppText(IDS_END_KEY_IS_START_KEY), robot.Name.GetString(), robot.EndKey.GetString(),
                  other.Name.GetString());
      m_HotkeyProblems += line;
    }
    if (start && start == otherEnd) {
      line.Format(AppText(IDS_END_KEY_IS_START_KEY), other.Name.GetString(), other.EndKey.GetString(),
                  robot.Name.GetString());
      m_HotkeyProblems += line;
    }
  }
  struct Key {
    BOOL registered;
    UINT which;
    const CString& text;
  } const keys[] = {{startRegistered, IDS_START_KEY_WORD, robot.StartKey}, {endRegistered, IDS_END_KEY_WORD, robot.EndKey}};
  for (const Key& key : keys) {
    if (key.registered) continue;
    CString line;
    line.Format(AppText(IDS_KEY_TAKEN_BY_PROGRAM), robot.Name.GetString(), AppText(key.which).GetString(),
                key.text.GetString());
    m_HotkeyProblems += line;
  }
}

BOOL CQuorvexDlg::NoteUnreadableKeys(const CRobot& robot) {
  BOOL any = FALSE;
  struct Key {
    UINT which;
    const CString& text;
  } const keys[] = {{IDS_START_KEY_WORD, robot.StartKey}, {IDS_END_KEY_WORD, robot.EndKey}};
  for (const Key& key : keys) {
    UINT modifiers = 0, vk = 0;
    if (key.text.IsEmpty() || key.text.CompareNoCase("None") == 0 || ParseHotkeyText(key.text, modifiers, vk)) continue;
    CString line;
    line.Format(AppText(IDS_KEY_UNREADABLE), robot.Name.GetString(), AppText(key.which).GetString(), key.text.GetString());
    m_HotkeyProblems += line;
    any = TRUE;
  }
  return any;
}

void CQuorvexDlg::ShowHotkeyProblems() {
  if (!m_UnreadableFiles.IsEmpty()) {
    CString text;
    text.Format(AppText(IDS_LIST_UNREADABLE), m_UnreadableFiles.GetString());
    text.TrimRight("\n");
    // Cleared first, as below.
    m_UnreadableFiles.Empty();
    Message(text);
  }
  if (m_HotkeyProblems.IsEmpty()) return;
  CString text;
  text.Format(AppText(IDS_HOTKEY_PROBLEMS), m_HotkeyProblems.GetString());
  // Cleared first: the box pumps messages, and a tick meanwhile reports on its own.
  m_HotkeyProblems.Empty();
  Message(text);
}

BOOL CQuorvexDlg::IsStartHotkeyFree(const CString& text) {
  if (IsUnsetKey(text)) return TRUE;
  for (const CRobot& robot : m_Robots) {
    if (!m_EditedRobot.IsEmpty() && robot.Name == m_EditedRobot) continue;
    if (text.CompareNoCase(robot.StartKey) == 0 || text.CompareNoCase(robot.EndKey) == 0) {
      Message(AppText(IDS_START_KEY_TAKEN) + AppText(IDS_HOTKEY_EXAMPLES));
      return FALSE;
    }
  }
  return TRUE;
}

BOOL CQuorvexDlg::IsEndHotkeyFree(const CString& text) {
  if (IsUnsetKey(text)) return TRUE;
  for (const CRobot& robot : m_Robots) {
    if (!m_EditedRobot.IsEmpty() && robot.Name == m_EditedRobot) continue;
    // An end hotkey may be shared: only another robot's start key is a clash.
    if (text.CompareNoCase(robot.StartKey) == 0) {
      Message(AppText(IDS_END_KEY_TAKEN) + AppText(IDS_HOTKEY_EXAMPLES));
      return FALSE;
    }
  }
  return TRUE;
}

void CQuorvexDlg::OnHotKey(UINT id, UINT, UINT) {
  UINT modifiers = 0, vk = 0;
  // The end key of any enabled robot, and the running robot's own, stops whatever runs; while a
  // robot runs that holds also for a key that is a start key too.
  bool endKey = m_Running && ParseHotkeyText(m_RunEndKey, modifiers, vk) == id;
  for (const CRobot& robot : m_Robots)
    if (robot.Enable && ParseHotkeyText(robot.EndKey, modifiers, vk) == id) endKey = true;
  if (m_Running) {
    if (endKey) StopRun();
    return;
  }
  for (const CRobot& robot : m_Robots) {
    if (!robot.Enable || ParseHotkeyText(robot.StartKey, modifiers, vk) != id) continue;
    // The run pumps messages, which may change the array: take the name first.
    m_CurrentRobotPath = RobotFilePath(robot.Name);
    RunCurrentRobot();
    return;
  }
  // With nothing running the stop is cleared again by the next run.
  if (endKey) StopRun();
}

void CQuorvexDlg::StopRun() {
  g_Script.StopRun = 1;
  m_StopRun = 1;
}

BOOL CQuorvexDlg::RunRobot(const CString& path) {
  if (m_Running || m_Quitting) return FALSE;
  m_StopRun = 0;
  m_RobotUnreadable = FALSE;
  if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
    DWORD error = GetLastError();
    m_RobotUnreadable = !IsRobotFileMissing(path, error);
    Message(RobotFileFailureText(path, error));
    return FALSE;
  }
  // Read once, for the robot's settings and for playback.
  CStringArray lines;
  DWORD readError = 0;
  BOOL read = ReadRobotFileLines(path, lines, &readError);
  if (!read) {
    // Nothing of a file that cannot be read is played, and the user learns why.
    m_RobotUnreadable = TRUE;
    Message(RobotFileFailureText(path, readError));
    return FALSE;
  }
  CRobot robot;
  robot.LoadFromLines(lines, path, FALSE);  // the playback reader below reports a broken file
  if (!robot.TriggerRobot.IsEmpty() &&
      GetFileAttributesA(RobotFilePath(robot.TriggerRobot)) == INVALID_FILE_ATTRIBUTES) {
    CString text;
    text.Format(AppText(IDS_TRIGGER_MISSING), robot.TriggerRobot.GetString());
    Message(text);
    return FALSE;
  }

  CQuorvex_ScriptFile& store = g_Script.ScriptFile();
  store.RobotSpeedMode = robot.RobotSpeedMode;
  // A broken file is not played in part (its reader has said why).
  if (!store.LoadRobotLines(lines, path, 0)) {
    g_Script.ClearScript();
    return FALSE;
  }
  lines.RemoveAll();
  store.BuildLineArray();
  if (g_Script.PrepareScript(path)) {
    g_Script.ClearScript();
    return FALSE;
  }
  // Only a background run takes the pointer back to where the user left it. Asking where it is
  // goes to the display server, a wait before the first action that other runs need not pay.
  POINT cursor = {0, 0};
  if (robot.RunAtBackground) GetCursorPos(&cursor);
  g_Script.SetRunParameters(robot.RunAtBackground, cursor.x, cursor.y);
  g_Script.UseSimilarWin = robot.UseSimilarWin;
  g_Script.UseRecWin = robot.UseRecWin;
  char directory[MAX_PATH] = "";
  GetCurrentDirectoryA(MAX_PATH, directory);

  m_Running = TRUE;
  m_RunEndKey = robot.EndKey;
  UnregisterHotkeys(TRUE);
  // Unregistering the start keys took any end key that is also a start key with them.
  RestoreSharedHotkeys();
  // The run is over when the user stops it or quits, or when the script reports an error: an
  // error is not played again in every repetition.
  const int errorsBefore = g_Script.ErrorReports;
  auto over = [&] {
    return g_Script.StopRun || m_StopRun || m_Quitting || g_Script.IsQuitting() ||
           g_Script.ErrorReports != errorsBefore;
  };
  if (robot.RepeatOption == 1) {
    do {
      g_Script.Execute(1, 1);
    } while (!over());
  } else {
    for (int i = 0; i < robot.RepeatTimes && !over(); ++i) g_Script.Execute(1, 1);
  }

  g_Script.ClearScript();
  SetCurrentDirectoryA(directory);
  m_Running = FALSE;
  if (!m_Quitting && !g_Script.IsQuitting()) {
    // The end key of a robot that is not ticked was registered for this run only.
    if (!IsKeyOfEnabledRobot(m_RunEndKey)) UnregisterRobotHotkey(m_RunEndKey);
    RegisterHotkeys(TRUE);
  }
  m_RunEndKey.Empty();
  return TRUE;
}

BOOL CQuorvexDlg::RunCurrentRobot() {
  if (m_CurrentRobotPath.IsEmpty()) return FALSE;
  return RunRobot(m_CurrentRobotPath);
}

BOOL CQuorvexDlg::RunRobotByName(const CString& name) {
  m_RobotNotFound = FALSE;
  m_RobotUnreadable = FALSE;
  if (m_Running) return FALSE;
  if (name.IsEmpty()) {
    m_RobotNotFound = TRUE;
    return FALSE;
  }
  // A name with a folder part (or a device name) would reach a file outside the robot folder.
  if (!IsRobotName(name)) {
    m_RobotNotFound = TRUE;
    Message(IDS_SCHEDULED_MISSING);
    return FALSE;
  }
  m_CurrentRobotPath = RobotFilePath(name);
  if (GetFileAttributesA(m_CurrentRobotPath) == INVALID_FILE_ATTRIBUTES) {
    DWORD error = GetLastError();
    // A file that is there but cannot be reached is said by the run, with the reason. A path the
    // system's calls cannot take (a name longer than any file's) is there only when the robot
    // folder lists a robot of that name.
    if (IsRobotFileMissing(m_CurrentRobotPath, error) || GetRobotNameByIndex(FindRobotFileIndex(name)).IsEmpty()) {
      m_RobotNotFound = TRUE;
      Message(IDS_SCHEDULED_MISSING);
      return FALSE;
    }
  }
  return RunRobot(m_CurrentRobotPath);
}

int CQuorvexDlg::CommandLineExitCode() const {
  if (m_RobotNotFound) return kRobotNotFoundExitCode;
  if (m_RobotUnreadable) return kRobotUnreadableExitCode;
  return kQuitExitCode;
}

CString CQuorvexDlg::GetRobotNameByIndex(int index) {
  CString folder = GetRobotFolder();
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA(folder + "\\*.txt", &found);
  if (find == INVALID_HANDLE_VALUE) return CString();
  CString name;
  int files = 0;
  do {
    if (!IsRobotFile(found)) continue;
    if (files++ == index) {
      name = RobotNameOfFile(found.cFileName);  // the run reads (and reports) the file itself
      break;
    }
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return name;
}

LRESULT CQuorvexDlg::OnScheduledRun(WPARAM, LPARAM lParam) {
  // The result is the sender's exit code: a scheduler or a calling script learns from it what
  // became of the run, as it does from a command-line run with no instance running.
  // No run starts inside another, nor while the program ends: the sender asks again until its
  // turn comes (CQuorvexApp::ServeAsSecondInstance), whichever way the run in progress was
  // started. Nothing else is done meanwhile, not even reading the robot folder.
  if (m_Running || m_Quitting) return kRequestBusyAnswer;
  CString name = GetRobotNameByIndex(static_cast<int>(lParam));
  if (name.IsEmpty()) {
    m_RobotNotFound = TRUE;
    Message(IDS_SCHEDULED_MISSING);
    return CommandLineExitCode();
  }
  RunRobotByName(name);  // returns when the run is over, so the sender waits for it
  return CommandLineExitCode();
}

void CQuorvexDlg::QuitApplication(int exitCode) {
  m_Quitting = TRUE;
  // A run in progress ends before its next line and plays no further repetition.
  StopRun();
  UnregisterHotkeys(FALSE);
  if (m_Running) UnregisterRobotHotkey(m_RunEndKey);
  PostQuitMessage(exitCode);
}
