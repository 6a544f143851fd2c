# src/ is the one include root, so an include names the library it comes
# from ("core/playback/PlaybackSession.h"), and each part may include only
# what it stands on: base <- core <- engine and desktop, desktop <- gui,
# main.cpp all of them.
# Tests may also include their helpers (support/, fakes/) and their own
# generated .moc file.
# Run with -DROOT=<source folder>.
cmake_minimum_required(VERSION 3.25)
set(layers
  "src/base:base"
  "src/core:base core"
  "src/engine:base core engine"
  "src/desktop:base core desktop"
  "src/gui:base core desktop gui"
  "src/main.cpp:base core engine desktop gui"
  "tests/base:base support fakes"
  "tests/core:base core support fakes"
  "tests/engine:base core engine support fakes"
  "tests/desktop:base core desktop support fakes"
  "tests:base core engine desktop gui support fakes")

file(GLOB_RECURSE files RELATIVE ${ROOT}
  ${ROOT}/src/*.h ${ROOT}/src/*.h.in ${ROOT}/src/*.cpp ${ROOT}/tests/*.h ${ROOT}/tests/*.cpp)
set(found "")
foreach(name IN LISTS files)
  set(allowed "")
  foreach(layer IN LISTS layers)
    string(REGEX REPLACE ":.*" "" place "${layer}")
    if(allowed STREQUAL "" AND (name STREQUAL place OR name MATCHES "^${place}/"))
      string(REGEX REPLACE ".*:" "" allowed "${layer}")
      separate_arguments(allowed)
    endif()
  endforeach()
  file(STRINGS ${ROOT}/${name} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*" "\\1" included "${line}")
    if(name MATCHES "^tests/" AND included MATCHES "^test_[a-z_]+\\.moc$")
      continue()
    endif()
    string(REGEX REPLACE "/.*" "" library "${included}")
    if(NOT included MATCHES "/" OR NOT library IN_LIST allowed)
      string(APPEND found "${name}: \"${included}\"\n")
    endif()
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "Includes that do not name a library this part may use:\n${found}")
endif()
