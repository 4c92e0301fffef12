#pragma once

// What the godot-cpp stand-in lets tests inspect: the registered classes and
// methods, the live images and textures, and the errors the engine would have
// printed. Not part of godot-cpp.

#include <godot_cpp/variant/variant.hpp>

#include <any>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace godot::stand_in {

struct MethodRecord {
    std::string name;
    std::vector<std::string> argument_names;
    std::vector<Variant> default_arguments;
    std::size_t parameter_count = 0;
    bool is_const = false;
    std::any method; // the member function pointer as bound
};

struct SignalRecord {
    std::string name;
    std::vector<std::string> argument_names;
};

struct ClassRecord {
    std::string name;
    std::string parent;
    bool is_virtual = false;
    int level = -1; // initialization level being entered when registered
    std::vector<MethodRecord> methods;
    std::vector<SignalRecord> signals;
};

// A signal an object emitted, with its arguments.
struct Emitted {
    const void *object;
    std::string name;
    std::vector<Variant> arguments;
};
std::vector<Emitted> &emitted();

// What push_warning and push_error printed, one line each, "WARNING: " or
// "ERROR: " first.
std::vector<std::string> &printed();

std::vector<ClassRecord> &classes();
const ClassRecord *find_class(const std::string &name);
// Forgets every registration and error.
void reset();

// Errors the engine would print: invalid UTF-8 decoded, mismatched image data
// or texture updates.
int &engine_errors();
// Level that the stand-in's initialization record is entering; -1 outside.
int &current_level();

// Where the stand-in engine keeps a game's files: the pack (res://), the user
// data (user://) and the executable.
std::string &pack_directory();
std::string &user_directory();
std::string &executable_directory();

int live_images();
int live_textures();

// Run at the end of every ImageTexture::update, as the engine runs the
// handlers of the texture's `changed` signal.
std::function<void()> &texture_changed();

} // namespace godot::stand_in
