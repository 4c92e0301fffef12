# The Godot extension itself, linked against a godot-cpp 4.5 checkout that the
# user has built with SCons for the same platform and target. Code that
# includes godot-cpp is compiled with the flags godot-cpp was built with, or
# class layouts and registration disagree; the host sources are compiled into
# the library with those same flags.

if(NOT TOVARUNE_TARGET MATCHES "^template_(debug|release)$")
  message(FATAL_ERROR "TOVARUNE_TARGET must be template_debug or template_release, not '${TOVARUNE_TARGET}'")
endif()
if(WIN32)
  set(tovarune_platform windows)
else()
  set(tovarune_platform linux)
endif()

set(godot_cpp_library
    "${TOVARUNE_GODOT_CPP}/bin/libgodot-cpp.${tovarune_platform}.${TOVARUNE_TARGET}.x86_64.a")
foreach(required
    "${TOVARUNE_GODOT_CPP}/include/godot_cpp/godot.hpp"
    "${TOVARUNE_GODOT_CPP}/gen/include/godot_cpp/classes/image_texture.hpp"
    "${TOVARUNE_GODOT_CPP}/gdextension/gdextension_interface.h"
    "${godot_cpp_library}")
  if(NOT EXISTS "${required}")
    message(FATAL_ERROR "${required} is missing: build godot-cpp first, in ${TOVARUNE_GODOT_CPP}: "
                        "scons platform=${tovarune_platform} target=${TOVARUNE_TARGET} arch=x86_64")
  endif()
endforeach()

add_library(tovarune_extension SHARED src/register_types.cpp src/libretro_player.cpp ${host_sources})
target_include_directories(tovarune_extension PRIVATE src src/host ${LIBRETRO_INCLUDE_DIR})
target_include_directories(tovarune_extension SYSTEM PRIVATE
  "${TOVARUNE_GODOT_CPP}/include"
  "${TOVARUNE_GODOT_CPP}/gen/include"
  "${TOVARUNE_GODOT_CPP}/gdextension")

target_compile_definitions(tovarune_extension PRIVATE GDEXTENSION THREADS_ENABLED NDEBUG)
if(WIN32)
  target_compile_definitions(tovarune_extension PRIVATE WINDOWS_ENABLED)
else()
  target_compile_definitions(tovarune_extension PRIVATE LINUX_ENABLED UNIX_ENABLED)
endif()
if(TOVARUNE_TARGET STREQUAL "template_debug")
  target_compile_definitions(tovarune_extension PRIVATE DEBUG_ENABLED HOT_RELOAD_ENABLED)
  if(NOT WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # As godot-cpp does for hot reload: lets the library truly unload.
    target_compile_options(tovarune_extension PRIVATE -fno-gnu-unique)
  endif()
endif()
target_compile_options(tovarune_extension PRIVATE -fno-exceptions -fvisibility=hidden ${TOVARUNE_WARNINGS})

target_link_libraries(tovarune_extension PRIVATE "${godot_cpp_library}")
if(WIN32)
  # No MinGW runtime DLL has to travel with the extension.
  target_link_options(tovarune_extension PRIVATE -static -static-libgcc -static-libstdc++
                      -Wl,--no-undefined)
else()
  target_link_libraries(tovarune_extension PRIVATE ${CMAKE_DL_LIBS})
  # The static C++ runtime stays private: tovarune_library_init is the only export.
  target_link_options(tovarune_extension PRIVATE -static-libgcc -static-libstdc++ -Wl,--no-undefined
                      -Wl,--exclude-libs,ALL)
endif()

# libtovarune.linux.template_debug.x86_64.so, tovarune.windows.template_debug.x86_64.dll
if(WIN32)
  set(tovarune_prefix "")
else()
  set(tovarune_prefix "lib")
endif()
set(tovarune_bin_dir "${PROJECT_SOURCE_DIR}/demo/addons/tovarune/bin")
set_target_properties(tovarune_extension PROPERTIES
  OUTPUT_NAME "tovarune.${tovarune_platform}.${TOVARUNE_TARGET}.x86_64"
  PREFIX "${tovarune_prefix}"
  # The generator expressions keep multi-config generators from adding a subdirectory.
  LIBRARY_OUTPUT_DIRECTORY "$<1:${tovarune_bin_dir}>"
  RUNTIME_OUTPUT_DIRECTORY "$<1:${tovarune_bin_dir}>"
  ARCHIVE_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}")
