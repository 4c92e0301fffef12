extends SceneTree
# Checks that LibretroScreen follows what a core asks while it runs, in a real engine, on the
# screen check core (native/tests/fake_core/screen_core.cpp): a picture turned a quarter, new rates
# at frame 3, rumble at frames 4 and 5, a message at frame 6 and a shutdown at frame 8; and that a
# refused game brings the core's own reason after the player's message; the option it declares
# reaches a menu and its two discs take turns.
#   godot --headless --path <project> --script res://frontend_screen_check.gd -- --core=<screen_core.so>

var failures := 0


func check(name: String, ok: bool, detail: Variant = "") -> void:
	failures += 0 if ok else 1
	print("%s %s %s" % ["ok  " if ok else "FAIL", name, detail])


func _initialize() -> void:
	await process_frame
	var core := OS.get_cmdline_user_args()[0].get_slice("=", 1)
	DirAccess.make_dir_recursive_absolute("user://screen_check")
	for game: Array in [["user://screen_check/good.bin", 1], ["user://screen_check/bad.bin", 0]]:
		FileAccess.open(game[0], FileAccess.WRITE).store_8(game[1])

	var screen := LibretroScreen.new()
	screen.core_path = core
	screen.rom_path = "user://screen_check/bad.bin"
	screen.save_directory = "user://screen_check"
	screen.load_on_ready = false
	var speaker := AudioStreamPlayer.new()
	screen.audio_player = speaker
	var failed: Array[String] = []
	screen.load_failed.connect(func(message: String) -> void: failed.append(message))
	var shut := [0]
	screen.game_shut_down.connect(func() -> void: shut[0] += 1)
	var notes := []
	screen.player.core_message.connect(func(text: String, seconds: float) -> void:
		notes.append([text, snappedf(seconds, 0.01)]))
	root.add_child(speaker)
	root.add_child(screen)
	screen.load_game()
	check("the core's reason follows the player's", failed == ["O core Snes9x recusou a ROM.\njogo invalido"],
		failed)

	screen.rom_path = "user://screen_check/good.bin"
	check("loads", screen.load_game())
	var option := screen.player.get_core_option_info("screen_scale")
	check("an option for a menu", option.label == "Escala" and option.value == "2x"
		and option.value_labels == PackedStringArray(["1x", "Dobro"]) and option.category == "video"
		and screen.player.get_core_option_categories()[0].label == "Video", option)
	var discs := [screen.next_disk(), screen.player.get_disk_index(), screen.next_disk(),
		screen.player.get_disk_index(), screen.player.is_disk_ejected()]
	check("next disc, then the first", discs == [true, 1, true, 0, false], discs)
	screen.set_anchors_preset(Control.PRESET_TOP_LEFT)
	screen.size = Vector2(500, 500)
	var ran := [screen.advance(1.0 / 60.0)]
	check("turned a quarter", screen.get_picture_rect() == Rect2(125, 0, 250, 500)
		and screen.player.get_video_texture().get_size() == Vector2(4, 2), screen.get_picture_rect())
	ran.append_array([screen.advance(1.0 / 60.0), screen.advance(1.0 / 60.0)])
	var generator := speaker.stream as AudioStreamGenerator
	# Paced at 50 frames a second from now on: a sixtieth of a second runs nothing.
	ran.append_array([screen.advance(1.0 / 60.0), screen.advance(0.004)])
	check("new rates", ran == [1, 1, 1, 0, 1] and speaker.playing and generator != null
		and generator.mix_rate == 48000.0, [ran, generator.mix_rate if generator else 0.0])
	var motors := [Input.get_joy_vibration_strength(0)]
	screen.advance(0.02)
	motors.append(Input.get_joy_vibration_strength(0))
	check("rumble", motors == [Vector2(0, 1), Vector2.ZERO], motors)
	screen.advance(0.02)
	check("message", notes == [["disco 2", 2.4]], notes)
	screen.advance(0.04)
	check("shut down", shut[0] == 1 and not screen.is_playing() and not screen.player.is_core_loaded(), shut)
	screen.free()
	speaker.free()
	await create_timer(0.5).timeout # the audio server lets go of stopped sounds
	quit(1 if failures > 0 else 0)
