# talven_qt_tests(<executable> <source> <prefix> [ENVIRONMENT <vars>...]
#                 [TIMEOUT <seconds>] [LIBRARIES <targets>...])
# A Qt Test program built from one source, with one CTest entry per test
# function, named <prefix>.<function>: the functions are read from the
# private slots of the test class, less the fixtures and the data functions.
# The entries run on Qt's offscreen platform unless ENVIRONMENT says else.
function(talven_qt_tests executable source prefix)
  cmake_parse_arguments(ARG "" "TIMEOUT" "ENVIRONMENT;LIBRARIES" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  if(NOT ARG_ENVIRONMENT)
    set(ARG_ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_ACCESSIBILITY=1")
  endif()
  add_executable(${executable} ${source})
  set_target_properties(${executable} PROPERTIES AUTOMOC ON)
  target_link_libraries(${executable} PRIVATE ${ARG_LIBRARIES} Qt6::Test)

  file(READ ${source} texte)
  string(FIND "${texte}" "private slots:" debut)
  string(SUBSTRING "${texte}" ${debut} -1 texte)
  string(REGEX MATCHALL "\n  void [a-zA-Z0-9_]+\\(\\)" lignes "${texte}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  foreach(ligne IN LISTS lignes)
    string(REGEX REPLACE "^\n  void ([a-zA-Z0-9_]+)\\(.*" "\\1" fonction "${ligne}")
    if(fonction MATCHES "^(initTestCase|cleanupTestCase|init|cleanup)$" OR fonction MATCHES "_data$")
      continue()
    endif()
    add_test(NAME ${prefix}.${fonction}
      COMMAND ${executable} ${fonction}
      WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    set_tests_properties(${prefix}.${fonction} PROPERTIES
      ENVIRONMENT "${ARG_ENVIRONMENT}" TIMEOUT ${ARG_TIMEOUT})
  endforeach()
endfunction()
