// CQuorvex_Script: the interpreter of the script language (run loop, statements, expressions,
// variables, user functions and the built-in table). One global instance, g_Script.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <memory>
#include <vector>

#include "robot/recwininfo.h"
#include "script/builtins/filehandles.h"
#include "script/builtins/sendkeys.h"
#include "script/containers.h"
#include "script/scriptfile.h"
#include "script/scriptstring.h"
#include "script/scriptvalue.h"
#include "script/variables.h"
#include "script/windowsearch.h"

class CQuorvex_Script;

// A built-in handler: 0 = go on; non-zero = a fatal error that the handler has already reported.
typedef int (CQuorvex_Script::*BuiltinHandler)(CValueList& args, CScriptValue& result);

struct CBuiltinEntry {
  CScriptString name;  // upper case
  BuiltinHandler handler = nullptr;
  unsigned char minArgs = 0;
  unsigned char maxArgs = 0;
  // Touches windows, input or the message queue: the queue is drained before and after it.
  bool drainsQueue = true;
  // Only looks at its first argument: a plain variable there is handed over where it is, as a
  // reference, instead of copied.
  bool readsInPlace = false;
};

// Keyword ids of the lexer, in table order.
enum KeywordId {
  KW_AND, KW_OR, KW_NOT, KW_IF, KW_THEN, KW_ELSE, KW_ELSEIF, KW_ENDIF, KW_WHILE, KW_WEND, KW_DO,
  KW_UNTIL, KW_FOR, KW_NEXT, KW_TO, KW_STEP, KW_EXITLOOP, KW_CONTINUELOOP, KW_SELECT, KW_CASE,
  KW_ENDSELECT, KW_DIM, KW_REDIM, KW_LOCAL, KW_GLOBAL, KW_FUNC, KW_ENDFUNC, KW_RETURN, KW_EXIT,
  KW_TAG, KW_GOTO, KW_BYREF, KW_COUNT
};

// What holds the next line back (WaitState).
enum WaitStateKind {
  WAIT_NONE = 0,
  WAIT_END = 1,  // end of run
  WAIT_DELAY = 2,
  WAIT_WINWAIT = 3,
  WAIT_WINWAITCLOSE = 4,
  WAIT_WINWAITACTIVE = 5,
  WAIT_WINWAITNOTACTIVE = 6,
  WAIT_RUNWAIT = 7,
  WAIT_RECWINDOW = 8,
  WAIT_PROCESSWAIT = 9,
  WAIT_PROCESSWAITCLOSE = 10,
};

class CQuorvex_Script {
public:
  enum { kMaxDepth = 384, kBuiltinCount = 216 };

  // The line store and variable store default to the process-wide ones (g_ScriptFile,
  // g_ScriptVariables); tests give their own.
  explicit CQuorvex_Script(CQuorvex_ScriptFile* file = nullptr, CScriptVariables* variables = nullptr);
  virtual ~CQuorvex_Script();
  CQuorvex_Script(const CQuorvex_Script&) = delete;
  CQuorvex_Script& operator=(const CQuorvex_Script&) = delete;

  CQuorvex_ScriptFile& ScriptFile() { return *file_; }
  CScriptVariables& Variables() { return *variables_; }

  // ---- driving a run (the shell) ------------------------------------------------------------
  // Builds the user-function table and checks every call; 0, or 1 after an error report.
  int PrepareScript(const char* path);
  // Background flag and the user's cursor position for this run.
  void SetRunParameters(int background, int cursorX, int cursorY);
  // Runs from `startLine`; `outermost` 1 for a run started by the shell, 0 for a nested run
  // (user-function call or a built-in's wait). 0, or 1 when the recursion limit was hit.
  int Execute(int startLine, int outermost);
  // Empties the line store, the user-function table and the GOTO labels of the script.
  void ClearScript();
  // A quit request (WM_QUIT) was taken from the queue during a run; it is posted again when the
  // outermost run ends, so the host's own message loop still sees it.
  bool IsQuitting() const { return quitting_ != 0; }

  // ---- errors -----------------------------------------------------------------------------
  // The error report that ends the run: "Line n:", the line, the "^ ERROR" mark at `column`
  // (none when negative), then "Error: " and the message. Returns 1, the "error" answer.
  int FatalError(const char* message, int column = -1);
  int FatalErrorDetail(const char* message, const char* detail);
  // The number of reports so far: the host tells a run that ended on an error by it.
  int ErrorReports = 0;
  // The text of the last report (kept for the host and the tests).
  const CScriptString& GetLastErrorText() const { return lastErrorText_; }
  void SetError(int code) { error_ = code; }
  int GetError() const { return error_; }

  // ---- built-in table ---------------------------------------------------------------------
  int GetBuiltinCount() const { return static_cast<int>(builtins_.size()); }
  const CBuiltinEntry& GetBuiltin(int index) const { return builtins_[index]; }
  // Index of an upper-case name, or -1.
  int FindBuiltin(const char* upperName) const;
  // Presets the result to 1 and @error to 0, then calls the handler.
  int CallBuiltin(int index, CValueList& args, CScriptValue& result);

  // ---- lexer ------------------------------------------------------------------------------
  int Tokenize(const char* line, CTokenList& tokens);
  // The tokens of line `line` of the store (its `text`), tokenised once per prepared script and
  // kept; `scratch` receives them when they cannot be kept (ExpandEnvStrings expands literals
  // as they are read). Null after a lexer error report.
  const CTokenList* LineTokens(int line, const char* text, CTokenList& scratch);
  bool ReadNumber(const char* line, int& pos, CScriptToken& token);
  int ReadString(const char* line, int& pos, CScriptToken& token);
  void ReadWord(const char* line, int& pos, CScriptToken& token);
  // Keyword id of an upper-case word, or -1.
  static int FindKeyword(const char* upperWord);

