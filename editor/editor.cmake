# The robot editor with its click pane, action list and hotkey field.
target_sources(pindrel_editor PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/editor_stub.cpp
)
