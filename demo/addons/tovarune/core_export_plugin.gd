@tool
extends EditorExportPlugin
## Ships the project's libretro cores with an exported game. A core is a file named like
## [code]*_libretro.dll[/code] or [code]*_libretro.so[/code] anywhere under [code]res://[/code]. A core
## library is no resource, and no library can be loaded from inside a pack: each core built for the
## export's platform and architecture goes beside the exported executable, in the folders it has under
## [code]res://[/code], where [LibretroPlayer] finds it by the same [code]res://[/code] path. Cores never
## go into the pack, and those for other platforms stay behind.

# The machine numbers of ELF and PE headers, by the export's architecture.
const ELF_MACHINES := {"x86_64": 62, "x86_32": 3, "arm64": 183, "arm32": 40}
const PE_MACHINES := {"x86_64": 0x8664, "x86_32": 0x14c, "arm64": 0xaa64, "arm32": 0x1c4}


func _get_name() -> String:
	return "tovarune"


func _export_begin(features: PackedStringArray, _is_debug: bool, _path: String, _flags: int) -> void:
	for core in _cores_under("res://"):
		if _built_for(core, features):
			add_shared_object(core, PackedStringArray(), core.get_base_dir().trim_prefix("res://"))


func _export_file(path: String, _type: String, _features: PackedStringArray) -> void:
	if _is_core(path):
		skip()


static func _is_core(path: String) -> bool:
	return path.get_extension() in ["dll", "so"] and path.get_file().get_basename().ends_with("_libretro")


static func _cores_under(directory: String) -> PackedStringArray:
	var cores := PackedStringArray()
	for file in DirAccess.get_files_at(directory):
		if _is_core(directory.path_join(file)):
			cores.append(directory.path_join(file))
	for child in DirAccess.get_directories_at(directory):
		if not child.begins_with("."):
			cores.append_array(_cores_under(directory.path_join(child)))
	return cores


# Read from the library's own header, whatever its name says.
static func _built_for(core: String, features: PackedStringArray) -> bool:
	var file := FileAccess.open(core, FileAccess.READ)
	if file == null:
		return false
	var header := file.get_buffer(64)
	var machines := {}
	var machine := -1
	if header.size() >= 20 and header.slice(0, 4) == PackedByteArray([0x7f, 0x45, 0x4c, 0x46]):
		machines = ELF_MACHINES if features.has("linux") else {}
		machine = header.decode_u16(18)
	elif header.size() == 64 and header.slice(0, 2) == PackedByteArray([0x4d, 0x5a]):
		file.seek(header.decode_u32(0x3c))
		var pe := file.get_buffer(6)
		if pe.size() == 6 and pe.slice(0, 4) == PackedByteArray([0x50, 0x45, 0, 0]):
			machines = PE_MACHINES if features.has("windows") else {}
			machine = pe.decode_u16(4)
	for architecture: String in machines:
		if features.has(architecture) and machines[architecture] == machine:
			return true
	return false
