// How long the read-only page view takes to show the sharing page of a large robot (the robot
// text inside the form), and how long its line-end widening alone takes, for 1, 3 and 50 MB.
//   ./scripts/bench.sh bench_share_view [largest MB]     (default 50)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/cstring.h"
#include "framework/htmlview.h"
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

}  // namespace

int main(int argc, char** argv) {
  int largest = argc > 1 ? atoi(argv[1]) : 50;
  TempFolder folder("sharebench");
  CWnd host;
  host.CreateEx(0, nullptr, "Share bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 700, 500, nullptr, nullptr);
  printf("%-10s %16s %16s\n", "robot", "Replace (s)", "page shown (s)");
  for (int megabytes : {1, 3, largest}) {
    std::string robot = RobotText(megabytes);
    CString text(robot.c_str());
    LARGE_INTEGER begin, end;
    QueryPerformanceCounter(&begin);
    text.Replace("\n", "\r\n");
    QueryPerformanceCounter(&end);
    double replace = Seconds(begin, end);

    std::string page = folder.File("page" + std::to_string(megabytes) + ".html");
    WriteFileBytes(page, "<HTML><BODY>Robot Script:<BR><TEXTAREA NAME=script_script ROWS=7 COLS=60>" + robot +
                             "</TEXTAREA></BODY></HTML>\n");
    CHtmlView view;
    RECT area = {10, 10, 670, 440};
    view.Create(nullptr, "", WS_CHILD | WS_VISIBLE, area, &host, 1);
    QueryPerformanceCounter(&begin);
    view.Navigate2(page.c_str());
    PumpFor(0);  // the text painted
    QueryPerformanceCounter(&end);
    printf("%7d MB %16.3f %16.3f%s\n", megabytes, replace, Seconds(begin, end), view.HasBrowser() ? " (browser)" : "");
    view.DestroyWindow();
  }
  host.DestroyWindow();
  return 0;
}
