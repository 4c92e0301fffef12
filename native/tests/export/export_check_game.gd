extends Node
# The main script of the game that tools/export-check.sh exports: it plays our test ROMs from its
# pack (res://roms) on the cores shipped beside it (res://cores), with its system files packed
# (res://system) and battery saves in user://, then tries what must fail, prints what it saw and
# quits with the number of failures as exit status. Packed CD games play on a core that opens them
# itself. Two cabinets of one game keep their own battery saves across a restart: the game runs
# with -- --cabinets=play, then again with --cabinets=resume.

var core_extension := "dll" if OS.get_name() == "Windows" else "so"

var failures := 0


func check(name: String, ok: bool, detail: Variant = "") -> void:
	failures += 0 if ok else 1
	print("%s %s %s" % ["ok  " if ok else "FAIL", name, detail])


func _ready() -> void:
	if OS.get_cmdline_user_args().has("--cabinets=resume"):
		await resume_cabinets()
		get_tree().quit(failures)
		return
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
	# Nor a battery save, which the game says (the one engine error an exported run prints).
	player.unload_core()
	var lost := "Nao foi possivel gravar o save da bateria: res://saves/battery.srm"
	check("no battery save into the pack" if exported else "battery save in the project folder",
		player.get_last_error() == (lost if exported else ""), player.get_last_error())
	if core_extension == "so":
		play_cd_games()
	await play_cabinets()
	get_tree().quit(failures)


# Packed CD games on a core that opens the game and every track itself (it fails the load when one
# is missing, and tells in its system RAM whether it still finds them all): a cue sheet, a playlist
# of two discs, two same-named games played at once, and no game at all on the drop-in screen.
func play_cd_games() -> void:
	var core := "res://cores/fake_cd_libretro.so"
	var players: Array[LibretroPlayer] = []
	for game in ["usa/game.cue", "discs.m3u", "jp/game.cue"]:
		var player := LibretroPlayer.new()
		add_child(player)
		check("plays packed " + game, player.load_core(core)
			and player.load_game("res://roms/cd/" + game), player.get_last_error())
		players.append(player)
	var found := []
	for player in players:
		player.run_frame()
		var ram := player.read_memory(2, 0, 1) # RETRO_MEMORY_SYSTEM_RAM
		found.append(ram[0] if ram.size() == 1 else -1)
	check("every CD game still finds its files", found == [1, 1, 1], found)
	for player in players:
		player.free()
	var screen := LibretroScreen.new()
	screen.core_path = core
	add_child(screen)
	check("a screen with no game starts a core that needs none", screen.is_playing(),
		screen.player.get_last_error())
	screen.free()


# Two screens of one game in one save folder: the first plays 200 frames with A held, the second
# 100 frames with no button. Freeing them writes their battery saves.
func play_cabinets() -> void:
	for save in ["battery.srm", "battery (2).srm"]:
		DirAccess.remove_absolute("user://cabinets".path_join(save))
	var cabinets := add_cabinets()
	Input.action_press(&"tovarune_a")
	for frame in 200:
		for index in cabinets.size():
			if frame < 200 - 100 * index:
				cabinets[index].advance(1.0 / cabinets[index].player.get_fps())
	Input.action_release(&"tovarune_a")
	for cabinet in cabinets:
		cabinet.free()
	await get_tree().create_timer(0.5).timeout # the audio server lets go of stopped sounds


# The same two screens, loaded again in the same order, each find their own save.
func resume_cabinets() -> void:
	var cabinets := add_cabinets()
	var records := []
	for cabinet in cabinets:
		var record := cabinet.player.read_memory(0, 0, 4)
		records.append([cabinet.player.get_save_name(), record[1], record.decode_u16(2)])
	check("two cabinets of one game keep their own saves", records.size() == 2
		and records[0][0] == "battery" and records[0][1] == 1 and records[0][2] >= 190
		and records[1][0] == "battery (2)" and records[1][1] == 0 and records[1][2] in range(90, 110),
		records)
	for cabinet in cabinets:
		cabinet.free()
	await get_tree().create_timer(0.5).timeout


func add_cabinets() -> Array[LibretroScreen]:
	var cabinets: Array[LibretroScreen] = []
	for index in 2:
		var cabinet := LibretroScreen.new()
		cabinet.core_path = "res://cores/gambatte_libretro." + core_extension
		cabinet.rom_path = "res://roms/battery.gb"
		cabinet.save_directory = "user://cabinets"
		cabinet.input_enabled = index == 0
		add_child(cabinet)
		check("cabinet %d plays" % index, cabinet.is_playing(), cabinet.player.get_last_error())
		cabinets.append(cabinet)
	return cabinets
