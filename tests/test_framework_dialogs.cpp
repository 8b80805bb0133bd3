// Dialogs: data exchange both ways, and modal dialogs ended from the keyboard.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "framework/ui.h"
#include "tests/res/test_ids.h"
#include "tests/support/test_support.h"
#include "tests/support/ui_support.h"

using namespace testing_support;

namespace {

class ExchangeDialog : public CDialog {
public:
  ExchangeDialog() : CDialog(IDD_TEST_DDX) {}
  CString text = "Robot One";
  int number = 42;
  int check = 1;
  int radio = 2;
  CEdit textEdit;

protected:
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Control(dx, IDC_DDX_TEXT, textEdit);
    DDX_Text(dx, IDC_DDX_TEXT, text);
    DDX_Text(dx, IDC_DDX_NUMBER, number);
    DDX_Check(dx, IDC_DDX_CHECK, check);
    DDX_Radio(dx, IDC_DDX_RADIO1, radio);
  }
};

}  // namespace

TEST(DataExchange, MembersFillTheControlsAndComeBack) {
  ExchangeDialog dlg;
  ASSERT_TRUE(dlg.Create(IDD_TEST_DDX));  // OnInitDialog fills the controls
  EXPECT_EQ(dlg.textEdit.m_hWnd, ::GetDlgItem(dlg, IDC_DDX_TEXT)) << "DDX_Control attached the edit";
  EXPECT_EQ(dlg.GetDlgItemText(IDC_DDX_TEXT), "Robot One");
  EXPECT_EQ(dlg.GetDlgItemText(IDC_DDX_NUMBER), "42");
  EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_DDX_CHECK), 1u);
  std::vector<UINT> radios;
  for (int id : {IDC_DDX_RADIO1, IDC_DDX_RADIO2, IDC_DDX_RADIO3, IDC_DDX_AFTER}) radios.push_back(dlg.IsDlgButtonChecked(id));
  EXPECT_EQ(radios, (std::vector<UINT>{0, 0, 1, 0})) << "the group ends at the next WS_GROUP";

  dlg.SetDlgItemText(IDC_DDX_TEXT, "Renamed");
  dlg.SetDlgItemText(IDC_DDX_NUMBER, " -7 ");
  dlg.CheckDlgButton(IDC_DDX_CHECK, 0);
  dlg.CheckRadioButton(IDC_DDX_RADIO1, IDC_DDX_RADIO3, IDC_DDX_RADIO1);
  ASSERT_TRUE(dlg.UpdateData(TRUE));
  EXPECT_EQ(dlg.text, "Renamed");
  EXPECT_EQ(dlg.number, -7);
  EXPECT_EQ(dlg.check, 0);
  EXPECT_EQ(dlg.radio, 0);

  dlg.CheckRadioButton(IDC_DDX_RADIO1, IDC_DDX_RADIO3, 0);
  dlg.CheckDlgButton(IDC_DDX_RADIO1, 0);
  ASSERT_TRUE(dlg.UpdateData(TRUE));
  EXPECT_EQ(dlg.radio, -1) << "no button of the group checked";

  MessageBoxCapture boxes;
  dlg.MessageBox("Robot name is empty. Please enter robot name.");
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].caption, AfxGetAppName());
  EXPECT_EQ(boxes.boxes()[0].type, static_cast<UINT>(MB_OK));
  dlg.DestroyWindow();
}

TEST(DataExchange, ANumberThatDoesNotReadStopsTheExchange) {
  ExchangeDialog dlg;
  ASSERT_TRUE(dlg.Create(IDD_TEST_DDX));
  dlg.ShowWindow(SW_SHOW);
  struct Case {
    const char* typed;
    bool accepted;
    int number;
  } cases[] = {
      {"12", true, 12},           {"+3", true, 3},    {"2147483647", true, 2147483647},
      {"12abc", false, 0},        {"", false, 0},     {"-", false, 0},
      {"2147483648", false, 0},   {"1 2", false, 0},
  };
  for (const Case& c : cases) {
    dlg.number = 0;
    dlg.check = 5;
    dlg.SetDlgItemText(IDC_DDX_NUMBER, c.typed);
    MessageBoxCapture boxes;
    EXPECT_EQ(dlg.UpdateData(TRUE), c.accepted ? TRUE : FALSE) << c.typed;
    EXPECT_EQ(dlg.number, c.number) << c.typed;
    if (c.accepted) {
      EXPECT_TRUE(boxes.boxes().empty());
      continue;
    }
    ASSERT_EQ(boxes.boxes().size(), 1u) << c.typed;
    EXPECT_EQ(boxes.boxes()[0].text, "Please enter an integer.");
    EXPECT_EQ(boxes.boxes()[0].caption, AfxGetAppName());
    EXPECT_EQ(dlg.check, 5) << "the exchange stopped at the number";
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(dlg, IDC_DDX_NUMBER));
  }
  dlg.DestroyWindow();
}