  // ---- expressions (false on success, true after an error report) --------------------------
  bool EvaluateExpression(const CTokenList& tokens, int& index, CScriptValue& result);
  bool EvaluateCondition(const CTokenList& tokens, int& index, bool& truth);
  // Sends every expression, self-update and condition the general way, past the shortcuts for
  // plain operands; tests set it to hold the shortcuts to the same answers.
  bool ForceGeneralEvaluation = false;
  bool GetVariableValue(const CTokenList& tokens, int& index, CScriptValue& result);
  bool GetMacroValue(const CTokenList& tokens, int& index, CScriptValue& result);
  // Reads "[n]..." after an array variable and finds the element: `target` becomes the element,
  // `holder` (when given) shares its ownership, `subscripts` (when given) receives the indexes.
  bool ParseSubscripts(const CTokenList& tokens, int& index, CScriptValue*& target, int nameColumn,
                       std::shared_ptr<CScriptValue>* holder = nullptr, std::vector<int>* subscripts = nullptr);
  // Moves the index over one operand of AND/OR; true when the brackets do not balance.
  bool SkipArgument(const CTokenList& tokens, int& index);

  // ---- statements -------------------------------------------------------------------------
  bool ExecuteLine(const CTokenList& tokens, int& nextLine);
  bool CallBuiltinStatement(const CTokenList& tokens, int& index, CScriptValue& result);
  bool DoAssignment(const CTokenList& tokens, int& index);
  bool DoDim(const CTokenList& tokens, int& index, int mode);
  void RegisterTag(int line);

  // ---- user functions ---------------------------------------------------------------------
  bool FindUserFunction(const char* name, int& funcLine, int& paramCount, int& endFuncLine);
  const CUserFuncTable& GetUserFunctions() const { return userFuncs_; }
  bool CallUserFunction(const CTokenList& tokens, int& index, CScriptValue& result);
  // Runs a user function's body from `firstLine` (the line after its Func) in a new local
  // scope; `result` receives its Return value, `preset` when it returns none. @error is put back
  // afterwards when `keepError` is set. Used by the calls, CALL, adlib and script hotkeys.
  int CallUserFunctionAt(int firstLine, CScriptValue& result, const CScriptValue& preset, bool keepError = false);

  // Open block records (If, loop, Select) and registered GOTO labels.
  int GetIfDepth() const { return ifStack_.GetCount(); }
  int GetLoopDepth() const { return loopStack_.GetCount(); }
  int GetSelectDepth() const { return selectStack_.GetCount(); }
  int GetTagCount() const { return tagStack_.GetCount(); }

  // ---- nested runs and waits ------------------------------------------------------------------
  // A wait of a built-in (Delay, the window, process and RunWait waits): its clock, its result
  // and what it watches. The built-in that waits owns it; the run frame points at it while the
  // wait runs, so a wait that interrupts another never touches the other's.
  struct CWait {
    CWait() = default;
    ~CWait() {
      if (Process) CloseHandle(Process);  // the run was stopped before the process ended
    }
    CWait(const CWait&) = delete;
    CWait& operator=(const CWait&) = delete;
    DWORD Start = 0;            // timeGetTime at its start
    DWORD Timeout = 0;          // its length in ms; 0 = none
    LONGLONG StartTicks = 0;    // the performance counter at its start (0: no counter)
    CScriptValue Result;        // 1, 0 after a time-out, RunWait's exit code
    CScriptString Title, Text;  // the window a window wait watches
    CScriptString ProcessName;  // the process a process wait watches
    HANDLE Process = nullptr;   // the process RunWait waits for; closed when it has ended
  };
  // Everything a run keeps for itself while a nested run goes on (a user function's body, the
  // adlib function or a script hotkey's run between two lines, a wait's nested loop). CNestedRun
  // saves it whole when the nested run begins and gives it back whole when it ends. Plain values
  // only, so that a call copies it cheaply.
  struct CRunFrame {
    int WaitState = WAIT_NONE;
    CWait* Wait = nullptr;  // the wait of states 2 to 7 and 9, 10
    int CurrentLine = 0;    // the line that errors are reported against
    // The adlib function (or a script hotkey's) runs: it is not started again inside itself.
    BYTE AdlibRunning = 0;
    // The recorded-window check of the line that is due (wait state 8): the record's index in
    // the line store and the tries.
    BYTE WindowCheckPending = 0;
    int CurrentWindowIndex = 0;
    int WindowTries = 0, WindowTryLimit = 0;
    // The user function that runs: where its Return goes, and the depths of the If, loop and
    // Select stacks at its call (GOTO and the block ends never pop below them).
    CScriptValue* ReturnSlot = nullptr;
    int IfBase = 0, LoopBase = 0, SelectBase = 0;
  };
  CRunFrame Run;
  // Saves the run frame for a nested run and puts it back when the nested run ends. The nested
  // run starts at the same line, inside the same function and adlib run, with no wait and no
  // window check of its own.
  class CNestedRun {
  public:
    explicit CNestedRun(CQuorvex_Script& script) : script_(script), outer_(script.Run) {
      CRunFrame& inner = script.Run;
      inner.WaitState = WAIT_NONE;
      inner.Wait = nullptr;
      inner.WindowCheckPending = 0;
      inner.CurrentWindowIndex = inner.WindowTries = inner.WindowTryLimit = 0;
    }
    ~CNestedRun() {
      // The one exception: a run that ended inside (an error, Exit, the stop flag, a quit) ends
      // the outer run too, so its end state stays.
      const bool ended = Ended();
      script_.Run = outer_;
      if (ended) script_.Run.WaitState = WAIT_END;
    }
    CNestedRun(const CNestedRun&) = delete;
    CNestedRun& operator=(const CNestedRun&) = delete;
    bool Ended() const { return script_.Run.WaitState == WAIT_END || script_.quitting_; }

