# Tests follow the code. Each unit below the window, src/<lib>/<dir>/<Unit>.cpp
# for base, core, engine and desktop, is tested in
# tests/<lib>/<dir>/test_<unit>.cpp, its name in lower case with '_' between
# the words (PlaybackSession: test_playback_session.cpp); a unit whose tests
# are long may add test_<unit>_<aspect>.cpp. Every test file there belongs to
# a unit of its folder, so a unit that moves takes its tests along. The
# window's tests (tests/gui) check its wiring and are not held to this.
# Run with -DROOT=<source folder>.
cmake_minimum_required(VERSION 3.25)

# The few units without a test of their own, and why none is needed.
set(untested
  "core/app/StandardError.cpp: its lines are read from the real program's standard error, where they matter (gui/app/test_display, gui/app/test_instances)"
  "core/scheduler/AlarmTime.cpp: the tick's reading of a stored time, its caught-up minutes and the pickers' marks, tested row by row through the tick that uses them (core/playback/test_playback_session_tick)"
  "engine/MpvLibrary.cpp: libmpv's entry points for the controller, whose tests call through it throughout and check when it is loaded (engine/test_mpv_controller)"
  "engine/PulseLibrary.cpp: libpulse's entry points for the sound output, whose tests call through it against a real server (engine/test_pulse_output)"
  "desktop/MprisRoot.cpp: the player's name and the window's Raise and Quit, read and called over a private bus in desktop/test_mpris and gui/app/test_desktop_link"
  "desktop/MprisPlayer.cpp: the player's interface, read and driven over a private bus in desktop/test_mpris"
  "engine/ToneWav.cpp: writes the test tones and the player's chime, heard in engine/test_mpv_controller and e2e/test_real_sound")

set(exempt "")
foreach(entry IN LISTS untested)
  string(REGEX REPLACE ":.*" "" unit "${entry}")
  list(APPEND exempt ${unit})
endforeach()

set(found "")
file(GLOB_RECURSE units RELATIVE ${ROOT}/src
  ${ROOT}/src/base/*.cpp ${ROOT}/src/core/*.cpp ${ROOT}/src/engine/*.cpp
  ${ROOT}/src/desktop/*.cpp)
set(known "")
foreach(unit IN LISTS units)
  get_filename_component(dir ${unit} DIRECTORY)
  get_filename_component(name ${unit} NAME_WE)
  string(REGEX REPLACE "([a-z0-9])([A-Z])" "\\1_\\2" snake "${name}")
  string(TOLOWER "${snake}" snake)
  list(APPEND known "${dir}/test_${snake}")
  set(test "tests/${dir}/test_${snake}.cpp")
  list(FIND exempt ${unit} at)
  if(at GREATER -1)
    if(EXISTS ${ROOT}/${test})
      string(APPEND found "${unit} is listed as untested, yet has ${test}\n")
    endif()
  elseif(NOT EXISTS ${ROOT}/${test})
    string(APPEND found "${unit} has no ${test}\n")
  endif()
endforeach()

foreach(unit IN LISTS exempt)
  if(NOT EXISTS ${ROOT}/src/${unit})
    string(APPEND found "${unit} is listed as untested but is gone\n")
  endif()
endforeach()

file(GLOB_RECURSE tests RELATIVE ${ROOT}/tests
  ${ROOT}/tests/base/test_*.cpp ${ROOT}/tests/core/test_*.cpp ${ROOT}/tests/engine/test_*.cpp
  ${ROOT}/tests/desktop/test_*.cpp)
foreach(test IN LISTS tests)
  string(REGEX REPLACE "\\.cpp$" "" stem "${test}")
  set(owned FALSE)
  foreach(prefix IN LISTS known)
    if(stem STREQUAL prefix OR stem MATCHES "^${prefix}_")
      set(owned TRUE)
    endif()
  endforeach()
  if(NOT owned)
    get_filename_component(dir ${test} DIRECTORY)
    string(APPEND found "tests/${test} names no unit of src/${dir}\n")
  endif()
endforeach()

if(found)
  message(FATAL_ERROR "Tests do not mirror the code:\n${found}")
endif()
