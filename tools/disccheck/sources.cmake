# The checker's sources, the same for build/native/disccheck and for
# build/win32/disccheck.exe; each build links libarchive.
set(DISCCHECK_SOURCES
  disccheck.cpp report.cpp disc_files.cpp machine.cpp profile_file.cpp config_check.cpp bitmap_check.cpp
  layout_check.cpp prediction.cpp regfile.cpp signature_check.cpp image_check.cpp text_check.cpp
  text_fit.cpp languages.cpp language_check.cpp disc_place.cpp machine_model.cpp code_page.cpp image_read.cpp image_write.cpp image_clock.c)
list(TRANSFORM DISCCHECK_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)

# disccheck as a program of its own, with the simulated platform and the
# launcher's logic compiled in: the Windows build's disccheck.exe and the
# packaged Linux build.
function(add_disccheck_program)
  file(GLOB sim_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/sim/*.cpp)
  set(dir ${CMAKE_SOURCE_DIR}/tools/disccheck)
  add_executable(disccheck ${DISCCHECK_SOURCES} ${sim_sources} ${LAUNCHER_LOGIC_SOURCES}
    ${dir}/main.cpp)
  target_include_directories(disccheck PRIVATE ${CMAKE_SOURCE_DIR}/sim/include ${CMAKE_SOURCE_DIR}/sim
    ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/res ${dir})
  target_compile_definitions(disccheck PRIVATE
    "$<$<COMPILE_LANGUAGE:CXX>:DISCCHECK_VERSION=\"${PROJECT_VERSION}\">")
endfunction()