  private:
    CQuorvex_Script& script_;
    const CRunFrame outer_;
  };
  // Runs a nested run loop for `wait` in wait state `state`: it executes no line until the poll
  // of that state ends the wait. The wait's clock starts here and its result is preset to 1;
  // `result` receives it. 0, or 1 after an error report (the return value of Execute).
  int NestedWait(int state, CWait& wait, CScriptValue& result);
  bool HandleWaitStates();
  // One poll of the waits 2 to 6 / 9 and 10; false when the wait state is not one of theirs.
  bool PollWindowWait();
  bool PollProcessWait();
  // Ends a pending long wait: kills its timer unless it has fired, releases the resolution and
  // clears the flag. Only the run's own thread calls it; the timer only signals that it fired.
  void EndWaitTimer();
  // Starts the timer of a long wait's next part (`delay` ms) under a new generation; false
  // when the timer cannot take that delay.
  bool ArmWaitLongTimer(UINT delay);
  // Whether the timer of the long wait's current part has signalled.
  bool WaitLongTimerFired() const;
  // One poll of a pending long wait: waits for messages until the nearest deadline (the wait's
  // end, the adlib function's next turn, at most 10 ms), the last 2 ms precisely, and ends the
  // wait when its deadline has come. Starts the next part when a part's timer has fired early.
  void PollLongWait();
  // The condition of a window wait (3 to 6) / process wait (9, 10): 1 met, 0 not yet, -1 after
  // an error report. Built by the window and process families.
  int WindowWaitCondition(int state);
  int ProcessWaitCondition(int state);
  // Ends the wait in progress: the nested run loop returns to the built-in that waits.
  void EndWait();
  bool CheckLineWindow(int line);
  bool ActivateRecWindow();
  bool HandleAdlib();
  bool HandleHotKey();
  // Counters of the run loop, kept only while a benchmark points Stats at them.
  struct RunLoopStats {
    long long lines = 0;       // lines handed to the executor
    long long drains = 0;      // queue drains
    long long drainTicks = 0;  // QueryPerformanceCounter ticks spent draining
  };
  RunLoopStats* Stats = nullptr;
  // Drains the message queue; true when it took a quit request.
  bool DrainMessages();
  // The run loop's drain: only when DrainDue is set, a wait state is to be polled, or a
  // millisecond has passed since the last one (a PeekMessage is a round trip to the window
  // server, far dearer than a line). True when it took a quit request.
  bool DrainIfDue();
  bool DrainDue = true;
  // A short wait that stays exact below 10 ms.
  static void Pause(int milliseconds);
  // Moves the pointer to (x, y) and clicks the left button there.
  static void MouseClickAt(int x, int y);

  // ---- window and control search (script/windowsearch.cpp) -----------------------------------
  // Title = argument 0, text = argument 1 when given, else "".
  void SetWindowSearch(const CValueList& args);
  // Finds the window of Search.Title and Search.Text by WinTitleMatchMode; keeps it in Search.
  BOOL FindWindowByTitle();
  BOOL WindowExists();
  // Found, and the foreground window.
  BOOL IsWindowActive();
  // Finds the window, then its control by class and instance number ("Button2") or by text; an
  // empty control id is the window itself. Keeps the control in Search.FoundControl.
  BOOL FindControl(const char* title, const char* text, const char* control);
  bool WindowTitleMatches(HWND window);
  bool WindowTextMatches(HWND window);
  CWindowSearch Search;

  // ---- windows, controls and processes (script/builtins/windows.cpp, controls.cpp, processes.cpp)
  // Sets the window search of a window wait, the window it watches (title, text) and its
  // time-out (argument 2 in seconds when exactly three arguments are given; else none).
  void SetWindowWait(const CValueList& args, CWait& wait);
  // "Edit2": the class and instance number of the window's focused control; false when the
  // window has none.
  bool GetFocusControlName(HWND window, CScriptString& name);
  // Sets the process a process wait watches and its time-out (argument 1 in seconds when
  // given).
  void StartProcessWait(const CValueList& args, CWait& wait);
  // RUN (0), RUNWAIT (1) and RUNREADYINPUT (2): starts the program; 0, or 1 after a report.
  // RUNWAIT's process is kept in `wait`.
  int RunCommon(int kind, CValueList& args, CScriptValue& result, CWait* wait = nullptr);
  // Destroys the TOOLTIP window and forgets the RunAs credentials (the destructor's part).
  void EndWindowsAndProcesses();
  // RunAs off; the credentials are wiped.
  void ForgetRunAs();
  HWND ToolTipWindow = nullptr;
  // RUNASSET: credentials for the programs started afterwards (CreateProcessWithLogonW).
  BYTE RunAsActive = 0;
  DWORD RunAsLogonFlags = 1;
  std::wstring RunAsUser, RunAsDomain, RunAsPassword;

  // ---- mouse and run end (script/builtins/mouse.cpp, robotkeys.cpp) ------------------------
  // Moves the pointer to (x, y) or by (dx, dy) under MouseCoordMode: speed 0 jumps, 1-100 moves
  // in steps (other speeds mean 10).
  void MouseMoveTo(int x, int y, int speed);
  void MouseMoveBy(int dx, int dy, int speed);
  // In a background run: clicks at the user's point, which the next MOUSEMOVE reads again.
  void ReturnAfterClick();
  BYTE ReReadUserCursor = 1;
  // Every outermost run passes here at its end: a pending long wait ends, and keys and buttons
  // the script left down are released and blocked input is unblocked.
  void EndRunInput();

