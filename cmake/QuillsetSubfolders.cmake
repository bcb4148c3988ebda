# quillset_add_subfolders(): adds every folder beside the calling CMakeLists.txt that has a
# CMakeLists.txt of its own, so a new component's tests, tools or benchmarks need no listing.
function(quillset_add_subfolders)
  file(GLOB entries LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(dir ${entries})
    if(IS_DIRECTORY ${dir} AND EXISTS ${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()
