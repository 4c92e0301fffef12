# The Godot extension itself, built against godot-cpp's own CMake project: a
# plain godot-cpp checkout (with its gdextension/extension_api.json) becomes a
# subdirectory of this build, and linking its target gives the extension the
# exact compile flags and definitions the bindings are built with. Nobody runs
# SCons. GODOTCPP_TARGET chooses template_debug or template_release.

set(GODOTCPP_TARGET "template_debug" CACHE STRING "godot-cpp target: template_debug or template_release")
if(NOT GODOTCPP_TARGET MATCHES "^template_(debug|release)$")
  message(FATAL_ERROR "GODOTCPP_TARGET must be template_debug or template_release, not '${GODOTCPP_TARGET}'")
endif()
foreach(required CMakeLists.txt gdextension/extension_api.json)
  if(NOT EXISTS "${TOVARUNE_GODOT_CPP}/${required}")
    message(FATAL_ERROR "${TOVARUNE_GODOT_CPP}/${required} is missing: TOVARUNE_GODOT_CPP must be a godot-cpp 4.5 checkout")
  endif()
endforeach()
# Only the engine classes the extension uses are bound, which keeps godot-cpp's
# own build to a minute or so.
set(GODOTCPP_BUILD_PROFILE "${CMAKE_CURRENT_LIST_DIR}/godot_cpp_profile.json" CACHE PATH
    "godot-cpp build profile: the engine classes to bind")
# Its headers are third-party code: our warnings-as-errors stay on our own code.
set(GODOTCPP_SYSTEM_HEADERS ON)
add_subdirectory("${TOVARUNE_GODOT_CPP}" "${CMAKE_BINARY_DIR}/godot-cpp" EXCLUDE_FROM_ALL)

add_library(tovarune_extension SHARED src/register_types.cpp src/libretro_player.cpp src/libretro_player_input.cpp src/libretro_player_options.cpp src/libretro_player_discs.cpp src/godot_files.cpp src/engine_text.cpp src/player_signals.cpp ${host_sources})
target_include_directories(tovarune_extension PRIVATE src src/host ${LIBRETRO_INCLUDE_DIR})
target_link_libraries(tovarune_extension PRIVATE godot::cpp ${CMAKE_DL_LIBS})
if(WIN32)
  target_link_libraries(tovarune_extension PRIVATE gdi32 user32) # the hidden windows of GL contexts
endif()
target_compile_options(tovarune_extension PRIVATE ${TOVARUNE_WARNINGS})

# The editor's class reference, compiled in where the editor can show it.
if(GODOTCPP_TARGET STREQUAL "template_debug")
  # godot-cpp's generator runs in this directory, which needs its own Python.
  find_package(Python3 3.4 REQUIRED COMPONENTS Interpreter)
  target_doc_sources(tovarune_extension "${PROJECT_SOURCE_DIR}/doc_classes/LibretroPlayer.xml")
endif()

if(NOT WIN32)
  # tovarune_library_init is the only export: the static C++ runtime and the
  # standard library's template instances stay private.
  set(tovarune_exports "${CMAKE_CURRENT_BINARY_DIR}/tovarune_exports.map")
  file(WRITE "${tovarune_exports}" "{ global: tovarune_library_init; local: *; };\n")
  target_link_options(tovarune_extension PRIVATE -Wl,--no-undefined -Wl,--version-script=${tovarune_exports})
endif()

# libtovarune.linux.template_debug.x86_64.so, tovarune.windows.template_debug.x86_64.dll:
# the names tovarune.gdextension lists.
if(WIN32)
  set(tovarune_platform windows)
  set(tovarune_prefix "")
else()
  set(tovarune_platform linux)
  set(tovarune_prefix "lib")
endif()
set(tovarune_bin_dir "${PROJECT_SOURCE_DIR}/demo/addons/tovarune/bin")
set_target_properties(tovarune_extension PROPERTIES
  OUTPUT_NAME "tovarune.${tovarune_platform}.${GODOTCPP_TARGET}.x86_64"
  PREFIX "${tovarune_prefix}"
  CXX_VISIBILITY_PRESET hidden
  # The generator expressions keep multi-config generators from adding a subdirectory.
  LIBRARY_OUTPUT_DIRECTORY "$<1:${tovarune_bin_dir}>"
  RUNTIME_OUTPUT_DIRECTORY "$<1:${tovarune_bin_dir}>"
  ARCHIVE_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}")
