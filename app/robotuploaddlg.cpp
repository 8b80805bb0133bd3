// The sharing page: its text, the share folder, the Windows version names and the dialog that
// shows the page.
#include "app/robotuploaddlg.h"

#include <algorithm>

#include "app/constants.h"
#include "res/resource.h"
#include "framework/stdiofile.h"
#include "robot/datafolder.h"

namespace {

const char kSharePageFile[] = "robot_share.html";
// The form is sent only by its own button inside a browser engine, to this address.
const char kUploadAddress[] = "https://vantorel.example/cgi-bin/quorvex/upload.pl";

const char kPageHead[] =
    "<HTML>\n"
    "<HEAD>\n"
    "<TITLE>Share Robot</TITLE>\n"
    "<STYLE TYPE=\"text/css\">\n"
    ".box { border: 1px solid #3366CC; }\n"
    ".text { font-family: Verdana; font-size: 12px; color: #000000; }\n"
    ".title { font-family: Verdana; font-size: 14px; font-weight: bold; color: #FFFFFF; }\n"
    ".whiteTD { font-family: Verdana; font-size: 12px; background-color: #FFFFFF; }\n"
    ".blueTD { font-family: Verdana; font-size: 14px; font-weight: bold; color: #FFFFFF; background-color: #3366CC; }\n"
    "</STYLE>\n"
    "</HEAD>\n"
    "<BODY BGCOLOR=\"#FFFFFF\">\n"
    "<P CLASS=text>We encourage you to share your robot so that your robot can be reused by other users, also, "
    "they may get he idea to improve and modify your robot. We will reward the users who uploaded valualbe "
    "robots.</P>\n"
    "<P CLASS=text>To start sharing your robot, verify the form below and click on 'Share Now' button.</P>\n"
    "<TABLE ALIGN=center WIDTH=600 CLASS=box CELLPADDING=8 CELLSPACING=0>\n"
    "<TR><TD CLASS=blueTD><SPAN CLASS=title>Share Robot</SPAN></TD></TR>\n"
    "<TR><TD CLASS=whiteTD>\n";

const char kPageTail[] =
    "<INPUT TYPE=\"submit\" VALUE=\"Share Now\">\n"
    "</FORM>\n"
    "</TD></TR>\n"
    "</TABLE>\n"
    "</BODY>\n"
    "</HTML>";

// A field of the form: its label, then the opening of its input up to the value.
CString TextField(const char* label, const char* input, const CString& value) {
  return CString(label) + ":<BR>" + input + " value=\"" + HtmlEscape(value) + "\"><BR><BR>\n";
}

}  // namespace

CString HtmlEscape(const char* text) {
  CString out;
  for (const char* p = text ? text : ""; *p; ++p) {
    switch (*p) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += *p; break;
    }
  }
  return out;
}

CString MakeSharePage(const SharePageFields& f) {
  CString page = kPageHead;
  page += CString("<FORM NAME=\"upload_robot\" METHOD=\"POST\" ACTION=\"") + kUploadAddress + "\">\n";
  page += TextField("Robot Name", "<INPUT TYPE=text NAME=script_name size=100", f.name);
  page += TextField("Robot Description", "<INPUT TYPE=text NAME=script_description", f.description);
  page += "Robot Script:<BR><TEXTAREA NAME=script_script ROWS=7 COLS=60>" + HtmlEscape(f.script) +
          "</TEXTAREA><BR><BR>\n";
  CString resolution;
  resolution.Format("%d x %d", f.screenWidth, f.screenHeight);
  page += TextField("Screen Resolution", "<INPUT TYPE=text NAME=screen_resolution size=40", resolution);
  page += TextField("OS Version", "<INPUT TYPE=text NAME=os_version size=40", f.osVersion);
  page += TextField("Vantorel Pindrel Version", "<INPUT TYPE=text NAME=qv_version size=40", f.programVersion);
  page += kPageTail;
  return page;
}

CString GetShareFolder() { return GetDataFolder() + "\\share"; }

CString OSVersionName(DWORD platform, DWORD major, DWORD minor) {
  switch (platform) {
    case VER_PLATFORM_WIN32s:
      return "Win32";
    case VER_PLATFORM_WIN32_WINDOWS:
      if (major == 4 && minor == 0) return "Win95";
      if (major == 4 && minor >= 1 && minor <= 89) return "Win98";
      return "WinME";
    case VER_PLATFORM_WIN32_NT:
      if (major <= 4) return "WinNT";
      if (major == 5 && minor == 0) return "Win2000";
      if (major == 5 && minor == 1) return "WinXP";
      return "";
    default:
      return "Unknown OS";
  }
}