  // ---- state that the shell and the built-in families share --------------------------------
  BOOL UseRecWin = 0;      // window association on for this run
  BOOL UseSimilarWin = 0;  // a window of the same program with another title is accepted
  // The long wait of WAITLONG, kept by the run's own thread alone: its timer only signals.
  BYTE WaitLongPending = 0;         // a long wait holds the next line back
  UINT WaitLongTimer = 0;           // the timer of its current part (0 none, or fired)
  unsigned WaitLongGeneration = 0;  // that timer's number, which its signal carries
  UINT WaitLongResolution = 0;      // the timer resolution raised for it
  UINT WaitLongPart = 0;            // the longest part one timer waits
  DWORD WaitLongEnd = 0;            // timeGetTime at its end
  // The performance-counter deadline of a pending long wait (0 none): the run loop ends the wait
  // there itself, whenever its timer fires.
  LONGLONG WaitLongDeadline = 0;
  volatile BYTE StopRun = 0;  // ends the run before the next line (end hotkey, failed window)
  int RunAtBackground = 0;
  int UserCursorX = 0, UserCursorY = 0;
  CScriptString ScriptName, ScriptFullPath, ScriptDir;
  int Depth = 0;       // nested runs in progress
  BYTE LeaveRun = 0;   // the innermost run loop returns before the next line
  CScriptString AdlibFunction;
  BYTE AdlibOn = 0;
  DWORD AdlibLastTime = 0, AdlibPeriod = 0;
  BYTE AfterRun = 0;  // set by Run, RunWait and RunReadyInput: the next window check waits longer
  // Script hotkeys (HotKeySet): slot i is registered with id i and no window.
  enum { kHotKeySlots = 64 };
  struct CScriptHotkey {
    UINT keyCode = 0;  // virtual key << 16 | MOD_* bits
    CScriptString function;
  };
  std::unique_ptr<CScriptHotkey> HotKeys[kHotKeySlots];
  // Queues a pressed script hotkey; its function runs before the next line.
  void QueueHotKey(int id);
  // Files and file searches the script opened (FILEOPEN, FILEFINDFIRSTFILE); every outermost
  // run closes them at its end, however it ended.
  CFileHandleTable Files;
  // Every outermost run passes here at its end: the script's hotkeys are unregistered, presses
  // not yet handled are dropped and the adlib function is switched off.
  void ClearScriptEvents();
  // The interpreter's own window (title of RUVEROWINSETTITLE, tray balloons, owner of the
  // splash and progress windows); none unless the host gives one.
  HWND OwnWindow = nullptr;
  // Recorded-window retries: tries before giving up (after a Run) and the pause between tries.
  int WindowTryCount = 40, WindowTryCountAfterRun = 600;
  DWORD WindowTryInterval = 500;

  // The keystroke engine of SEND, the robot key built-ins and CONTROLSEND. It also holds the
  // options SendKeyDelay, SendKeyDownDelay, SendCapslockMode and SendAttachMode, and takes the
  // background flag of each run as its PostToWindow.
  CSendKeys SendKeys;

  // Options (set by RUVEROSETOPTION/OPT).
  int CaretCoordMode = 1;
  int ColorMode = 0;
  int ExpandEnvStrings = 0;
  int MouseClickDelay = 10;
  int MouseClickDownDelay = 10;
  int MouseClickDragDelay = 250;
  int MouseCoordMode = 1;
  int MustDeclareVars = 0;
  int PixelCoordMode = 1;
  int RunErrorsFatal = 1;
  int WinSearchChildren = 0;
  int WinWaitDelay = 250;
  int WinDetectHiddenText = 0;
  int WinTextMatchMode = 1;
  int WinTitleMatchMode = 1;

  // ---- built-in handlers, by family -----------------------------------------------------------
  // A handler is called with its arguments already counted, the result preset to 1 and @error
  // to 0. Ordinary failures: SetError(n) (and a result of 0 or "" where the family says so),
  // return 0. Fatal misuse: return FatalError(message), which reports and ends the run. A
  // waiting built-in fills a CWait (time-out, what it watches) and calls NestedWait(state, wait,
  // result); the poll of its state (PollWindowWait, PollProcessWait) ends the wait with
  // EndWait().
  // Keystrokes.
  int F_Send(CValueList& args, CScriptValue& result);

  // Mouse and pixels.
  int F_BlockInput(CValueList& args, CScriptValue& result);
  int F_CheckColor(CValueList& args, CScriptValue& result);
  int F_MouseClick(CValueList& args, CScriptValue& result);
  int F_MouseClickDrag(CValueList& args, CScriptValue& result);
  int F_MouseDoubleClick(CValueList& args, CScriptValue& result);
  int F_MouseDown(CValueList& args, CScriptValue& result);
  int F_MouseGetCursor(CValueList& args, CScriptValue& result);
  int F_MouseGetPos(CValueList& args, CScriptValue& result);
  int F_MouseMove(CValueList& args, CScriptValue& result);
  int F_MouseRelativeMove(CValueList& args, CScriptValue& result);
  int F_MouseUp(CValueList& args, CScriptValue& result);
  int F_MouseWheel(CValueList& args, CScriptValue& result);
  int F_PixelChecksum(CValueList& args, CScriptValue& result);
  int F_PixelGetColor(CValueList& args, CScriptValue& result);
  int F_PixelSearch(CValueList& args, CScriptValue& result);

