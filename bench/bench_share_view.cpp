// How long the read-only page view takes to show the sharing page of a large robot (the robot
// text inside the form), for 1, 3 and 50 MB, and two of its phases on their own: the page made
// readable text, and the long-text view taking the text in and painting it. The rest of the
// page time is the file read. The goal is the 50 MB page shown within 5 s.
//   ./scripts/bench.sh bench_share_view [largest MB]     (default 50)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/cstring.h"
#include "controls/htmlreadonly.h"
#include "controls/textviewer.h"
#include "framework/window.h"
#include "tests/support/test_support.h"
#include "bench/bench_common.h"

using namespace testing_support;

namespace {

// Robot lines of about `megabytes` MB, LF-ended.
std::string RobotText(int megabytes) {
  const std::string line = "MouseMove(120, 340, 0)\nMouseClick(\"left\", 1)\nSend(\"hello\")\nWait(100)\n";
  std::string text;
  text.reserve(static_cast<size_t>(megabytes) * 1048576 + line.size());
  while (text.size() < static_cast<size_t>(megabytes) * 1048576) text += line;
  return text;
}

double Since(const LARGE_INTEGER& begin) {
  LARGE_INTEGER end;
  QueryPerformanceCounter(&end);
  return Seconds(begin, end);
}

}  // namespace

int main(int argc, char** argv) {
  int largest = argc > 1 ? atoi(argv[1]) : 50;
  const double kGoal = 5.0;
  TempFolder folder("sharebench");
  CWnd host;
  host.CreateEx(0, nullptr, "Share bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 700, 500, nullptr, nullptr);
  printf("%-10s %18s %16s %16s\n", "robot", "readable text (s)", "text view (s)", "page shown (s)");
  double shownLargest = 0;
  for (int megabytes : {1, 3, largest}) {
    std::string html = "<HTML><BODY>Robot Script:<BR><TEXTAREA NAME=script_script ROWS=7 COLS=60>" +
                       RobotText(megabytes) + "</TEXTAREA></BODY></HTML>\n";
    LARGE_INTEGER begin;
    QueryPerformanceCounter(&begin);
    CString text = HtmlToReadableText(html.c_str());
    double readable = Since(begin);

    CTextViewer viewer;
    viewer.Create(WS_EX_CLIENTEDGE, WS_VISIBLE, CRect(10, 10, 670, 440), &host, 2);
    QueryPerformanceCounter(&begin);
    viewer.SetWindowText(text);
    viewer.UpdateWindow();
    double view = Since(begin);
    viewer.DestroyWindow();
    text.Empty();

    std::string page = folder.File("page" + std::to_string(megabytes) + ".html");
    WriteFileBytes(page, html);
    html.clear();
    CHtmlReadOnlyView htmlView;
    RECT area = {10, 10, 670, 440};
    htmlView.Create(nullptr, "", WS_CHILD | WS_VISIBLE, area, &host, 1);
    QueryPerformanceCounter(&begin);
    htmlView.Navigate2(page.c_str());
    PumpFor(0);  // the text painted
    double shown = Since(begin);
    if (megabytes == largest) shownLargest = shown;
    printf("%7d MB %18.3f %16.3f %16.3f%s\n", megabytes, readable, view, shown,
           htmlView.HasBrowser() ? " (browser)" : "");
    htmlView.DestroyWindow();
  }
  printf("goal: the %d MB page shown within %.0f s: %.3f s (%s)\n", largest, kGoal, shownLargest,
         shownLargest < kGoal ? "met" : "missed");
  host.DestroyWindow();
  return 0;
}
