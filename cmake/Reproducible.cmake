# Reproducible builds: the same source gives the same package, byte for byte,
# in whatever folder and at whatever time it is built.
#
# The time stamp is SOURCE_DATE_EPOCH from the environment when set (as Debian's
# tools do), else the time of the last commit, else the date of the newest
# changelog entry (a source tree without git). cmake/Package.cmake hands it to
# CPack, which stamps the archives and every file in them with it.
set(rm_epoch "$ENV{SOURCE_DATE_EPOCH}")
set(rm_epoch_from "the environment")
if(rm_epoch STREQUAL "")
  find_package(Git QUIET)
  if(GIT_FOUND)
    # Only our own checkout counts, not a repository the tree happens to lie in.
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --show-toplevel
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE rm_top OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE rm_status ERROR_QUIET)
    if(rm_status EQUAL 0)
      file(REAL_PATH "${rm_top}" rm_top)
      file(REAL_PATH "${PROJECT_SOURCE_DIR}" rm_source)
    endif()
    if(rm_status EQUAL 0 AND rm_top STREQUAL rm_source)
      execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                      OUTPUT_VARIABLE rm_epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      set(rm_epoch_from "the last commit")
      # A new commit or checkout configures again, so the stamp follows it.
      execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --git-path HEAD --git-path logs/HEAD
                      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                      OUTPUT_VARIABLE rm_git_files OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      string(REPLACE "\n" ";" rm_git_files "${rm_git_files}")
      foreach(rm_git_file IN LISTS rm_git_files)
        get_filename_component(rm_git_file "${rm_git_file}" ABSOLUTE BASE_DIR ${PROJECT_SOURCE_DIR})
        if(EXISTS "${rm_git_file}")
          set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${rm_git_file}")
        endif()
      endforeach()
    endif()
  endif()
endif()
if(rm_epoch STREQUAL "")
  file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog rm_trailers REGEX "^ -- .*>  ")
  list(GET rm_trailers 0 rm_newest)
  string(REGEX REPLACE "^ -- .*>  " "" rm_date "${rm_newest}")
  execute_process(COMMAND date -u -d "${rm_date}" +%s
                  OUTPUT_VARIABLE rm_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                  COMMAND_ERROR_IS_FATAL ANY)
  set(rm_epoch_from "the changelog")
endif()
if(NOT rm_epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH from ${rm_epoch_from} is not a number: '${rm_epoch}'")
endif()
set(RIPPLEMOOR_SOURCE_DATE_EPOCH ${rm_epoch})
message(STATUS "SOURCE_DATE_EPOCH ${RIPPLEMOOR_SOURCE_DATE_EPOCH} (from ${rm_epoch_from})")

# No build path in any object: __FILE__ and debug information name files
# relative to the source or the build folder. GCC tries the map given last
# first, so the build folder, often inside the source tree, comes second.
# Sanitizer and fuzzing reports keep full paths: nothing of them ships.
if(NOT RIPPLEMOOR_SANITIZE AND NOT RIPPLEMOOR_FUZZ)
  add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.
                      -ffile-prefix-map=${PROJECT_BINARY_DIR}=.)
endif()
