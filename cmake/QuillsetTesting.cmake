# quillset_add_test(NAME name SOURCES a.cpp... LIBRARIES lib... [LABELS l...]
#                   [SHARDS n] [COST c])
# Registers one GoogleTest executable with ctest; every test runs headless. With SHARDS the
# executable's cases are dealt round-robin to n ctest entries name_1..name_n (GoogleTest's own
# sharding), which ctest runs side by side; `name_TESTS` then lists them for the caller. COST is
# the ctest cost of each entry: the longest start first.
find_package(GTest)

# The tests start python3 hundreds of times (the update server, archive writers). Where python3
# is a version manager's shim (pyenv), every start first runs a chain of shell scripts costing
# about a second, so the tests find the interpreter it resolves to first on their PATH.
execute_process(COMMAND python3 -c "import os, sys; print(os.path.dirname(sys.executable))"
                OUTPUT_VARIABLE QUILLSET_TEST_PYTHON_DIR OUTPUT_STRIP_TRAILING_WHITESPACE)

# quillset_test_python(test...): the ctest entries start that interpreter for python3.
function(quillset_test_python)
  if(QUILLSET_TEST_PYTHON_DIR)
    set_tests_properties(${ARGN} PROPERTIES
      ENVIRONMENT_MODIFICATION "PATH=path_list_prepend:${QUILLSET_TEST_PYTHON_DIR}")
  endif()
endfunction()

# The libraries that draw or show something: a test linking one of them gets the gui part of the
# test support (and its QApplication main), every other test the core part alone.
set(QUILLSET_GUI_LIBRARIES graphics widgets print print_program print_window movie_lib movie_form
    quotation_lib quotation_form updater_window)

function(quillset_add_test)
  cmake_parse_arguments(T "" "NAME;SHARDS;COST" "SOURCES;LIBRARIES;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  set(support quillset_test_support)
  foreach(library ${T_LIBRARIES})
    if(library IN_LIST QUILLSET_GUI_LIBRARIES)
      set(support quillset_test_support_gui)
    endif()
  endforeach()
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBRARIES} ${support} platform_test_hooks
                        GTest::gtest GTest::gmock)
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_compile_definitions(${T_NAME} PRIVATE
    QUILLSET_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
    QUILLSET_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  # Failure logs of the programs under test stay in the build folder, out of the user's home.
  set(environment
    "QT_QPA_PLATFORM=offscreen;QUILLSET_DRIVE_C=${QUILLSET_DRIVE_C_DIR};XDG_STATE_HOME=${CMAKE_BINARY_DIR}/test-state;${T_ENVIRONMENT}")
  if(NOT T_SHARDS)
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${environment}" LABELS "${T_LABELS}")
    set(entries ${T_NAME})
  else()
    set(entries)
    foreach(shard RANGE 1 ${T_SHARDS})
      math(EXPR index "${shard} - 1")
      add_test(NAME ${T_NAME}_${shard} COMMAND ${T_NAME})
      set_tests_properties(${T_NAME}_${shard} PROPERTIES
        ENVIRONMENT "${environment};GTEST_TOTAL_SHARDS=${T_SHARDS};GTEST_SHARD_INDEX=${index}"
        LABELS "${T_LABELS}")
      list(APPEND entries ${T_NAME}_${shard})
    endforeach()
  endif()
  quillset_test_python(${entries})
  if(T_COST)
    set_tests_properties(${entries} PROPERTIES COST ${T_COST})
  endif()
  set(${T_NAME}_TESTS ${entries} PARENT_SCOPE)
  quillset_scratch_homes_at_end()
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

# quillset_give_test_agents(test [SIGNING_KEY pem] [WITH_UNSIGNED] [LOCK_WAIT_SECONDS n])
# Builds, for each ctest entry of the test program `test` (quillset_add_test), a test agent whose
# stored address names a port of its own (counted up from the test build's port), and tells the
# entry by QUILLSET_TEST_AGENT and QUILLSET_TEST_AGENT_PORT: entries that serve updates then run
# side by side. SIGNING_KEY builds the agent with that public key; WITH_UNSIGNED adds one without a
# key on the same port (QUILLSET_TEST_UNSIGNED_AGENT). LOCK_WAIT_SECONDS replaces the test build's
# wait for a module another agent holds.
function(quillset_give_test_agents test)
  cmake_parse_arguments(A "WITH_UNSIGNED" "SIGNING_KEY;LOCK_WAIT_SECONDS" "" ${ARGN})
  if(NOT A_LOCK_WAIT_SECONDS)
    set(A_LOCK_WAIT_SECONDS ${A_LOCK_WAIT_SECONDS})
  endif()
  foreach(entry ${${test}_TESTS})
    get_property(taken GLOBAL PROPERTY QUILLSET_TEST_AGENT_PORTS)
    if(NOT taken)
      set(taken 0)
    endif()
    math(EXPR next "${taken} + 1")
    set_property(GLOBAL PROPERTY QUILLSET_TEST_AGENT_PORTS ${next})
    math(EXPR port "${TLUPDATER_E2E_PORT} + 10 + ${taken}")
    set(url "http://127.0.0.1:${port}/updates/")
    set(agents TLUPDATER_${entry})
    tlupdater_executable(TLUPDATER_${entry} ${CMAKE_BINARY_DIR}/tests/agents ${url}
                         ${TLUPDATER_E2E_PASSWORD} TEST_HOOKS SIGNING_KEY "${A_SIGNING_KEY}"
                         WAIT_SECONDS ${TLUPDATER_E2E_WAIT_SECONDS}
                         ARCHIVE_LIMIT_BYTES ${TLUPDATER_E2E_ARCHIVE_LIMIT_BYTES}
                         START_DELAY_MS ${TLUPDATER_E2E_START_DELAY_MS}
                         LOCK_WAIT_SECONDS ${A_LOCK_WAIT_SECONDS})
    set_property(TEST ${entry} APPEND PROPERTY ENVIRONMENT
      "QUILLSET_TEST_AGENT=${CMAKE_BINARY_DIR}/tests/agents/TLUPDATER_${entry}"
      "QUILLSET_TEST_AGENT_PORT=${port}")
    if(A_WITH_UNSIGNED)
      tlupdater_executable(TLUPDATER_${entry}_unsigned ${CMAKE_BINARY_DIR}/tests/agents ${url}
                           ${TLUPDATER_E2E_PASSWORD} TEST_HOOKS
                           WAIT_SECONDS ${TLUPDATER_E2E_WAIT_SECONDS}
                           ARCHIVE_LIMIT_BYTES ${TLUPDATER_E2E_ARCHIVE_LIMIT_BYTES}
                           START_DELAY_MS ${TLUPDATER_E2E_START_DELAY_MS}
                           LOCK_WAIT_SECONDS ${A_LOCK_WAIT_SECONDS})
      set_property(TEST ${entry} APPEND PROPERTY ENVIRONMENT
        "QUILLSET_TEST_UNSIGNED_AGENT=${CMAKE_BINARY_DIR}/tests/agents/TLUPDATER_${entry}_unsigned")
      list(APPEND agents TLUPDATER_${entry}_unsigned)
    endif()
    # The test program is built with the agents its entries run.
    add_dependencies(${test} ${agents} unzip32)
  endforeach()
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
    target_link_libraries(${F_NAME} PRIVATE ${F_LIBRARIES} platform_no_test_hooks)
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
    target_link_libraries(${F_NAME}_replay PRIVATE ${F_LIBRARIES} platform_no_test_hooks)
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
  quillset_scratch_homes_at_end()
endfunction()
