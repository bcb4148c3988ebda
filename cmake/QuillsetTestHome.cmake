# Every test runs with a home and XDG folders of its own below the build folder, so nothing a
# program under test writes (failure logs, automatic PDFs, caches) reaches the user's. The entry
# that ends the run fails when the real ones were written all the same.
set(QUILLSET_TEST_HOMES ${CMAKE_BINARY_DIR}/test-home)

# Gives each test of the calling folder its scratch home and the real-home check around it. A
# test's own XDG_STATE_HOME, set before, wins.
function(quillset_scratch_homes)
  get_property(tests DIRECTORY PROPERTY TESTS)
  list(REMOVE_ITEM tests real_home_stamp real_home_untouched)
  foreach(test ${tests})
    set(home ${QUILLSET_TEST_HOMES}/${test})
    file(MAKE_DIRECTORY ${home})
    get_test_property(${test} ENVIRONMENT own)
    if(NOT own)
      set(own "")
    endif()
    set_tests_properties(${test} PROPERTIES
      ENVIRONMENT "HOME=${home};XDG_CONFIG_HOME=${home}/.config;XDG_CACHE_HOME=${home}/.cache;XDG_DATA_HOME=${home}/.local/share;XDG_STATE_HOME=${home}/.local/state;${own}")
    set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED real_home)
  endforeach()
endfunction()

# Called once by each folder that declares tests: the homes are given when the folder's last
# test is known.
function(quillset_scratch_homes_at_end)
  get_property(deferred DIRECTORY PROPERTY QUILLSET_SCRATCH_HOMES_DEFERRED)
  if(NOT deferred)
    set_property(DIRECTORY PROPERTY QUILLSET_SCRATCH_HOMES_DEFERRED ON)
    cmake_language(DEFER CALL quillset_scratch_homes)
  endif()
endfunction()

set(real_home_check ${PROJECT_SOURCE_DIR}/tools/checks/real_home.py)
add_test(NAME real_home_stamp COMMAND python3 ${real_home_check} start ${QUILLSET_TEST_HOMES})
add_test(NAME real_home_untouched COMMAND python3 ${real_home_check} check ${QUILLSET_TEST_HOMES})
set_tests_properties(real_home_stamp PROPERTIES FIXTURES_SETUP real_home)
set_tests_properties(real_home_untouched PROPERTIES FIXTURES_CLEANUP real_home)
quillset_scratch_homes_at_end()