void GetOSVersionName(CString& name) {
  name.Empty();
  OSVERSIONINFOEXA info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) {
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return;
  }
  name = OSVersionName(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

BEGIN_MESSAGE_MAP(CRobotUploadDlg, CDialog)
  ON_WM_SIZE()
  ON_MESSAGE(WM_WINDOWPOSCHANGING, &CRobotUploadDlg::OnWindowPosChanging)
END_MESSAGE_MAP()

CRobotUploadDlg::CRobotUploadDlg(CWnd* parent) : CDialog(IDD_ROBOT_UPLOAD, parent) {}

CRobotUploadDlg::~CRobotUploadDlg() = default;

void CRobotUploadDlg::DoDataExchange(CDataExchange* dx) { DDX_Control(dx, IDOK, m_btnClose); }

BOOL CRobotUploadDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  ShowWindow(SW_SHOWMAXIMIZED);
  if (!m_HtmlView.CreateFromStatic(IDC_HTML_PLACEHOLDER, this)) return FALSE;
  PlaceControls();
  ShowSharePage();
  return TRUE;
}

// The page and the Close button take their places from the window's size; where a larger
// font or frame (another DPI) would put the button past the client area, it stays inside it,
// and the page above it.
void CRobotUploadDlg::PlaceControls() {
  CRect window, client, button;
  GetWindowRect(&window);
  GetClientRect(&client);
  m_btnClose.GetWindowRect(&button);
  CRect margin(0, 0, 3, 3);
  ::MapDialogRect(m_hWnd, &margin);
  const int w = window.Width(), h = window.Height();
  int x = w - 100, y = h - 60;
  if (x + button.Width() > client.right) x = client.right - button.Width() - margin.right;
  if (y + button.Height() > client.bottom) y = client.bottom - button.Height() - margin.bottom;
  m_btnClose.SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const int right = std::min<int>(w - 30, client.right - margin.right);
  const int bottom = std::min<int>(h - 70, y - 10);
  m_HtmlView.MoveWindow(30, 30, std::max(right - 30, 0), std::max(bottom - 30, 0));
}

void CRobotUploadDlg::OnSize(UINT, int, int) {
  Default();
  if (m_btnClose.m_hWnd && m_HtmlView.m_hWnd) PlaceControls();
}

// Maximised, a window's frame hangs over the edges of its monitor, and with another DPI's
// frame the window reaches past the screen. The window is never larger than the work area of
// its monitor, and maximised it is exactly that work area.
LRESULT CRobotUploadDlg::OnWindowPosChanging(WPARAM, LPARAM windowPos) {
  LRESULT result = Default();
  auto* pos = reinterpret_cast<WINDOWPOS*>(windowPos);
  if (pos->flags & SWP_NOSIZE) return result;
  const CRect wanted(pos->x, pos->y, pos->x + pos->cx, pos->y + pos->cy);
  MONITORINFO monitor = {sizeof monitor, {}, {}, 0};
  if (!::GetMonitorInfoA(::MonitorFromRect(&wanted, MONITOR_DEFAULTTONEAREST), &monitor)) return result;
  const CRect work(monitor.rcWork);
  if (::IsZoomed(m_hWnd) && !(pos->flags & SWP_NOMOVE)) {
    pos->x = work.left, pos->y = work.top;
    pos->cx = work.Width(), pos->cy = work.Height();
  } else {
    pos->cx = std::min<int>(pos->cx, work.Width());
    pos->cy = std::min<int>(pos->cy, work.Height());
  }
  return result;
}

BOOL CRobotUploadDlg::ShowSharePage() {
  if (!BuildSharePage(kSharePageFile)) return FALSE;
  return NavigateToSharePage(kSharePageFile);
}

BOOL CRobotUploadDlg::BuildSharePage(const char* fileName) {
  if (m_RobotPath.IsEmpty()) return FALSE;
  SharePageFields fields;
  CStdioFile file;
  if (file.Open(m_RobotPath, CStdioFile::modeRead | CStdioFile::typeText)) {
    CString line;
    while (file.ReadString(line)) {
      if (line.Left(12) == "Description=") fields.description = line.Mid(12);
      fields.script += line + "\n";
    }
    file.Close();
  }
  fields.name = m_RobotPath.Mid(m_RobotPath.ReverseFind('\\') + 1);
  fields.screenWidth = GetSystemMetrics(SM_CXSCREEN);
  fields.screenHeight = GetSystemMetrics(SM_CYSCREEN);
  GetOSVersionName(fields.osVersion);
  fields.programVersion = kProgramVersion;
  return WriteSharePage(fileName, MakeSharePage(fields));
}

BOOL CRobotUploadDlg::WriteSharePage(const char* fileName, const CString& text) {
  CString folder = GetShareFolder();
  if (GetFileAttributesA(folder) != FILE_ATTRIBUTE_DIRECTORY) CreateFolderPath(folder);
  CStdioFile file;
  if (!file.Open(folder + "\\" + fileName, CStdioFile::modeCreate | CStdioFile::modeWrite | CStdioFile::typeText))
    return FALSE;
  file.WriteString(text);
  file.Close();
  return TRUE;
}

BOOL CRobotUploadDlg::NavigateToSharePage(const char* fileName) {
  m_HtmlView.Navigate2(GetShareFolder() + "\\" + fileName);
  return TRUE;
}
