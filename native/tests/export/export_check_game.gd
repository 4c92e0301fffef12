extends Node
# The main script of the game that tools/export-check.sh exports: it plays our test ROMs from its
# pack (res://roms) on the cores shipped beside it (res://cores), with its system files packed
# (res://system) and battery saves in user://, then tries what must fail, prints what it saw and
# quits with the number of failures as exit status.

var core_extension := "dll" if OS.get_name() == "Windows" else "so"

var failures := 0


func check(name: String, ok: bool, detail: Variant = "") -> void:
	failures += 0 if ok else 1
	print("%s %s %s" % ["ok  " if ok else "FAIL", name, detail])


func _ready() -> void:
	# Each test ROM keeps a record in battery RAM: a marker (0x54), the held buttons, a counter.
	var games := [["gambatte", "battery.gb", 0]]
	if core_extension == "so":
		games.append(["mednafen_pce_fast", "battery.pce", 0x400]) # a core that opens the game itself
	for game: Array in games:
		var player := LibretroPlayer.new()
		add_child(player)
		var rom: String = game[1]
		var saves := "user://saves/" + rom.get_extension()
		DirAccess.remove_absolute(saves.path_join("battery.srm"))
		player.set_paths("res://system", saves)
		var core := "res://cores/%s_libretro.%s" % [game[0], core_extension]
		var loaded := player.load_core(core) and player.load_game("res://roms/" + game[1])
		check("plays " + game[1], loaded, player.get_last_error())
		for frame in 300:
			player.set_button(8, frame >= 295) # A held at the end
			player.run_frame()
			player.pop_audio_frames()
		player.unload_game()
		var record := FileAccess.get_file_as_bytes(saves.path_join("battery.srm"))
		var at: int = game[2]
		check("battery save of " + game[1], record.size() > at + 3 and record[at] == 0x54
			and record[at + 1] != 0 and record.decode_u16(at + 2) >= 290,
			record.slice(at, at + 4) if record.size() > at + 3 else record.size())

	var player := LibretroPlayer.new()
	add_child(player)
	var other := "so" if core_extension == "dll" else "dll"
	player.load_core("res://cores/gambatte_libretro." + other)
	check("a core for another platform", player.get_last_error()
		== "Nao foi possivel carregar o core Libretro: res://cores/gambatte_libretro." + other)
	player.load_core("res://cores/gambatte_libretro." + core_extension)
	var messages := []
	for rom in ["res://roms/none.gb", "res://roms"]:
		player.load_game(rom)
		messages.append(player.get_last_error())
	check("missing ROM, directory", messages == ["Nao foi possivel abrir a ROM.",
		"Nao foi possivel abrir a ROM."], messages)
	player.set_paths("res://system", "res://saves")
	player.load_game("res://roms/battery.gb")
	# In the editor res:// is the project folder, which takes states like any other.
	var exported := OS.has_feature("template")
	check("no state into the pack" if exported else "states in the project folder",
		player.save_state("res://roms/state") != exported
		and player.save_state("user://state") and player.load_state("user://state"))
	player.unload_core()
	await get_tree().create_timer(0.5).timeout # the audio server lets go of stopped sounds
	get_tree().quit(failures)
