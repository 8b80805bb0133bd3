// How much of the thread's stack is left: the interpreter's recursive routines (expressions,
// subscripts, call arguments, nested runs) end the run with a script error well before the
// stack runs out, however deeply a line or a chain of user functions nests.
#pragma once

// True when less than the reserve is left below the caller's frame. The reserve (a sixteenth of
// the stack, at most 1 MB) leaves room for the error report and for any built-in on top.
bool StackNearlyFull();

// The message of a run that nests deeper than the stack allows.
extern const char kNestedTooDeeply[];
