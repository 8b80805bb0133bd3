// The editor's slot for the window through which a recording is started and handed to the
// action list.
#pragma once

class CWnd;

class RecordingPane {
public:
  virtual ~RecordingPane() = default;
  // The pane's window; the editor hands over only while it exists.
  virtual CWnd* GetPaneWindow() = 0;
  // Records and inserts the recorded lines into the editor's action list.
  virtual void RecordIntoList() = 0;
  virtual void StartRecording(int mode) = 0;
};
