extends SceneTree
# Checks in a real engine that LibretroScreen turns Godot's own input events into the core's
# devices over the picture it shows. The fake core built with FAKE_CORE_INPUT_ECHO shows a 100x50
# picture at an aspect of 2 and writes what it read each frame into its system RAM:
#   godot --headless --path <project> --script res://input_check.gd -- --core=<fake_core_input_echo>

var failures := 0


func check(name: String, ok: bool, detail: Variant = "") -> void:
	failures += 0 if ok else 1
	print("%s %s %s" % ["ok  " if ok else "FAIL", name, detail])


# Port 0's pointer (x, y, pressed), port 1's mouse (x, y, left, wheel up), port 2's light gun
# (x, y, off the screen, trigger), the key A, and the last key event (key, character, modifiers, down).
func seen(screen: LibretroScreen) -> Array[int]:
	screen.advance(1.0 / 60.0)
	var bytes := screen.player.read_memory(2, 0, 32)
	var words: Array[int] = []
	for i in 16:
		words.append(bytes.decode_s16(2 * i))
	return words


func send(event: InputEvent) -> void:
	Input.parse_input_event(event)
	Input.flush_buffered_events()


func click(at: Vector2, pressed: bool, button := MOUSE_BUTTON_LEFT) -> void:
	var event := InputEventMouseButton.new()
	event.position = at
	event.global_position = at
	event.button_index = button
	event.pressed = pressed
	send(event)


func key(code: Key, pressed: bool) -> void:
	var event := InputEventKey.new()
	event.physical_keycode = code
	event.keycode = code
	event.unicode = 97 if code == KEY_A and pressed else 0
	event.shift_pressed = true
	event.pressed = pressed
	send(event)


func _initialize() -> void:
	await process_frame
	var args := {}
	for arg in OS.get_cmdline_user_args():
		args[arg.get_slice("=", 0)] = arg.get_slice("=", 1)
	var frame := Control.new()
	frame.size = Vector2(400, 300)
	root.add_child(frame)
	var screen := LibretroScreen.new()
	screen.core_path = args["--core"]
	screen.rom_path = args["--core"] # any file of some bytes
	screen.save_directory = "user://input_check"
	screen.port_devices = [6, 2, 4]
	frame.add_child(screen)
	var before := seen(screen)
	check("picture", screen.get_picture_rect() == Rect2(0, 50, 400, 200), screen.get_picture_rect())
	check("nothing before input", before.slice(0, 3) == [-32767, -32767, 0] and before[9] == 1, before)

	# (100, 100) is a quarter into the picture on both axes: -16383 in libretro's screen space.
	click(Vector2(100, 100), true)
	var pressed := seen(screen)
	check("a click is a touch, a mouse button and a shot there", screen.has_focus()
		and pressed.slice(0, 3) == [-16383, -16383, 1] and pressed[5] == 1
		and pressed.slice(7, 11) == [-16383, -16383, 0, 1], pressed)
	var motion := InputEventMouseMotion.new()
	motion.position = Vector2(108, 96)
	motion.global_position = motion.position
	motion.relative = Vector2(8, -4) # 2 and -1 pixels of the picture, shown 4 times as large
	motion.button_mask = MOUSE_BUTTON_MASK_LEFT
	send(motion)
	click(Vector2(108, 96), true, MOUSE_BUTTON_WHEEL_UP)
	var moved := seen(screen)
	check("motion in pixels of the picture, the wheel for a frame", moved.slice(0, 7)
		== [-15073, -17694, 1, 2, -1, 1, 1] and seen(screen).slice(3, 7) == [0, 0, 1, 0], moved)

	key(KEY_A, true)
	var typed := seen(screen)
	check("keys while focused", typed[11] == 1 and typed.slice(12, 16) == [97, 97, 1, 1], typed)
	screen.release_focus()
	key(KEY_B, true)
	var left := seen(screen)
	check("focus lost lets go", left[11] == 0 and left[2] == 0
		and left.slice(12, 16) == [97, 0, 0, 0], left)

	click(Vector2(100, 20), true) # the letterbox above the picture
	var beside := seen(screen)
	check("beside the picture", beside[2] == 0 and beside.slice(7, 10) == [-32768, -32768, 1], beside)
	var turned := [LibretroScreen._unturn(Vector2(0.25, 0.1), 1),
		LibretroScreen._unturn(Vector2(0.25, 0.1), 2), LibretroScreen._unturn(Vector2(0.25, 0.1), 3),
		LibretroScreen._unturn(Vector2(2, 1), 1, false)]
	check("turned pictures", turned == [Vector2(0.9, 0.25), Vector2(0.75, 0.9), Vector2(0.1, 0.75),
		Vector2(-1, 2)], turned)

	screen.unload_game()
	await create_timer(0.5).timeout # the audio server lets go of the stopped sound
	frame.free()
	print("input checks: %d failed" % failures)
	quit(1 if failures > 0 else 0)
