// Long-running built-ins (repeat counts, area scans, long waits) keep the message queue drained
// while they work and end soon after a stop request: they ask RunStopRequested between their
// repetitions, and their long waits go through WaitUnlessStopped.
#pragma once

class CQuorvex_Script;

// Marks the interpreter whose run is in progress on this thread while it lives; the run loop
// holds one for every run, so the built-ins it calls can reach it.
class CRunInProgress {
public:
  explicit CRunInProgress(CQuorvex_Script& script);
  ~CRunInProgress();
  CRunInProgress(const CRunInProgress&) = delete;
  CRunInProgress& operator=(const CRunInProgress&) = delete;

private:
  CQuorvex_Script* previous_;
};

// True when the run in progress is to stop: its stop flag is set (end hotkey, quitting), a quit
// request came, or the run has ended. Drains the message queue first (at most every few
// milliseconds), so the end hotkey reaches its handler while a built-in works. False when no run
// is in progress.
bool RunStopRequested();

// Waits `milliseconds` in short slices, draining the queue between them; true when a stop
// request ended the wait early.
bool WaitUnlessStopped(int milliseconds);
