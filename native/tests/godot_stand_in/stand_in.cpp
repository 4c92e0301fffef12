#include <stand_in.hpp>

#include <godot_cpp/classes/dir_access.hpp>
#include <godot_cpp/classes/file_access.hpp>
#include <godot_cpp/classes/image.hpp>
#include <godot_cpp/classes/image_texture.hpp>
#include <godot_cpp/classes/os.hpp>
#include <godot_cpp/classes/project_settings.hpp>
#include <godot_cpp/classes/thread.hpp>
#include <godot_cpp/godot.hpp>
#include <godot_cpp/variant/string.hpp>

#include <filesystem>
#include <thread>

namespace godot {
namespace stand_in {
namespace {

int image_count = 0;
int texture_count = 0;

struct Binding {
    GDExtensionBinding::Callback initializer = nullptr;
    GDExtensionBinding::Callback terminator = nullptr;
    GDExtensionInitializationLevel minimum = GDEXTENSION_INITIALIZATION_CORE;
} binding;

void initialize(void *, GDExtensionInitializationLevel p_level) {
    current_level() = p_level;
    if (binding.initializer != nullptr) {
        binding.initializer(static_cast<ModuleInitializationLevel>(p_level));
    }
    current_level() = -1;
}

void deinitialize(void *, GDExtensionInitializationLevel p_level) {
    if (binding.terminator != nullptr) {
        binding.terminator(static_cast<ModuleInitializationLevel>(p_level));
    }
}

// Length of the valid UTF-8 sequence at `s` (of `n` bytes), 0 when invalid.
std::size_t decode(const unsigned char *s, std::size_t n, char32_t &out) {
    if (s[0] < 0x80) {
        out = s[0];
        return 1;
    }
    std::size_t len = s[0] >= 0xF0 ? 4 : s[0] >= 0xE0 ? 3 : s[0] >= 0xC0 ? 2 : 0;
    if (len == 0 || s[0] > 0xF4 || len > n) {
        return 0;
    }
    char32_t c = s[0] & (0x7F >> len);
    for (std::size_t i = 1; i < len; ++i) {
        if ((s[i] & 0xC0) != 0x80) {
            return 0;
        }
        c = (c << 6) | (s[i] & 0x3F);
    }
    static const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < least[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return 0;
    }
    out = c;
    return len;
}

} // namespace

std::vector<ClassRecord> &classes() {
    static std::vector<ClassRecord> records;
    return records;
}

const ClassRecord *find_class(const std::string &name) {
    for (const ClassRecord &record : classes()) {
        if (record.name == name) {
            return &record;
        }
    }
    return nullptr;
}

std::vector<Emitted> &emitted() {
    static std::vector<Emitted> signals;
    return signals;
}

std::vector<std::string> &printed() {
    static std::vector<std::string> lines;
    return lines;
}

void reset() {
    classes().clear();
    emitted().clear();
    printed().clear();
    engine_errors() = 0;
    texture_changed() = nullptr;
    binding = Binding{};
}

int &engine_errors() {
    static int count = 0;
    return count;
}

int &current_level() {
    static int level = -1;
    return level;
}

int live_images() { return image_count; }
int live_textures() { return texture_count; }

std::function<void()> &texture_changed() {
    static std::function<void()> handler;
    return handler;
}

} // namespace stand_in

GDExtensionBinding::InitObject::InitObject(GDExtensionInterfaceGetProcAddress p_get_proc_address,
                                           GDExtensionClassLibraryPtr p_library,
                                           GDExtensionInitialization *r_initialization)
    : get_proc_address(p_get_proc_address), library(p_library), initialization(r_initialization) {}

void GDExtensionBinding::InitObject::register_initializer(Callback p_init) const {
    stand_in::binding.initializer = p_init;
}

void GDExtensionBinding::InitObject::register_terminator(Callback p_init) const {
    stand_in::binding.terminator = p_init;
}

void GDExtensionBinding::InitObject::set_minimum_library_initialization_level(
    ModuleInitializationLevel p_level) const {
    stand_in::binding.minimum = static_cast<GDExtensionInitializationLevel>(p_level);
}

GDExtensionBool GDExtensionBinding::InitObject::init() const {
    if (get_proc_address == nullptr || get_proc_address("get_godot_version2") == nullptr) {
        return false;
    }
    initialization->minimum_initialization_level = stand_in::binding.minimum;
    initialization->userdata = library;
    initialization->initialize = stand_in::initialize;
    initialization->deinitialize = stand_in::deinitialize;
    return true;
}

String::String(const char *p_latin1) {
    for (; *p_latin1 != '\0'; ++p_latin1) {
        chars_.push_back(static_cast<unsigned char>(*p_latin1));
    }
}

String String::utf8(const char *p_from, int64_t p_len) {
    const auto *s = reinterpret_cast<const unsigned char *>(p_from);
    std::size_t n = p_len < 0 ? std::char_traits<char>::length(p_from) : std::size_t(p_len);
    String result;
    while (n > 0) {
        char32_t c = 0xFFFD;
        std::size_t used = stand_in::decode(s, n, c);
        if (used == 0) {
            ++stand_in::engine_errors();
            used = 1;
        }
        result.chars_.push_back(c);
        s += used;
        n -= used;
    }
    return result;
}

CharString String::utf8() const {
    std::string out;
    for (char32_t c : chars_) {
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))};
        } else if (c < 0x10000) {
            out +=
                {char(0xE0 | (c >> 12)), char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))};
        } else {
            out += {char(0xF0 | (c >> 18)), char(0x80 | ((c >> 12) & 0x3F)),
                    char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))};
        }
    }
    return CharString(out);
}

