# Compiler settings shared by every target of the project, through the
# interface library talven_options.
add_library(talven_options INTERFACE)

target_compile_options(talven_options INTERFACE
  -Wall -Wextra -Wpedantic $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local> -Wnon-virtual-dtor
  # The modem's real arithmetic must come out the same on every build:
  # no fused multiply-add contraction, no fast-math.
  -ffp-contract=off -fno-fast-math
  # Lets the compiler inline llrint and friends (x87 fistp rounds to nearest,
  # ties to even); no result changes, only errno is no longer set.
  -fno-math-errno)

if(WARNINGS_AS_ERRORS)
  target_compile_options(talven_options INTERFACE -Werror)
endif()

if(WITH_ASAN AND WITH_TSAN)
  message(FATAL_ERROR "WITH_ASAN and WITH_TSAN cannot be used together: AddressSanitizer and "
                      "ThreadSanitizer do not combine in one program. Configure one build directory for each.")
endif()

if(WITH_ASAN)
  target_compile_options(talven_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(talven_options INTERFACE -fsanitize=address,undefined)
endif()

if(WITH_TSAN)
  target_compile_options(talven_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer -g)
  target_link_options(talven_options INTERFACE -fsanitize=thread)
  # GCC instruments the resolver it generates for a target_clones function,
  # and the resolver runs while the program is being relocated, before
  # ThreadSanitizer is set up: the program crashes before main. The folded
  # dot product is such a function; it reads only its arguments, so its unit
  # is built uninstrumented.
  cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL
    set_source_files_properties ${PROJECT_SOURCE_DIR}/common/somme_produits.cpp
    TARGET_DIRECTORY talven_common PROPERTIES COMPILE_OPTIONS -fno-sanitize=thread)
endif()

# The fuzzing build: every unit of the core is built with libFuzzer's
# coverage instrumentation and with AddressSanitizer and
# UndefinedBehaviorSanitizer, so that a harness in fuzz/ sees the edges of the
# code it drives and stops at the first fault. The harnesses themselves link
# libFuzzer (fuzz/CMakeLists.txt).
if(WITH_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "WITH_FUZZ needs clang, which brings libFuzzer (found ${CMAKE_CXX_COMPILER_ID}): "
                        "configure a build directory of its own with CXX=clang++.")
  endif()
  if(WITH_TSAN)
    message(FATAL_ERROR "WITH_FUZZ and WITH_TSAN cannot be used together: the harnesses run under "
                        "AddressSanitizer.")
  endif()
  target_compile_options(talven_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(talven_options INTERFACE -fsanitize=address,undefined)
endif()

# Release builds are optimised across units: the receive chain's per-sample
# steps live in separate units and call one another for every sample.
if(WITH_LTO)
  include(CheckIPOSupported)
  check_ipo_supported(RESULT talven_lto_ok OUTPUT talven_lto_raison LANGUAGES CXX)
  if(talven_lto_ok)
    set(CMAKE_INTERPROCEDURAL_OPTIMIZATION_RELEASE ON)
  else()
    message(STATUS "Link-time optimisation not available: ${talven_lto_raison}")
  endif()
endif()

# talven_core_library(<name> [DEPENDS <targets>...] [PACKAGES <libs>...])
# One static library per folder of the core, built from every .cpp of that
# folder: adding a unit is adding its .h and .cpp.
function(talven_core_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC talven_options ${ARG_DEPENDS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE talven_options ${ARG_DEPENDS})
  endif()
endfunction()

# The core links no Qt: once every target of the project is defined, walk the
# link libraries of each core library, through the targets they name, and stop
# the configuration if a Qt library turns up anywhere below one of them. Qt is
# recognised by name (Qt6::Widgets, libQt6Core.so), so it is caught even where
# it was found in a subfolder; an imported target made in a subfolder without
# GLOBAL cannot be looked into from here.
function(talven_qt_link_path target chain result)
  set(${result} "" PARENT_SCOPE)
  get_target_property(aliased ${target} ALIASED_TARGET)
  if(aliased)
    set(target ${aliased})
  endif()
  get_property(visited GLOBAL PROPERTY talven_qt_walk_visited)
  if(target IN_LIST visited)
    return()
  endif()
  set_property(GLOBAL APPEND PROPERTY talven_qt_walk_visited ${target})
  set(items "")
  get_target_property(type ${target} TYPE)
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    get_target_property(direct ${target} LINK_LIBRARIES)
    if(direct)
      list(APPEND items ${direct})
    endif()
  endif()
  get_target_property(interface ${target} INTERFACE_LINK_LIBRARIES)
  if(interface)
    list(APPEND items ${interface})
  endif()
  foreach(item IN LISTS items)
    # Generator expressions such as $<LINK_ONLY:...> wrap a target name.
    string(REGEX REPLACE "^\\$<[A-Z_]+:(.*)>$" "\\1" name "${item}")
    if(name MATCHES "(^|[^A-Za-z0-9_])Qt[0-9]*::" OR name MATCHES "(^|/)libQt[0-9]")
      set(${result} "${chain} -> ${name}" PARENT_SCOPE)
      return()
    endif()
    if(TARGET "${name}")
      talven_qt_link_path(${name} "${chain} -> ${name}" found)
      if(found)
        set(${result} "${found}" PARENT_SCOPE)
        return()
      endif()
    endif()
  endforeach()
endfunction()

function(talven_check_core_links_no_qt)
  set(offenders "")
  foreach(target talven_common talven_dsp talven_audio talven_files talven_shell talven_transceiver
                 talven_station talven_fiche_principale talven_creation_sequence talven_core)
    if(TARGET ${target})
      set_property(GLOBAL PROPERTY talven_qt_walk_visited "")
      talven_qt_link_path(${target} ${target} found)
      if(found)
        string(APPEND offenders "\n  ${found}")
      endif()
    endif()
  endforeach()
  if(offenders)
    message(FATAL_ERROR "The core must not link Qt (Qt views belong in qt/ folders, in their own targets):"
                        "${offenders}")
  endif()
endfunction()

cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL talven_check_core_links_no_qt)
