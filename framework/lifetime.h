// The order in which the program's process-wide objects are built before WinMain and destroyed
// after it, and a note that records those moments for a test. Objects of a lower order are built
// first and destroyed last; within one source file objects of one order are built as they stand.
#pragma once

#define PINDREL_INIT_ORDER(order) __attribute__((init_priority(order)))

// 1. The script engine: the Windows version record, then the interpreter, the variable store
//    and the line store.
constexpr int kInitOrderOSVersion = 101;
constexpr int kInitOrderScriptEngine = 110;
// 2. The application object.
constexpr int kInitOrderApplication = 120;
// 3. The texts of the robot-sharing page.
constexpr int kInitOrderSharing = 130;
// 4. The owner-drawn menus' shared state.
constexpr int kInitOrderMenus = 140;

// Appends "built <name>" when made and "destroyed <name>" when it goes to the file named by the
// environment variable PINDREL_LIFETIME_LOG; without it, nothing. Placed right after the object
// it stands for, with the same order, it is built just after it and destroyed just before it.
class LifetimeNote {
public:
  explicit LifetimeNote(const char* name);
  ~LifetimeNote();
  LifetimeNote(const LifetimeNote&) = delete;
  LifetimeNote& operator=(const LifetimeNote&) = delete;

private:
  const char* name_;
};
