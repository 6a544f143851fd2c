# Hardens every build as Debian 12 builds its own packages (dpkg-buildflags
# with hardening=+all): position-independent executables, stack protector,
# read-only relocations bound at start, and glibc's checked string and memory
# functions. Control-flow protection is left out as Debian 12 leaves it: its
# C library's start files lack the mark, so no program there can carry it.
include(CheckPIESupported)
check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
add_compile_options(-fstack-protector-strong)
add_link_options(LINKER:-z,relro LINKER:-z,now)
# The checked functions need the optimiser's object sizes: without it glibc
# only warns, which -Werror would turn into a failed debug build.
add_compile_definitions($<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>)
