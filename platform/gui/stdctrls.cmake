# The standard controls, compiled into the gui library.
target_sources(gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/StdCtrls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ExtCtrls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Buttons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Mask.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Spin.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ComCtrls.cpp
)
# The page control and the check list box.
target_sources(gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PageControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CheckLst.cpp
)
