# The checker's sources, the same for build/native/disccheck and for
# build/win32/disccheck.exe; each build adds its own image reader.
set(DISCCHECK_SOURCES
  disccheck.cpp report.cpp disc_files.cpp machine.cpp profile_file.cpp config_check.cpp bitmap_check.cpp
  layout_check.cpp prediction.cpp regfile.cpp signature_check.cpp image_check.cpp text_check.cpp
  text_fit.cpp)
list(TRANSFORM DISCCHECK_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
