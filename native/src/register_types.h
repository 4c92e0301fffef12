#pragma once

#include <godot_cpp/core/defs.hpp>
#include <godot_cpp/godot.hpp>

namespace tovarune {

// Registers LibretroPlayer when the engine reaches the scene level.
void initialize_module(godot::ModuleInitializationLevel p_level);
// The binding library unregisters the class itself.
void uninitialize_module(godot::ModuleInitializationLevel p_level);

} // namespace tovarune

extern "C" GDExtensionBool GDE_EXPORT tovarune_library_init(
    GDExtensionInterfaceGetProcAddress p_get_proc_address, GDExtensionClassLibraryPtr p_library,
    GDExtensionInitialization *r_initialization);