  // Options, timers, hotkeys, messages and the environment.
  int F_AdlibDisable(CValueList& args, CScriptValue& result);
  int F_AdlibEnable(CValueList& args, CScriptValue& result);
  int F_Break(CValueList& args, CScriptValue& result);
  int F_Call(CValueList& args, CScriptValue& result);
  int F_ClipGet(CValueList& args, CScriptValue& result);
  int F_ClipPut(CValueList& args, CScriptValue& result);
  int F_Delay(CValueList& args, CScriptValue& result);
  int F_EnvGet(CValueList& args, CScriptValue& result);
  int F_EnvSet(CValueList& args, CScriptValue& result);
  int F_EnvUpdate(CValueList& args, CScriptValue& result);
  int F_Eval(CValueList& args, CScriptValue& result);
  int F_HotKeySet(CValueList& args, CScriptValue& result);
  int F_IsAdmin(CValueList& args, CScriptValue& result);
  int F_IsDeclared(CValueList& args, CScriptValue& result);
  int F_MemGetStats(CValueList& args, CScriptValue& result);
  int F_MsgBox(CValueList& args, CScriptValue& result);
  int F_Opt(CValueList& args, CScriptValue& result);  // also RUVEROSETOPTION
  int F_ProgressOff(CValueList& args, CScriptValue& result);
  int F_ProgressOn(CValueList& args, CScriptValue& result);
  int F_ProgressSet(CValueList& args, CScriptValue& result);
  int F_RuveroWinGetTitle(CValueList& args, CScriptValue& result);
  int F_RuveroWinSetTitle(CValueList& args, CScriptValue& result);
  int F_SetError(CValueList& args, CScriptValue& result);
  int F_SoundPlay(CValueList& args, CScriptValue& result);
  int F_SoundSetWaveVolume(CValueList& args, CScriptValue& result);
  int F_SplashImageOn(CValueList& args, CScriptValue& result);
  int F_SplashOff(CValueList& args, CScriptValue& result);
  int F_SplashTextOn(CValueList& args, CScriptValue& result);
  int F_TimerDiff(CValueList& args, CScriptValue& result);  // also TIMERSTOP
  int F_TimerInit(CValueList& args, CScriptValue& result);  // also TIMERSTART
  int F_TrayTip(CValueList& args, CScriptValue& result);
  int F_URLDownloadToFile(CValueList& args, CScriptValue& result);
  // SPLASHTEXTON and SPLASHIMAGEON: replaces the splash window by a text or a picture one.
  int ShowSplash(const CValueList& args, bool picture);

  // Conversion and math.
  int F_ACos(CValueList& args, CScriptValue& result);
  int F_ASin(CValueList& args, CScriptValue& result);
  int F_ATan(CValueList& args, CScriptValue& result);
  int F_Abs(CValueList& args, CScriptValue& result);
  int F_Asc(CValueList& args, CScriptValue& result);
  int F_BitAnd(CValueList& args, CScriptValue& result);
  int F_BitNot(CValueList& args, CScriptValue& result);
  int F_BitOr(CValueList& args, CScriptValue& result);
  int F_BitShift(CValueList& args, CScriptValue& result);
  int F_BitXor(CValueList& args, CScriptValue& result);
  int F_Chr(CValueList& args, CScriptValue& result);
  int F_Cos(CValueList& args, CScriptValue& result);
  int F_Dec(CValueList& args, CScriptValue& result);
  int F_Exp(CValueList& args, CScriptValue& result);
  int F_Hex(CValueList& args, CScriptValue& result);
  int F_Int(CValueList& args, CScriptValue& result);
  int F_IsArray(CValueList& args, CScriptValue& result);
  int F_IsFloat(CValueList& args, CScriptValue& result);
  int F_IsInt(CValueList& args, CScriptValue& result);
  int F_IsNumber(CValueList& args, CScriptValue& result);
  int F_IsString(CValueList& args, CScriptValue& result);
  int F_Log(CValueList& args, CScriptValue& result);
  int F_Mod(CValueList& args, CScriptValue& result);
  int F_Number(CValueList& args, CScriptValue& result);
  int F_Random(CValueList& args, CScriptValue& result);
  int F_Round(CValueList& args, CScriptValue& result);
  int F_Sin(CValueList& args, CScriptValue& result);
  int F_Sqrt(CValueList& args, CScriptValue& result);
  int F_String(CValueList& args, CScriptValue& result);
  int F_Tan(CValueList& args, CScriptValue& result);
  int F_UBound(CValueList& args, CScriptValue& result);

