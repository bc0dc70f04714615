# korvel_header_closure(<out-var> <root-header>...)
#
# The headers a host needs: the given roots (paths relative to lib/, such as
# file/FileHandler.h) and every header of the project they include, directly
# or through others. Includes are found under lib/ and the generated folder;
# system and third-party headers (#include <...>) are left out. Each entry of
# the result is "<relative path>|<absolute path>".
function(korvel_header_closure out)
  set(bases "${PROJECT_SOURCE_DIR}/lib" "${KORVEL_GENERATED_DIR}")
  set(pending ${ARGN})
  set(seen)
  set(result)
  while(pending)
    list(POP_FRONT pending header)
    if(header IN_LIST seen)
      continue()
    endif()
    list(APPEND seen "${header}")
    set(found "")
    foreach(base IN LISTS bases)
      if(EXISTS "${base}/${header}")
        set(found "${base}/${header}")
        break()
      endif()
    endforeach()
    if(NOT found)
      message(FATAL_ERROR "Public header ${header} not found under lib/ or the generated folder")
    endif()
    list(APPEND result "${header}|${found}")
    # A changed include line changes the closure: configure again then.
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${found}")
    file(STRINGS "${found}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    get_filename_component(folder "${header}" DIRECTORY)
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*$" "\\1" included "${line}")
      # An include relative to the including header's folder ("Cli.h") or to lib/.
      set(candidate "${included}")
      set(known FALSE)
      foreach(base IN LISTS bases)
        if(EXISTS "${base}/${included}")
          set(known TRUE)
        endif()
      endforeach()
      if(NOT known AND folder AND EXISTS "${PROJECT_SOURCE_DIR}/lib/${folder}/${included}")
        set(candidate "${folder}/${included}")
      endif()
      list(APPEND pending "${candidate}")
    endforeach()
  endwhile()
  list(SORT result)
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

# korvel_install_headers(<component> <closure-entry>...)
#
# Installs each header of a closure under include/korvel/, keeping its
# folder, so that "file/FileHandler.h" resolves with -I<includedir>/korvel.
function(korvel_install_headers component)
  foreach(entry IN LISTS ARGN)
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 0 relative)
    list(GET parts 1 absolute)
    get_filename_component(folder "${relative}" DIRECTORY)
    install(FILES "${absolute}"
      DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/korvel/${folder}"
      COMPONENT ${component})
  endforeach()
endfunction()