namespace {

class SimpleDialog : public CDialog {
public:
  explicit SimpleDialog(CWnd* parent = nullptr) : CDialog(IDD_TEST_SIMPLE, parent) {}
  CString text = "start";
  int oks = 0;

protected:
  void DoDataExchange(CDataExchange* dx) override { DDX_Text(dx, IDC_SIMPLE_EDIT, text); }
  void OnOK() override {
    ++oks;
    CDialog::OnOK();
  }
};

// A plain top-level window to own the modal dialogs.
class OwnerWindow : public CWnd {
public:
  BOOL Make() {
    return CreateEx(0, nullptr, "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr);
  }
};

HWND FindDialog(const char* caption) { return FindWindowA(nullptr, caption); }

}  // namespace

TEST(ModalDialog, EnterEndsWithOKAndEscapeWithCancel) {
  OwnerWindow owner;
  ASSERT_TRUE(owner.Make());
  struct Case {
    BYTE key;
    INT_PTR result;
    const char* text;  // the member afterwards: read from the edit only on OK
  } cases[] = {{VK_RETURN, IDOK, "startab"}, {VK_ESCAPE, IDCANCEL, "start"}};
  for (const Case& c : cases) {
    SimpleDialog dlg(&owner);
    bool ownerDisabled = false;
    RunLater(300, [&] {
      HWND hwnd = FindDialog("Simple");
      ownerDisabled = hwnd && !owner.IsWindowEnabled();
      SetForegroundWindow(hwnd);
      SendDlgItemMessageA(hwnd, IDC_SIMPLE_EDIT, EM_SETSEL, 5, 5);
      TypeText("ab");
      PressKey(c.key);
    });
    EXPECT_EQ(dlg.DoModal(), c.result);
    EXPECT_TRUE(ownerDisabled) << "the owner is disabled while the dialog runs";
    EXPECT_TRUE(owner.IsWindowEnabled());
    EXPECT_EQ(dlg.text, c.text);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_EQ(FindDialog("Simple"), nullptr);
  }
  owner.DestroyWindow();
}

TEST(ModalDialog, EnterAndEscapeGoToTheInnermostDialog) {
  OwnerWindow owner;
  ASSERT_TRUE(owner.Make());
  SimpleDialog outer(&owner);
  std::vector<std::string> events;
  RunLater(300, [&] {
    HWND outerWnd = FindDialog("Simple");
    SimpleDialog inner(&outer);
    RunLater(300, [&] {
      events.push_back(std::string("outer enabled ") + (IsWindowEnabled(outerWnd) ? "yes" : "no"));
      PressKey(VK_RETURN);
    });
    events.push_back("inner " + std::to_string(inner.DoModal()));
    events.push_back(std::string("outer open ") + (IsWindowVisible(outerWnd) ? "yes" : "no"));
    RunLater(200, [] { PressKey(VK_ESCAPE); });
  });
  INT_PTR result = outer.DoModal();
  events.push_back("outer " + std::to_string(result));
  EXPECT_EQ(events, (std::vector<std::string>{"outer enabled no", "inner 1", "outer open yes", "outer 2"}));
  EXPECT_EQ(outer.oks, 0);
  owner.DestroyWindow();
}

TEST(ModalDialog, AQuitMessageEndsTheModalLoopAndStaysForTheOuterLoop) {
  SimpleDialog dlg;
  RunLater(200, [] { PostQuitMessage(18); });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 18u);
}

// A box only wraps at blanks: one long word (a long robot name) must not make it wider than the
// screen.
TEST(MessageBoxes, ALongWordIsBrokenSoTheBoxFitsTheScreen) {
  const std::string text = "Vantorel Pindrel robot \"" + std::string(250, 'W') + "\" could not be copied.";
  LONG width = 0;
  std::string shown;
  RunLater(300, [&] {
    HWND box = FindDialog("Wide box");
    RECT r = {};
    GetWindowRect(box, &r);
    width = r.right - r.left;
    char buffer[1024] = "";
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      if (GetWindowTextA(child, buffer, sizeof buffer) > 100) shown = buffer;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  });
  MessageBoxSink previous = SetMessageBoxSink(nullptr);  // the real box
  ShowMessageBox(nullptr, text.c_str(), "Wide box", MB_OK);
  SetMessageBoxSink(std::move(previous));
  EXPECT_GT(width, 0);
  EXPECT_LE(width, GetSystemMetrics(SM_CXSCREEN));
  shown.erase(std::remove(shown.begin(), shown.end(), '\n'), shown.end());
  EXPECT_EQ(shown, text) << "only line breaks are added";
}