  // Files, INI files, drives and directories.
  int F_CDTray(CValueList& args, CScriptValue& result);
  int F_DirCopy(CValueList& args, CScriptValue& result);
  int F_DirCreate(CValueList& args, CScriptValue& result);
  int F_DirMove(CValueList& args, CScriptValue& result);
  int F_DirRemove(CValueList& args, CScriptValue& result);
  int F_DriveGetDrive(CValueList& args, CScriptValue& result);
  int F_DriveGetFileSystem(CValueList& args, CScriptValue& result);
  int F_DriveGetLabel(CValueList& args, CScriptValue& result);
  int F_DriveGetSerial(CValueList& args, CScriptValue& result);
  int F_DriveGetType(CValueList& args, CScriptValue& result);
  int F_DriveMapAdd(CValueList& args, CScriptValue& result);
  int F_DriveMapDel(CValueList& args, CScriptValue& result);
  int F_DriveMapGet(CValueList& args, CScriptValue& result);
  int F_DriveSetLabel(CValueList& args, CScriptValue& result);
  int F_DriveSpaceFree(CValueList& args, CScriptValue& result);
  int F_DriveSpaceTotal(CValueList& args, CScriptValue& result);
  int F_DriveStatus(CValueList& args, CScriptValue& result);
  int F_FileChangeDir(CValueList& args, CScriptValue& result);
  int F_FileClose(CValueList& args, CScriptValue& result);
  int F_FileCopy(CValueList& args, CScriptValue& result);
  int F_FileCreateShortcut(CValueList& args, CScriptValue& result);
  int F_FileDelete(CValueList& args, CScriptValue& result);
  int F_FileExists(CValueList& args, CScriptValue& result);
  int F_FileFindFirstFile(CValueList& args, CScriptValue& result);
  int F_FileFindNextFile(CValueList& args, CScriptValue& result);
  int F_FileGetAttrib(CValueList& args, CScriptValue& result);
  int F_FileGetLongName(CValueList& args, CScriptValue& result);
  int F_FileGetShortName(CValueList& args, CScriptValue& result);
  int F_FileGetShortcut(CValueList& args, CScriptValue& result);
  int F_FileGetSize(CValueList& args, CScriptValue& result);
  int F_FileGetTime(CValueList& args, CScriptValue& result);
  int F_FileGetVersion(CValueList& args, CScriptValue& result);
  int F_FileInstall(CValueList& args, CScriptValue& result);
  int F_FileMove(CValueList& args, CScriptValue& result);
  int F_FileOpen(CValueList& args, CScriptValue& result);
  int F_FileOpenDialog(CValueList& args, CScriptValue& result);
  int F_FileRead(CValueList& args, CScriptValue& result);
  int F_FileReadLine(CValueList& args, CScriptValue& result);
  int F_FileRecycle(CValueList& args, CScriptValue& result);
  int F_FileRecycleEmpty(CValueList& args, CScriptValue& result);
  int F_FileSaveDialog(CValueList& args, CScriptValue& result);
  int F_FileSelectFolder(CValueList& args, CScriptValue& result);
  int F_FileSetAttrib(CValueList& args, CScriptValue& result);
  int F_FileSetTime(CValueList& args, CScriptValue& result);
  int F_FileWrite(CValueList& args, CScriptValue& result);
  int F_FileWriteLine(CValueList& args, CScriptValue& result);
  int F_IniDelete(CValueList& args, CScriptValue& result);
  int F_IniRead(CValueList& args, CScriptValue& result);
  int F_IniWrite(CValueList& args, CScriptValue& result);

  // Robot keys and waits.
  int F_KeyDown(CValueList& args, CScriptValue& result);
  int F_KeySend(CValueList& args, CScriptValue& result);
  int F_KeyUp(CValueList& args, CScriptValue& result);
  int F_Wait(CValueList& args, CScriptValue& result);
  int F_WaitLong(CValueList& args, CScriptValue& result);

  // Windows, controls and window waits.
  int F_ControlClick(CValueList& args, CScriptValue& result);
  int F_ControlCommand(CValueList& args, CScriptValue& result);
  int F_ControlDisable(CValueList& args, CScriptValue& result);
  int F_ControlEnable(CValueList& args, CScriptValue& result);
  int F_ControlFocus(CValueList& args, CScriptValue& result);
  int F_ControlGetFocus(CValueList& args, CScriptValue& result);
  int F_ControlGetPos(CValueList& args, CScriptValue& result);
  int F_ControlGetText(CValueList& args, CScriptValue& result);
  int F_ControlHide(CValueList& args, CScriptValue& result);
  int F_ControlMove(CValueList& args, CScriptValue& result);
  int F_ControlSend(CValueList& args, CScriptValue& result);
  int F_ControlSetText(CValueList& args, CScriptValue& result);
  int F_ControlShow(CValueList& args, CScriptValue& result);
  int F_StatusbarGetText(CValueList& args, CScriptValue& result);
  int F_ToolTip(CValueList& args, CScriptValue& result);
  int F_WinActivate(CValueList& args, CScriptValue& result);
  int F_WinActive(CValueList& args, CScriptValue& result);
  int F_WinClose(CValueList& args, CScriptValue& result);
  int F_WinExists(CValueList& args, CScriptValue& result);
  int F_WinGetCaretPos(CValueList& args, CScriptValue& result);
  int F_WinGetClassList(CValueList& args, CScriptValue& result);
  int F_WinGetClientSize(CValueList& args, CScriptValue& result);
  int F_WinGetHandle(CValueList& args, CScriptValue& result);
  int F_WinGetPos(CValueList& args, CScriptValue& result);
  int F_WinGetState(CValueList& args, CScriptValue& result);
  int F_WinGetText(CValueList& args, CScriptValue& result);
  int F_WinGetTitle(CValueList& args, CScriptValue& result);
  int F_WinKill(CValueList& args, CScriptValue& result);
  int F_WinMenuSelectItem(CValueList& args, CScriptValue& result);
  int F_WinMinimizeAll(CValueList& args, CScriptValue& result);
  int F_WinMinimizeAllUndo(CValueList& args, CScriptValue& result);
  int F_WinMove(CValueList& args, CScriptValue& result);
  int F_WinSetOnTop(CValueList& args, CScriptValue& result);
  int F_WinSetState(CValueList& args, CScriptValue& result);  // also WINSHOW
  int F_WinSetTitle(CValueList& args, CScriptValue& result);
  int F_WinWait(CValueList& args, CScriptValue& result);
  int F_WinWaitActive(CValueList& args, CScriptValue& result);
  int F_WinWaitClose(CValueList& args, CScriptValue& result);
  int F_WinWaitNotActive(CValueList& args, CScriptValue& result);

