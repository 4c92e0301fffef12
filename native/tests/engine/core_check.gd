extends SceneTree
# Plays one third-party core in a real engine, headless: its game (made here, shipped
# by Debian, or none), the picture it must show, the input that must change it, its
# sound, and bad content (an empty file, random bytes, a cut file, a folder), which
# must be refused with one of the player's messages and never crash.
#   godot --headless --path <project> --script res://core_check.gd --
#     --core=<core .so> --roms=<test ROM folder> --system=<folder> [--wads=<folder>]
#     [--pictures=<folder to save the pictures checked in>]
# Prints "ok", "FAIL", "skip" and "note" lines; exits 1 on a failure.

const FRAMES := 180
const A := 8
const START := 3
const KEY_SPACE := 32
const KEY_ESCAPE := 27
const DEVICE_KEYBOARD := 3
const REFUSALS := ["Nao foi possivel abrir a ROM.", "A ROM esta vazia ou nao pode ser lida.",
	"O core Snes9x recusou a ROM."]

# By core file name (without _libretro.so): the console, the game (in --roms, or
# --wads for a WAD; "" for none), and what to check. "colours": the whole picture is
# [released, held] by its strongest channel while A (or "key") is held; "changes": the
# input only has to change the picture; "ports": pads whose A must each change it;
# "touch": the colour while the pointer touches the picture's lower half; "crashes_on": bad
# content that crashes the core itself (no frontend can stop that), left out with a skip line.
const CASES := {
	"fceumm": {"console": "NES", "game": "battery.nes", "colours": ["blue", "red"]},
	"nestopia": {"console": "NES", "game": "battery.nes", "colours": ["blue", "red"]},
	"snes9x": {"console": "SNES", "game": "battery.sfc", "colours": ["blue", "red"]},
	"bsnes_mercury_performance": {"console": "SNES", "game": "battery.sfc",
		"colours": ["blue", "red"]},
	# SameBoy runs the ROM as a Game Boy's (shades 0 and 3 of its palette).
	"sameboy": {"console": "Game Boy", "game": "battery.gb", "colours": ["grey", "dark"]},
	"gambatte": {"console": "Game Boy", "game": "battery.gb", "colours": ["red", "blue"]},
	"mgba": {"console": "Game Boy Advance", "game": "battery.gba", "colours": ["red", "blue"]},
	"mednafen_wswan": {"console": "WonderSwan Color", "game": "colours.wsc",
		"colours": ["blue", "red"]},
	"mednafen_vb": {"console": "Virtual Boy", "game": "colours.vb", "colours": ["red", "dark"]},
	"desmume": {"console": "Nintendo DS", "game": "colours.nds", "colours": ["blue", "red"],
		"options": {"desmume_pointer_type": "touch"}, "touch": "green"},
	"mednafen_pce_fast": {"console": "PC Engine", "game": "battery.pce",
		"colours": ["blue", "red"]},
	"genesis_plus_gx": {"console": "Mega Drive", "game": "colours.md",
		"colours": ["blue", "red"], "sound": true},
	"pcsx_rearmed": {"console": "PlayStation", "game": "scene.exe", "scene": true},
	"dosbox_pure": {"console": "DOS", "game": "colours.com", "colours": ["blue", "red"],
		"key": KEY_SPACE, "sound": true, "retimes": true, "settle": 240, "picture_frames": 10,
		"no_game": true},
	# Escape opens the menu over the title, where the mouse wheel moves the cursor.
	# prboom trusts a WAD's header: one cut short crashes it inside its own retro_load_game.
	"prboom": {"console": "Doom", "wad": "freedoom1.wad", "changes": "keyboard", "mouse": true,
		"fresh_core": true, "sound": true, "crashes_on": "cut"},
	"2048": {"console": "2048 (game)", "game": "", "changes": "start", "no_game": true},
	"mrboom": {"console": "Mr.Boom (game)", "game": "", "ports": 4, "sound": true, "no_game": true},
}

var failures := 0
var args := {}
var lines: Array[String] = []
var retimed := false
var peak := 0.0
var current := {}
var dumped := 0


