#pragma once

// Test stand-in for the binding library's entry: init() fills the engine's
// initialization record with functions that call the registered callbacks.

#include <gdextension_interface.h>

namespace godot {

enum ModuleInitializationLevel {
    MODULE_INITIALIZATION_LEVEL_CORE = GDEXTENSION_INITIALIZATION_CORE,
    MODULE_INITIALIZATION_LEVEL_SERVERS = GDEXTENSION_INITIALIZATION_SERVERS,
    MODULE_INITIALIZATION_LEVEL_SCENE = GDEXTENSION_INITIALIZATION_SCENE,
    MODULE_INITIALIZATION_LEVEL_EDITOR = GDEXTENSION_INITIALIZATION_EDITOR,
    MODULE_INITIALIZATION_LEVEL_MAX
};

class GDExtensionBinding {
public:
    using Callback = void (*)(ModuleInitializationLevel p_level);

    class InitObject {
        GDExtensionInterfaceGetProcAddress get_proc_address;
        GDExtensionClassLibraryPtr library;
        GDExtensionInitialization *initialization;

    public:
        InitObject(GDExtensionInterfaceGetProcAddress p_get_proc_address,
                   GDExtensionClassLibraryPtr p_library,
                   GDExtensionInitialization *r_initialization);

        void register_initializer(Callback p_init) const;
        void register_terminator(Callback p_init) const;
        void set_minimum_library_initialization_level(ModuleInitializationLevel p_level) const;
        // False when the engine lacks the function the stand-in asks for.
        GDExtensionBool init() const;
    };
};

} // namespace godot
