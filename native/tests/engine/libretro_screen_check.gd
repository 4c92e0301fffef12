extends SceneTree
# Checks LibretroScreen in a real engine, on real cores and our Game Boy and NES ROMs,
# whose battery saves record the held buttons (byte 1, bit 0 is A on the Game Boy)
# and a frame counter (bytes 2-3) every frame, and on the NES pad 2's buttons (byte 4):
#   godot --headless --path <project> --script res://libretro_screen_check.gd --
#     --core=<gambatte> --rom=<battery.gb> --nes-core=<nestopia> --nes-rom=<battery.nes>

var failures := 0


func check(name: String, ok: bool, detail: Variant = "") -> void:
	failures += 0 if ok else 1
	print("%s %s %s" % ["ok  " if ok else "FAIL", name, detail])


func screen_for(core: String, rom: String, saves: String) -> LibretroScreen:
	var screen := LibretroScreen.new()
	screen.core_path = core
	screen.rom_path = rom
	screen.save_directory = saves
	return screen


func _initialize() -> void:
	await process_frame # the root enters the tree, so screens get ready when added
	var args := {}
	for arg in OS.get_cmdline_user_args():
		args[arg.get_slice("=", 0)] = arg.get_slice("=", 1)
	for left in ["battery.srm", "battery (2).state"]: # by an earlier check
		DirAccess.remove_absolute(ProjectSettings.globalize_path("user://check/" + left))
	InputMap.add_action(&"tovarune_start")
	InputMap.action_add_event(&"tovarune_start", InputEventKey.new())

	var failed := screen_for("/no/such/core.so", args["--rom"], "user://check")
	var messages: Array[String] = []
	failed.load_failed.connect(func(message: String) -> void: messages.append(message))
	root.add_child(failed)
	failed.core_path = args["--core"]
	failed.rom_path = "/no/such/game.gb"
	failed.load_game()
	check("failed loads", messages == ["Nao foi possivel carregar o core Libretro: /no/such/core.so",
		"Nao foi possivel abrir a ROM.\n/no/such/game.gb: o arquivo nao existe"]
		and not failed.player.is_core_loaded(), messages)
	var events := InputMap.action_get_events(&"tovarune_a")
	check("input actions", all_actions_added() and events.size() == 2
		and (events[0] as InputEventKey).physical_keycode == KEY_X
		and InputMap.action_get_events(&"tovarune_start").size() == 1
		and (InputMap.action_get_events(&"tovarune_p2_a")[1] as InputEventJoypadButton).device == 1, events)

	var screen := screen_for(args["--core"], args["--rom"], "user://check")
	var loaded := [0]
	screen.game_loaded.connect(func() -> void: loaded[0] += 1)
	root.add_child(screen)
	check("loads on ready", loaded[0] == 1 and screen.is_playing() and not failed.is_playing())
	# The same game in the same save folder takes a save of its own, and so default states.
	var twin := screen_for(args["--core"], args["--rom"], "user://check")
	root.add_child(twin)
	var names := [screen.player.get_save_name(), twin.player.get_save_name()]
	check("a second screen of one game saves apart", names == ["battery", "battery (2)"]
		and twin.save_state() and FileAccess.file_exists("user://check/battery (2).state"), names)
	twin.free()
	var frame := 1.0 / screen.player.get_fps()
	var paced := [screen.advance(frame * 0.5), screen.advance(frame), screen.advance(10.0),
		screen.advance(0.0), screen.advance(frame)]
	check("pacing", paced == [0, 1, 4, 0, 1], paced)
	screen.set_anchors_preset(Control.PRESET_TOP_LEFT)
	screen.size = Vector2(500, 500)
	var rects := [screen.get_picture_rect()]
	screen.integer_scaling = true
	rects.append(screen.get_picture_rect())
	check("picture", rects == [Rect2(0, 25, 500, 450), Rect2(10, 34, 480, 432)], rects)
	check("states", screen.save_state() and screen.load_state()
		and not screen.load_state("user://check/none.state"))
	for _frame in 24:  # up to the moment of a snapshot
		screen.advance(frame)
	var counters := [counter(screen)]
	Input.action_press(LibretroScreen.REWIND_ACTION)
	for _step in 2:
		screen.advance(frame)
		counters.append(counter(screen))
	Input.action_release(LibretroScreen.REWIND_ACTION)
	check("rewind steps back", counters[0] > counters[1] and counters[1] - counters[2] == 6, counters)

	# Three screens at once, two of them on one core file, one running on a worker thread.
	var viewport := SubViewport.new()
	viewport.size = Vector2i(320, 288)
	root.add_child(viewport)
	var inside := screen_for(args["--core"], args["--rom"], "user://check/inside")
	inside.run_on_worker_thread = true
	viewport.add_child(inside)
	inside.advance(frame * 4) # past the boot, on the worker thread
	var speaker := AudioStreamPlayer3D.new()
	root.add_child(speaker)
	var nes := screen_for(args["--nes-core"], args["--nes-rom"], "user://check/nes")
	nes.audio_player = speaker
	root.add_child(nes)
	nes.set_anchors_preset(Control.PRESET_TOP_LEFT)
	nes.size = Vector2(600, 500)
	inside.advance(0.0) # waits for those frames, starting none
	var counts := [counter(screen), counter(inside)]
	var ran := [0, 0]
	Input.action_press(&"tovarune_p2_a")
	for _tick in 4:
		ran[0] += screen.advance(frame)
		ran[1] += inside.advance(frame)
		nes.advance(frame)
	Input.action_release(&"tovarune_p2_a")
	inside.advance(0.0)
	counts = [counter(screen) - counts[0], counter(inside) - counts[1], ran]
	check("screens play at once", counts == [4, 4, [4, 4]] and nes.is_playing()
		and inside.get_picture_rect() == Rect2(0, 0, 320, 288) and viewport.get_texture() != null, counts)
	var rect := nes.get_picture_rect()
	check("picture at the game's aspect", is_equal_approx(rect.size.x / rect.size.y, 64.0 / 49.0), rect)
	check("second player", nes.player.read_memory(0, 4, 1) == PackedByteArray([0x80]))
	var generator := speaker.stream as AudioStreamGenerator
	check("sound through the audio player given", speaker.playing and generator != null
		and is_equal_approx(generator.mix_rate, nes.player.get_sample_rate()))
	inside.advance(frame)
	viewport.free() # with a frame under way on the worker thread
	nes.free()
	speaker.free()

	# Moved into another parent (as onto a 3D cabinet), the screen plays on.
	var holder := Node.new()
	root.add_child(holder)
	var before := counter(screen)
	screen.reparent(holder)
	await process_frame
	screen.advance(frame)
	check("plays on when moved", screen.is_playing() and counter(screen) > before,
		[before, counter(screen)])
	Input.action_press(&"tovarune_a")
	screen.advance(frame * 3)
	holder.remove_child(screen) # for good: at the next frame the game stops
	await process_frame
	await process_frame
	var save := FileAccess.get_file_as_bytes("user://check/battery.srm")
	check("battery save on leaving, with A held", not screen.is_playing() and save.size() == 8192
		and save[0] == 0x54 and save[1] == 0x01, save.slice(0, 4))
	screen.free()
	holder.free()
	failed.free()
	await create_timer(0.5).timeout # the audio server lets go of stopped sounds
	quit(1 if failures > 0 else 0)


func counter(screen: LibretroScreen) -> int:
	return screen.player.read_memory(0, 2, 2).decode_u16(0)


func all_actions_added() -> bool:
	return (LibretroScreen.ACTIONS + LibretroScreen.PLAYER_2_ACTIONS + [LibretroScreen.REWIND_ACTION]).all(
		func(action: StringName) -> bool: return InputMap.has_action(action))