  // Processes and programs.
  int F_ProcessClose(CValueList& args, CScriptValue& result);
  int F_ProcessExists(CValueList& args, CScriptValue& result);
  int F_ProcessSetPriority(CValueList& args, CScriptValue& result);
  int F_ProcessWait(CValueList& args, CScriptValue& result);
  int F_ProcessWaitClose(CValueList& args, CScriptValue& result);
  int F_Run(CValueList& args, CScriptValue& result);
  int F_RunAsSet(CValueList& args, CScriptValue& result);
  int F_RunReadyInput(CValueList& args, CScriptValue& result);
  int F_RunWait(CValueList& args, CScriptValue& result);
  int F_Shutdown(CValueList& args, CScriptValue& result);

  // Registry and strings.
  // A registry key text "[\\computer\]root[\subkey]" in its parts; the subkey loses its
  // trailing backslashes.
  static void SplitRegistryPath(const char* keyText, CScriptString& computer, CScriptString& root,
                                CScriptString& subkey);
  // The predefined key of a root name ("HKCU", "HKEY_CURRENT_USER" ..., any case), or null.
  static HKEY RegistryRootFromName(const char* name);
  int F_RegDelete(CValueList& args, CScriptValue& result);
  int F_RegEnumKey(CValueList& args, CScriptValue& result);
  int F_RegEnumVal(CValueList& args, CScriptValue& result);
  int F_RegRead(CValueList& args, CScriptValue& result);
  int F_RegWrite(CValueList& args, CScriptValue& result);
  int F_StringAddCR(CValueList& args, CScriptValue& result);
  int F_StringFormat(CValueList& args, CScriptValue& result);
  int F_StringInStr(CValueList& args, CScriptValue& result);
  int F_StringIsASCII(CValueList& args, CScriptValue& result);
  int F_StringIsAlNum(CValueList& args, CScriptValue& result);
  int F_StringIsAlpha(CValueList& args, CScriptValue& result);
  int F_StringIsDigit(CValueList& args, CScriptValue& result);
  int F_StringIsFloat(CValueList& args, CScriptValue& result);
  int F_StringIsInt(CValueList& args, CScriptValue& result);
  int F_StringIsLower(CValueList& args, CScriptValue& result);
  int F_StringIsSpace(CValueList& args, CScriptValue& result);
  int F_StringIsUpper(CValueList& args, CScriptValue& result);
  int F_StringIsXDigit(CValueList& args, CScriptValue& result);
  int F_StringLeft(CValueList& args, CScriptValue& result);
  int F_StringLen(CValueList& args, CScriptValue& result);
  int F_StringLower(CValueList& args, CScriptValue& result);
  int F_StringMid(CValueList& args, CScriptValue& result);
  int F_StringReplace(CValueList& args, CScriptValue& result);
  int F_StringRight(CValueList& args, CScriptValue& result);
  int F_StringSplit(CValueList& args, CScriptValue& result);
  int F_StringStripCR(CValueList& args, CScriptValue& result);
  int F_StringStripWS(CValueList& args, CScriptValue& result);
  int F_StringTrimLeft(CValueList& args, CScriptValue& result);
  int F_StringTrimRight(CValueList& args, CScriptValue& result);
  int F_StringUpper(CValueList& args, CScriptValue& result);

private:
  // Statement routines.
  bool ExecuteKeyword(const CTokenList& tokens, int& index, int& nextLine);
  // Reports "Illegal text ..." unless the token at `index` ends the line; true after a report.
  bool ExpectLineEnd(const CTokenList& tokens, int index);
  bool HasOpenLoop(int kind);  // an open loop of this function level (of that kind; -1 any)
  CBlockRecord NewLoopRecord(int kind, int start, int end);
  // A single-line If leaves `index` at its statement and sets `runStatement` when it is to run.
  bool DoIf(const CTokenList& tokens, int& index, int& nextLine, bool& runStatement);
  bool DoElse(int& nextLine);
  bool DoEndIf(const CTokenList& tokens, int index);
  bool DoWhile(const CTokenList& tokens, int& index, int& nextLine);
  bool DoWend(const CTokenList& tokens, int index, int& nextLine);
  bool DoDo(const CTokenList& tokens, int index, int& nextLine);
  bool DoUntil(const CTokenList& tokens, int& index, int& nextLine);
  bool DoFor(const CTokenList& tokens, int& index, int& nextLine);
  bool DoNext(const CTokenList& tokens, int index, int& nextLine);
  bool DoExitLoop(const CTokenList& tokens, int& index, int& nextLine);
  bool DoContinueLoop(const CTokenList& tokens, int index, int& nextLine);
  bool DoSelect(const CTokenList& tokens, int index, int& nextLine);
  bool DoCase(int& nextLine);
  bool DoEndSelect(const CTokenList& tokens, int index);
  bool DoFuncSkip(const CTokenList& tokens, int index, int& nextLine);
  bool DoReturn(const CTokenList& tokens, int& index);
  bool DoExit(const CTokenList& tokens, int& index);
  bool DoTag(int& index, int& nextLine);
  bool DoGoto(const CTokenList& tokens, int index, int& nextLine);
  // Finds the line that closes a block opened at `line`: the first line at nesting level 0
  // whose first keyword is `closer`; 0 when none. A lexer error is reported (returns -1).
  int FindBlockEnd(int line, int opener, int closer);
  bool ForEntryTest(const CScriptValue& value, const CBlockRecord& record) const;
  // From the "(" at `index`: the arguments are tokens first .. last-1; `index` moves past the ")".
  bool FindCallTokens(const CTokenList& tokens, int& index, int& first, int& last);