Image::Image() { ++stand_in::image_count; }
Image::~Image() { --stand_in::image_count; }

Ref<Image> Image::create_from_data(int32_t p_width, int32_t p_height, bool p_use_mipmaps,
                                   Format p_format, const PackedByteArray &p_data) {
    if (p_width <= 0 || p_height <= 0 || p_use_mipmaps || p_format != FORMAT_RGBA8 ||
        p_data.size() != int64_t(p_width) * p_height * 4) {
        ++stand_in::engine_errors();
        return Ref<Image>();
    }
    Ref<Image> image(new Image);
    image->width_ = p_width;
    image->height_ = p_height;
    image->data_ = p_data;
    return image;
}

ImageTexture::ImageTexture() { ++stand_in::texture_count; }
ImageTexture::~ImageTexture() { --stand_in::texture_count; }

Ref<ImageTexture> ImageTexture::create_from_image(const Ref<Image> &p_image) {
    if (p_image.is_null()) {
        ++stand_in::engine_errors();
        return Ref<ImageTexture>();
    }
    Ref<ImageTexture> texture(new ImageTexture);
    texture->width_ = p_image->get_width();
    texture->height_ = p_image->get_height();
    texture->pixels_ = p_image->get_data();
    return texture;
}

void ImageTexture::update(const Ref<Image> &p_image) {
    if (p_image.is_null() || p_image->get_width() != width_ || p_image->get_height() != height_) {
        ++stand_in::engine_errors();
        return;
    }
    pixels_ = p_image->get_data();
    ++updates_;
    if (const std::function<void()> handler = stand_in::texture_changed()) {
        handler();
    }
}

namespace {
const std::thread::id main_thread = std::this_thread::get_id();
} // namespace

bool Thread::is_main_thread() { return std::this_thread::get_id() == main_thread; }

std::string &stand_in::pack_directory() {
    static std::string directory;
    return directory;
}

std::string &stand_in::user_directory() {
    static std::string directory;
    return directory;
}

std::string &stand_in::executable_directory() {
    static std::string directory;
    return directory;
}

namespace {
namespace fs = std::filesystem;

std::string text(const String &p_string) { return p_string.utf8().get_data(); }

// The stand-in pack's file for a res:// path; empty for any other path.
fs::path in_pack(const String &p_path) {
    const std::string path = text(p_path);
    return path.rfind("res://", 0) == 0 ? fs::u8path(stand_in::pack_directory()) / path.substr(6)
                                        : fs::path();
}

PackedStringArray entries(const String &p_path, bool p_directories) {
    PackedStringArray names;
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator(in_pack(p_path), ec)) {
        if (entry.is_directory() == p_directories) {
            names.push_back(String::utf8(entry.path().filename().u8string().c_str()));
        }
    }
    return names;
}
} // namespace

String String::path_join(const String &p_file) const { return *this + "/" + p_file; }

String String::get_base_dir() const {
    const std::string path = text(*this);
    return String::utf8(path.substr(0, path.rfind('/')).c_str());
}

ProjectSettings *ProjectSettings::get_singleton() {
    static ProjectSettings settings;
    return &settings;
}

String ProjectSettings::globalize_path(const String &p_path) const {
    const std::string path = text(p_path);
    if (path.rfind("user://", 0) == 0) {
        return String::utf8((stand_in::user_directory() + "/" + path.substr(7)).c_str());
    }
    return String::utf8(path.rfind("res://", 0) == 0 ? path.substr(6).c_str() : path.c_str());
}

OS *OS::get_singleton() {
    static OS os;
    return &os;
}

String OS::get_executable_path() const {
    return String::utf8((stand_in::executable_directory() + "/game").c_str());
}

bool FileAccess::file_exists(const String &p_path) {
    std::error_code ec;
    return fs::is_regular_file(in_pack(p_path), ec);
}

Ref<FileAccess> FileAccess::open(const String &p_path, ModeFlags) {
    Ref<FileAccess> file(new FileAccess);
    file->in_.open(in_pack(p_path), std::ios::binary | std::ios::ate);
    if (!file->in_) {
        return Ref<FileAccess>();
    }
    file->length_ = static_cast<uint64_t>(file->in_.tellg());
    file->in_.seekg(0);
    return file;
}

PackedByteArray FileAccess::get_buffer(int64_t p_length) const {
    PackedByteArray bytes;
    bytes.resize(p_length);
    in_.read(reinterpret_cast<char *>(bytes.ptrw()), p_length);
    bytes.resize(in_.gcount());
    return bytes;
}

bool DirAccess::dir_exists_absolute(const String &p_path) {
    std::error_code ec;
    return fs::is_directory(in_pack(p_path), ec);
}

PackedStringArray DirAccess::get_files_at(const String &p_path) { return entries(p_path, false); }

PackedStringArray DirAccess::get_directories_at(const String &p_path) {
    return entries(p_path, true);
}

} // namespace godot
