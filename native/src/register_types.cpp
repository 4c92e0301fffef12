#include "register_types.h"

#include "libretro_player.h"

#include <godot_cpp/core/class_db.hpp>

namespace tovarune {

void initialize_module(godot::ModuleInitializationLevel p_level) {
    if (p_level != godot::MODULE_INITIALIZATION_LEVEL_SCENE) {
        return;
    }
    GDREGISTER_CLASS(LibretroPlayer);
}

void uninitialize_module(godot::ModuleInitializationLevel) {}

} // namespace tovarune

extern "C" GDExtensionBool GDE_EXPORT tovarune_library_init(
    GDExtensionInterfaceGetProcAddress p_get_proc_address, GDExtensionClassLibraryPtr p_library,
    GDExtensionInitialization *r_initialization) {
    const godot::GDExtensionBinding::InitObject init_object(p_get_proc_address, p_library,
                                                            r_initialization);
    init_object.register_initializer(tovarune::initialize_module);
    init_object.register_terminator(tovarune::uninitialize_module);
    init_object.set_minimum_library_initialization_level(godot::MODULE_INITIALIZATION_LEVEL_SCENE);
    return init_object.init();
}
