# quillset_add_test(NAME name SOURCES a.cpp... LIBRARIES lib... [GUI] [LABELS l...])
# Registers one GoogleTest executable with ctest; every test runs headless.
find_package(GTest)

function(quillset_add_test)
  cmake_parse_arguments(T "GUI" "NAME" "SOURCES;LIBRARIES;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBRARIES} quillset_test_support GTest::gtest GTest::gmock)
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_compile_definitions(${T_NAME} PRIVATE
    QUILLSET_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
    QUILLSET_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  # Failure logs of the programs under test stay in the build folder, out of the user's home.
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QUILLSET_DRIVE_C=${QUILLSET_DRIVE_C_DIR};XDG_STATE_HOME=${CMAKE_BINARY_DIR}/test-state;${T_ENVIRONMENT}"
    LABELS "${T_LABELS}")
endfunction()

# quillset_test_agent(target program port)
# The test executable `target` runs the agent build `program` (AgentEndToEnd in tests/support),
# whose stored address names a local server on `port`; the engine library is built first.
function(quillset_test_agent target program port)
  add_dependencies(${target} ${program} unzip32)
  target_compile_definitions(${target} PRIVATE
    TLUPDATER_E2E_PROGRAM="$<TARGET_FILE:${program}>"
    TLUPDATER_E2E_PORT=${port}
    TLUPDATER_E2E_PASSWORD="${TLUPDATER_E2E_PASSWORD}")
endfunction()

# quillset_add_fuzz_target(NAME name SOURCES a.cpp... LIBRARIES lib... CORPUS dir
#                          [CORPUS_TARGET target] [SECONDS n])
# The sources define LLVMFuzzerTestOneInput; the code under test comes from LIBRARIES, which the
# fuzz build compiles with coverage feedback. With QUILLSET_FUZZ (clang) it becomes a libFuzzer
# program that ctest runs for a few seconds over its corpus; in every build a replay program runs
# the corpus once under ctest, so the inputs stay covered with gcc and the sanitizers.
# CORPUS_TARGET names the build step that writes a generated corpus.
function(quillset_add_fuzz_target)
  cmake_parse_arguments(F "" "NAME;CORPUS;CORPUS_TARGET;SECONDS" "SOURCES;LIBRARIES" ${ARGN})
  if(NOT F_SECONDS)
    set(F_SECONDS 5)
  endif()
  set(programs)
  if(QUILLSET_FUZZ)
    add_executable(${F_NAME} ${F_SOURCES})
    target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${F_NAME} PRIVATE ${F_LIBRARIES})
    set_target_properties(${F_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    add_test(NAME ${F_NAME}_run
      COMMAND ${F_NAME} -max_total_time=${F_SECONDS} -timeout=10 -rss_limit_mb=2048
              ${CMAKE_CURRENT_BINARY_DIR}/${F_NAME}_work ${F_CORPUS})
    set_tests_properties(${F_NAME}_run PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
                         FIXTURES_REQUIRED ${F_NAME}_workdir)
    add_test(NAME ${F_NAME}_workdir COMMAND ${CMAKE_COMMAND} -E make_directory
             ${CMAKE_CURRENT_BINARY_DIR}/${F_NAME}_work)
    set_tests_properties(${F_NAME}_workdir PROPERTIES FIXTURES_SETUP ${F_NAME}_workdir)
    list(APPEND programs ${F_NAME})
  endif()
  if(QUILLSET_TESTS)
    add_executable(${F_NAME}_replay ${F_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/FuzzReplayMain.cpp)
    target_link_libraries(${F_NAME}_replay PRIVATE ${F_LIBRARIES})
    set_target_properties(${F_NAME}_replay PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${F_NAME}_replay COMMAND ${F_NAME}_replay ${F_CORPUS})
    set_tests_properties(${F_NAME}_replay PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    list(APPEND programs ${F_NAME}_replay)
  endif()
  if(F_CORPUS_TARGET)
    foreach(program ${programs})
      add_dependencies(${program} ${F_CORPUS_TARGET})
    endforeach()
  endif()
endfunction()
