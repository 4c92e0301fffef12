@tool
extends EditorPlugin
## The addon's editor side: exported games carry the project's libretro cores (see
## core_export_plugin.gd).

var _core_export := preload("res://addons/tovarune/core_export_plugin.gd").new() as EditorExportPlugin


func _enter_tree() -> void:
	add_export_plugin(_core_export)


func _exit_tree() -> void:
	remove_export_plugin(_core_export)
