#!/bin/sh
# The tidy preset's CMAKE_CXX_CLANG_TIDY: runs the clang-tidy named first on
# each source of ours and skips what AUTOMOC writes into the build tree
# (*_autogen/mocs_compilation.cpp), which is Qt's code, not ours. CMake calls
# it as: CLANG_TIDY [OPTIONS] SOURCE -- COMPILER ARGS.
# Usage: tidy-own-sources.sh CLANG_TIDY ARGS...
for arg; do
    case $arg in
    --) break ;;
    */*_autogen/*) exit 0 ;;
    esac
done
exec "$@"
