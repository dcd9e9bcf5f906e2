# launcher.exe for 32-bit Windows, Windows 95 to 11.
#
# The program is linked without the C runtime and without start-up files: it
# imports only from KERNEL32, USER32, GDI32 and ADVAPI32, starts at
# LauncherEntry (src/main.cpp), and its code is built for a 486 so that it
# runs on any period processor. Whatever the compiler still expects of a C
# library (block copies and fills) lives in src/win32.
enable_language(RC)

# Nothing in a program depends on where the sources lie: the same commit
# built in two folders gives the same bytes (the release is checked for it).
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>")

# A program's version resource, made from res/version.rc.in with the numbers
# of the file VERSION; it shows on the Details page of the file's properties.
function(launcher_version_resource target description)
  set(VERSION_FILE_NAME ${target}.exe)
  set(VERSION_INTERNAL_NAME ${target})
  set(VERSION_DESCRIPTION ${description})
  configure_file(${CMAKE_SOURCE_DIR}/res/version.rc.in ${CMAKE_BINARY_DIR}/${target}-version.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/${target}-version.rc)
endfunction()

file(GLOB LAUNCHER_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/win32/*.cpp)
# The block fill and copy must not be turned back into calls to themselves,
# and they stay ordinary objects: calls to them appear only as the link-time
# code generation runs, too late to pull them out of the optimiser's input.
set_source_files_properties(${LAUNCHER_WIN32_SOURCES} PROPERTIES
  COMPILE_OPTIONS "-fno-builtin;-fno-tree-loop-distribute-patterns;-fno-lto")

# Everything that makes a program of this build: no C runtime, no start-up
# files, entry at LauncherEntry, 486 code, Windows 95 header, the compact
# section layout of win32.ld. The code is optimised for size across files
# (link-time optimisation), so the code generation options are given to the
# link as well: that is where the code is made.
# No frame pointer: nothing walks the launcher's stack, and every function
# is the smaller for it.
# Arguments are pushed, not stored into space kept below every frame: each
# call is the shorter for it. The compiler keeps that space only so that it
# can probe a frame larger than a page, and no frame of the launcher comes
# near a page (the largest is about 2 KiB): the build fails should one pass
# 3.5 KiB, which with the arguments pushed on it still stays within the one
# guard page Windows grows a stack by, so none needs the probe.
set(LAUNCHER_CODEGEN_OPTIONS
  -Oz -flto -march=i486 -mtune=pentium -mpreferred-stack-boundary=2 -fomit-frame-pointer
  -mno-stack-arg-probe -mno-accumulate-outgoing-args -Werror=frame-larger-than=3584
  -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-unwind-tables
  -fno-stack-protector -fno-threadsafe-statics -fno-ident -ffunction-sections)
function(launcher_windows_program target)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/res)
  target_compile_options(${target} PRIVATE
    "$<$<COMPILE_LANGUAGE:CXX>:${LAUNCHER_CODEGEN_OPTIONS};-Wall;-Wextra>")
  # windres looks for the files a resource script names in res/.
  target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:RC>:-I${CMAKE_SOURCE_DIR}/res>)
  target_link_options(${target} PRIVATE
    ${LAUNCHER_CODEGEN_OPTIONS}
    -nostdlib -nostartfiles -s
    -Wl,--entry,_LauncherEntry@0
    -Wl,--subsystem,windows:4.0
    -Wl,--major-os-version,4 -Wl,--minor-os-version,0
    -Wl,-T,${CMAKE_SOURCE_DIR}/cmake/win32.ld
    -Wl,--gc-sections
    -Wl,--no-insert-timestamp)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/win32.ld)
  # libgcc last: it is only there for helpers the compiler may call (none
  # today, with no stack probe); the disassembly scan in tests/pe checks that
  # it brings no instruction a 486 lacks.
  target_link_libraries(${target} PRIVATE kernel32 user32 gdi32 advapi32 gcc)
endfunction()

# The resource script pulls in the files beside it (the manifest, the bitmap,
# the icon); a change to any of them rebuilds the resources.
file(GLOB LAUNCHER_RESOURCE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/*)
list(REMOVE_ITEM LAUNCHER_RESOURCE_FILES ${CMAKE_SOURCE_DIR}/res/launcher.rc)
set_source_files_properties(res/launcher.rc PROPERTIES OBJECT_DEPENDS "${LAUNCHER_RESOURCE_FILES}")

add_executable(launcher WIN32 ${LAUNCHER_LOGIC_SOURCES} ${LAUNCHER_WIN32_SOURCES} src/main.cpp res/launcher.rc)
launcher_windows_program(launcher)
# Beside the resources of res/launcher.rc, in a script of its own, so that
# those stay as they are.
launcher_version_resource(launcher "CD AutoPlay Launcher")

# The floor of the start-up benchmark (bench/startup.sh): one empty dialog,
# built exactly like the launcher.
set_source_files_properties(bench/startup_floor.rc PROPERTIES OBJECT_DEPENDS "${LAUNCHER_RESOURCE_FILES}")
add_executable(startup_floor WIN32 bench/startup_floor.cpp bench/startup_floor.rc)
launcher_windows_program(startup_floor)

# disccheck.exe: the disc authors' checker for Windows XP and later, from the
# same sources as build/native/disccheck (the simulated platform included),
# as an ordinary console program with the C and C++ runtimes linked in, and
# libarchive for images, built from Debian's source by
# scripts/mingw-libarchive.sh (Debian packages none for MinGW); the first
# configure builds it, later ones find it in build/.
# MINGW_LIBARCHIVE_DIR in the environment names another such folder (the
# release check's second clone borrows this tree's).
set(mingw_libarchive_default ${CMAKE_SOURCE_DIR}/build/mingw-libarchive)
if(DEFINED ENV{MINGW_LIBARCHIVE_DIR})
  set(mingw_libarchive_default $ENV{MINGW_LIBARCHIVE_DIR})
endif()
set(MINGW_LIBARCHIVE_DIR ${mingw_libarchive_default} CACHE PATH
    "libarchive for i686-w64-mingw32: lib/libarchive.a and include/")
execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/mingw-libarchive.sh ${MINGW_LIBARCHIVE_DIR}
  RESULT_VARIABLE mingw_libarchive_status)
if(NOT mingw_libarchive_status EQUAL 0)
  message(FATAL_ERROR "scripts/mingw-libarchive.sh could not build libarchive for disccheck.exe (above)")
endif()
include(${CMAKE_SOURCE_DIR}/tools/disccheck/sources.cmake)
add_disccheck_program()
target_include_directories(disccheck PRIVATE ${MINGW_LIBARCHIVE_DIR}/include)
target_compile_definitions(disccheck PRIVATE LIBARCHIVE_STATIC)
target_link_libraries(disccheck PRIVATE ${MINGW_LIBARCHIVE_DIR}/lib/libarchive.a)
target_compile_options(disccheck PRIVATE
  "$<$<COMPILE_LANGUAGE:CXX>:-include;${CMAKE_SOURCE_DIR}/tools/disccheck/mingw_compat.h;-Wall;-Wextra>")
target_link_options(disccheck PRIVATE -static -s
  -Wl,--major-subsystem-version,5 -Wl,--minor-subsystem-version,1
  -Wl,--major-os-version,5 -Wl,--minor-os-version,1
  -Wl,--no-insert-timestamp)
launcher_version_resource(disccheck "CD AutoPlay Launcher disc checker")
