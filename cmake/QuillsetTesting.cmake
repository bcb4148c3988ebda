# quillset_add_test(NAME name SOURCES a.cpp... LIBS lib... [GUI] [LABELS l...])
# Registers one GoogleTest executable with ctest; every test runs headless.
find_package(GTest)

function(quillset_add_test)
  cmake_parse_arguments(T "GUI" "NAME" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} quillset_test_main GTest::gtest GTest::gmock)
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_compile_definitions(${T_NAME} PRIVATE
    QUILLSET_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
    QUILLSET_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QUILLSET_DRIVE_C=${QUILLSET_DRIVE_C_DIR};${T_ENVIRONMENT}"
    LABELS "${T_LABELS}")
endfunction()