  // Preparation.
  int BuildFunctionTable();
  int ParseFuncParams(const CTokenList& tokens, CUserFunc& func);
  int FindEndFunc(int funcLine, int& endFuncLine);
  int VerifyFunctionCalls();
  void ScanTagLine(const char* text, int line);

  // Evaluator helpers.
  bool RunAsideFunction(int firstLine);
  bool ApplyOperator(CIntStack& operators, CValueStack& values);
  // An expression of one or two plain operands (literals, variables without subscripts):
  // evaluated at once, 0, or 1 after an error report; -1 for any other expression.
  int QuickExpression(const CTokenList& tokens, int& index, CScriptValue& result);
  // "$v = $v op operand" at `index` (after the "="), with `target` the variable $v named `name`: applied to
  // it in place, 0, or 1 after an error report; -1 for any other right-hand side.
  int QuickUpdate(const CTokenList& tokens, int& index, const char* name, CScriptValue& target);
  // The operator of such an expression at `index`, -1 for a lone operand, -2 for any other.
  static int QuickShape(const CTokenList& tokens, int index);
  // 1 for a literal at `index`, 2 for a variable without subscripts, else 0.
  static int PlainOperandAt(const CTokenList& tokens, int index);
  // The value of such an operand where it is; null after reporting an undeclared variable.
  const CScriptValue* PlainOperand(const CScriptToken& token);
  // Resolves an assignment target again after its right-hand side ran (the right-hand side may
  // have reassigned or re-dimensioned the variable).
  CScriptValue* ResolveTarget(const char* name, const std::vector<int>* subscripts, int column);
  int RunFunctionBody(int firstLine, CScriptValue& result, const CScriptValue& preset);

  CQuorvex_ScriptFile* file_;
  CScriptVariables* variables_;
  std::vector<CBuiltinEntry> builtins_;
  std::unordered_map<std::string, int> builtinIndex_;
  CUserFuncTable userFuncs_;
  CBlockStack ifStack_, loopStack_, selectStack_, tagStack_;
  // (line << 8 | opener keyword) -> the line that closes that block, 0 when none does; emptied
  // by preparation.
  std::unordered_map<long long, int> blockEnds_;
  struct CLineTokens {
    const char* text;
    CTokenList tokens;
    // Found on the line's first run: the line that closes its loop (for the opener keyword)
    // and, for a multi-line If or a Select, the ElseIf/Else or Case lines of its own level and
    // the EndIf/EndSelect line (0 not known yet).
    int blockOpener = -1, blockEnd = 0;
    std::vector<int> branches;
    int branchEnd = 0;
    // A GOTO line: the index of its label among the registered ones, found when there were
    // gotoTags of them (-1 not looked up yet).
    int gotoTags = -1, gotoTag = -1;
  };
  // The kept tokens of a line whose text is still the store's, or null.
  CLineTokens* KeptLine(int line);
  std::vector<std::unique_ptr<CLineTokens>> lineTokens_;  // by line; emptied by preparation
  // Stacks of finished expression evaluations, taken again by the next (evaluations nest).
  struct CEvalStacks {
    CValueStack values;
    CIntStack operators;
  };
  std::vector<std::unique_ptr<CEvalStacks>> evalStacks_;
  // Argument lists of finished calls, taken again by the next (calls nest).
  struct CCallArgs {
    CValueList builtin;
    std::vector<CScriptValue> values;
    std::vector<std::shared_ptr<CScriptValue>> references;
  };
  std::vector<std::unique_ptr<CCallArgs>> callArgs_;
  // Lends argument lists from that pool for one call and gives them back emptied.
  class CCallArgsLease {
  public:
    explicit CCallArgsLease(CQuorvex_Script& script);
    ~CCallArgsLease();
    CCallArgsLease(const CCallArgsLease&) = delete;
    CCallArgsLease& operator=(const CCallArgsLease&) = delete;
    CCallArgs* operator->() const { return args_.get(); }

  private:
    CQuorvex_Script& script_;
    std::unique_ptr<CCallArgs> args_;
  };
  enum { kMaxEvalNesting = 20000 };  // expressions evaluated inside one another
  int evalNesting_ = 0;
  friend class CPooledEvalStacks;  // takes and returns evalStacks_
  bool tagsScanned_ = false;
  std::unordered_set<int> tagLines_;  // lines registered as GOTO labels of this script
  int error_ = 0;                       // @error
  BYTE quitting_ = 0;
  WPARAM quitCode_ = 0;
  BYTE quitPosted_ = 0;
  int hotKeyQueue_[kHotKeySlots] = {};
  int hotKeyRead_ = 0, hotKeyWrite_ = 0;
  int callColumn_ = -1;  // column of the built-in being called
  int callIndex_ = -1;   // its table index
  LONGLONG lastDrain_ = 0;  // QueryPerformanceCounter at the last drain
  // The run loop reads the clock every clockStride_ lines (linesToClock_ counts them down).
  enum { kMaxClockStride = 32 };
  int clockStride_ = 1, linesToClock_ = 1;
  LONGLONG lastClock_ = 0;
  // Set every millisecond by a timer while a run is in progress: a line that ran longer than that
  // is followed at once by a drain, whatever the count of lines to the next look at the clock.
  std::atomic<bool> clockDue_{false};
  CScriptString lastErrorText_;
};

// The process-wide interpreter, line store and variable store.
extern CQuorvex_Script g_Script;
extern CQuorvex_ScriptFile g_ScriptFile;
extern CScriptVariables g_ScriptVariables;