func check(name: String, ok: bool, detail: Variant = "") -> void:
	failures += 0 if ok else 1
	print("%s %s %s" % ["ok  " if ok else "FAIL", name, detail])


func skip(name: String, why: String) -> void:
	print("skip %s: %s" % [name, why])


func _initialize() -> void:
	for arg in OS.get_cmdline_user_args():
		args[arg.get_slice("=", 0)] = arg.get_slice("=", 1)
	var core: String = args["--core"]
	var name := core.get_file().get_basename().trim_suffix("_libretro")
	var player := LibretroPlayer.new()
	root.add_child(player)
	player.core_log.connect(func(_level: int, message: String) -> void: lines.append(message))
	player.av_info_changed.connect(func() -> void: retimed = true)
	player.set_paths(args["--system"], OS.get_user_data_dir().path_join("core_check/" + name))
	if not player.load_core(core):
		check(name + " loads", false, player.get_last_error())
		quit(1)
		return
	var case: Dictionary = CASES.get(name, {})
	if case.is_empty():
		skip(name + " play", "no content known for this core: bad content only")
	else:
		var game: Variant = game_path(case)
		if game == null:
			skip(name + " play", "its content is missing (tools/setup.sh builds or installs it)")
		else:
			play(player, name, case, game)
	bad_content(player, name, game_path(case) if not case.is_empty() else null)
	player.free()
	await create_timer(0.2).timeout
	quit(1 if failures > 0 else 0)


# The game's path, "" for a core that starts without one, null when it is missing.
func game_path(case: Dictionary) -> Variant:
	var path := ""
	if case.has("wad"):
		path = String(args.get("--wads", "")).path_join(case["wad"])
	elif case["game"] != "":
		path = String(args["--roms"]).path_join(case["game"])
	if path != "" and not FileAccess.file_exists(path):
		return null
	return path


func play(player: LibretroPlayer, name: String, case: Dictionary, game: String) -> void:
	current = case
	# Options a core declares only with a game are set then, and the game loaded again.
	var later := set_options(player, case)
	var loaded := player.load_game(game)
	if loaded and not later.is_empty():
		later = set_options(player, {"options": later})
		loaded = player.load_game(game)
	if not later.is_empty():
		print("note %s has no option %s" % [name, later])
	if not loaded and game == "":
		check(name + " starts with no content", false,
			"%s (needs the start without content)" % player.get_last_error())
		return
	check("%s (%s) loads %s" % [name, case["console"], game.get_file() if game != "" else
		"with no content"], loaded, player.get_last_error())
	if not loaded:
		return
	if case.has("wad") or case.has("key"):
		player.set_port_device(0, DEVICE_KEYBOARD)
	run(player, case.get("settle", FRAMES))
	var before := picture_of(player, game)
	if before == null:
		skip(name + " picture", "the core takes no snapshot here, so headless shows no new frame")
		return
	if case.has("colours"):
		check(name + " picture", colour_of(before) == case["colours"][0],
			[colour_of(before), centre_of(before), before.get_size()])
		press(player, case, true)
		run(player, 8)
		var held := picture_of(player, game)
		press(player, case, false)
		check(name + " input changes the picture", colour_of(held) == case["colours"][1],
			[colour_of(held), centre_of(held)])
		if case.has("touch"):
			player.set_pointer(0, 0, Vector2(0.5, 0.75), true)
			run(player, 8)
			var touched := picture_of(player, game)
			player.set_pointer(0, 0, Vector2(0.5, 0.75), false)
			check(name + " pointer touches the screen", colour_of(touched) == case["touch"],
				colour_of(touched))
	elif case.has("scene"):
		check(name + " picture", scene_is_right(before), before.get_size())
	elif case.has("changes"):
		var inputs := {"start": func(on: bool) -> void: player.set_button(START, on),
			"keyboard": func(on: bool) -> void: player.set_key(KEY_ESCAPE, on, KEY_ESCAPE if on else 0)}
		changed(name + " %s changes the picture" % case["changes"],
			changes(player, game, inputs[case["changes"]]))
		if case.get("mouse", false):
			# in the menu the keyboard opened, the wheel moves the cursor
			changed(name + " mouse wheel changes the picture", changes(player, game,
				func(on: bool) -> void: if on: player.add_mouse_wheel(0, -1, 0)))
	elif case.has("ports"):
		var answered := []
		for port in case["ports"]:
			var answer: Variant = changes(player, game,
				func(on: bool) -> void: player.set_port_button(port, A, on))
			if answer == null:
				skip(name + " pads", "the same frames replayed show different pictures")
				return
			if answer:
				answered.append(port)
		check(name + " each pad changes the picture", answered.size() == case["ports"], answered)
	if case.get("sound", false):
		check(name + " sound", peak > 0.01, "peak %.3f" % peak)
	else:
		print("note %s sound peak %.3f" % [name, peak])
	if case.get("retimes", false):
		check(name + " retimes (SET_SYSTEM_AV_INFO)", retimed and absf(player.get_fps() - 60.0) < 1.0,
			"%.3f fps" % player.get_fps())
	player.unload_game()


