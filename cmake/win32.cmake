# launcher.exe for 32-bit Windows.
enable_language(RC)

add_executable(launcher WIN32 ${LAUNCHER_LOGIC_SOURCES} src/main.cpp res/launcher.rc)
target_include_directories(launcher PRIVATE src res)
target_compile_options(launcher PRIVATE -Os -fno-exceptions -fno-rtti -Wall -Wextra)
target_link_options(launcher PRIVATE -static -s)
target_link_libraries(launcher PRIVATE user32 gdi32 advapi32 shell32)
