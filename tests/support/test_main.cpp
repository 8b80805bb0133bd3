// Test programs' main: no test may ever block on a real message box.
#include <gtest/gtest.h>

#include "framework/msgbox.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // A box that no test expected is a failure, answered at once so the run goes on.
  SetMessageBoxSink([](HWND, const char* text, const char* caption, UINT) {
    ADD_FAILURE() << "unexpected message box \"" << caption << "\": " << text;
    return IDCANCEL;
  });
  return RUN_ALL_TESTS();
}
