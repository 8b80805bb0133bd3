# The robot editor with its click pane, action list and hotkey field.
target_sources(pindrel_editor PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/inputmousedlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/inputrobotdlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/keyeditctrl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/listctrlex.cpp
  ${CMAKE_CURRENT_LIST_DIR}/robotrepeatoption.cpp
)