# Sets the case's options; returns those the core has not declared.
func set_options(player: LibretroPlayer, case: Dictionary) -> Dictionary:
	var left := {}
	for key: String in case.get("options", {}):
		if not player.set_core_option(key, case["options"][key]):
			left[key] = case["options"][key]
	return left


func changed(what: String, answer: Variant) -> void:
	if answer == null:
		skip(what, "the same frames replayed show different pictures")
	else:
		check(what, answer)


func press(player: LibretroPlayer, case: Dictionary, on: bool) -> void:
	if case.has("key"):
		player.set_key(case["key"], on, case["key"] if on else 0)
	else:
		player.set_button(A, on)


func run(player: LibretroPlayer, frames: int) -> void:
	for _frame in frames:
		player.run_frame()
		for sample in player.pop_audio_frames(1 << 16):
			peak = maxf(peak, maxf(absf(sample.x), absf(sample.y)))


# Headless, a texture keeps only the pixels it was made with: the game is loaded
# again, so that its next frame makes a new texture, and that frame replayed from a
# snapshot of now.
# A core that shows nothing for a game loaded a second time is loaded afresh.
func picture_of(player: LibretroPlayer, game: String) -> Image:
	var snapshot := player.save_state_to_bytes()
	if snapshot.is_empty():
		return null
	if current.get("fresh_core", false):
		player.load_core(args["--core"])
		set_options(player, current)
	if not player.load_game(game) or not player.load_state_from_bytes(snapshot):
		return null
	if current.has("wad") or current.has("key"):
		player.set_port_device(0, DEVICE_KEYBOARD)
	# A core may repeat the frame it showed before (none yet); one that restores a
	# snapshot a few frames late shows it from a frame of another size on.
	var texture: ImageTexture = null
	for frame in 60:
		player.run_frame()
		texture = player.get_video_texture()
		if texture != null and frame + 1 >= current.get("picture_frames", 1):
			break
	if texture == null:
		return null
	var image := texture.get_image()
	if args.has("--pictures"): # to look at
		dumped += 1
		image.save_png(String(args["--pictures"]).path_join("%s-%d.png" % [
			String(args["--core"]).get_file().get_basename(), dumped]))
	return image


# Whether an input changes what the game shows: from one snapshot, the same frames
# are played twice without it and once with it (held for the first frames), and the
# pictures compared. Null when the two runs without it already differ (a core that
# does not replay a snapshot the same way), so that nothing can be told.
func changes(player: LibretroPlayer, game: String, input: Callable) -> Variant:
	var snapshot := player.save_state_to_bytes()
	var pictures: Array[PackedByteArray] = []
	for with_input in [false, false, true]:
		if snapshot.is_empty() or not player.load_state_from_bytes(snapshot):
			return false
		if with_input:
			input.call(true)
		run(player, 4)
		input.call(false)
		run(player, 20)
		var picture := picture_of(player, game)
		if picture == null:
			return false
		pictures.append(picture.get_data())
	if pictures[0] != pictures[1]:
		return null
	return pictures[0] != pictures[2]


