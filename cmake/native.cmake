# The program's logic on Linux against the simulated Win32 platform, with
# the unit tests, fuzzers and tools built on it.
option(LAUNCHER_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
if(LAUNCHER_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
add_compile_options(-Wall -Wextra)

file(GLOB WINSIM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/sim/*.cpp)
add_library(winsim STATIC ${WINSIM_SOURCES})
target_include_directories(winsim PUBLIC ${CMAKE_SOURCE_DIR}/sim/include ${CMAKE_SOURCE_DIR}/sim)

add_library(launcher_logic STATIC ${LAUNCHER_LOGIC_SOURCES})
target_include_directories(launcher_logic PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/res)
target_link_libraries(launcher_logic PUBLIC winsim)

enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_TEST_SOURCES})
target_include_directories(unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/unit)
target_link_libraries(unit_tests PRIVATE launcher_logic GTest::gtest GTest::gmock GTest::gtest_main)
target_compile_definitions(unit_tests PRIVATE LAUNCHER_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
gtest_discover_tests(unit_tests DISCOVERY_MODE PRE_TEST)

# The resource script compiled as the Windows build compiles it, so the unit
# tests can read back every byte of the templates, the bitmap and the icon.
find_program(LAUNCHER_WINDRES i686-w64-mingw32-windres REQUIRED)
file(GLOB LAUNCHER_RES_INPUTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/*)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/launcher.res
  COMMAND ${LAUNCHER_WINDRES} -I ${CMAKE_SOURCE_DIR}/res --output-format=res
          ${CMAKE_SOURCE_DIR}/res/launcher.rc -o ${CMAKE_BINARY_DIR}/launcher.res
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/res
  DEPENDS ${LAUNCHER_RES_INPUTS}
  VERBATIM)
add_custom_target(launcher_res DEPENDS ${CMAKE_BINARY_DIR}/launcher.res)
add_dependencies(unit_tests launcher_res)
target_compile_definitions(unit_tests PRIVATE LAUNCHER_RES_FILE="${CMAKE_BINARY_DIR}/launcher.res")

foreach(sub tests/fuzz tests/e2e tests/pe tools bench)
  if(EXISTS ${CMAKE_SOURCE_DIR}/${sub}/CMakeLists.txt)
    add_subdirectory(${sub})
  endif()
endforeach()
