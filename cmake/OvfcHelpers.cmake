# Shared target settings of the project.

# Warnings and visibility for our own code.
function(ovfc_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    C_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
endfunction()

# ovfc_shared_library(<target> OUTPUT <name> SOURCES ... [LIBS ...])
# A deliverable shared library: public C header in include/, everything hidden but the
# exported C functions, static helper libraries kept out of the dynamic symbol table.
function(ovfc_shared_library target)
  cmake_parse_arguments(A "" "OUTPUT" "SOURCES;LIBS" ${ARGN})
  add_library(${target} SHARED ${A_SOURCES})
  ovfc_defaults(${target})
  target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include
                                       PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src)
  if(A_LIBS)
    target_link_libraries(${target} PRIVATE ${A_LIBS})
  endif()
  target_link_options(${target} PRIVATE -Wl,--exclude-libs,ALL)
  # With the sanitizers the runtime's symbols come from the executable at load time.
  if(NOT OVFC_SANITIZE AND NOT OVFC_TSAN)
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
  if(A_OUTPUT)
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${A_OUTPUT})
  endif()
endfunction()

# ovfc_test(<target> [PREFIX <test name prefix>] SOURCES ... [LIBS ...] [LABELS ...])
# A GoogleTest program registered with CTest, run from build/bin.
function(ovfc_test target)
  cmake_parse_arguments(A "" "PREFIX" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${target} ${A_SOURCES})
  ovfc_defaults(${target})
  target_link_libraries(${target} PRIVATE ${A_LIBS} GTest::gtest GTest::gmock GTest::gtest_main
                                          Threads::Threads)
  # Shared test helpers (faces_dir.h, counting_new.h, ...).
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/platform/tests)
  target_compile_definitions(${target} PRIVATE
    OVFC_SOURCE_DIR="${PROJECT_SOURCE_DIR}" OVFC_BIN_DIR="${OVFC_BIN_DIR}"
    OVFC_SYNTHETIC_CONFIG="${OVFC_SYNTHETIC_CONFIG}")
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${OVFC_BIN_DIR}/tests)
  gtest_discover_tests(${target} WORKING_DIRECTORY ${OVFC_BIN_DIR} TEST_PREFIX "${A_PREFIX}"
                       PROPERTIES LABELS "${A_LABELS}" DISCOVERY_TIMEOUT 60)
endfunction()

# ovfc_exports_test(<library target> <file with the expected names, one per line>)
# Compares the library's defined dynamic symbols with the expected list.
function(ovfc_exports_test target expected)
  add_test(NAME ${target}.exports
           COMMAND ${CMAKE_COMMAND} -DLIB=$<TARGET_FILE:${target}> -DEXPECTED=${expected}
                   -P ${PROJECT_SOURCE_DIR}/cmake/CheckExports.cmake)
endfunction()

# ovfc_fuzzer(<target> SOURCES ... [LIBS ...]): a libFuzzer target, built only with OVFC_FUZZ.
function(ovfc_fuzzer target)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT OVFC_FUZZ)
    return()
  endif()
  add_executable(${target} ${A_SOURCES})
  ovfc_defaults(${target})
  target_compile_options(${target} PRIVATE -fsanitize=fuzzer)
  target_link_options(${target} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${target} PRIVATE ${A_LIBS})
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${OVFC_BIN_DIR}/fuzz)
endfunction()

# ovfc_benchmark(<target> SOURCES ... [LIBS ...]): a Google Benchmark program in build/bin/bench.
function(ovfc_benchmark target)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT OVFC_BENCHMARKS)
    return()
  endif()
  find_package(benchmark REQUIRED)
  add_executable(${target} ${A_SOURCES})
  ovfc_defaults(${target})
  target_link_libraries(${target} PRIVATE ${A_LIBS} benchmark::benchmark)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/platform/tests)
  target_compile_definitions(${target} PRIVATE OVFC_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                                 OVFC_SYNTHETIC_CONFIG="${OVFC_SYNTHETIC_CONFIG}")
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${OVFC_BIN_DIR}/bench)
endfunction()