# The strongest channel of a picture that is one colour at nine points; "mixed" when not.
func colour_of(image: Image) -> String:
	if image == null:
		return "none"
	var names := {}
	for fx in [0.15, 0.5, 0.85]:
		for fy in [0.15, 0.5, 0.85]:
			var c := image.get_pixel(int(fx * image.get_width()), int(fy * image.get_height()))
			var strongest := "red" if c.r >= c.g and c.r >= c.b else (
				"green" if c.g >= c.b else "blue")
			var spread := maxf(c.r, maxf(c.g, c.b)) - minf(c.r, minf(c.g, c.b))
			if maxf(c.r, maxf(c.g, c.b)) < 0.3:
				strongest = "dark"
			elif spread < 0.2:
				strongest = "grey"
			names[strongest] = true
	return names.keys()[0] if names.size() == 1 else "mixed"


func centre_of(image: Image) -> String:
	if image == null:
		return "none"
	return image.get_pixel(image.get_width() / 2, image.get_height() / 2).to_html(false)


# The PlayStation program: a dark blue screen with a red triangle at the top left.
func scene_is_right(image: Image) -> bool:
	var red := image.get_pixel(int(70.0 / 320 * image.get_width()), int(70.0 / 240 * image.get_height()))
	var back := image.get_pixel(int(300.0 / 320 * image.get_width()), int(20.0 / 240 * image.get_height()))
	return red.r > 0.8 and red.g < 0.2 and back.b > 0.3 and back.r < 0.15


# Bad content: each must be refused with one of the player's messages and a log line
# that says why (or, for a core that plays any bytes, played without a crash).
func bad_content(player: LibretroPlayer, name: String, game: Variant) -> void:
	var extensions: PackedStringArray = player.get_core_info().get("valid_extensions", [])
	var extension: String = extensions[0] if not extensions.is_empty() else "bin"
	var folder := OS.get_user_data_dir().path_join("core_check/bad_" + name)
	DirAccess.make_dir_recursive_absolute(folder.path_join("folder." + extension))
	var random := RandomNumberGenerator.new()
	random.seed = 7
	var noise := PackedByteArray()
	for _byte in 4096:
		noise.append(random.randi() & 0xFF)
	var cut := noise.slice(0, 64)
	if game is String and game != "":
		cut = FileAccess.get_file_as_bytes(game).slice(0, 64)
	var files := {"empty": PackedByteArray(), "random bytes": noise, "cut": cut}
	for what: String in files:
		var file := FileAccess.open(folder.path_join(what.replace(" ", "_") + "." + extension),
			FileAccess.WRITE)
		file.store_buffer(files[what])
		file.close()
	var tries := {"empty": "empty", "random bytes": "random_bytes", "cut": "cut",
		"folder": "folder"}
	for what: String in tries:
		if CASES.get(name, {}).get("crashes_on", "") == what:
			skip("%s refuses %s" % [name, what], "a known fault of the core itself crashes it")
			continue
		var path := folder.path_join(tries[what] + "." + extension)
		lines.clear()
		var loaded := player.load_game(path)
		var said := lines.slice(-1) # the core's last word on it
		if loaded:
			run(player, 30) # a core that takes any bytes must still not crash on them
			print("note %s took %s as a game and played it" % [name, what])
			player.unload_game()
		else:
			check("%s refuses %s" % [name, what], player.get_last_error() in REFUSALS
				and not said.is_empty(), [player.get_last_error(), said])
	# No content: a core that can start without a game starts, any other refuses.
	var started := player.load_game("")
	if CASES.get(name, {}).get("no_game", false):
		if CASES[name]["game"] != "": # else play() asked already
			check(name + " starts with no content", started, player.get_last_error())
	else:
		check(name + " refuses no content", not started
			and player.get_last_error() == "Nao foi possivel abrir a ROM.", player.get_last_error())
