// The main dialog's option file "option.ini" in the data folder and the tip of the day at start.
#include "app/doyouknowdlg.h"
#include "app/quorvexdlg.h"
#include "framework/stdiofile.h"
#include "robot/datafolder.h"

namespace {
const char kShowTipKey[] = "showtip=";
}

CString OptionFilePath() { return GetDataFolder() + "\\option.ini"; }

int ReadShowTip(const CString& path, int showTip) {
  CStdioFile file;
  if (!file.Open(path, CStdioFile::modeRead | CStdioFile::typeText)) return showTip;
  // Only a line that starts with the key counts; the last such line wins.
  const int keyLength = static_cast<int>(sizeof kShowTipKey) - 1;
  CString line;
  while (file.ReadString(line)) {
    if (line.Left(keyLength) != kShowTipKey) continue;
    showTip = line.Mid(keyLength) == "0" ? 0 : 1;
  }
  return showTip;
}

BOOL WriteShowTip(const CString& path, int showTip) {
  CStdioFile file;
  if (!file.Open(path, CStdioFile::modeCreate | CStdioFile::modeWrite | CStdioFile::typeText)) return FALSE;
  CString line;
  line.Format("showtip=%d\n", showTip);
  file.WriteString(line);
  return file.Close();
}

void CQuorvexDlg::LoadOptions() { m_ShowTip = ReadShowTip(OptionFilePath(), m_ShowTip); }

// On a first start the data folder may not exist yet: the choice must still be kept.
void CQuorvexDlg::SaveOptions() {
  CreateFolderPath(GetDataFolder());
  WriteShowTip(OptionFilePath(), m_ShowTip);
}

void CQuorvexDlg::ShowTipOfTheDay() {
  LoadOptions();
  if (!m_ShowTip) return;
  CDoYouKnowDlg tips;
  if (!tips.LoadTips()) return;
  tips.DoModal();
  m_ShowTip = tips.m_ShowAgain;
  if (!m_ShowTip) SaveOptions();
}
