# Compiler settings shared by every target of the project, through the
# interface library talven_options.
add_library(talven_options INTERFACE)

target_compile_options(talven_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow=local -Wnon-virtual-dtor
  # The modem's real arithmetic must come out the same on every build:
  # no fused multiply-add contraction, no fast-math.
  -ffp-contract=off -fno-fast-math
  # Lets the compiler inline llrint and friends (x87 fistp rounds to nearest,
  # ties to even); no result changes, only errno is no longer set.
  -fno-math-errno)

if(WARNINGS_AS_ERRORS)
  target_compile_options(talven_options INTERFACE -Werror)
endif()

if(WITH_ASAN)
  target_compile_options(talven_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
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
