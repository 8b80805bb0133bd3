# The recorder and its hook library.
target_sources(pindrel_editor PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/recordrobotdlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/recordpanedlg.cpp
)

# automation.dll, loaded by name at run time: it lives next to pindrel.exe. Its exports keep
# their plain names (no stdcall decoration) and it needs no runtime DLL.
add_library(automation SHARED ${CMAKE_CURRENT_LIST_DIR}/hooklib/automation.cpp)
target_compile_options(automation PRIVATE ${PINDREL_WARNINGS})
target_link_options(automation PRIVATE -static -Wl,--kill-at)
set_target_properties(automation PROPERTIES
  PREFIX ""
  OUTPUT_NAME automation
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin
)
# Whatever links the recorder gets the library built too.
add_dependencies(pindrel_editor automation)
