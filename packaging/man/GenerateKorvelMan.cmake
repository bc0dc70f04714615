# cmake -DKORVEL=<korvel> -DTEMPLATE=<korvel.1.in> -DOUTPUT=<korvel.1>
#       -DVERSION=<version> -P GenerateKorvelMan.cmake
#
# Writes the korvel man page: the fixed sections come from the template, the
# COMMANDS and OPTIONS sections from what `korvel --help` and
# `korvel COMMAND --help` print, so the page and the program agree.

cmake_minimum_required(VERSION 3.25)

# Text as roff: backslashes as \e, hyphens as \-, and a line that would begin
# with a control character (. or ') protected by \&.
function(roff_text out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(run_korvel out)
  execute_process(COMMAND "${KORVEL}" ${ARGN}
    OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "korvel ${ARGN} failed (${status})")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# A help text as the body of a tagged paragraph: filled text, blank lines
# starting new indented paragraphs, indented lines kept on lines of their own.
function(roff_body out text)
  string(REGEX REPLACE "\n+$" "" text "${text}")
  string(REPLACE ";" "\\;" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(body "")
  foreach(line IN LISTS lines)
    if(line STREQUAL "")
      string(APPEND body ".IP\n")
    elseif(line MATCHES "^[ \t]")
      string(STRIP "${line}" line)
      roff_text(line "${line}")
      string(APPEND body ".br\n${line}\n")
    else()
      roff_text(line "${line}")
      string(APPEND body "${line}\n")
    endif()
  endforeach()
  set(${out} "${body}" PARENT_SCOPE)
endfunction()

run_korvel(overview --help)
string(REPLACE ";" "\\;" overview "${overview}")
string(REPLACE "\n" ";" overview_lines "${overview}")

# The overview lists the commands ("  korvel NAME ...") under "commands:" and
# the options ("  --name  text", "  --name VALUE  text", further lines of the
# text indented deeper) under "options:".
set(section "")
set(commands "")
set(KORVEL_MAN_OPTIONS "")
foreach(line IN LISTS overview_lines)
  if(line MATCHES "^([a-z]+):$")
    set(section "${CMAKE_MATCH_1}")
  elseif(section STREQUAL "commands" AND line MATCHES "^  korvel ([a-z0-9][a-z0-9-]*)")
    list(APPEND commands "${CMAKE_MATCH_1}")
  elseif(section STREQUAL "options" AND line MATCHES "^  (-[^ ]+( [-A-Z][^ ]*)*)  +(.*)$")
    roff_text(name "${CMAKE_MATCH_1}")
    roff_text(text "${CMAKE_MATCH_3}")
    string(APPEND KORVEL_MAN_OPTIONS ".TP\n.B ${name}\n${text}\n")
  elseif(section STREQUAL "options" AND KORVEL_MAN_OPTIONS AND line MATCHES "^    +([^ ].*)$")
    # A further line of the option above.
    roff_text(text "${CMAKE_MATCH_1}")
    string(APPEND KORVEL_MAN_OPTIONS "${text}\n")
  elseif(line STREQUAL "")
    set(section "")
  endif()
endforeach()
if(NOT commands)
  message(FATAL_ERROR "korvel --help lists no commands")
endif()

set(KORVEL_MAN_COMMANDS "")
foreach(command IN LISTS commands)
  run_korvel(help ${command} --help)
  # "usage: <usage line>", a blank line, then the description.
  if(NOT help MATCHES "^usage: ([^\n]*)\n\n?(.*)$")
    message(FATAL_ERROR "korvel ${command} --help: unexpected form")
  endif()
  set(usage "${CMAKE_MATCH_1}")
  set(description "${CMAKE_MATCH_2}")
  roff_text(usage "${usage}")
  roff_body(body "${description}")
  string(APPEND KORVEL_MAN_COMMANDS ".TP\n.B ${usage}\n${body}")
endforeach()

# The template puts each section on lines of its own.
string(REGEX REPLACE "\n$" "" KORVEL_MAN_COMMANDS "${KORVEL_MAN_COMMANDS}")
string(REGEX REPLACE "\n$" "" KORVEL_MAN_OPTIONS "${KORVEL_MAN_OPTIONS}")
set(KORVEL_VERSION "${VERSION}")
file(READ "${TEMPLATE}" page)
string(CONFIGURE "${page}" page @ONLY)
file(WRITE "${OUTPUT}.tmp" "${page}")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
