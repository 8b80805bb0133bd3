// The program's shared constant texts. Constant data: they exist before any object is built and
// after the last one is gone.
#include "app/constants.h"

const char kHelpFileName[] = "help.chm";
const char kProgramVersion[] = "5.0";
